#include "platform/WebView.h"

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/SdlWindow.h"
#include "platform/TextCodec.h"

namespace platform {

namespace {

// The views and their owners, and the installed back end. The back end is
// called on the UI thread only; reports come from any thread and need just
// the owner table.
struct WebRegistry {
    std::mutex mutex;
    std::map<WebViewId, WindowId> owners;
    WebViewId nextId = 1;
    std::unique_ptr<WebBackend> backend = std::make_unique<FakeWebBackend>();
    std::function<void(const std::string&)> logSink;
};

WebRegistry& Registry() {
    static WebRegistry* registry = new WebRegistry;
    return *registry;
}

WindowId OwnerOf(WebViewId view) {
    WebRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    auto it = reg.owners.find(view);
    return it == reg.owners.end() ? 0 : it->second;
}

WebBackend& Backend() {
    return *Registry().backend;
}

template <class Record>
bool PostRecord(WebViewId view, uint32_t message, std::unique_ptr<Record> record) {
    const WindowId owner = OwnerOf(view);
    if (owner == 0) {
        return false;
    }
    Record* raw = record.release();
    if (!PostMessage(owner, message, view, reinterpret_cast<LParam>(raw))) {
        delete raw;
        return false;
    }
    return true;
}

}  // namespace

WebView::~WebView() {
    Destroy();
}

bool WebView::Create(WindowId owner, const ScreenRect& rect, WindowId above) {
    if (id_ != 0 || !IsWindow(owner)) {
        return false;
    }
    WebRegistry& reg = Registry();
    WebViewId id = 0;
    {
        std::lock_guard lock(reg.mutex);
        id = reg.nextId++;
        reg.owners[id] = owner;
    }
    const TopLevelWindow* top = TopLevelWindow::Find(above != 0 ? above : owner);
    const unsigned long native = top != nullptr ? top->X11Window() : 0;
    if (!Backend().CreateView(id, native, rect)) {
        std::lock_guard lock(reg.mutex);
        reg.owners.erase(id);
        return false;
    }
    id_ = id;
    return true;
}

void WebView::Destroy() {
    if (id_ == 0) {
        return;
    }
    Backend().DestroyView(id_);
    WebRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    reg.owners.erase(id_);
    id_ = 0;
}

bool WebView::Navigate(std::string_view url, uint32_t flags, std::string_view frame,
                       std::string_view headers, std::span<const uint8_t> post) {
    if (id_ == 0) {
        return false;
    }
    WebNavigation navigation;
    navigation.url = GbkToUtf8(url);
    navigation.flags = flags;
    navigation.frame = GbkToUtf8(frame);
    navigation.headers = GbkToUtf8(headers);
    navigation.post.assign(post.begin(), post.end());
    return Backend().Navigate(id_, navigation);
}

void WebView::Show(bool show) {
    if (id_ != 0) {
        Backend().Show(id_, show);
    }
}

void WebView::Move(const ScreenRect& rect) {
    if (id_ != 0) {
        Backend().Move(id_, rect);
    }
}

void WebView::HideVerticalScrollBar() {
    if (id_ != 0) {
        Backend().HideVerticalScrollBar(id_);
    }
}

void WebView::ClickLinksByText(std::string_view text) {
    if (id_ != 0) {
        Backend().ClickLinks(id_, GbkToUtf8(text));
    }
}

void WebView::Decide(uint32_t token, bool allow) {
    if (id_ != 0) {
        Backend().Decide(id_, token, allow);
    }
}

std::unique_ptr<WebBackend> SetWebBackend(std::unique_ptr<WebBackend> backend) {
    if (!backend) {
        backend = std::make_unique<FakeWebBackend>();
    }
    std::swap(Registry().backend, backend);
    return backend;
}

bool ReportBeforeNavigate(WebViewId view, uint32_t token, std::string_view url,
                          std::string_view frame, bool mainFrame) {
    auto record = std::make_unique<WebBeforeNavigate>();
    record->view = view;
    record->url = Utf8ToGbk(url);
    record->frame = Utf8ToGbk(frame);
    record->mainFrame = mainFrame;
    record->token = token;
    return PostRecord(view, kMsgWebBeforeNavigate, std::move(record));
}

bool ReportDocumentComplete(WebViewId view, std::string_view url) {
    auto record = std::make_unique<WebDocumentComplete>();
    record->view = view;
    record->url = Utf8ToGbk(url);
    return PostRecord(view, kMsgWebDocumentComplete, std::move(record));
}

bool ReportNavigateError(WebViewId view, std::string_view url, std::string_view frame, int status) {
    auto record = std::make_unique<WebNavigateError>();
    record->view = view;
    record->url = Utf8ToGbk(url);
    record->frame = Utf8ToGbk(frame);
    record->status = status;
    return PostRecord(view, kMsgWebNavigateError, std::move(record));
}

void SetWebLogSink(std::function<void(const std::string&)> sink) {
    WebRegistry& reg = Registry();
    std::lock_guard lock(reg.mutex);
    reg.logSink = std::move(sink);
}

void WebLog(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    std::function<void(const std::string&)> sink;
    {
        WebRegistry& reg = Registry();
        std::lock_guard lock(reg.mutex);
        sink = reg.logSink;
    }
    if (sink) {
        sink(text);
        return;
    }
    const std::string line = std::string("web: ") + text + "\r\n";
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

// --- FakeWebBackend ---

FakeWebBackend::View* FakeWebBackend::FindMutable(WebViewId view) {
    for (auto& [id, state] : views_) {
        if (id == view) {
            return &state;
        }
    }
    return nullptr;
}

const FakeWebBackend::View* FakeWebBackend::Find(WebViewId view) const {
    return const_cast<FakeWebBackend*>(this)->FindMutable(view);
}

bool FakeWebBackend::CreateView(WebViewId view, unsigned long ownerWindow, const ScreenRect& rect) {
    if (FindMutable(view) != nullptr) {
        return false;
    }
    View state;
    state.ownerWindow = ownerWindow;
    state.rect = rect;
    views_.emplace_back(view, std::move(state));
    return true;
}

void FakeWebBackend::DestroyView(WebViewId view) {
    std::erase_if(views_, [view](const auto& entry) { return entry.first == view; });
}

bool FakeWebBackend::Navigate(WebViewId view, const WebNavigation& navigation) {
    View* state = FindMutable(view);
    if (state == nullptr) {
        return false;
    }
    state->navigations.push_back(navigation);
    return true;
}

void FakeWebBackend::Show(WebViewId view, bool show) {
    if (View* state = FindMutable(view)) {
        state->visible = show;
    }
}

void FakeWebBackend::Move(WebViewId view, const ScreenRect& rect) {
    if (View* state = FindMutable(view)) {
        state->rect = rect;
    }
}

void FakeWebBackend::HideVerticalScrollBar(WebViewId view) {
    if (View* state = FindMutable(view)) {
        state->scrollBarHidden = true;
    }
}

void FakeWebBackend::ClickLinks(WebViewId view, const std::string& text) {
    if (View* state = FindMutable(view)) {
        state->clickedLinks.push_back(text);
    }
}

void FakeWebBackend::Decide(WebViewId view, uint32_t token, bool allow) {
    const Decision decision{view, token, allow};
    auto it = std::find(pending_.begin(), pending_.end(), token);
    if (it == pending_.end()) {
        ignored_.push_back(decision);
        return;
    }
    pending_.erase(it);
    decisions_.push_back(decision);
}

uint32_t FakeWebBackend::FireBeforeNavigate(WebViewId view, std::string_view url,
                                            std::string_view frame, bool mainFrame) {
    const uint32_t token = nextToken_++;
    pending_.push_back(token);
    ReportBeforeNavigate(view, token, url, frame, mainFrame);
    return token;
}

void FakeWebBackend::Expire(uint32_t token) {
    std::erase(pending_, token);
}

void FakeWebBackend::FireDocumentComplete(WebViewId view, std::string_view url) {
    ReportDocumentComplete(view, url);
}

void FakeWebBackend::FireNavigateError(WebViewId view, std::string_view url, std::string_view frame,
                                       int status) {
    ReportNavigateError(view, url, frame, status);
}

}  // namespace platform
