#include "frame/panels/AdvertBar.h"

#include "frame/web/WebHtmlCtrl.h"

CAdvertBar::CAdvertBar() = default;
CAdvertBar::~CAdvertBar() = default;
void CAdvertBar::Create() {}
int CAdvertBar::OnEvent(const EventRecord& record) {
    return CSidePanelBar::OnEvent(record);
}
void CAdvertBar::Layout() {}
void CAdvertBar::DrawScoreTable() {}
void CAdvertBar::LoadAdvertPage() {}
void CAdvertBar::Navigate(const char*) {}
void CAdvertBar::RebuildScoreTable() {}
void CAdvertBar::RefreshScoreTable() {}
void CAdvertBar::ShowAdvertTab() {}
void CAdvertBar::ShowScoreTab() {}
bool CAdvertBar::IsWebPageShowing() {
    return false;
}
void CAdvertBar::ShowWebWindow(bool) {}
void CAdvertBar::ClickLinkByText(std::string_view) {}
CCorvaneCanvas* CAdvertBar::GetScoreCanvas() {
    return nullptr;
}
CCorvaneScrollBar* CAdvertBar::GetScrollBar() {
    return nullptr;
}
CCorvaneStatic* CAdvertBar::GetAdvertTab() {
    return nullptr;
}
CCorvaneStatic* CAdvertBar::GetScoreTab() {
    return nullptr;
}
ScoreBarParts CAdvertBar::Parts() {
    return {};
}
void CAdvertBar::PlaceWebWindow(const ScoreBarWebRect&) {}
void CAdvertBar::ShowTabParts() {}
