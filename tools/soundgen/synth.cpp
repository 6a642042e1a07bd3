#include "synth.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {
constexpr double TWO_PI = 6.283185307179586;
}

CTrack::CTrack(double seconds) : samples_(static_cast<size_t>(seconds * RATE), 0.0) {}

std::vector<int16_t> CTrack::finish(double peak, bool loop) const {
    double largest = 0;
    for (double s : samples_)
        largest = std::max(largest, std::fabs(s));
    const double scale = largest > 0 ? peak * 32767.0 / largest : 0;
    const int fade = loop ? 0 : std::min(static_cast<int>(samples_.size()), RATE / 100);
    std::vector<int16_t> out(samples_.size());
    for (size_t i = 0; i < samples_.size(); ++i) {
        double s = samples_[i] * scale;
        const size_t left = samples_.size() - i;
        if (left <= static_cast<size_t>(fade))
            s *= static_cast<double>(left - 1) / fade;
        out[i] = static_cast<int16_t>(std::lround(std::clamp(s, -32767.0, 32767.0)));
    }
    return out;
}

double strike(double t, double attack, double decay) {
    if (t < 0)
        return 0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / decay);
}

double glide(double from, double to, double length, double t) {
    if (t >= length)
        return to;
    return from * std::pow(to / from, t / length);
}

void add_tone(CTrack& track, const tone& t) {
    double phase = 0;
    for (int i = static_cast<int>(t.start * RATE); i < track.size(); ++i) {
        const double local = track.seconds(i) - t.start;
        track.at(i) += t.level * strike(local, t.attack, t.decay) * std::sin(phase);
        phase += TWO_PI * glide(t.from, t.to, t.glide, local) / RATE;
    }
}

void add_sine(CTrack& track, double hz, double level) {
    for (int i = 0; i < track.size(); ++i)
        track.at(i) += level * std::sin(TWO_PI * hz * track.seconds(i));
}

double CNoise::next() {
    // xorshift32: small, fast and the same everywhere.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ / 2147483647.5 - 1.0;
}

void CFilter::step(double in, double cutoff_hz, double damping) {
    const double f = 2 * std::sin(3.141592653589793 * std::min(cutoff_hz, RATE / 6.0) / RATE);
    low += f * band;
    high = in - low - damping * band;
    band += f * high;
}

}  // namespace synth
