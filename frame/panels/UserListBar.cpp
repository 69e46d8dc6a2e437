// The user list bar: header, scroll bars and the rows control's placement,
// the rows built from the application's seats and lookers-on, scrolling.

#include "frame/panels/UserListBar.h"

#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "engine/GameCore.h"
#include "engine/ImageRecord.h"
#include "frame/GameFrameApp.h"
#include "frame/panels/UserListScrollBar.h"

namespace {

constexpr char kHeaderImage[] = "SystemUserListBar";
constexpr char kRowImage[] = "UserListBlock";
constexpr char kDivideImage[] = "SystemDivide";
constexpr char kCornerImage[] = "滚动角";
constexpr uint32_t kColourKey = 0xff00ff;
constexpr double kAboveBar = 0.005;
constexpr double kJustAboveBar = 0.001;
constexpr int kHorizontalStep = 10;
constexpr int kDefaultScrollBarSide = 16;
constexpr int kMissingHeaderTarget = 1010;
constexpr int kMissingHeaderMessage = 1002;
constexpr int kBlankRowsBeyondPlayers = 3;

// The skin names of the two bars: engine string settings, then these.
struct ScrollSkin {
    int firstSetting;
    const char* names[5];  // back, thumb, grip, first arrow, second arrow
};
constexpr ScrollSkin kHorizontalSkin = {
    27,
    {"ScrollBar_HorzBack", "ScrollBar_HorzBtn", "ScrollBar_HorzPattern", "ScrollBar_HorzLeftBtn",
     "ScrollBar_HorzRightBtn"}};
constexpr ScrollSkin kVerticalSkin = {
    22,
    {"ScrollBar_VertBack", "ScrollBar_VertBtn", "ScrollBar_VertPattern", "ScrollBar_VertUpBtn",
     "ScrollBar_VertDownBtn"}};

bool HasFrame(const FrameRecord& frame) {
    return frame.record != nullptr && frame.width > 0 && frame.height > 0;
}

int Trunc(double value) {
    return static_cast<int>(value);
}

}  // namespace

CUserListBar::CUserListBar() = default;
CUserListBar::~CUserListBar() = default;

void CUserListBar::Create() {
    SetName("UserListBar");
}

// --- columns ---

int CUserListBar::AddColumn(const UserListColumn& column) {
    columns_.push_back(column);
    totalWidth_ += column.width;
    return static_cast<int>(columns_.size());
}

int CUserListBar::AddColumn(int type, int width, const char* title, int a, int b, int c) {
    UserListColumn column;
    column.type = type;
    column.width = width;
    column.title = title != nullptr ? title : "";
    column.extra[0] = a;
    column.extra[1] = b;
    column.extra[2] = c;
    return AddColumn(column);
}

// --- parts ---

int CUserListBar::GetHeaderHeight() {
    if (GetCore() == nullptr) {
        return 0;
    }
    const FrameRecord frame = GetResourceFrame(kHeaderImage, 0);
    return frame.record != nullptr ? frame.height : 0;
}

CUserListCtrl* CUserListBar::GetRowsControl() {
    return rowsId_ != 0 ? dynamic_cast<CUserListCtrl*>(FindObjectById(rowsId_)) : nullptr;
}

CUserListScrollBar* CUserListBar::GetScrollBar(int orientation) {
    const int id = orientation == 0 ? horzBarId_ : vertBarId_;
    return id != 0 ? dynamic_cast<CUserListScrollBar*>(FindObjectById(id)) : nullptr;
}

int CUserListBar::ScrollBarWidth() {
    CUserListScrollBar* bar = GetScrollBar(1);
    return bar != nullptr ? Trunc(bar->GetWidth()) : 0;
}

int CUserListBar::ScrollBarHeight() {
    CUserListScrollBar* bar = GetScrollBar(0);
    return bar != nullptr ? Trunc(bar->GetHeight()) : 0;
}

int CUserListBar::GetVisibleRowCount() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return kBlankRowsBeyondPlayers;
    }
    int count = 0;
    for (int chair = 0; chair < kSeatCount; ++chair) {
        count += app->IsChairOccupied(chair) ? 1 : 0;
    }
    for (int slot = 0; slot < kLookerSlots; ++slot) {
        count += app->GetLooker(slot).userId != 0 ? 1 : 0;
    }
    return std::max(count, app->GetPlayerCount() + kBlankRowsBeyondPlayers);
}

void CUserListBar::Build() {
    GameCore* core = GetCore();
    if (core == nullptr) {
        return;
    }
    const FrameRecord header = GetResourceFrame(kHeaderImage, 0);
    if (header.record == nullptr) {
        core->SendMessage(kMissingHeaderTarget, kMissingHeaderMessage, nullptr, 0);
        return;
    }
    const int rowHeight = GetResourceFrame(kRowImage, 0).height;
    const int self = GetId();

    auto* rows = new CUserListCtrl;
    Register(rows);
    AttachChild(rows, kLinkOwned);
    rowsId_ = rows->GetId();
    rows->Create(std::max(totalWidth_, 1), std::max(rowHeight * GetVisibleRowCount(), 1));
    rows->SetColumns(&columns_);
    rows->BuildMenu();
    rows->SetZ(GetZ() + kAboveBar);
    rows->Show();

    if (CCorvaneCanvas* canvas =
            CreateCanvas(std::max(totalWidth_, 1), std::max(header.height, 1), kColourKey)) {
        AttachChild(canvas, kLinkOwned);
        headerId_ = canvas->GetId();
        canvas->SetZ(GetZ() + kAboveBar);
        canvas->Show();
        canvas->SetFocusable(1);
        canvas->BindEvent(kEventWheelForward, self, kEventScrollUp, 0, 0);
        canvas->BindEvent(kEventWheelBackward, self, kEventScrollDown, 0, 0);
    }

    auto makeBar = [&](int orientation, const ScrollSkin& skin) {
        auto* bar = new CUserListScrollBar;
        Register(bar);
        AttachChild(bar, kLinkOwned);
        FrameRecord frames[5];
        for (int i = 0; i < 5; ++i) {
            const char* setting = GetStringSetting(skin.firstSetting + i);
            const char* name = setting != nullptr && setting[0] != '\0' ? setting : skin.names[i];
            frames[i] = GetResourceFrame(name, 0);
        }
        int side = orientation == 0 ? frames[0].height : frames[0].width;
        side = side > 0 ? side : kDefaultScrollBarSide;
        bar->Create(self, orientation == 0 ? std::max(totalWidth_, 1) : side,
                    orientation == 0 ? side : std::max(rowHeight, 1), orientation, 0);
        if (HasFrame(frames[0])) {
            bar->SetBackFrame(frames[0]);
        }
        if (HasFrame(frames[1])) {
            bar->SetThumbFrame(frames[1]);
        }
        if (HasFrame(frames[2])) {
            bar->SetGrip(frames[2]);
        }
        if (orientation == 0) {
            bar->CreateLeftButton(frames[3]);
            bar->CreateRightButton(frames[4]);
        } else {
            bar->CreateUpButton(frames[3]);
            bar->CreateDownButton(frames[4]);
        }
        bar->SetZ(GetZ() + kAboveBar);
        bar->Show();
        return bar->GetId();
    };
    horzBarId_ = makeBar(0, kHorizontalSkin);
    vertBarId_ = makeBar(1, kVerticalSkin);

    auto makeCanvas = [&](int width, int height) {
        CCorvaneCanvas* canvas = CreateCanvas(std::max(width, 1), std::max(height, 1), kColourKey);
        if (canvas == nullptr) {
            return 0;
        }
        AttachChild(canvas, kLinkOwned);
        canvas->SetZ(GetZ() + kJustAboveBar);
        canvas->Show();
        return canvas->GetId();
    };
    headerEndId_ = makeCanvas(ScrollBarWidth(), header.height);
    cornerId_ = makeCanvas(ScrollBarWidth(), ScrollBarHeight());

    rows->BindEvent(kEventWheelForward, self, kEventScrollUp, 0, 0);
    rows->BindEvent(kEventWheelBackward, self, kEventScrollDown, 0, 0);
    Relayout();
}

// --- placing ---

void CUserListBar::PlaceRows() {
    CUserListCtrl* rows = GetRowsControl();
    if (rows == nullptr) {
        return;
    }
    const int left = Trunc(GetLeft());
    const int top = Trunc(GetTop());
    const int header = GetHeaderHeight();
    rows->SetClipRect(left, top + header, Trunc(GetRight()) - ScrollBarWidth(),
                      Trunc(GetBottom()) - ScrollBarHeight());
    rows->SetPos(left + rows->GetWidth() / 2, top + header + rows->GetHeight() / 2);
}

void CUserListBar::SetScrollRanges() {
    CUserListCtrl* rows = GetRowsControl();
    const double rowsWidth = rows != nullptr ? rows->GetWidth() : 0;
    const double rowsHeight = rows != nullptr ? rows->GetHeight() : 0;
    const double step = std::max(rows != nullptr ? rows->GetRowHeight() : 0, 1);
    if (CUserListScrollBar* bar = GetScrollBar(1)) {
        bar->SetMetrics(bar->GetPosition(), GetHeight() - GetHeaderHeight() - ScrollBarHeight(),
                        rowsHeight, step);
        bar->PostScroll();
    }
    if (CUserListScrollBar* bar = GetScrollBar(0)) {
        bar->SetMetrics(bar->GetPosition(), GetWidth() - ScrollBarWidth(), rowsWidth,
                        kHorizontalStep);
        bar->PostScroll();
    }
}

void CUserListBar::Relayout() {
    if (GetWidth() < 0 || rowsId_ == 0) {
        return;
    }
    const int left = Trunc(GetLeft());
    const int top = Trunc(GetTop());
    const int right = Trunc(GetRight());
    const int bottom = Trunc(GetBottom());
    const int header = GetHeaderHeight();
    const int vertWidth = ScrollBarWidth();
    const int horzHeight = ScrollBarHeight();
    const int fill = Trunc(GetWidth()) - vertWidth;
    if (totalWidth_ < fill) {
        totalWidth_ = fill;
    }
    CCorvaneCanvas* headerCanvas = GetHeaderCanvas();
    if (headerCanvas != nullptr) {
        if (headerCanvas->GetCanvasWidth() != totalWidth_) {
            headerCanvas->Resize(std::max(totalWidth_, 1), std::max(header, 1));
            headerCanvas->SetSize(std::max(totalWidth_, 1), std::max(header, 1));
        }
        headerCanvas->SetClipRect(left, top, right, top + header);
        headerCanvas->SetPos(left + headerCanvas->GetWidth() / 2, top + header / 2.0);
    }
    if (CCorvaneCanvas* end = GetHeaderStripCanvas()) {
        end->SetPos(right - vertWidth / 2.0, top + header / 2.0);
    }
    PlaceRows();
    if (CUserListScrollBar* bar = GetScrollBar(0)) {
        bar->Resize(std::max(Trunc(GetWidth()) - vertWidth, 1), horzHeight);
        bar->SetPos(left + (GetWidth() - vertWidth) / 2, bottom - horzHeight / 2.0);
    }
    if (CUserListScrollBar* bar = GetScrollBar(1)) {
        bar->Resize(vertWidth, std::max(Trunc(GetHeight()) - header - horzHeight, 1));
        bar->SetPos(right - vertWidth / 2.0,
                    top + header + (GetHeight() - header - horzHeight) / 2);
    }
    SetScrollRanges();
    if (CCorvaneCanvas* corner = GetCornerCanvas()) {
        corner->SetPos(right - vertWidth / 2.0, bottom - horzHeight / 2.0);
    }
    DrawHeader();
}

// --- rows ---

void CUserListBar::RebuildRows() {
    CUserListCtrl* rows = GetRowsControl();
    CGameFrameApp* app = CGameFrameApp::Current();
    if (rows == nullptr || app == nullptr) {
        return;
    }
    rows->Clear();
    int n = 0;
    auto add = [&](const UserRecord& user) {
        UserListRow row;
        row.user = user;
        row.stripe = n % 2 + 1;
        rows->AddRow(row);
        ++n;
    };
    const bool seeAllSeats = !app->IsRandomTableRoom() || app->IsLookOn();
    for (int chair = 0; chair < kSeatCount; ++chair) {
        const UserRecord& seat = app->GetSeat(chair);
        if (seat.userId != 0 && (seeAllSeats || seat.userId == app->GetUserID())) {
            add(seat);
        }
    }
    for (int slot = 0; slot < kLookerSlots; ++slot) {
        const UserRecord& looker = app->GetLooker(slot);
        if (looker.userId != 0) {
            add(looker);
        }
    }
    while (n < app->GetPlayerCount() + kBlankRowsBeyondPlayers) {
        add(UserRecord{});
    }
    rows->SetSize(totalWidth_, rows->GetRowHeight() * n);
    PlaceRows();
    SetScrollRanges();
    rows->RedrawAll();
}

CCorvaneCanvas* CUserListBar::GetHeaderCanvas() {
    return dynamic_cast<CCorvaneCanvas*>(FindObjectById(headerId_));
}

CCorvaneCanvas* CUserListBar::GetHeaderStripCanvas() {
    return dynamic_cast<CCorvaneCanvas*>(FindObjectById(headerEndId_));
}

CCorvaneCanvas* CUserListBar::GetCornerCanvas() {
    return dynamic_cast<CCorvaneCanvas*>(FindObjectById(cornerId_));
}

void CUserListBar::DrawHeader() {
    CCorvaneCanvas* canvas = GetHeaderCanvas();
    CGameFrameApp* app = CGameFrameApp::Current();
    if (canvas == nullptr) {
        return;
    }
    const FrameRecord header = GetResourceFrame(kHeaderImage, 0);
    canvas->Clear();
    canvas->SetPenColor(app != nullptr ? app->GetPlayerViewHeaderColor() : 0, 1.0);
    canvas->SetFont(12, 400, "宋体");
    canvas->DrawImage(header, 0, 0, canvas->GetCanvasWidth(), -1, 0.0, 1.0);
    const FrameRecord divide = GetResourceFrame(kDivideImage, 0);
    int x = 0;
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (i == 0) {
            canvas->DrawText(x + 3, 3, columns_[i].title);
        } else {
            if (HasFrame(divide)) {
                canvas->DrawImage(divide, x, 2, -1, -1, 0.0, 1.0);
            }
            canvas->DrawText(x + 4, 3, columns_[i].title);
        }
        x += columns_[i].width;
    }
    canvas->Invalidate();
    if (CCorvaneCanvas* end = GetHeaderStripCanvas()) {
        end->Clear();
        end->DrawImage(header, 0, 0, -1, -1, 0.0, 1.0);
        end->Invalidate();
    }
    if (CCorvaneCanvas* corner = GetCornerCanvas()) {
        corner->Clear();
        const FrameRecord image = GetResourceFrame(kCornerImage, 0);
        if (HasFrame(image)) {
            corner->DrawImage(image, 0, 0, -1, -1, 0.0, 1.0);
        }
        corner->Invalidate();
    }
}

// --- scrolling ---

void CUserListBar::ScrollLeft() {
    if (CUserListScrollBar* bar = GetScrollBar(0)) {
        const int pos = std::max(bar->GetPos() - kHorizontalStep, 0);
        if (pos != bar->GetPos()) {
            bar->SetMetrics(pos, bar->GetPage(), bar->GetTotal(), -1.0);
            bar->PostScroll();
        }
    }
}

void CUserListBar::ScrollRight() {
    if (CUserListScrollBar* bar = GetScrollBar(0)) {
        const int pos = std::min(bar->GetPos() + kHorizontalStep, bar->GetMaxPos());
        if (pos != bar->GetPos()) {
            bar->SetMetrics(pos, bar->GetPage(), bar->GetTotal(), -1.0);
            bar->PostScroll();
        }
    }
}

void CUserListBar::ScrollUp() {
    CUserListCtrl* rows = GetRowsControl();
    if (CUserListScrollBar* bar = GetScrollBar(1); bar != nullptr && rows != nullptr) {
        const int pos = std::max(bar->GetPos() - rows->GetRowHeight(), 0);
        if (pos != bar->GetPos()) {
            bar->SetMetrics(pos, bar->GetPage(), bar->GetTotal(), -1.0);
            bar->PostScroll();
        }
    }
}

void CUserListBar::ScrollDown() {
    CUserListCtrl* rows = GetRowsControl();
    if (CUserListScrollBar* bar = GetScrollBar(1); bar != nullptr && rows != nullptr) {
        const int pos = std::min(bar->GetPos() + rows->GetRowHeight(), bar->GetMaxPos());
        if (pos != bar->GetPos()) {
            bar->SetMetrics(pos, bar->GetPage(), bar->GetTotal(), -1.0);
            bar->PostScroll();
        }
    }
}

void CUserListBar::OnScroll(intptr_t info, int orientation) {
    const double* values = EventParamPointer<const double>(info);
    CUserListCtrl* rows = GetRowsControl();
    if (values == nullptr || rows == nullptr) {
        return;
    }
    const double position = values[0];
    if (orientation == 0) {
        const double left = GetLeft() - position;
        rows->SetPos(left + rows->GetWidth() / 2, rows->GetY());
        if (CCorvaneCanvas* header = GetHeaderCanvas()) {
            header->SetPos(left + header->GetWidth() / 2, header->GetY());
        }
    } else {
        const double top = GetTop() + GetHeaderHeight() - position;
        rows->SetPos(rows->GetX(), top + rows->GetHeight() / 2);
    }
    rows->Invalidate();
}

// The scroll bars notify without naming themselves: the one whose values
// are those of the notice moved.
int CUserListBar::ScrollOrientationOf(intptr_t info) {
    const double* values = EventParamPointer<const double>(info);
    if (values == nullptr) {
        return -1;
    }
    for (int orientation : {1, 0}) {
        CUserListScrollBar* bar = GetScrollBar(orientation);
        if (bar != nullptr && bar->GetPosition() == values[0] && bar->GetPage() == values[1] &&
            bar->GetTotal() == values[2]) {
            return orientation;
        }
    }
    return -1;
}

int CUserListBar::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventScrollChanged:
            if (const int orientation = ScrollOrientationOf(record.param1); orientation >= 0) {
                OnScroll(record.param1, orientation);
            }
            return 1;
        case kEventScrollRight:
            ScrollRight();
            return 1;
        case kEventScrollLeft:
            ScrollLeft();
            return 1;
        case kEventScrollUp:
            ScrollUp();
            return 1;
        case kEventScrollDown:
            ScrollDown();
            return 1;
        case kEventUserListChanged:
            RebuildRows();
            return 1;
        case kEventForgetLookOnPermissions:
            if (CUserListCtrl* rows = GetRowsControl()) {
                rows->ClearLookOnAllowed();
            }
            return CCorvaneControl::OnEvent(record);
        default:
            return CCorvaneControl::OnEvent(record);
    }
}
