#include "frame/panels/InputBar.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneView.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneEdit.h"
#include "engine/ui/CorvaneTextItem.h"
#include "engine/ui/CorvaneTextList.h"
#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "frame/panels/PopupMenu.h"
#include "frame/panels/safebox/SetDepositDlg.h"
#include "platform/Dialogs.h"

namespace {

constexpr uint32_t kColourKey = 0xff00ff;
constexpr uint32_t kEditStyle = 0x42000;
constexpr uint32_t kEditTextColour = 0x414a28;
constexpr uint32_t kPhraseColour = 0xa40755;
constexpr int kPhraseItemHeight = 20;
constexpr int kPhraseFontSize = 12;
constexpr int kPhraseListDepth = 10000;
constexpr int kMenuFontSize = 12;
constexpr int kMenuDepthAbove = 100;
constexpr char kSafeBoxButtonName[] = "系统栏划银按钮";
// The bar's row of buttons starts this far in; the input frame starts
// further in, and the quick-chat button ends inside the frame's right edge.
constexpr int kButtonRowStart = 20;
constexpr int kFrameInset = 25;
constexpr int kQuickChatInset = 5;

// Draws an image over width pixels of the canvas: once when it is at least
// that wide, else its left and right halves with a 2-pixel strip from its
// middle stretched between them.
void DrawStretchedRow(CCorvaneCanvas& canvas, const FrameRecord& image, int width) {
    if (image.record == nullptr || image.width <= 0) {
        return;
    }
    if (image.width >= width) {
        canvas.DrawImage(image, 0, 0, -1, -1, 0, 1.0);
        return;
    }
    const int half = image.width / 2;
    FrameRecord left = image;
    left.width = half;
    canvas.DrawImage(left, 0, 0, half, image.height, 0, 1.0);
    FrameRecord strip = image;
    strip.offsetX = image.offsetX + half;
    strip.width = std::min(2, image.width - half);
    canvas.DrawImage(strip, half, 0, width - 2 * half, image.height, 0, 1.0);
    FrameRecord right = image;
    right.offsetX = image.offsetX + image.width - half;
    right.width = half;
    canvas.DrawImage(right, width - half, 0, half, image.height, 0, 1.0);
}

}  // namespace

CInputBar::CInputBar(const InputBarMetrics& metrics) : metrics_(metrics) {}

CInputBar::~CInputBar() = default;

void CInputBar::Create() {
    if (!FirstCreate()) {
        return;
    }
    SetName("InputBar");
    const FrameRecord background = SkinFrame("SystemInputBar");
    const FrameRecord quickChat = SkinFrame("btnQuickChat");
    const FrameRecord send = SkinFrame("btnSendChat");
    const FrameRecord box = SkinFrame("InputBarBoxBK");

    if (CCorvaneCanvas* canvas = CreateCanvas(std::max(background.width, 1),
                                              std::max(background.height, 1), kColourKey)) {
        if (background.record != nullptr) {
            canvas->DrawImage(background, 0, 0, -1, -1, 0, 1.0);
        }
        canvas->Show();
        AdoptPeer(canvas);
        backgroundId_ = canvas->GetId();
    }
    if (CCorvaneCanvas* frame =
            CreateCanvas(std::max(box.width, 1), std::max(box.height, 1), kColourKey)) {
        if (box.record != nullptr) {
            frame->DrawImage(box, 0, 0, -1, -1, 0, 1.0);
        }
        frame->SetZ(GetZ() + 0.1);
        frame->Show();
        AttachChild(frame, kBarChildLink);
        inputFrameId_ = frame->GetId();
    }

    auto* edit = new CCorvaneEdit;
    Register(edit);
    edit->Create(metrics_.editWidth, EditHeight(), kEditStyle);
    edit->SetTextColor(kEditTextColour);
    edit->SetZ(GetZ() + 0.2);
    if (CCorvaneObject* side = FindSubSystem()) {
        edit->SetNotify(side->GetId(), kEventSendChat, 0);
    }
    edit->Show();
    AttachChild(edit, kBarChildLink);
    editId_ = edit->GetId();

    const auto makeButton = [this](const FrameRecord& face, int event, double dz) {
        auto* button = new CCorvaneButton;
        Register(button);
        CCorvaneObject* side = FindSubSystem();
        const EventRecord notify =
            MakeEventRecord(side != nullptr ? side->GetId() : 0, event, 0, 0);
        button->Create(face, &notify, 0, 0);
        button->SetSound(1, "SndTouchButton");
        button->SetSound(2, "SndHitButton");
        button->SetZ(GetZ() + dz);
        button->Show();
        AttachChild(button, kBarChildLink);
        return button->GetId();
    };
    quickChatId_ = makeButton(quickChat, kEventToggleQuickChat, 0.3);
    sendId_ = makeButton(send, kEventInputBoxCommand, 0.3);
    Layout();
}

int CInputBar::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventOpenSafeBox:
            HandleSafeBoxButton(0);
            OpenSafeBox();
            return 1;
        case kEventOpenSetDeposit:
            HandleSafeBoxButton(0);
            OpenSetDeposit();
            return 1;
        case kEventQuickSilverAmount:
            HandleSafeBoxButton(0);
            if (record.param1 >= 0 && record.param1 < kPresetCount) {
                SetCarriedSilver(presets_[static_cast<size_t>(record.param1)]);
            }
            return 1;
        case kEventCloseQuickSilverMenu:
            // A press on the safe-box button takes the focus too; its own
            // click then closes the menu, so it is not closed and reopened.
            if (!IsPointerOver(FindObjectByName(kSafeBoxButtonName))) {
                HandleSafeBoxButton(0);
            }
            return 1;
        case kEventKeypadPassword: {
            // The keypad answers while still open; closed or re-routed, the
            // take it was shown for is over.
            if (!KeypadOpenForBar()) {
                waitingAmount_ = 0;
                return 1;
            }
            // Another prompt on the same route has its own answer.
            if (record.param1 != keypadId_) {
                return 1;
            }
            // Cleared before the request, so a second answer cannot repeat it.
            const int64_t amount = std::exchange(waitingAmount_, 0);
            if (amount > 0) {
                QuickTake(amount, GetKeypadResult());
            }
            return 1;
        }
        case kEventSilverLimit:
            SetCarriedSilver(record.param1);
            return 1;
        default:
            return CSidePanelBar::OnEvent(record);
    }
}

void CInputBar::Layout() {
    const int left = LeftEdge();
    const int top = TopEdge();
    const int width = static_cast<int>(GetWidth());
    const int height = static_cast<int>(GetHeight());

    // The input frame's row, below the button row.
    const FrameRecord box = SkinFrame("InputBarBoxBK");
    const int frameHeight = std::max(1, box.height);
    const double frameY = top + static_cast<int>(frameHeight * metrics_.inputFrameYFactor) + 31;
    const double frameTop = frameY - frameHeight / 2.0;

    // The button row, left to right. The frame gives up the room of the
    // buttons that reach down into its row; a row above it takes none.
    int x = kButtonRowStart;
    int rowEndOnFrameRow = kButtonRowStart;
    for (int id : buttons_) {
        CCorvaneObject* button = id != 0 ? FindObjectById(id) : nullptr;
        if (button == nullptr) {
            continue;
        }
        button->SetPos(left + x, top + button->GetHeight() / 2 + metrics_.buttonRowTop);
        button->Invalidate();
        x += static_cast<int>(button->GetWidth() + 10);
        if (button->GetBottom() > frameTop) {
            rowEndOnFrameRow = x;
        }
    }

    if (auto* canvas = Part<CCorvaneCanvas>(backgroundId_);
        canvas != nullptr && width > 0 && height > 0) {
        canvas->Resize(width, height);
        canvas->CCorvaneObject::Resize(width, height);
        canvas->Clear();
        DrawStretchedRow(*canvas, SkinFrame("SystemInputBar"), width);
        canvas->Invalidate();
    }

    // The send button ends the frame's row at the bar's right edge: the
    // quick-chat button, which ends inside the frame, stops at its left edge.
    CCorvaneButton* send = GetSendButton();
    const FrameRecord sendFace = SkinFrame("btnSendChat");
    const int sendWidth = sendFace.width > 0 ? sendFace.width
                          : send != nullptr  ? static_cast<int>(send->GetWidth())
                                             : 0;
    // A long button row on a narrow bar leaves no room: the frame and the
    // edit box are then hidden, and never sized below one pixel.
    const int frameRoom = std::min(width - rowEndOnFrameRow - metrics_.inputFrameMargin,
                                   width - sendWidth - (kFrameInset - kQuickChatInset));
    const int frameWidth = std::max(1, frameRoom);
    const double frameX = left + frameWidth / 2 + kFrameInset;
    if (auto* frame = Part<CCorvaneCanvas>(inputFrameId_)) {
        frame->Resize(frameWidth, frameHeight);
        frame->CCorvaneObject::Resize(frameWidth, frameHeight);
        frame->Clear();
        if (box.record != nullptr && box.width < frameWidth) {
            DrawStretchedRow(*frame, box, frameWidth);
        } else if (box.record != nullptr) {
            // Wide enough: its left part and its right remainder.
            const int leftPart = (frameWidth + 1) / 2;
            FrameRecord part = box;
            part.width = leftPart;
            frame->DrawImage(part, 0, 0, leftPart, box.height, 0, 1.0);
            part.offsetX = box.offsetX + box.width - (frameWidth - leftPart);
            part.width = frameWidth - leftPart;
            frame->DrawImage(part, leftPart, 0, part.width, box.height, 0, 1.0);
        }
        frame->SetPos(frameX, frameY);
        ShowWhen(*frame, frameRoom > 0);
        frame->Invalidate();
    }

    CCorvaneButton* quickChat = GetQuickChatButton();
    const int quickWidth = quickChat != nullptr ? static_cast<int>(quickChat->GetWidth()) : 0;
    double editY = frameY;
    if (CCorvaneEdit* edit = GetEditBox()) {
        const int editRoom = frameRoom - quickWidth - 15;
        const int editWidth = std::max(1, editRoom);
        const int editHeight = EditHeight();
        edit->SetBackgroundSize(editWidth, editHeight);
        edit->SetViewSize(editWidth, editHeight);
        edit->SetPos(frameX - quickWidth / 2 + 3, frameY);
        editY = edit->GetY();
        ShowWhen(*edit, editRoom > 0);
        edit->Invalidate();
    }
    if (quickChat != nullptr) {
        const double frameRight = frameX - frameWidth / 2.0 + frameWidth;
        quickChat->SetPos(frameRight - quickWidth / 2 - kQuickChatInset, editY);
        quickChat->Invalidate();
    }
    if (send != nullptr) {
        send->SetPos(left + width - sendWidth / 2, editY);
        send->Invalidate();
    }

    // Dialogs that are open follow the scene's middle.
    for (int id : {safeBoxId_, keypadId_, setDepositId_}) {
        CCorvaneObject* dialog = id != 0 ? FindObjectById(id) : nullptr;
        if (dialog != nullptr && dialog->IsVisible()) {
            CenterDialog(*dialog);
        }
    }
    CenterSafeBoxChildren();
}

void CInputBar::AddButton(CCorvaneButton* button) {
    if (button == nullptr) {
        return;
    }
    for (size_t i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i] == 0 || FindObjectById(buttons_[i]) == nullptr) {
            buttons_[i] = button->GetId();
            return;
        }
    }
}

void CInputBar::InsertText(const char* text) {
    CCorvaneEdit* edit = GetEditBox();
    if (edit == nullptr || text == nullptr) {
        return;
    }
    edit->InsertText(text);
    edit->TakeFocus();
}

void CInputBar::ClearInput() {
    if (CCorvaneEdit* edit = GetEditBox()) {
        edit->Reset();
        edit->Invalidate();
    }
}

int CInputBar::HasInputText() {
    CCorvaneEdit* edit = GetEditBox();
    return edit != nullptr ? edit->GetElementCount() : 0;
}

void CInputBar::AddQuickPhrase(const char* text) {
    if (text == nullptr) {
        return;
    }
    auto* list = GetPhraseList();
    if (list == nullptr) {
        list = new CCorvaneTextList;
        Register(list);
        list->Create(metrics_.phraseListWidth, kPhraseItemHeight, kPhraseFontSize, 0xffffff);
        list->SetTopmost();
        list->SetFocusable(1);
        list->SetZ(kPhraseListDepth);
        AttachChild(list, kLinkOwned);
        list->Hide();
        phraseListId_ = list->GetId();
    }
    phrases_.emplace_back(text);
    CCorvaneObject* side = FindSubSystem();
    const EventRecord notify =
        MakeEventRecord(side != nullptr ? side->GetId() : 0, kEventQuickPhrase,
                        EventParam(phrases_.back().c_str()), list->GetId());
    list->AddItem(text, &notify, kPhraseColour, 0);
}

void CInputBar::ToggleQuickChatList() {
    CCorvaneTextList* list = GetPhraseList();
    if (list == nullptr) {
        return;
    }
    if (list->IsVisible()) {
        list->Hide();
        list->Invalidate();
        return;
    }
    SetFocus(list->GetId());
    if (CCorvaneButton* button = GetQuickChatButton()) {
        PlaceCentre(*list, button->GetRight() - list->GetWidth() / 2,
                    button->GetTop() - metrics_.phraseListGap - list->GetHeight() / 2);
    }
    list->Show();
    list->Invalidate();
}

void CInputBar::ShowQuickSilverMenu(int width, int height) {
    if (CCorvaneObject* old = menuId_ != 0 ? FindObjectById(menuId_) : nullptr) {
        RemoveChild(old->GetId());
        DestroyObject(old, 1);
    }
    menuId_ = 0;
    auto* menu = new CPopupMenu;
    Register(menu);
    menu->Create(width + 2, height, kMenuFontSize, metrics_.menuItemColours[0]);
    menu->SetFocusable(1);
    menu->SetZ(GetZ() + kMenuDepthAbove);
    AttachChild(menu, kLinkOwned);
    menuId_ = menu->GetId();

    for (int i = 0; i < kPresetCount; ++i) {
        char caption[32];
        std::snprintf(caption, sizeof caption, "%d 两", presets_[static_cast<size_t>(i)]);
        const EventRecord notify = MakeEventRecord(GetId(), kEventQuickSilverAmount, i, 0);
        menu->AddItem(caption, &notify, 0, 0);
    }
    const EventRecord setDeposit = MakeEventRecord(GetId(), kEventOpenSetDeposit, 0, 0);
    menu->AddItem("快速设银", &setDeposit, 0, 0);
    const EventRecord safeBox = MakeEventRecord(GetId(), kEventOpenSafeBox, 0, 0);
    menu->AddItem("保 险 箱", &safeBox, 0, 0);

    menu->SetBackground(metrics_.menuFrameColour);
    menu->SetItemBackColours(metrics_.menuItemColours[0], metrics_.menuItemColours[1],
                             metrics_.menuItemColours[2]);
    menu->Layout();
    menu->SetItemSeparatorColours(metrics_.menuHoverColours[0], metrics_.menuHoverColours[1]);
    menu->CenterCaptions();
    menu->BindEvent(kEventFocusLost, GetId(), kEventCloseQuickSilverMenu, 0, 0);
    if (CPopupMenuItem* item = menu->GetMenuItem(kPresetCount)) {
        item->SetIconFrame(SkinFrame("快速设银图标"));
    }
    if (CPopupMenuItem* item = menu->GetMenuItem(kPresetCount + 1)) {
        item->SetIconFrame(SkinFrame("保险箱图标"));
    }
    // Built hidden: the safe-box button opens it.
    menu->Hide();
    safeBoxButtonLatched_ = false;
}

void CInputBar::InputBoxCommand() {
    if (CCorvaneEdit* edit = GetEditBox()) {
        edit->OnEnter();
    }
}

void CInputBar::HandleSafeBoxButton(int flag) {
    CPopupMenu* menu = GetQuickSilverMenu();
    auto* button = dynamic_cast<CCorvaneButton*>(FindObjectByName(kSafeBoxButtonName));
    const auto close = [&] {
        safeBoxButtonLatched_ = false;
        if (button != nullptr) {
            button->SetLatched(0);
        }
        if (menu != nullptr) {
            menu->Hide();
            menu->Invalidate();
        }
    };
    if (flag == 0 || safeBoxButtonLatched_) {
        close();
        return;
    }
    if (menu == nullptr) {
        return;
    }
    safeBoxButtonLatched_ = true;
    if (button != nullptr) {
        button->SetLatched(1);
    }
    SetFocus(menu->GetId());
    // Centred above the button, kept inside the side panel.
    double x = button != nullptr ? button->GetX() : GetX();
    double y = (button != nullptr ? button->GetTop() : GetTop()) - menu->GetHeight() / 2;
    if (auto* side = dynamic_cast<CCorvaneView*>(FindSubSystem())) {
        IntRect area{};
        side->GetViewRect(&area);
        const double halfWidth = menu->GetWidth() / 2;
        const double halfHeight = menu->GetHeight() / 2;
        if (area.right > area.left && area.bottom > area.top) {
            x = std::clamp(x, area.left + halfWidth,
                           std::max(area.left + halfWidth, area.right - halfWidth));
            y = std::clamp(y, area.top + halfHeight,
                           std::max(area.top + halfHeight, area.bottom - halfHeight));
        }
    }
    PlaceCentre(*menu, x, y);
    menu->SetTopmost();
    menu->Show();
    menu->Invalidate();
}

void CInputBar::LoadFixDeposit() {
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        presets_ = LoadFixDepositValues(app->GetUserDataFile());
    }
}

void CInputBar::RefreshAmounts() {
    CPopupMenu* menu = GetQuickSilverMenu();
    if (menu == nullptr) {
        return;
    }
    for (int i = 0; i < kPresetCount; ++i) {
        CCorvaneTextItem* item = menu->GetItem(i);
        if (item == nullptr) {
            continue;
        }
        char caption[32];
        std::snprintf(caption, sizeof caption, "%d 两", presets_[static_cast<size_t>(i)]);
        item->SetCaption(caption);
    }
    menu->Invalidate();
}

CCorvaneEdit* CInputBar::GetEditBox() {
    return Part<CCorvaneEdit>(editId_);
}

CCorvaneButton* CInputBar::GetQuickChatButton() {
    return Part<CCorvaneButton>(quickChatId_);
}

CCorvaneButton* CInputBar::GetSendButton() {
    return Part<CCorvaneButton>(sendId_);
}

CCorvaneTextList* CInputBar::GetPhraseList() {
    return Part<CCorvaneTextList>(phraseListId_);
}

CCorvaneCanvas* CInputBar::GetInputFrame() {
    return Part<CCorvaneCanvas>(inputFrameId_);
}

CPopupMenu* CInputBar::GetQuickSilverMenu() {
    return Part<CPopupMenu>(menuId_);
}

void CInputBar::ShowWhen(CCorvaneObject& part, bool room) {
    if (!room) {
        part.Hide();
    } else if (IsVisible() && !part.IsVisible()) {
        // A hidden bar shows its parts itself when it is shown.
        part.Show();
    }
}

int CInputBar::EditHeight() {
    if (metrics_.editHeight >= 0) {
        return std::max(metrics_.editHeight, 1);
    }
    return std::max(SkinFrame("InputBarBoxBK").height + metrics_.editHeight, 1);
}

void CInputBar::CenterDialog(CCorvaneObject& dialog) {
    IntRect scene{};
    GetSceneViewRect(&scene);
    PlaceCentre(dialog, scene.Width() / 2, (scene.bottom - scene.top) / 2);
    dialog.Invalidate();
}
