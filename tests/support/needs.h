#pragma once

// Tests that need an X display, XTest or key injection skip on a machine without them, but under CI=true
// such a machine is a broken set-up: the run must fail, not pass with the tests silently left out.
#include <gtest/gtest.h>

// True when the environment says CI=true.
bool every_test_must_run();

// Skips the current test when `available` is false, or fails it under CI=true. `what` names the need.
#define NEEDS(available, what)                                                      \
    do {                                                                            \
        if (!(available)) {                                                         \
            if (every_test_must_run())                                              \
                FAIL() << (what) << " missing: CI=true requires every test to run"; \
            GTEST_SKIP() << (what) << " missing";                                   \
        }                                                                           \
    } while (0)
