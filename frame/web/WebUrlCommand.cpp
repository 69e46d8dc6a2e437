#include "frame/web/WebUrlCommand.h"

#include <map>

#include "frame/GameFrameApp.h"
#include "frame/web/FixHtmlView.h"
#include "frame/web/UrlQuery.h"
#include "zep/ZepLog.h"

namespace {

constexpr std::string_view kOldScheme = "qelold:";
constexpr std::string_view kNewScheme = "qelnew:";
constexpr std::string_view kAppScheme = "qelapp:";
constexpr std::string_view kHttpScheme = "http:";
constexpr std::string_view kBlankPage = "about:blank";

int commandsAlive = 0;

// Commands on their way to a window, and the window. A command leaves when
// its window takes it, or when the window is found gone.
std::map<CWebUrlCommand*, platform::WindowId>& PostedCommands() {
    static auto* posted = new std::map<CWebUrlCommand*, platform::WindowId>;
    return *posted;
}

// Posts without giving up ownership: false (the caller still owns it) when
// the post fails.
bool PostCommand(platform::WindowId window, CWebUrlCommand* command) {
    FreeOrphanWebUrlCommands();
    if (window == 0) {
        return false;
    }
    PostedCommands()[command] = window;
    if (!platform::PostMessage(window, kMsgWebUrlCommand,
                               reinterpret_cast<platform::WParam>(command), 0)) {
        PostedCommands().erase(command);
        ZepLog("web: window %u takes no link command", window);
        return false;
    }
    return true;
}

}  // namespace

CWebUrlCommand::CWebUrlCommand(platform::WindowId owner, std::string_view url)
    : url_(url), owner_(owner) {
    ++commandsAlive;
}

CWebUrlCommand::~CWebUrlCommand() {
    --commandsAlive;
}

int CWebUrlCommand::Alive() {
    return commandsAlive;
}

bool CWebUrlCommand::IsOldLink() const {
    return StartsWithIgnoringCase(url_, kOldScheme);
}

bool CWebUrlCommand::IsNewLink() const {
    return StartsWithIgnoringCase(url_, kNewScheme);
}

bool CWebUrlCommand::IsBlankPage() const {
    return EqualsIgnoringCase(url_, kBlankPage);
}

bool CWebUrlCommand::IsHttpLink() const {
    return StartsWithIgnoringCase(url_, kHttpScheme);
}

bool CWebUrlCommand::IsAppLink() const {
    return StartsWithIgnoringCase(url_, kAppScheme);
}

bool CWebUrlCommand::IsAppCommand(std::string_view word) const {
    const std::string reference = std::string(kAppScheme) + "//" + std::string(word) + "/";
    return EqualsIgnoringCase(url_, reference);
}

bool CWebUrlCommand::IsChangeClothing() const {
    return IsAppCommand("changeclothing");
}

bool CWebUrlCommand::IsBecomeMember() const {
    return IsAppCommand("becomemember");
}

bool CWebUrlCommand::IsMemberClose() const {
    return IsAppCommand("memberclose");
}

bool CWebUrlCommand::Handle() {
    if (IsOldLink() || IsNewLink()) {
        posted_ = PostCommand(owner_, this);
        return true;
    }
    if (!IsAppLink()) {
        return false;
    }
    const bool changeClothing = IsChangeClothing();
    if (changeClothing || IsBecomeMember()) {
        CGameFrameApp* app = CGameFrameApp::Current();
        const auto userId = static_cast<platform::WParam>(app != nullptr ? app->GetUserID() : 0);
        if (app == nullptr ||
            !app->PostToHallFrame(changeClothing ? kMsgHallChangeClothing : kMsgHallBecomeMember,
                                  userId, 0)) {
            ZepLog("web: no hall takes \"%s\"", url_.c_str());
        }
        return true;
    }
    return IsMemberClose();
}

int CWebUrlCommand::Run() {
    const bool newLink = IsNewLink();
    if (!newLink && !IsOldLink()) {
        return 1;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    const int sign = app != nullptr && !app->IsOfflineMode() ? 1 : 0;
    std::string url = ToHttpUrl();
    if (newLink) {
        if (app == nullptr) {
            ZepLog("web: no application opens \"%s\"", url.c_str());
            return 1;
        }
        app->OpenUrlInBrowser(url, sign);
        return 1;
    }
    if (app != nullptr) {
        url = app->AddSignToUrl(url, sign);
    }
    if (CFixHtmlView* owner = CFixHtmlView::FromWindow(owner_)) {
        owner->Navigate(url);
    } else {
        ZepLog("web: the browser of \"%s\" is gone", url.c_str());
    }
    return 1;
}

std::string CWebUrlCommand::ToHttpUrl() const {
    const size_t colon = url_.find(':');
    if (colon == std::string::npos) {
        return "http";
    }
    return "http" + url_.substr(colon);
}

bool PostWebUrlCommand(platform::WindowId window, std::unique_ptr<CWebUrlCommand> command) {
    if (!command || !PostCommand(window, command.get())) {
        return false;  // freed here
    }
    command.release();  // the window's now
    return true;
}

std::unique_ptr<CWebUrlCommand> TakeWebUrlCommand(platform::WParam wParam) {
    auto* command = reinterpret_cast<CWebUrlCommand*>(wParam);
    auto& posted = PostedCommands();
    if (posted.erase(command) == 0) {
        ZepLog("web: a link command message without a command");
        return nullptr;
    }
    return std::unique_ptr<CWebUrlCommand>(command);
}

void RunPostedWebUrlCommand(platform::WParam wParam) {
    if (std::unique_ptr<CWebUrlCommand> command = TakeWebUrlCommand(wParam)) {
        command->Run();
    }
}

int FreeOrphanWebUrlCommands() {
    auto& posted = PostedCommands();
    int freed = 0;
    for (auto it = posted.begin(); it != posted.end();) {
        if (platform::IsWindow(it->second)) {
            ++it;
            continue;
        }
        delete it->first;
        it = posted.erase(it);
        ++freed;
    }
    return freed;
}
