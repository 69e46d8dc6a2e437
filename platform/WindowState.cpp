#include "platform/WindowState.h"

#include <mutex>
#include <utility>

namespace platform {

namespace {

std::mutex queryMutex;

MinimisedQuery& InstalledQuery() {
    static MinimisedQuery query;
    return query;
}

MinimisedQuery& DisplayQuery() {
    static MinimisedQuery query;
    return query;
}

}  // namespace

bool IsMinimised(WindowId window) {
    if (window == 0) {
        return false;
    }
    MinimisedQuery query;
    {
        std::lock_guard<std::mutex> lock(queryMutex);
        query = InstalledQuery() ? InstalledQuery() : DisplayQuery();
    }
    return query ? query(window) : false;
}

void SetMinimisedQuery(MinimisedQuery query) {
    std::lock_guard<std::mutex> lock(queryMutex);
    InstalledQuery() = std::move(query);
}

void SetDisplayMinimisedQuery(MinimisedQuery query) {
    std::lock_guard<std::mutex> lock(queryMutex);
    DisplayQuery() = std::move(query);
}

}  // namespace platform
