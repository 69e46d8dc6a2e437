// The user list's rows control: drawing the rows, hover and selection, the
// per-user popup menu and its actions (copy name, details, call player,
// look-on permission).

#include <algorithm>
#include <array>
#include <cstdio>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneView.h"
#include "engine/ImageRecord.h"
#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "frame/net/GameConnection.h"
#include "frame/net/GameNotifyHandler.h"
#include "frame/panels/ChatLines.h"
#include "frame/panels/InputBar.h"
#include "frame/panels/PopupMenu.h"
#include "frame/panels/UserListBar.h"
#include "frame/view/GameFrameView.h"
#include "platform/Clipboard.h"

namespace {

constexpr char kRowImage[] = "UserListBlock";
constexpr char kLookOnImage[] = "bit_LookOn";
constexpr uint32_t kColourKey = 0xff00ff;
constexpr int kMenuWidth = 162;
constexpr int kMenuItemHeight = 30;
constexpr int kMenuFontSize = 12;
constexpr uint32_t kMenuBackground = 0xf0f0f0;
constexpr double kMenuAboveList = 100.0;
constexpr uint32_t kMenuText = 0x000000;
constexpr int kLookOnLineColour = 2906200;
constexpr int kTitleBytes = 10;
constexpr int kSecondNameBytes = 12;
constexpr int kIconWidth = 32;
constexpr int kIconHeight = 30;
constexpr int kTextY = 12;
constexpr int kCallRecordWords = 10;

enum MenuItemIndex {
    kItemTitle = 0,
    kItemDetails = 1,
    kItemSilver = 2,
    kItemScore = 3,
    kItemLevel = 4,
    kItemLookOn = 5,
    kItemCall = 6,
    kItemCopy = 7
};

template <class... Args>
std::string Format(const char* format, Args... args) {
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

bool HasFrame(const FrameRecord& frame) {
    return frame.record != nullptr && frame.width > 0 && frame.height > 0;
}

}  // namespace

CUserListCtrl::CUserListCtrl() = default;
CUserListCtrl::~CUserListCtrl() = default;

CCorvaneCanvas* CUserListCtrl::Canvas() {
    return canvasId_ != 0 ? dynamic_cast<CCorvaneCanvas*>(FindObjectById(canvasId_)) : nullptr;
}

CPopupMenu* CUserListCtrl::GetMenu() {
    return menuId_ != 0 ? dynamic_cast<CPopupMenu*>(FindObjectById(menuId_)) : nullptr;
}

int CUserListCtrl::GetRowHeight() {
    if (GetCore() == nullptr) {
        return 0;
    }
    const FrameRecord frame = GetResourceFrame(kRowImage, 0);
    return frame.record != nullptr ? frame.height : 0;
}

void CUserListCtrl::Create(int width, int height) {
    CCorvaneObject::SetSize(width, height);
    if (CCorvaneCanvas* canvas =
            CreateCanvas(std::max(width, 1), std::max(height, 1), kColourKey)) {
        canvasId_ = canvas->GetId();
        PeerSetUp(canvas, kPeerLinkFlags);
    }
    const int self = GetId();
    BindEvent(kEventLButtonDown, self, kUserListRowPress, 0, 0);
    BindEvent(kEventRButtonDown, self, kUserListRowMenu, 0, 0);
    BindEvent(kEventMouseMove, self, kUserListHover, 0, 0);
    BindEvent(kEventMouseLeave, self, kUserListLeave, 0, 0);
    SetFocusable(1);
}

void CUserListCtrl::BuildMenu() {
    auto* menu = new CPopupMenu;
    Register(menu);
    AttachChild(menu, kLinkOwned);
    menuId_ = menu->GetId();
    menu->Create(kMenuWidth, kMenuItemHeight, kMenuFontSize, kMenuBackground);
    menu->SetFocusable(1);
    menu->SetZ(GetZ() + kMenuAboveList);
    const int self = GetId();
    auto add = [&](const char* caption, int event, int bold, bool separator) {
        const EventRecord notify = MakeEventRecord(self, event, 0, 0);
        menu->AddItem(caption, &notify, kMenuText, bold);
        if (separator) {
            menu->AddSeparator();
        }
    };
    add("", kUserListInfoLine, 0, true);
    add("查看详细", kUserListViewDetails, 1, true);
    add("", kUserListInfoLine, 0, false);
    add("", kUserListInfoLine, 0, false);
    add("", kUserListInfoLine, 0, true);
    add("允许旁观看牌", kUserListLookOn, 1, false);
    add("呼叫玩家", kUserListCallPlayer, 1, false);
    add("复制玩家名", kUserListCopyName, 1, false);
    menu->Hide();
    selected_ = -1;
}

void CUserListCtrl::SetSelected(int index) {
    selected_ = index;
    if (GetCore() != nullptr) {
        PlaySound("SndSelectBlock", 1, nullptr);
    }
}

void CUserListCtrl::CloseMenu() {
    if (CPopupMenu* menu = GetMenu()) {
        menu->Hide();
        menu->Invalidate();
    }
}

void CUserListCtrl::ShowMenu(int show, int x, int y) {
    CPopupMenu* menu = GetMenu();
    CGameFrameApp* app = CGameFrameApp::Current();
    if (menu == nullptr) {
        return;
    }
    if (show == 0) {
        CloseMenu();
        return;
    }
    SetFocus(menu->GetId());
    const int w = static_cast<int>(menu->GetWidth());
    const int h = static_cast<int>(menu->GetHeight());
    double cx = 0;
    double cy = 0;
    if (x < 0 || y < 0) {
        cx = GetRight() - 10;
        cy = GetTop() + h / 2.0;
    } else {
        cx = x + 1 + (w + 1) / 2;
        cy = y + 1 + (h + 1) / 2;
        if (CCorvaneObject* side = FindObjectByName("SubSystem")) {
            // A view's edges are those of its view rectangle.
            double r = side->GetRight();
            double b = side->GetBottom();
            if (auto* view = dynamic_cast<CCorvaneView*>(side)) {
                const IntRect rect = view->GetViewRect();
                r = rect.right;
                b = rect.bottom;
            }
            if (r > 0 && r - w / 2.0 < cx) {
                cx = static_cast<int>(r - w / 2.0);
            }
            if (b > 0 && b - h / 2.0 < cy) {
                cy = static_cast<int>(b - h / 2.0);
            }
        }
    }
    menu->SetPos(cx, cy);
    menu->Show();

    const int s = selected_;
    const int32_t user = GetUserId(s);
    if (CPopupMenuItem* title = menu->GetMenuItem(kItemTitle)) {
        const std::string key = GetCharacterImageFile(GetCharacterId(s), 1);
        if (!key.empty()) {
            title->SetIconFrame(GetResourceFrame(key.c_str(), 0));
        }
        title->SetCaption(GetUserName(s).c_str());
    }
    if (CPopupMenuItem* item = menu->GetMenuItem(kItemSilver)) {
        item->SetCaption(Format("银子：%d两", GetSilver(s)).c_str());
    }
    if (CPopupMenuItem* item = menu->GetMenuItem(kItemScore)) {
        item->SetCaption(Format("积分：%d分", GetScore(s)).c_str());
    }
    if (CPopupMenuItem* item = menu->GetMenuItem(kItemLevel)) {
        item->SetCaption(Format("级别：%s", GetLevelTitle(s).c_str()).c_str());
    }
    const int self = GetId();
    const bool lookingOn = app != nullptr && app->IsLookOn();
    const int32_t chair = app != nullptr ? app->GetUserChairNo(user) : -1;
    const bool userLooksOn = app != nullptr && app->IsUserLookingOn(user);
    const int32_t ownChair = app != nullptr ? app->GetMyChairNo() : -1;
    const bool canCall =
        app != nullptr && !lookingOn && chair != -1 && (chair != ownChair || userLooksOn);
    menu->SetItemEnabled(self, kUserListCallPlayer, canCall ? 1 : 0);
    const bool canToggle =
        app != nullptr && app->IsGamePlaying() && userLooksOn && !lookingOn && chair == ownChair;
    if (CPopupMenuItem* item = menu->GetMenuItem(kItemLookOn)) {
        item->SetCaption(canToggle && IsLookOnAllowed(user) ? "禁止旁观看牌" : "允许旁观看牌");
    }
    menu->SetItemEnabled(self, kUserListLookOn, canToggle ? 1 : 0);
    for (int i = 0; i <= kItemCopy; ++i) {
        if (CPopupMenuItem* item = menu->GetMenuItem(i)) {
            item->Draw(item->IsEnabled() != 0 ? 0 : 3);
            item->Invalidate();
        }
    }
    menu->Invalidate();
}

void CUserListCtrl::Clear() {
    rows_.clear();
    selected_ = -1;
}

void CUserListCtrl::SetColumns(const std::vector<UserListColumn>* columns) {
    columns_ = columns;
}

int CUserListCtrl::AddRow(const UserListRow& row) {
    rows_.push_back(row);
    return static_cast<int>(rows_.size());
}

const UserListRow* CUserListCtrl::GetRow(int index) const {
    return index >= 0 && index < static_cast<int>(rows_.size()) ? &rows_[index] : nullptr;
}

void CUserListCtrl::SetSize(int width, int height) {
    CCorvaneObject::SetSize(width, height);
    if (CCorvaneCanvas* canvas = Canvas()) {
        canvas->Resize(std::max(width, 1), std::max(height, 1));
        canvas->SetSize(std::max(width, 1), std::max(height, 1));
    }
    RedrawAll();
}

void CUserListCtrl::RedrawAll() {
    CCorvaneCanvas* canvas = Canvas();
    if (canvas == nullptr) {
        return;
    }
    canvas->Clear();
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        DrawRow(i);
    }
    Invalidate();
}

void CUserListCtrl::DrawRow(int index) {
    const UserListRow* row = GetRow(index);
    CCorvaneCanvas* canvas = Canvas();
    CGameFrameApp* app = CGameFrameApp::Current();
    if (row == nullptr || canvas == nullptr) {
        return;
    }
    const int h = GetRowHeight();
    const int y = index * h;
    const int width = canvas->GetCanvasWidth();
    canvas->ClearRect(0, y, width, y + h);
    canvas->SetPenColor(app != nullptr ? app->GetPlayerViewTextColor() : 0, 1.0);
    const int frame = row->hovered != 0 || row->marked != 0 ? 0 : row->stripe % 2 + 1;
    const FrameRecord background = GetResourceFrame(kRowImage, frame);
    if (HasFrame(background)) {
        canvas->DrawImage(background, 0, y, width, h, 0.0, 1.0);
    }
    if (row->user.userId <= 0 || columns_ == nullptr) {
        canvas->Invalidate();
        return;
    }
    const bool self = app != nullptr && row->user.userId == app->GetUserID();
    canvas->SetFont(12, self ? 700 : 400, "宋体");
    int x = 0;
    for (const UserListColumn& column : *columns_) {
        DrawCell(column, *row, x, y);
        x += column.width;
    }
    canvas->Invalidate();
}

// The look-on target of a looker-on: the player on his chair.
std::string CUserListCtrl::CellText(const UserListColumn& column, const UserListRow& row) {
    const UserRecord& user = row.user;
    switch (column.type) {
        case kColumnScore:
            return Format("%d", user.score);
        case kColumnSilver:
            return Format("%d", user.silver);
        case kColumnLevel:
            return TruncateText(FieldText(user.levelTitle), kTitleBytes);
        case kColumnWealth:
            return TruncateText(GetWealthTitle(user.silver), kTitleBytes);
        case kColumnLookOnTarget: {
            CGameFrameApp* app = CGameFrameApp::Current();
            if (user.lookOn == 0 || app == nullptr || user.chairNo < 0 ||
                user.chairNo >= kSeatCount) {
                return {};
            }
            return TruncateText(FieldText(app->GetSeat(user.chairNo).name), kTitleBytes);
        }
        case kColumnSecondName:
            return TruncateText(FieldText(user.secondName), kSecondNameBytes);
        case kColumnSex:
            return user.sex == 0 ? "帅哥" : user.sex == 1 ? "美女" : "";
        default:
            return {};
    }
}

void CUserListCtrl::DrawCell(const UserListColumn& column, const UserListRow& row, int x, int y) {
    CCorvaneCanvas* canvas = Canvas();
    if (canvas == nullptr) {
        return;
    }
    if (column.type != kColumnUser) {
        const std::string text = CellText(column, row);
        if (!text.empty()) {
            canvas->DrawText(x + 4, y + kTextY, text.c_str());
        }
        return;
    }
    if (row.user.lookOn != 0) {
        const FrameRecord mark = GetResourceFrame(kLookOnImage, 0);
        if (HasFrame(mark)) {
            canvas->DrawImage(mark, x + 1 + (kIconWidth - mark.width) / 2,
                              y + 3 + (kIconHeight - mark.height) / 2, -1, -1, 0.0, 1.0);
        }
    } else {
        const std::string key = GetCharacterImageFile(row.user.characterId, 1);
        const FrameRecord icon = key.empty() ? FrameRecord{} : GetResourceFrame(key.c_str(), 0);
        if (HasFrame(icon)) {
            canvas->DrawImage(icon, x + 1, y + 1, kIconWidth, kIconHeight, 0.0, 1.0);
        }
    }
    canvas->DrawText(x + 34, y + kTextY, FieldText(row.user.name).c_str());
}

int CUserListCtrl::HitTest(int x, int y) {
    IntRect clip{};
    GetClipRect(&clip);
    if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom) {
        return -1;
    }
    CCorvaneCanvas* canvas = Canvas();
    if (canvas == nullptr) {
        return -1;
    }
    const int localX = x - static_cast<int>(canvas->GetLeft());
    const int localY = y - static_cast<int>(canvas->GetTop());
    if (localX < 0 || localY < 0 || localX >= canvas->GetCanvasWidth() ||
        localY >= canvas->GetCanvasHeight()) {
        return -1;
    }
    const int h = GetRowHeight();
    return h < 1 ? -1 : localY / h;
}

// --- row readers ---

std::string CUserListCtrl::GetUserName(int index) {
    const UserListRow* row = GetRow(index);
    return row != nullptr ? FieldText(row->user.name) : std::string();
}

int32_t CUserListCtrl::GetUserId(int index) {
    const UserListRow* row = GetRow(index);
    return row != nullptr ? row->user.userId : 0;
}

int32_t CUserListCtrl::GetCharacterId(int index) {
    const UserListRow* row = GetRow(index);
    return row != nullptr ? row->user.characterId : 0;
}

int32_t CUserListCtrl::GetSilver(int index) {
    const UserListRow* row = GetRow(index);
    return row != nullptr ? row->user.silver : 0;
}

int32_t CUserListCtrl::GetScore(int index) {
    const UserListRow* row = GetRow(index);
    return row != nullptr ? row->user.score : 0;
}

std::string CUserListCtrl::GetLevelTitle(int index) {
    const UserListRow* row = GetRow(index);
    return row != nullptr ? FieldText(row->user.levelTitle) : std::string();
}

// --- events ---

namespace {

int RowAtMouse(CUserListCtrl& list, const EventRecord& record) {
    const InputState* input = InputStateOf(record);
    return input != nullptr ? list.HitTest(input->mouseX, input->mouseY) : -1;
}

}  // namespace

void CUserListCtrl::PressRow(const EventRecord& record) {
    const int r = RowAtMouse(*this, record);
    if (GetUserId(r) <= 0) {
        return;
    }
    SetSelected(r);
    CloseMenu();
    if (auto* input = dynamic_cast<CInputBar*>(FindObjectByName("InputBar"))) {
        input->InsertText(Format("%s，", GetUserName(r).c_str()).c_str());
    }
}

void CUserListCtrl::OpenRowMenu(const EventRecord& record) {
    const int r = RowAtMouse(*this, record);
    if (GetUserId(r) <= 0) {
        return;
    }
    SetSelected(r);
    const InputState* input = InputStateOf(record);
    ShowMenu(1, input->mouseX, input->mouseY);
}

void CUserListCtrl::HoverRow(const EventRecord& record) {
    const int r = RowAtMouse(*this, record);
    if (r < 0 || r == hovered_ || GetUserId(r) <= 0) {
        return;
    }
    if (hovered_ >= 0 && hovered_ < GetRowCount()) {
        rows_[hovered_].hovered = 0;
        DrawRow(hovered_);
    }
    hovered_ = r;
    rows_[r].hovered = 1;
    DrawRow(r);
}

void CUserListCtrl::ClearHover() {
    if (hovered_ < 0) {
        return;
    }
    if (hovered_ < GetRowCount()) {
        rows_[hovered_].hovered = 0;
        DrawRow(hovered_);
    }
    hovered_ = -1;
}

void CUserListCtrl::CopyName() {
    if (GetRow(selected_) != nullptr) {
        // A clipboard that cannot be opened is left as it is.
        platform::SetClipboardText(GetUserName(selected_));
    }
    CloseMenu();
}

void CUserListCtrl::ViewDetails() {
    CloseMenu();
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (view != nullptr && GetRow(selected_) != nullptr) {
        view->ShowPlayerDetail(GetUserId(selected_), 1);
    }
}

void CUserListCtrl::CallSelectedPlayer() {
    CloseMenu();
    CGameFrameApp* app = CGameFrameApp::Current();
    const int32_t user = GetUserId(selected_);
    if (app == nullptr || user <= 0 || app->IsRandomTableRoom()) {
        return;
    }
    const int32_t chair = app->GetUserChairNo(user);
    if (chair == -1) {
        return;
    }
    PlaySound("SndFa", 1, nullptr);
    if (CGameConnection* connection = app->GetConnection()) {
        connection->CallPlayer(user);
    }
    // The caller sees the notice the called player gets: the called user at
    // word 4 and his chair at word 5, as the request carries them.
    std::array<uint8_t, kCallRecordWords * 4> record{};
    const int32_t words[kCallRecordWords] = {
        app->GetUserID(), app->GetRoomID(), app->GetTableNo(), app->GetMyChairNo(), user, chair};
    for (int i = 0; i < kCallRecordWords; ++i) {
        for (int b = 0; b < 4; ++b) {
            record[i * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(words[i]) >> (8 * b));
        }
    }
    if (CGameNotifyHandler* handler = app->GetNotifyHandler()) {
        handler->OnCallPlayer(record);
    }
}

void CUserListCtrl::ToggleLookOn() {
    CloseMenu();
    CGameFrameApp* app = CGameFrameApp::Current();
    const int32_t user = GetUserId(selected_);
    if (app == nullptr || user <= 0 || !app->IsUserLookingOn(user)) {
        return;
    }
    const int32_t allow = IsLookOnAllowed(user) ? 0 : 1;
    CGameConnection* connection = app->GetConnection();
    if (connection == nullptr || connection->SetLookOnPermission(user, allow) == 0) {
        return;
    }
    if (allow == 1) {
        lookOnAllowed_.insert(user);
    } else {
        lookOnAllowed_.erase(user);
    }
    app->AppendChatText(Format(" <c=%d>%s%s%s看牌 \r\n", kLookOnLineColour,
                               chat_lines::LiteralName(app->GetUserName(app->GetUserID())).c_str(),
                               allow == 1 ? "允许" : "禁止",
                               chat_lines::LiteralName(app->GetUserName(user)).c_str()));
}

int CUserListCtrl::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kUserListRowPress:
            PressRow(record);
            return 1;
        case kUserListRowMenu:
            OpenRowMenu(record);
            return 1;
        case kUserListCopyName:
            CopyName();
            return 1;
        case kUserListCloseMenu:
            CloseMenu();
            return 1;
        case kUserListViewDetails:
            ViewDetails();
            return 1;
        case kUserListCallPlayer:
            CallSelectedPlayer();
            return 1;
        case kUserListNothing:
            return 1;
        case kUserListLeave:
            ClearHover();
            return 1;
        case kUserListInfoLine:
            if (CPopupMenu* menu = GetMenu(); menu != nullptr && menu->IsVisible() != 0) {
                CloseMenu();
            }
            return 1;
        case kUserListHover:
            HoverRow(record);
            return 1;
        case kUserListLookOn:
            ToggleLookOn();
            return 1;
        default:
            return CCorvaneControl::OnEvent(record);
    }
}
