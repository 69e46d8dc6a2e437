#pragma once
// Web pages shown for a window of the program: the stand-in for the system's
// browser control.
//
// Rules:
//  - A WebView belongs to the UI thread; it is made for an owner window at a
//    screen rectangle and shows its page there, above the owner.
//  - Its events reach the owner window as posted messages whose lParam is a
//    heap record that the receiver takes with TakeWebEvent (wParam is the
//    view's id). A failed post frees the record at once.
//  - Every navigation (the page, its frames, new-window requests) waits for
//    the owner's answer: kMsgWebBeforeNavigate carries a token, and the owner
//    answers it once with Decide. An answer that comes too late (the back end
//    cancelled it meanwhile) or twice is ignored.
//  - Texts are GBK here; the back end gets and gives UTF-8.
//  - The work is done by the installed back end: by default a fake that
//    records what it is asked (tests, runs without a display); the program
//    installs the helper back end (WebHelperBackend.h) when a display runs.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Cursor.h"
#include "platform/Messages.h"

namespace platform {

inline constexpr uint32_t kMsgWebBeforeNavigate = kMsgApp + 0x3E80;
inline constexpr uint32_t kMsgWebDocumentComplete = kMsgApp + 0x3E81;
inline constexpr uint32_t kMsgWebNavigateError = kMsgApp + 0x3E82;

using WebViewId = uint32_t;

struct WebBeforeNavigate {
    WebViewId view = 0;
    std::string url;    // GBK
    std::string frame;  // GBK; empty for the page itself
    bool mainFrame = true;
    uint32_t token = 0;
};

struct WebDocumentComplete {
    WebViewId view = 0;
    std::string url;  // GBK
};

struct WebNavigateError {
    WebViewId view = 0;
    std::string url;    // GBK
    std::string frame;  // GBK
    int status = 0;     // the HTTP status, or 0 when no answer came
};

// Takes the record of a web event message (lParam) back into ownership.
template <class Record>
std::unique_ptr<Record> TakeWebEvent(LParam lParam) {
    return std::unique_ptr<Record>(reinterpret_cast<Record*>(lParam));
}

class WebView {
public:
    WebView() = default;
    ~WebView();  // destroys the page window
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;

    // Makes the page window, hidden, at the screen rectangle, standing over
    // the top-level window of `above` (0: of the owner). The owner gets the
    // events. False when already made, the owner does not exist or the back
    // end refuses.
    bool Create(WindowId owner, const ScreenRect& rect, WindowId above = 0);
    void Destroy();
    WebViewId Id() const { return id_; }

    // Opens the URL (GBK). The headers are "Name: value" lines; post bytes,
    // when given, make it a POST of a form-urlencoded body (other bodies are
    // refused with a log line). False when not created or the back end
    // cannot take it.
    bool Navigate(std::string_view url, uint32_t flags, std::string_view frame,
                  std::string_view headers, std::span<const uint8_t> post);
    void Show(bool show);
    void Move(const ScreenRect& rect);
    // Hides the page's vertical scroll bar, on this and later pages.
    void HideVerticalScrollBar();
    // Clicks every link of the page whose text equals the text (GBK).
    void ClickLinksByText(std::string_view text);
    // The answer to a kMsgWebBeforeNavigate of this view.
    void Decide(uint32_t token, bool allow);

private:
    WebViewId id_ = 0;
};

// What a back end gets: one navigation, its texts in UTF-8.
struct WebNavigation {
    std::string url;
    uint32_t flags = 0;
    std::string frame;
    std::string headers;
    std::vector<uint8_t> post;
};

// The engine behind the views. Called on the UI thread; it reports through
// the Report functions below, from any thread.
class WebBackend {
public:
    virtual ~WebBackend() = default;
    // ownerWindow: the owner's native window (X11), 0 when it has none.
    virtual bool CreateView(WebViewId view, unsigned long ownerWindow, const ScreenRect& rect) = 0;
    virtual void DestroyView(WebViewId view) = 0;
    virtual bool Navigate(WebViewId view, const WebNavigation& navigation) = 0;
    virtual void Show(WebViewId view, bool show) = 0;
    virtual void Move(WebViewId view, const ScreenRect& rect) = 0;
    virtual void HideVerticalScrollBar(WebViewId view) = 0;
    virtual void ClickLinks(WebViewId view, const std::string& text) = 0;
    virtual void Decide(WebViewId view, uint32_t token, bool allow) = 0;
};

// Installs the back end (null: a fresh fake); returns the one it replaces.
// Views made before keep their ids but not their pages.
std::unique_ptr<WebBackend> SetWebBackend(std::unique_ptr<WebBackend> backend);

// Reports of a back end, texts in UTF-8; posted to the view's owner. False
// when the view is gone or the post failed.
bool ReportBeforeNavigate(WebViewId view, uint32_t token, std::string_view url,
                          std::string_view frame, bool mainFrame);
bool ReportDocumentComplete(WebViewId view, std::string_view url);
bool ReportNavigateError(WebViewId view, std::string_view url, std::string_view frame, int status);

// Where the web views' log lines go (null: the standard error, one write
// each).
void SetWebLogSink(std::function<void(const std::string&)> sink);
void WebLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The fake back end: records what it is asked, fires the events a test
// chooses, and checks that each token it handed out is decided once.
class FakeWebBackend : public WebBackend {
public:
    struct View {
        unsigned long ownerWindow = 0;
        ScreenRect rect;
        bool visible = false;
        bool scrollBarHidden = false;
        std::vector<WebNavigation> navigations;
        std::vector<std::string> clickedLinks;
    };
    struct Decision {
        WebViewId view = 0;
        uint32_t token = 0;
        bool allow = false;
    };

    bool CreateView(WebViewId view, unsigned long ownerWindow, const ScreenRect& rect) override;
    void DestroyView(WebViewId view) override;
    bool Navigate(WebViewId view, const WebNavigation& navigation) override;
    void Show(WebViewId view, bool show) override;
    void Move(WebViewId view, const ScreenRect& rect) override;
    void HideVerticalScrollBar(WebViewId view) override;
    void ClickLinks(WebViewId view, const std::string& text) override;
    void Decide(WebViewId view, uint32_t token, bool allow) override;

    // The view's state; null when it was never made or is destroyed.
    const View* Find(WebViewId view) const;

    // Fires a before-navigate with a new token; the token.
    uint32_t FireBeforeNavigate(WebViewId view, std::string_view url, std::string_view frame,
                                bool mainFrame);
    // Gives up waiting for the token, as the helper does after its time-out.
    void Expire(uint32_t token);
    void FireDocumentComplete(WebViewId view, std::string_view url);
    void FireNavigateError(WebViewId view, std::string_view url, std::string_view frame,
                           int status);

    // Answers taken, oldest first; answers that were ignored (unknown,
    // expired or already decided tokens).
    const std::vector<Decision>& Decisions() const { return decisions_; }
    const std::vector<Decision>& IgnoredDecisions() const { return ignored_; }
    // Tokens handed out and not decided nor expired.
    size_t PendingTokens() const { return pending_.size(); }

private:
    std::vector<std::pair<WebViewId, View>> views_;
    std::vector<uint32_t> pending_;
    std::vector<Decision> decisions_;
    std::vector<Decision> ignored_;
    uint32_t nextToken_ = 1;

    View* FindMutable(WebViewId view);
};

}  // namespace platform
