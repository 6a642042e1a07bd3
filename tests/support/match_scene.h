#pragma once

// A match a second and a half in, two players: missiles and a flare in flight with their trails, and
// the blue station charging its next shot so that its ring shows. Needs the game's start-up done.
void play_a_little();
