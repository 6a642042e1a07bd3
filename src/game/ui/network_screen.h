#pragma once

#include <string>

// The title screen's "Network game": host, or join an address typed in; then, while the session
// waits, what to tell the other player. Escape backs out at every point. Also draws the network
// notes (waiting, paused by the other side, why a network game ended) over any screen.
namespace network_screen {

void open();
void key(int key, int action);
void character(int character);
// `button` is the network menu's button the pointer (or a pad) pressed, or -1.
void click(int button);
void draw(int W, int H);
// The network note over any screen (see network_match::note), and its text.
void draw_note(int W, int H);
std::string note();

}  // namespace network_screen
