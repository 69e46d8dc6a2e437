#pragma once
// The mahjong table view in an engine window on SDL's dummy video driver:
// a mahjong application whose table data holds a hand-start record the
// test writes word by word, the table view registered under a plain root
// view with a rectangle of the test's choice, and a skin of one colour per
// tile frame (and one for each back).

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "engine/CorvaneView.h"
#include "frame/LaunchLine.h"
#include "frame/LaunchRecordBuilder.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/frame_panels/PanelWindow.h"

namespace table_view_test {

// Table data with a hand-start record and a hand-state tail the tests fill.
class TableViewData : public CMahjongTableData {
public:
    TableViewData() { words.fill(0); }
    int IsSeatStarted(int chair) const override {
        return chair >= 0 && chair < 8 ? started[static_cast<size_t>(chair)] : 0;
    }
    bool SetSeatStarted(std::span<const uint8_t>) override { return true; }
    std::span<const uint8_t> GetHandStateTail() const override { return tail; }

    // Stores the words as the hand-start record.
    void Store() {
        std::vector<uint8_t> bytes(kHandStartBytes, 0);
        std::memcpy(bytes.data(), words.data(), bytes.size());
        ASSERT_TRUE(StoreHandStart(bytes));
    }
    void SetOwnTiles(const std::vector<int32_t>& tiles) {
        for (size_t i = 0; i < 32; ++i) {
            words[53 + i] = i < tiles.size() ? tiles[i] : -1;
        }
    }

    std::array<int32_t, kHandStartBytes / 4> words{};
    std::array<int, 8> started{};
    std::vector<uint8_t> tail;
};

class TableViewApp : public CMahjongApp {
public:
    TableViewApp() : CMahjongApp("pvbn", 21265, 13, 1) {}
    int GetPlayerCount() override { return players; }
    CGameTableData* GetTableData() override { return &data; }
    using CGameFrameApp::InitGameData;
    using CGameFrameApp::SetLaunchFields;

    int players = 4;
    TableViewData data;
};

// Face frames: one colour per frame, by sheet and frame.
inline uint32_t FaceColour(int sheet, int frame) {
    return 0x010000u * static_cast<uint32_t>(sheet * 20 + 10) + 0x000100u * 3u +
           static_cast<uint32_t>(frame * 5 + 20);
}
inline constexpr uint32_t kBack02 = 0x00f0f0;
inline constexpr uint32_t kBack13 = 0xf000f0;

class TableViewTest : public PanelWindowTest {
protected:
    static constexpr int kFaceFrames = 42;
    static constexpr int kButtonHeight = 40;

    void SetUp() override {
        const std::vector<std::pair<std::string, std::pair<int, int>>> sheets = {
            {"800_largecard", {50, 72}}, {"800_side0", {26, 20}},   {"800_side1", {26, 36}},
            {"800_side2", {26, 20}},     {"800_middle0", {36, 26}}, {"800_middle1", {26, 36}},
            {"800_middle2", {36, 26}},   {"800_middle3", {26, 36}}};
        for (size_t s = 0; s < sheets.size(); ++s) {
            std::vector<uint32_t> colours;
            for (int f = 0; f < kFaceFrames; ++f) {
                colours.push_back(FaceColour(static_cast<int>(s), f));
            }
            AddFramed(sheets[s].first, sheets[s].second.first, sheets[s].second.second, colours);
        }
        AddImage("1366_deal02", 26, 20, kBack02);
        AddImage("1366_deal13", 20, 28, kBack13);
        AddImage("btn_Guo_big", 60, kButtonHeight, 0x303030);
        AddImage(CSeatBoard::kBoardImage, 200, 36, 0x202020);
        SetChair(0, false);
    }
    void SetChair(int chair, bool lookOn) {
        LaunchFields fields;
        fields.userId = 100 + chair;
        fields.chairNo = chair;
        fields.lookOn = lookOn ? 1 : 0;
        app.SetLaunchFields(fields);
    }

    // The window with the table view of the given rectangle.
    void Open(int width = 800, int height = 600, int left = 0, int top = 0,
              CMahjongTableView* made = nullptr) {
        root = new CCorvaneView;
        OpenWindow(root, "table", {0, 0, left + width + 8, top + height + 8});
        if (HasFatalFailure()) {
            return;
        }
        table = made != nullptr ? made : new CMahjongTableView;
        root->Register(table);
        table->SetViewRect(IntRect{left, top, left + width, top + height});
    }

    // A hand start: banker, wall start, own tiles.
    void StartRecord(int banker, int wallStart, const std::vector<int32_t>& own) {
        app.data.words[11] = banker;
        app.data.words[13] = banker;
        app.data.words[14] = 1;
        app.data.words[32] = wallStart;
        app.data.words[34] = -1;
        app.data.words[35] = -1;
        app.data.SetOwnTiles(own);
        app.data.Store();
    }

    // The tile ids of a row, index 0 first (-1 for an empty place), up to
    // the last tile.
    std::vector<int> Row(int position) {
        std::vector<int> ids;
        int last = -1;
        for (int i = 0; i < CMahjongTableView::kRowSize; ++i) {
            if (table->GetHandSprite(position, i) != nullptr) {
                last = i;
            }
        }
        for (int i = 0; i <= last; ++i) {
            const CCardSprite* sprite = table->GetHandSprite(position, i);
            ids.push_back(sprite != nullptr ? sprite->tile : -1);
        }
        return ids;
    }
    // Every sprite shows where it is and its hand index is its place.
    void ExpectRowNumbered(int position) {
        for (int i = 0; i < CMahjongTableView::kRowSize; ++i) {
            if (const CCardSprite* sprite = table->GetHandSprite(position, i)) {
                EXPECT_EQ(sprite->handIndex, i);
                EXPECT_EQ(sprite->position, position);
                EXPECT_EQ(sprite->kind, CCardSprite::kKindHand);
            }
        }
    }
    int FreeSprites() {
        int free = 0;
        for (int i = 0; i < CMahjongTableView::kCardPoolSize; ++i) {
            const CCardSprite* sprite = table->GetCardSprite(i);
            free += sprite != nullptr && sprite->active == 0 ? 1 : 0;
        }
        return free;
    }
    // Takes every free sprite but `leave`.
    void ExhaustPool(int leave) {
        while (FreeSprites() > leave) {
            CCardSprite* sprite = table->GetFreeCardObject();
            sprite->active = 1;
        }
    }

    TempProgramFolder folder;
    TableViewApp app;
    CCorvaneView* root = nullptr;
    CMahjongTableView* table = nullptr;
};

}  // namespace table_view_test
