// A test that needs a program the machine may lack (Dovecot, a keyring daemon): skipped
// outside CI, failed under CI (CI=true), where scripts/bootstrap has installed everything.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#define TOLVANE_REQUIRE(available, what)                                                           \
    do {                                                                                           \
        if (!(available)) {                                                                        \
            const char* ci = std::getenv("CI");                                                    \
            if (ci && std::string(ci) == "true") {                                                 \
                FAIL() << what << " is missing (scripts/bootstrap installs it)";                   \
            }                                                                                      \
            GTEST_SKIP() << what << " is missing";                                                 \
        }                                                                                          \
    } while (0)
