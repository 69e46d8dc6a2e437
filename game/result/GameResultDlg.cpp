#include "game/result/GameResultDlg.h"

#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineLog.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneNumberDisplay.h"
#include "frame/GameFrameApp.h"
#include "frame/view/GameFrameView.h"
#include "frame/view/MatchPanelTexts.h"
#include "mahjong_client/table/MahjongTableView.h"

// The table closes the dialog on the event the close button reports.
static_assert(kEventResultClose == kEventResultClosed);

namespace {

constexpr char kFace[] = "宋体";
constexpr int kTextSize = 12;
constexpr int kTextWeight = 400;
constexpr int kTitleWeight = 600;
constexpr int kNameSize = 16;
constexpr uint32_t kColourKey = 0xFF00FF;
// Every part hangs from the background as the background hangs from the
// dialog: position, size, depth, visibility and redraws follow it.
constexpr uint32_t kPartLink = 0x1BC0EB;
constexpr int kSeats = ResultSheet::kSeats;

// Player-row columns: the first at 10, then 80 + 89 x n.
constexpr std::array<int, 6> kColumns = {10, 169, 258, 347, 436, 525};
constexpr int kColumnY = 8;
constexpr int kItemNameX = 15;
constexpr int kItemValueX = 202;

// Sizes and places, from the background's left, top, bottom and centre x.
constexpr int kSeatPanelW = 257, kSeatPanelH = 108, kSeatPanelDx = 164, kSeatPanelDy = 136;
constexpr int kNextPanelW = 150, kNextPanelH = 50, kNextPanelDx = 100, kNextPanelDy = 370;
constexpr int kItemPanelW = 332, kItemPanelH = 108, kItemPanelDx = 458, kItemPanelDy = 136;
constexpr int kItemListW = 331, kItemRowH = 14, kItemTitleH = 24, kItemFooterY = 80;
constexpr int kHeaderW = 586, kHeaderH = 24, kHeaderDx = -7, kHeaderDy = 208;
constexpr int kPlayersW = 586, kPlayersH = 112, kPlayersDy = 277, kPlayerRowH = 28;
constexpr int kCloseDy = 36;

const char* const kHeaderTitles[6] = {"用户名", "银子", "积分", "暗杠", "明杠", "状态"};

// The frame of a skin picture; its sizes are 0 when the skin lacks it.
FrameRecord Skin(CCorvaneVisual& visual, const char* name) {
    return visual.GetSkinFrame(name);
}

// Draws the picture at its own size with its top-left corner at (x, y); a
// missing picture draws nothing.
void DrawPicture(CCorvaneCanvas& canvas, const FrameRecord& frame, int x, int y, int width = -1) {
    if (frame.record == nullptr || frame.width <= 0 || frame.height <= 0) {
        return;
    }
    canvas.DrawImage(frame, x, y, width, -1, 0.0, 1.0);
}

void Text(CCorvaneCanvas& canvas, int x, int y, const std::string& text) {
    canvas.DrawText(x, y, text.c_str());
}

int32_t Low32(uint64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

}  // namespace

// ---------------------------------------------------------------------------
// The row

void CResultItem::ShowBackground(int frame) {
    if (CCorvanePicture* picture = GetRowPicture()) {
        picture->SetFrame(frame);
        picture->Invalidate();
    }
}

void CResultItem::SetIndex(int index, int style) {
    CCorvaneListItem::SetIndex(index, style);
    ShowBackground(fixed_ != 0 ? kFixedFrame : (index & 1));
    DrawCaptions();
    Invalidate();
}

void CResultItem::MarkRow() {
    if (fixed_ == 0) {
        ShowBackground(kMarkedFrame);
        Invalidate();
    }
}

void CResultItem::SetPlayerRow(int chair, const ResultPlayerRow& row) {
    chair_ = chair;
    kind_ = kPlayerRow;
    playerRow_ = row;
    DrawCaptions();
}

void CResultItem::SetItemRow(const ResultItemRow& row, bool multiplier) {
    kind_ = kItemRow;
    itemRow_ = row;
    multiplier_ = multiplier;
    DrawCaptions();
}

void CResultItem::SetTextColour(uint32_t colour) {
    textColour_ = colour;
    DrawCaptions();
}

std::array<CResultItem::Caption, 6> CResultItem::GetCaptions(int* count) const {
    std::array<Caption, 6> captions;
    int n = 0;
    if (kind_ == kPlayerRow) {
        const ResultPlayerRow& row = playerRow_;
        const std::string texts[6] = {
            FieldText(row.name),
            FormatText("%d两", row.silverChange),
            FormatText("%d分", row.scoreChange),
            FormatText("%d倍", row.concealedKong),
            FormatText("%d倍", row.exposedKong),
            FieldText(row.label),
        };
        for (; n < 6; ++n) {
            captions[static_cast<size_t>(n)] = {kColumns[static_cast<size_t>(n)], kColumnY,
                                                texts[n]};
        }
    } else {
        captions[0] = {kItemNameX, 0, FieldText(itemRow_.name)};
        captions[1] = {kItemValueX, 0, FormatText(multiplier_ ? "*%d倍" : "%d倍", itemRow_.value)};
        n = 2;
    }
    if (count != nullptr) {
        *count = n;
    }
    return captions;
}

void CResultItem::DrawCaptions() {
    CCorvaneCanvas* canvas = GetTextCanvas();
    if (canvas == nullptr) {
        return;
    }
    canvas->Clear();
    canvas->SetFont(kTextSize, kTextWeight, kFace);
    canvas->SetPenColor(textColour_, 1.0);
    int count = 0;
    const std::array<Caption, 6> captions = GetCaptions(&count);
    for (int i = 0; i < count; ++i) {
        const Caption& caption = captions[static_cast<size_t>(i)];
        Text(*canvas, caption.x, caption.y, caption.text);
    }
    canvas->Invalidate();
}

// ---------------------------------------------------------------------------
// The list

CResultItem* CResultListPanel::GetRowObject(int index) {
    return dynamic_cast<CResultItem*>(GetItem(index));
}

void CResultListPanel::RemoveAllRows() {
    for (int count = GetItemCount(); count > 0; count = GetItemCount()) {
        RemoveItem(count - 1);
        if (GetItemCount() == count) {
            break;  // nothing left that the list can remove
        }
    }
}

int CResultListPanel::OnEvent(const EventRecord& record) {
    if (record.event != kEventListItemClicked) {
        return CCorvaneListView::OnEvent(record);
    }
    CCorvaneListView::OnEvent(record);
    // The row rides in the record as a pointer: it is only compared with
    // this list's live rows.
    const void* clicked = reinterpret_cast<const void*>(record.param1);
    for (int i = 0; i < GetItemCount(); ++i) {
        CResultItem* row = GetRowObject(i);
        if (row == nullptr || static_cast<const void*>(row) != clicked) {
            continue;
        }
        if (row->GetKind() == CResultItem::kPlayerRow) {
            if (CCorvaneObject* dialog = FindObjectByName(CGameResultDlg::kObjectName)) {
                dialog->SendEvent(
                    MakeEventRecord(dialog->GetId(), kEventResultSelectChair, row->GetChair(), 0));
            }
        }
        break;
    }
    return 1;
}

// ---------------------------------------------------------------------------
// The dialog: parts

CCorvaneObject* CGameResultDlg::GetBackground() {
    return FindCanvasById(backgroundId_);
}

CResultListPanel* CGameResultDlg::GetPlayersList() {
    return dynamic_cast<CResultListPanel*>(FindObjectById(playersListId_));
}

CCorvaneObject* CGameResultDlg::GetCloseButton() {
    return FindObjectById(closeButtonId_);
}

CResultListPanel* CGameResultDlg::GetItemsList() {
    return dynamic_cast<CResultListPanel*>(FindObjectById(itemsListId_));
}

CCorvaneCanvas* CGameResultDlg::GetSeatPanel() {
    return FindCanvasById(seatPanelId_);
}

CCorvaneCanvas* CGameResultDlg::GetItemPanel() {
    return FindCanvasById(itemPanelId_);
}

CCorvaneCanvas* CGameResultDlg::GetNextHandPanel() {
    return FindCanvasById(nextHandPanelId_);
}

CCorvaneNumberDisplay* CGameResultDlg::GetNextHandNumber() {
    return dynamic_cast<CCorvaneNumberDisplay*>(FindObjectById(nextHandNumberId_));
}

std::string CGameResultDlg::GetChairName(int chair) {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetChairUserName(chair) : std::string();
}

int CGameResultDlg::GetOwnChair() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetMyChairNo() : -1;
}

FrameRecord CGameResultDlg::GetPortrait(int chair) {
    FrameRecord frame{};
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (view == nullptr) {
        return frame;
    }
    const std::string image = view->GetCharacterImageFile(app->GetSeat(chair).characterId, 1);
    if (!image.empty()) {
        GetResourceFrame(&frame, image.c_str(), 0);
    }
    return frame;
}

// ---------------------------------------------------------------------------
// The dialog: creation

namespace {

// A canvas of width x height hung from the background with its centre at
// (x, y), at the background's depth; null when it could not be made.
CCorvaneCanvas* MakePanel(CCorvaneVisual& visual, CCorvaneObject& back, int width, int height,
                          double x, double y) {
    CCorvaneCanvas* canvas = visual.CreateCanvas(width, height, kColourKey);
    if (canvas == nullptr) {
        return nullptr;
    }
    canvas->SetPos(x, y);
    canvas->SetZ(back.GetZ());
    back.AttachChild(canvas, kPartLink);
    canvas->Show();
    return canvas;
}

// A result list of width x height hung from `parent` with its centre at
// (x, y), at the parent's depth, shown; null when it could not be made.
CResultListPanel* MakeList(CCorvaneVisual& visual, CCorvaneObject& parent, int width, int height,
                           uint32_t style, double x, double y) {
    auto* list = new CResultListPanel;
    visual.Register(list);
    if (list->IsRegistered() == 0) {
        delete list;
        return nullptr;
    }
    list->Create(width, height, style, 0);
    list->SetLineSpacing(0);
    list->SetBackColor(kColourKey);
    list->SetZ(parent.GetZ());
    list->SetPos(x, y);
    parent.AttachChild(list, kPartLink);
    list->Show();
    return list;
}

}  // namespace

void CGameResultDlg::Create() {
    const FrameRecord face = Skin(*this, "bit_Result_BK");
    CCorvaneCanvas* back =
        CreateCanvas(std::max(face.width, 1), std::max(face.height, 1), kColourKey);
    if (back == nullptr) {
        EngineLog("result dialog: no background canvas");
        return;
    }
    DrawPicture(*back, face, 0, 0);
    backgroundId_ = back->GetId();
    back->Show();
    PeerSetUp(back, kPartLink);
    SetName(kObjectName);
    SetTopmost();
    EnableDrag(1);
    SetZ(kDepth);

    CreateSeatPanel(*back);
    CreateNextHandPanel(*back);
    CreateItemPanel(*back);
    CreatePlayersTable(*back);
    CreateCloseButton(*back);
    Hide();
    Invalidate();
}

void CGameResultDlg::CreateSeatPanel(CCorvaneObject& back) {
    if (CCorvaneCanvas* panel =
            MakePanel(*this, back, kSeatPanelW, kSeatPanelH, back.GetLeft() + kSeatPanelDx,
                      back.GetTop() + kSeatPanelDy)) {
        seatPanelId_ = panel->GetId();
    }
}

void CGameResultDlg::CreateNextHandPanel(CCorvaneObject& back) {
    CCorvaneCanvas* panel = MakePanel(*this, back, kNextPanelW, kNextPanelH,
                                      back.GetLeft() + kNextPanelDx, back.GetTop() + kNextPanelDy);
    if (panel == nullptr) {
        return;
    }
    nextHandPanelId_ = panel->GetId();
    DrawPicture(*panel, Skin(*this, "nextbout_deposit"), 10, 5);
    auto* number = new CCorvaneNumberDisplay;
    Register(number);
    if (number->IsRegistered() == 0) {
        delete number;
        return;
    }
    number->Create("digit_basesdeposit_big", kSequenceAnchorLeft);
    number->AddGlyph("两", Skin(*this, "deposit_liang_big"));
    number->SetSuffix("两");
    number->SetZ(back.GetZ());
    number->SetPos(panel->GetLeft() + 20, panel->GetTop() + 27 + number->GetHeight() / 2);
    panel->AttachChild(number, kPartLink);
    nextHandNumberId_ = number->GetId();
}

void CGameResultDlg::CreateItemPanel(CCorvaneObject& back) {
    CCorvaneCanvas* panel = MakePanel(*this, back, kItemPanelW, kItemPanelH,
                                      back.GetLeft() + kItemPanelDx, back.GetTop() + kItemPanelDy);
    if (panel == nullptr) {
        return;
    }
    itemPanelId_ = panel->GetId();
    const int listHeight = kItemFooterY - kItemTitleH;
    if (CResultListPanel* list = MakeList(*this, *panel, kItemListW, listHeight, kRichScrollBars,
                                          panel->GetLeft() + kItemListW / 2.0,
                                          panel->GetTop() + kItemTitleH + listHeight / 2.0)) {
        itemsListId_ = list->GetId();
    }
    DrawItemFooter();
}

void CGameResultDlg::CreatePlayersTable(CCorvaneObject& back) {
    const double x = back.GetX() + kHeaderDx;
    if (CCorvaneCanvas* header =
            MakePanel(*this, back, kHeaderW, kHeaderH, x, back.GetTop() + kHeaderDy)) {
        headerId_ = header->GetId();
        DrawPicture(*header, Skin(*this, "list_title"), 0, 0, kHeaderW);
        header->SetFont(kTextSize, kTitleWeight, kFace);
        for (size_t i = 0; i < kColumns.size(); ++i) {
            Text(*header, kColumns[i], 6, kHeaderTitles[i]);
        }
    }
    CResultListPanel* list =
        MakeList(*this, back, kPlayersW, kPlayersH, 0, x, back.GetTop() + kPlayersDy);
    if (list == nullptr) {
        return;
    }
    playersListId_ = list->GetId();
    const FrameRecord rowFace = Skin(*this, "list_itemBK");
    for (int chair = 0; chair < kSeats; ++chair) {
        auto* row = new CResultItem;
        row->SetKind(CResultItem::kPlayerRow);
        if (list->AddItem(row, nullptr, 0, rowFace, kPlayersW, kPlayerRowH) != nullptr) {
            row->SetPlayerRow(chair, ResultPlayerRow{});
        }
    }
}

void CGameResultDlg::CreateCloseButton(CCorvaneObject& back) {
    auto* button = new CCorvaneButton;
    Register(button);
    if (button->IsRegistered() == 0) {
        delete button;
        return;
    }
    // The button tells the dialog, which passes the close on to the table.
    const EventRecord notify = MakeEventRecord(GetId(), kEventResultClose, 0, 0);
    button->Create(Skin(*this, "btn_ResultClose"), &notify, 0, 0);
    button->SetSound(kButtonLookHover, "SndTouchButton");
    button->SetSound(kButtonLookPressed, "SndHitButton");
    button->SetZ(back.GetZ());
    button->SetPos(back.GetX(), back.GetBottom() - kCloseDy);
    back.AttachChild(button, kPartLink);
    button->Show();
    closeButtonId_ = button->GetId();
}

// ---------------------------------------------------------------------------
// The dialog: filling

void CGameResultDlg::SetResult(std::span<const uint8_t> record) {
    ResultSheet sheet;
    if (!sheet.Read(record)) {
        EngineLog("result dialog: result of %zu bytes, needs %zu", record.size(),
                  ResultSheet::kRecordSize);
        return;
    }
    sheet_ = sheet;
    if (sheet_.winner < -1 || sheet_.winner >= kSeats) {
        sheet_.winner = -1;
    }
    selectedChair_ = sheet_.winner != -1 ? sheet_.winner : GetOwnChair();
    FillPlayers();
    FillSeatPanel();
    FillItems();
}

void CGameResultDlg::SelectChair(int chair) {
    if (chair == selectedChair_) {
        return;
    }
    selectedChair_ = chair;
    FillSeatPanel();
    FillItems();
}

int CGameResultDlg::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventResultSelectChair:
            // A chair outside the table selects nobody.
            SelectChair(record.param1 >= 0 && record.param1 < kSeats
                            ? static_cast<int>(record.param1)
                            : -1);
            return 1;
        case kEventResultClose:
            if (CCorvaneObject* table = FindObjectByName("MainGame")) {
                table->PostEvent(MakeEventRecord(table->GetId(), kEventResultClose, 0, 0));
            }
            return 1;
        default:
            return CCorvaneControl::OnEvent(record);
    }
}

void CGameResultDlg::FillPlayers() {
    CResultListPanel* list = GetPlayersList();
    const int ownChair = GetOwnChair();
    for (int chair = 0; chair < kSeats; ++chair) {
        const size_t c = static_cast<size_t>(chair);
        ResultPlayerRow row;
        row.silverChange = sheet_.silverChange[c];
        row.scoreChange = sheet_.scoreChange[c];
        row.exposedKong = sheet_.exposedKong[c];
        row.concealedKong = sheet_.concealedKong[c];
        row.furtherValue = sheet_.furtherValue[c];
        SetFieldText(row.name, GetChairName(chair));
        if (sheet_.HasWon(chair)) {
            SetFieldText(row.label, sheet_.discarder == -1 ? "自摸" : "胡");
        } else if (chair == sheet_.discarder) {
            SetFieldText(row.label, "点炮");
        }
        CResultItem* item = list != nullptr ? list->GetRowObject(chair) : nullptr;
        if (item == nullptr) {
            continue;
        }
        item->SetPlayerRow(chair, row);
        item->SetTextColour(chair == ownChair ? 255 : 0);
        item->SetIndex(item->GetIndex());
    }
    if (CCorvaneCanvas* panel = GetNextHandPanel()) {
        panel->ClearRect(0, 20, kNextPanelW, kNextPanelH);
        panel->Invalidate();
    }
    if (CCorvaneNumberDisplay* number = GetNextHandNumber()) {
        number->SetValue(sheet_.nextBaseSilver);
        number->Invalidate();
    }
    markedChair_ = sheet_.winner == -1 ? ownChair : sheet_.winner;
    if (markedChair_ < 0 || markedChair_ >= kSeats) {
        markedChair_ = -1;
    } else if (CResultItem* marked = list != nullptr ? list->GetRowObject(markedChair_) : nullptr) {
        marked->MarkRow();
    }
}

void CGameResultDlg::FillSeatPanel() {
    seatMark_.clear();
    CCorvaneCanvas* panel = GetSeatPanel();
    if (panel != nullptr) {
        panel->Clear();
    }
    if (selectedChair_ < 0 || selectedChair_ >= kSeats) {
        if (panel != nullptr) {
            panel->Invalidate();
        }
        return;
    }
    if (sheet_.winner == -1) {
        seatMark_ = "icon_standoff";
    } else if (sheet_.HasWon(selectedChair_)) {
        seatMark_ = "icon_hu";
    }
    if (panel == nullptr) {
        return;
    }
    const FrameRecord portrait = GetPortrait(selectedChair_);
    DrawPicture(*panel, portrait, 10, 10);
    DrawPicture(*panel, Skin(*this, "splite_line"), 256, 0);
    panel->SetFont(kNameSize, kTitleWeight, kFace);
    panel->SetPenColor(0, 1.0);
    Text(*panel, std::max(portrait.width, 0) + 20, 40, GetChairName(selectedChair_));
    if (!seatMark_.empty()) {
        DrawPicture(*panel, Skin(*this, seatMark_.c_str()), 13, 68);
    }
    panel->Invalidate();
}

void CGameResultDlg::FillItems() {
    CResultListPanel* list = GetItemsList();
    if (list != nullptr) {
        list->RemoveAllRows();
    }
    // Wrapping 64-bit arithmetic: the total is shown as its low 32 bits.
    uint64_t total = 0;
    const bool valid = selectedChair_ >= 0 && selectedChair_ < kSeats;
    const FrameRecord rowFace = Skin(*this, "list_itemBK");
    auto addRow = [&](int nameIndex, int32_t value, bool multiplier) {
        if (list == nullptr) {
            return;
        }
        ResultItemRow row;
        row.value = value;
        SetFieldText(row.name, sheet_.ItemName(nameIndex));
        auto* item = new CResultItem;
        item->SetKind(CResultItem::kItemRow);
        if (list->AddItem(item, nullptr, 0, rowFace, kItemListW, kItemRowH) != nullptr) {
            item->SetItemRow(row, multiplier);
            item->SetIndex(item->GetIndex());
        }
    };
    if (valid && sheet_.HasWon(selectedChair_)) {
        for (int i = 0; i < ResultSheet::kItems; ++i) {
            const int32_t value = sheet_.itemValue[static_cast<size_t>(i)];
            if (value > 0) {
                total += static_cast<uint64_t>(value);
                addRow(i, value, false);
            }
        }
        for (int i = 0; i < ResultSheet::kItems; ++i) {
            const int32_t multiplier = sheet_.itemMultiplier[static_cast<size_t>(i)];
            if (multiplier > 0) {
                total *= static_cast<uint64_t>(multiplier);
                addRow(i, multiplier, true);
            }
        }
    }
    if (valid) {
        const int32_t finalMultiple = sheet_.finalMultiple[static_cast<size_t>(selectedChair_)];
        if (finalMultiple > 0) {
            total = static_cast<uint64_t>(finalMultiple);
            addRow(ResultSheet::kItems - 1, finalMultiple, false);
        }
    }
    total_ = Low32(total);
    DrawItemFooter();
}

std::array<CResultItem::Caption, 4> CGameResultDlg::GetItemPanelCaptions() const {
    return {{{20, 6, "名目"},
             {200, 6, "倍数"},
             {20, 88, "总计"},
             {200, 88, FormatText("%d倍", total_)}}};
}

void CGameResultDlg::DrawItemFooter() {
    CCorvaneCanvas* panel = GetItemPanel();
    if (panel == nullptr) {
        return;
    }
    const std::array<CResultItem::Caption, 4> captions = GetItemPanelCaptions();
    panel->Clear();
    DrawPicture(*panel, Skin(*this, "list_title"), 2, 0, kItemListW);
    DrawPicture(*panel, Skin(*this, "list_item01"), 0, kItemFooterY, kItemListW);
    panel->SetFont(kTextSize, kTitleWeight, kFace);
    panel->SetPenColor(0, 1.0);
    for (const CResultItem::Caption& caption : captions) {
        Text(*panel, caption.x, caption.y, caption.text);
    }
    panel->Invalidate();
}
