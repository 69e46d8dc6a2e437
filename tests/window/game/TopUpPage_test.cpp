// The regional top-up page on the real web helper (WebKitGTK) against this
// program's X server: the server's 229805 names a loopback page, the table's
// "Btn_二维码充值" clicked through the X server opens it in the top-up
// dialog's browser, and that browser's flags and link rules hold on real
// pages (a blank page, the browser's cancelled page, a 404, a link command).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/ui/CorvaneButton.h"
#include "frame/web/WebUrlCommand.h"
#include "game/app/ChargeHtmlCtrl.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/table/RegionalTableView.h"
#include "platform/Dialogs.h"
#include "platform/SdlWindow.h"
#include "platform/TextCodec.h"
#include "platform/WebView.h"
#include "tests/frame/web/WebTestSupport.h"
#include "tests/game/support/ProgramFolder.h"
#include "tests/window/PageServer.h"
#include "tests/window/XServer.h"

namespace {

using window_test::PumpMessagesUntil;

constexpr uint32_t kPageWaitMs = 20000;
constexpr int32_t kChargeUrlNotice = 229805;

CRegionalMahjongApp& App() {
    return *CRegionalMahjongApp::Instance();
}

// The offline client in this process with its main window on the test's X
// server and the web helper of its program folder.
class TopUpPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        server = window_test::RunningXServer(error);
        const char* driver = std::getenv("SDL_VIDEODRIVER");
        if (server == nullptr || driver == nullptr || std::string(driver) != "x11") {
            GTEST_SKIP() << "no X server for the web helper: " << error;
        }
        ASSERT_TRUE(folder.Ok()) << folder.Error();
        std::filesystem::create_symlink(WEB_HELPER_PROGRAM, folder / "pvbn_web_helper");
        platform::SetMessageBoxSink([](const platform::MessageBoxRequest&) { return 1; });
        App().SetOfflineMode(true);
        ASSERT_TRUE(App().InitInstance());
        running = true;
    }
    void TearDown() override {
        App().GetChargeDialog().CloseWindow();
        if (running) {
            App().ExitInstance();
        }
        App().ResetForTesting();
        platform::SetMessageBoxSink({});
        platform::SetWebBackend(nullptr);
    }

    const window_test::XServer* server = nullptr;
    game_test::ProgramFolder folder;
    bool running = false;
};

TEST_F(TopUpPageTest, TheQrButtonOpensThePageTheServerNamed) {
    window_test::PageServer pages(
        std::map<std::string, std::string>{{"/qr.html", "<html><body>qr</body></html>"}});
    const std::string title = platform::GbkToUtf8(App().GetGameName());
    unsigned long window = 0;
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return (window = server->FindWindow(title)) != 0; }, kPageWaitMs))
        << "the main window is not on the X server";
    CRegionalTableView* view = App().GetRegionalTableView();
    ASSERT_NE(view, nullptr);
    CCorvaneButton* button = nullptr;
    ASSERT_TRUE(PumpMessagesUntil(
        [&] {
            button = view->GetQrChargeButton();
            return button != nullptr && button->IsVisible();
        },
        kPageWaitMs))
        << "no top-up button";

    // The server names the page (text up to its zero).
    const std::string url = pages.Url("/qr.html");
    std::vector<uint8_t> record(url.begin(), url.end());
    record.push_back(0);
    App().GetNotifyHandler()->OnNotify(kChargeUrlNotice, record.data(), record.size());
    ASSERT_EQ(App().GetChargeUrl(), url);

    // A real click on the button's middle (an object's position is its
    // centre).
    PumpMessagesUntil([] { return false; }, 500);  // drawn where it stands
    const int x = int(button->GetX());
    const int y = int(button->GetY());
    ASSERT_EQ(window_test::ClickAt(*server, window, x, y, kPageWaitMs), "");
    CChargeDialog& dialog = App().GetChargeDialog();
    ASSERT_TRUE(PumpMessagesUntil([&] { return dialog.IsOpen(); }, kPageWaitMs))
        << "the click did not open the top-up dialog";
    auto* browser = dynamic_cast<CChargeHtmlCtrl*>(dialog.Browser());
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(PumpMessagesUntil([&] { return browser->IsPageLoaded(); }, kPageWaitMs))
        << "the page did not load";
    EXPECT_FALSE(browser->HasNavigationError());
    bool asked = false;
    for (const std::string& line : pages.RequestLines()) {
        asked = asked || line.rfind("GET /qr.html?hall_id=", 0) == 0;
    }
    EXPECT_TRUE(asked) << "the signed page was not asked for";

    // Open again: the open dialog's window, nothing new.
    const platform::WindowId open = dialog.Id();
    EXPECT_EQ(App().OpenChargeDialog(), static_cast<int>(open));
    EXPECT_EQ(dialog.Id(), open);
}

// A top-up browser over a window of its own that takes the link commands
// posted to it.
class TopUpBrowserTest : public TopUpPageTest {
protected:
    void SetUp() override {
        TopUpPageTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        platform::TopLevelOptions options;
        options.title = "top-up owner";
        options.clientRect = {0, 0, 500, 400};
        top = std::make_unique<platform::TopLevelWindow>(parent.Id(), options);
    }
    void TearDown() override {
        for (auto& browser : browsers) {
            browser->DestroyView();
        }
        browsers.clear();
        top.reset();
        TopUpPageTest::TearDown();
    }
    CChargeHtmlCtrl& NewBrowser() {
        browsers.push_back(std::make_unique<CChargeHtmlCtrl>());
        EXPECT_TRUE(browsers.back()->Create(parent.Id(), {10, 10, 410, 310}));
        browsers.back()->Page().Show(true);
        return *browsers.back();
    }
    void Wait(uint32_t ms) {
        PumpMessagesUntil([] { return false; }, ms);
    }

    webtest::CommandParent parent;
    std::unique_ptr<platform::TopLevelWindow> top;
    std::vector<std::unique_ptr<CChargeHtmlCtrl>> browsers;
};

TEST_F(TopUpBrowserTest, BlankAndCancelledPagesNeverLoadAndA404IsAnError) {
    window_test::PageServer pages(
        std::map<std::string, std::string>{{"/page.html", "<html><body>page</body></html>"}});

    CChargeHtmlCtrl& blank = NewBrowser();
    ASSERT_TRUE(blank.Navigate("about:blank"));
    Wait(2000);
    EXPECT_FALSE(blank.IsPageLoaded());
    EXPECT_FALSE(blank.HasNavigationError());

    // The browser's cancelled page marks the error; the page after it does
    // not count as loaded.
    CChargeHtmlCtrl& cancelled = NewBrowser();
    cancelled.Navigate(pages.Url("/navcancl.htm"));
    ASSERT_TRUE(PumpMessagesUntil([&] { return cancelled.HasNavigationError(); }, kPageWaitMs));
    ASSERT_TRUE(cancelled.Navigate(pages.Url("/page.html")));
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return pages.Saw("GET /page.html HTTP/1.1"); }, kPageWaitMs));
    Wait(1000);
    EXPECT_FALSE(cancelled.IsPageLoaded());

    CChargeHtmlCtrl& missing = NewBrowser();
    ASSERT_TRUE(missing.Navigate(pages.Url("/missing.html")));
    ASSERT_TRUE(PumpMessagesUntil([&] { return missing.HasNavigationError(); }, kPageWaitMs))
        << "a 404 set no error";
    Wait(1000);
    EXPECT_FALSE(missing.IsPageLoaded());
}

TEST_F(TopUpBrowserTest, AClickedLinkCommandIsCancelledAndNothingIsPosted) {
    window_test::PageServer next(
        std::map<std::string, std::string>{{"/next.html", "<html><body>next</body></html>"}});
    window_test::PageServer pages(std::map<std::string, std::string>{
        {"/page.html", "<html><body><a href=\"qelold://127.0.0.1:" + std::to_string(next.Port()) +
                           "/next.html\">go</a> <a href=\"qelapp://memberclose/\">close</a>"
                           "</body></html>"}});
    CChargeHtmlCtrl& browser = NewBrowser();
    ASSERT_TRUE(browser.Navigate(pages.Url("/page.html")));
    ASSERT_TRUE(PumpMessagesUntil([&] { return browser.IsPageLoaded(); }, kPageWaitMs));

    browser.Page().ClickLinksByText("go");
    browser.Page().ClickLinksByText("close");  // link commands are off
    Wait(2000);
    EXPECT_TRUE(next.RequestLines().empty()) << "the old link was followed";
    EXPECT_TRUE(parent.urls.empty()) << "a command reached the parent";
    EXPECT_EQ(CWebUrlCommand::Alive(), 0);
    EXPECT_FALSE(browser.HasNavigationError());
}

}  // namespace
