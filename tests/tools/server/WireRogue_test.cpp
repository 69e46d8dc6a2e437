// A wire seat that also breaks the rules: at points of real hands it sends
// requests the server must refuse (out of turn, a tile not held, a claim
// after its window, a declaration too late, a two-suit exchange, short
// bodies, another chair's). Each gets its refusal and leaves every packed
// snapshot as it was; the hands then go on as if nothing had been sent.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "mahjong_client/TableProtocol.h"
#include "tests/support/HandRun.h"

namespace {

namespace tp = table_protocol;
using servertest::HandRun;
using servertest::WireSeat;

constexpr int kHands = 4;

struct Rogue {
    std::string name;
    uint32_t id = 0;
    std::vector<uint8_t> body;
    std::set<uint32_t> codes;  // the refusals it may get
};

tp::OperationRecord Operation(const WireSeat& seat, int32_t offerChair, int32_t tile) {
    tp::OperationRecord record;
    record.head = seat.Place();
    record.offerChair = offerChair;
    record.tile = tile;
    record.handTiles = {-1, -1, -1};
    return record;
}

std::vector<uint8_t> Declaration(const WireSeat& seat, int32_t tile) {
    return WireSeat::DeclarationBody(seat.Place(), tile);
}

// A play request of the own turn one byte short of what its id needs.
Rogue CutShort(const WireSeat& seat, int32_t heldTile, std::mt19937& random) {
    std::vector<uint8_t> body;
    uint32_t id = 0;
    switch (random() % 4) {
        case 0:
            id = tp::kDiscard;
            body = tp::WriteTableRecord(Operation(seat, seat.Chair(), heldTile));
            break;
        case 1:
            id = tp::kTingThrow;
            body = Declaration(seat, heldTile);
            break;
        case 2:
            id = tp::kConcealedGang;
            body = tp::WriteTableRecord(Operation(seat, seat.Chair(), heldTile));
            break;
        default: {
            id = tp::kHuClaim;
            tp::HuClaimRecord hu;
            hu.head = seat.Place();
            hu.offerChair = seat.Chair();
            hu.tile = heldTile;
            hu.huKind = tp::kHuSelfDrawn;
            body = tp::WriteTableRecord(hu);
            break;
        }
    }
    body.pop_back();
    return Rogue{std::to_string(id) + " cut short", id, body, {tp::kResultNotCarriedOut}};
}

// Picks a request the seat may not make at this point, if one fits.
std::optional<Rogue> PickRogue(const WireSeat& seat, std::mt19937& random) {
    const std::vector<int32_t> held = seat.OwnTiles();
    if (held.empty()) {
        return std::nullopt;
    }
    const int32_t heldTile = held[random() % held.size()];
    const int32_t chair = seat.Chair();
    const std::set<uint32_t> refused{tp::kResultNotCarriedOut};
    if (seat.SwapDue()) {
        // Two tiles of one suit and one of another.
        std::vector<int32_t> picked;
        for (const int32_t tile : held) {
            if (picked.size() < 2
                    ? (picked.empty() || WireSeat::SuitOf(tile) == WireSeat::SuitOf(picked[0]))
                    : WireSeat::SuitOf(tile) != WireSeat::SuitOf(picked[0])) {
                picked.push_back(tile);
            }
            if (picked.size() == 3) {
                break;
            }
        }
        if (picked.size() < 3) {
            return std::nullopt;
        }
        tp::SwapThreeRequest swap;
        for (size_t k = 0; k < 3; ++k) {
            swap.chairTiles[static_cast<size_t>(3 * chair) + k] = picked[k];
        }
        swap.userId = seat.Place().userId;
        swap.roomId = seat.Place().roomId;
        swap.tableNo = seat.Place().tableNo;
        swap.chair = chair;
        return Rogue{"two-suit exchange", static_cast<uint32_t>(tp::kSwapThree),
                     tp::WriteTableRecord(swap), refused};
    }
    if (seat.OwnTurn()) {
        switch (random() % 4) {
            case 0: {
                tp::OperationRecord other = Operation(seat, (chair + 1) % 4, heldTile);
                other.head.chair = (chair + 1) % 4;
                return Rogue{"discard for another chair", tp::kDiscard, tp::WriteTableRecord(other),
                             refused};
            }
            case 1:
                return CutShort(seat, heldTile, random);
            case 2: {
                // A declaration with a held tile that is not a candidate.
                const std::vector<int32_t>& candidates = seat.ReadyCandidates();
                const auto other = std::find_if(held.begin(), held.end(), [&](int32_t tile) {
                    return std::find(candidates.begin(), candidates.end(), tile) ==
                           candidates.end();
                });
                if (candidates.empty() || seat.DiscardCount() >= 4 || other == held.end()) {
                    return std::nullopt;
                }
                return Rogue{"declaration of a tile not a candidate", tp::kTingThrow,
                             Declaration(seat, *other), refused};
            }
            default: {
                if (seat.DiscardCount() < 4 || seat.Declared()) {
                    return std::nullopt;
                }
                tp::TingThrowRecord declare;
                declare.head = seat.Place();
                declare.tableNo = seat.Place().tableNo;
                declare.chair = chair;
                declare.userId = seat.Place().userId;
                declare.tile = heldTile;
                std::vector<uint8_t> body = tp::WriteTableRecord(declare);
                body.resize(tp::TingThrowRecord::SentBytes(1));
                return Rogue{"declaration after the fourth discard", tp::kTingThrow, body, refused};
            }
        }
    }
    if (seat.Waiting()) {
        const auto [thrower, tile] = seat.LastOtherDiscard();
        switch (thrower < 0 ? 0 : random() % 4) {
            case 0:
                return Rogue{"discard out of turn", tp::kDiscard,
                             tp::WriteTableRecord(Operation(seat, chair, heldTile)), refused};
            case 1: {
                tp::OperationRecord peng = Operation(seat, thrower, tile);
                peng.handTiles = {heldTile, -1, -1};
                return Rogue{"claim after its window", tp::kPengClaim, tp::WriteTableRecord(peng),
                             refused};
            }
            case 2: {
                tp::ChiClaimRecord chi;
                chi.head = seat.Place();
                chi.thrower = thrower;
                chi.tile = tile;
                chi.ownTiles = {heldTile, -1};
                return Rogue{"chi, never offered", tp::kChiClaim, tp::WriteTableRecord(chi),
                             refused};
            }
            default:
                return Rogue{"hua, never offered", tp::kHua,
                             tp::WriteTableRecord(Operation(seat, chair, heldTile)), refused};
        }
    }
    return std::nullopt;
}

// Sends the rogue request: false (with the failure added) when it was not
// refused as it must be or it changed the table.
bool Refused(HandRun& run, const Rogue& rogue, uint32_t seed) {
    const std::vector<uint8_t> before = run.Table().PackedSnapshot();
    const uint32_t code = run.SendOnly(rogue.id, rogue.body);
    if (!run.Settle()) {
        ADD_FAILURE() << rogue.name << ": the table stays busy (seed " << seed << ")";
        return false;
    }
    bool ok = true;
    if (rogue.codes.count(code) == 0) {
        ADD_FAILURE() << rogue.name << " answered " << code << " (seed " << seed << ")";
        ok = false;
    }
    if (run.Table().PackedSnapshot() != before) {
        ADD_FAILURE() << rogue.name << " changed the table (seed " << seed << ")";
        ok = false;
    }
    return ok;
}

// A pass on the own turn (auto-play presses it) is taken in silence: no
// answer, no refusal, nothing changed.
bool PassIgnored(HandRun& run, uint32_t seed) {
    const std::vector<uint8_t> before = run.Table().PackedSnapshot();
    const auto refusals = run.Table().GetCounters().refusalsByCode;
    tp::PassRecord pass;
    pass.head = run.Seat().Place();
    pass.offerChair = run.Seat().Chair();
    if (!run.Send({tp::kPass, tp::WriteTableRecord(pass), false})) {
        ADD_FAILURE() << "the pass was not taken (seed " << seed << ")";
        return false;
    }
    const bool same = run.Table().PackedSnapshot() == before &&
                      run.Table().GetCounters().refusalsByCode == refusals;
    EXPECT_TRUE(same) << "a pass outside a window changed the table (seed " << seed << ")";
    return same;
}

TEST(WireRogue, RefusedRequestsChangeNothingAndTheHandsGoOn) {
    std::map<std::string, int> tried;
    for (uint32_t seed = 11; seed < 15; ++seed) {
        HandRun run(seed, static_cast<int32_t>(seed % 4));
        std::mt19937 random(seed);
        ASSERT_TRUE(run.Enter());
        HandRun::Step step = HandRun::Step::kGoOn;
        bool ok = true;
        for (int steps = 0; ok && step == HandRun::Step::kGoOn && steps < 20000; ++steps) {
            ASSERT_TRUE(run.Settle());
            if (random() % 4 == 0 && !run.Seat().SwapDue()) {
                if (std::optional<Rogue> rogue = PickRogue(run.Seat(), random)) {
                    ok = Refused(run, *rogue, seed);
                    ++tried[rogue->name];
                }
            } else if (run.Seat().OwnTurn() && random() % 8 == 0) {
                ok = PassIgnored(run, seed);
                ++tried["pass outside a window"];
            }
            step = ok ? run.Advance(kHands) : HandRun::Step::kStopped;
        }
        // Past a request wrongly carried out the seat's view is no longer the
        // table's: the seed stops there.
        if (!ok) {
            continue;
        }
        EXPECT_EQ(step, HandRun::Step::kDone) << "seed " << seed;
        EXPECT_EQ(run.Seat().ResultCount(), static_cast<size_t>(kHands));
        for (const std::string& fault : run.Seat().Faults()) {
            ADD_FAILURE() << "seed " << seed << ": " << fault;
        }
        for (const std::string& fault : run.TakeFaults()) {
            ADD_FAILURE() << fault;
        }
    }
    for (const char* name : {"discard for another chair", "declaration after the fourth discard",
                             "discard out of turn", "claim after its window", "chi, never offered",
                             "hua, never offered", "pass outside a window", "222080 cut short",
                             "400009 cut short", "229047 cut short", "229030 cut short"}) {
        EXPECT_GT(tried[name], 0) << name << " never tried";
    }
}

// A ready declaration must name one of the candidates it was offered: at the
// first own turn of the seeds that offers the ready option, another held
// tile is refused.
TEST(WireRogue, DeclarationOfATileNotACandidateIsRefused) {
    bool tried = false;
    for (uint32_t seed = 1; seed < 40 && !tried; ++seed) {
        HandRun run(seed, static_cast<int32_t>(seed % 4));
        ASSERT_TRUE(run.Enter());
        for (int steps = 0; steps < 20000 && !tried; ++steps) {
            ASSERT_TRUE(run.Settle());
            const WireSeat& seat = run.Seat();
            if (seat.OwnTurn() && !seat.ReadyCandidates().empty() && seat.DiscardCount() < 4) {
                std::mt19937 random(seed);
                const std::optional<Rogue> rogue = [&]() -> std::optional<Rogue> {
                    for (int k = 0; k < 64; ++k) {
                        std::optional<Rogue> picked = PickRogue(seat, random);
                        if (picked && picked->name == "declaration of a tile not a candidate") {
                            return picked;
                        }
                    }
                    return std::nullopt;
                }();
                if (rogue) {
                    Refused(run, *rogue, seed);
                    tried = true;
                }
            }
            if (run.Advance(3) != HandRun::Step::kGoOn) {
                break;
            }
        }
    }
    EXPECT_TRUE(tried) << "no seed offered the ready option early";
}

// On the own turn, a discard of an id the seat does not hold: one of a kind
// it holds (another copy), and one of a kind it does not hold at all.
TEST(WireRogue, DiscardOfATileNotHeldIsRefused) {
    int tried = 0;
    for (uint32_t seed = 31; seed < 35; ++seed) {
        HandRun run(seed, static_cast<int32_t>(seed % 4));
        ASSERT_TRUE(run.Enter());
        for (int steps = 0; steps < 20000 && !run.Seat().OwnTurn(); ++steps) {
            ASSERT_EQ(run.Advance(1), HandRun::Step::kGoOn) << "seed " << seed;
            ASSERT_TRUE(run.Settle());
        }
        ASSERT_TRUE(run.Seat().OwnTurn()) << "seed " << seed;
        const std::vector<int32_t> held = run.Seat().OwnTiles();
        int32_t copy = -1;    // another copy of a held kind
        int32_t absent = -1;  // a kind not held
        for (int32_t tile = 0; tile < tp::kWallSize; ++tile) {
            if (std::find(held.begin(), held.end(), tile) != held.end()) {
                continue;
            }
            const bool kindHeld = std::any_of(held.begin(), held.end(), [&](int32_t h) {
                return WireSeat::IndexOf(h) == WireSeat::IndexOf(tile);
            });
            int32_t& found = kindHeld ? copy : absent;
            if (found < 0) {
                found = tile;
            }
        }
        const std::set<uint32_t> codes{tp::kResultNotCarriedOut, tp::kResultDiscardRefused};
        for (const int32_t tile : {absent, copy}) {
            if (tile < 0) {
                continue;
            }
            const Rogue rogue{
                "discard of tile " + std::to_string(tile) + ", not held", tp::kDiscard,
                tp::WriteTableRecord(Operation(run.Seat(), run.Seat().Chair(), tile)), codes};
            ++tried;
            if (!Refused(run, rogue, seed)) {
                break;
            }
        }
    }
    EXPECT_GT(tried, 0);
}

// A two-suit choice is not refused: the server answers it and makes the
// seat's choice itself (three tiles of one suit), so the exchange never stops
// midway.
TEST(WireRogue, TwoSuitExchangeIsReplacedByTheAutomaticChoice) {
    for (uint32_t seed = 21; seed < 24; ++seed) {
        HandRun run(seed, static_cast<int32_t>(seed % 4));
        ASSERT_TRUE(run.Enter());
        ASSERT_TRUE(run.AskStart());
        ASSERT_TRUE(run.Settle());
        ASSERT_TRUE(run.Seat().SwapDue()) << "seed " << seed;
        std::mt19937 random(seed);
        const std::optional<Rogue> rogue = PickRogue(run.Seat(), random);
        ASSERT_TRUE(rogue);
        ASSERT_EQ(rogue->name, "two-suit exchange");
        EXPECT_EQ(run.SendOnly(rogue->id, rogue->body), tp::kResultDone) << "seed " << seed;
        run.Seat().Next();  // its own choice is not sent
        for (int steps = 0; steps < 20000; ++steps) {
            const HandRun::Step step = run.Advance(1);
            if (step != HandRun::Step::kGoOn) {
                EXPECT_EQ(step, HandRun::Step::kDone) << "seed " << seed;
                break;
            }
        }
        EXPECT_EQ(run.Seat().ResultCount(), 1u) << "seed " << seed;
        for (const std::string& fault : run.Seat().Faults()) {
            ADD_FAILURE() << "seed " << seed << ": " << fault;
        }
        for (const std::string& fault : run.TakeFaults()) {
            ADD_FAILURE() << fault;
        }
    }
}

}  // namespace
