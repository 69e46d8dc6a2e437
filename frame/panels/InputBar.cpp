#include "frame/panels/InputBar.h"

#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneEdit.h"
#include "engine/ui/CorvaneTextList.h"

CInputBar::CInputBar(const InputBarMetrics& metrics) : metrics_(metrics) {}
CInputBar::~CInputBar() = default;
void CInputBar::Create() {}
int CInputBar::OnEvent(const EventRecord& record) {
    return CSidePanelBar::OnEvent(record);
}
void CInputBar::Layout() {}
void CInputBar::AddButton(CCorvaneButton*) {}
void CInputBar::InsertText(const char*) {}
void CInputBar::ClearInput() {}
int CInputBar::HasInputText() {
    return 0;
}
void CInputBar::AddQuickPhrase(const char* text) {
    phrases_.emplace_back(text != nullptr ? text : "");
}
void CInputBar::ToggleQuickChatList() {}
void CInputBar::ShowQuickSilverMenu(int, int) {}
void CInputBar::InputBoxCommand() {}
void CInputBar::HandleSafeBoxButton(int) {}
void CInputBar::LoadFixDeposit() {}
void CInputBar::RefreshAmounts() {}
void CInputBar::OpenSafeBox() {}
void CInputBar::OpenSetDeposit() {}
void CInputBar::ShowKeypad(int, int32_t, int) {}
int32_t CInputBar::GetKeypadResult() {
    return 0;
}
void CInputBar::QuickTake(int64_t, int32_t) {}
void CInputBar::SetCarriedSilver(int64_t) {}
CCorvaneEdit* CInputBar::GetEditBox() {
    return nullptr;
}
CCorvaneButton* CInputBar::GetQuickChatButton() {
    return nullptr;
}
CCorvaneButton* CInputBar::GetSendButton() {
    return nullptr;
}
CCorvaneTextList* CInputBar::GetPhraseList() {
    return nullptr;
}
CPopupMenu* CInputBar::GetQuickSilverMenu() {
    return nullptr;
}
CCorvaneButton* CInputBar::FindButtonByImage(const char*) {
    return nullptr;
}
int CInputBar::EditHeight() {
    return 0;
}
