// The web-page dialog and the advert browser on the real helper (WebKitGTK)
// against this executable's X server, as the client runs them: the helper
// installed by the application's start-up and let go at its exit, pages
// from a loopback server, a private link clicked in the page, the domain
// filter on.

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "../platform/TempFolder.h"
#include "frame/GameFrameApp.h"
#include "frame/web/UrlFilter.h"
#include "frame/web/WebPageDlg.h"
#include "frame/web/WebUrlCommand.h"
#include "platform/Files.h"
#include "platform/SdlWindow.h"
#include "platform/Sync.h"
#include "tests/window/PageServer.h"
#include "tests/window/XServer.h"

namespace {

constexpr uint32_t kPageWaitMs = 20000;

class OfflineApp : public CGameFrameApp {
public:
    OfflineApp() : CGameFrameApp("pvbn", 21265, 13, 1) {}
    int GetPlayerCount() override { return 4; }
    using CGameFrameApp::ExitInstance;
    using CGameFrameApp::InitInstance;
    using CGameFrameApp::SetLaunchFields;
};

// The helper programs this process started and still runs.
std::vector<pid_t> RunningHelpers() {
    std::vector<pid_t> found;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return found;
    }
    while (const dirent* entry = ::readdir(proc)) {
        const pid_t pid = std::atoi(entry->d_name);
        if (pid <= 0) {
            continue;
        }
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        const size_t close = text.rfind(')');
        if (close == std::string::npos || text.find("(pvbn_web_helper)") == std::string::npos) {
            continue;
        }
        char state = 0;
        int parent = 0;
        if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &parent) == 2 &&
            parent == ::getpid() && state != 'Z') {
            found.push_back(pid);
        }
    }
    ::closedir(proc);
    return found;
}

bool PumpUntil(const std::function<bool()>& done, uint32_t ms = kPageWaitMs) {
    return window_test::PumpMessagesUntil(done, ms);
}

class WebPageDialogOnHelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* driver = std::getenv("SDL_VIDEODRIVER");
        if (driver == nullptr || std::string(driver) != "x11" ||
            std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X server for the web helper";
        }
        // The program folder holds the helper, as the installed client's
        // does, and takes the client's log.
        std::filesystem::create_symlink(WEB_HELPER_PROGRAM, folder_ / "pvbn_web_helper");
        platform::SetProgramFolderForTesting(folder_.Path());
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = 12345;
        app_.SetLaunchFields(fields);
        app_.SetOfflineMode(true);  // starts without a server
        ASSERT_TRUE(app_.InitInstance());
        app_.SetOfflineMode(false);  // and signs its links
        running_ = true;
    }
    void TearDown() override {
        if (running_) {
            app_.ExitInstance();
        }
        platform::SetProgramFolderForTesting("");
        platform::SetWebBackend(nullptr);
    }
    // Ends the client's application; the helper goes with it.
    void ExitClient() {
        app_.ExitInstance();
        running_ = false;
    }

    TempFolder folder_;
    OfflineApp app_;
    bool running_ = false;
    // The pages links lead to.
    window_test::PageServer server_{{{"/next.html", "<html><body>next</body></html>"}}};
};

TEST_F(WebPageDialogOnHelperTest, APageLoadsAndAClickedOldLinkComesBackSigned) {
    // The page's private link leads to the other server's page.
    window_test::PageServer server(
        {{"/page.html", "<html><body><a href=\"qelold://127.0.0.1:" +
                            std::to_string(server_.Port()) + "/next.html\">go</a></body></html>"}});
    CWebPageDlg dialog;
    ASSERT_EQ(dialog.Navigate("活动", server.Url("/page.html"), "from=test"), 1);
    ASSERT_TRUE(dialog.IsOpen());
    ASSERT_TRUE(PumpUntil([&] { return dialog.Browser().IsPageLoaded(); }))
        << "the page did not load";
    EXPECT_TRUE(server.Saw("GET /page.html?from=test HTTP/1.1"));
    EXPECT_FALSE(dialog.Browser().HasNavigationError());
    const std::vector<pid_t> helpers = RunningHelpers();
    EXPECT_EQ(helpers.size(), 1u);

    // The script-clicked link never leaves: it comes back through the
    // browser's command message as a signed address of the same page.
    dialog.Browser().Page().ClickLinksByText("go");
    ASSERT_TRUE(PumpUntil([&] { return server_.Saw("GET /next.html?uid=12345&sign= HTTP/1.1"); }))
        << "the signed page was not asked for";
    EXPECT_EQ(CWebUrlCommand::Alive(), 0);
    for (const std::string& line : server_.RequestLines()) {
        EXPECT_EQ(line.find("qelold"), std::string::npos) << line;
    }

    dialog.CloseWindow();
    ExitClient();
    EXPECT_TRUE(PumpUntil([] { return RunningHelpers().empty(); }, 5000))
        << "the helper outlived the client";
}

TEST_F(WebPageDialogOnHelperTest, WithTheFilterOnOnlyListedHostsLoad) {
    const auto file = BuildUrlFilterFile({"127.0.0.1:" + std::to_string(server_.Port())});
    ASSERT_TRUE(file);
    std::ofstream(folder_ / "domain.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(file->data()), std::streamsize(file->size()));

    platform::RegisterWindowClass("WebFilterOwner");
    struct Owner : platform::Window {
        ~Owner() override { Destroy(); }
    } owner;
    ASSERT_TRUE(owner.Create("WebFilterOwner"));
    platform::TopLevelOptions options;
    options.title = "owner";
    options.clientRect = {0, 0, 500, 400};
    platform::TopLevelWindow top(owner.Id(), options);

    CAdvertHtmlCtrl advert;
    advert.EnableUrlFilter(true);
    advert.SetUrlFilterFile(folder_ / "domain.dat");
    ASSERT_TRUE(advert.Create(owner.Id(), {10, 10, 410, 310}));
    advert.Page().Show(true);

    ASSERT_TRUE(advert.Navigate(server_.Url("/next.html", "localhost")));
    PumpUntil([] { return false; }, 2000);
    EXPECT_TRUE(server_.RequestLines().empty()) << "an unlisted host was asked";
    EXPECT_FALSE(advert.IsPageLoaded());

    ASSERT_TRUE(advert.Navigate(server_.Url("/next.html")));
    ASSERT_TRUE(PumpUntil([&] { return advert.IsPageLoaded(); })) << "the listed host did not load";
    EXPECT_TRUE(server_.Saw("GET /next.html HTTP/1.1"));
    advert.DestroyView();
}

}  // namespace
