#pragma once
// Where a platform service finds its back end (internal to platform/).
//
// Rules:
//  - A back end installed by the caller (a test, say) comes first; else the
//    display's, while one is set; else the service's own default.
//  - The slot never owns the installed back ends; the installer keeps them
//    alive until it removes them (installs null).
//  - The slot's lock guards only the choice, not the call that follows.

#include <mutex>

namespace platform::detail {

template <class Backend, class Default>
class BackendSlot {
public:
    Backend& Current() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (installed_ != nullptr) {
            return *installed_;
        }
        return display_ != nullptr ? *display_ : default_;
    }

    void Install(Backend* backend) {
        std::lock_guard<std::mutex> lock(mutex_);
        installed_ = backend;
    }

    void InstallDisplay(Backend* backend) {
        std::lock_guard<std::mutex> lock(mutex_);
        display_ = backend;
    }

private:
    std::mutex mutex_;
    Backend* installed_ = nullptr;
    Backend* display_ = nullptr;
    Default default_;
};

}  // namespace platform::detail
