#pragma once
// What the web tests share: a fresh fake back end for the browsers, the
// message pump and a plain window that stands as a parent.

#include <memory>
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

}  // namespace webtest
