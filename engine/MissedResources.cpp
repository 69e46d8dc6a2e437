#include "engine/MissedResources.h"

#include <optional>
#include <set>

#include "engine/EngineLog.h"
#include "platform/Files.h"
#include "platform/Sync.h"

namespace {

struct Missed {
    platform::RecursiveLock lock;
    std::set<std::string, std::less<>> seen;
    std::vector<std::string> names;
    std::optional<bool> logged;  // read from the environment at the first miss
};

Missed& State() {
    static Missed* state = new Missed;  // outlives every thread that may note a miss
    return *state;
}

bool LogSwitchSet() {
    const std::string value = platform::Environment(kMissedResourcesVariable);
    return !value.empty() && value != "0";
}

}  // namespace

void NoteMissedResource(std::string_view name) {
    Missed& state = State();
    bool log = false;
    {
        platform::ScopedLock guard(state.lock);
        if (state.seen.find(name) != state.seen.end()) {
            return;
        }
        state.seen.emplace(name);
        state.names.emplace_back(name);
        if (!state.logged.has_value()) {
            state.logged = LogSwitchSet();
        }
        log = *state.logged;
    }
    if (log) {
        const std::string shown(name);
        EngineLog("missed resource \"%s\"", shown.c_str());
    }
}

std::vector<std::string> MissedResourceNames() {
    Missed& state = State();
    platform::ScopedLock guard(state.lock);
    return state.names;
}

void ClearMissedResourcesForTesting() {
    Missed& state = State();
    platform::ScopedLock guard(state.lock);
    state.seen.clear();
    state.names.clear();
    state.logged.reset();
}
