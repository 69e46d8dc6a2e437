#include "frame/GameCommThread.h"

#include <algorithm>
#include <atomic>

#include "frame/HallSignQueries.h"
#include "frame/WaitDialog.h"
#include "platform/ExportedWindows.h"
#include "platform/Screen.h"
#include "platform/Sync.h"
#include "zep/ZepLog.h"
#include "zep/ZepMessage.h"

namespace {

constexpr char kCommWindowClass[] = "CGameCommThreadWnd";
constexpr uint32_t kStartWaitMs = 5000;
constexpr int64_t kLongestTimerMs = 0x7FFFFFFF;

std::atomic<int> droppedNotifications{0};

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

void ShowWaitText(CWaitDisplay& display, const platform::Message& message) {
    std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(message.wParam));
    if (!text) {
        display.HideWaitText();
        return;
    }
    display.ShowWaitText(*text,
                         static_cast<int>(std::clamp<int64_t>(message.lParam, 0, INT32_MAX)));
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
        ZepLog("CGameCommThread: no wait window was made");
        start->ready.Set();
        return;
    }
    display->SetSignQueries(std::move(options.signQueries));
    if (!display->Open()) {
        start->ready.Set();
        return;
    }
    platform::ExportWindow(display->Id(), {});
    start->window.store(display->Id());
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
                ShowWaitText(*display, message);
                break;
            default:
                break;
        }
    }
    FreeQueuedRecords();
    platform::UnexportWindow(display->Id());
    display.reset();
}

}  // namespace

bool CWaitDisplay::Open() {
    platform::RegisterWindowClass(kCommWindowClass);
    return Create(kCommWindowClass);
}

void CWaitDisplay::ShowWaitText(const std::string& text, int seconds) {
    if (seconds > 0) {
        const int64_t ms = std::min<int64_t>(int64_t{seconds} * 1000, kLongestTimerMs);
        autoHideTimer_ = platform::SetTimer(Id(), kAutoHideTimer, static_cast<uint32_t>(ms));
    }
    Show(text, seconds);
}

void CWaitDisplay::HideWaitText() {
    if (autoHideTimer_ != 0) {
        platform::KillTimer(Id(), autoHideTimer_);
        autoHideTimer_ = 0;
    }
    Hide();
}

platform::LResult CWaitDisplay::WindowProc(uint32_t id, platform::WParam wParam,
                                           platform::LParam lParam) {
    if (id == platform::kMsgTimer && autoHideTimer_ != 0 && wParam == autoHideTimer_) {
        HideWaitText();
        return 0;
    }
    if (id == platform::kMsgCopyData && lParam != 0) {
        const auto* record = reinterpret_cast<const platform::CopyDataRecord*>(lParam);
        if (record->dwData != kSignAnswerData) {
            return 0;
        }
        OnSignAnswer(*record);
        return 1;
    }
    return Window::WindowProc(id, wParam, lParam);
}

void CWaitDisplay::OnSignAnswer(const platform::CopyDataRecord& record) {
    if (record.lpData == nullptr && record.cbData != 0) {
        ZepLog("sign answer: %u bytes without data", static_cast<unsigned>(record.cbData));
        return;
    }
    if (!signQueries_) {
        ZepLog("sign answer: no query waits here");
        return;
    }
    // Read from a copy of its own: the sender's bytes live only during the
    // call.
    const auto* bytes = static_cast<const uint8_t*>(record.lpData);
    const std::vector<uint8_t> copy(bytes, bytes + record.cbData);
    signQueries_->Answer(copy);
}

std::unique_ptr<CGameCommThread> CGameCommThread::Start(Options options) {
    if (!options.makeWaitDisplay) {
        options.makeWaitDisplay = MakeWaitDialogFactory({}, platform::WorkArea());
    }
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
