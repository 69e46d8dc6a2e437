#pragma once
// The side panel's user list: everybody at the player's table, seated
// players by chair then lookers-on in their order, one row each under a
// header of column titles, padded with blank rows. The bar ("UserListBar")
// owns the header, two scroll bars and the rows control; the rows control
// draws the rows, tracks the hovered and selected row, owns the per-user
// popup menu and the lookers-on the player lets see his hand.
//
// Rules:
//  - Rows are never sorted; a row with user id 0 is blank: drawn with its
//    background only, no mouse action.
//  - Texts are read within their record fields; titles and look-on names
//    are cut at a whole double-byte character with dots.
//  - Children are kept as ids and looked up, kind checked, on every access.
//  - UI thread only.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"
#include "frame/GameRecords.h"

class CCorvaneCanvas;
class CPopupMenu;
class CUserListScrollBar;

// What a row shows in a column.
enum UserListColumnType : int32_t {
    kColumnUser = 0,
    kColumnScore = 1,
    kColumnSilver = 2,
    kColumnLevel = 3,
    kColumnWealth = 4,
    kColumnLookOnTarget = 5,
    kColumnNothing = 6,
    kColumnSecondName = 7,
    kColumnSex = 8,
};

struct UserListColumn {
    int32_t type = kColumnNothing;
    int32_t width = 0;
    const char* title = "";
    int32_t extra[3] = {0, 0, 0};  // kept, not read
};

struct UserListRow {
    UserRecord user;
    int32_t stripe = 1;  // 1 or 2
    int32_t marked = 0;
    int32_t hovered = 0;
};

// The rows control's own events.
inline constexpr int kUserListRowPress = 1052;
inline constexpr int kUserListRowMenu = 1053;
inline constexpr int kUserListCopyName = 1054;
inline constexpr int kUserListCloseMenu = 1055;
inline constexpr int kUserListViewDetails = 1056;
inline constexpr int kUserListCallPlayer = 1057;
inline constexpr int kUserListNothing = 1058;
inline constexpr int kUserListLeave = 1059;
inline constexpr int kUserListInfoLine = 1060;
inline constexpr int kUserListHover = 1061;
inline constexpr int kUserListLookOn = 1062;

class CUserListCtrl : public CCorvaneControl {
public:
    using CCorvaneObject::Create;
    using CCorvaneObject::HitTest;
    using CCorvaneObject::SetSize;

    CUserListCtrl();
    ~CUserListCtrl() override;

    int OnEvent(const EventRecord& record) override;

    virtual void Create(int width, int height);
    virtual void BuildMenu();
    virtual void SetSelected(int index);
    virtual void ShowMenu(int show, int x, int y);
    virtual void Clear();
    virtual void SetColumns(const std::vector<UserListColumn>* columns);
    virtual int AddRow(const UserListRow& row);
    virtual void RedrawAll();
    virtual void DrawRow(int index);
    virtual void SetSize(int width, int height);
    virtual int HitTest(int x, int y);
    virtual std::string GetUserName(int index);
    virtual int32_t GetUserId(int index);
    virtual int32_t GetCharacterId(int index);
    virtual int32_t GetSilver(int index);
    virtual int32_t GetScore(int index);
    virtual std::string GetLevelTitle(int index);

    bool IsLookOnAllowed(int32_t userId) const { return lookOnAllowed_.count(userId) != 0; }
    void RemoveLookOnAllowed(int32_t userId) { lookOnAllowed_.erase(userId); }
    void ClearLookOnAllowed() { lookOnAllowed_.clear(); }

    int GetRowCount() const { return static_cast<int>(rows_.size()); }
    const UserListRow* GetRow(int index) const;
    int GetSelected() const { return selected_; }
    int GetHovered() const { return hovered_; }
    // The popup menu, or null.
    CPopupMenu* GetMenu();
    int GetRowHeight();
    // What a row shows in a column other than the user cell.
    std::string CellText(const UserListColumn& column, const UserListRow& row);

private:
    void PressRow(const EventRecord& record);
    void OpenRowMenu(const EventRecord& record);
    void HoverRow(const EventRecord& record);
    void ClearHover();
    void CopyName();
    void ViewDetails();
    void CallSelectedPlayer();
    void ToggleLookOn();
    void CloseMenu();
    void DrawCell(const UserListColumn& column, const UserListRow& row, int x, int y);
    CCorvaneCanvas* Canvas();

    int menuId_ = 0;
    int canvasId_ = 0;
    const std::vector<UserListColumn>* columns_ = nullptr;
    std::vector<UserListRow> rows_;
    int hovered_ = -1;
    int selected_ = -1;
    std::set<int32_t> lookOnAllowed_;
};

class CUserListBar : public CCorvaneControl {
public:
    using CCorvaneObject::Create;

    CUserListBar();
    ~CUserListBar() override;

    // Names the bar "UserListBar".
    void Create() override;
    int OnEvent(const EventRecord& record) override;

    virtual void Build();
    virtual void Relayout();
    virtual int AddColumn(const UserListColumn& column);
    virtual int AddColumn(int type, int width, const char* title, int a, int b, int c);
    virtual void RebuildRows();
    virtual void DrawHeader();
    virtual CUserListCtrl* GetRowsControl();
    virtual int GetVisibleRowCount();
    virtual void ScrollLeft();
    virtual void ScrollRight();
    virtual void ScrollUp();
    virtual void ScrollDown();
    virtual void OnScroll(intptr_t info, int orientation);

    const std::vector<UserListColumn>& GetColumns() const { return columns_; }
    int GetTotalColumnWidth() const { return totalWidth_; }
    int GetHeaderHeight();
    CUserListScrollBar* GetScrollBar(int orientation);

protected:
    // The column titles' canvas, the strip that continues it over the
    // vertical scroll bar, and the corner between the scroll bars; null
    // before Create.
    CCorvaneCanvas* GetHeaderCanvas();
    CCorvaneCanvas* GetHeaderStripCanvas();
    CCorvaneCanvas* GetCornerCanvas();

private:
    void PlaceRows();
    void SetScrollRanges();
    // Which scroll bar sent the change notice; -1 when neither.
    int ScrollOrientationOf(intptr_t info);
    int ScrollBarWidth();
    int ScrollBarHeight();

    int headerId_ = 0;
    int headerEndId_ = 0;
    int cornerId_ = 0;
    int horzBarId_ = 0;
    int vertBarId_ = 0;
    int rowsId_ = 0;
    std::vector<UserListColumn> columns_;
    int totalWidth_ = 0;
};
