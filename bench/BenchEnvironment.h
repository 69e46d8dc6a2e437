#pragma once
// Sizes a benchmark takes from its environment (how many hands, how many
// runs): a whole number from 1 to `most`, else the fallback with a warning
// on standard error, so that a mistyped size never runs a different
// benchmark silently.

#include <cstdio>
#include <cstdlib>

namespace bench {

inline int CountFromEnvironment(const char* name, int fallback, long most) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    char* end = nullptr;
    const long count = std::strtol(text, &end, 10);
    if (*end != '\0' || count < 1 || count > most) {
        std::fprintf(stderr, "%s=%s is not a count from 1 to %ld; %d is used\n", name, text, most,
                     fallback);
        return fallback;
    }
    return static_cast<int>(count);
}

}  // namespace bench
