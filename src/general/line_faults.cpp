#include "general/line_faults.h"

#include <cstdio>

void CLineFaults::add(int line, const std::string& why) {
    if (++count_ <= SHOWN)
        std::fprintf(stderr, "Skipping line %d of \"%s\": %s\n", line, file_.c_str(), why.c_str());
}

void CLineFaults::finish() const {
    if (count_ > SHOWN)
        std::fprintf(stderr, "Skipped %d more lines of \"%s\" (%d in all)\n", count_ - SHOWN, file_.c_str(),
                     count_);
}
