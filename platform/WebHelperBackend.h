#pragma once
// The web views' real back end: the web helper program (WebKitGTK), started
// on demand with one end of a socket pair as its only inherited descriptor.
//
// Rules:
//  - The helper starts at the first view; each view shows in a window of the
//    helper's, transient for the owner's window.
//  - The link carries WebProtocol.h's messages. A bad message from the helper
//    closes the link with one log line.
//  - When the helper is gone (it ended, or the link closed), every view
//    reports a navigate error; the next navigation starts it again and makes
//    the views anew (place, visibility, scroll bar) before it navigates.
//  - Destroying the back end closes the link, and the helper quits.

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Process.h"
#include "platform/WebProtocol.h"
#include "platform/WebView.h"

namespace platform {

class WebHelperBackend : public WebBackend {
public:
    struct Options {
        std::string program;  // the helper's path
        // How long the helper holds a navigation for the owner's answer.
        uint32_t decisionTimeoutMs = 5000;
    };

    explicit WebHelperBackend(Options options);
    ~WebHelperBackend() override;

    bool CreateView(WebViewId view, unsigned long ownerWindow, const ScreenRect& rect) override;
    void DestroyView(WebViewId view) override;
    bool Navigate(WebViewId view, const WebNavigation& navigation) override;
    void Show(WebViewId view, bool show) override;
    void Move(WebViewId view, const ScreenRect& rect) override;
    void HideVerticalScrollBar(WebViewId view) override;
    void ClickLinks(WebViewId view, const std::string& text) override;
    void Decide(WebViewId view, uint32_t token, bool allow) override;

    // The running helper's process id; 0 when none runs.
    ProcessId HelperProcess() const;

private:
    struct ViewState {
        unsigned long ownerWindow = 0;
        ScreenRect rect;
        bool visible = false;
        bool scrollBarHidden = false;
        std::string lastUrl;
    };

    // Starts the helper when none runs and makes the known views in it.
    bool EnsureHelper();
    void StopHelper();
    bool Send(const WebMessage& message);
    void SendView(WebViewId view, const ViewState& state);
    void ReadLink(int link);
    void LinkLost(const std::string& why);

    const Options options_;
    std::map<WebViewId, ViewState> views_;  // UI thread only
    mutable std::mutex mutex_;              // link_ and pid_
    int link_ = -1;
    ProcessId pid_ = 0;
    std::atomic<bool> linkUp_{false};
    std::thread reader_;
};

// The helper beside the running program's executable.
std::string DefaultWebHelperPath();

// Whether the helper can show pages: an X display is named and SDL's video
// is not held to another driver (dummy, offscreen, wayland).
bool CanShowWebPages();

}  // namespace platform
