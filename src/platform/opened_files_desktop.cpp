#include "platform/opened_files.h"

// A desktop player opens a recording with --replay instead.
bool take_opened_file(std::string&) {
    return false;
}
