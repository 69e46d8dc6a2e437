#pragma once
// The regional table view in a headless scene on a hand-driven clock,
// inside the program's one application object. The view's requests that a
// test watches are written down and answered from a script; everything
// else is the game's own code. Every scene leaves the application as it
// found it.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/CorvaneView.h"
#include "engine/GameCore.h"
#include "engine/ObjectModule.h"
#include "engine/ResourceModule.h"
#include "frame/view/GameFrameView.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/engine/EngineTestSupport.h"

namespace play_test {

namespace tp = table_protocol;

inline constexpr int32_t kOwnId = 7001;
inline constexpr int32_t kRoomId = 41;
inline constexpr int32_t kTableNo = 3;
inline constexpr int32_t kReactionSeconds = 12;
inline constexpr int32_t kDiscardSeconds = 20;

// Writes `value` as word `index` of the bytes (grown when needed).
void PutWord(std::vector<uint8_t>& bytes, size_t index, int32_t value);

// The side panel: keeps the chat lines it is sent.
class ChatPanel : public CCorvaneView {
public:
    int OnEvent(const EventRecord& record) override;
    std::vector<std::string> lines;
};

// The frame view around the table.
class HostFrameView : public CGameFrameView {
public:
    HostFrameView() { SetSubSystem(&chat); }
    ChatPanel chat;
};

// The regional view with its requests to the server written down and
// answered from a script, and the animations it asks for recorded.
class WatchedRegionalView : public CRegionalTableView {
public:
    int SendDiscard(int tileId) override;
    int SendHua(int tileId, uint8_t* reply32) override;
    int SendGameRequest(int32_t id, const void* data, size_t length, int wait) override;
    int SubmitPeng() override { return Submitted("peng"); }
    int SubmitDiscardGang() override { return Submitted("discard gang"); }
    int SubmitConcealedGang(int32_t tile) override { return Submitted("concealed gang", tile); }
    int SubmitAddedGang(int32_t tile) override { return Submitted("added gang", tile); }
    void PlayMeldAnimation(int eventId) override {
        meldAnimations.push_back(eventId);
        CRegionalTableView::PlayMeldAnimation(eventId);
    }
    void OfferOptionsAfterDraw(int options) override {
        offeredOptions.push_back(options);
        CRegionalTableView::OfferOptionsAfterDraw(options);
    }
    void ApplyTingInfo(std::span<const uint8_t> ting) override {
        tingInfos.emplace_back(ting.begin(), ting.end());
    }
    void DrawSwapInfo(std::span<const uint8_t> swapRecord) override {
        swapInfos.emplace_back(swapRecord.begin(), swapRecord.end());
    }
    void ShowBankerDice(int secondDie) override { bankerDice.push_back(secondDie); }
    void CheckConcealedGang() override {
        ++gangChecks;
        CRegionalTableView::CheckConcealedGang();
    }

    std::string GetVoiceFile(int position, int tileId) override {
        voices.push_back("tile " + std::to_string(position) + " " + std::to_string(tileId));
        return CRegionalTableView::GetVoiceFile(position, tileId);
    }
    std::string GetVoiceFileByName(int position, const char* name) override {
        voices.push_back("name " + std::to_string(position) + " " + (name != nullptr ? name : ""));
        return CRegionalTableView::GetVoiceFileByName(position, name);
    }
    void OnDiceThrown() override { diceDone.push_back(GetTableSerial()); }
    // The own draw answers from catchReplies (none queued: the connection).
    int RequestCatch(std::span<uint8_t> reply) override;
    // The gang query answers from gangQueryReplies (none queued: refused).
    int SendGangQuery(int kind, int tileId, uint8_t* reply48) override;
    int SendTingThrow(int tile) override {
        tingThrows.push_back(tile);
        return tingThrowResult;
    }
    uint32_t GetRuleFlags() const override { return ruleFlags; }

    int Submitted(const char* what, int32_t tile = -1);

    // The rule word of the tile tests (the game's unless a test sets the
    // wild bit).
    uint32_t ruleFlags = kRuleFlags;
    std::vector<std::string> voices;
    std::vector<uint32_t> diceDone;

    // Results handed out by the sends, in order (10 when none is queued).
    std::deque<int> discardResults;
    std::deque<std::vector<uint8_t>> huaReplies;  // empty: refused
    std::vector<int> discards;
    std::vector<int> huas;
    std::vector<int32_t> gameRequests;
    std::vector<std::pair<std::string, int32_t>> submits;
    int submitResult = 1;
    std::vector<int> meldAnimations;
    std::vector<int> offeredOptions;
    std::vector<std::vector<uint8_t>> tingInfos;
    std::vector<std::vector<uint8_t>> swapInfos;
    std::vector<int> bankerDice;
    int gangChecks = 0;
    std::deque<std::vector<uint8_t>> catchReplies;
    std::deque<std::vector<uint8_t>> gangQueryReplies;
    std::vector<std::pair<int, int>> gangQueries;  // kind, tile
    std::vector<int> tingThrows;
    int tingThrowResult = 1;
};

// A hand start for the tests: the own chair holds `ownTiles`.
struct HandStart {
    int32_t banker = 0;
    int32_t turnChair = 0;
    int32_t flags = 0x1;
    int32_t wallStart = 0;
    std::array<int32_t, 4> dice{3, 4, 0, 0};
    std::array<int32_t, 2> wild{-1, -1};
    std::vector<int32_t> ownTiles;
    std::vector<uint8_t> Build() const;
};

// The table in its headless scene: a core with a resource module holding a
// one-colour picture for each name the tests need, an object module with
// the view, the frame view around it, and the program's application
// launched on the own chair. Open builds it; the destructor takes it down
// and puts the application back.
class RegionalPlayScene {
public:
    explicit RegionalPlayScene(int32_t ownChair = 0, bool lookOn = false);
    ~RegionalPlayScene();

    bool Open();
    // Runs engine frames for `ms` of the hand-driven clock.
    void Frames(int64_t ms, int64_t step = 10);
    // Stores the hand start in the application's table data.
    bool StoreHandStart(const HandStart& start);
    // Puts a standing own tile at each index 1.. (the drawn tile at 0 when
    // `drawn` is a tile).
    void FillOwnRow(const std::vector<int32_t>& tiles, int32_t drawn = -1);
    // The tile ids of a row, by hand index (-1 for an empty place).
    std::vector<int32_t> RowTiles(int position);
    CRegionalMahjongApp& App() { return *CRegionalMahjongApp::Instance(); }
    CRegionalTableData* Data();

    int32_t ownChair;
    bool lookOn;
    ManualTime time;
    std::unique_ptr<GameCore> core;
    ObjectModule* objects = nullptr;
    ResourceModule* resources = nullptr;
    WatchedRegionalView* view = nullptr;  // the object module owns it
    // Makes the view Open registers (a WatchedRegionalView when unset).
    std::function<WatchedRegionalView*()> makeView;
    HostFrameView host;

private:
    bool Launch();
    std::vector<std::vector<uint8_t>> packs_;
};

}  // namespace play_test
