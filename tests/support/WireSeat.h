#pragma once
// The human's seat as the client plays it, for tests of the table server:
// it keeps its own view of the table from the records alone (its tiles from
// the hand start, the exchange and the replies; the discards; whose turn it
// is) and answers the server as the client would: the exchange choice, the
// own draw, the discard, claims on the offers it gets, its own gangs and
// the ready declaration. Where it may claim, a seeded mix decides; else it
// passes.
//
// Rules:
//  - It never reads the server's state: only the records it is sent.
//  - It asks for one thing at a time (Next), and is told the answer
//    (OnAnswer) before it is asked again.
//  - Anything in a record or an answer that its own view says cannot be
//    (an unexpected code, a tile it does not hold) is kept as a fault.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "mahjong_client/TableProtocol.h"

namespace servertest {

// A request the seat sends: waited ones get an answer through OnAnswer.
struct SeatRequest {
    uint32_t id = 0;
    std::vector<uint8_t> body;
    bool waited = true;
};

// How often the seat takes what it is offered (percent).
struct SeatMix {
    int huPercent = 95;
    int pengPercent = 80;
    int gangPercent = 90;
    int declarePercent = 60;
    int silentPassPercent = 20;  // a pass left to the window's close
    int randomDiscardPercent = 10;
    // An added gang waits until this many discards were made (the fourth
    // tile is kept meanwhile), when the others are closer to winning.
    int addedGangAfterDiscards = 0;
};

class WireSeat {
public:
    static constexpr int kSeats = 4;

    WireSeat(table_protocol::RequestHead place, uint32_t seed, SeatMix mix = {});

    void OnNotification(uint32_t id, std::span<const uint8_t> bytes);
    // What the seat sends now, if anything.
    std::optional<SeatRequest> Next();
    // The answer to the waited request Next gave last.
    void OnAnswer(const SeatRequest& request, uint32_t code, std::span<const uint8_t> data);

    // The tiles held, sorted.
    std::vector<int32_t> OwnTiles() const;
    bool InHand() const { return inHand_; }
    bool OwnTurn() const { return pending_ == Pending::kTurn; }
    bool SwapDue() const { return pending_ == Pending::kSwap; }
    // In a hand, after the exchange, with nothing to answer: another seat's
    // time.
    bool Waiting() const {
        return inHand_ && pending_ == Pending::kNone && !followUp_ && banker_ >= 0;
    }
    bool Declared() const { return declared_; }
    // The ready candidates the own turn was offered (empty without 0x40).
    const std::vector<int32_t>& ReadyCandidates() const { return candidates_; }
    int32_t Chair() const { return place_.chair; }
    const table_protocol::RequestHead& Place() const { return place_; }
    // The discards lying on the table (every seat's; a claimed one leaves),
    // as the records told them.
    int DiscardCount() const { return discardCount_; }
    // A tile the seat does not hold (-1 when it holds them all).
    int32_t TileNotHeld() const;
    // The last discard of another seat (thrower, tile); -1s before any.
    std::pair<int32_t, int32_t> LastOtherDiscard() const { return lastOtherDiscard_; }
    // The last hand start the seat was sent.
    const table_protocol::HandStartRecord& LastStart() const { return lastStart_; }
    // The number of results the seat was sent.
    size_t ResultCount() const { return resultCount_; }
    // The results that came since the last take, in order (the seat keeps
    // nothing else of them, so a long run stays at its size).
    std::vector<table_protocol::GameResultRecord> TakeResults();
    // What happened, by name, over every hand ("human peng", ...).
    const std::map<std::string, int>& Events() const { return events_; }
    const std::vector<std::string>& Faults() const { return faults_; }
    // Draws refused with 229101: the wall was empty, or a robot claimed the
    // discard the draw passed on.
    int EmptyWallRefusals() const { return emptyWall_; }

    // The body of a ready declaration (400009) with its throw, as sent.
    static std::vector<uint8_t> DeclarationBody(const table_protocol::RequestHead& place,
                                                int32_t tile);
    // Tile arithmetic of the seat's view.
    static int SuitOf(int32_t tile);
    static int IndexOf(int32_t tile);

private:
    enum class Pending { kNone, kSwap, kDraw, kTurn, kClaim };
    struct Offer {
        int32_t thrower = -1;  // or the chair whose kong may be robbed
        int32_t tile = -1;
        int32_t options = 0;
        int32_t robbedKongKind = 0;  // 0: a throw's offer
    };

    void OnHandStart(std::span<const uint8_t> bytes);
    void OnSwapDice(std::span<const uint8_t> bytes);
    void OnThrown(std::span<const uint8_t> bytes, bool declared);
    // Another seat's meld (229185, 229195, 229197, 229199).
    void OnMeld(uint32_t id, std::span<const uint8_t> bytes);
    // Another seat's kong the own seat may rob (229180).
    void OnRobbingChance(std::span<const uint8_t> bytes);
    void OnResult(std::span<const uint8_t> bytes);
    void Fault(const std::string& what);
    void Count(const std::string& event) { ++events_[event]; }
    bool Chance(int percent);

    SeatRequest SwapChoice();
    SeatRequest OwnDraw();
    std::optional<SeatRequest> TurnChoice();
    // Empty for a pass left to the window's close.
    std::optional<SeatRequest> ClaimChoice();
    SeatRequest Discard(int32_t tile);
    int32_t ChooseDiscard();
    table_protocol::OperationRecord Operation(int32_t offerChair, int32_t tile,
                                              std::array<int32_t, 3> handTiles) const;
    // Up to n held tiles of the index, leaving out one id.
    std::array<int32_t, 3> HeldOfIndex(int index, size_t n, int32_t except = -1) const;
    int HeldCount(int index) const;
    bool Holds(int32_t tile) const;
    bool Remove(int32_t tile);
    void TakeDrawReply(std::span<const uint8_t> data);
    void TakeTurnOptions(int32_t options, std::span<const int32_t> candidates);

    table_protocol::RequestHead place_;
    std::mt19937 random_;
    SeatMix mix_;
    std::vector<int32_t> tiles_;
    std::vector<std::array<int32_t, 3>> pengs_;  // the own pengs (added gangs take them)
    std::vector<std::array<int32_t, 3>> swapGiven_;
    bool inHand_ = false;
    Pending pending_ = Pending::kNone;
    Offer offer_;
    int32_t turnOptions_ = 0;
    std::vector<int32_t> candidates_;  // the ready candidates of the own turn
    int32_t lastDrawn_ = -1;
    int32_t banker_ = -1;
    bool declared_ = false;
    int discardCount_ = 0;
    std::pair<int32_t, int32_t> lastOtherDiscard_{-1, -1};
    int32_t lastThrower_ = -1;
    // A follow-up the last answer called for (the gang after its query).
    std::optional<SeatRequest> followUp_;
    table_protocol::HandStartRecord lastStart_;
    std::vector<table_protocol::GameResultRecord> results_;  // not taken yet
    size_t resultCount_ = 0;
    std::map<std::string, int> events_;
    std::vector<std::string> faults_;
    int emptyWall_ = 0;
};

}  // namespace servertest
