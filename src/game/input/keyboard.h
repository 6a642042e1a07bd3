#pragma once

// The window's key and character callbacks: keys steer and fire the stations during a match, are captured
// for the options menu, and otherwise go to the screens (ui/screen_flow.h).
void keyboard_callback(int key, int action);
void character_callback(int character, int action);
