#pragma once
// The client's browsers: a window of the program that owns one web page
// (platform::WebView) and decides each of its navigations.
//
// CFixHtmlView navigates with headers and form data and, with its filter
// on, refuses hosts outside the allowed-domain file (UrlFilter.h), read anew
// on every filtered navigation. CHtmlCtrl is the same browser placed as a
// child control: its page covers a rectangle of its parent window's client
// area and follows the parent when it moves.
//
// Rules:
//  - The browser's own window (class "Static") gets the page's events; each
//    navigation is answered once, allowed unless OnBeforeNavigate2 cancels
//    it. Events of a page the browser no longer shows are dropped.
//  - A browser is found by its window id (FromWindow), never kept by
//    pointer elsewhere.
//  - UI thread only.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Display.h"
#include "platform/Messages.h"
#include "platform/WebView.h"

class CFixHtmlView : public platform::Window {
public:
    static constexpr char kWindowClass[] = "Static";

    CFixHtmlView();
    ~CFixHtmlView() override;

    // The live browser whose window this is; null for any other id.
    static CFixHtmlView* FromWindow(platform::WindowId window);

    // Makes the browser's window and its page, hidden, at the screen
    // rectangle, standing over the parent's top-level window. False when it
    // is made already or the page cannot be made.
    bool CreateAt(platform::WindowId parent, const platform::ScreenRect& screen);
    // Destroys the page and the window; nothing when not made.
    void DestroyView();
    platform::WindowId Parent() const { return parent_; }

    // Opens the URL (GBK). A non-empty post body makes it a form post.
    // False when the browser is not made or the page refuses.
    bool Navigate(std::string_view url, uint32_t flags = 0, std::string_view frame = {},
                  std::string_view headers = {}, std::string_view post = {});
    platform::WebView& Page() { return page_; }

    void EnableUrlFilter(bool on) { filterOn_ = on; }
    bool IsUrlFilterEnabled() const { return filterOn_; }
    void SetUrlFilterFile(std::string_view name) { filterFile_ = std::string(name); }
    const std::string& GetUrlFilterFile() const { return filterFile_; }

    // Whether the filter lets the URL through (see UrlFilter.h); a missing
    // or empty file lets only "javascript:" URLs through.
    virtual bool IsUrlAllowed(std::string_view url);
    // Appends the filter file's domains; their count.
    virtual int LoadUrlFilter(std::vector<std::string>& list);

    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override;

protected:
    // Decides one navigation of the page (frame: empty for the page itself);
    // the filter's refusal cancels it.
    virtual void OnBeforeNavigate2(const std::string& url, uint32_t flags, const std::string& frame,
                                   bool& cancel);
    virtual void OnDocumentComplete(const std::string& url);
    virtual void OnNavigateErrorEvent(const platform::WebNavigateError& event);

private:
    platform::WebView page_;
    platform::WindowId parent_ = 0;
    bool filterOn_ = false;
    std::string filterFile_;
};

class CHtmlCtrl : public CFixHtmlView {
public:
    // Makes the browser over the rectangle of the parent's client area.
    // False when the parent has no top-level window or the page cannot be
    // made.
    bool Create(platform::WindowId parent, const platform::PixelRect& clientRect);
    // Places the page over its rectangle again (after the parent moved).
    void FollowParent();
    // Places the page over another rectangle of the parent's client area.
    void MoveTo(const platform::PixelRect& clientRect);
    const platform::PixelRect& ClientRect() const { return clientRect_; }

private:
    bool ScreenRectOf(platform::WindowId parent, platform::ScreenRect& out) const;

    platform::PixelRect clientRect_;
};
