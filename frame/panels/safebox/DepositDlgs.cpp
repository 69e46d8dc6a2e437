#include "frame/panels/safebox/DepositDlgs.h"

#include <array>
#include <memory>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "frame/panels/InputBar.h"
#include "frame/panels/InputBoxes.h"
#include "frame/panels/safebox/SilverAmounts.h"
#include "frame/view/MatchPanelTexts.h"

namespace {

constexpr char kButtonImage[] = "系统通知框_按钮";
constexpr uint32_t kCaptionColour = 0x2E23;
constexpr int kCaptionSize = 12;
constexpr int kAmountBoxWidth = 100;
constexpr size_t kTakeWords = 6;
constexpr size_t kCalcNumberWord = 1;

// The box text as the dialogs read it (a heap copy the box hands over).
std::string BoxText(CDropInputBox* box) {
    if (box == nullptr) {
        return {};
    }
    std::unique_ptr<char, void (*)(void*)> text(box->GetText(), FreeEventBlock);
    return text != nullptr ? std::string(text.get()) : std::string();
}

CInputBar* FindInputBar(CCorvaneVisual& from) {
    return dynamic_cast<CInputBar*>(from.FindObjectByName(kInputBarName));
}

}  // namespace

// --- the common part ---

void CDepositDlg::Create(const char* gameName) {
    SetName(names_.objectName);
    SetGameName(gameName);
    BuildBackground(kWidth, kHeight);
    SetTitle(names_.title);
    if (CGameFrameApp* app = App()) {
        history_.SetStore(app->GetGameIniFile(), names_.historyKey);
    }
    CreateInnerPanel();
    DrawTexts();
    CreateAmountBox();
    CreateButtons();
}

void CDepositDlg::CreateInnerPanel() {
    MakeInnerPanel(innerPanelId_);
}

void CDepositDlg::CreateButtons() {
    const int confirm = MakeButton(kButtonImage, names_.confirmEvent);
    const int cancel = MakeButton(kButtonImage, names_.cancelEvent);
    CaptionButton(confirm, "确定", kCaptionColour, kCaptionSize);
    CaptionButton(cancel, "取消", kCaptionColour, kCaptionSize);
    PlaceButtonPair(confirm, cancel);
    MakeCloseButton(names_.cancelEvent);
}

void CDepositDlg::HideDialog() {
    HideAndInvalidate();
}

int CDepositDlg::OnEvent(const EventRecord& record) {
    const int event = record.event;
    if (event == kEventDepositDone) {
        SendToNamed(kSafeBoxDlgName, kEventSafeBoxClose);
    } else if (event == names_.confirmEvent) {
        ConfirmTransfer();
    } else if (event == names_.cancelEvent) {
        HideDialog();
    } else if (event == names_.runEvent) {
        DoTransfer();
    }
    return CSafeBoxDialog::OnEvent(record);
}

void CDepositDlg::SetGameName(const char* name) {
    gameName_ = name != nullptr ? name : "";
}

void CDepositDlg::FocusAmountBox() {
    if (CDropInputBox* box = GetAmountBox()) {
        box->SetFocus();
    }
}

CDropInputBox* CDepositDlg::GetAmountBox() {
    return Part<CDropInputBox>(amountBoxId_);
}

void CDepositDlg::MakeAmountBox(int x, int y) {
    if (GetAmountBox() != nullptr || IsRegistered() == 0) {
        return;
    }
    auto* box = new CDropInputBox;
    Register(box);
    amountBoxId_ = box->GetId();
    box->SetZ(GetZ() + kDialogChildStep);
    box->Create();
    box->SetWidth(kAmountBoxWidth);
    box->SetMaxLength(kAmountDigits);
    IntRect surface;
    GetSurfaceRect(&surface);
    box->SetPos(GetLeft() + surface.left + x, GetTop() + surface.top + y);
    AttachPart(box, kSafeBoxChildLink);
    history_.Load();
    for (int32_t amount : history_.Amounts()) {
        box->AddEntry(std::to_string(amount).c_str());
    }
}

bool CDepositDlg::ReadAmount() {
    CDropInputBox* box = GetAmountBox();
    if (box == nullptr) {
        return false;
    }
    // Only the leading digits count; nothing below 1 or beyond the 32-bit
    // field goes out.
    const std::optional<int32_t> amount = TransferableAmount(ReadAmountText(BoxText(box)));
    if (!amount) {
        ShowBox(kEnterAmountText);
        return false;
    }
    amount_ = *amount;
    return true;
}

void CDepositDlg::AddToHistory(int32_t amount) {
    if (!history_.Add(amount)) {
        return;
    }
    if (CDropInputBox* box = GetAmountBox()) {
        box->AddEntry(std::to_string(amount).c_str());
    }
}

void CDepositDlg::DrawSmallText(int x, int y, const char* text) {
    if (CCorvaneCanvas* surface = GetSurface()) {
        surface->SetPenColor(0, 1.0);
        surface->SetFont(12, 400, kSafeBoxFont);
        surface->DrawText(x, y, text);
        surface->Invalidate();
    }
}

void CDepositDlg::DrawGameName(int x, int y) {
    if (CCorvaneCanvas* surface = GetSurface()) {
        surface->SetPenColor(0, 1.0);
        surface->SetFont(20, 800, kSafeBoxFont);
        surface->DrawText(x, y, gameName_.c_str());
        surface->Invalidate();
    }
}

// --- saving ---

CSaveDepositDlg::CSaveDepositDlg()
    : CDepositDlg(Names{kSaveDepositDlgName, "存入保险箱", "Save", kEventSaveConfirm,
                        kEventSaveCancel, kEventSaveRun}) {}

void CSaveDepositDlg::DrawTexts() {
    IntRect surface;
    GetSurfaceRect(&surface);
    const int h = surface.Height();
    DrawSmallText(0, h / 7, "从");
    DrawGameName(25, h / 7 - 6);
    DrawSmallText(0, static_cast<int>(0.4 * h) + 5, "划出");
    DrawSmallText(135, static_cast<int>(0.4 * h) + 5, "两存入保险箱");
}

void CSaveDepositDlg::CreateAmountBox() {
    IntRect surface;
    GetSurfaceRect(&surface);
    MakeAmountBox(80, surface.Width() / 3 - 3);
}

void CSaveDepositDlg::ConfirmTransfer() {
    if (GetAmountBox() == nullptr || !ReadAmount()) {
        return;
    }
    ShowBox(FormatText("确定要从【%s】划出【%d两】银子到保险箱?", gameName_.c_str(), amount_),
            kEventSaveRun, kSafeBoxQuestionStyle);
    HideDialog();
}

void CSaveDepositDlg::DoTransfer() {
    CGameConnection* connection = Connection();
    if (connection == nullptr) {
        return;
    }
    ShowWait("正在存银子，请您稍候......");
    std::string text;
    int32_t amount = amount_;
    uint32_t result = 0;
    const int ok = connection->TransferOutOfGame(text, amount, result);
    HideWait();
    if (ok == 0) {
        ShowBox(text);
        return;
    }
    SendToNamed(kSafeBoxDlgName, kEventSafeBoxRefresh);
    AddToHistory(amount_);
    ShowBox("银子已经存入保险箱！", kEventDepositDone);
}

// --- taking ---

CTakeDepositDlg::CTakeDepositDlg()
    : CDepositDlg(Names{kTakeDepositDlgName, "划拨到游戏", "Take", kEventTakeConfirm,
                        kEventTakeCancel, kEventTakeRun}) {}

void CTakeDepositDlg::DrawTexts() {
    IntRect surface;
    GetSurfaceRect(&surface);
    const int w = surface.Width();
    const int h = surface.Height();
    DrawSmallText(0, h / 7, "从保险箱中取出");
    DrawSmallText(w - 26, h / 7, "两");
    DrawSmallText(0, static_cast<int>(0.4 * h) + 5, "到");
    DrawGameName(30, static_cast<int>(0.4 * h) - 1);
}

void CTakeDepositDlg::CreateAmountBox() {
    IntRect surface;
    GetSurfaceRect(&surface);
    MakeAmountBox(145, surface.Width() / 7 - 5);
}

void CTakeDepositDlg::ConfirmTransfer() {
    if (GetAmountBox() == nullptr || !ReadAmount()) {
        return;
    }
    CGameConnection* connection = Connection();
    if (connection == nullptr) {
        return;
    }
    ShowWait("正在查询保护密码，请稍等......");
    std::string text;
    std::array<int32_t, kTakeWords> reply{};
    uint32_t result = 0;
    const int ok = connection->QueryTake(text, reply, result);
    HideWait();
    if (ok != 0) {
        if (CInputBar* bar = FindInputBar(*this)) {
            bar->ShowKeypad(1, reply[kCalcNumberWord], kKeypadRouteTakeDialog);
        }
        HideDialog();
        return;
    }
    if (result == frame_requests::kResultNoProtection) {
        DoTransfer();
        HideDialog();
        return;
    }
    ShowBox(text);
}

void CTakeDepositDlg::DoTransfer() {
    CGameConnection* connection = Connection();
    if (connection == nullptr) {
        return;
    }
    ShowWait("正在取银子，请您稍等......");
    CInputBar* bar = FindInputBar(*this);
    const int32_t answer = bar != nullptr ? bar->GetKeypadResult() : 0;
    std::string text;
    const int ok = connection->TransferIntoGame(text, amount_, answer);
    HideWait();
    if (ok == 0) {
        ShowBox(text);
        return;
    }
    AddToHistory(amount_);
    SendToNamed(kSafeBoxDlgName, kEventSafeBoxRefresh);
    ShowBox("银子已经成功划入 " + gameName_, kEventDepositDone);
}
