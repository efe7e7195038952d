// The fuzz targets' check of what a function promises: a broken promise aborts, which
// libFuzzer (and the replay) reports with the input that broke it.
#pragma once

#include <cstdlib>

namespace tolvane::fuzz {

inline void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace tolvane::fuzz
