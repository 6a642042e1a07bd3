#pragma once

// Who calls the program's turns. The desktop calls `turn` again and again until it returns false, then
// `done`, and returns after it. The browser calls `turn` once an animation frame, then `done` when
// a turn has returned false; this returns at once, and `main` returns with the program still running,
// so that what the turns use must outlive the caller.
void drive_turns(bool (*turn)(), void (*done)());

// Waits between two turns: the desktop sleeps; a browser's turns come at its animation frames and never
// wait (waiting there would hold the page still).
void rest(double seconds);
