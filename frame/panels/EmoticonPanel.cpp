#include "frame/panels/EmoticonPanel.h"

#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"

namespace {

std::vector<std::string>& Codes() {
    static std::vector<std::string> codes;
    return codes;
}

constexpr uint32_t kPanelBackground = 0xF4F0EC;
constexpr uint32_t kCellBorder = 0xC8BEB4;
constexpr uint32_t kColourKey = 0xFF00FF;

}  // namespace

void RegisterEmoticonCodes(std::vector<std::string> codes) {
    Codes() = std::move(codes);
}

const std::vector<std::string>& GetEmoticonCodes() {
    return Codes();
}

void CEmoticonPanel::Create(int columns, int rows, int cellSize, int gap) {
    columns_ = std::max(columns, 1);
    rows_ = std::max(rows, 1);
    cellSize_ = std::max(cellSize, 1);
    gap_ = std::max(gap, 0);
    const int width = columns_ * (cellSize_ + gap_) + gap_;
    const int height = rows_ * (cellSize_ + gap_) + gap_;
    CCorvaneCanvas* canvas = CreateCanvas(width, height, kColourKey);
    if (canvas == nullptr) {
        return;
    }
    canvasId_ = canvas->GetId();
    AdoptPeer(canvas);
    for (int event : {kEventLButtonDown, kEventRButtonDown}) {
        canvas->AddEventBinding(event, MakeEventRecord(GetId(), event, 0, 0));
    }
    page_ = 0;
    DrawPage();
}

int CEmoticonPanel::OnEvent(const EventRecord& record) {
    const InputState* input = InputStateOf(record);
    switch (record.event) {
        case kEventLButtonDown:
            if (input != nullptr) {
                OnCellPress(input->mouseX - static_cast<int>(GetLeft()),
                            input->mouseY - static_cast<int>(GetTop()));
            }
            return 1;
        case kEventRButtonDown:
            if (input != nullptr) {
                OnCellRightClick(input->mouseX - static_cast<int>(GetLeft()),
                                 input->mouseY - static_cast<int>(GetTop()), 0);
            }
            return 1;
        case kEventEmoticonPageBack:
            ShowPage(page_ - 1);
            return 1;
        case kEventEmoticonPageForward:
            ShowPage(page_ + 1);
            return 1;
        default:
            return CSidePanelBar::OnEvent(record);
    }
}

void CEmoticonPanel::OnCellPress(int x, int y) {
    Choose(x, y, kEventEmoticonChosen);
}

void CEmoticonPanel::OnCellRightClick(int x, int y, int /*extra*/) {
    Choose(x, y, kEventEmoticonToInput);
}

void CEmoticonPanel::ShowPage(int page) {
    const int clamped = std::clamp(page, 0, GetPageCount() - 1);
    if (clamped == page_) {
        return;
    }
    page_ = clamped;
    DrawPage();
}

int CEmoticonPanel::GetPageCount() const {
    const int perPage = columns_ * rows_;
    const int codes = static_cast<int>(Codes().size());
    if (perPage <= 0 || codes == 0) {
        return 1;
    }
    return (codes + perPage - 1) / perPage;
}

std::string CEmoticonPanel::CodeAt(int x, int y) const {
    const int pitch = cellSize_ + gap_;
    if (pitch <= 0 || x < gap_ || y < gap_) {
        return {};
    }
    const int column = (x - gap_) / pitch;
    const int row = (y - gap_) / pitch;
    // The gap right of or below a cell belongs to no cell.
    if (column >= columns_ || row >= rows_ || (x - gap_) % pitch >= cellSize_ ||
        (y - gap_) % pitch >= cellSize_) {
        return {};
    }
    const size_t index = static_cast<size_t>(page_) * columns_ * rows_ + row * columns_ + column;
    return index < Codes().size() ? Codes()[index] : std::string{};
}

void CEmoticonPanel::DrawPage() {
    auto* canvas =
        dynamic_cast<CCorvaneCanvas*>(canvasId_ != 0 ? FindObjectById(canvasId_) : nullptr);
    if (canvas == nullptr) {
        return;
    }
    const int width = canvas->GetCanvasWidth();
    const int height = canvas->GetCanvasHeight();
    canvas->SetPenColor(kPanelBackground, 1.0);
    canvas->DrawRect(0, 0, width - 1, height - 1, 1);
    canvas->DrawBorder(1, kCellBorder);
    const int perPage = columns_ * rows_;
    const int pitch = cellSize_ + gap_;
    for (int cell = 0; cell < perPage; ++cell) {
        const size_t index = static_cast<size_t>(page_) * perPage + cell;
        if (index >= Codes().size()) {
            break;
        }
        const std::string& code = Codes()[index];
        const int x = gap_ + (cell % columns_) * pitch;
        const int y = gap_ + (cell / columns_) * pitch;
        const std::string image = "kof" + (code.starts_with('#') ? code.substr(1) : code);
        const FrameRecord face = SkinFrame(image.c_str());
        if (face.record != nullptr) {
            canvas->DrawImage(face, x, y, cellSize_, cellSize_, 0, 1.0);
        } else {
            // A picture the skin lacks still shows which cell holds what.
            canvas->SetPenColor(kCellBorder, 1.0);
            canvas->DrawRect(x, y, x + cellSize_ - 1, y + cellSize_ - 1, 0);
        }
    }
    canvas->Invalidate();
}

void CEmoticonPanel::Choose(int x, int y, int event) {
    std::string code = CodeAt(x, y);
    if (code.empty()) {
        return;
    }
    chosen_ = std::move(code);
    Hide();
    Invalidate();
    // Giving up the focus tells the chat box, which unpresses its button.
    if (HasFocus() != 0) {
        SetFocus(0);
    }
    SendToSubSystem(event, EventParam(chosen_.c_str()), 0);
}
