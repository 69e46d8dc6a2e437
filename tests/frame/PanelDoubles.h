#pragma once
<<<<<<< HEAD
// Recording stand-ins for the side-panel objects the frame view makes
// through the application's factories, and the real boxes with their making
// written down. What they see goes into a shared log, since the engine owns
// (and may delete) the objects themselves.
=======
// Recording stand-ins for the boxes the frame view makes through the
// application's factories (the splitter is the real one). What they see goes
// into a shared log, since the engine owns (and may delete) the objects
// themselves.
>>>>>>> i13-widgets

#include <memory>
#include <string>
#include <vector>

#include "engine/CorvaneVisual.h"
#include "engine/EventRecord.h"
<<<<<<< HEAD
#include "frame/panels/BoxFactories.h"
=======
#include "frame/panels/FramePanels.h"
>>>>>>> i13-widgets
#include "frame/view/FramePanelSeams.h"

struct PanelLog {
    std::vector<std::string> calls;
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& call : calls) {
            n += call.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return n;
    }
};

<<<<<<< HEAD
class RecordingSplitterBar : public CFrameSplitter {
public:
    RecordingSplitterBar(std::shared_ptr<PanelLog> log, bool expanded, double width)
        : log_(std::move(log)), expanded_(expanded) {
        SetSize(width, 1);
    }
    int IsExpanded() override { return expanded_ ? 1 : 0; }
    int IsCollapsed() override { return expanded_ ? 0 : 1; }
    void SetCollapsed(int collapsed) override {
        expanded_ = collapsed == 0;
        if (collapsed != 0) {
            log_->calls.push_back("Fold");
        }
    }
    // Keeps its width: the tests' splitter has no picture of its own.
    void SetSize(double width, double height) override {
        CCorvaneObject::SetSize(fixedWidth_ > 0 ? fixedWidth_ : width, height);
        if (fixedWidth_ == 0) {
            fixedWidth_ = width;
        }
    }
    void Relayout() override { log_->calls.push_back("LayoutParts"); }
    void Redraw() override {}

private:
    std::shared_ptr<PanelLog> log_;
    bool expanded_;
    double fixedWidth_ = 0;
};

// The newest registered object of the kind (the boxes the view opened), or
// null.
template <class T>
T* NewestOfKind(CCorvaneVisual& scene) {
    for (int id = 1 << 14; id > 0; --id) {
        if (auto* found = dynamic_cast<T*>(scene.FindObjectById(id))) {
            return found;
        }
=======
class RecordingForceQuitBox : public CForceQuitBox {
public:
    explicit RecordingForceQuitBox(std::shared_ptr<PanelLog> log) : log_(std::move(log)) {}
    void ShowForceQuit(const char* text, const EventRecord& confirm, const EventRecord& cancel,
                       int kind) override {
        log_->calls.push_back("ShowForceQuit " + std::string(text) + " " + std::to_string(kind));
        log_->forceQuitConfirm = confirm;
        log_->forceQuitCancel = cancel;
        log_->forceQuitBoxId = GetId();
>>>>>>> i13-widgets
    }
    return nullptr;
}

// Factories of the recording objects; every object made is written down.
<<<<<<< HEAD
inline FramePanelFactories RecordingPanelFactories(std::shared_ptr<PanelLog> log,
                                                   bool splitterExpanded = true,
                                                   double splitterWidth = 6) {
    FramePanelFactories factories;
    factories.splitterBar = [log, splitterExpanded, splitterWidth] {
        log->calls.push_back("made splitter");
        return new RecordingSplitterBar(log, splitterExpanded, splitterWidth);
    };
    // The boxes are the real ones; making each is written down.
    FramePanelFactories boxes;
    InstallBoxFactories(boxes);
    factories.forceQuitBox = [log, make = boxes.forceQuitBox] {
=======
// The splitter is the real one.
inline FramePanelFactories RecordingPanelFactories(std::shared_ptr<PanelLog> log) {
    FramePanelFactories factories = MakeFramePanelFactories();
    factories.forceQuitBox = [log] {
>>>>>>> i13-widgets
        log->calls.push_back("made force-quit box");
        return make();
    };
    factories.exitRequestBox = [log, make = boxes.exitRequestBox] {
        log->calls.push_back("made exit-request box");
        return make();
    };
    factories.infoBox = [log, make = boxes.infoBox] {
        log->calls.push_back("made info box");
        return make();
    };
    return factories;
}
