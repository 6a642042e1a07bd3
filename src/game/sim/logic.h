#pragma once

// One logic step of 10 ms; true when the program is to stop.
bool program_logic();
