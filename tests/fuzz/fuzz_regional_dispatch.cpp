// The regional game's notifications as its handler takes them: the first
// byte picks one of the ids (its own and the frame's it replaces), the rest
// is the record. The handler runs on real table data and the program's
// application object, with a view that checks every record it is handed
// against the size its operation reads; the table data starts empty for
// each input.
//
// Rules checked: a refused record changes nothing; a hand start changes the
// hand area only where its copy map says; a result is kept as its first
// 2432 bytes; the view never gets a record shorter than its operation reads
// or a chair outside 0-3; the top-up address stays within its buffer.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/net/GameNotifyHandler.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalNotifyHandler.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "tests/fuzz/FuzzScratchFile.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/fuzz/RegionalDispatchIds.h"

namespace {

namespace tp = table_protocol;

void NeedChair(int32_t chair, const char* what) {
    if (chair < 0 || chair > 3) {
        FuzzFail(what);
    }
}

void NeedSize(NotifyRecord record, size_t size, const char* what) {
    if (record.size() < size) {
        FuzzFail(what);
    }
}

// A view that checks what it is handed and counts the calls.
class CheckingView : public CRegionalTableView {
public:
    int ChairToPosition(int chair) const override {
        return chair >= 0 && chair < 4 ? (chair + 3) % 4 : -1;
    }
    void OnPlayerStarted(int chair) override { NeedChair(chair, "a started chair off the table"); }
    void ShowRoundInfo() override { ++calls; }
    void OnRoundEnd(NotifyRecord r) override {
        if (r.size() != tp::kHandResultBytes) {
            FuzzFail("the round end got other than the result record");
        }
        ++calls;
    }
    void ResetSeatBoard(int chair) override { NeedChair(chair, "a board reset off the table"); }
    void RefreshSeatBoards() override { ++calls; }
    bool OnSwapDice(NotifyRecord r) override {
        NeedSize(r, tp::SwapDiceNotice::kSize, "a short swap dice record reached the view");
        tp::SwapDiceNotice notice;
        tp::ReadTableRecord(r, notice);
        return ++calls > 0;
    }
    bool OnSwapReady(NotifyRecord r) override {
        tp::SwapReadyNotice notice;
        if (!tp::ReadTableRecord(r, notice)) {
            FuzzFail("a short swap readiness reached the view");
        }
        NeedChair(notice.chair, "a ready chair off the table");
        NeedChair(notice.pointerChair, "a pointer chair off the table");
        return ++calls > 0;
    }
    bool OnTingThrowNotify(NotifyRecord r) override {
        tp::CardThrownNotice notice;
        if (!tp::ReadTableRecord(r, notice)) {
            FuzzFail("a short ready-hand throw reached the view");
        }
        NeedChair(notice.thrower, "a ready-hand thrower off the table");
        return ++calls > 0;
    }
    // The throw, gang-hu and look-card handlers run whole after their check.
    bool OnCardThrown(NotifyRecord r) override {
        tp::CardThrownNotice notice;
        if (!tp::ReadTableRecord(r, notice)) {
            FuzzFail("a short throw reached the view");
        }
        NeedChair(notice.thrower, "a thrower off the table");
        ++calls;
        return CRegionalTableView::OnCardThrown(r);
    }
    bool OnGangHuNotice(NotifyRecord r) override {
        tp::GangHuNotice notice;
        if (!tp::ReadTableRecord(r, notice)) {
            FuzzFail("a short gang-hu notice reached the view");
        }
        NeedChair(notice.ganger, "a ganger off the table");
        ++calls;
        return CRegionalTableView::OnGangHuNotice(r);
    }
    bool OnLookCardReply(NotifyRecord r) override {
        tp::LookCardAnswerRecord answer;
        if (!tp::ReadTableRecord(r, answer)) {
            FuzzFail("a short look-card answer reached the view");
        }
        NeedChair(answer.answeringChair, "an answering chair off the table");
        ++calls;
        return CRegionalTableView::OnLookCardReply(r);
    }
    bool OnVoicePhraseChat(NotifyRecord r) override {
        NeedSize(r, 37, "a short chat line reached the view");
        return ++calls > 0;
    }
    void RunAutomaticWelfareClaim() override { ++calls; }
    bool IsGameInProgress() override { return false; }

    int calls = 0;
};

class CheckingHandler : public CRegionalNotifyHandler {
public:
    CheckingView view;
    CRegionalTableData* data = nullptr;
    int notices = 0;

protected:
    CMahjongTableView* TableView() const override { return const_cast<CheckingView*>(&view); }
    CMahjongTableData* TableData() const override { return data; }
    void ShowPlayerLeftNotice(const std::string& text) override {
        if (text.empty()) {
            FuzzFail("an empty notice of a leaver");
        }
        ++notices;
    }
};

struct State {
    std::vector<uint8_t> status;
    std::vector<uint8_t> area;
    std::vector<uint8_t> result;
    bool playing = false;
    std::string url;
    int calls = 0;
    int notices = 0;
    bool operator==(const State&) const = default;
};

State Snapshot(const CheckingHandler& handler, const CRegionalTableData& data) {
    CRegionalMahjongApp* app = CRegionalMahjongApp::Instance();
    return {{data.GetStatusBlock().begin(), data.GetStatusBlock().end()},
            {data.GetHandArea().begin(), data.GetHandArea().end()},
            {data.GetGameResult().begin(), data.GetGameResult().end()},
            app->IsGamePlaying(),
            app->GetChargeUrl(),
            handler.view.calls,
            handler.notices};
}

bool InCopyMap(size_t byte) {
    for (const auto& range : CRegionalTableData::kHandStartCopyMap) {
        if (byte >= range.to && byte < range.to + range.count) {
            return true;
        }
    }
    return false;
}

CheckingHandler& TheHandler() {
    static CheckingHandler handler;
    return handler;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // The welfare announcement writes the game's settings file: a folder of
    // the process's own.
    const std::filesystem::path ini(FuzzScratchFile::Make("pvbn.ini").Path());
    platform::SetProgramFolderForTesting(ini.parent_path().string() + "/");
    platform::SetMessageBoxSink([](const platform::MessageBoxRequest&) { return 1; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    CheckingHandler& handler = TheHandler();
    CRegionalTableData table;
    handler.data = &table;
    // The application as a fresh one: no hand running, no hands counted.
    CRegionalMahjongApp::Instance()->ClearGamePlaying();
    CRegionalMahjongApp::Instance()->ResetHistory();
    const int32_t id = kRegionalDispatchIds[data[0] % kRegionalDispatchIds.size()];
    // The record in storage of its own size, so a read beyond it is seen.
    std::vector<uint8_t> record(data + 1, data + size);
    record.shrink_to_fit();
    const State before = Snapshot(handler, table);
    bool refused = false;
    try {
        handler.OnNotify(id, record.empty() ? nullptr : record.data(), record.size());
    } catch (const NotifyRecordShort& refusal) {
        if (refusal.Id() != id) {
            FuzzFail("a refusal names another id");
        }
        refused = true;
    }
    const State after = Snapshot(handler, table);
    FuzzNote(refused ? "refused" : "taken", static_cast<uint64_t>(id));
    if (refused && !(after == before)) {
        FuzzFail("a refused record changed the table");
    }
    if (after.url.size() >= 260) {
        FuzzFail("the top-up address outgrew its buffer");
    }
    if (!refused && id == tp::kHandStart) {
        for (size_t i = 0; i < after.area.size(); ++i) {
            if (after.area[i] != before.area[i] && !InCopyMap(i)) {
                FuzzFail("a hand start changed the hand area outside its copy map");
            }
        }
    }
    if (!refused && id == tp::kHandResult &&
        !std::equal(after.result.begin(), after.result.end(), record.begin())) {
        FuzzFail("the result kept is not the record's front");
    }
    FuzzNote("calls", static_cast<uint64_t>(after.calls - before.calls) * 100 +
                          static_cast<uint64_t>(id % 97));
    handler.data = nullptr;
    return 0;
}
