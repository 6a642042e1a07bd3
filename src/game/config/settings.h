#pragma once

#include <string>

#include "general/key_value_file.h"

class CWindow;

// What the player sets up beyond the keys and the window: the file "settings" beside "conf", one
// `name = value` per line. "conf" keeps its ten lines as they always were, so that every version
// reads the other's files; a game without a "settings" file behaves as if it held the defaults.
class CSettings {
  public:
    bool sound;
    int volume;             // 0 to 10
    int network_port;       // where a hosted network game waits
    int input_delay;        // steps between a command and its effect in a hosted network game, 1 to 50
    std::string last_join;  // the address last joined, offered again
    // The rendezvous server for play by invite code, "host[:port]"; empty: none. The build's choice
    // until the file says otherwise.
    std::string rendezvous_server;
    float pad_dead_zone;  // how far a stick must lean to count, 0 to 0.9
    bool pads_swapped;    // the first pad connected drives red and the second blue
    int opponent;         // who plays red in single-player play, a global::opponent_kind
    int frame_rate;       // a frame_rate choice: UNLIMITED, VSYNC or a cap
    // Whether a sound output opened: never saved, kept when the file is read again.
    bool sound_device = true;

    CSettings() { restore(); }
    void restore();
    // A missing file gives the defaults quietly, an unreadable one the defaults with one line on
    // standard error. In a file that reads, a bad value gives that setting its default and one line.
    void read();
    // Rewrites only the lines of values changed since the file was read, or appends them; every other
    // line stays as it was. A file that could not be read is left alone. One line on standard error
    // when it fails.
    void write();
    // What the options menu's "Save" does: writes the file, unless there is none and every value is
    // the default, so that a player who never touched these settings keeps "conf" alone, as before.
    void save();
    bool is_default() const;
    // Titles the sound and frame-rate buttons after `sound` and `frame_rate`, or says that there is no
    // sound device to switch.
    void to_menu(CWindow* menu) const;
    // Titles the difficulty window's opponent button after `opponent`.
    void to_difficulty_menu(CWindow* menu) const;

  private:
    // The values the file gives, over those already held; with `say_what_is_bad`, a line on standard
    // error for each one refused.
    void take_values(bool say_what_is_bad);

    CKeyValueFile file;
    bool readable = true;  // false when a file is there but could not be read
};

namespace global {
extern CSettings settings;
}
