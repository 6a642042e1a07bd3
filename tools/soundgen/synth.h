#pragma once

#include <cstdint>
#include <vector>

// Building blocks for the sound effects: a mono track of floating-point samples and the oscillators,
// noise, envelopes and filters that are mixed into it. Everything is plain arithmetic on doubles with a
// seeded generator, so the same program always makes the same samples.
namespace synth {

constexpr int RATE = 44100;

class CTrack {
  public:
    explicit CTrack(double seconds);
    int size() const { return static_cast<int>(samples_.size()); }
    double& at(int i) { return samples_[i]; }
    double seconds(int i) const { return static_cast<double>(i) / RATE; }
    // Scales the track so that its largest magnitude is `peak` (0 to 1) and rounds it to 16 bits. A
    // one-shot sound fades out over its last few milliseconds so that it never ends on a click; a loop
    // must not, or it would dip at every turn.
    std::vector<int16_t> finish(double peak, bool loop = false) const;

  private:
    std::vector<double> samples_;
};

// Attack from silence in `attack` seconds, then exponential decay with time constant `decay`.
double strike(double t, double attack, double decay);

// A sine whose frequency glides exponentially from `from` to `to` Hz over `glide` seconds, then stays;
// added from `start` seconds on, shaped by strike(attack, decay), scaled by `level`.
struct tone {
    double from, to, glide;
    double start, attack, decay, level;
};
void add_tone(CTrack& track, const tone& t);

// A steady sine of `hz` at `level`, tremolo-free; used for loops, whose length must hold whole cycles.
void add_sine(CTrack& track, double hz, double level);

// White noise from a fixed seed.
class CNoise {
  public:
    explicit CNoise(uint32_t seed) : state_(seed ? seed : 1) {}
    double next();

  private:
    uint32_t state_;
};

// A state-variable filter; `low`, `band` and `high` hold its outputs after each step.
class CFilter {
  public:
    void step(double in, double cutoff_hz, double damping);
    double low = 0, band = 0, high = 0;
};

// Frequency of a glide from `from` to `to` over `length` seconds, at time t.
double glide(double from, double to, double length, double t);

}  // namespace synth
