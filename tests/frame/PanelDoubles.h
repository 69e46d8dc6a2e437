#pragma once
// Recording stand-ins for the boxes the frame view makes through the
// application's factories (the splitter is the real one). What they see goes
// into a shared log, since the engine owns (and may delete) the objects
// themselves.

#include <memory>
#include <string>
#include <vector>

#include "engine/EventRecord.h"
#include "frame/panels/FramePanels.h"
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
// The splitter is the real one.
inline FramePanelFactories RecordingPanelFactories(std::shared_ptr<PanelLog> log) {
    FramePanelFactories factories = MakeFramePanelFactories();
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
