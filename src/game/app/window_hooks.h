#pragma once

struct loop_hooks;

// What the open game window tells the main loop: whether it is still open or hidden from view, and
// how often the player wants it drawn. Fills those hooks in.
void use_window_hooks(loop_hooks& hooks);
