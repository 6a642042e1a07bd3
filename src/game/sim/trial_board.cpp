#include "game/sim/trial_board.h"

#include "game/sim/board_owned.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"

CTrialBoard::CTrialBoard()
    : begun(CBoardSnapshot::take(CBoardSnapshot::WITHOUT_DECORATIONS)),
      cursor(global::it),
      events(global::events.size()) {
    particles.swap(live);
    begun.restore();
}

CTrialBoard::~CTrialBoard() {
    delete_board_owned();
    particles.clear();
    particles.swap(live);
    begun.restore_values();
    global::it = cursor;
    global::events.resize(events);
}

void trial_step() {
    program_logic();
    for (auto i = particles.begin(); i != particles.end();) {
        if ((*i)->type == global::TRACE || (*i)->type == global::SIGN) {
            delete *i;
            i = particles.erase(i);
        } else {
            ++i;
        }
    }
}
