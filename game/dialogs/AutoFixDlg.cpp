#include "game/dialogs/AutoFixDlg.h"

#include "engine/CorvaneCanvas.h"
#include "engine/EngineLog.h"
#include "engine/ui/CorvaneCheckBox.h"
#include "frame/GameFrameApp.h"
#include "frame/TableDataInterface.h"
#include "game/dialogs/AutoFixSettings.h"
#include "game/dialogs/DialogParts.h"
#include "game/dialogs/NumberEdit.h"
#include "game/table/RegionalTableView.h"

using namespace dialog_parts;

namespace {

constexpr char kNoticeLine1[] = "当银两小于下面所示银两值时，系";
constexpr char kNoticeLine2[] = "统将自动为您从保险箱中取银补足";
constexpr char kUnitText[] = "两";
constexpr char kSwitchText[] = "开启自动补银";
constexpr uint32_t kEditStyle = 0x2000;
constexpr int kEditWidth = 100;
// A 128-byte copy of the edit's text is what OK stores.
constexpr size_t kStoredTextBytes = 127;

}  // namespace

CNumberEdit* CAutoFixDlg::GetAmountEdit() {
    return dynamic_cast<CNumberEdit*>(FindObjectById(amountEditId_));
}

CCorvaneObject* CAutoFixDlg::GetAmountField() {
    return FindObjectById(amountFieldId_);
}

CCorvaneCheckBox* CAutoFixDlg::GetEnableBox() {
    return dynamic_cast<CCorvaneCheckBox*>(FindObjectById(enableBoxId_));
}

CCorvaneObject* CAutoFixDlg::GetEnableLabel() {
    return FindObjectById(enableLabelId_);
}

CCorvaneObject* CAutoFixDlg::GetBody() {
    return FindObjectById(bodyId_);
}

CCorvaneObject* CAutoFixDlg::GetOkButton() {
    return FindObjectById(okId_);
}

CCorvaneObject* CAutoFixDlg::GetCancelButton() {
    return FindObjectById(cancelId_);
}

CRegionalTableView* CAutoFixDlg::GetTableView() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? dynamic_cast<CRegionalTableView*>(app->GetGameView()) : nullptr;
}

std::string CAutoFixDlg::GetAmountText() {
    CNumberEdit* edit = GetAmountEdit();
    if (edit == nullptr) {
        return {};
    }
    char* text = edit->GetText();
    if (text == nullptr) {
        return {};
    }
    std::string copy(text);
    FreeEventBlock(text);
    return copy;
}

void CAutoFixDlg::Create() {
    bodyId_ = MakeBody(*this, kBodyImage);
    CCorvaneObject* body = GetBody();
    if (body == nullptr) {
        EngineLog("auto top-up dialog: no body");
        return;
    }
    const double left = body->GetLeft();
    const double top = body->GetTop();
    const double right = body->GetRight();
    const double width = body->GetWidth();
    const double centreX = left + width / 2;
    const int ch = CheckBoxHeight(*this);
    const double x0 = left + 35;
    double y = top + 60;

    const int notice = MakeLabel(*this, *body, 200, 2 * ch, centreX, y, kNoticeLine1, 10, 2);
    if (auto* canvas = FindCanvasById(notice)) {
        canvas->DrawText(10, ch + 2, kNoticeLine2);
        canvas->Invalidate();
    }

    y += 50;
    amountFieldId_ = MakeEditField(*this, *body, kEditWidth, ch, centreX, y);
    auto* edit = new CNumberEdit;
    Register(edit);
    if (edit->IsRegistered() != 0) {
        amountEditId_ = edit->GetId();
        edit->Create(kEditWidth, ch, kEditStyle);
        edit->SetPos(centreX, y);
        edit->SetMaxLength(kAmountDigits);
        edit->SetZ(body->GetZ() + kBoxStep);
        edit->SetDigitsOnly(1);
        body->AttachChild(edit, kPartLink);
        edit->Invalidate();
    } else {
        delete edit;
    }
    MakeLabel(*this, *body, 100, ch, centreX + kEditWidth - 10, y, kUnitText, 18, 2);

    y += 20;
    enableBoxId_ = MakeCheckBox(*this, *body, 0, x0 + 50, y);
    enableLabelId_ =
        MakeLabel(*this, *body, 105, ch, x0 + 95, y, kSwitchText, 18, 2, kEventLabelPressed);

    const int close = MakeButton(*this, *body, kCloseImage, kEventCancel);
    Place(*this, close, right - PartWidth(*this, close) / 2 - 5,
          top + PartHeight(*this, close) / 2 + 4);
    okId_ = MakeButton(*this, *body, kOkImage, kEventOk);
    const double okWidth = PartWidth(*this, okId_);
    Place(*this, okId_, right - 1.5 * okWidth - 35, top + 180);
    cancelId_ = MakeButton(*this, *body, kCancelImage, kEventCancel);
    Place(*this, cancelId_, right - okWidth / 2 - 25, top + 180);

    body->SetZ(kDialogDepth);
    body->Invalidate();
    LoadSettings();
}

void CAutoFixDlg::LoadSettings() {
    CGameFrameApp* app = CGameFrameApp::Current();
    const auto_fix::Settings settings =
        app != nullptr ? auto_fix::Read(app->GetUserDataFile()) : auto_fix::Settings{};
    if (CRegionalTableView* view = GetTableView()) {
        view->m_nAutoFixAmount = settings.amount;
        view->m_bAutoFix = settings.on;
    }
    if (CNumberEdit* edit = GetAmountEdit()) {
        edit->InsertText(std::to_string(settings.amount).c_str());
    }
    if (CCorvaneCheckBox* box = GetEnableBox()) {
        box->SetCheck(settings.on);
    }
}

int CAutoFixDlg::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventLabelPressed:
            if (CCorvaneCheckBox* box = GetEnableBox()) {
                box->SetCheck(box->GetCheck() == 0 ? 1 : 0);
            }
            return 1;
        case kEventOk:
            OnOK();
            return 1;
        case kEventCancel:
            Close(*this);
            return 1;
        default:
            return CCorvaneObject::OnEvent(record);
    }
}

void CAutoFixDlg::OnOK() {
    std::string text = GetAmountText();
    if (text.size() > kStoredTextBytes) {
        text.resize(kStoredTextBytes);
    }
    CCorvaneCheckBox* box = GetEnableBox();
    const int on = box != nullptr ? box->GetCheck() : 0;
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && !auto_fix::Write(app->GetUserDataFile(), text, on)) {
        EngineLog("auto top-up dialog: the settings could not be written");
    }
    CRegionalTableView* view = GetTableView();
    if (view != nullptr) {
        view->m_nAutoFixAmount = auto_fix::ParseAmountText(text);
        view->m_bAutoFix = on;
        CTableDataInterface* data = app != nullptr ? app->GetTableData() : nullptr;
        const bool handRunning = data != nullptr && data->IsHandRunning() != 0;
        const bool started = data != nullptr && data->IsSeatStarted(app->GetMyChairNo()) != 0;
        if (on != 0 && !handRunning && !started && app != nullptr && !app->IsLookOn() &&
            app->GetSeat(app->GetMyChairNo()).silver < view->m_nAutoFixAmount) {
            view->StartAutoFix(view->m_nAutoFixAmount);
        }
    }
    Close(*this);
}
