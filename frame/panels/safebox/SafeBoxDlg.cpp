#include "frame/panels/safebox/SafeBoxDlg.h"

#include <array>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"
#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "frame/panels/safebox/DepositDlgs.h"

namespace {

constexpr char kTransferImage[] = "保险箱按钮";
constexpr char kPlainButtonImage[] = "系统通知框_按钮";
constexpr char kFrameLinesImage[] = "保险箱框线";
constexpr char kAdvertImage[] = "保险箱广告";
constexpr uint32_t kCaptionColour = 0x2E23;
constexpr int kCaptionSize = 12;
constexpr int kButtonGap = 24;
constexpr char kRefreshFailed[] = "保险箱打开失败。";
constexpr char kNote[] =
    "您可以在游戏开始之前取出银子划拨到某个游戏，或者从游戏中划出银子存入到保险箱中，确保安全。";

// The safe box's silver in a 200040 reply: its second word.
constexpr size_t kSilverAt = 4;

}  // namespace

void CSafeBoxDlg::Create(int32_t silver) {
    SetName(kSafeBoxDlgName);
    SetSilver(silver);
    SetDialogSize(kWidth, kHeight);
    BuildBackground(width_, height_);
    SetTitle("保险箱");
    SetZ(kSafeBoxDepth);
    CreateBacking();
    DrawContents();
    CreateControls();
}

void CSafeBoxDlg::CreateBacking() {
    CCorvaneCanvas* surface = GetSurface();
    if (surface == nullptr || Part<CCorvaneCanvas>(backingId_) != nullptr) {
        return;
    }
    CCorvaneCanvas* backing = CreateCanvas(static_cast<int>(surface->GetWidth()),
                                           static_cast<int>(surface->GetHeight()), 0xFF00FF);
    if (backing == nullptr) {
        return;
    }
    backingId_ = backing->GetId();
    backing->SetPos(surface->GetX(), surface->GetY());
    backing->SetZ(surface->GetZ() + kDialogChildStep / 2);
    AttachPart(backing, kSafeBoxChildLink);
}

void CSafeBoxDlg::DrawContents() {
    ++drawCount_;
    CCorvaneCanvas* canvas = Part<CCorvaneCanvas>(backingId_);
    if (canvas == nullptr) {
        canvas = GetSurface();
    }
    if (canvas == nullptr) {
        return;
    }
    canvas->Clear();
    FrameRecord lines;
    GetResourceFrame(&lines, kFrameLinesImage, 0);
    if (lines.record != nullptr) {
        canvas->DrawImage(lines, 0, 0, -1, -1, 0, 1.0);
    }
    if (Part<CCorvanePicture>(advertId_) == nullptr) {
        FrameRecord advert;
        GetResourceFrame(&advert, kAdvertImage, 0);
        if (advert.record != nullptr) {
            if (CCorvanePicture* picture = CreatePicture(advert)) {
                advertId_ = picture->GetId();
                picture->SetPos(canvas->GetRight() - picture->GetWidth() / 2 - 8,
                                canvas->GetTop() + picture->GetHeight() / 2 + 8);
                picture->SetZ(GetZ() + kDialogChildStep);
                picture->EnableInput(1);
                picture->BindEvent(kEventClick, GetId(), kEventSafeBoxAdvert, 0, 0);
                AttachPart(picture, kSafeBoxChildLink);
            }
        }
    }
    canvas->SetPenColor(0, 1.0);
    canvas->SetFont(12, 400, kSafeBoxFont);
    canvas->DrawText(13, 20, "您在保险箱存有现银：");
    canvas->SetFont(25, 1200, kSafeBoxFont);
    canvas->DrawText(13, 45, (std::to_string(silver_) + " 两").c_str());
    canvas->SetFont(12, 400, kSafeBoxFont);
    // The note wraps inside the panel, below the amount.
    canvas->SetMargins(13, 13);
    canvas->DrawTextCenteredLines(kNote, 90);
    canvas->Invalidate();
}

void CSafeBoxDlg::CreateControls() {
    if (Part<CCorvaneButton>(takeButtonId_) != nullptr) {
        return;
    }
    takeButtonId_ = MakeButton(kTransferImage, kEventSafeBoxTake, 4);
    saveButtonId_ = MakeButton(kTransferImage, kEventSafeBoxSave, 4);
    closeButtonId_ = MakeButton(kPlainButtonImage, kEventSafeBoxClose, 4);
    cornerCloseId_ = MakeCloseButton(kEventSafeBoxClose);
    CaptionButton(takeButtonId_, "划拨到游戏", kCaptionColour, kCaptionSize);
    CaptionButton(saveButtonId_, "存入保险箱", kCaptionColour, kCaptionSize);
    CaptionButton(closeButtonId_, "关闭", kCaptionColour, kCaptionSize);

    // One row below the text, 24 px apart and centred as a group.
    const std::array<int, 3> row{takeButtonId_, saveButtonId_, closeButtonId_};
    double total = kButtonGap * 2.0;
    for (int id : row) {
        if (auto* button = Part<CCorvaneButton>(id)) {
            total += button->GetWidth();
        }
    }
    IntRect surface;
    GetSurfaceRect(&surface);
    double left = GetLeft() + (surface.left + surface.right) / 2.0 - total / 2;
    const double y = GetTop() + surface.bottom - 24;
    for (int id : row) {
        if (auto* button = Part<CCorvaneButton>(id)) {
            button->SetPos(left + button->GetWidth() / 2, y - button->GetHeight() / 2);
            left += button->GetWidth() + kButtonGap;
        }
    }

    CGameFrameApp* app = App();
    if (app == nullptr || app->CanUseSafeBoxInGame() == 0) {
        for (int id : {takeButtonId_, saveButtonId_}) {
            if (auto* button = Part<CCorvaneButton>(id)) {
                button->SetInputEnabled(0);
            }
        }
    }
}

int CSafeBoxDlg::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventSafeBoxSave:
            ShowSaveDialog();
            break;
        case kEventSafeBoxTake:
            ShowTakeDialog();
            break;
        case kEventSafeBoxClose:
            HideAndInvalidate();
            break;
        case kEventSafeBoxRefresh:
            RefreshSilver();
            break;
        case kEventSafeBoxAdvert:
            if (CGameFrameApp* app = App()) {
                const std::string url = app->GetAdvertPayUrl();
                if (!url.empty()) {
                    app->OpenUrlInHall(url, 1);
                }
            }
            break;
        default:
            break;
    }
    return CSafeBoxDialog::OnEvent(record);
}

namespace {

// Makes the child once, registered through the safe box, and answers it.
template <class Dialog>
Dialog* OpenChild(CSafeBoxDlg& owner, int& id, double depth, const std::string& gameName) {
    auto* dialog = id != 0 ? dynamic_cast<Dialog*>(owner.FindObjectById(id)) : nullptr;
    if (dialog != nullptr || owner.IsRegistered() == 0) {
        return dialog;
    }
    dialog = new Dialog;
    owner.Register(dialog);
    id = dialog->GetId();
    dialog->Create(gameName.c_str());
    dialog->SetZ(depth);
    dialog->EnableDrag(1);
    dialog->Hide();
    return dialog;
}

// Opens the child where the safe box itself opens, with the focus in its
// amount box.
template <class Dialog>
void ShowChild(CSafeBoxDlg& owner, int& id, double depth) {
    CGameFrameApp* app = CGameFrameApp::Current();
    auto* dialog = OpenChild<Dialog>(owner, id, depth, app != nullptr ? app->GetGameName() : "");
    if (dialog == nullptr) {
        return;
    }
    dialog->CenterInScene();
    dialog->Show();
    dialog->FocusAmountBox();
    dialog->Invalidate();
}

}  // namespace

void CSafeBoxDlg::ShowSaveDialog() {
    ShowChild<CSaveDepositDlg>(*this, saveDialogId_, kSaveDepositDepth);
}

void CSafeBoxDlg::ShowTakeDialog() {
    ShowChild<CTakeDepositDlg>(*this, takeDialogId_, kTakeDepositDepth);
}

void CSafeBoxDlg::SetSilver(int32_t n) {
    if (n >= 0) {
        silver_ = n;
    }
}

void CSafeBoxDlg::SetDialogSize(int width, int height) {
    if (width > 0 && height > 0) {
        width_ = width;
        height_ = height;
    }
}

void CSafeBoxDlg::CenterChildDialogs() {
    for (CSafeBoxDialog* child : {static_cast<CSafeBoxDialog*>(GetSaveDialog()),
                                  static_cast<CSafeBoxDialog*>(GetTakeDialog())}) {
        if (child != nullptr && child->IsVisible() != 0) {
            child->CenterInScene();
        }
    }
}

void CSafeBoxDlg::RefreshSilver() {
    CGameConnection* connection = Connection();
    std::array<uint8_t, frame_requests::kSafeBoxReplySize> reply{};
    std::string text;
    if (connection == nullptr || connection->QuerySafeBox(text, reply) == 0) {
        ShowBox(kRefreshFailed);
        return;
    }
    const int32_t silver = WordAt(reply, kSilverAt);
    if (silver != silver_) {
        SetSilver(silver);
        DrawContents();
    }
}

CSaveDepositDlg* CSafeBoxDlg::GetSaveDialog() {
    return Part<CSaveDepositDlg>(saveDialogId_);
}

CTakeDepositDlg* CSafeBoxDlg::GetTakeDialog() {
    return Part<CTakeDepositDlg>(takeDialogId_);
}
