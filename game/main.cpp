// The program's entry.
//
// The game frame is not built yet: starting the program opens the daily log,
// opens the engine window with an empty root view and runs its message loop
// until the window is closed. With --frames N the window closes itself after
// N engine frames (headless runs: SDL_VIDEODRIVER=dummy).

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/CorvaneView.h"
#include "engine/CorvaneWnd.h"
#include "engine/ui/CorvaneMessagePanel.h"
#include "platform/Browser.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/SdlWindow.h"
#include "platform/TextCodec.h"
#include "zep/ZepLog.h"

namespace {

// The game's log stem and options: the daily file "Game<date>.log".
constexpr const char* kGameLogStem = "Game";
constexpr uint32_t kGameLogOptions = 0xA001D;

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;
constexpr int kWindowLeft = 100;
constexpr int kWindowTop = 100;

// The program's main window: the engine window, which ends the message loop
// when it is destroyed and, when given a frame budget, closes itself once
// that many engine frames have run.
class MainWindow : public CCorvaneWnd {
public:
    explicit MainWindow(long frameBudget) : frameBudget_(frameBudget) {}
    ~MainWindow() override { Destroy(); }

    void RunFrame() override {
        CCorvaneWnd::RunFrame();
        ++framesRun_;
        if (frameBudget_ > 0 && framesRun_ == frameBudget_) {
            platform::PostMessage(Id(), platform::kMsgClose, 0, 0);
        }
    }

    long FramesRun() const { return framesRun_; }

protected:
    platform::LResult OnMessage(uint32_t id, platform::WParam wParam,
                                platform::LParam lParam) override {
        const platform::LResult result = CCorvaneWnd::OnMessage(id, wParam, lParam);
        if (id == platform::kMsgDestroy) {
            platform::PostQuitMessage(0);
        }
        return result;
    }

private:
    long frameBudget_;
    long framesRun_ = 0;
};

// --frames N (N from 1 to 1,000,000,000); 0 without it, -1 for a bad command line.
long ParseFrameBudget(int argc, char** argv) {
    if (argc == 1) {
        return 0;
    }
    if (argc != 3 || std::strcmp(argv[1], "--frames") != 0) {
        return -1;
    }
    char* end = nullptr;
    errno = 0;
    const long frames = std::strtol(argv[2], &end, 10);
    if (errno != 0 || end == argv[2] || *end != '\0' || frames < 1 || frames > 1000000000L) {
        return -1;
    }
    return frames;
}

int RunEngineWindow(long frameBudget) {
    MainWindow window(frameBudget);
    const platform::ScreenRect rect{kWindowLeft, kWindowTop, kWindowLeft + kWindowWidth,
                                    kWindowTop + kWindowHeight};
    if (window.Create("pvbn", platform::kStyleOverlappedWindow | platform::kStyleVisible, 0, rect,
                      0) == 0) {
        std::fprintf(stderr, "pvbn: the engine window could not be created\n");
        return 1;
    }
    if (!window.GetTopLevel()->IsOnScreen() && frameBudget == 0) {
        std::fprintf(stderr,
                     "pvbn: no display to show the window on; a headless run needs "
                     "--frames N (with SDL_VIDEODRIVER=dummy)\n");
        return 1;
    }
    // The desktop's clipboard and browser, and the engine's message boxes.
    std::unique_ptr<platform::ClipboardBackend> clipboard = platform::MakeSdlClipboardBackend();
    if (clipboard) {
        platform::SetClipboardBackend(clipboard.get());
    }
    std::unique_ptr<platform::BrowserBackend> browser = platform::MakeDesktopBrowserBackend();
    platform::SetBrowserBackend(browser.get());
    InstallMessagePanelMaker();

    platform::SetMainWindow(window.Id());
    window.Initialize(new CCorvaneView);
    ZepLog("pvbn engine window open");

    platform::Message message;
    while (platform::GetMessage(message)) {
        platform::DispatchMessage(message);
    }
    platform::SetMainWindow(0);
    platform::SetBrowserBackend(nullptr);
    platform::SetClipboardBackend(nullptr);
    ZepLog("pvbn engine window closed after %ld frames", window.FramesRun());

    const std::string folder = platform::GbkToUtf8(platform::ProgramFolder());
    std::printf(
        "pvbn: the engine window ran %ld frames and was closed; the game frame is not built "
        "yet.\nLogs: %sGameRun.log and %sGame<date>.log\n",
        window.FramesRun(), folder.c_str(), folder.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const long frameBudget = ParseFrameBudget(argc, argv);
    if (frameBudget < 0) {
        std::fprintf(stderr, "usage: pvbn [--frames N]\n");
        return 2;
    }
    ZepLogInit(kGameLogStem, kGameLogOptions);
    ZepLog("pvbn started");
    const int status = RunEngineWindow(frameBudget);
    ZepLog("pvbn stopped");
    ZepLogTerm();
    return status;
}
