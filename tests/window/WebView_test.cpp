// Web views on the real helper (WebKitGTK) against this executable's X
// server: pages from files and a loopback HTTP server, every navigation held
// until the owner answers.

#include "platform/WebView.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../platform/LoopbackHttpServer.h"
#include "../platform/TempFolder.h"
#include "platform/Process.h"
#include "platform/SdlWindow.h"
#include "platform/Sync.h"
#include "platform/WebHelperBackend.h"
#include "platform/WebProtocol.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using platform::WebBeforeNavigate;
using platform::WebDocumentComplete;
using platform::WebNavigateError;

// One web event the owner received.
struct WebEvent {
    uint32_t id = 0;
    std::unique_ptr<WebBeforeNavigate> before;
    std::unique_ptr<WebDocumentComplete> complete;
    std::unique_ptr<WebNavigateError> error;
};

class OwnerWindow : public platform::Window {
public:
    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override {
        WebEvent event{id, nullptr, nullptr, nullptr};
        if (id == platform::kMsgWebBeforeNavigate) {
            event.before = platform::TakeWebEvent<WebBeforeNavigate>(lParam);
        } else if (id == platform::kMsgWebDocumentComplete) {
            event.complete = platform::TakeWebEvent<WebDocumentComplete>(lParam);
        } else if (id == platform::kMsgWebNavigateError) {
            event.error = platform::TakeWebEvent<WebNavigateError>(lParam);
        } else {
            return Window::WindowProc(id, wParam, lParam);
        }
        events.push_back(std::move(event));
        return 0;
    }
    std::vector<WebEvent> events;
};

class WebViewOnHelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The X server this executable's environment started (RealWindow_test).
        const char* driver = std::getenv("SDL_VIDEODRIVER");
        if (driver == nullptr || std::string(driver) != "x11" ||
            std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X server for the web helper";
        }
        platform::RegisterWindowClass("WebViewOnHelperOwner");
        ASSERT_TRUE(owner_.Create("WebViewOnHelperOwner"));
        UseHelper(5000);
        folder_.Write("page.html",
                      "<html><body><p>page</p><iframe src=\"frame.html\"></iframe>"
                      "<a href=\"qelold://x.test/a\">Say \"hi\" &lt;/script&gt;</a> "
                      "<a href=\"qelold://x.test/b\">Other</a></body></html>");
        folder_.Write("frame.html", "<html><body>frame</body></html>");
    }
    void TearDown() override {
        view_.Destroy();
        platform::SetWebBackend(nullptr);
        while (Next(0).id != 0) {  // frees the records still queued
        }
    }

    void UseHelper(uint32_t decisionTimeoutMs) {
        view_.Destroy();
        auto helper = std::make_unique<platform::WebHelperBackend>(
            platform::WebHelperBackend::Options{WEB_HELPER_PROGRAM, decisionTimeoutMs});
        helper_ = helper.get();
        platform::SetWebBackend(std::move(helper));
        ASSERT_TRUE(view_.Create(owner_.Id(), platform::ScreenRect{20, 30, 420, 330}));
        view_.Show(true);
    }

    std::string PageUrl(const std::string& name) const { return "file://" + folder_ / name; }

    bool Navigate(const std::string& url) { return view_.Navigate(url, 0, "", "", {}); }

    // The next event within the time; an event of id 0 when none came.
    WebEvent Next(uint32_t ms) {
        const uint32_t start = platform::GetTickCount32();
        for (;;) {
            platform::Message m;
            while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
                platform::DispatchMessage(m);
            }
            if (!owner_.events.empty()) {
                WebEvent event = std::move(owner_.events.front());
                owner_.events.erase(owner_.events.begin());
                return event;
            }
            if (platform::GetTickCount32() - start >= ms) {
                return {};
            }
            platform::WaitMessage(20);
        }
    }

    // The next before-navigate (other events are skipped), or null.
    std::unique_ptr<WebBeforeNavigate> NextBefore(uint32_t ms = 20000) {
        const uint32_t start = platform::GetTickCount32();
        while (platform::GetTickCount32() - start < ms) {
            WebEvent event = Next(ms - (platform::GetTickCount32() - start));
            if (event.before) {
                return std::move(event.before);
            }
        }
        return nullptr;
    }

    // Allows every navigation until the page's document is complete.
    std::unique_ptr<WebDocumentComplete> AllowUntilComplete(uint32_t ms = 20000) {
        const uint32_t start = platform::GetTickCount32();
        while (platform::GetTickCount32() - start < ms) {
            WebEvent event = Next(ms - (platform::GetTickCount32() - start));
            if (event.before) {
                view_.Decide(event.before->token, true);
            } else if (event.complete) {
                return std::move(event.complete);
            }
        }
        return nullptr;
    }

    TempFolder folder_;
    OwnerWindow owner_;
    platform::WebView view_;
    platform::WebHelperBackend* helper_ = nullptr;
};

TEST_F(WebViewOnHelperTest, APageWaitsForItsAnswerThenLoadsWithItsFrame) {
    ASSERT_TRUE(Navigate(PageUrl("page.html")));
    auto before = NextBefore();
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->url, PageUrl("page.html"));
    EXPECT_TRUE(before->mainFrame);
    EXPECT_EQ(Next(500).id, 0u) << "the page went on before its answer";

    view_.Decide(before->token, true);
    view_.Decide(before->token, false);  // a second answer changes nothing
    auto frame = NextBefore();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->url, PageUrl("frame.html"));
    EXPECT_FALSE(frame->mainFrame);
    view_.Decide(frame->token, true);
    auto complete = AllowUntilComplete();
    ASSERT_NE(complete, nullptr);
    EXPECT_EQ(complete->url, PageUrl("page.html"));
}

TEST_F(WebViewOnHelperTest, ACancelledPageDoesNotLoad) {
    ASSERT_TRUE(Navigate(PageUrl("page.html")));
    auto before = NextBefore();
    ASSERT_NE(before, nullptr);
    view_.Decide(before->token, false);
    EXPECT_EQ(Next(1500).id, 0u);
}

TEST_F(WebViewOnHelperTest, AMissingPageIsANavigateError) {
    const std::string body = "<html><body>gone</body></html>";
    LoopbackHttpServer server(
        {{"HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n"
          "Connection: close\r\nContent-Length: " +
          std::to_string(body.size()) + "\r\n\r\n" + body}});
    ASSERT_TRUE(Navigate(server.Url("/missing.html")));
    auto before = NextBefore();
    ASSERT_NE(before, nullptr);
    view_.Decide(before->token, true);
    for (WebEvent event = Next(20000); event.id != 0; event = Next(20000)) {
        if (event.error) {
            EXPECT_EQ(event.error->url, server.Url("/missing.html"));
            EXPECT_EQ(event.error->status, 404);
            return;
        }
        ASSERT_EQ(event.before, nullptr) << "unexpected navigation " << event.before->url;
    }
    FAIL() << "no navigate error";
}

TEST_F(WebViewOnHelperTest, LinksAreClickedByTheirWholeText) {
    ASSERT_TRUE(Navigate(PageUrl("page.html")));
    ASSERT_NE(AllowUntilComplete(), nullptr);
    view_.HideVerticalScrollBar();
    view_.ClickLinksByText("Say \"hi\" </script");  // not the whole text
    view_.ClickLinksByText("Say \"hi\" </script>");
    auto clicked = NextBefore();
    ASSERT_NE(clicked, nullptr);
    EXPECT_EQ(clicked->url, "qelold://x.test/a");
    EXPECT_TRUE(clicked->mainFrame);
    view_.Decide(clicked->token, false);
    EXPECT_EQ(Next(1000).id, 0u) << "another link was clicked";
}

TEST_F(WebViewOnHelperTest, ANavigationWithoutAnswerIsCancelledAndALateAnswerIgnored) {
    UseHelper(300);
    ASSERT_TRUE(Navigate(PageUrl("page.html")));
    auto before = NextBefore();
    ASSERT_NE(before, nullptr);
    platform::SleepMs(800);
    view_.Decide(before->token, true);
    EXPECT_EQ(Next(1500).id, 0u);
}

TEST_F(WebViewOnHelperTest, ADeadHelperIsReportedAndStartedAgain) {
    ASSERT_TRUE(Navigate(PageUrl("page.html")));
    ASSERT_NE(AllowUntilComplete(), nullptr);
    const platform::ProcessId first = helper_->HelperProcess();
    ASSERT_NE(first, 0);
    ASSERT_EQ(::kill(first, SIGKILL), 0);
    WebEvent event = Next(10000);
    while (event.id != 0 && !event.error) {
        event = Next(10000);
    }
    ASSERT_NE(event.error, nullptr);
    EXPECT_EQ(event.error->url, PageUrl("page.html"));
    EXPECT_EQ(event.error->status, 0);

    ASSERT_TRUE(Navigate(PageUrl("frame.html")));
    EXPECT_NE(helper_->HelperProcess(), first);
    auto complete = AllowUntilComplete();
    ASSERT_NE(complete, nullptr);
    EXPECT_EQ(complete->url, PageUrl("frame.html"));
}

TEST_F(WebViewOnHelperTest, TheHelperQuitsWhenTheLinkCloses) {
    ASSERT_TRUE(Navigate(PageUrl("frame.html")));
    ASSERT_NE(AllowUntilComplete(), nullptr);
    const platform::ProcessId pid = helper_->HelperProcess();
    ASSERT_NE(pid, 0);
    view_.Destroy();
    platform::SetWebBackend(nullptr);
    helper_ = nullptr;
    const std::string proc = "/proc/" + std::to_string(pid);
    struct stat info;
    const uint32_t start = platform::GetTickCount32();
    while (::stat(proc.c_str(), &info) == 0 && platform::GetTickCount32() - start < 5000) {
        platform::SleepMs(20);
    }
    EXPECT_NE(::stat(proc.c_str(), &info), 0) << "the helper still runs";
}

TEST_F(WebViewOnHelperTest, PostDataGoesThroughAFormThatSubmitsItself) {
    LoopbackHttpServer server({{HttpAnswer("200 OK", "<html><body>posted</body></html>")}});
    const std::string body = "a=1&b=x+y%21";
    ASSERT_TRUE(view_.Navigate(server.Url("/form"), 0, "", "",
                               {reinterpret_cast<const uint8_t*>(body.data()), body.size()}));
    std::unique_ptr<WebDocumentComplete> complete;
    for (int pages = 0; pages < 3; ++pages) {
        complete = AllowUntilComplete();
        if (complete == nullptr || complete->url == server.Url("/form")) {
            break;
        }
    }
    ASSERT_NE(complete, nullptr);
    EXPECT_EQ(complete->url, server.Url("/form"));
    EXPECT_EQ(server.RequestLines(), std::vector<std::string>{"POST /form HTTP/1.1"});

    // Other bodies are refused: bytes that are not even text by the client,
    // text of another encoding by the helper.
    const uint8_t binary[] = {1, 2, 0xFF};
    EXPECT_FALSE(view_.Navigate(server.Url("/form"), 0, "", "", binary));
    const std::string json = "{\"a\": 1}";
    ASSERT_TRUE(view_.Navigate(server.Url("/form"), 0, "", "",
                               {reinterpret_cast<const uint8_t*>(json.data()), json.size()}));
    EXPECT_EQ(Next(1000).id, 0u) << "a body that is not form-urlencoded was posted";
}

// The helper run by hand: a bad message closes its link and ends it, after
// one log line.
TEST_F(WebViewOnHelperTest, TheHelperEndsAtABadMessageWithOneLogLine) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    const std::string log = folder_ / "helper.log";
    const int logFile = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(logFile, 0);
    const int savedError = ::dup(STDERR_FILENO);
    ::dup2(logFile, STDERR_FILENO);  // the helper's standard error
    const platform::ProcessId pid = platform::StartProgramSharing(WEB_HELPER_PROGRAM, {}, pair[1]);
    ::dup2(savedError, STDERR_FILENO);
    ::close(savedError);
    ::close(logFile);
    ::close(pair[1]);
    ASSERT_NE(pid, 0);

    const std::string good = *platform::EncodeWebMessage(
        {platform::WebMessageKind::kCreate, 1, 0, {"0", "0", "0", "100", "100"}});
    const std::string bad("\x05\x00\x00\x00\x01\x00\x00\x00\x00", 9);  // length under 12
    const std::string bytes = good + bad;
    ASSERT_EQ(::send(pair[0], bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
    pollfd entry{pair[0], POLLIN, 0};
    ASSERT_EQ(::poll(&entry, 1, 20000), 1) << "the helper kept the link open";
    char byte = 0;
    EXPECT_EQ(::recv(pair[0], &byte, 1, 0), 0);
    ::close(pair[0]);
    const std::string proc = "/proc/" + std::to_string(pid);
    struct stat info;
    const uint32_t start = platform::GetTickCount32();
    while (::stat(proc.c_str(), &info) == 0 && platform::GetTickCount32() - start < 5000) {
        platform::SleepMs(20);
    }
    EXPECT_EQ(folder_.Read("helper.log"), "web helper: link closed: bad message length 5\r\n");
}

// The top-level X window named so, or 0.
Window FindXWindow(Display* display, const std::string& name) {
    ::Window root = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        return 0;
    }
    ::Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* title = nullptr;
        if (XFetchName(display, children[i], &title) && title != nullptr) {
            found = name == title ? children[i] : 0;
            XFree(title);
        }
    }
    XFree(children);
    return found;
}

// The page's window is the helper's, placed where asked and transient for
// the owner's own X window.
TEST_F(WebViewOnHelperTest, ThePageWindowStandsOverItsOwner) {
    OwnerWindow shown;
    ASSERT_TRUE(shown.Create("WebViewOnHelperOwner"));
    platform::TopLevelOptions options;
    options.title = "owner";
    options.clientRect = {0, 0, 500, 400};
    platform::TopLevelWindow top(shown.Id(), options);
    const unsigned long ownerX = top.X11Window();
    ASSERT_NE(ownerX, 0u) << "SDL did not open an X11 window";
    platform::WebView view;
    ASSERT_TRUE(view.Create(shown.Id(), platform::ScreenRect{40, 50, 240, 200}));
    view.Show(true);
    view.Move(platform::ScreenRect{60, 70, 260, 220});

    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const std::string name = "pvbn web " + std::to_string(view.Id());
    ::Window page = 0;
    int x = -1, y = -1;
    unsigned width = 0, height = 0;
    const uint32_t start = platform::GetTickCount32();
    while (platform::GetTickCount32() - start < 10000) {
        page = FindXWindow(display, name);
        ::Window root = 0, child = 0;
        int left = 0, top_ = 0;
        unsigned border = 0, depth = 0;
        if (page != 0 &&
            XGetGeometry(display, page, &root, &left, &top_, &width, &height, &border, &depth)) {
            XTranslateCoordinates(display, page, root, 0, 0, &x, &y, &child);
            if (x == 60 && y == 70 && width == 200 && height == 150) {
                break;
            }
        }
        platform::SleepMs(50);
    }
    ASSERT_NE(page, 0u) << "no window " << name;
    EXPECT_EQ(x, 60);
    EXPECT_EQ(y, 70);
    EXPECT_EQ(width, 200u);
    EXPECT_EQ(height, 150u);
    ::Window transientFor = 0;
    EXPECT_TRUE(XGetTransientForHint(display, page, &transientFor));
    EXPECT_EQ(transientFor, ownerX);
    XCloseDisplay(display);
}

}  // namespace
