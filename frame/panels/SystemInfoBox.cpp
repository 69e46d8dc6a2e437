#include "frame/panels/SystemInfoBox.h"

int CSystemInfoBox::OnEvent(const EventRecord& record) {
    return CCorvaneDialog::OnEvent(record);
}
void CSystemInfoBox::ShowBox(const char*, const EventRecord*, const EventRecord*, int, int,
                             const char*, const char*, const char*) {}
void CSystemInfoBox::SetButtonCaptions(const char*, const char*) {}
void CSystemInfoBox::SetLinkPage(const char*, int) {}
void CSystemInfoBox::SetTitle(const char* text) {
    CCorvaneDialog::SetTitle(text);
}
void CSystemInfoBox::OnConfirm() {}
void CSystemInfoBox::OnCancel() {}
CCorvaneObject* CSystemInfoBox::GetConfirmButton() {
    return nullptr;
}
CCorvaneObject* CSystemInfoBox::GetCancelButton() {
    return nullptr;
}
CCorvaneObject* CSystemInfoBox::GetPicture() {
    return nullptr;
}
void CSystemInfoBox::Relayout() {}
