#pragma once

// The board without pictures or window: the stations on their orbits, the backdrop's kinds, the clocks.
// start-up begins with it; a recording checked without a window needs only this.
void build_board();
// The board a recording is checked on: built as start-up builds it, without a window or pictures. The
// logic names pictures when it makes missiles and explosions; here the names lead to no texture.
void build_board_without_window();
