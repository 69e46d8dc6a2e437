#pragma once
// A check harness on the UI thread: a message window whose timer runs a list
// of steps while the program's own message loop runs (the application's
// Run). Each step waits until its condition holds, then acts: it reads the
// table, clicks, checks. A step whose condition does not hold in time fails
// the test with its name, and the harness ends the run.
//
// Rules:
//  - Everything runs on the thread that made the harness, between the
//    loop's other messages; a tick that comes while a step acts (a waited
//    request pumping messages) is skipped, so steps never nest.
//  - When the last step has acted, or one timed out, `finish` runs once
//    (it ends the program, e.g. by closing its main window).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace game_test {

class UiHarness : public platform::Window {
public:
    struct Step {
        std::string name;
        std::function<bool()> ready;  // null: ready at once
        std::function<void()> act;
        uint32_t timeoutMs = 20000;
    };

    explicit UiHarness(uint32_t tickMs = 25);
    ~UiHarness() override;

    void Add(Step step);
    void Add(std::string name, std::function<bool()> ready, std::function<void()> act,
             uint32_t timeoutMs = 20000);
    // Runs when the steps are over (all acted, or one timed out).
    std::function<void()> finish;

    bool Finished() const { return finished_; }
    bool TimedOut() const { return timedOut_; }
    // The name of the step that timed out, or of the last one acted.
    const std::string& LastStep() const { return lastStep_; }
    // The names of the steps that acted, in order.
    const std::vector<std::string>& Acted() const { return acted_; }
    size_t StepCount() const { return steps_.size(); }

    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override;

private:
    void Tick();
    void Finish();

    std::vector<Step> steps_;
    size_t next_ = 0;
    uint32_t stepStarted_ = 0;
    bool busy_ = false;
    bool finished_ = false;
    bool timedOut_ = false;
    std::string lastStep_;
    std::vector<std::string> acted_;
};

}  // namespace game_test
