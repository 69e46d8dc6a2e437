#include "tests/game/support/UiHarness.h"

#include <gtest/gtest.h>

#include "platform/Sync.h"

namespace game_test {
namespace {

constexpr char kClassName[] = "pvbn test harness";
constexpr uint32_t kTimerId = 1;

}  // namespace

UiHarness::UiHarness(uint32_t tickMs) {
    platform::RegisterWindowClass(kClassName);
    if (Create(kClassName)) {
        platform::SetTimer(Id(), kTimerId, tickMs);
    }
}

UiHarness::~UiHarness() {
    if (Id() != 0) {
        platform::KillTimer(Id(), kTimerId);
    }
    Destroy();
}

void UiHarness::Add(Step step) {
    steps_.push_back(std::move(step));
}

void UiHarness::Add(std::string name, std::function<bool()> ready, std::function<void()> act,
                    uint32_t timeoutMs) {
    Add(Step{std::move(name), std::move(ready), std::move(act), timeoutMs});
}

platform::LResult UiHarness::WindowProc(uint32_t id, platform::WParam wParam,
                                        platform::LParam lParam) {
    if (id == platform::kMsgTimer && wParam == kTimerId) {
        Tick();
        return 0;
    }
    return platform::Window::WindowProc(id, wParam, lParam);
}

void UiHarness::Tick() {
    if (busy_ || finished_) {
        return;
    }
    busy_ = true;
    while (next_ < steps_.size()) {
        Step& step = steps_[next_];
        const uint32_t now = platform::GetTickCount32();
        if (stepStarted_ == 0) {
            stepStarted_ = now;
        }
        if (step.ready && !step.ready()) {
            if (now - stepStarted_ > step.timeoutMs) {
                ADD_FAILURE() << "the harness waited " << step.timeoutMs
                              << " ms in vain for the step \"" << step.name << "\"";
                lastStep_ = step.name;
                timedOut_ = true;
                Finish();
            }
            busy_ = false;
            return;
        }
        SCOPED_TRACE("step \"" + step.name + "\"");
        lastStep_ = step.name;
        if (step.act) {
            step.act();
        }
        acted_.push_back(step.name);
        ++next_;
        stepStarted_ = 0;
        if (::testing::Test::HasFatalFailure()) {
            Finish();
            busy_ = false;
            return;
        }
    }
    Finish();
    busy_ = false;
}

void UiHarness::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    if (Id() != 0) {
        platform::KillTimer(Id(), kTimerId);
    }
    if (finish) {
        finish();
    }
}

}  // namespace game_test
