#include "frame/web/WebHtmlCtrl.h"

#include <memory>

#include "frame/web/UrlQuery.h"
#include "frame/web/WebUrlCommand.h"

namespace {

constexpr std::string_view kCancelledPage = "navcancl.";
constexpr std::string_view kBlankPage = "about:blank";

}  // namespace

platform::LResult CCommandHtmlCtrl::WindowProc(uint32_t id, platform::WParam wParam,
                                               platform::LParam lParam) {
    if (id == kMsgWebUrlCommand) {
        RunPostedWebUrlCommand(wParam);
        return 0;
    }
    return CHtmlCtrl::WindowProc(id, wParam, lParam);
}

void CCommandHtmlCtrl::OnBeforeNavigate2(const std::string& url, uint32_t flags,
                                         const std::string& frame, bool& cancel) {
    auto command = std::make_unique<CWebUrlCommand>(Id(), url);
    if (!command->Handle()) {
        command.reset();
        ContinueNavigation(url, flags, frame, cancel);
        return;
    }
    cancel = true;
    if (command->IsPosted()) {
        command.release();  // this window's, until it takes the message
    } else if (linkCommands_ && command->IsMemberClose()) {
        PostWebUrlCommand(Parent(), std::move(command));
    }
}

void CCommandHtmlCtrl::ContinueNavigation(const std::string& url, uint32_t flags,
                                          const std::string& frame, bool& cancel) {
    if (AsciiLower(url).find(kCancelledPage) != std::string::npos) {
        navigationError_ = true;
    }
    CHtmlCtrl::OnBeforeNavigate2(url, flags, frame, cancel);
}

bool CCommandHtmlCtrl::IsLinkCommand(const CWebUrlCommand& command) {
    return command.IsOldLink() || command.IsNewLink() || command.IsChangeClothing() ||
           command.IsBecomeMember() || command.IsMemberClose();
}

void CCommandHtmlCtrl::OnDocumentComplete(const std::string& url) {
    if (!url.empty() && AsciiLower(url).find(kBlankPage) == std::string::npos &&
        !navigationError_) {
        pageLoaded_ = true;
    }
}

void CCommandHtmlCtrl::OnNavigateErrorEvent(const platform::WebNavigateError& event) {
    int cancel = 0;
    OnNavigateError(event.url, event.frame, event.status, cancel);
    // The page has no answer to give: the browser shows its own error page
    // whatever cancel says.
}

void CCommandHtmlCtrl::OnNavigateError(const std::string& /*url*/, const std::string& /*frame*/,
                                       int /*status*/, int& cancel) {
    navigationError_ = true;
    cancel = 0;
}

void CAdvertHtmlCtrl::ClickLinkByText(std::string_view text) {
    Page().ClickLinksByText(text);
}
