#pragma once

#include "general/particle.h"

// Whether the board owns the particle: missiles, flares, trail dots, explosions and hit labels, which
// restart() and the logic step delete. Every other particle lives for the whole run.
bool board_owned(const CParticle& p);

// Deletes every particle the board owns and erases it from `particles`; the fixed bodies stay.
void delete_board_owned();
