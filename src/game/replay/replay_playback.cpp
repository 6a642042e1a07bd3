#include "game/replay/replay_playback.h"

#include "game/sim/events.h"
#include "game/sim/logic.h"
#include "game/sim/match_clock.h"
#include "game/sim/match_tally.h"
#include "game/sim/state_hash.h"

CPlayback::CPlayback(const match_recording& r) : recording(r), commands(r.commands) {
    start();
}

void CPlayback::start() {
    restore_match_start(recording.start);
    commands = CCommandLog::reader(recording.commands);
    command_waiting = commands.next(next_command);
    check_point();
    keep_keyframe();
}

void CPlayback::keep_keyframe() {
    const std::uint64_t now = match_clock::step();
    if (now % KEYFRAME_INTERVAL == 0 && now / KEYFRAME_INTERVAL == keyframes.size())
        keyframes.push_back({CBoardSnapshot::take(), commands, next_command, command_waiting});
}

std::size_t CPlayback::keyframe_bytes() const {
    std::size_t bytes = 0;
    for (const keyframe& k : keyframes)
        bytes += sizeof k + k.board.particle_count() * sizeof(CParticle);
    return bytes;
}

void CPlayback::go_back_to(const keyframe& k) {
    k.board.restore();
    commands = k.commands;
    next_command = k.next_command;
    command_waiting = k.command_waiting;
}

std::uint64_t CPlayback::position() const {
    return match_clock::step();
}

void CPlayback::seek(std::uint64_t step) {
    if (step < position()) {
        const std::uint64_t index = step / KEYFRAME_INTERVAL;
        go_back_to(keyframes[index < keyframes.size() ? index : keyframes.size() - 1]);
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
    CPlayback playback(recording);
    while (playback.next()) {
    }
    const std::uint64_t hash = state_hash();
    return {hash, hash == recording.final_hash, playback.first_divergence()};
}
