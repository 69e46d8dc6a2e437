// The other process of the cross-process window tests: one window, exported
// and findable by class, that takes kPeerReport posts and answers copy-data
// records (WindowLinkPeer.h). It runs until asked to quit.

#include "tests/platform/peers/WindowLinkPeer.h"

#include <cstdio>
#include <cstring>

#include "platform/ExportedWindows.h"
#include "platform/Messages.h"
#include "platform/Sync.h"

using namespace platform;
using namespace window_link_peer;

namespace {

class PeerWindow : public Window {
public:
    ~PeerWindow() override { Destroy(); }

    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        if (id == kPeerReport) {
            const auto value = static_cast<int32_t>(lParam);
            uint8_t bytes[4];
            std::memcpy(bytes, &value, sizeof bytes);
            const CopyDataRecord report{kReportedPost, sizeof bytes, bytes};
            SendMessageTimeout(static_cast<WindowId>(wParam), kMsgCopyData, Id(),
                               reinterpret_cast<LParam>(&report), 5000, nullptr);
            return 0;
        }
        if (id == kMsgCopyData) {
            return Answer(static_cast<WindowId>(wParam),
                          *reinterpret_cast<const CopyDataRecord*>(lParam));
        }
        return Window::WindowProc(id, wParam, lParam);
    }

private:
    LResult Answer(WindowId sender, const CopyDataRecord& record) {
        const auto* bytes = static_cast<const uint8_t*>(record.lpData);
        switch (record.dwData) {
            case kAskChecksum:
                return Checksum(bytes, record.cbData);
            case kAskSlow:
                SleepMs(kSlowMs);
                return 7;
            case kAskSendBack: {
                const CopyDataRecord back{kSentBack, record.cbData, record.lpData};
                LResult answer = 0;
                if (!SendMessageTimeout(sender, kMsgCopyData, Id(), reinterpret_cast<LParam>(&back),
                                        5000, &answer)) {
                    return -1;
                }
                return answer + 1;
            }
            case kAskQuit:
                PostQuitMessage(0);
                return 1;
            default:
                return 0;
        }
    }
};

}  // namespace

int main() {
    RegisterWindowClass(kPeerClass);
    PeerWindow window;
    if (!window.Create(kPeerClass)) {
        std::fprintf(stderr, "peer: its window could not be made\n");
        return 2;
    }
    if (!ExportWindow(window.Id(), WindowExportOptions{true, {kPeerReport}})) {
        std::fprintf(stderr, "peer: window %u could not be exported\n",
                     static_cast<unsigned>(window.Id()));
        return 2;
    }
    Message m;
    while (GetMessage(m)) {
        DispatchMessage(m);
    }
    return 0;
}
