#include "effects.h"

#include <cmath>

#include "synth.h"

namespace {

using synth::CFilter;
using synth::CNoise;
using synth::CTrack;
using synth::tone;

// Noise through a filter whose cutoff glides, shaped by strike(attack, decay).
struct filtered_noise {
    uint32_t seed;
    double cutoff_from, cutoff_to, glide;
    double damping;
    double attack, decay, level;
    enum { LOW, BAND, HIGH } output;
};

void add_noise(CTrack& track, const filtered_noise& n) {
    CNoise noise(n.seed);
    CFilter filter;
    for (int i = 0; i < track.size(); ++i) {
        const double t = track.seconds(i);
        filter.step(noise.next(), synth::glide(n.cutoff_from, n.cutoff_to, n.glide, t), n.damping);
        const double shaped = n.output == filtered_noise::LOW    ? filter.low
                              : n.output == filtered_noise::BAND ? filter.band
                                                                 : filter.high;
        track.at(i) += n.level * synth::strike(t, n.attack, n.decay) * shaped;
    }
}

// A soft bell-like note: a sine with a little of its second and third harmonics.
void add_note(CTrack& track, double hz, double start, double decay, double level) {
    add_tone(track, {hz, hz, 1, start, 0.008, decay, level});
    add_tone(track, {hz * 2, hz * 2, 1, start, 0.008, decay * 0.6, level * 0.25});
    add_tone(track, {hz * 3, hz * 3, 1, start, 0.008, decay * 0.35, level * 0.08});
    // A slightly detuned twin widens the note without a chorus effect.
    add_tone(track, {hz * 1.003, hz * 1.003, 1, start, 0.008, decay, level * 0.3});
}

// A thump that drops in pitch, a whoosh of noise that falls away and a short bright chirp.
std::vector<int16_t> missile() {
    CTrack t(0.5);
    add_tone(t, {220, 70, 0.25, 0, 0.002, 0.09, 0.8});
    add_noise(t, {11, 3200, 500, 0.35, 0.7, 0.01, 0.14, 1.6, filtered_noise::BAND});
    add_tone(t, {1400, 500, 0.08, 0, 0.001, 0.045, 0.25});
    return t.finish(0.7);
}

// One second holding whole cycles of every partial, so that it loops without a seam. 110 and 111 Hz
// beat once a second; the upper partials give it a soft edge.
std::vector<int16_t> charge() {
    CTrack t(1.0);
    add_sine(t, 110, 0.5);
    add_sine(t, 111, 0.35);
    add_sine(t, 220, 0.2);
    add_sine(t, 331, 0.08);
    add_sine(t, 442, 0.04);
    return t.finish(0.45, true);
}

// A rising pop and a bright fizz that crackles as it fades.
std::vector<int16_t> flare() {
    CTrack t(0.45);
    add_tone(t, {900, 2200, 0.06, 0, 0.002, 0.04, 0.5});
    CTrack fizz(0.45);
    add_noise(fizz, {23, 5000, 3000, 0.4, 0.5, 0.003, 0.12, 0.8, filtered_noise::HIGH});
    for (int i = 0; i < t.size(); ++i)
        t.at(i) += fizz.at(i) * (0.65 + 0.35 * std::sin(6.283185307179586 * 37 * t.seconds(i)));
    return t.finish(0.5);
}

// A sharp crack, a rumble whose brightness dies away and a deep falling thud under both.
std::vector<int16_t> explosion() {
    CTrack t(1.6);
    add_noise(t, {37, 2600, 140, 1.2, 1.2, 0.003, 0.38, 5.0, filtered_noise::LOW});
    add_noise(t, {41, 9000, 9000, 1, 1.4, 0.0005, 0.02, 0.6, filtered_noise::LOW});
    add_tone(t, {90, 36, 0.6, 0, 0.005, 0.26, 0.7});
    return t.finish(0.85);
}

// A struck hull plate: inharmonic partials that ring and die at different rates over a short knock.
std::vector<int16_t> hit() {
    CTrack t(0.8);
    const double partials[5][3] = {
        {311, 1.0, 0.33}, {498, 0.7, 0.24}, {742, 0.5, 0.17}, {1103, 0.35, 0.11}, {1577, 0.25, 0.07}};
    for (const auto& p : partials)
        add_tone(t, {p[0], p[0] * 0.985, 0.8, 0, 0.001, p[2], p[1]});
    add_noise(t, {53, 3000, 1500, 0.05, 0.6, 0.0005, 0.015, 1.2, filtered_noise::LOW});
    return t.finish(0.75);
}

// Two soft rising blips: something was added to the stock.
std::vector<int16_t> refill() {
    CTrack t(0.3);
    add_note(t, 660, 0, 0.045, 1.0);
    add_note(t, 990, 0.08, 0.06, 0.8);
    return t.finish(0.5);
}

// A bright rising arpeggio, C E G C, the last note held.
std::vector<int16_t> win() {
    CTrack t(1.9);
    const double notes[4] = {523.25, 659.26, 783.99, 1046.5};
    for (int i = 0; i < 4; ++i)
        add_note(t, notes[i], 0.12 * i, i == 3 ? 0.45 : 0.25, 1.0);
    return t.finish(0.7);
}

// Two falling notes that settle on an open fifth, neither happy nor sad.
std::vector<int16_t> draw() {
    CTrack t(1.7);
    add_note(t, 587.33, 0, 0.2, 1.0);
    add_note(t, 392.0, 0.18, 0.45, 0.9);
    add_note(t, 587.33, 0.18, 0.45, 0.6);
    return t.finish(0.6);
}

// A short tick for a menu button.
std::vector<int16_t> click() {
    CTrack t(0.07);
    add_tone(t, {1800, 1200, 0.03, 0, 0.0005, 0.012, 1.0});
    add_noise(t, {67, 6000, 6000, 1, 0.8, 0.0002, 0.003, 0.4, filtered_noise::HIGH});
    return t.finish(0.5);
}

// Two quick rising blips: a key has been taken for a control.
std::vector<int16_t> key() {
    CTrack t(0.16);
    add_tone(t, {880, 880, 1, 0, 0.001, 0.025, 1.0});
    add_tone(t, {1320, 1320, 1, 0.06, 0.001, 0.03, 1.0});
    return t.finish(0.5);
}

}  // namespace

std::vector<named_sound> make_all_sounds() {
    return {{"missile", missile()}, {"charge", charge()}, {"flare", flare()}, {"explosion", explosion()},
            {"hit", hit()},         {"refill", refill()}, {"win", win()},     {"draw", draw()},
            {"click", click()},     {"key", key()}};
}
