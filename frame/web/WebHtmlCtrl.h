#pragma once
// The client's browser controls: CHtmlCtrl with the private link commands
// (WebUrlCommand.h), a navigation-error flag and a page-loaded flag.
// CAdvertHtmlCtrl (the side panel's advert page) also clicks links by their
// text; CWebPageHtmlCtrl (the web-page dialog's browser) does not.
//
// Rules:
//  - Every navigation is wrapped in a command: a private link is cancelled
//    and carried out; with link commands on, "qelapp://memberclose/" goes on
//    to the parent window as kMsgWebUrlCommand; other URLs meet the filter.
//  - The flags only ever go from 0 to 1 while the control lives.
//  - The control takes kMsgWebUrlCommand: it runs the command, then frees it.

#include <string>
#include <string_view>

#include "frame/web/FixHtmlView.h"

class CWebUrlCommand;

class CCommandHtmlCtrl : public CHtmlCtrl {
public:
    bool HasNavigationError() const { return navigationError_; }
    bool IsPageLoaded() const { return pageLoaded_; }
    void EnableLinkCommands(bool on) { linkCommands_ = on; }
    bool AreLinkCommandsEnabled() const { return linkCommands_; }

    virtual void ClickLinkByText(std::string_view text) = 0;

    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override;

protected:
    void OnBeforeNavigate2(const std::string& url, uint32_t flags, const std::string& frame,
                           bool& cancel) override;
    void OnDocumentComplete(const std::string& url) override;
    void OnNavigateErrorEvent(const platform::WebNavigateError& event) override;
    // Records the error; the page shows its own error page (cancel stays 0).
    virtual void OnNavigateError(const std::string& url, const std::string& frame, int status,
                                 int& cancel);
    // An ordinary page's navigation: the browser's cancelled page marks the
    // error, then the URL meets the filter.
    void ContinueNavigation(const std::string& url, uint32_t flags, const std::string& frame,
                            bool& cancel);
    // Whether the URL is a private link: an old or new link or one of the
    // hall's commands (nothing is run).
    static bool IsLinkCommand(const CWebUrlCommand& command);

private:
    bool navigationError_ = false;
    bool pageLoaded_ = false;
    bool linkCommands_ = false;
};

class CAdvertHtmlCtrl : public CCommandHtmlCtrl {
public:
    // Clicks every link of the page whose text is exactly the text.
    void ClickLinkByText(std::string_view text) override;
};

class CWebPageHtmlCtrl : public CCommandHtmlCtrl {
public:
    void ClickLinkByText(std::string_view /*text*/) override {}
};
