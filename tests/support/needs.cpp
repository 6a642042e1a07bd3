#include "needs.h"

#include <cstdlib>
#include <cstring>

bool every_test_must_run() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::strcmp(ci, "true") == 0;
}
