// For GoogleTest tests that render or inspect jobs with outside tools:
// skips the test, saying why, when the tool is not installed.
#pragma once

#include <gtest/gtest.h>

#include "jobgen/program_runner.h"

// JOBGEN_REQUIRE_PROGRAM("mutool"); at the start of a test body.
#define JOBGEN_REQUIRE_PROGRAM(name)                                                        \
    do {                                                                                    \
        if (::jobgen::FindProgram(name).empty()) {                                          \
            GTEST_SKIP() << name << " is not installed (scripts/install-deps installs it)"; \
        }                                                                                   \
    } while (false)
