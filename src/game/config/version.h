#pragma once

// The program's version, as the title screen shows it; recordings carry it too.
constexpr const char* PROGRAM_VERSION = "1.1";
