#pragma once
// What the web tests share: a fresh fake back end for the browsers, the
// message pump and a plain window that stands as a parent.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/web/WebUrlCommand.h"
#include "platform/Messages.h"
#include "platform/WebView.h"

namespace webtest {

// Installs a fake back end for the test and the fresh one again at its end.
class FakeBackendScope {
public:
    FakeBackendScope() {
        auto fake = std::make_unique<platform::FakeWebBackend>();
        fake_ = fake.get();
        platform::SetWebBackend(std::move(fake));
    }
    ~FakeBackendScope() { platform::SetWebBackend(nullptr); }
    platform::FakeWebBackend& operator*() const { return *fake_; }
    platform::FakeWebBackend* operator->() const { return fake_; }

private:
    platform::FakeWebBackend* fake_;
};

// Handles every message waiting for this thread.
inline void Pump() {
    platform::Message message;
    while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
        platform::DispatchMessage(message);
    }
}

// The page asks to go to the URL and the browser answers at once: its
// answer (true: allowed); nothing when no single answer came.
inline std::optional<bool> AskNavigation(platform::FakeWebBackend& backend,
                                         platform::WebViewId page, const std::string& url) {
    const size_t before = backend.Decisions().size();
    backend.FireBeforeNavigate(page, url, "", true);
    Pump();
    if (backend.Decisions().size() != before + 1 || backend.PendingTokens() != 0) {
        return std::nullopt;
    }
    return backend.Decisions().back().allow;
}

// A window that runs and frees the link commands posted to it, as a
// parent of a browser does.
class CommandParent : public platform::Window {
public:
    CommandParent() {
        platform::RegisterWindowClass("WebTestParent");
        Create("WebTestParent");
    }
    ~CommandParent() override { Destroy(); }
    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override {
        if (id == kMsgWebUrlCommand) {
            if (auto command = TakeWebUrlCommand(wParam)) {
                urls.push_back(command->Url());
                command->Run();
            }
            return 0;
        }
        return platform::Window::WindowProc(id, wParam, lParam);
    }
    std::vector<std::string> urls;
};

// A browser of the kind over a plain parent window on a fresh fake back end;
// every link command must be freed by the end of the test.
template <class Browser>
class BrowserOnFakeBackend : public ::testing::Test {
protected:
    static constexpr platform::ScreenRect kPageRect{10, 20, 310, 220};

    void SetUp() override { ASSERT_TRUE(browser.CreateAt(parent.Id(), kPageRect)); }
    void TearDown() override {
        Pump();
        browser.DestroyView();
        EXPECT_EQ(CWebUrlCommand::Alive(), 0) << "a link command was not freed";
    }

    // The page asks to go to the URL; the browser's answer (true: allowed).
    bool Navigation(const std::string& url) {
        const std::optional<bool> allowed = AskNavigation(*backend, browser.Page().Id(), url);
        EXPECT_TRUE(allowed.has_value()) << "no answer for " << url;
        return allowed.value_or(true);
    }
    const std::vector<platform::WebNavigation>& Navigations() {
        return backend->Find(browser.Page().Id())->navigations;
    }

    FakeBackendScope backend;
    CommandParent parent;
    Browser browser;
};

}  // namespace webtest
