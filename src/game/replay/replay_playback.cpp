#include "game/replay/replay_playback.h"

#include <algorithm>
#include <utility>

#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_clock.h"
#include "game/sim/match_tally.h"
#include "game/sim/state_hash.h"

CPlayback::CPlayback(const match_recording& r, std::size_t keyframe_budget)
    : recording(r), commands(r.commands), budget(keyframe_budget) {
    start();
}

void CPlayback::start() {
    restore_match_start(recording.start);
    paused = 0;
    commands = CCommandLog::reader(recording.commands);
    command_waiting = commands.next(next_command);
    check_point();
    keep_keyframe();
}

void CPlayback::keep_keyframe() {
    const std::uint64_t now = match_clock::step();
    // Each is taken the first time the playback passes its step.
    if (budget == 0 || now % interval != 0 || (!keyframes.empty() && now <= keyframes.back().step))
        return;
    keyframes.push_back({now, paused, CBoardSnapshot::take(), commands, next_command, command_waiting});
    bytes += size_of(keyframes.back());
    thin_out();
}

std::size_t CPlayback::size_of(const keyframe& k) {
    return sizeof k + k.board.particle_count() * sizeof(CParticle);
}

// The start is a multiple of every interval: it always stays, and a jump back always has somewhere to go.
void CPlayback::thin_out() {
    while (bytes > budget && keyframes.size() > 1) {
        interval *= 2;
        std::vector<keyframe> kept;
        bytes = 0;
        for (keyframe& k : keyframes) {
            if (k.step % interval == 0) {
                bytes += size_of(k);
                kept.push_back(std::move(k));
            }
        }
        keyframes = std::move(kept);
    }
}

void CPlayback::go_back_to(const keyframe& k) {
    k.board.restore();
    paused = k.paused;
    commands = k.commands;
    next_command = k.next_command;
    command_waiting = k.command_waiting;
}

std::uint64_t CPlayback::position() const {
    return match_clock::step();
}

void CPlayback::seek(std::uint64_t step) {
    if (step < position()) {
        const auto after = std::upper_bound(keyframes.begin(), keyframes.end(), step,
                                            [](std::uint64_t s, const keyframe& k) { return s < k.step; });
        if (after == keyframes.begin())
            start();
        else
            go_back_to(*(after - 1));
    }
    // Each step's events go once the tally has read them: a long jump would fill the turn's list.
    while (position() < step && next())
        global::events.clear();
    global::events.clear();
}

void CPlayback::apply_due_commands() {
    const std::uint64_t now = match_clock::step();
    if (!command_waiting)
        command_waiting = commands.next(next_command);
    while (command_waiting && next_command.step == now) {
        apply_command(next_command.command);
        command_waiting = commands.next(next_command);
    }
}

void CPlayback::check_point() {
    const std::uint64_t now = match_clock::step();
    if (diverged >= 0 || now % CHECKPOINT_INTERVAL != 0)
        return;
    const std::uint64_t index = now / CHECKPOINT_INTERVAL;
    if (index < recording.checkpoints.size() && recording.checkpoints[index] != state_hash())
        diverged = static_cast<long long>(now);
}

bool CPlayback::next() {
    apply_due_commands();
    if (match_clock::step() >= recording.steps)
        return false;
    paused += global::game_state == global::PAUSED;
    const bool match_runs = global::game_state == global::ON;
    const std::size_t first_event = global::events.size();
    program_logic();
    if (match_runs)
        global::tally.after_step(first_event);
    match_clock::count_step();
    check_point();
    keep_keyframe();
    return true;
}

playback_result play_to_end(const match_recording& recording) {
    CPlayback playback(recording, 0);
    while (playback.next()) {
    }
    const std::uint64_t hash = state_hash();
    return {hash, hash == recording.final_hash, playback.first_divergence()};
}
