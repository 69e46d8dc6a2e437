#pragma once
// Recording stand-ins for the side-panel objects and boxes the frame view
// makes through the application's factories. What they see goes into a
// shared log, since the engine owns (and may delete) the objects themselves.

#include <memory>
#include <string>
#include <vector>

#include "engine/EventRecord.h"
#include "frame/view/FramePanelSeams.h"

struct PanelLog {
    std::vector<std::string> calls;
    EventRecord forceQuitConfirm{};
    EventRecord forceQuitCancel{};
    EventRecord infoFirst{};
    EventRecord infoSecond{};
    int reasonLimit = 0;
    int forceQuitBoxId = 0;
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& call : calls) {
            n += call.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return n;
    }
};

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

class RecordingForceQuitBox : public CForceQuitBoxSeam {
public:
    explicit RecordingForceQuitBox(std::shared_ptr<PanelLog> log) : log_(std::move(log)) {}
    void ShowForceQuit(const char* text, const EventRecord& confirm, const EventRecord& cancel,
                       int kind) override {
        log_->calls.push_back("ShowForceQuit " + std::string(text) + " " + std::to_string(kind));
        log_->forceQuitConfirm = confirm;
        log_->forceQuitCancel = cancel;
        log_->forceQuitBoxId = GetId();
    }
    void SetReasonLimit(int bytes) override { log_->reasonLimit = bytes; }
    void SetTitle(const char* caption) override {
        log_->calls.push_back("Caption " + std::string(caption));
    }
    void ShowBox(const char*, const EventRecord*, const EventRecord*, int, int, const char*,
                 const char*, const char*) override {}
    void SetButtonCaptions(const char*, const char*) override {}
    void SetLinkPage(const char*, int) override {}

private:
    std::shared_ptr<PanelLog> log_;
};

class RecordingExitRequestBox : public CExitRequestBoxSeam {
public:
    explicit RecordingExitRequestBox(std::shared_ptr<PanelLog> log) : log_(std::move(log)) {}
    void ShowExitRequest(const char* name, const char*, const char*, const EventRecord&,
                         const EventRecord&, int seconds) override {
        log_->calls.push_back("ShowExitRequest " + std::string(name) + " " +
                              std::to_string(seconds));
    }
    void ShowBox(const char*, const EventRecord*, const EventRecord*, int, int, const char*,
                 const char*, const char*) override {}
    void SetButtonCaptions(const char*, const char*) override {}
    void SetLinkPage(const char*, int) override {}

private:
    std::shared_ptr<PanelLog> log_;
};

class RecordingInfoBox : public CInfoBoxSeam {
public:
    explicit RecordingInfoBox(std::shared_ptr<PanelLog> log) : log_(std::move(log)) {}
    void ShowBox(const char* text, const EventRecord* first, const EventRecord* second, int seconds,
                 int style, const char*, const char*, const char*) override {
        log_->calls.push_back("ShowBox " + std::string(text) + " " + std::to_string(seconds) + " " +
                              std::to_string(style));
        log_->infoFirst = first != nullptr ? *first : EventRecord{};
        log_->infoSecond = second != nullptr ? *second : EventRecord{};
    }
    void SetButtonCaptions(const char*, const char*) override {}
    void SetLinkPage(const char*, int) override {}

private:
    std::shared_ptr<PanelLog> log_;
};

// Factories of the recording objects; every object made is written down.
inline FramePanelFactories RecordingPanelFactories(std::shared_ptr<PanelLog> log,
                                                   bool splitterExpanded = true,
                                                   double splitterWidth = 6) {
    FramePanelFactories factories;
    factories.splitterBar = [log, splitterExpanded, splitterWidth] {
        log->calls.push_back("made splitter");
        return new RecordingSplitterBar(log, splitterExpanded, splitterWidth);
    };
    factories.forceQuitBox = [log] {
        log->calls.push_back("made force-quit box");
        return new RecordingForceQuitBox(log);
    };
    factories.exitRequestBox = [log] {
        log->calls.push_back("made exit-request box");
        return new RecordingExitRequestBox(log);
    };
    factories.infoBox = [log] {
        log->calls.push_back("made info box");
        return new RecordingInfoBox(log);
    };
    return factories;
}
