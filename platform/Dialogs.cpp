#include "platform/Dialogs.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/TextCodec.h"

namespace platform {
namespace {

std::mutex& SinkLock() {
    static std::mutex lock;
    return lock;
}

MessageBoxSink& InstalledSink() {
    static MessageBoxSink sink;
    return sink;
}

std::atomic<WindowId>& MainWindowId() {
    static std::atomic<WindowId> window{0};
    return window;
}

// The answer a user who accepts the box gives: Yes where there is a Yes
// button, else OK.
int AcceptingAnswer(uint32_t style) {
    switch (style & 0xF) {
        case 0x3:  // Yes, No, Cancel
        case kBoxYesNo:
            return kAnswerYes;
        default:
            return kAnswerOk;
    }
}

// Without a window system the box goes to standard error and is accepted.
int WriteBoxToStandardError(const MessageBoxRequest& request) {
    const std::string caption = request.caption.empty() ? std::string("错误") : request.caption;
    WriteStandardErrorLine(caption + ": " + request.text);
    return AcceptingAnswer(request.style);
}

}  // namespace

void WriteStandardErrorLine(std::string_view text) {
    const std::string line = GbkToUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

int ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                   uint32_t style) {
    MessageBoxRequest request;
    request.owner = owner;
    request.text = std::string(text);
    request.caption = std::string(caption);
    request.style = style;

    MessageBoxSink sink;
    {
        std::lock_guard<std::mutex> guard(SinkLock());
        sink = InstalledSink();
    }
    // The sink runs unlocked: it may show another box or replace itself.
    return sink ? sink(request) : WriteBoxToStandardError(request);
}

void SetMessageBoxSink(MessageBoxSink sink) {
    std::lock_guard<std::mutex> guard(SinkLock());
    InstalledSink() = std::move(sink);
}

WindowId MainWindow() {
    return MainWindowId().load();
}

void SetMainWindow(WindowId window) {
    MainWindowId().store(window);
}

}  // namespace platform
