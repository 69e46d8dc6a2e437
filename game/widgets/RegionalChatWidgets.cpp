#include "game/widgets/RegionalChatWidgets.h"

void CRegionalEmoticonPanel::OnCellRightClick(int /*x*/, int /*y*/, int /*extra*/) {}

CEmoticonPanel* CRegionalChatBox::NewEmoticonPanel() {
    return new CRegionalEmoticonPanel;
}

CCorvaneObject* CRegionalSystemBar::CreateChatBox() {
    return AdoptBar(new CRegionalChatBox, kChatBoxName);
}
