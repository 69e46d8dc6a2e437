#pragma once
// The browser of the regional top-up dialog. It keeps the web controls'
// navigation-error and page-loaded flags, and is stricter with the private
// links than the other browsers: a link command is never run from here. It
// is cancelled; with link commands on, the member-close command goes to the
// parent window (kMsgWebUrlCommand, the command in wParam), every other one
// is freed unrun.
//
// Rules:
//  - A command is freed exactly once: by the window that takes the message,
//    at once when the post fails, here when it is not posted.
//  - A page that is not a link command meets the URL filter; the browser's
//    cancelled page ("navcancl.") marks the error; "about:blank" never marks
//    the page loaded.
//  - UI thread only.

#include "frame/web/WebHtmlCtrl.h"

class CChargeHtmlCtrl : public CCommandHtmlCtrl {
public:
    CChargeHtmlCtrl() = default;
    ~CChargeHtmlCtrl() override = default;

    // The top-up page is never clicked by the client.
    void ClickLinkByText(std::string_view /*text*/) override {}

protected:
    void OnBeforeNavigate2(const std::string& url, uint32_t flags, const std::string& frame,
                           bool& cancel) override;
};

// Makes the top-up dialog's browsers CChargeHtmlCtrl.
class CChargeDialog;
void UseChargeHtmlCtrl(CChargeDialog& dialog);
