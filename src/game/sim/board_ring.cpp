#include "game/sim/board_ring.h"

void CBoardRing::save(std::uint32_t step) {
    slot& s = slots_[step % slots_.size()];
    s.step = step;
    if (s.board)
        s.board->take_again();
    else
        s.board = CBoardSnapshot::take();
}

bool CBoardRing::restore(std::uint32_t step) const {
    const slot& s = slots_[step % slots_.size()];
    if (!s.board || s.step != step)
        return false;
    s.board->restore();
    return true;
}

void CBoardRing::clear() {
    for (slot& s : slots_)
        s.board.reset();
}
