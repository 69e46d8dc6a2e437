#include "frame/panels/ForceQuitBox.h"

void CForceQuitBox::ShowForceQuit(const char*, const EventRecord&, const EventRecord&, int kind) {
    kind_ = kind;
}
void CForceQuitBox::SetReasonLimit(int) {}
std::string CForceQuitBox::GetReason() {
    return {};
}
CCorvaneEdit* CForceQuitBox::GetReasonEdit() {
    return nullptr;
}
int CForceQuitBox::GetExtraHeight() {
    return kReasonHeight;
}
void CForceQuitBox::PlaceExtraParts(int) {}
EventRecord CForceQuitBox::MakeConfirmRecord(const EventRecord& stored) {
    return stored;
}
void CForceQuitBox::DropConfirmRecord(const EventRecord&) {}
