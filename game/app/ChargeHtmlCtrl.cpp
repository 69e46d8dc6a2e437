#include "game/app/ChargeHtmlCtrl.h"

#include <memory>

#include "frame/panels/services/ChargeDialog.h"
#include "frame/web/WebUrlCommand.h"

void CChargeHtmlCtrl::OnBeforeNavigate2(const std::string& url, uint32_t flags,
                                        const std::string& frame, bool& cancel) {
    auto command = std::make_unique<CWebUrlCommand>(Id(), url);
    if (!IsLinkCommand(*command)) {
        command.reset();
        ContinueNavigation(url, flags, frame, cancel);
        return;
    }
    cancel = true;
    if (AreLinkCommandsEnabled() && command->IsMemberClose()) {
        PostWebUrlCommand(Parent(), std::move(command));  // freed there, or here when it fails
    }
}

void UseChargeHtmlCtrl(CChargeDialog& dialog) {
    dialog.SetBrowserFactory([] { return std::make_unique<CChargeHtmlCtrl>(); });
}
