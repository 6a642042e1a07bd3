#pragma once

// The main loop's turn: whole logic steps for the clock's reading, the fps count, one frame.
// Clock, logic, drawing and the window check are hooks so that tests can drive a turn.

struct loop_hooks {
    bool (*logic)();        // one logic step; true when the program is to stop
    void (*frame)();        // draws and swaps one frame (input callbacks run inside the swap)
    bool (*window_open)();  // false once the user closed the window
    const float* lps;       // logic steps per second, read every turn
    int* fps;               // receives the frames counted over the last LPS steps
    // Optional: once a turn before the steps (network traffic); and whether the next step may run
    // now. A step that may not waits with its time kept, so that the steps catch up afterwards.
    void (*poll)() = nullptr;
    bool (*ready)() = nullptr;
    // Optional: the frame_rate choice, read every turn (none: unlimited, as the game always was).
    int (*frame_rate)() = nullptr;
    // Optional: whether the window is minimised or hidden; such a turn runs `unseen` instead of `frame`
    // (events, pads and sounds, no drawing) and then sleeps.
    bool (*hidden)() = nullptr;
    void (*unseen)() = nullptr;
    // Optional: whether the frame would show just what the window shows already. With a frame-rate
    // choice such a turn runs `unseen` instead of `frame` and keeps the frame's pace; unlimited, every
    // frame is drawn, as the game always did.
    bool (*unchanged)() = nullptr;
    // How the loop sleeps (replaceable for tests, with the clock).
    void (*sleep)(double seconds) = nullptr;
};

struct loop_state {
    double seconds = 0.0;  // clock reading not yet consumed by steps
    int fps_counter = 0;   // frames since fps was last written
    int tick_counter = 0;  // steps since fps was last written
    int running = 1;
    // The clock moved by the loop's own set_time calls, so that clock minus moved runs on steadily.
    double moved = 0.0;
    double next_frame = 0.0;  // when a capped frame rate lets the next frame be drawn (steady clock)
    int swap_interval = 0;    // as last set: 1 while waiting for the vertical retrace
};

// One turn of the loop; returns whether the loop goes on. The clock is glfw2's (injectable).
bool loop_turn(loop_state& state, const loop_hooks& hooks);

// Both drawing passes of a frame: the world in perspective translated by camera, the HUD in the
// interface's frame. Nothing is swapped, so a test can read the frame back.
void draw_passes(void (*world)(), void (*hud)(), const float* camera);
// The passes, then flush and swap.
void draw_frame(void (*world)(), void (*hud)(), const float* camera);
