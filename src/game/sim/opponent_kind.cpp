#include "game/sim/opponent_kind.h"

namespace global {
int opponent = CLASSIC_OPPONENT;
}
