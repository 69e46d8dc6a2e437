#include "frame/panels/SplitterBar.h"

#include "engine/CorvaneCanvas.h"

void CSplitterBar::Create() {
    SetName(kName);
}
int CSplitterBar::OnEvent(const EventRecord& record) {
    return CFrameSplitter::OnEvent(record);
}
void CSplitterBar::Relayout() {}
void CSplitterBar::Redraw() {}
void CSplitterBar::SetCollapsed(int collapsed) {
    collapsed_ = collapsed;
}
int CSplitterBar::IsCollapsed() {
    return collapsed_;
}
int CSplitterBar::IsExpanded() {
    return collapsed_ == 0 ? 1 : 0;
}
CCorvaneCanvas* CSplitterBar::GetSurface() {
    return FindCanvasById(surfaceId_);
}
CCorvaneCanvas* CSplitterBar::GetArrow() {
    return FindCanvasById(arrowId_);
}
const char* CSplitterBar::ArrowImage() const {
    return collapsed_ != 0 ? "箭头左" : "箭头右";
}
void CSplitterBar::DrawArrow(int) {}
void CSplitterBar::Toggle() {}
