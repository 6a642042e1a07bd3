#pragma once

#include <string>
#include <vector>

class CAudio;

// Which event sounds how: turns the turn's events into voices of the audio output, keeps a charging
// hum going while a station charges, and follows the sound settings. Hears only the board through
// the events and the stations' state, never a key, so that whatever drives the stations sounds alike.
class CGameSounds {
  public:
    explicit CGameSounds(CAudio& audio) : audio_(audio) {}
    // Loads every effect from `folder` (holding sfx/). A file that is missing or not a mono 16-bit
    // WAV gets one line on standard error and stays silent; so does a missing sfx/ as a whole.
    // Returns how many loaded.
    int load(const std::string& folder);
    // Plays the turn's events, empties their list and brings the hums and the volume up to date.
    void play_turn();

  private:
    void play_events();
    void cut_short();
    void follow_charges();

    CAudio& audio_;
    std::vector<int> sounds_;  // the audio output's number for each effect, -1 when it did not load
    long hums_[2] = {-1, -1};
    struct played {
        int effect;
        bool left;
        long voice;
    };
    std::vector<played> recent_;  // the last voices of the board's events, newest last
    unsigned variation_ = 0;
};

// The game's own sound output. start_sounds opens the device (one line on standard error and a silent
// game when none opens) and loads the effects from the working folder.
void start_sounds();
// After every turn of the main loop, once its steps have run and its input has been handled.
void play_turn_sounds();
void stop_sounds();
