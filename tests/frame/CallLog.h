#pragma once
// The recorded calls of a test double: one line of text each.

#include <string>
#include <vector>

// How many of the recorded calls begin with the prefix.
inline int CountCalls(const std::vector<std::string>& calls, const std::string& prefix) {
    int n = 0;
    for (const std::string& call : calls) {
        n += call.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return n;
}
