#include "frame/GameCommThread.h"

#include <algorithm>
#include <atomic>

#include "platform/ExportedWindows.h"
#include "platform/Sync.h"
#include "zep/ZepLog.h"
#include "zep/ZepMessage.h"

namespace {

constexpr char kCommWindowClass[] = "CGameCommThreadWnd";
constexpr uint32_t kAutoHideTimer = 1;
constexpr uint32_t kStartWaitMs = 5000;
constexpr int64_t kLongestTimerMs = 0x7FFFFFFF;

std::atomic<int> droppedNotifications{0};

class LoggingWaitDisplay : public CWaitDisplay {
public:
    void Show(const std::string& text, int seconds) override {
        ZepLog("wait text (%d s): %s", seconds, text.c_str());
    }
    void Hide() override {}
};

// The thread's hidden window: the hall's sign answer and the wait text's
// auto-hide timer.
class CommWindow : public platform::Window {
public:
    CommWindow(std::function<void(std::span<const uint8_t>)> onSignAnswer, CWaitDisplay& display)
        : onSignAnswer_(std::move(onSignAnswer)), display_(display) {}
    ~CommWindow() override { Destroy(); }

    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override {
        if (id == platform::kMsgTimer && wParam == kAutoHideTimer) {
            platform::KillTimer(Id(), kAutoHideTimer);
            display_.Hide();
            return 0;
        }
        if (id == platform::kMsgCopyData && lParam != 0) {
            const auto* record = reinterpret_cast<const platform::CopyDataRecord*>(lParam);
            if (record->dwData == kSignAnswerData && onSignAnswer_ &&
                (record->lpData != nullptr || record->cbData == 0)) {
                onSignAnswer_(std::span<const uint8_t>(static_cast<const uint8_t*>(record->lpData),
                                                       record->cbData));
                return 1;
            }
            return 0;
        }
        return Window::WindowProc(id, wParam, lParam);
    }

private:
    static constexpr uintptr_t kSignAnswerData = 14;

    std::function<void(std::span<const uint8_t>)> onSignAnswer_;
    CWaitDisplay& display_;
};

void FreeNotification(platform::WParam info, platform::LParam message) {
    ZepFreeDelivery(reinterpret_cast<ZepDeliveryInfo*>(info),
                    reinterpret_cast<ZepMessage*>(message));
    ++droppedNotifications;
}

void Relay(platform::WindowId target, const platform::Message& message) {
    if (target != 0 &&
        platform::PostMessage(target, WM_ZEP_SOCKET, message.wParam, message.lParam)) {
        return;  // the target frees the pair
    }
    FreeNotification(message.wParam, message.lParam);
}

void ShowWaitText(CWaitDisplay& display, platform::WindowId window,
                  const platform::Message& message) {
    std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(message.wParam));
    platform::KillTimer(window, kAutoHideTimer);
    if (!text) {
        display.Hide();
        return;
    }
    const int seconds = static_cast<int>(std::clamp<int64_t>(message.lParam, 0, INT32_MAX));
    display.Show(*text, seconds);
    if (seconds > 0) {
        const int64_t ms = std::min<int64_t>(int64_t{seconds} * 1000, kLongestTimerMs);
        platform::SetTimer(window, kAutoHideTimer, static_cast<uint32_t>(ms));
    }
}

// Frees what is still queued for a thread that ends: its records would be
// lost with the queue.
void FreeQueuedRecords() {
    platform::Message message;
    while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
        if (message.window != 0) {
            continue;
        }
        if (message.id == WM_ZEP_SOCKET) {
            FreeNotification(message.wParam, message.lParam);
        } else if (message.id == kMsgCommWaitText) {
            delete reinterpret_cast<std::string*>(message.wParam);
        }
    }
}

struct StartState {
    platform::Event ready{platform::Event::Mode::ManualReset};
    std::atomic<platform::WindowId> window{0};
};

void RunCommThread(const std::shared_ptr<StartState>& start, CGameCommThread::Options options) {
    std::unique_ptr<CWaitDisplay> display =
        options.makeWaitDisplay ? options.makeWaitDisplay() : nullptr;
    if (!display) {
        display = MakeLoggingWaitDisplay();
    }
    platform::RegisterWindowClass(kCommWindowClass);
    CommWindow window(std::move(options.onSignAnswer), *display);
    if (!window.Create(kCommWindowClass)) {
        start->ready.Set();
        return;
    }
    platform::ExportWindow(window.Id(), {});
    start->window.store(window.Id());
    start->ready.Set();

    platform::WindowId target = 0;
    platform::Message message;
    while (platform::GetMessage(message)) {
        if (message.window != 0) {
            platform::DispatchMessage(message);
            continue;
        }
        switch (message.id) {
            case kMsgCommSetTarget:
                target = static_cast<platform::WindowId>(message.wParam);
                break;
            case kMsgCommQuit:
                platform::PostQuitMessage(0);
                break;
            case WM_ZEP_SOCKET:
                Relay(target, message);
                break;
            case kMsgCommWaitText:
                ShowWaitText(*display, window.Id(), message);
                break;
            default:
                break;
        }
    }
    FreeQueuedRecords();
    platform::UnexportWindow(window.Id());
    window.Destroy();
    display.reset();
}

}  // namespace

std::unique_ptr<CWaitDisplay> MakeLoggingWaitDisplay() {
    return std::make_unique<LoggingWaitDisplay>();
}

std::unique_ptr<CGameCommThread> CGameCommThread::Start(Options options) {
    std::unique_ptr<CGameCommThread> comm(new CGameCommThread);
    auto start = std::make_shared<StartState>();
    if (!comm->thread_.StartWithQueue([start, options = std::move(options)]() mutable {
            RunCommThread(start, std::move(options));
        })) {
        ZepLog("CGameCommThread: the thread could not start");
        return nullptr;
    }
    if (!start->ready.Wait(kStartWaitMs) || start->window.load() == 0) {
        ZepLog("CGameCommThread: the thread made no window");
        platform::PostThreadMessage(comm->thread_.Id(), kMsgCommQuit, 0, 0);
        return nullptr;
    }
    comm->window_ = start->window.load();
    return comm;
}

CGameCommThread::~CGameCommThread() = default;

bool CGameCommThread::Stop(uint32_t timeoutMs) {
    platform::PostThreadMessage(thread_.Id(), kMsgCommQuit, 0, 0);
    return thread_.Join(timeoutMs);
}

int CGameCommThread::DroppedNotifications() {
    return droppedNotifications.load();
}
