#include "frame/panels/InputBoxes.h"

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"

void CInputEdit::InsertText(const char* text) {
    CCorvaneEdit::InsertText(text);
}
void CInputEdit::OnChar(const InputState& input) {
    CCorvaneEdit::OnChar(input);
}
void CInputEdit::OnKeyDown(const InputState& input) {
    CCorvaneEdit::OnKeyDown(input);
}
void CInputEdit::TakeFocus() {
    CCorvaneEdit::TakeFocus();
}

void CInputBox::Create() {}
void CInputBox::SetSize(int width, int height) {
    width_ = width;
    height_ = height;
}
void CInputBox::SetWidth(int width) {
    width_ = width;
}
void CInputBox::SetHeight(int height) {
    height_ = height;
}
void CInputBox::Layout() {}
void CInputBox::SetFocus() {}
void CInputBox::Clear() {}
void CInputBox::SetText(const char*) {}
char* CInputBox::GetText() {
    return nullptr;
}
void CInputBox::FillRect(int, int, int, int, uint32_t) {}
void CInputBox::SetMaxLength(int) {}
void CInputBox::SetEditFlags(uint32_t) {}
uint32_t CInputBox::GetEditFlags() {
    return 0;
}
CInputEdit* CInputBox::GetEdit() {
    return nullptr;
}
CCorvaneCanvas* CInputBox::GetFrame() {
    return nullptr;
}

void CDropList::RemoveItem(const char*) {
    Layout();
}

void CDropInputBox::Create() {}
int CDropInputBox::OnEvent(const EventRecord& record) {
    return CCorvaneControl::OnEvent(record);
}
void CDropInputBox::Layout() {}
void CDropInputBox::SetWidth(int width) {
    width_ = width;
}
void CDropInputBox::SetText(const char*) {}
void CDropInputBox::Clear() {}
void CDropInputBox::AddEntry(const char* text) {
    entries_.emplace_back(text != nullptr ? text : "");
}
void CDropInputBox::ToggleList() {}
void CDropInputBox::SetFocus() {}
char* CDropInputBox::GetText() {
    return nullptr;
}
void CDropInputBox::SetMaxLength(int) {}
CInputEdit* CDropInputBox::GetEdit() {
    return nullptr;
}
CDropList* CDropInputBox::GetList() {
    return nullptr;
}
CCorvaneButton* CDropInputBox::GetDropButton() {
    return nullptr;
}
CCorvaneCanvas* CDropInputBox::GetFrame() {
    return nullptr;
}
