#include "platform/WebHelperBackend.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/Files.h"

namespace platform {

namespace {

// A helper that stops reading must not hang the UI thread.
constexpr int kSendTimeoutMs = 2000;

WebMessage LinkMessage(WebMessageKind kind, WebViewId view, std::vector<std::string> fields,
                       uint32_t token = 0) {
    return WebMessage{kind, view, token, std::move(fields)};
}

std::vector<std::string> RectFields(const ScreenRect& rect) {
    return {WebInt(rect.left), WebInt(rect.top), WebInt(int64_t{rect.right} - rect.left),
            WebInt(int64_t{rect.bottom} - rect.top)};
}

}  // namespace

WebHelperBackend::WebHelperBackend(Options options) : options_(std::move(options)) {}

WebHelperBackend::~WebHelperBackend() {
    StopHelper();
}

ProcessId WebHelperBackend::HelperProcess() const {
    std::lock_guard lock(mutex_);
    return linkUp_ ? pid_ : 0;
}

bool WebHelperBackend::EnsureHelper() {
    if (linkUp_) {
        return true;
    }
    StopHelper();
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        WebLog("no socket pair for the web helper (errno %d)", errno);
        return false;
    }
    const ProcessId pid = StartProgramSharing(
        options_.program, {"--decision-timeout-ms=" + WebInt(options_.decisionTimeoutMs)}, pair[1]);
    ::close(pair[1]);
    if (pid == 0) {
        ::close(pair[0]);
        WebLog("the web helper %s could not be started", options_.program.c_str());
        return false;
    }
    timeval timeout{kSendTimeoutMs / 1000, (kSendTimeoutMs % 1000) * 1000};
    ::setsockopt(pair[0], SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    std::lock_guard lock(mutex_);
    link_ = pair[0];
    pid_ = pid;
    linkUp_ = true;
    reader_ = std::thread([this, link = link_] { ReadLink(link); });
    for (const auto& [view, state] : views_) {
        SendView(view, state);
    }
    return true;
}

void WebHelperBackend::StopHelper() {
    int link = -1;
    {
        std::lock_guard lock(mutex_);
        linkUp_ = false;
        link = link_;
        link_ = -1;
        pid_ = 0;
        if (link >= 0) {
            ::shutdown(link, SHUT_RDWR);
        }
    }
    if (reader_.joinable()) {
        reader_.join();
    }
    if (link >= 0) {
        ::close(link);
    }
}

// Called with mutex_ held.
bool WebHelperBackend::Send(const WebMessage& message) {
    if (!linkUp_) {
        return false;
    }
    const std::optional<std::string> bytes = EncodeWebMessage(message);
    if (!bytes) {
        WebLog("view %u: a message of kind %u is too long or not UTF-8; not sent", message.view,
               static_cast<unsigned>(message.kind));
        return false;
    }
    size_t sent = 0;
    while (sent < bytes->size()) {
        const ssize_t n = ::send(link_, bytes->data() + sent, bytes->size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            WebLog("web helper link closed: send failed (errno %d)", errno);
            ::shutdown(link_, SHUT_RDWR);  // the reader reports the loss
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Called with mutex_ held.
void WebHelperBackend::SendView(WebViewId view, const ViewState& state) {
    std::vector<std::string> fields = RectFields(state.rect);
    fields.insert(fields.begin(), std::to_string(state.ownerWindow));
    Send(LinkMessage(WebMessageKind::kCreate, view, std::move(fields)));
    if (state.scrollBarHidden) {
        Send(LinkMessage(WebMessageKind::kHideScroll, view, {}));
    }
    if (state.visible) {
        Send(LinkMessage(WebMessageKind::kShow, view, {"1"}));
    }
}

bool WebHelperBackend::CreateView(WebViewId view, unsigned long ownerWindow,
                                  const ScreenRect& rect) {
    {
        std::lock_guard lock(mutex_);
        if (views_.contains(view)) {
            return false;
        }
        ViewState& state = views_[view];
        state.ownerWindow = ownerWindow;
        state.rect = rect;
        if (linkUp_) {
            SendView(view, state);
            return true;
        }
    }
    EnsureHelper();  // a helper that cannot start is tried again at Navigate
    return true;
}

void WebHelperBackend::DestroyView(WebViewId view) {
    std::lock_guard lock(mutex_);
    if (views_.erase(view) > 0) {
        Send(LinkMessage(WebMessageKind::kDestroy, view, {}));
    }
}

bool WebHelperBackend::Navigate(WebViewId view, const WebNavigation& navigation) {
    {
        std::lock_guard lock(mutex_);
        auto it = views_.find(view);
        if (it == views_.end()) {
            return false;
        }
        it->second.lastUrl = navigation.url;
    }
    if (!EnsureHelper()) {
        return false;
    }
    std::lock_guard lock(mutex_);
    return Send(
        LinkMessage(WebMessageKind::kNavigate, view,
                    {navigation.url, WebInt(navigation.flags), navigation.frame, navigation.headers,
                     std::string(navigation.post.begin(), navigation.post.end())}));
}

void WebHelperBackend::Show(WebViewId view, bool show) {
    std::lock_guard lock(mutex_);
    auto it = views_.find(view);
    if (it != views_.end()) {
        it->second.visible = show;
        Send(LinkMessage(WebMessageKind::kShow, view, {show ? "1" : "0"}));
    }
}

void WebHelperBackend::Move(WebViewId view, const ScreenRect& rect) {
    std::lock_guard lock(mutex_);
    auto it = views_.find(view);
    if (it != views_.end()) {
        it->second.rect = rect;
        Send(LinkMessage(WebMessageKind::kMove, view, RectFields(rect)));
    }
}

void WebHelperBackend::HideVerticalScrollBar(WebViewId view) {
    std::lock_guard lock(mutex_);
    auto it = views_.find(view);
    if (it != views_.end()) {
        it->second.scrollBarHidden = true;
        Send(LinkMessage(WebMessageKind::kHideScroll, view, {}));
    }
}

void WebHelperBackend::ClickLinks(WebViewId view, const std::string& text) {
    std::lock_guard lock(mutex_);
    if (views_.contains(view)) {
        Send(LinkMessage(WebMessageKind::kClickLinks, view, {text}));
    }
}

void WebHelperBackend::Decide(WebViewId view, uint32_t token, bool allow) {
    std::lock_guard lock(mutex_);
    if (views_.contains(view)) {
        Send(LinkMessage(WebMessageKind::kDecide, view, {allow ? "1" : "0"}, token));
    }
}

void WebHelperBackend::ReadLink(int link) {
    WebMessageReader reader;
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(link, buffer, sizeof(buffer), 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            LinkLost("web helper ended");
            return;
        }
        reader.Feed({buffer, static_cast<size_t>(n)});
        WebMessage m;
        WebMessageReader::Result result;
        while ((result = reader.Next(m)) == WebMessageReader::Result::kMessage) {
            switch (m.kind) {
                case WebMessageKind::kBeforeNavigate:
                    ReportBeforeNavigate(m.view, m.token, m.fields[0], m.fields[1],
                                         m.fields[2] == "1");
                    break;
                case WebMessageKind::kDocumentComplete:
                    ReportDocumentComplete(m.view, m.fields[0]);
                    break;
                case WebMessageKind::kNavigateError:
                    ReportNavigateError(m.view, m.fields[0], m.fields[1],
                                        ParseWebInt(m.fields[2]).value_or(0));
                    break;
                default:
                    LinkLost("web helper link closed: message of kind " +
                             std::to_string(static_cast<unsigned>(m.kind)) +
                             " is not for the client");
                    return;
            }
        }
        if (result == WebMessageReader::Result::kBad) {
            LinkLost("web helper link closed: " + reader.Error());
            return;
        }
    }
}

void WebHelperBackend::LinkLost(const std::string& why) {
    std::vector<std::pair<WebViewId, std::string>> lost;
    {
        std::lock_guard lock(mutex_);
        if (!linkUp_ || link_ < 0) {
            return;  // closed on purpose
        }
        linkUp_ = false;
        ::shutdown(link_, SHUT_RDWR);
        for (const auto& [view, state] : views_) {
            lost.emplace_back(view, state.lastUrl);
        }
    }
    WebLog("%s", why.c_str());
    for (const auto& [view, url] : lost) {
        ReportNavigateError(view, url, "", 0);
    }
}

std::string DefaultWebHelperPath() {
    return ProgramFolder() + "pvbn_web_helper";
}

bool CanShowWebPages() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return false;
    }
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver == nullptr || *driver == '\0' || std::string_view(driver) == "x11";
}

}  // namespace platform
