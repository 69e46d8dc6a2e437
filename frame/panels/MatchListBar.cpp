#include "frame/panels/MatchListBar.h"

void CMatchListBar::Create() {}
int CMatchListBar::OnEvent(const EventRecord& record) {
    return CSidePanelBar::OnEvent(record);
}
void CMatchListBar::Relayout() {}
void CMatchListBar::RebuildStandings() {}
void CMatchListBar::RefreshTexts() {}
void CMatchListBar::RefreshPortrait() {}
void CMatchListBar::StartElapsedClock() {}
void CMatchListBar::ResumeElapsedClock() {}
void CMatchListBar::StopElapsedClock() {}
void CMatchListBar::ShowSignUpCount(int) {}
std::string CMatchListBar::ClockText() const {
    return {};
}
void CMatchListBar::StartClockAction() {}
void CMatchListBar::DrawClock() {}
