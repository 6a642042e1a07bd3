// The sounds of steps a network match runs ahead of the other side: a step run again after a rollback
// is heard once, and what it no longer does is taken back.
#include "game/run/heard_events.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/sim/events.h"

namespace {

// One run of step `step` that makes `events`; `played` first: the turn before ended and its sounds went.
void run(CHeardEvents& heard, std::uint32_t step, const std::vector<game_event>& events,
         bool played = false) {
    if (played)
        global::events.clear();
    const std::size_t from = global::events.size();
    for (const game_event& e : events)
        record_event(e.kind, e.where, e.strength);
    heard.ran(step, from);
}

const game_event BLAST{EVENT_EXPLOSION, CVector(3, 4), 1};
const game_event SHOT{EVENT_MISSILE_FIRED, CVector(-9, -4), 2};

class HeardEvents : public testing::Test {
  protected:
    void SetUp() override {
        global::events.clear();
        global::cut_events.clear();
    }
    CHeardEvents heard;
};

TEST_F(HeardEvents, AStepRunAgainAsBeforeIsHeardOnce) {
    // Run again within the same turn: its events stay once in the list.
    run(heard, 10, {SHOT, BLAST});
    run(heard, 11, {});
    run(heard, 10, {SHOT, BLAST});
    EXPECT_EQ(global::events.size(), 2u);
    // Heard in an earlier turn: run again, nothing is heard now; a blast a little further on after
    // another command of the other side is still the same blast.
    run(heard, 12, {BLAST}, true);
    game_event moved = BLAST;
    moved.where = CVector(3.4f, 4.2f);
    run(heard, 12, {moved}, true);
    EXPECT_TRUE(global::events.empty());
    EXPECT_TRUE(global::cut_events.empty());
}

TEST_F(HeardEvents, WhatAStepRunAgainNoLongerDoesIsCutOrNeverHeard) {
    // Heard already, then gone: cut short. The new event of the step is heard.
    run(heard, 20, {SHOT, BLAST}, true);
    run(heard, 20, {SHOT}, true);
    run(heard, 21, {}, false);
    game_event far = BLAST;
    far.where = CVector(-20, 0);
    run(heard, 21, {far}, false);
    ASSERT_EQ(global::cut_events.size(), 1u);
    EXPECT_EQ(global::cut_events[0].kind, EVENT_EXPLOSION);
    ASSERT_EQ(global::events.size(), 1u);
    EXPECT_EQ(global::events[0].where.x, -20);

    // Not played yet, then gone: dropped from the list, nothing to cut.
    global::cut_events.clear();
    run(heard, 30, {BLAST}, true);
    run(heard, 30, {}, false);
    EXPECT_TRUE(global::events.empty());
    EXPECT_TRUE(global::cut_events.empty());
}

}  // namespace
