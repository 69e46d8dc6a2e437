#pragma once
// A headless scene for the object model tests: a core on a hand-driven
// clock, a real object module, a paint module that records every frame, a
// notice sink, objects that log what reaches them, and fake drawables.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/ActionRecord.h"
#include "engine/CorvaneObject.h"
#include "engine/Drawable.h"
#include "engine/FrameDrawRecord.h"
#include "engine/GameCore.h"
#include "engine/ImageRecord.h"
#include "engine/ObjectModule.h"
#include "engine/PaintModule.h"
#include "platform/Dialogs.h"
#include "platform/WindowState.h"
#include "tests/engine/EngineTestSupport.h"

struct Delivery {
    int receiver;
    int event;
    intptr_t param1;
    intptr_t param2;
    bool actionEnd;  // through OnEvent2
    bool operator==(const Delivery&) const = default;
};

class RecordingObject : public CCorvaneObject {
public:
    explicit RecordingObject(std::vector<Delivery>* log = nullptr, int* deaths = nullptr)
        : log_(log), deaths_(deaths) {}
    ~RecordingObject() override {
        if (deaths_ != nullptr) {
            ++*deaths_;
        }
    }
    int OnEvent(const EventRecord& r) override {
        if (log_ != nullptr) {
            log_->push_back({GetId(), r.event, r.param1, r.param2, false});
        }
        if (onEvent) {
            onEvent(r);
        }
        return answer != 0 ? answer : CCorvaneObject::OnEvent(r);
    }
    int OnEvent2(const EventRecord& r) override {
        if (log_ != nullptr) {
            log_->push_back({GetId(), r.event, r.param1, r.param2, true});
        }
        return CCorvaneObject::OnEvent2(r);
    }
    Drawable* GetDrawable() override { return drawable; }

    int answer = 0;  // 0: the root's answer
    Drawable* drawable = nullptr;
    std::function<void(const EventRecord&)> onEvent;

private:
    std::vector<Delivery>* log_;
    int* deaths_;
};

// A frame whose opaque pixels are the left half of its columns.
class HalfDrawable : public Drawable {
public:
    HalfDrawable(int w, int h) : w_(w), h_(h) {}
    int IsHidden() const override { return 0; }
    int HitTest(int x, int y) const override { return x >= 0 && x < w_ / 2 && y >= 0 && y < h_; }
    int GetWidth() const override { return w_; }
    int GetHeight() const override { return h_; }

private:
    int w_;
    int h_;
};

struct RecordedFrame {
    std::vector<IntRect> rects;
    std::vector<ObjectState> states;
    std::vector<const Drawable*> drawables;
};

class FramePaintModule : public RecordingModule {
public:
    FramePaintModule() : RecordingModule(kPaintModuleId, "Paint") {}
    int HandleMessage(int id, void* p, int n) override {
        if (id == kMsgFreeCanvasRecord && p != nullptr) {
            // A dying canvas hands its record to the painter to free.
            auto* record = static_cast<ImageRecord*>(p);
            FreeImageRecord(record);
            delete record;
            return kEngineOk;
        }
        if (id != kMsgDrawFrame) {
            return RecordingModule::HandleMessage(id, p, n);
        }
        auto* frame = static_cast<FrameDrawRecord*>(p);
        RecordedFrame copy;
        copy.rects.assign(frame->rects, frame->rects + frame->rectCount);
        for (const DrawRecord* r = frame->first; r != nullptr; r = r->next) {
            copy.states.push_back(r->state);
            copy.drawables.push_back(r->drawable);
        }
        frames.push_back(copy);
        FreeFrameDrawRecord(frame);
        return kEngineOk;
    }
    std::vector<RecordedFrame> frames;
};

struct CountingParams {
    int* steps;
    int doneAfter;  // 0: never
    std::vector<uint32_t>* elapsed;
};

inline int CountingStep(CCorvaneObject*, void* area, GameCore*, uint32_t elapsedMs) {
    auto* params = ActionParamsIn<CountingParams>(area);
    ++*params->steps;
    if (params->elapsed != nullptr) {
        params->elapsed->push_back(elapsedMs);
    }
    return params->doneAfter != 0 && *params->steps >= params->doneAfter;
}

class SceneTest : public ::testing::Test {
protected:
    explicit SceneTest(uint64_t startMs = 5000) {
        auto clock = time.MakeClock();
        clock->Reset(startMs);
        core = std::make_unique<GameCore>(std::move(clock));
        module = new ObjectModule;
        EXPECT_EQ(core->LoadModule(module, 1, 0), kEngineOk);
        paint = new FramePaintModule;
        EXPECT_EQ(core->LoadModule(paint, 1, 0), kEngineOk);
        notices = new RecordingModule(kFailureNoticeModuleId, "Notices");
        EXPECT_EQ(core->LoadModule(notices, 1, 0), kEngineOk);
        module->SetSceneSize(800, 600);
    }
    ~SceneTest() override {
        core.reset();
        platform::SetMinimisedQuery({});
        platform::SetMainWindow(0);
    }

    // Moves the clock past the module's 10 ms interval and runs a frame.
    void Frame(int64_t ms = 11) {
        time.AdvanceMs(ms);
        core->RunFrame();
    }

    RecordingObject* Make(double x = 100, double y = 100, double w = 20, double h = 20,
                          bool shown = true) {
        auto* o = new RecordingObject(&log, &deaths);
        module->RegisterObject(o, nullptr);
        o->SetSize(w, h);
        o->SetPos(x, y);
        if (shown) {
            o->Show();
        }
        o->Invalidate();
        return o;
    }

    uint64_t StartAction(CCorvaneObject* target, int doneAfter, uint32_t interval = 0,
                         EventRecord end = {}, int* steps = nullptr) {
        ActionRecord* r = module->NewActionRecord();
        SetActionTarget(*r, target);
        StoreActionParams(*r, CountingParams{steps ? steps : &stepCount, doneAfter, &elapsed});
        r->step = CountingStep;
        r->interval = interval;
        r->endEvent = end;
        core->PostMessage(kObjectModuleId, kMsgAddAction, r, 0);
        return r->serial;
    }
    uint64_t PostGroup(int message) {
        GroupRecord* g = module->NewGroupRecord();
        core->PostMessage(kObjectModuleId, message, g, 0);
        return g->serial;
    }
    void Post(int message, uint64_t value = 0) {
        core->PostMessage(kObjectModuleId, message,
                          reinterpret_cast<void*>(static_cast<uintptr_t>(value)), 0);
    }

    std::vector<Delivery> Ends(bool actionEnd) const {
        std::vector<Delivery> out;
        for (const Delivery& d : log) {
            if (d.actionEnd == actionEnd) {
                out.push_back(d);
            }
        }
        return out;
    }

    ManualTime time;
    std::unique_ptr<GameCore> core;
    ObjectModule* module = nullptr;
    FramePaintModule* paint = nullptr;
    RecordingModule* notices = nullptr;
    std::vector<Delivery> log;
    std::vector<uint32_t> elapsed;
    int deaths = 0;
    int stepCount = 0;
};
