// The web helper: shows the client's web pages with WebKitGTK, each in an
// undecorated top-level window of its own, and asks the client about every
// navigation before it happens.
//
// Rules:
//  - The link to the client is descriptor 3, a stream socket; the helper
//    quits when it closes, or after one log line when a message is bad.
//  - Every navigation (the page, its frames, new-window requests) is held
//    until the client decides it; no answer within the time-out cancels it
//    with a log line, and a later answer is ignored. An allowed new-window
//    request opens in the same view.
//  - Text from the client never becomes script source: it goes into scripts
//    as an escaped string literal, into generated pages HTML-escaped.

#include <fcntl.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <sys/socket.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/WebProtocol.h"

using platform::WebMessage;
using platform::WebMessageKind;

// The helper's leaks are GTK's and WebKit's own, kept to the end on purpose.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace {

constexpr int kLinkDescriptor = 3;

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    const std::string line = std::string("web helper: ") + text + "\r\n";
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

struct View {
    uint32_t id = 0;
    GtkWidget* window = nullptr;
    WebKitWebView* web = nullptr;
    // A URL the client asked for or allowed as a new window: its navigation is
    // the page's own and, for a new window, already decided.
    std::string ownUrl;
    bool ownUrlDecided = false;
};

struct Held {
    uint32_t view = 0;
    WebKitPolicyDecision* decision = nullptr;  // a reference of ours
    bool newWindow = false;
    std::string url;
    guint timer = 0;
};

struct Helper {
    int link = kLinkDescriptor;
    guint timeoutMs = 5000;
    platform::WebMessageReader reader;
    std::map<uint32_t, std::unique_ptr<View>> views;
    std::map<uint32_t, Held> held;  // by token
    uint32_t nextToken = 1;
};

Helper helper;

void Quit() {
    gtk_main_quit();
}

void Send(const WebMessage& message) {
    const std::optional<std::string> bytes = platform::EncodeWebMessage(message);
    if (!bytes) {
        Log("message of kind %u not sent: it breaks the link's rules",
            static_cast<unsigned>(message.kind));
        return;
    }
    size_t sent = 0;
    while (sent < bytes->size()) {
        const ssize_t n =
            ::send(helper.link, bytes->data() + sent, bytes->size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Quit();
            return;
        }
        sent += static_cast<size_t>(n);
    }
}

View* FindView(uint32_t id) {
    auto it = helper.views.find(id);
    return it == helper.views.end() ? nullptr : it->second.get();
}

int Number(const std::string& field) {
    return platform::ParseWebInt(field).value_or(0);
}

void Release(Held& held, bool allow) {
    if (held.timer != 0) {
        g_source_remove(held.timer);
        held.timer = 0;
    }
    if (allow) {
        webkit_policy_decision_use(held.decision);
    } else {
        webkit_policy_decision_ignore(held.decision);
    }
    g_object_unref(held.decision);
    held.decision = nullptr;
}

gboolean OnDecisionExpired(gpointer data) {
    const uint32_t token = GPOINTER_TO_UINT(data);
    auto it = helper.held.find(token);
    if (it != helper.held.end()) {
        Log("navigation to %s cancelled: no answer within %u ms", it->second.url.c_str(),
            helper.timeoutMs);
        it->second.timer = 0;
        Release(it->second, false);
        helper.held.erase(it);
    }
    return G_SOURCE_REMOVE;
}

// --- WebKit's signals ---

gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                        WebKitPolicyDecisionType type, gpointer data) {
    View* view = static_cast<View*>(data);
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
        WebKitURIResponse* answer = webkit_response_policy_decision_get_response(response);
        const guint status = webkit_uri_response_get_status_code(answer);
        if (webkit_response_policy_decision_is_main_frame_main_resource(response) &&
            status >= 400) {
            const char* uri = webkit_uri_response_get_uri(answer);
            Send({WebMessageKind::kNavigateError,
                  view->id,
                  0,
                  {uri != nullptr ? uri : "", "", platform::WebInt(status)}});
        }
        return FALSE;  // WebKit's own handling
    }
    auto* navigation = WEBKIT_NAVIGATION_POLICY_DECISION(decision);
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(navigation);
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    const std::string url = uri != nullptr ? uri : "";
    const bool newWindow = type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION;
    const bool own = !newWindow && !view->ownUrl.empty() && url == view->ownUrl;
    if (own && view->ownUrlDecided) {
        view->ownUrl.clear();
        webkit_policy_decision_use(decision);
        return TRUE;
    }
    if (own) {
        view->ownUrl.clear();
    }
    // WebKit names no frame for a frame's own navigation: the page's own
    // loads, new windows and what the user did count as the page's.
    const bool mainFrame =
        own || newWindow ||
        webkit_navigation_action_get_navigation_type(action) != WEBKIT_NAVIGATION_TYPE_OTHER;
    const char* frameName = webkit_navigation_action_get_frame_name(action);
    const uint32_t token = helper.nextToken++;
    Held held;
    held.view = view->id;
    held.decision = WEBKIT_POLICY_DECISION(g_object_ref(decision));
    held.newWindow = newWindow;
    held.url = url;
    held.timer = g_timeout_add(helper.timeoutMs, OnDecisionExpired, GUINT_TO_POINTER(token));
    helper.held.emplace(token, held);
    Send({WebMessageKind::kBeforeNavigate,
          view->id,
          token,
          {url, frameName != nullptr ? frameName : "", mainFrame ? "1" : "0"}});
    return TRUE;
}

void OnLoadChanged(WebKitWebView* web, WebKitLoadEvent event, gpointer data) {
    if (event == WEBKIT_LOAD_FINISHED) {
        const char* uri = webkit_web_view_get_uri(web);
        Send({WebMessageKind::kDocumentComplete,
              static_cast<View*>(data)->id,
              0,
              {uri != nullptr ? uri : ""}});
    }
}

gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer data) {
    const bool stopped =
        g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
        g_error_matches(error, WEBKIT_POLICY_ERROR,
                        WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE);
    if (!stopped) {
        Send({WebMessageKind::kNavigateError,
              static_cast<View*>(data)->id,
              0,
              {uri != nullptr ? uri : "", "", "0"}});
    }
    return FALSE;  // WebKit shows its error page
}

GtkWidget* OnCreate(WebKitWebView*, WebKitNavigationAction*, gpointer) {
    return nullptr;  // new windows open in the same view once allowed
}

// --- the client's requests ---

void MoveWindow(View& view, int left, int top, int width, int height) {
    gtk_window_move(GTK_WINDOW(view.window), left, top);
    gtk_window_resize(GTK_WINDOW(view.window), width > 0 ? width : 1, height > 0 ? height : 1);
}

void CreateView(const WebMessage& m) {
    if (FindView(m.view) != nullptr) {
        Log("view %u made twice", m.view);
        return;
    }
    auto view = std::make_unique<View>();
    view->id = m.view;
    view->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(view->window), FALSE);
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(view->window), TRUE);
    gtk_window_set_title(GTK_WINDOW(view->window), ("pvbn web " + std::to_string(m.view)).c_str());
    view->web = WEBKIT_WEB_VIEW(webkit_web_view_new());
    gtk_container_add(GTK_CONTAINER(view->window), GTK_WIDGET(view->web));
    gtk_widget_show(GTK_WIDGET(view->web));
    MoveWindow(*view, Number(m.fields[1]), Number(m.fields[2]), Number(m.fields[3]),
               Number(m.fields[4]));
    gtk_widget_realize(view->window);
    const unsigned long owner = std::strtoul(m.fields[0].c_str(), nullptr, 10);
    GdkDisplay* display = gtk_widget_get_display(view->window);
    if (owner != 0 && GDK_IS_X11_DISPLAY(display)) {
        GdkWindow* foreign = gdk_x11_window_foreign_new_for_display(display, owner);
        if (foreign != nullptr) {
            gdk_window_set_transient_for(gtk_widget_get_window(view->window), foreign);
            g_object_unref(foreign);
        }
    }
    g_signal_connect(view->web, "decide-policy", G_CALLBACK(OnDecidePolicy), view.get());
    g_signal_connect(view->web, "load-changed", G_CALLBACK(OnLoadChanged), view.get());
    g_signal_connect(view->web, "load-failed", G_CALLBACK(OnLoadFailed), view.get());
    g_signal_connect(view->web, "create", G_CALLBACK(OnCreate), view.get());
    helper.views.emplace(m.view, std::move(view));
}

void DestroyView(uint32_t id) {
    for (auto it = helper.held.begin(); it != helper.held.end();) {
        if (it->second.view == id) {
            Release(it->second, false);
            it = helper.held.erase(it);
        } else {
            ++it;
        }
    }
    auto it = helper.views.find(id);
    if (it != helper.views.end()) {
        gtk_widget_destroy(it->second->window);
        helper.views.erase(it);
    }
}

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

// A page whose form posts the urlencoded body to the URL as soon as it
// loads; nothing when the body is not name=value pairs of that encoding.
std::optional<std::string> PostingPage(const std::string& url, const std::string& body) {
    std::string inputs;
    size_t at = 0;
    while (at <= body.size()) {
        size_t end = body.find('&', at);
        if (end == std::string::npos) {
            end = body.size();
        }
        const std::string pair = body.substr(at, end - at);
        const size_t equals = pair.find('=');
        const auto decode = [](const std::string& part) -> std::optional<std::string> {
            for (unsigned char c : part) {
                if (c < 0x21 || c > 0x7E) {
                    return std::nullopt;
                }
            }
            std::string plus = part;
            for (char& c : plus) {
                if (c == '+') {
                    c = ' ';
                }
            }
            char* raw = g_uri_unescape_string(plus.c_str(), nullptr);
            if (raw == nullptr) {
                return std::nullopt;
            }
            std::string decoded = raw;
            g_free(raw);
            if (!platform::IsUtf8(decoded)) {
                return std::nullopt;
            }
            return decoded;
        };
        if (!pair.empty()) {
            const auto name = decode(pair.substr(0, equals));
            const auto value =
                decode(equals == std::string::npos ? std::string() : pair.substr(equals + 1));
            if (!name || !value) {
                return std::nullopt;
            }
            inputs += "<input type=\"hidden\" name=\"" + HtmlEscaped(*name) + "\" value=\"" +
                      HtmlEscaped(*value) + "\">";
        }
        at = end + 1;
    }
    return "<!DOCTYPE html><html><body onload=\"document.forms[0].submit()\">"
           "<form method=\"post\" enctype=\"application/x-www-form-urlencoded\" action=\"" +
           HtmlEscaped(url) + "\">" + inputs + "</form></body></html>";
}

void AddHeaders(WebKitURIRequest* request, const std::string& headers) {
    SoupMessageHeaders* target = webkit_uri_request_get_http_headers(request);
    if (target == nullptr) {
        return;
    }
    size_t at = 0;
    while (at < headers.size()) {
        size_t end = headers.find('\n', at);
        if (end == std::string::npos) {
            end = headers.size();
        }
        std::string line = headers.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t colon = line.find(':');
        if (colon != std::string::npos && colon > 0) {
            const size_t value = line.find_first_not_of(' ', colon + 1);
            soup_message_headers_replace(target, line.substr(0, colon).c_str(),
                                         value == std::string::npos ? "" : line.c_str() + value);
        }
        at = end + 1;
    }
}

void Navigate(View& view, const WebMessage& m) {
    const std::string& url = m.fields[0];
    const std::string& body = m.fields[4];
    if (!m.fields[2].empty()) {
        Log("view %u: target frame \"%s\" not supported, the page itself navigates", view.id,
            m.fields[2].c_str());
    }
    if (!body.empty()) {
        const std::optional<std::string> page = PostingPage(url, body);
        if (!page) {
            Log("view %u: post to %s refused: the body is not form-urlencoded", view.id,
                url.c_str());
            return;
        }
        view.ownUrl.clear();
        webkit_web_view_load_html(view.web, page->c_str(), "about:blank");
        return;
    }
    view.ownUrl = url;
    view.ownUrlDecided = false;
    WebKitURIRequest* request = webkit_uri_request_new(url.c_str());
    AddHeaders(request, m.fields[3]);
    webkit_web_view_load_request(view.web, request);
    g_object_unref(request);
}

void RunScript(View& view, const std::string& script) {
    webkit_web_view_evaluate_javascript(view.web, script.c_str(), -1, nullptr, nullptr, nullptr,
                                        nullptr, nullptr);
}

void HideScrollBar(View& view) {
    static const char* const kScript =
        "document.documentElement.style.overflowY = 'hidden';"
        "if (document.body) document.body.style.overflowY = 'hidden';";
    WebKitUserContentManager* content = webkit_web_view_get_user_content_manager(view.web);
    WebKitUserScript* script =
        webkit_user_script_new(kScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_END, nullptr, nullptr);
    webkit_user_content_manager_add_script(content, script);
    webkit_user_script_unref(script);
    RunScript(view, kScript);
}

void ClickLinks(View& view, const std::string& text) {
    RunScript(view,
              "(function (text) {"
              "  for (const link of Array.from(document.links))"
              "    if (link.innerText === text) link.click();"
              "})(" +
                  platform::JavaScriptStringLiteral(text) + ");");
}

void Decide(const WebMessage& m) {
    auto it = helper.held.find(m.token);
    if (it == helper.held.end() || it->second.view != m.view) {
        return;  // decided already, expired, or never asked
    }
    Held held = it->second;
    helper.held.erase(it);
    const bool allow = m.fields[0] == "1";
    View* view = FindView(held.view);
    if (allow && held.newWindow && view != nullptr) {
        Release(held, false);
        view->ownUrl = held.url;
        view->ownUrlDecided = true;
        webkit_web_view_load_uri(view->web, held.url.c_str());
        return;
    }
    Release(held, allow);
}

void Handle(const WebMessage& m) {
    if (m.kind == WebMessageKind::kCreate) {
        CreateView(m);
        return;
    }
    if (m.kind == WebMessageKind::kDecide) {
        Decide(m);
        return;
    }
    View* view = FindView(m.view);
    if (view == nullptr) {
        Log("no view %u for a message of kind %u", m.view, static_cast<unsigned>(m.kind));
        return;
    }
    switch (m.kind) {
        case WebMessageKind::kDestroy:
            DestroyView(m.view);
            break;
        case WebMessageKind::kNavigate:
            Navigate(*view, m);
            break;
        case WebMessageKind::kShow:
            if (m.fields[0] == "1") {
                gtk_widget_show(view->window);
            } else {
                gtk_widget_hide(view->window);
            }
            break;
        case WebMessageKind::kMove:
            MoveWindow(*view, Number(m.fields[0]), Number(m.fields[1]), Number(m.fields[2]),
                       Number(m.fields[3]));
            break;
        case WebMessageKind::kHideScroll:
            HideScrollBar(*view);
            break;
        case WebMessageKind::kClickLinks:
            ClickLinks(*view, m.fields[0]);
            break;
        default:
            Log("message of kind %u is not for the helper", static_cast<unsigned>(m.kind));
            break;
    }
}

gboolean OnLinkReadable(gint fd, GIOCondition, gpointer) {
    uint8_t buffer[65536];
    const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return G_SOURCE_CONTINUE;
    }
    if (n <= 0) {
        Quit();
        return G_SOURCE_REMOVE;
    }
    helper.reader.Feed({buffer, static_cast<size_t>(n)});
    WebMessage message;
    for (;;) {
        const auto result = helper.reader.Next(message);
        if (result == platform::WebMessageReader::Result::kNeedMore) {
            return G_SOURCE_CONTINUE;
        }
        if (result == platform::WebMessageReader::Result::kBad) {
            Log("link closed: %s", helper.reader.Error().c_str());
            Quit();
            return G_SOURCE_REMOVE;
        }
        Handle(message);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::string prefix = "--decision-timeout-ms=";
        if (argument.starts_with(prefix)) {
            const auto value = platform::ParseWebInt(argument.substr(prefix.size()));
            if (value && *value > 0) {
                helper.timeoutMs = static_cast<guint>(*value);
            }
        }
    }
    // The engine's own processes must not keep the link open after us.
    ::fcntl(helper.link, F_SETFD, FD_CLOEXEC);
    if (!gtk_init_check(&argc, &argv)) {
        Log("no display");
        return 1;
    }
    g_unix_fd_add(helper.link, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
                  OnLinkReadable, nullptr);
    gtk_main();
    return 0;
}
