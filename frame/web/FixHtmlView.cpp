#include "frame/web/FixHtmlView.h"

#include <map>

#include "frame/web/UrlFilter.h"
#include "frame/web/WebUrlCommand.h"
#include "platform/SdlWindow.h"
#include "zep/ZepLog.h"

namespace {

std::map<platform::WindowId, CFixHtmlView*>& Browsers() {
    static auto* browsers = new std::map<platform::WindowId, CFixHtmlView*>;
    return *browsers;
}

}  // namespace

CFixHtmlView::CFixHtmlView() = default;

CFixHtmlView::~CFixHtmlView() {
    DestroyView();
}

CFixHtmlView* CFixHtmlView::FromWindow(platform::WindowId window) {
    const auto found = Browsers().find(window);
    return found != Browsers().end() ? found->second : nullptr;
}

bool CFixHtmlView::CreateAt(platform::WindowId parent, const platform::ScreenRect& screen) {
    if (Id() != 0) {
        return false;
    }
    platform::RegisterWindowClass(kWindowClass);
    if (!Create(kWindowClass)) {
        return false;
    }
    if (!page_.Create(Id(), screen, parent)) {
        ZepLog("web: no page for the browser");
        Destroy();
        return false;
    }
    parent_ = parent;
    Browsers()[Id()] = this;
    return true;
}

void CFixHtmlView::DestroyView() {
    page_.Destroy();
    if (Id() != 0) {
        Browsers().erase(Id());
        Destroy();
        FreeOrphanWebUrlCommands();
    }
    parent_ = 0;
}

bool CFixHtmlView::Navigate(std::string_view url, uint32_t flags, std::string_view frame,
                            std::string_view headers, std::string_view post) {
    return page_.Navigate(url, flags, frame, headers,
                          {reinterpret_cast<const uint8_t*>(post.data()), post.size()});
}

bool CFixHtmlView::IsUrlAllowed(std::string_view url) {
    const UrlFilterSubject subject = UrlFilterSubjectOf(url);
    if (subject.script) {
        return true;
    }
    if (subject.host.empty()) {
        return false;
    }
    std::vector<std::string> list;
    if (LoadUrlFilter(list) == 0) {
        return false;
    }
    return IsHostListed(subject.host, list);
}

int CFixHtmlView::LoadUrlFilter(std::vector<std::string>& list) {
    return ReadUrlFilterFile(filterFile_, list);
}

void CFixHtmlView::OnBeforeNavigate2(const std::string& url, uint32_t /*flags*/,
                                     const std::string& /*frame*/, bool& cancel) {
    if (filterOn_ && !IsUrlAllowed(url)) {
        cancel = true;
    }
}

void CFixHtmlView::OnDocumentComplete(const std::string& /*url*/) {}

void CFixHtmlView::OnNavigateErrorEvent(const platform::WebNavigateError& /*event*/) {}

platform::LResult CFixHtmlView::WindowProc(uint32_t id, platform::WParam wParam,
                                           platform::LParam lParam) {
    if (id == platform::kMsgWebBeforeNavigate) {
        auto event = platform::TakeWebEvent<platform::WebBeforeNavigate>(lParam);
        if (event && event->view == page_.Id()) {
            bool cancel = false;
            OnBeforeNavigate2(event->url, 0, event->frame, cancel);
            page_.Decide(event->token, !cancel);
        }
        return 0;
    }
    if (id == platform::kMsgWebDocumentComplete) {
        auto event = platform::TakeWebEvent<platform::WebDocumentComplete>(lParam);
        if (event && event->view == page_.Id()) {
            OnDocumentComplete(event->url);
        }
        return 0;
    }
    if (id == platform::kMsgWebNavigateError) {
        auto event = platform::TakeWebEvent<platform::WebNavigateError>(lParam);
        if (event && event->view == page_.Id()) {
            OnNavigateErrorEvent(*event);
        }
        return 0;
    }
    return platform::Window::WindowProc(id, wParam, lParam);
}

// --- CHtmlCtrl ---

bool CHtmlCtrl::ScreenRectOf(platform::WindowId parent, platform::ScreenRect& out) const {
    const platform::TopLevelWindow* top = platform::TopLevelWindow::Find(parent);
    if (top == nullptr) {
        return false;
    }
    const platform::ScreenRect client = top->ClientRect();
    out = {client.left + clientRect_.left, client.top + clientRect_.top,
           client.left + clientRect_.right, client.top + clientRect_.bottom};
    return true;
}

bool CHtmlCtrl::Create(platform::WindowId parent, const platform::PixelRect& clientRect) {
    clientRect_ = clientRect;
    platform::ScreenRect screen;
    if (!ScreenRectOf(parent, screen)) {
        ZepLog("web: the browser's parent %u has no window on the screen", parent);
        return false;
    }
    return CreateAt(parent, screen);
}

void CHtmlCtrl::MoveTo(const platform::PixelRect& clientRect) {
    clientRect_ = clientRect;
    FollowParent();
}

void CHtmlCtrl::FollowParent() {
    platform::ScreenRect screen;
    if (Id() != 0 && ScreenRectOf(Parent(), screen)) {
        Page().Move(screen);
    }
}
