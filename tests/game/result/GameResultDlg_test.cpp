#include "game/result/GameResultDlg.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneNumberDisplay.h"
#include "tests/engine_ui/ToolkitTestSupport.h"
#include "tests/game/result/ResultRecordBytes.h"

namespace {

// The dialog with its seats given by the test.
class TestResultDlg : public CGameResultDlg {
public:
    std::array<std::string, 4> names = {"甲", "乙", "丙", "丁"};
    int ownChair = 1;
    FrameRecord portrait{};

protected:
    std::string GetChairName(int chair) override {
        return chair >= 0 && chair < 4 ? names[static_cast<size_t>(chair)] : std::string();
    }
    int GetOwnChair() override { return ownChair; }
    FrameRecord GetPortrait(int) override { return portrait; }
};

using S = ResultSheet;
using R = table_protocol::GameResultRecord;

class GameResultDlgTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        AddFace("bit_Result_BK", 1, 640, 420);
        AddFace("list_itemBK", 5, 60, 14);
        AddFace("list_title", 1, 60, 24);
        AddFace("list_item01", 1, 60, 28);
        AddFace("btn_ResultClose", 4, 30, 20);
        AddFace("icon_hu", 1, 20, 20);
        AddFace("icon_standoff", 1, 20, 20);
        owner->SetName("MainGame");
        dialog = new TestResultDlg;
        dialog->portrait = AddFace("portrait", 1, 40, 40);
        visual->Register(dialog);
        dialog->SetPos(400, 300);
        Frame();
    }

    CResultItem* PlayerRow(int chair) { return dialog->GetPlayersList()->GetRowObject(chair); }
    int RowFrame(CResultItem* row) { return row->GetRowPicture()->GetFrame(); }
    // The item rows as "name value" texts.
    std::vector<std::string> ItemRows() {
        std::vector<std::string> rows;
        CResultListPanel* list = dialog->GetItemsList();
        for (int i = 0; i < list->GetItemCount(); ++i) {
            int count = 0;
            const auto captions = list->GetRowObject(i)->GetCaptions(&count);
            EXPECT_EQ(count, 2);
            rows.push_back(captions[0].text + " " + captions[1].text);
        }
        return rows;
    }
    std::string Label(int chair) { return FieldText(PlayerRow(chair)->GetPlayerRow().label); }

    TestResultDlg* dialog = nullptr;
};

TEST_F(GameResultDlgTest, CreateBuildsTheHiddenNamedDialogWithFourPlayerRows) {
    EXPECT_EQ(dialog->FindObjectByName("GameResult"), dialog);
    EXPECT_EQ(dialog->IsVisible(), 0);
    EXPECT_GE(dialog->GetZ(), 60000.0);
    ASSERT_NE(dialog->GetPlayersList(), nullptr);
    ASSERT_NE(dialog->GetItemsList(), nullptr);
    ASSERT_NE(dialog->GetSeatPanel(), nullptr);
    ASSERT_NE(dialog->GetNextHandNumber(), nullptr);
    EXPECT_EQ(dialog->GetPlayersList()->GetItemCount(), 4);
    EXPECT_EQ(dialog->GetItemsList()->GetItemCount(), 0);
    // The seat panel sits 164, 136 from the background's corner.
    EXPECT_DOUBLE_EQ(dialog->GetSeatPanel()->GetX(), dialog->GetLeft() + 164);
    EXPECT_DOUBLE_EQ(dialog->GetSeatPanel()->GetY(), dialog->GetTop() + 136);
    dialog->Show();
    EXPECT_EQ(dialog->GetPlayersList()->IsVisible(), 1);
}

TEST_F(GameResultDlgTest, AStandoffSelectsAndMarksTheOwnChairWithoutItems) {
    ResultRecordBytes record;
    record.Names("a|b").Set(&R::itemValues, 0, 5).Set(&R::silverChange, 1, -30);
    dialog->SetResult(record.Span());
    EXPECT_EQ(dialog->GetSelectedChair(), 1);
    EXPECT_EQ(dialog->GetSeatMark(), "icon_standoff");
    EXPECT_EQ(dialog->GetMarkedChair(), 1);
    EXPECT_EQ(RowFrame(PlayerRow(1)), CResultItem::kMarkedFrame);
    EXPECT_EQ(RowFrame(PlayerRow(0)), 0);
    EXPECT_EQ(RowFrame(PlayerRow(3)), 1);
    EXPECT_TRUE(ItemRows().empty());
    EXPECT_EQ(dialog->GetTotal(), 0);
    for (int chair = 0; chair < 4; ++chair) {
        EXPECT_EQ(Label(chair), "");
    }

    // A final multiple still lists its row for a chair that did not win.
    record.Set(&R::finalMultiples, 1, 6);
    dialog->SetResult(record.Span());
    EXPECT_EQ(ItemRows(), (std::vector<std::string>{" 6倍"}));
    EXPECT_EQ(dialog->GetTotal(), 6);
}

TEST_F(GameResultDlgTest, PlayerRowsCarryValuesLabelsNamesAndTheOwnColour) {
    ResultRecordBytes record;
    record.Winner(2, 0)
        .Set(&R::silverChange, 2, 1200)
        .Set(&R::scoreChange, 2, 12)
        .Set(&R::exposedKongColumn, 2, 1)
        .Set(&R::concealedKongColumn, 2, 2)
        .Set(&R::value2368, 2, 5)
        .Set(&R::silverChange, 0, -1200)
        .Set(&R::nextBaseSilver, 300);
    dialog->SetResult(record.Span());
    EXPECT_EQ(dialog->GetSelectedChair(), 2);
    EXPECT_EQ(dialog->GetSeatMark(), "icon_hu");
    EXPECT_EQ(dialog->GetMarkedChair(), 2);
    EXPECT_EQ(RowFrame(PlayerRow(2)), CResultItem::kMarkedFrame);
    EXPECT_EQ(Label(2), "胡");
    EXPECT_EQ(Label(0), "点炮");
    EXPECT_EQ(Label(1), "");
    const ResultPlayerRow& row = PlayerRow(2)->GetPlayerRow();
    EXPECT_EQ(row.exposedKong, 1);
    EXPECT_EQ(row.concealedKong, 2);
    EXPECT_EQ(row.furtherValue, 5);
    int count = 0;
    const auto captions = PlayerRow(2)->GetCaptions(&count);
    ASSERT_EQ(count, 6);
    // Name, silver, score, then the 暗杠 column before the 明杠 one.
    const std::vector<std::string> texts = {captions[0].text, captions[1].text, captions[2].text,
                                            captions[3].text, captions[4].text, captions[5].text};
    EXPECT_EQ(texts, (std::vector<std::string>{"丙", "1200两", "12分", "2倍", "1倍", "胡"}));
    EXPECT_EQ(captions[3].x, 347);
    EXPECT_EQ(captions[5].x, 525);
    EXPECT_EQ(PlayerRow(1)->GetTextColour(), 255u);
    EXPECT_EQ(PlayerRow(2)->GetTextColour(), 0u);
    // The own row's texts are drawn red, the others' not.
    EXPECT_GT(CountPixels(*PlayerRow(1)->GetTextCanvas(), 255), 20);
    EXPECT_EQ(CountPixels(*PlayerRow(2)->GetTextCanvas(), 255), 0);
    EXPECT_GT(CountPixels(*PlayerRow(2)->GetTextCanvas(), 0), 20);
    EXPECT_EQ(dialog->GetNextHandNumber()->FormatText(), "300两");

    // Self-drawn: the winner's label is 自摸 and nobody lost the tile.
    ResultRecordBytes selfDrawn;
    selfDrawn.Winner(3, -1);
    dialog->SetResult(selfDrawn.Span());
    EXPECT_EQ(Label(3), "自摸");
    EXPECT_EQ(Label(0), "");
    EXPECT_EQ(Label(2), "");
    EXPECT_EQ(RowFrame(PlayerRow(2)), 0);
}

TEST_F(GameResultDlgTest, ItemsAddThenMultiplyAndAFinalMultipleReplacesTheTotal) {
    ResultRecordBytes record;
    record.Winner(0, 3)
        .Names("平胡|x|七对|y|清一色")
        .Set(&R::itemValues, 0, 3)
        .Set(&R::itemValues, 1, 0)
        .Set(&R::itemValues, 3, -4)
        .Set(&R::itemValues, 2, 5)
        .Set(&R::itemMultipliers, 4, 2)
        .Set(&R::itemMultipliers, 1, -2);
    dialog->SetResult(record.Span());
    EXPECT_EQ(ItemRows(), (std::vector<std::string>{"平胡 3倍", "七对 5倍", "清一色 *2倍"}));
    EXPECT_EQ(dialog->GetTotal(), 16);
    const auto footer = dialog->GetItemPanelCaptions();
    EXPECT_EQ(footer[2].text, "总计");
    EXPECT_EQ(footer[3].text, "16倍");
    EXPECT_EQ(footer[3].x, 200);
    EXPECT_EQ(footer[3].y, 88);

    // A final multiple replaces the total and adds the last item's row.
    record.Set(&R::finalMultiples, 0, 9);
    dialog->SetResult(record.Span());
    EXPECT_EQ(ItemRows(),
              (std::vector<std::string>{"平胡 3倍", "七对 5倍", "清一色 *2倍", " 9倍"}));
    EXPECT_EQ(dialog->GetTotal(), 9);

    // Another chair that did not win: only its final multiple, if any.
    record.Set(&R::finalMultiples, 2, 4);
    dialog->GetItemsList();
    dialog->OnEvent(MakeEventRecord(dialog->GetId(), kEventResultSelectChair, 2, 0));
    EXPECT_EQ(dialog->GetSelectedChair(), 2);
    EXPECT_EQ(dialog->GetSeatMark(), "");
    EXPECT_EQ(ItemRows(), (std::vector<std::string>{}));  // the record copy has no 4 yet
    dialog->SetResult(record.Span());
    dialog->OnEvent(MakeEventRecord(dialog->GetId(), kEventResultSelectChair, 2, 0));
    EXPECT_EQ(ItemRows(), (std::vector<std::string>{" 4倍"}));
    EXPECT_EQ(dialog->GetTotal(), 4);
}

TEST_F(GameResultDlgTest, AClickedPlayerRowSelectsItsChairOnce) {
    ResultRecordBytes record;
    record.Winner(0, 3).Names("a").Set(&R::itemValues, 0, 3).Set(&R::finalMultiples, 3, 7);
    dialog->SetResult(record.Span());
    dialog->Show();
    Frame();
    CResultListPanel* list = dialog->GetPlayersList();
    auto click = [&](CResultItem* row) {
        return list->OnEvent(
            MakeEventRecord(list->GetId(), kEventListItemClicked, EventParam(row), 0));
    };
    EXPECT_EQ(click(PlayerRow(3)), 1);
    EXPECT_EQ(dialog->GetSelectedChair(), 3);
    // Chair 3 did not win: only its final multiple, under the last name.
    EXPECT_EQ(ItemRows(), (std::vector<std::string>{" 7倍"}));

    // The same chair again refills nothing: a row put in by hand stays.
    auto* extra = new CResultItem;
    dialog->GetItemsList()->AddItem(extra, nullptr, 0, visual->GetSkinFrame("list_itemBK"), 331,
                                    14);
    EXPECT_EQ(click(PlayerRow(3)), 1);
    EXPECT_EQ(dialog->GetItemsList()->GetItemCount(), 2);

    // A pointer that is not one of the list's rows selects nothing.
    int unrelated = 0;
    EXPECT_EQ(list->OnEvent(
                  MakeEventRecord(list->GetId(), kEventListItemClicked, EventParam(&unrelated), 0)),
              1);
    EXPECT_EQ(dialog->GetSelectedChair(), 3);
    EXPECT_EQ(click(PlayerRow(0)), 1);
    EXPECT_EQ(dialog->GetSelectedChair(), 0);
    EXPECT_EQ(ItemRows(), (std::vector<std::string>{"a 3倍"}));
}

TEST_F(GameResultDlgTest, AMouseClickOnAPlayerRowSelectsItsChair) {
    ResultRecordBytes record;
    record.Winner(0, 3).Names("a|b").Set(&R::itemValues, 1, 4).Set(&R::finalMultiples, 2, 3);
    dialog->SetResult(record.Span());
    dialog->Show();
    dialog->Invalidate();
    Frames(3);
    CResultItem* row = PlayerRow(2);
    ClickAt(static_cast<int>(row->GetX()), static_cast<int>(row->GetY()));
    Frames(2);
    EXPECT_EQ(dialog->GetSelectedChair(), 2);
    EXPECT_EQ(ItemRows(), (std::vector<std::string>{" 3倍"}));
}

TEST_F(GameResultDlgTest, AFixedRowKeepsItsBackgroundWhenMarked) {
    CResultItem* row = PlayerRow(2);
    row->SetFixed(1);
    row->SetIndex(2);
    EXPECT_EQ(RowFrame(row), CResultItem::kFixedFrame);
    row->MarkRow();
    EXPECT_EQ(RowFrame(row), CResultItem::kFixedFrame);
    row->SetFixed(0);
    row->SetIndex(3);
    EXPECT_EQ(RowFrame(row), 1);
    row->MarkRow();
    EXPECT_EQ(RowFrame(row), CResultItem::kMarkedFrame);
}

TEST_F(GameResultDlgTest, TheCloseButtonTellsTheTable) {
    dialog->OnEvent(MakeEventRecord(dialog->GetId(), kEventResultClose, 0, 0));
    Frame();
    const std::vector<int> events = OwnerEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), kEventResultClose), 1);
}

TEST_F(GameResultDlgTest, AWinnerOutsideTheTableCountsAsNobody) {
    ResultRecordBytes record;
    record.Set(&R::winner, 7).Set(&R::winFlags, 1, 1).Names("a").Set(&R::itemValues, 0, 2);
    dialog->SetResult(record.Span());
    EXPECT_EQ(dialog->GetSheet().winner, -1);
    EXPECT_EQ(dialog->GetSelectedChair(), 1);
    EXPECT_EQ(dialog->GetSeatMark(), "icon_standoff");
    EXPECT_EQ(dialog->GetMarkedChair(), 1);

    record.Set(&R::winner, -5);
    dialog->SetResult(record.Span());
    EXPECT_EQ(dialog->GetSheet().winner, -1);
}

TEST_F(GameResultDlgTest, ASelectionOutsideTheTableFillsNoSeatPanelOrItems) {
    dialog->ownChair = 6;  // a chair the four seats do not have
    ResultRecordBytes record;
    record.Set(&R::finalMultiples, 0, 5).Names("a");
    dialog->SetResult(record.Span());
    EXPECT_EQ(dialog->GetSelectedChair(), 6);
    EXPECT_EQ(dialog->GetSeatMark(), "");
    EXPECT_EQ(dialog->GetMarkedChair(), -1);
    EXPECT_TRUE(ItemRows().empty());
    EXPECT_EQ(dialog->GetTotal(), 0);
    dialog->OnEvent(MakeEventRecord(dialog->GetId(), kEventResultSelectChair, -3, 0));
    EXPECT_TRUE(ItemRows().empty());
    EXPECT_EQ(dialog->GetSelectedChair(), -1);
    // A parameter whose low word is a chair is not that chair.
    dialog->OnEvent(MakeEventRecord(dialog->GetId(), kEventResultSelectChair,
                                    static_cast<intptr_t>((int64_t{1} << 32) + 0), 0));
    EXPECT_EQ(dialog->GetSelectedChair(), -1);
    EXPECT_TRUE(ItemRows().empty());
}

TEST_F(GameResultDlgTest, ATotalBeyondThirtyTwoBitsShowsItsLowWord) {
    ResultRecordBytes record;
    record.Winner(1, -1)
        .Set(&R::itemValues, 0, 0x40000000)
        .Set(&R::itemMultipliers, 1, 3)
        .Set(&R::itemMultipliers, 2, 0x7FFFFFFF);
    dialog->SetResult(record.Span());
    const uint64_t total = uint64_t{0x40000000} * 3 * 0x7FFFFFFF;
    EXPECT_EQ(dialog->GetTotal(), static_cast<int32_t>(static_cast<uint32_t>(total)));

    // Totals that fit are shown as they are.
    ResultRecordBytes small;
    small.Winner(1, -1).Set(&R::itemValues, 0, 1000).Set(&R::itemMultipliers, 1, 1000);
    dialog->SetResult(small.Span());
    EXPECT_EQ(dialog->GetTotal(), 1000000);
}

TEST_F(GameResultDlgTest, NamesAreCutAtAWholeCharacterAndShortRecordsChangeNothing) {
    dialog->names[0] = std::string(40, 'a');
    dialog->names[3] = "";
    for (int i = 0; i < 20; ++i) {
        dialog->names[3] += "一";  // 40 bytes: 15 characters fit in 31
    }
    ResultRecordBytes record;
    record.Winner(0, -1);
    dialog->SetResult(record.Span());
    EXPECT_EQ(FieldText(PlayerRow(0)->GetPlayerRow().name), std::string(31, 'a'));
    EXPECT_EQ(FieldText(PlayerRow(3)->GetPlayerRow().name).size(), 30u);

    ResultRecordBytes other;
    other.Winner(2, 1);
    dialog->SetResult(other.Span().first(S::kRecordSize - 1));
    EXPECT_EQ(dialog->GetSelectedChair(), 0);
    EXPECT_EQ(Label(0), "自摸");
}

}  // namespace
