// The audio output and the game's sounds, mixed into memory through OpenAL Soft's loopback device:
// what a player would hear, measured per channel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "game/config/settings.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sound/sounds.h"
#include "gl_window.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr int RATE = 44100;

struct levels {
    double left_rms = 0, right_rms = 0;
    int peak = 0;
    int left_crossings = 0;  // upward zero crossings of the left channel, a measure of pitch
};

levels render(CAudio& audio, double seconds) {
    const int frames = static_cast<int>(seconds * RATE);
    std::vector<int16_t> mix(static_cast<size_t>(frames) * 2);
    audio.render(mix.data(), frames);
    levels l;
    double left = 0, right = 0;
    for (int i = 0; i < frames; ++i) {
        const int a = mix[2 * i], b = mix[2 * i + 1];
        left += static_cast<double>(a) * a;
        right += static_cast<double>(b) * b;
        l.peak = std::max({l.peak, std::abs(a), std::abs(b)});
        if (i > 0 && mix[2 * (i - 1)] < 0 && a >= 0)
            ++l.left_crossings;
    }
    l.left_rms = std::sqrt(left / frames);
    l.right_rms = std::sqrt(right / frames);
    return l;
}

// Silence, allowing for the output's dither of a sample step or so.
bool silent(const levels& l) {
    return l.peak <= 3;
}

pcm_sound sine(double hz, double seconds, double level) {
    pcm_sound pcm;
    pcm.rate = RATE;
    pcm.channels = 1;
    for (int i = 0; i < static_cast<int>(seconds * RATE); ++i)
        pcm.samples.push_back(static_cast<int16_t>(level * 32767 * std::sin(6.283185307 * hz * i / RATE)));
    return pcm;
}

class AudioOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(audio_.open_loopback(RATE, error)) << error;
        tone_ = audio_.add_sound(sine(440, 1.0, 0.5));
        ASSERT_GE(tone_, 0);
    }
    CAudio audio_;
    int tone_ = -1;
};

}  // namespace

TEST_F(AudioOutput, SilentUntilASoundPlaysThenAudible) {
    EXPECT_TRUE(silent(render(audio_, 0.2)));
    const long v = audio_.play(tone_, {});
    ASSERT_GE(v, 0);
    const levels l = render(audio_, 0.2);
    EXPECT_GT(l.left_rms, 1000);
    EXPECT_TRUE(audio_.playing(v));
    render(audio_, 1.0);
    EXPECT_FALSE(audio_.playing(v));
    EXPECT_TRUE(silent(render(audio_, 0.1)));
}

TEST_F(AudioOutput, MasterVolumeScalesTheMixAndZeroIsSilent) {
    voice_settings loop;
    loop.loop = true;
    audio_.play(tone_, loop);
    audio_.set_volume(1.0f);
    render(audio_, 0.05);
    const double full = render(audio_, 0.2).left_rms;
    audio_.set_volume(0.5f);
    render(audio_, 0.05);
    const double half = render(audio_, 0.2).left_rms;
    audio_.set_volume(0.0f);
    render(audio_, 0.05);
    EXPECT_TRUE(silent(render(audio_, 0.2)));
    ASSERT_GT(full, 1000);
    EXPECT_NEAR(half / full, 0.5, 0.05);
}

TEST_F(AudioOutput, PanningPutsTheSoundOnItsSide) {
    voice_settings left;
    left.pan = -0.8f;
    const long v = audio_.play(tone_, left);
    render(audio_, 0.05);
    levels l = render(audio_, 0.2);
    EXPECT_GT(l.left_rms, 2 * l.right_rms);
    audio_.change(v, 1, 1, 0.8f);
    render(audio_, 0.05);
    l = render(audio_, 0.2);
    EXPECT_GT(l.right_rms, 2 * l.left_rms);
}

TEST_F(AudioOutput, AFullPoolGivesTheQuietestOldestVoiceAndNeverALoop) {
    voice_settings quiet;
    quiet.gain = 0.2f;
    std::vector<long> voices;
    for (int i = 0; i < CAudio::VOICES; ++i)
        voices.push_back(audio_.play(tone_, quiet));
    voice_settings loud;
    loud.gain = 0.9f;
    const long newest = audio_.play(tone_, loud);
    ASSERT_GE(newest, 0);
    EXPECT_FALSE(audio_.playing(voices[0]));  // the oldest of the quietest made way
    for (int i = 1; i < CAudio::VOICES; ++i)
        EXPECT_TRUE(audio_.playing(voices[i])) << i;

    // A sound quieter than every busy voice is dropped rather than cutting one off.
    voice_settings whisper;
    whisper.gain = 0.1f;
    EXPECT_EQ(audio_.play(tone_, whisper), -1);

    audio_.stop_layer(0);
    voice_settings hum;
    hum.loop = true;
    hum.gain = 0.01f;
    for (int i = 0; i < CAudio::VOICES; ++i)
        ASSERT_GE(audio_.play(tone_, hum), 0);
    EXPECT_EQ(audio_.play(tone_, loud), -1);
}

TEST(AudioWithoutDevice, EveryCallIsHarmless) {
    CAudio audio;
    EXPECT_FALSE(audio.is_open());
    EXPECT_EQ(audio.add_sound(sine(440, 0.1, 0.5)), -1);
    EXPECT_EQ(audio.play(0, {}), -1);
    audio.change(0, 1, 1, 0);
    audio.stop(0);
    audio.stop_layer(0);
    audio.set_volume(1);
    EXPECT_FALSE(audio.playing(0));
}

namespace {

// The game's sounds from the run folder's effects, with two stations on a board of their own.
class GameSounds : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(audio_.open_loopback(RATE, error)) << error;
        ASSERT_EQ(sounds_.load(ZELVORANT_RUN_DIR), 10);
        saved_ = {global::station1, global::station2, global::game_state};
        global::station1 = &blue_;
        global::station2 = &red_;
        global::game_state = global::ON;
        global::settings.restore();
        global::events.clear();
        global::cut_events.clear();
    }
    void TearDown() override {
        global::station1 = saved_.blue;
        global::station2 = saved_.red;
        global::game_state = saved_.state;
        global::settings.restore();
        global::events.clear();
        for (CParticle* p : {&blue_body_, &red_body_, &blue_planet_, &red_planet_})
            particles.remove(p);
    }
    // One turn's sounds, then what follows them.
    levels turn(double seconds) {
        sounds_.play_turn();
        return render(audio_, seconds);
    }

    CAudio audio_;
    CGameSounds sounds_{audio_};
    CParticle blue_planet_{-8, 0, 3}, red_planet_{8, 0, 3};
    CParticle blue_body_{-12, 0, 0.4f}, red_body_{12, 0, 0.4f};
    global::CStation blue_{&blue_body_, &blue_planet_}, red_{&red_body_, &red_planet_};
    struct {
        global::CStation* blue;
        global::CStation* red;
        int state;
    } saved_{};
};

}  // namespace

TEST_F(GameSounds, ABlastIsHeardOnItsSideOfTheBoard) {
    EXPECT_TRUE(silent(turn(0.1)));
    record_event(EVENT_EXPLOSION, CVector(-10, 1), 0);
    levels l = turn(0.4);
    EXPECT_TRUE(global::events.empty());
    EXPECT_GT(l.left_rms, 300);
    EXPECT_GT(l.left_rms, 2 * l.right_rms);
    render(audio_, 2);
    record_event(EVENT_EXPLOSION, CVector(10, 1), 0);
    l = turn(0.4);
    EXPECT_GT(l.right_rms, 2 * l.left_rms);
}

namespace {

// How much louder the left ear hears it than the right, in decibels.
double left_over_right_db(const levels& l) {
    return 20 * std::log10((l.left_rms + 1) / (l.right_rms + 1));
}

}  // namespace

TEST_F(GameSounds, AtTheBoardsEdgeBothEarsHearItWithinTwelveDecibels) {
    const event_kind kinds[] = {EVENT_STATION_HIT, EVENT_EXPLOSION, EVENT_MISSILE_FIRED};
    for (const event_kind kind : kinds) {
        for (const float x : {-13.0f, 13.0f, -40.0f}) {
            record_event(kind, CVector(x, 0), 1);
            const double db = left_over_right_db(turn(0.3));
            render(audio_, 2);
            EXPECT_LE(std::fabs(db), 12) << "event " << static_cast<int>(kind) << " at x = " << x;
            EXPECT_GE(x < 0 ? db : -db, 3)
                << "event " << static_cast<int>(kind) << " at x = " << x << " is on its side";
        }
    }
    red_.loading = true;  // the charge hum of the station on the right
    red_body_.pos = CVector(13, 0);
    const double db = left_over_right_db(turn(0.3));
    EXPECT_LE(db, -3);
    EXPECT_GE(db, -12);
}

TEST_F(GameSounds, ABlastThatDidNotHappenAfterAllIsCutShortAndOnlyItsOwn) {
    // A blast on each side; the left one is taken back a turn later (a network step run again).
    record_event(EVENT_EXPLOSION, CVector(-10, 1), 0);
    record_event(EVENT_EXPLOSION, CVector(10, 1), 0);
    const levels both = turn(0.1);
    EXPECT_GT(both.left_rms, 300);
    global::cut_events.push_back({EVENT_EXPLOSION, CVector(-10, 1), 0});
    const levels after = turn(0.2);
    EXPECT_TRUE(global::cut_events.empty());
    EXPECT_GT(after.right_rms, 2 * after.left_rms) << "the right one goes on";
    EXPECT_GT(after.right_rms, 300);
    // Nothing left to cut: a later cut changes nothing.
    global::cut_events.push_back({EVENT_EXPLOSION, CVector(-10, 1), 0});
    EXPECT_GT(turn(0.1).right_rms, 300);
}

TEST_F(GameSounds, ABlastOnAStationIsLouderThanAMiss) {
    record_event(EVENT_EXPLOSION, CVector(0, 5), 0);
    const double miss = turn(0.5).left_rms;
    render(audio_, 2);
    record_event(EVENT_EXPLOSION, CVector(0, 5), 1);
    const double on_station = turn(0.5).left_rms;
    EXPECT_GT(on_station, 1.3 * miss);
}

TEST_F(GameSounds, ADozenBlastsInOneStepNeitherClipNorTakeEveryVoice) {
    for (int i = 0; i < 12; ++i) {
        record_event(EVENT_EXPLOSION, CVector(-9 + 0.1f * i, 0), 1);
        record_event(EVENT_STATION_HIT, CVector(-9, 0), 0);
    }
    global::settings.volume = 10;
    const levels l = turn(1.0);
    EXPECT_GT(l.left_rms, 500);
    EXPECT_LT(l.peak, 32767);
    // Voices were left for what comes next: a menu click is still heard.
    record_event(EVENT_MENU_BUTTON);
    EXPECT_GT(turn(0.05).peak, 300);
}

TEST_F(GameSounds, APausedMatchAndTheTitleScreenAreSilentButTheirMenusAreNot) {
    record_event(EVENT_MISSILE_FIRED, CVector(-10, 0), 1);
    turn(0.05);
    global::game_state = global::PAUSED;
    turn(0.01);  // the launch under way is cut off, with a fade of a few milliseconds against a click
    EXPECT_TRUE(silent(render(audio_, 0.3)));
    record_event(EVENT_EXPLOSION, CVector(-10, 0), 1);
    EXPECT_TRUE(silent(turn(0.3)));
    global::game_state = global::HIDDEN;  // the how-to-play scene fires behind the instructions
    record_event(EVENT_FLARE_THROWN, CVector(-10, 0), 0);
    record_event(EVENT_MISSILE_FIRED, CVector(-10, 0), 1);
    EXPECT_TRUE(silent(turn(0.3)));
    record_event(EVENT_MENU_BUTTON);
    EXPECT_GT(turn(0.05).peak, 300);
}

TEST_F(GameSounds, SoundOffAndVolumeZeroAreSilent) {
    global::settings.sound = false;
    record_event(EVENT_EXPLOSION, CVector(0, 0), 1);
    EXPECT_TRUE(silent(turn(0.3)));
    global::settings.sound = true;
    global::settings.volume = 0;
    record_event(EVENT_EXPLOSION, CVector(0, 0), 1);
    EXPECT_TRUE(silent(turn(0.3)));
}

TEST_F(GameSounds, TheChargeHumsRisesWithTheChargeAndStopsWithIt) {
    blue_.loading = true;
    blue_.loaded = 0;
    const levels low = turn(0.3);
    EXPECT_GT(low.left_rms, 200);
    EXPECT_GT(low.left_rms, low.right_rms);  // the blue station is on the left
    blue_.loaded = 2.0f;
    const levels high = turn(0.3);
    EXPECT_GT(high.left_crossings, 1.5 * low.left_crossings);

    blue_.loading = false;  // released, or fired at full charge
    turn(0.02);
    EXPECT_TRUE(silent(render(audio_, 0.2)));

    blue_.loading = true;
    turn(0.1);
    global::game_state = global::PAUSED;
    turn(0.02);
    EXPECT_TRUE(silent(render(audio_, 0.2)));
}

TEST_F(GameSounds, ABrokenFileSilencesOnlyItsOwnSoundAndIsNamedOnce) {
    const std::string dir = scratch_dir("game_sounds_broken");
    fs::copy(std::string(ZELVORANT_RUN_DIR) + "/sfx", dir + "/sfx");
    fs::resize_file(dir + "/sfx/explosion.wav", 100);
    fs::remove(dir + "/sfx/hit.wav");
    CAudio audio;
    std::string error;
    ASSERT_TRUE(audio.open_loopback(RATE, error)) << error;
    CGameSounds sounds(audio);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sounds.load(dir), 8);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Sound \"sfx/explosion.wav\" stays silent: truncated\n"
              "Sound \"sfx/hit.wav\" stays silent: cannot be opened\n");

    record_event(EVENT_EXPLOSION, CVector(0, 0), 1);
    record_event(EVENT_STATION_HIT, CVector(0, 0), 0);
    sounds.play_turn();
    EXPECT_TRUE(silent(render(audio, 0.3)));
    record_event(EVENT_FLARE_THROWN, CVector(0, 0), 0);
    sounds.play_turn();
    EXPECT_GT(render(audio, 0.2).peak, 300);

    // Without the folder at all, one line instead of one per file.
    render(audio, 0.5);
    fs::remove_all(dir + "/sfx");
    testing::internal::CaptureStderr();
    EXPECT_EQ(sounds.load(dir), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "No sound: the folder \"sfx\" is missing\n");
    record_event(EVENT_FLARE_THROWN, CVector(0, 0), 0);
    sounds.play_turn();
    EXPECT_TRUE(silent(render(audio, 0.2)));
}
