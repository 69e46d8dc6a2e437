#pragma once
// The result dialog the table shows when a hand ends: the four players'
// silver, score and kong multiples with their win label, one selected
// player's portrait, name and win or standoff mark, that player's score
// items with their values, and the total multiple; the next hand's base
// silver at its foot. A click on a player's row selects that player.
//
// Rules:
//  - Built once (hidden) by the table view, refilled by SetResult from the
//    hand's 2432-byte result record, hidden by the view when the close
//    button reports 80001145 to "MainGame".
//  - The selected chair is 0..3 or -1; a winner outside 0..3 other than -1
//    counts as -1, and a selection outside 0..3 fills no seat panel and no
//    item rows.
//  - The total is worked out in 64 bits and shown as its 32-bit value.
//  - Parts are held by id and looked up with a kind check; a picture the
//    skin lacks leaves its part out, never a crash.
//  - UI thread only.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "engine/CorvaneControl.h"
#include "engine/ImageRecord.h"
#include "engine/ui/CorvaneListView.h"
#include "frame/RecordFields.h"
#include "game/result/ResultSheet.h"

class CCorvaneCanvas;
class CCorvaneNumberDisplay;

// Events of the dialog.
inline constexpr int kEventResultSelectChair = 80000106;
inline constexpr int kEventResultClose = 80001145;

// A player row's record: 60 bytes.
struct ResultPlayerRow {
    static constexpr size_t kSize = 60;
    int32_t silverChange = 0;
    int32_t scoreChange = 0;
    int32_t exposedKong = 0;    // "明杠"
    int32_t concealedKong = 0;  // "暗杠"
    int32_t furtherValue = 0;
    TextField<8> label{};  // "自摸", "胡", "点炮" or empty
    TextField<32> name{};
};

// An item row's record: 20 bytes.
struct ResultItemRow {
    static constexpr size_t kSize = 20;
    int32_t value = 0;
    TextField<16> name{};
};

// One row of a result list: a player row (kind 0) or a score-item row
// (kind 1), its texts drawn on the row's caption canvas.
class CResultItem : public CCorvaneListItem {
public:
    static constexpr int kPlayerRow = 0;
    static constexpr int kItemRow = 1;
    // Background frames: 0 and 1 alternate by row, 2 marked, 4 fixed.
    static constexpr int kMarkedFrame = 2;
    static constexpr int kFixedFrame = 4;

    CResultItem() = default;
    ~CResultItem() override = default;

    // The background frame is index mod 2, or 4 with the fixed flag; then
    // the texts are drawn and the row redrawn.
    void SetIndex(int index, int style = 0) override;
    // Without the fixed flag: background frame 2, redrawn.
    virtual void MarkRow();

    void SetPlayerRow(int chair, const ResultPlayerRow& row);
    // A multiplier row shows "*%d倍", another "%d倍".
    void SetItemRow(const ResultItemRow& row, bool multiplier);
    void SetKind(int kind) { kind_ = kind; }
    // The caption colour (alpha 1.0); the texts are drawn again.
    void SetTextColour(uint32_t colour);
    void SetFixed(int flag) { fixed_ = flag != 0 ? 1 : 0; }

    int GetKind() const { return kind_; }
    int GetChair() const { return chair_; }
    int IsFixed() const { return fixed_; }
    const ResultPlayerRow& GetPlayerRow() const { return playerRow_; }
    const ResultItemRow& GetItemRow() const { return itemRow_; }
    bool IsMultiplierRow() const { return multiplier_; }
    uint32_t GetTextColour() const { return textColour_; }
    // The texts the row draws, with their x positions, in drawing order.
    struct Caption {
        int x = 0;
        int y = 0;
        std::string text;
    };
    std::array<Caption, 6> GetCaptions(int* count) const;

private:
    void DrawCaptions();
    void ShowBackground(int frame);

    int fixed_ = 0;
    int chair_ = -1;
    int kind_ = kPlayerRow;
    bool multiplier_ = false;
    uint32_t textColour_ = 0;
    ResultPlayerRow playerRow_{};
    ResultItemRow itemRow_{};
};

// A result list: rows of CResultItem; a click on a player row selects it
// and tells the dialog ("GameResult") the row's chair.
class CResultListPanel : public CCorvaneListView {
public:
    CResultListPanel() = default;
    ~CResultListPanel() override = default;

    // 80000101 (row clicked): select the row, then for a player row send
    // 80000106 with its chair to "GameResult"; answers 1. Other events go
    // to the list.
    int OnEvent(const EventRecord& record) override;

    // The row of that index, or null.
    CResultItem* GetRowObject(int index);
    // Removes every row.
    void RemoveAllRows();
};

class CGameResultDlg : public CCorvaneControl {
public:
    static constexpr char kObjectName[] = "GameResult";
    static constexpr double kDepth = 60000.0;

    CGameResultDlg() = default;
    ~CGameResultDlg() override = default;

    // Builds the background, panels, lists and close button.
    void Create() override;
    // 80000106 (chair): selects another chair and refills the seat panel and
    // the items; other events go to the base.
    int OnEvent(const EventRecord& record) override;

    // Fills the dialog from the record; a record shorter than 2432 bytes
    // changes nothing (logged).
    void SetResult(std::span<const uint8_t> record);

    int GetSelectedChair() const { return selectedChair_; }
    const ResultSheet& GetSheet() const { return sheet_; }
    CResultListPanel* GetPlayersList();
    CResultListPanel* GetItemsList();
    CCorvaneCanvas* GetSeatPanel();
    CCorvaneCanvas* GetItemPanel();
    CCorvaneCanvas* GetNextHandPanel();
    CCorvaneNumberDisplay* GetNextHandNumber();
    CCorvaneObject* GetCloseButton();
    // The total multiple of the selected chair, as shown.
    int32_t GetTotal() const { return total_; }
    // The item panel's texts: the two titles, "总计" and the total.
    std::array<CResultItem::Caption, 4> GetItemPanelCaptions() const;
    // The chair whose row is marked, or -1.
    int GetMarkedChair() const { return markedChair_; }
    // The seat panel's win mark: "icon_hu", "icon_standoff" or "".
    const std::string& GetSeatMark() const { return seatMark_; }

protected:
    // Where the dialog learns about the seats; the application by default.
    virtual std::string GetChairName(int chair);
    virtual int GetOwnChair();
    // The chair's portrait picture (sizes 0 when there is none).
    virtual FrameRecord GetPortrait(int chair);

private:
    void CreateSeatPanel(CCorvaneObject& back);
    void CreateNextHandPanel(CCorvaneObject& back);
    void CreateItemPanel(CCorvaneObject& back);
    void CreatePlayersTable(CCorvaneObject& back);
    void CreateCloseButton(CCorvaneObject& back);
    void FillPlayers();
    void FillSeatPanel();
    void FillItems();
    void DrawItemFooter();
    // Selects a chair: -1, or 0..3 for a valid one.
    void SelectChair(int chair);
    CCorvaneObject* GetBackground();

    ResultSheet sheet_{};
    int selectedChair_ = -1;
    int markedChair_ = -1;
    int32_t total_ = 0;
    std::string seatMark_;
    int backgroundId_ = 0;
    int seatPanelId_ = 0;
    int itemPanelId_ = 0;
    int headerId_ = 0;
    int nextHandPanelId_ = 0;
    int nextHandNumberId_ = 0;
    int playersListId_ = 0;
    int itemsListId_ = 0;
    int closeButtonId_ = 0;
};
