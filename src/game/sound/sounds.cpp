#include "game/sound/sounds.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>

#include "audio/audio.h"
#include "game/config/data_path.h"
#include "game/config/settings.h"
#include "game/sim/events.h"
#include "game/sim/global.h"

namespace {

enum class sound_effect { MISSILE, CHARGE, FLARE, EXPLOSION, HIT, REFILL, WIN, DRAW, CLICK, KEY };
constexpr int EFFECT_COUNT = static_cast<int>(sound_effect::KEY) + 1;
constexpr int index(sound_effect e) {
    return static_cast<int>(e);
}

// The effects' folder and files, relative to the folder the game reads its data from.
const char* const SOUND_FOLDER = "sfx";
const char* const SOUND_FILES[EFFECT_COUNT] = {
    "sfx/missile.wav", "sfx/charge.wav", "sfx/flare.wav", "sfx/explosion.wav", "sfx/hit.wav",
    "sfx/refill.wav",  "sfx/win.wav",    "sfx/draw.wav",  "sfx/click.wav",     "sfx/key.wav"};

// The world's sounds stop when a match pauses or is left; the menus' and the result's ring on.
constexpr int WORLD = 0;
constexpr int INTERFACE = 1;

// Half the board's width: a station at the far edge of its planet's orbit.
constexpr float BOARD_HALF_WIDTH = 13.0f;
// Nothing is panned fully to one ear: hard panning tires over a long session. OpenAL Soft's stereo mix
// makes the near ear about 10 dB louder at this pan (0.8 gave 32 dB, all but one ear alone).
constexpr float PAN_WIDTH = 0.42f;

float pan_of(CVector where) {
    return std::clamp(where.x / BOARD_HALF_WIDTH, -1.0f, 1.0f) * PAN_WIDTH;
}

struct planned_voice {
    sound_effect effect;
    float gain;
    float pitch;
    int on;
};

// Small deterministic pitch changes keep repeated blasts from sounding machine-made.
const float BLAST_PITCHES[5] = {1.0f, 0.94f, 1.05f, 0.97f, 1.03f};

planned_voice plan(const game_event& e, unsigned variation) {
    switch (e.kind) {
        case EVENT_MISSILE_FIRED:
            // A stronger charge gives a heavier, louder launch.
            return {sound_effect::MISSILE, 0.4f + 0.1f * e.strength, 1.15f - 0.14f * e.strength, WORLD};
        case EVENT_FLARE_THROWN:
            return {sound_effect::FLARE, 0.5f, 1.0f, WORLD};
        case EVENT_EXPLOSION:
            return {sound_effect::EXPLOSION, e.strength > 0 ? 0.75f : 0.5f, BLAST_PITCHES[variation % 5],
                    WORLD};
        case EVENT_STATION_HIT:
            return {sound_effect::HIT, 0.45f, 1.0f, WORLD};
        case EVENT_MISSILE_REFILLED:
            return {sound_effect::REFILL, 0.16f, 1.0f, WORLD};
        case EVENT_FLARE_REFILLED:
            return {sound_effect::REFILL, 0.16f, 1.26f, WORLD};
        case EVENT_MATCH_WON:
            return {sound_effect::WIN, 0.7f, 1.0f, INTERFACE};
        case EVENT_MATCH_DRAWN:
            return {sound_effect::DRAW, 0.7f, 1.0f, INTERFACE};
        case EVENT_MENU_BUTTON:
            return {sound_effect::CLICK, 0.45f, 1.0f, INTERFACE};
        case EVENT_KEY_CAPTURED:
            return {sound_effect::KEY, 0.5f, 1.0f, INTERFACE};
    }
    return {sound_effect::CLICK, 0, 1, INTERFACE};
}

// Events of one effect on one side of the board in one turn are heard as one voice, a little louder
// for each: a dozen blasts in a step neither clip nor take every voice.
// Voices kept to be cut short: more than a rollback's steps ever make.
constexpr std::size_t RECENT_VOICES = 32;

struct merged_voice {
    planned_voice voice;
    bool left;
    int count;
    float pan_sum;
};

// A running or just ended match is heard; a paused one, the title screen and the how-to-play scene
// behind the instructions are not.
bool board_audible() {
    return global::game_state == global::ON || global::game_state == global::ENDED;
}

int load_effect(CAudio& audio, const std::string& path, std::string& error) {
    pcm_sound pcm;
    if (!read_wav_file(path, pcm, error))
        return -1;
    if (pcm.channels != 1) {
        error = "not mono";
        return -1;
    }
    const int number = audio.add_sound(pcm);
    if (number < 0)
        error = "refused by the audio output";
    return number;
}

}  // namespace

int CGameSounds::load(const std::string& folder) {
    sounds_.assign(EFFECT_COUNT, -1);
    // Without the folder every file would be named: one line says it all.
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder + "/" + SOUND_FOLDER, ignored)) {
        std::fprintf(stderr, "No sound: the folder \"%s\" is missing\n", SOUND_FOLDER);
        return 0;
    }
    int loaded = 0;
    for (int i = 0; i < EFFECT_COUNT; ++i) {
        std::string error;
        sounds_[i] = load_effect(audio_, folder + "/" + SOUND_FILES[i], error);
        if (sounds_[i] < 0)
            std::fprintf(stderr, "Sound \"%s\" stays silent: %s\n", SOUND_FILES[i], error.c_str());
        else
            ++loaded;
    }
    return loaded;
}

void CGameSounds::play_turn() {
    audio_.set_volume(global::settings.sound ? global::settings.volume / 10.0f : 0.0f);
    if (!board_audible())
        audio_.stop_layer(WORLD);
    if (global::settings.sound && !sounds_.empty())
        play_events();
    cut_short();
    global::events.clear();
    follow_charges();
}

void CGameSounds::play_events() {
    std::vector<merged_voice> merged;
    for (const game_event& e : global::events) {
        const planned_voice v = plan(e, variation_);
        if (v.on == WORLD && !board_audible())
            continue;
        if (v.effect == sound_effect::EXPLOSION)
            ++variation_;
        const bool left = e.where.x < 0;
        auto same = std::find_if(merged.begin(), merged.end(), [&](const merged_voice& m) {
            return m.voice.effect == v.effect && m.left == left;
        });
        if (same == merged.end()) {
            merged.push_back({v, left, 1, pan_of(e.where)});
        } else {
            same->voice.gain = std::max(same->voice.gain, v.gain);
            same->count += 1;
            same->pan_sum += pan_of(e.where);
        }
    }
    for (const merged_voice& m : merged) {
        voice_settings s;
        s.gain = std::min(1.0f, m.voice.gain * std::min(1.3f, 1 + 0.1f * static_cast<float>(m.count - 1)));
        s.pan = m.pan_sum / static_cast<float>(m.count);
        s.pitch = m.voice.pitch;
        s.layer = m.voice.on;
        const long voice = audio_.play(sounds_[index(m.voice.effect)], s);
        if (m.voice.on == WORLD) {
            if (recent_.size() == RECENT_VOICES)
                recent_.erase(recent_.begin());
            recent_.push_back({index(m.voice.effect), m.left, voice});
        }
    }
}

// Events that did not happen after all: the newest voice of their effect on their side stops.
void CGameSounds::cut_short() {
    for (const game_event& e : global::cut_events) {
        const int effect = index(plan(e, 0).effect);
        const bool left = e.where.x < 0;
        for (auto v = recent_.rbegin(); v != recent_.rend(); ++v) {
            if (v->effect == effect && v->left == left) {
                audio_.stop(v->voice);
                recent_.erase(std::next(v).base());
                break;
            }
        }
    }
    global::cut_events.clear();
}

// A hum per charging station, rising with the charge; it stops with the charge, on pause and when
// sound is off.
void CGameSounds::follow_charges() {
    const global::CStation* stations[2] = {global::station1, global::station2};
    for (int i = 0; i < 2; ++i) {
        const global::CStation* s = stations[i];
        const bool charging = s != nullptr && s->loading && global::game_state == global::ON &&
                              global::settings.sound && !sounds_.empty() &&
                              sounds_[index(sound_effect::CHARGE)] >= 0;
        if (!charging) {
            audio_.stop(hums_[i]);
            hums_[i] = -1;
            continue;
        }
        const float gain = 0.2f + 0.04f * s->loaded, pitch = 0.8f + 0.35f * s->loaded;
        const float pan = pan_of(s->particle->pos);
        if (!audio_.playing(hums_[i])) {
            voice_settings v;
            v.gain = gain;
            v.pitch = pitch;
            v.pan = pan;
            v.loop = true;
            v.layer = WORLD;
            hums_[i] = audio_.play(sounds_[index(sound_effect::CHARGE)], v);
        } else {
            audio_.change(hums_[i], gain, pitch, pan);
        }
    }
}

namespace {
CAudio output;
CGameSounds game_sounds(output);
}  // namespace

void start_sounds() {
    global::events.clear();
    std::string error;
    global::settings.sound_device = output.open(error);
    if (!global::settings.sound_device) {
        std::fprintf(stderr, "No sound: %s\n", error.c_str());
        return;
    }
    game_sounds.load(data_path("."));
}

void play_turn_sounds() {
    game_sounds.play_turn();
}

void stop_sounds() {
    output.close();
}
