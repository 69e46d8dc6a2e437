// The top-up browser on the fake web back end: which navigations it lets
// through, what it does with the private links, its two flags, and that
// every link command is freed exactly once.

#include "game/app/ChargeHtmlCtrl.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "frame/web/WebUrlCommand.h"
#include "game/app/RegionalMahjongApp.h"
#include "tests/frame/web/WebTestSupport.h"

namespace {

using webtest::FakeBackendScope;
using webtest::Pump;

using ChargeHtmlCtrlTest = webtest::BrowserOnFakeBackend<CChargeHtmlCtrl>;

TEST_F(ChargeHtmlCtrlTest, PagesGoThroughAndTheirCommandIsFreedAtOnce) {
    EXPECT_TRUE(Navigation("http://127.0.0.1:8080/charge.aspx?x=1"));
    EXPECT_TRUE(Navigation("about:blank"));
    EXPECT_TRUE(Navigation("qelapp://unknown/"));  // no command of the hall
    EXPECT_EQ(CWebUrlCommand::Alive(), 0);
    EXPECT_FALSE(browser.HasNavigationError());
    EXPECT_FALSE(browser.IsPageLoaded());
}

TEST_F(ChargeHtmlCtrlTest, LinkCommandsAreCancelledAndNeverRun) {
    // Another browser would reopen an old link signed, open a new one in the
    // desktop's browser or tell the hall; this one does none of it.
    EXPECT_FALSE(Navigation("QELOLD://127.0.0.1/a"));
    EXPECT_FALSE(Navigation("qelnew://127.0.0.1/b"));
    EXPECT_FALSE(Navigation("qelapp://changeclothing/"));
    EXPECT_FALSE(Navigation("qelapp://becomemember/"));
    EXPECT_FALSE(Navigation("qelapp://memberclose/"));
    Pump();
    EXPECT_EQ(CWebUrlCommand::Alive(), 0);
    EXPECT_TRUE(Navigations().empty()) << "a link was reopened";
    EXPECT_TRUE(parent.urls.empty()) << "a command reached the parent";
}

TEST_F(ChargeHtmlCtrlTest, OnlyMemberCloseGoesToTheParentAndOnlyWithLinkCommandsOn) {
    browser.EnableLinkCommands(true);
    EXPECT_FALSE(Navigation("qelold://127.0.0.1/a"));
    EXPECT_FALSE(Navigation("QELAPP://MEMBERCLOSE/"));
    Pump();
    EXPECT_EQ(parent.urls, std::vector<std::string>{"QELAPP://MEMBERCLOSE/"});
    EXPECT_EQ(CWebUrlCommand::Alive(), 0) << "the parent runs and frees it";
    EXPECT_TRUE(Navigations().empty());
}

TEST_F(ChargeHtmlCtrlTest, ACommandForAParentThatIsGoneIsFreedAtOnce) {
    platform::RegisterWindowClass("ChargeLostParent");
    struct LostParent : platform::Window {
        ~LostParent() override { Destroy(); }
    };
    CChargeHtmlCtrl orphan;
    {
        LostParent gone;
        ASSERT_TRUE(gone.Create("ChargeLostParent"));
        ASSERT_TRUE(orphan.CreateAt(gone.Id(), kPageRect));
    }
    orphan.EnableLinkCommands(true);
    backend->FireBeforeNavigate(orphan.Page().Id(), "qelapp://memberclose/", "", true);
    Pump();
    ASSERT_FALSE(backend->Decisions().empty());
    EXPECT_FALSE(backend->Decisions().back().allow);
    EXPECT_EQ(CWebUrlCommand::Alive(), 0) << "the failed post freed it";
    orphan.DestroyView();
}

TEST_F(ChargeHtmlCtrlTest, TheCancelledPageMarksAnErrorAndNoPageLoadsAfterIt) {
    EXPECT_TRUE(Navigation("res://ieframe.dll/NavCancl.htm"));
    EXPECT_TRUE(browser.HasNavigationError());
    backend->FireDocumentComplete(browser.Page().Id(), "http://127.0.0.1/charge.aspx");
    Pump();
    EXPECT_FALSE(browser.IsPageLoaded());
}

TEST_F(ChargeHtmlCtrlTest, ABlankDocumentNeverLoadsAndARealOneDoes) {
    backend->FireDocumentComplete(browser.Page().Id(), "ABOUT:BLANK");
    backend->FireDocumentComplete(browser.Page().Id(), "");
    Pump();
    EXPECT_FALSE(browser.IsPageLoaded());
    backend->FireDocumentComplete(browser.Page().Id(), "http://127.0.0.1/charge.aspx");
    Pump();
    EXPECT_TRUE(browser.IsPageLoaded());
    EXPECT_FALSE(browser.HasNavigationError());
}

TEST_F(ChargeHtmlCtrlTest, ANavigationErrorMarksTheErrorFlag) {
    backend->FireNavigateError(browser.Page().Id(), "http://127.0.0.1/missing", "", 404);
    Pump();
    EXPECT_TRUE(browser.HasNavigationError());
    backend->FireDocumentComplete(browser.Page().Id(), "http://127.0.0.1/missing");
    Pump();
    EXPECT_FALSE(browser.IsPageLoaded());
}

TEST(ChargeDialogBrowser, TheApplicationsDialogMakesTheTopUpBrowser) {
    FakeBackendScope backend;
    CChargeDialog& dialog = CRegionalMahjongApp::Instance()->GetChargeDialog();
    ASSERT_EQ(dialog.Open("http://127.0.0.1/charge.aspx", 10), 1);
    EXPECT_NE(dynamic_cast<CChargeHtmlCtrl*>(dialog.Browser()), nullptr);
    dialog.CloseWindow();
    Pump();
}

}  // namespace
