#include "frame/panels/ActivityBar.h"

#include "frame/web/WebPageDlg.h"

CActivityBar::CActivityBar() = default;
CActivityBar::~CActivityBar() = default;
void CActivityBar::Create() {}
int CActivityBar::OnEvent(const EventRecord& record) {
    return CSidePanelBar::OnEvent(record);
}
void CActivityBar::Relayout() {}
void CActivityBar::OpenActivity(int) {}
int CActivityBar::GetButtonId(int) const {
    return 0;
}
std::string CActivityBar::PageTitle(const std::string& image) {
    return image;
}
