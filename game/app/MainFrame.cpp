#include "game/app/MainFrame.h"

#include "game/app/RegionalRuleSets.h"
#include "zep/ZepLog.h"

// The second rule set, made with the main window's classes.
CRegionalMahjongRules g_RegionalRules2;

bool CDialogBar::Create(platform::WindowId parent, int templateId, uint32_t style, int controlId) {
    if (parent == 0 || !platform::IsWindow(parent)) {
        return false;
    }
    parent_ = parent;
    templateId_ = templateId;
    style_ = style;
    controlId_ = controlId;
    return true;
}

int CMainFrame::Create(const char* title, uint32_t style, uint32_t extendedStyle,
                       const platform::ScreenRect& rect, platform::WindowId parent) {
    if (CGameFrameWnd::Create(title, style, extendedStyle, rect, parent) == 0) {
        return 0;
    }
    if (OnCreate() == -1) {
        ZepLog("CMainFrame: the dialog bar could not be made");
        Destroy();
        return 0;
    }
    return 1;
}

int CMainFrame::OnCreate() {
    return dialogBar_.Create(Id(), CDialogBar::kTemplateId, CDialogBar::kStyle,
                             CDialogBar::kTemplateId)
               ? 0
               : -1;
}
