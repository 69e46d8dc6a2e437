#include "frame/panels/ChatBox.h"

#include "engine/ui/RichText.h"
#include "frame/panels/EmoticonPanel.h"

void CChatBox::Create() {}
int CChatBox::OnEvent(const EventRecord& record) {
    return CSidePanelBar::OnEvent(record);
}
void CChatBox::Relayout() {
    DrawBackground();
}
void CChatBox::DrawBackground() {
    BeforeDrawBackground();
}
void CChatBox::AddLine(const char*) {}
void CChatBox::AppendLong(const char*) {}
void CChatBox::Clear() {}
void CChatBox::ShowEmoticonPanel() {}
CCorvaneRichText* CChatBox::GetView() {
    return nullptr;
}
CEmoticonPanel* CChatBox::GetEmoticonPanel() {
    return nullptr;
}
void CChatBox::CloseEmoticonPanel() {}
void CChatBox::AppendWithLinks(const char*) {}
