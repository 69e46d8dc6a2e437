#include "frame/web/WebUrlCommand.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "frame/LaunchRecordBuilder.h"
#include "frame/web/WebHtmlCtrl.h"
#include "platform/Browser.h"
#include "platform/Sync.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame/web/WebTestSupport.h"

namespace {

using webtest::FakeBackendScope;
using webtest::Pump;

TEST(WebUrlCommandTest, SchemesAreKnownWhateverTheirCase) {
    const CWebUrlCommand old(0, "QELOLD://x.test/a");
    EXPECT_TRUE(old.IsOldLink());
    EXPECT_FALSE(old.IsNewLink());
    EXPECT_FALSE(old.IsAppLink());
    EXPECT_TRUE(CWebUrlCommand(0, "qelNew:x").IsNewLink());
    EXPECT_TRUE(CWebUrlCommand(0, "QelApp://y/").IsAppLink());
    EXPECT_TRUE(CWebUrlCommand(0, "ABOUT:BLANK").IsBlankPage());
    EXPECT_FALSE(CWebUrlCommand(0, "about:blank#top").IsBlankPage());
    EXPECT_TRUE(CWebUrlCommand(0, "HTTP://a").IsHttpLink());
    EXPECT_FALSE(CWebUrlCommand(0, "https://a").IsHttpLink());
    EXPECT_FALSE(CWebUrlCommand(0, "qelol").IsOldLink());

    EXPECT_TRUE(CWebUrlCommand(0, "QELAPP://ChangeClothing/").IsChangeClothing());
    EXPECT_FALSE(CWebUrlCommand(0, "qelapp://changeclothing").IsChangeClothing());
    EXPECT_TRUE(CWebUrlCommand(0, "qelapp://becomemember/").IsBecomeMember());
    EXPECT_TRUE(CWebUrlCommand(0, "qelapp://memberclose/").IsMemberClose());
    EXPECT_FALSE(CWebUrlCommand(0, "qelapp://memberclose/x").IsMemberClose());
}

TEST(WebUrlCommandTest, ToHttpUrlReplacesTheScheme) {
    EXPECT_EQ(CWebUrlCommand(0, "QELOLD://x.test/a?b=1").ToHttpUrl(), "http://x.test/a?b=1");
    EXPECT_EQ(CWebUrlCommand(0, "qelnew:page").ToHttpUrl(), "http:page");
    EXPECT_EQ(CWebUrlCommand(0, "no-colon").ToHttpUrl(), "http");
    EXPECT_EQ(CWebUrlCommand(0, "").ToHttpUrl(), "http");
}

// User 12345 offline or not; a browser made over a plain parent window on
// the fake back end.
class BrowserCommandTest : public webtest::BrowserOnFakeBackend<CWebPageHtmlCtrl> {
protected:
    void SetUp() override {
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = 12345;
        app.SetLaunchFields(fields);
        BrowserOnFakeBackend::SetUp();
    }

    TestFrameApp app;
};

TEST_F(BrowserCommandTest, AnOldLinkIsCancelledAndReopenedSignedInTheSameBrowser) {
    EXPECT_FALSE(Navigation("QELOLD://x.test/a?b=1"));
    EXPECT_EQ(CWebUrlCommand::Alive(), 0) << "not run and freed at its message";
    ASSERT_EQ(Navigations().size(), 1u);
    // No hall answers the sign query: the sign stays empty.
    EXPECT_EQ(Navigations()[0].url, "http://x.test/a?b=1&uid=12345&sign=");
    EXPECT_EQ(Navigations()[0].flags, 0u);
    EXPECT_TRUE(Navigations()[0].post.empty());

    app.SetOfflineMode(true);
    EXPECT_FALSE(Navigation("qelold://x.test/b"));
    ASSERT_EQ(Navigations().size(), 2u);
    EXPECT_EQ(Navigations()[1].url, "http://x.test/b");
}

TEST_F(BrowserCommandTest, ANewLinkOpensSignedInTheDesktopBrowser) {
    platform::RecordingBrowserBackend desktop;
    platform::SetBrowserBackend(&desktop);
    EXPECT_FALSE(Navigation("QELNEW://x.test/n"));
    for (int i = 0; i < 200 && desktop.Opened().empty(); ++i) {
        platform::SleepMs(10);  // the worker thread opens it
    }
    platform::SetBrowserBackend(nullptr);
    EXPECT_EQ(desktop.Opened(), std::vector<std::string>{"http://x.test/n?uid=12345&sign="});
    EXPECT_TRUE(Navigations().empty());
}

TEST_F(BrowserCommandTest, OrdinaryUrlsAreAllowedAndTheirCommandFreedAtOnce) {
    EXPECT_TRUE(Navigation("http://web.example/a"));
    EXPECT_TRUE(Navigation("about:blank"));
    EXPECT_TRUE(Navigation("qelapp://changeclothing"));  // not the command
    EXPECT_TRUE(Navigation("qelapp://unknown/"));
    EXPECT_EQ(CWebUrlCommand::Alive(), 0);
    EXPECT_FALSE(browser.HasNavigationError());
    EXPECT_TRUE(Navigation("res://ieframe.dll/NAVCANCL.HTM"));
    EXPECT_TRUE(browser.HasNavigationError());
}

TEST_F(BrowserCommandTest, HallLinksWithoutAHallAreCancelledAndNothingIsPosted) {
    EXPECT_FALSE(Navigation("qelapp://changeclothing/"));
    EXPECT_FALSE(Navigation("QELAPP://BECOMEMEMBER/"));
    EXPECT_TRUE(Navigations().empty());
}

TEST_F(BrowserCommandTest, MemberCloseGoesToTheParentOnlyWithLinkCommandsOn) {
    EXPECT_FALSE(Navigation("qelapp://memberclose/"));
    Pump();
    EXPECT_TRUE(parent.urls.empty());

    browser.EnableLinkCommands(true);
    EXPECT_FALSE(Navigation("qelapp://memberclose/"));
    EXPECT_EQ(CWebUrlCommand::Alive(), 0) << "the parent did not free it";
    EXPECT_EQ(parent.urls, std::vector<std::string>{"qelapp://memberclose/"});
    EXPECT_TRUE(Navigations().empty()) << "memberclose has nothing to run";
}

TEST_F(BrowserCommandTest, AFailedPostFreesTheCommandAtOnce) {
    browser.EnableLinkCommands(true);
    parent.Destroy();  // the memberclose post fails
    EXPECT_FALSE(Navigation("qelapp://memberclose/"));
    EXPECT_EQ(CWebUrlCommand::Alive(), 0);
}

TEST_F(BrowserCommandTest, ACommandWhoseWindowIsGoneIsFreedOnce) {
    backend->FireBeforeNavigate(browser.Page().Id(), "qelold://x.test/late", "", true);
    // The answer (and the posted command) is taken, but the browser goes
    // before the command's own message is handled.
    platform::Message message;
    ASSERT_TRUE(platform::PeekMessage(message, platform::PeekMode::Remove));
    platform::DispatchMessage(message);
    EXPECT_EQ(CWebUrlCommand::Alive(), 1);
    browser.DestroyView();
    EXPECT_EQ(CWebUrlCommand::Alive(), 0);
    Pump();
}

TEST_F(BrowserCommandTest, AForgedOrRepeatedCommandMessageIsIgnored) {
    CWebUrlCommand stack(browser.Id(), "qelold://x.test/forged");
    platform::PostMessage(browser.Id(), kMsgWebUrlCommand,
                          reinterpret_cast<platform::WParam>(&stack), 0);
    Pump();
    EXPECT_TRUE(Navigations().empty());

    auto command = std::make_unique<CWebUrlCommand>(browser.Id(), "qelold://x.test/twice");
    const auto raw = reinterpret_cast<platform::WParam>(command.get());
    ASSERT_TRUE(PostWebUrlCommand(browser.Id(), std::move(command)));
    platform::PostMessage(browser.Id(), kMsgWebUrlCommand, raw, 0);
    Pump();
    EXPECT_EQ(Navigations().size(), 1u);
}

TEST_F(BrowserCommandTest, APageLoadsUnlessItFailedOrIsBlank) {
    const platform::WebViewId page = browser.Page().Id();
    backend->FireDocumentComplete(page, "about:blank");
    Pump();
    EXPECT_FALSE(browser.IsPageLoaded());
    backend->FireDocumentComplete(page, "http://web.example/");
    Pump();
    EXPECT_TRUE(browser.IsPageLoaded());

    CWebPageHtmlCtrl failed;
    ASSERT_TRUE(failed.CreateAt(parent.Id(), kPageRect));
    backend->FireNavigateError(failed.Page().Id(), "http://web.example/x", "", 404);
    backend->FireDocumentComplete(failed.Page().Id(), "http://web.example/x");
    Pump();
    EXPECT_TRUE(failed.HasNavigationError());
    EXPECT_FALSE(failed.IsPageLoaded());
    EXPECT_FALSE(browser.HasNavigationError()) << "another browser's event";
}

TEST_F(BrowserCommandTest, OnlyTheAdvertBrowserClicksLinks) {
    browser.ClickLinkByText("x");
    EXPECT_TRUE(backend->Find(browser.Page().Id())->clickedLinks.empty());
    CAdvertHtmlCtrl advert;
    ASSERT_TRUE(advert.CreateAt(parent.Id(), kPageRect));
    advert.ClickLinkByText("签到");
    EXPECT_EQ(backend->Find(advert.Page().Id())->clickedLinks,
              std::vector<std::string>{"\xe7\xad\xbe\xe5\x88\xb0"});  // UTF-8 at the back end
}

TEST_F(BrowserCommandTest, NavigateSendsItsArgumentsAndAFormBody) {
    ASSERT_TRUE(browser.Navigate("http://web.example/pay", 4, "_self", "X-A: 1", "a=1&b=2"));
    ASSERT_EQ(Navigations().size(), 1u);
    EXPECT_EQ(Navigations()[0].flags, 4u);
    EXPECT_EQ(Navigations()[0].frame, "_self");
    EXPECT_EQ(Navigations()[0].headers, "X-A: 1");
    EXPECT_EQ(std::string(Navigations()[0].post.begin(), Navigations()[0].post.end()), "a=1&b=2");
    CWebPageHtmlCtrl notMade;
    EXPECT_FALSE(notMade.Navigate("http://web.example/"));
}

}  // namespace
