#include "frame/panels/EmoticonPanel.h"

namespace {
std::vector<std::string>& Codes() {
    static std::vector<std::string> codes;
    return codes;
}
}  // namespace

void RegisterEmoticonCodes(std::vector<std::string> codes) {
    Codes() = std::move(codes);
}
const std::vector<std::string>& GetEmoticonCodes() {
    return Codes();
}

void CEmoticonPanel::Create(int columns, int rows, int cellSize, int gap) {
    columns_ = columns;
    rows_ = rows;
    cellSize_ = cellSize;
    gap_ = gap;
}
int CEmoticonPanel::OnEvent(const EventRecord& record) {
    return CSidePanelBar::OnEvent(record);
}
void CEmoticonPanel::OnCellPress(int, int) {}
void CEmoticonPanel::OnCellRightClick(int, int, int) {}
void CEmoticonPanel::ShowPage(int page) {
    page_ = page;
}
int CEmoticonPanel::GetPageCount() const {
    return 1;
}
std::string CEmoticonPanel::CodeAt(int, int) const {
    return {};
}
void CEmoticonPanel::DrawPage() {}
void CEmoticonPanel::Choose(int, int, int) {}
