#pragma once
// The regional table view in an engine window on SDL's dummy video driver,
// with the regional test skin loaded from memory and the program's one
// application object set up as a player (or looker-on) at chair 0. The
// hand-start record is written with the named-field builder. Everything the
// test changes on the application, the table data and the module state is
// put back in TearDown.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/CorvanePicture.h"
#include "engine/CorvaneView.h"
#include "frame/LaunchLine.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "tests/frame_panels/PanelWindow.h"
#include "tests/game/support/RegionalSkin.h"
#include "tools/regional_records/RegionalRecords.h"

namespace regional_view_test {

// The view with the parts the other work makes given by the test, and the
// view's protected parts reachable.
class TestRegionalView : public CRegionalTableView {
public:
    using CMahjongTableView::GetWallSprite;
    using CRegionalTableView::PostHeapEvent;
    int MakeButton(const char* image, int event) { return MakeRegionalButton(image, event); }
    void SetWelfareButton(int id) { welfareButtonId_ = id; }
    void SetSwapInfoButtons(int show, int hide) {
        swapInfoShowButtonId_ = show;
        swapInfoHideButtonId_ = hide;
    }
    void SetSwapInfoPanel(int id) { swapInfoPanelId_ = id; }
    void SetVoiceParts(int button, int box) {
        voiceButtonId_ = button;
        voiceBoxId_ = box;
    }
    void SetHuPicture(int position, int id) { huPictureIds_[static_cast<size_t>(position)] = id; }
    int Wall(int index) const { return wall_[static_cast<size_t>(index)]; }
    void SetDie(int index, int id) { diceIds_[static_cast<size_t>(index)] = id; }
    void PlaySound(const char* name) override {
        sounds.emplace_back(name);
        CRegionalTableView::PlaySound(name);
    }
    std::vector<std::string> sounds;
    int ShownDice() {
        return static_cast<int>(std::count_if(diceIds_.begin(), diceIds_.end(), [&](int id) {
            CCorvanePicture* die = FindPictureById(id);
            return die != nullptr && die->IsVisible() != 0;
        }));
    }
};

class RegionalViewTest : public PanelWindowTest {
protected:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

    void SetUp() override {
        app = CRegionalMahjongApp::Instance();
        ASSERT_NE(app, nullptr);
        data = app->GetTableData();
        ASSERT_NE(data, nullptr);
        SetChair(0, false);
    }
    void TearDown() override {
        CloseWindow();
        data->ClearHandArea();
        data->SetMarking(0);
        app->ClearGamePlaying();
        app->SetLaunchFields(LaunchFields{});
        app->ResetForTesting();
        std::fill(std::begin(g_bBaoJiao), std::end(g_bBaoJiao), 0);
        g_SwapRecord = RegionalSwapRecord{};
    }

    void SetChair(int chair, bool lookOn) {
        LaunchFields fields;
        fields.userId = 100 + chair;
        fields.chairNo = chair;
        fields.lookOn = lookOn ? 1 : 0;
        app->SetLaunchFields(fields);
    }

    // The window with the view (a plain test view unless one is given) over
    // the whole scene; the skin lacks the pictures named in leaveOut.
    void Open(const std::set<std::string>& leaveOut = {}, TestRegionalView* made = nullptr) {
        root = new CCorvaneView;
        OpenWindow(root, "regional", {0, 0, kWidth, kHeight});
        if (HasFatalFailure()) {
            delete made;
            return;
        }
        for (const std::string& pack : regional_skin::PackPaths()) {
            std::vector<uint8_t> image;
            std::string error;
            ASSERT_TRUE(regional_skin::BuildPack(pack, leaveOut, image, error)) << error;
            root->AddResourcePackFromMemory(image.data(), image.size());
        }
        view = made != nullptr ? made : new TestRegionalView;
        root->Register(view);
        view->SetViewRect(IntRect{0, 0, kWidth, kHeight});
        Frame();
    }

    static constexpr int32_t kHandRunning = 0x1;
    static constexpr int32_t kSwapPhase = 0x10;

    // A hand start: banker, wall start, the own tiles and no wild tile.
    static table_protocol::HandStartRecord HandStart(int banker, int wallStart,
                                                     const std::vector<int32_t>& own,
                                                     int32_t flags = kHandRunning) {
        table_protocol::HandStartRecord start;
        start.handNumber = 1;
        start.baseSilver = 100;
        start.baseScore = 10;
        start.banker = banker;
        start.turnChair = banker;
        start.startFlags = flags;
        start.reactionTime = 8;
        start.discardTime = 15;
        start.wallStart = wallStart;
        start.wildTiles = {-1, -1};
        start.wildIndicator = -1;
        for (int chair = 0; chair < 4; ++chair) {
            start.seatTileCounts[static_cast<size_t>(chair)] = chair == banker ? 14 : 13;
        }
        start.ownTiles.fill(-1);
        std::copy_n(own.begin(), std::min<size_t>(own.size(), 32), start.ownTiles.begin());
        return start;
    }
    void Store(const table_protocol::HandStartRecord& start) {
        ASSERT_TRUE(data->StoreHandStart(table_protocol::WriteTableRecord(start)));
    }
    void StoreHandStart(int banker, int wallStart, const std::vector<int32_t>& own,
                        int32_t flags = kHandRunning) {
        Store(HandStart(banker, wallStart, own, flags));
    }
    // Fourteen distinct tiles in dealing order.
    static std::vector<int32_t> OwnTiles(int count = 14) {
        std::vector<int32_t> tiles;
        for (int i = 0; i < count; ++i) {
            tiles.push_back(regional_records::TileOf(i % 27, i / 27));
        }
        return tiles;
    }

    static void ShowPart(CCorvaneObject* part) {
        if (part != nullptr) {
            part->Show();
        }
    }

    // The tile ids of a row from index 0 up to its last tile (-1 empty).
    std::vector<int> Row(int position) {
        std::vector<int> ids;
        int last = -1;
        for (int i = 0; i < CMahjongTableView::kRowSize; ++i) {
            if (view->GetHandSprite(position, i) != nullptr) {
                last = i;
            }
        }
        for (int i = 0; i <= last; ++i) {
            const CCardSprite* sprite = view->GetHandSprite(position, i);
            ids.push_back(sprite != nullptr ? sprite->tile : -1);
        }
        return ids;
    }
    // The row indices that hold a tile.
    std::vector<int> Indices(int position) {
        std::vector<int> indices;
        for (int i = 0; i < CMahjongTableView::kRowSize; ++i) {
            if (view->GetHandSprite(position, i) != nullptr) {
                indices.push_back(i);
            }
        }
        return indices;
    }
    static std::vector<int> Range(int from, int to) {
        std::vector<int> out;
        for (int i = from; i <= to; ++i) {
            out.push_back(i);
        }
        return out;
    }

    CRegionalMahjongApp* app = nullptr;
    CRegionalTableData* data = nullptr;
    CCorvaneView* root = nullptr;
    TestRegionalView* view = nullptr;
};

}  // namespace regional_view_test
