#pragma once
// Helpers shared by the engine core tests: a hand-driven time source for the
// engine clock and a module that records what the core does to it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineClock.h"
#include "engine/GameCore.h"
#include "engine/ModuleBase.h"

// A microsecond counter and a millisecond tick that only move when told.
struct ManualTime {
    int64_t counter = 0;
    int64_t frequency = 1000000;
    uint32_t tick = 0;

    void AdvanceMs(int64_t ms) {
        counter += ms * frequency / 1000;
        tick += static_cast<uint32_t>(ms);
    }

    std::unique_ptr<EngineClock> MakeClock() {
        return std::make_unique<EngineClock>(EngineClockSources{
            [this] { return counter; }, [this] { return frequency; }, [this] { return tick; }});
    }
};

class RecordingModule : public ModuleBase {
public:
    RecordingModule(int id, std::string name = "Recording") : id_(id), name_(std::move(name)) {}
    ~RecordingModule() override {
        if (destroyed) {
            ++*destroyed;
        }
    }

    int Init() override { return initResult; }
    int Uninit() override { return 1; }
    int Tick() override {
        ++ticks;
        if (onTick) {
            onTick(*this);
        }
        DrainMessages();
        return 1;
    }
    int GetModuleID() const override { return id_; }
    const char* GetModuleName() const override { return name_.c_str(); }
    int HandleMessage(int id, void* p, int n) override {
        handled.push_back(ModuleMessage{id_, id, p, n});
        return answer;
    }

    void SkipInit() { SetFlags(GetFlags() | kModuleSkipInit); }

    std::vector<int> HandledIds() const {
        std::vector<int> ids;
        for (const ModuleMessage& m : handled) {
            ids.push_back(m.id);
        }
        return ids;
    }

    int initResult = 1;
    int answer = kEngineOk;
    int* destroyed = nullptr;
    int ticks = 0;
    std::function<void(RecordingModule&)> onTick;
    std::vector<ModuleMessage> handled;

private:
    int id_;
    std::string name_;
};
