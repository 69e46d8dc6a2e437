#pragma once
// The regional view with its own claim and draw operations, in the play
// scene, whose play requests go to a connection that writes each request
// down and answers it from a script kept by request id.

#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "game/net/RegionalConnection.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/game/play/RegionalPlayScene.h"

namespace claims_test {

namespace tp = table_protocol;
using play_test::kDiscardSeconds;
using play_test::kReactionSeconds;

// Answers requests by id; an id with nothing queued is answered 10 with an
// empty reply.
class ScriptedPlayConnection : public CRegionalConnection {
public:
    struct Answer {
        int sent = 1;
        uint32_t result = tp::kResultDone;
        std::vector<uint8_t> reply;
    };
    struct Request {
        uint32_t id = 0;
        std::vector<uint8_t> body;
    };

    int ProcessRequest(std::string& text, uint32_t requestId, std::span<const uint8_t> body,
                       uint32_t& result, std::vector<uint8_t>& reply, int wait) override;
    tp::RequestHead MakeRequestHead() override { return head; }

    void Queue(uint32_t requestId, Answer answer) { answers[requestId].push_back(answer); }
    std::vector<Request> SentOf(uint32_t requestId) const;

    tp::RequestHead head{7001, 41, 3, 0};
    std::map<uint32_t, std::deque<Answer>> answers;
    std::vector<Request> sent;
    // The cursor shape shown while each request blocked.
    std::vector<uintptr_t> cursorsDuringRequests;
};

// The view with the real claim operations back (the play scene's view
// writes them down instead).
class ClaimsView : public play_test::WatchedRegionalView {
public:
    int SubmitPeng() override { return CRegionalTableView::SubmitPeng(); }
    int SubmitDiscardGang() override { return CRegionalTableView::SubmitDiscardGang(); }
    int SubmitConcealedGang(int32_t tile) override {
        return CRegionalTableView::SubmitConcealedGang(tile);
    }
    int SubmitAddedGang(int32_t tile) override { return CRegionalTableView::SubmitAddedGang(tile); }
    int SendGangQuery(int kind, int tileId, uint8_t* reply48) override {
        gangQueries.push_back(kind);
        (void)tileId;
        (void)reply48;
        return gangQueryAnswer;
    }

    int OnEvent(const EventRecord& record) override {
        events.push_back(record.event);
        return play_test::WatchedRegionalView::OnEvent(record);
    }

    ScriptedPlayConnection connection;
    std::vector<int> events;
    std::vector<int> gangQueries;
    int gangQueryAnswer = 1;

protected:
    CRegionalConnection* GetPlayConnection() override { return &connection; }
};

// The play scene around a ClaimsView, with a hand start stored and the
// wall built.
class ClaimsScene : public play_test::RegionalPlayScene {
public:
    explicit ClaimsScene(bool lookOn = false);
    bool OpenWithHand();
    ClaimsView& View() { return *static_cast<ClaimsView*>(view); }
    ScriptedPlayConnection& Connection() { return View().connection; }
    // The row of the own seat, and the sprite at an index.
    CCardSprite* Own(int index) { return view->GetHandSprite(3, index); }
    // An operation reply: tile, wall index, options, and with the ting flag
    // the candidates; `bytes` long.
    static std::vector<uint8_t> Reply(int32_t tile, int32_t wallIndex, int32_t options,
                                      size_t bytes = tp::kOperationReplyShortBytes,
                                      std::vector<int32_t> candidates = {});
};

}  // namespace claims_test
