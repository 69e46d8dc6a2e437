#pragma once
// Checks shared by the end-to-end tests: lines of a run's logs that each
// fail the test on their own (a protocol error, a missed resource name).

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace e2e {

inline void FailOnEachLine(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        ADD_FAILURE() << line;
    }
}

}  // namespace e2e
