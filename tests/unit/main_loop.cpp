#include "game/app/main_loop.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/config/frame_rate.h"
#include "platform/glfw2.h"

namespace {

// A fake clock and fake hooks that record what a turn did.
double fake_now = 0.0;
int steps = 0;
int stop_on_step = 0;  // 0: never
int frames = 0;
int steps_before_frame = -1;
bool open = true;
float lps = 100.0f;
int fps = -1;

double clock_now() {
    return fake_now;
}
bool logic() {
    return ++steps == stop_on_step;
}
void frame() {
    ++frames;
    steps_before_frame = steps;
}
bool window_open() {
    return open;
}

class MainLoop : public testing::Test {
  protected:
    void SetUp() override {
        fake_now = 0.0;
        steps = 0;
        stop_on_step = 0;
        frames = 0;
        steps_before_frame = -1;
        open = true;
        fps = -1;
        glfw2::use_clock(clock_now);
        glfw2::set_time(0.0);
    }
    void TearDown() override { glfw2::use_clock(nullptr); }
    // Lets real time pass on the fake clock.
    void pass(double seconds) { fake_now += seconds; }

    loop_hooks hooks{logic, frame, window_open, &lps, &fps};
    loop_state state;
};

TEST_F(MainLoop, ShortTurnRunsNoStepDrawsAndKeepsTheReading) {
    pass(0.004);
    EXPECT_TRUE(loop_turn(state, hooks));
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(frames, 1);
    EXPECT_NEAR(glfw2::get_time(), 0.004, 1e-9);
    // The kept 4 ms and 7 ms more make one step with 1 ms left over.
    pass(0.007);
    EXPECT_TRUE(loop_turn(state, hooks));
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(frames, 2);
    EXPECT_NEAR(glfw2::get_time(), 0.001, 1e-9);
}

TEST_F(MainLoop, StallIsCaughtUpBeforeTheFrame) {
    pass(0.25);
    EXPECT_TRUE(loop_turn(state, hooks));
    EXPECT_EQ(steps, 25);
    EXPECT_EQ(steps_before_frame, 25);
    EXPECT_EQ(frames, 1);
    EXPECT_NEAR(glfw2::get_time(), 0.0, 1e-6);
}

TEST_F(MainLoop, TimeIsNeitherLostNorCountedTwiceOverManyTurns) {
    // 1000 turns of 3.7 ms each: 3.7 s of real time, all of it either stepped or still on the clock.
    for (int i = 0; i < 1000; ++i) {
        pass(0.0037);
        loop_turn(state, hooks);
    }
    EXPECT_GE(steps, 369);
    EXPECT_NEAR(steps * 0.01 + glfw2::get_time(), 3.7, 1e-6);
    EXPECT_LT(glfw2::get_time(), 0.01 + 1e-9);
}

TEST_F(MainLoop, QuitOnTheThirdOfFivePendingStepsStillDrawsTheFrame) {
    stop_on_step = 3;
    pass(0.0500001);
    EXPECT_FALSE(loop_turn(state, hooks));
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(state.running, 0);
}

TEST_F(MainLoop, ClosedWindowEndsTheLoopAfterTheFrame) {
    pass(0.0200001);
    open = false;
    EXPECT_FALSE(loop_turn(state, hooks));
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(frames, 1);
}

TEST_F(MainLoop, FpsCountsTheFramesOfTheLastSecondOfSteps) {
    // One second: a first turn with no time gone, then 99 steps over 59 turns, 60 frames in all;
    // the turn that runs the 100th step writes the count before drawing its own frame.
    loop_turn(state, hooks);
    for (int i = 0; i < 59; ++i) {
        // A hair over whole steps, so rounding cannot move a step into the next turn.
        pass(i < 39 ? 0.0100001 : 0.0300001);
        loop_turn(state, hooks);
    }
    EXPECT_EQ(steps, 99);
    EXPECT_EQ(frames, 60);
    EXPECT_EQ(fps, -1);
    pass(0.0100001);
    loop_turn(state, hooks);
    EXPECT_EQ(steps, 100);
    EXPECT_EQ(fps, 60);
    EXPECT_EQ(state.tick_counter, 0);
    // That turn's own frame counts towards the next second.
    EXPECT_EQ(state.fps_counter, 1);
}

TEST_F(MainLoop, StepsBeyondOneSecondInTheSameTurnAreDropped) {
    pass(1.5000001);
    loop_turn(state, hooks);
    EXPECT_EQ(steps, 150);
    EXPECT_EQ(fps, 0);
    EXPECT_EQ(state.tick_counter, 0);
}

TEST_F(MainLoop, ClockSetBackwardsRunsNoStep) {
    glfw2::set_time(-0.5);
    EXPECT_TRUE(loop_turn(state, hooks));
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(frames, 1);
    pass(0.5100001);
    loop_turn(state, hooks);
    EXPECT_EQ(steps, 1);
}

TEST_F(MainLoop, TheLoopEndsWhenLogicAsks) {
    stop_on_step = 7;
    // The first turn sees no time; each later one sees 10 ms more and runs one step.
    static double* now = &fake_now;
    hooks.frame = [] {
        ++frames;
        *now += 0.0100001;
    };
    loop_state fresh;
    while (loop_turn(fresh, hooks)) {
    }
    EXPECT_EQ(steps, 7);
    EXPECT_EQ(frames, 8);
}

}  // namespace

namespace {
int ready_steps = 0;  // steps the ready hook lets run before it says no
int polls = 0;
bool ready() {
    return steps < ready_steps;
}
void poll() {
    ++polls;
}
}  // namespace

TEST_F(MainLoop, StepsThatMayNotRunYetKeepTheirTimeUpToABound) {
    hooks.ready = ready;
    hooks.poll = poll;
    polls = 0;
    ready_steps = 3;
    pass(0.1);  // ten steps due, three may run
    EXPECT_TRUE(loop_turn(state, hooks));
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(polls, 1);
    EXPECT_NEAR(glfw2::get_time(), 0.07, 1e-6);  // the seven waiting steps are kept
    // Once they may, the kept steps run at once.
    ready_steps = 100;
    EXPECT_TRUE(loop_turn(state, hooks));
    EXPECT_EQ(steps, 10);

    // A long wait keeps a quarter of a second, not all of it.
    ready_steps = steps;
    pass(2.0);
    EXPECT_TRUE(loop_turn(state, hooks));
    EXPECT_EQ(steps, 10);
    EXPECT_NEAR(glfw2::get_time(), 0.25, 1e-6);
    ready_steps = 1000;
    EXPECT_TRUE(loop_turn(state, hooks));
    EXPECT_EQ(steps, 35);
}

namespace {
int chosen_rate = 0;
bool window_hidden = false;
int unseen_turns = 0;
std::vector<double> naps;
int rate() {
    return chosen_rate;
}
bool hidden() {
    return window_hidden;
}
void unseen() {
    ++unseen_turns;
}
// Sleeping lets the fake clock run on by as much.
void nap(double seconds) {
    naps.push_back(seconds);
    fake_now += seconds;
}
}  // namespace

class PacedLoop : public MainLoop {
  protected:
    void SetUp() override {
        MainLoop::SetUp();
        chosen_rate = 0;
        window_hidden = false;
        unseen_turns = 0;
        naps.clear();
        hooks.frame_rate = rate;
        hooks.hidden = hidden;
        hooks.unseen = unseen;
        hooks.sleep = nap;
    }
    // Turns of `draw` seconds of drawing each until `seconds` have gone by on the fake clock.
    int frames_in(double seconds, double draw) {
        static double drawing = 0;
        drawing = draw;
        hooks.frame = [] {
            ++frames;
            fake_now += drawing;
        };
        const double end = fake_now + seconds;
        const int before = frames;
        while (fake_now < end)
            loop_turn(state, hooks);
        return frames - before;
    }
};

TEST_F(PacedLoop, UnlimitedNeverSleeps) {
    EXPECT_EQ(frames_in(1.0, 0.002), 500);
    EXPECT_TRUE(naps.empty());
}

TEST_F(PacedLoop, ACapDrawsThatManyFramesASecondAndTheStepsKeepTheirPace) {
    for (int cap : {60, 120, 144}) {
        chosen_rate = cap;
        frames_in(0.1, 0.001);  // settles on the new rate
        const int before = steps;
        EXPECT_NEAR(frames_in(1.0, 0.001), cap, 1) << cap;
        EXPECT_NEAR(steps - before, 100, 1) << cap;
    }
}

TEST_F(PacedLoop, FramesSlowerThanTheCapAreNotRushedAfterwards) {
    chosen_rate = 60;
    // A second of 30 ms frames, then quick ones: these come at the cap, not in a burst making up for it.
    EXPECT_NEAR(frames_in(1.0, 0.03), 34, 1);
    EXPECT_TRUE(naps.empty());
    EXPECT_NEAR(frames_in(1.0, 0.001), 60, 1);
}

TEST_F(PacedLoop, VerticalSyncLeavesTheWaitToTheSwap) {
    chosen_rate = frame_rate::VSYNC;
    frames_in(0.5, 0.002);
    EXPECT_EQ(state.swap_interval, 1);
    EXPECT_TRUE(naps.empty());
    chosen_rate = 60;
    frames_in(0.5, 0.002);
    EXPECT_EQ(state.swap_interval, 0);
}

TEST_F(PacedLoop, AHiddenWindowDrawsNothingSleepsAndKeepsTheSteps) {
    window_hidden = true;
    EXPECT_EQ(frames_in(1.0, 0.002), 0);
    EXPECT_NEAR(steps, 100, 2);
    EXPECT_GE(unseen_turns, 40);
    EXPECT_LE(unseen_turns, 60);
    ASSERT_FALSE(naps.empty());
    for (double n : naps)
        EXPECT_GE(n, 0.01);
    // Shown again, it draws at once.
    window_hidden = false;
    EXPECT_GT(frames_in(0.1, 0.002), 0);
}

namespace {
bool frame_unchanged = false;
bool unchanged() {
    return frame_unchanged;
}
}  // namespace

TEST_F(PacedLoop, AFrameTheWindowShowsAlreadyIsNotDrawnAgainOnlyWithAFrameRateChosen) {
    hooks.unchanged = unchanged;
    frame_unchanged = true;
    // Unlimited, as the game always was: every frame is drawn.
    EXPECT_EQ(frames_in(1.0, 0.002), 500);
    // Capped: nothing drawn, the turns keep the cap's pace and count as its frames, the steps run.
    chosen_rate = 60;
    frames_in(0.1, 0.002);
    const int steps_before = steps, unseen_before = unseen_turns;
    EXPECT_EQ(frames_in(1.0, 0.002), 0);
    EXPECT_NEAR(unseen_turns - unseen_before, 60, 1);
    EXPECT_NEAR(steps - steps_before, 100, 2);  // the last turn may end up to a frame past the second
    frames_in(1.0, 0.002);
    EXPECT_NEAR(fps, 60, 1);  // a second counted at the cap alone
    // The retrace: with no swap to wait in, each turn waits about a frame.
    chosen_rate = frame_rate::VSYNC;
    naps.clear();
    EXPECT_EQ(frames_in(1.0, 0.0), 0);
    EXPECT_NEAR(static_cast<int>(naps.size()), 60, 1);
    // Something changed: drawn at once.
    frame_unchanged = false;
    EXPECT_GT(frames_in(0.1, 0.002), 0);
}
