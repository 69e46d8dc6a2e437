#include "frame/panels/ChatBox.h"

#include <algorithm>

#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/RichText.h"
#include "frame/panels/EmoticonPanel.h"

namespace {

constexpr char kEmoticonButtonName[] = "系统栏表情按钮";
constexpr int kPanelColumns = 10;
constexpr int kPanelRows = 8;
constexpr int kPanelCell = 32;
constexpr int kPanelGap = 2;
// The picker's bottom edge lies this far above the button's top.
constexpr int kPanelAboveButton = 2;
// The text area inside the background.
constexpr int kTextTop = 3;
constexpr int kTextRightMargin = 12;
constexpr int kTextBottomMargin = 7;

}  // namespace

void CChatBox::Create() {
    if (!FirstCreate()) {
        return;
    }
    SetName("ChatBox");
    auto* view = new CCorvaneRichText;
    Register(view);
    const int width = std::max(1, static_cast<int>(GetWidth()));
    const int height = std::max(1, static_cast<int>(GetHeight()));
    view->Create(width, height, kRichDefaultStyle | kRichScrollBars | kRichSelectable, 0);
    view->SetCapacity(kViewCapacity);
    view->EnableMarkup(false);
    view->SetZ(GetZ() + 0.1);
    AttachChild(view, kBarChildLink);
    view->Show();
    viewId_ = view->GetId();
}

int CChatBox::OnEvent(const EventRecord& record) {
    if (record.event == kEventEmoticonPanelLostFocus) {
        // A press on the emoticon button takes the focus too; the button's
        // own click then closes the panel, so it is not closed twice (and
        // reopened).
        if (!IsPointerOver(FindObjectByName(kEmoticonButtonName))) {
            CloseEmoticonPanel();
        }
        return 1;
    }
    return CSidePanelBar::OnEvent(record);
}

void CChatBox::Relayout() {
    DrawBackground();
    if (CEmoticonPanel* panel = GetEmoticonPanel(); panel != nullptr && panel->IsVisible()) {
        PlaceEmoticonPanel();
    }
}

void CChatBox::DrawBackground() {
    BeforeDrawBackground();
    CCorvaneRichText* view = GetView();
    if (view == nullptr) {
        return;
    }
    const int width = static_cast<int>(GetWidth());
    const int height = static_cast<int>(GetHeight());
    if (width < 1 || height < 1) {
        return;
    }
    view->SetBackgroundSize(width, height);
    view->SetPos(GetX(), GetY());
    PaintBackground(*view, width, height);
    view->SetTextOffset(0, kTextTop);
    view->SetViewSize(std::max(1, width - kTextRightMargin),
                      std::max(1, height - kTextBottomMargin));
    view->Invalidate();
}

void CChatBox::PaintBackground(CCorvaneRichText& view, int width, int height) {
    // The top slice once, the middle slice repeated to the bottom.
    const FrameRecord top = SkinFrame("SystemChatBox1");
    const FrameRecord middle = SkinFrame("SystemChatBox2");
    int y = 0;
    if (top.record != nullptr && top.height > 0) {
        view.DrawBackgroundFrame(top, 0, 0, width, top.height);
        y = top.height;
    }
    if (middle.record != nullptr && middle.height > 0) {
        for (; y < height; y += middle.height) {
            view.DrawBackgroundFrame(middle, 0, y, width, middle.height);
        }
    }
}

void CChatBox::AddLine(const char* text) {
    AppendWithLinks(text);
    if (CCorvaneRichText* view = GetView()) {
        view->ScrollToBottom();
    }
}

void CChatBox::AppendLong(const char* text) {
    CCorvaneRichText* view = GetView();
    if (view == nullptr || text == nullptr) {
        return;
    }
    view->SetCapacity(kLongTextCapacity);
    AppendWithLinks(text);
    view->SetCapacity(kViewCapacity);
}

void CChatBox::Clear() {
    if (CCorvaneRichText* view = GetView()) {
        view->Reset();
        view->Invalidate();
    }
}

void CChatBox::ShowEmoticonPanel() {
    auto* button = dynamic_cast<CCorvaneButton*>(FindObjectByName(kEmoticonButtonName));
    CEmoticonPanel* panel = GetEmoticonPanel();
    if (panel == nullptr) {
        panel = NewEmoticonPanel();
        if (panel == nullptr) {
            return;
        }
        Register(panel);
        emoticonPanelId_ = panel->GetId();
        panel->Create(kPanelColumns, kPanelRows, kPanelCell, kPanelGap);
        panel->Show();
        panel->SetFocusable(1);
        panel->Invalidate();
        panel->BindEvent(kEventFocusLost, GetId(), kEventEmoticonPanelLostFocus, 0, 0);
        PlaceEmoticonPanel();
        SetFocus(panel->GetId());
        if (button != nullptr) {
            button->SetLatched(1);
        }
        return;
    }
    const bool open = panel->IsVisible() != 0;
    if (!open) {
        panel->Show();
        PlaceEmoticonPanel();
        SetFocus(panel->GetId());
        if (button != nullptr) {
            button->SetLatched(1);
        }
    } else {
        CloseEmoticonPanel();
    }
    panel->Invalidate();
}

CCorvaneRichText* CChatBox::GetView() {
    CCorvaneObject* view = viewId_ != 0 ? FindObjectById(viewId_) : nullptr;
    return dynamic_cast<CCorvaneRichText*>(view);
}

CEmoticonPanel* CChatBox::GetEmoticonPanel() {
    CCorvaneObject* panel = emoticonPanelId_ != 0 ? FindObjectById(emoticonPanelId_) : nullptr;
    return dynamic_cast<CEmoticonPanel*>(panel);
}

CEmoticonPanel* CChatBox::NewEmoticonPanel() {
    return new CEmoticonPanel;
}

void CChatBox::PlaceEmoticonPanel() {
    CEmoticonPanel* panel = GetEmoticonPanel();
    CCorvaneObject* button = FindObjectByName(kEmoticonButtonName);
    if (panel == nullptr) {
        return;
    }
    const double width = panel->GetWidth();
    const double height = panel->GetHeight();
    double x = GetX();
    double y = GetY();
    if (button != nullptr) {
        x = button->GetX();
        y = button->GetTop() - kPanelAboveButton - height / 2;
    }
    IntRect scene{};
    GetSceneViewRect(&scene);
    if (scene.right > scene.left && scene.bottom > scene.top) {
        x = std::clamp(x, scene.left + width / 2,
                       std::max(scene.left + width / 2, scene.right - width / 2));
        y = std::clamp(y, scene.top + height / 2,
                       std::max(scene.top + height / 2, scene.bottom - height / 2));
    }
    PlaceCentre(*panel, x, y);
    // Opened by the player, the picker lies over the table's parts too,
    // which reach under it from the left.
    panel->SetTopmost();
    panel->GetPeerOrSelf()->BringToTop();
    panel->Invalidate();
}

void CChatBox::CloseEmoticonPanel() {
    if (CEmoticonPanel* panel = GetEmoticonPanel()) {
        panel->Hide();
        panel->Invalidate();
        // Only the picker's own focus is cleared: its lost focus is told
        // after a choice, when the input bar has given its box the chosen
        // text and the keyboard.
        InputState input{};
        if (GetInputState(&input) != nullptr && input.focus == panel->GetId()) {
            SetFocus(0);
        }
    }
    if (auto* button = dynamic_cast<CCorvaneButton*>(FindObjectByName(kEmoticonButtonName))) {
        button->SetLatched(0);
    }
}

void CChatBox::AppendWithLinks(const char* text) {
    CCorvaneRichText* view = GetView();
    if (view == nullptr || text == nullptr) {
        return;
    }
    const bool wasOn = (view->GetStyle() & kRichLiveLinks) != 0;
    view->EnableMarkup(true);
    view->AppendText(text);
    view->EnableMarkup(wasOn);
}
