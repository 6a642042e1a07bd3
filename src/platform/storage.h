#pragma once

// The player's files ("conf", "settings", replays/) in the folder the game runs in, made ready before the
// game reads or writes any: the desktop's are simply there; a browser's live in the page's own storage,
// read in before the program starts (storage_web.js), and its C library starts with every permission
// masked, which would give each file the game writes none (no reading it back).
void prepare_storage();
