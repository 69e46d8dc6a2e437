#include "tools/table_driver/TableDriver.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "mahjong_tiles/Random.h"
#include "mahjong_tiles/TableHelpers.h"

namespace {

// The engine's generator: a 64-bit LCG, its reseeds mixed with a salt.
struct EngineRandom {
    static inline uint64_t state = 1;
    static inline uint64_t salt = 0;
    static uint32_t Seconds() { return DriverClock::now / 1000; }
    static void Seed(uint32_t seed) { state = (uint64_t{seed} << 1) ^ salt ^ 0x5DEECE66Dull; }
    static int Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((state >> 33) & 0x7FFFFFFF);
    }
};

// The players the driver seats: plain table players.
class DriverSeat : public TablePlayer {};

// While a claim is held or a robbing window is open the clock moves in
// these steps, at most this many times (well past any time-out).
constexpr uint32_t kWaitStepMs = 500;
constexpr int kMaxWaitSteps = 400;
// How long the driver waits before the exchange by time-out.
constexpr uint32_t kSwapTimeOutMs = 15000;

std::array<int32_t, 64> DiscardList(int tile) {
    std::array<int32_t, 64> list;
    list.fill(-1);
    list[0] = tile;
    return list;
}

}  // namespace

ScopedDriverSources::ScopedDriverSources(uint64_t salt) {
    DriverClock::now = 1000;
    EngineRandom::salt = salt;
    EngineRandom::state = salt | 1;
    SetTickSource(&DriverClock::Read);
    SetRandomSource({&EngineRandom::Seconds, &EngineRandom::Seed, &EngineRandom::Next});
}

ScopedDriverSources::~ScopedDriverSources() {
    RestoreDefaultTickSource();
    RestoreDefaultRandomSource();
}

void ScopedDriverSources::SetSalt(uint64_t salt) {
    EngineRandom::salt = salt;
}

TableRequest MakeTableRequest(int seat, int source, int tile, std::array<int32_t, 3> handTiles) {
    TableRequest request;
    request.words[3] = seat;
    request.words[4] = source;
    request.words[5] = tile;
    for (int k = 0; k < 3; ++k) {
        request.words[6 + k] = handTiles[k];
    }
    return request;
}

TableDriver::TableDriver(CRegionalMahjongRules& table, std::array<SeatPlayer*, 4> players,
                         TableDriverOptions options)
    : table_(table), players_(players), options_(std::move(options)) {}

bool TableDriver::SeatPlayers() {
    if (!table_.SetTableSettings(options_.settings)) {
        return false;
    }
    table_.SetTestDealReplay(options_.testDealReplay);
    for (int chair = 0; chair < 4; ++chair) {
        auto player = std::make_unique<DriverSeat>();
        player->userId = 1000 + chair;
        player->chair = chair;
        player->score = options_.startScore;
        player->silver = options_.startSilver;
        if (table_.AddPlayer(std::move(player)) <= 0 || !table_.MarkReady(chair)) {
            return false;
        }
    }
    return true;
}

void TableDriver::Refused(SeatActionKind kind) {
    ++stats_.refusedOffers;
    ++stats_.refusedByKind[static_cast<size_t>(kind)];
}

void TableDriver::Step(std::string_view operation) {
    ++operations_;
    // Time passes between operations, so the engine's reseeds differ.
    DriverClock::Advance(37 + static_cast<uint32_t>(operations_ % 11));
    if (afterOperation) {
        afterOperation(operation);
    }
    if (stopRequested_) {
        operations_ = options_.maxOperationsPerHand + 1;
    }
}

SeatAction TableDriver::Ask(int seat, std::vector<SeatAction> options) {
    SeatDecision decision{seat, std::move(options)};
    size_t k = players_[static_cast<size_t>(seat)]->Choose(table_, decision);
    if (k >= decision.options.size()) {
        k = 0;
    }
    const SeatAction& offered = decision.options[k];
    const SeatAction meant = players_[static_cast<size_t>(seat)]->Meant(table_, decision, k);
    return IsCopyOf(seat, meant, offered) ? meant : offered;
}

bool TableDriver::IsCopyOf(int seat, const SeatAction& meant, const SeatAction& offered) const {
    // An exchange choice may take any held tiles of the offered suit.
    const bool bySuit = offered.kind == SeatActionKind::kSwapChoice;
    auto sameKind = [&](int32_t a, int32_t b) {
        if (a == b) {
            return true;
        }
        const int ia = table_.IndexOf(a);
        const int ib = table_.IndexOf(b);
        return ia >= 0 && ib >= 0 && (bySuit ? ia / 10 == ib / 10 : ia == ib);
    };
    auto heldCopy = [&](int32_t meantTile, int32_t offeredTile) {
        return meantTile == offeredTile ||
               (sameKind(meantTile, offeredTile) && table_.SeatHoldsTile(seat, meantTile));
    };
    if (meant.kind != offered.kind) {
        return false;
    }
    // The claimed tile is the one on the table; only own tiles may differ.
    const bool ownTile = offered.kind == SeatActionKind::kDiscard ||
                         offered.kind == SeatActionKind::kDeclareReady ||
                         offered.kind == SeatActionKind::kConcealedKong;
    if (meant.tile != offered.tile && !(ownTile && heldCopy(meant.tile, offered.tile))) {
        return false;
    }
    for (size_t k = 0; k < meant.handTiles.size(); ++k) {
        if (!heldCopy(meant.handTiles[k], offered.handTiles[k])) {
            return false;
        }
        for (size_t j = 0; j < k; ++j) {
            if (meant.handTiles[k] >= 0 && meant.handTiles[j] == meant.handTiles[k]) {
                return false;
            }
        }
    }
    return true;
}

std::vector<int32_t> TableDriver::HeldIdsOfIndex(int seat, int index) const {
    std::vector<int32_t> ids;
    for (const CardRecord& record : table_.Wall()) {
        if (record.state == kCardInHand && record.owner == seat &&
            table_.IndexOf(record.id) == index) {
            ids.push_back(record.id);
        }
    }
    return ids;
}

HandOutcome TableDriver::PlayHand() {
    HandOutcome outcome;
    operations_ = 0;
    stopRequested_ = false;
    for (int seat = 0; seat < 4; ++seat) {
        table_.SetUserFlags(seat, options_.playerFlags);
    }
    int chair = -1;
    outcome.startRefusal = table_.StartGame(options_.round, chair);
    if (outcome.startRefusal != 1) {
        outcome.refusedChair = chair;
        return outcome;
    }
    outcome.banker = table_.Banker();
    Step("StartGame");
    if (!RunSwap()) {
        return outcome;
    }
    table_.StartPlayAfterSwap();
    Step("StartPlayAfterSwap");

    int seat = table_.GetActiveChair();
    // The banker's options after the exchange.
    turnOptions_ = table_.ClaimOptions(seat);
    int drawn = table_.LastDrawnTile();
    if (!table_.SeatHoldsTile(seat, drawn)) {
        drawn = table_.FirstHeldTile(seat);
    }
    Next next = Next::kTurn;
    while (next == Next::kTurn) {
        if (operations_ > options_.maxOperationsPerHand) {
            return outcome;
        }
        next = Turn(seat, drawn);
        if (next != Next::kTurn) {
            break;
        }
        const int source = seat;
        next = Claims(source, table_.DiscardedTile(), seat, drawn);
    }
    if (next == Next::kStuck) {
        return outcome;
    }
    EndHand(outcome, next == Next::kWon);
    return outcome;
}

bool TableDriver::RunSwap() {
    for (int seat = 0; seat < 4; ++seat) {
        std::vector<SeatAction> options{{SeatActionKind::kSwapByTimeOut}};
        for (int suit = 0; suit < 3; ++suit) {
            SeatAction choice{SeatActionKind::kSwapChoice};
            int taken = 0;
            for (const CardRecord& record : table_.Wall()) {
                if (taken < 3 && record.state == kCardInHand && record.owner == seat &&
                    table_.IndexOf(record.id) / 10 == suit) {
                    choice.handTiles[static_cast<size_t>(taken++)] = record.id;
                }
            }
            if (taken == 3) {
                options.push_back(choice);
            }
        }
        const SeatAction chosen = Ask(seat, std::move(options));
        if (chosen.kind != SeatActionKind::kSwapChoice) {
            continue;
        }
        SwapRecord record;
        record.words[SwapRecord::kSubmitterWord] = seat;
        for (int k = 0; k < 3; ++k) {
            record.SetChoice(seat, k, chosen.handTiles[static_cast<size_t>(k)]);
        }
        const int exchanged = table_.SubmitSwapChoice(record);
        Step("SubmitSwapChoice");
        if (exchanged == 1) {
            ++stats_.dice[static_cast<size_t>(std::clamp(table_.SwapDie(), 0, 6))];
            return true;
        }
    }
    DriverClock::Advance(kSwapTimeOutMs);
    SwapRecord record;
    if (table_.AutoSwapChoice(record) != 1) {
        return false;
    }
    Step("AutoSwapChoice");
    ++stats_.dice[static_cast<size_t>(std::clamp(table_.SwapDie(), 0, 6))];
    return true;
}

TableDriver::Next TableDriver::Turn(int seat, int drawn) {
    std::vector<SeatActionKind> refused;
    while (operations_ <= options_.maxOperationsPerHand) {
        auto wasRefused = [&](SeatActionKind kind) {
            return std::find(refused.begin(), refused.end(), kind) != refused.end();
        };
        const int32_t offered = turnOptions_;
        std::vector<SeatAction> options;
        if ((offered & kClaimHu) != 0 && drawn >= 0 && !wasRefused(SeatActionKind::kSelfDrawnHu)) {
            options.push_back({SeatActionKind::kSelfDrawnHu, drawn});
        }
        // Kongs are the seat's own to make; a declared seat only the one
        // the engine offered, which keeps its waits.
        // With the wall empty there is no replacement to draw.
        if (!table_.IsWallEmpty() &&
            (!table_.HasDeclaredReady(seat) || (offered & kClaimGang) != 0)) {
            for (int index = 1; index < kHandKinds; ++index) {
                if (table_.Counts(seat)[index] == 4 &&
                    !wasRefused(SeatActionKind::kConcealedKong)) {
                    const auto ids = HeldIdsOfIndex(seat, index);
                    options.push_back(
                        {SeatActionKind::kConcealedKong, ids[3], {ids[0], ids[1], ids[2]}});
                }
            }
            for (const MeldEntry& peng : table_.Melds(seat, kMeldPeng)) {
                const auto ids = HeldIdsOfIndex(seat, table_.IndexOf(peng.tiles[0]));
                if (!ids.empty() && !wasRefused(SeatActionKind::kAddedKong)) {
                    options.push_back({SeatActionKind::kAddedKong,
                                       ids[0],
                                       {peng.tiles[0], peng.tiles[1], peng.tiles[2]}});
                }
            }
        }
        if (table_.IsReadyGranted(seat) && !wasRefused(SeatActionKind::kDeclareReady)) {
            for (const int32_t candidate : table_.ReadyCandidates()) {
                if (candidate < 0) {
                    break;
                }
                if (table_.SeatHoldsTile(seat, candidate)) {
                    options.push_back({SeatActionKind::kDeclareReady, candidate});
                }
            }
        }
        std::array<bool, kHandKinds> listed{};
        for (const CardRecord& record : table_.Wall()) {
            const int index = table_.IndexOf(record.id);
            if (record.state == kCardInHand && record.owner == seat && index >= 0 &&
                !listed[index]) {
                listed[index] = true;
                options.push_back({SeatActionKind::kDiscard, record.id});
            }
        }
        if (options.empty()) {
            return Next::kStuck;
        }
        const SeatAction chosen = Ask(seat, std::move(options));
        switch (chosen.kind) {
            case SeatActionKind::kSelfDrawnHu: {
                TableRequest request = MakeTableRequest(seat, seat, chosen.tile);
                request.words[6] = kHuSelfDrawn;
                if (table_.ResolveHu(request) > 0) {
                    Step("ResolveHu self-drawn");
                    return Next::kWon;
                }
                break;
            }
            case SeatActionKind::kConcealedKong: {
                const TableRequest request =
                    MakeTableRequest(seat, seat, chosen.tile, chosen.handTiles);
                if (table_.ConcealedKong(request) == 1) {
                    ++stats_.concealedKongs;
                    Step("ConcealedKong");
                    const Next next = DrawFor(seat, true, drawn);
                    if (next != Next::kTurn) {
                        return next;
                    }
                    refused.clear();
                    continue;
                }
                break;
            }
            case SeatActionKind::kAddedKong: {
                TableRequest request = MakeTableRequest(seat, seat, chosen.tile, chosen.handTiles);
                request.words[9] = kKongAdded;
                int nextSeat = seat;
                const Next next = AnnouncedKong(request, nextSeat, drawn);
                if (next == Next::kStuck) {
                    break;  // not announced: refused below
                }
                if (next != Next::kTurn) {
                    return next;
                }
                refused.clear();
                continue;
            }
            case SeatActionKind::kDeclareReady:
                if (table_.DeclareReady(seat, chosen.tile) != 1) {
                    break;
                }
                ++stats_.declarations;
                Step("DeclareReady");
                [[fallthrough]];
            case SeatActionKind::kDiscard:
                if (table_.Discard(seat, DiscardList(chosen.tile)) == 1) {
                    Step("Discard");
                    table_.ClearStateFlags(kStateTurnPhase);
                    table_.AddStateFlags(kStateClaimPhase);
                    Step("OpenClaims");
                    return Next::kTurn;
                }
                break;
            default:
                break;
        }
        // The engine refused an action it had offered.
        Refused(chosen.kind);
        refused.push_back(chosen.kind);
        if (chosen.kind == SeatActionKind::kDiscard) {
            return Next::kStuck;
        }
    }
    return Next::kStuck;
}

TableDriver::Next TableDriver::Claims(int source, int tile, int& nextSeat, int& drawn) {
    ClaimRound round;
    round.source = source;
    const int index = table_.IndexOf(tile);
    std::array<int, 3> order{};
    for (int k = 0, s = table_.GetPrevSeat(source); k < 3; ++k, s = table_.GetPrevSeat(s)) {
        order[static_cast<size_t>(k)] = s;
    }
    if (options_.claimsInPlayOrder) {
        std::stable_partition(order.begin(), order.end(),
                              [&](int s) { return (table_.ClaimOptions(s) & kClaimHu) != 0; });
    } else {
        // The seats answer in a varying order, so lower claims sometimes come first.
        std::rotate(order.begin(), order.begin() + operations_ % 3, order.end());
    }

    bool haveHeld = false;
    TableRequest held;
    int heldKind = 0;
    auto carryOut = [&](TableRequest request, int kind) -> Next {
        const int seat = request.Seat();
        round.carriedOut = seat;
        round.carriedRank = table_.ClaimPriority(seat, source, kind);
        if (afterClaims) {
            afterClaims(round);
        }
        if (kind == kClaimPeng) {
            request.words[11] = seat;
            if (table_.Peng(request) != 1) {
                Refused(SeatActionKind::kPeng);
                return Next::kStuck;
            }
            ++stats_.pengs;
            turnOptions_ = 0;
            Step("Peng");
            nextSeat = seat;
            drawn = -1;
            return Next::kTurn;
        }
        request.words[9] = kKongOnDiscard;
        nextSeat = seat;
        return AnnouncedKong(request, nextSeat, drawn);
    };

    for (const int seat : order) {
        const int32_t offered = table_.ClaimOptions(seat);
        if (offered == 0 || table_.HasAnswered(seat)) {
            continue;
        }
        std::vector<SeatAction> options{{SeatActionKind::kPass}};
        const auto ids = HeldIdsOfIndex(seat, index);
        if ((offered & kClaimPeng) != 0 && ids.size() >= 2) {
            options.push_back({SeatActionKind::kPeng, tile, {ids[0], ids[1], -1}});
        }
        if ((offered & kClaimGang) != 0 && ids.size() >= 3) {
            options.push_back({SeatActionKind::kExposedKong, tile, {ids[0], ids[1], ids[2]}});
        }
        if ((offered & kClaimHu) != 0) {
            options.push_back({SeatActionKind::kDiscardHu, tile});
        }
        const SeatAction chosen = Ask(seat, std::move(options));
        const TableRequest request = MakeTableRequest(seat, source, tile, chosen.handTiles);
        if (chosen.kind == SeatActionKind::kDiscardHu) {
            round.claims.push_back({seat, table_.ClaimPriority(seat, source, kClaimHu)});
            TableRequest hu = request;
            hu.words[6] = kHuOnDiscard;
            if (table_.ResolveHu(hu) > 0) {
                round.carriedOut = seat;
                round.carriedRank = table_.ClaimPriority(seat, source, kClaimHu);
                if (afterClaims) {
                    afterClaims(round);
                }
                Step("ResolveHu on discard");
                return Next::kWon;
            }
            Refused(SeatActionKind::kDiscardHu);
        }
        if (chosen.kind == SeatActionKind::kPeng || chosen.kind == SeatActionKind::kExposedKong) {
            const int kind = chosen.kind == SeatActionKind::kPeng ? kClaimPeng : kClaimGang;
            round.claims.push_back({seat, table_.ClaimPriority(seat, source, kind)});
            if (table_.WaitForHigherClaim(request, kind) == 1) {
                ++stats_.heldClaims;
                Step("WaitForHigherClaim");
                haveHeld = true;
                held = request;
                heldKind = kind;
                continue;
            }
            return carryOut(request, kind);
        }
        table_.AnswerClaim(seat, source);
        Step("AnswerClaim");
    }
    if (haveHeld) {
        for (int k = 0; k < kMaxWaitSteps && table_.WaitForHigherClaim(held, heldKind) == 1; ++k) {
            DriverClock::Advance(kWaitStepMs);
        }
        return carryOut(held, heldKind);
    }
    if (afterClaims) {
        afterClaims(round);
    }
    for (int k = 0;
         k < kMaxWaitSteps && table_.AllAnswered(source) == 0 && !table_.IsClaimTimeOut(); ++k) {
        DriverClock::Advance(kWaitStepMs);
    }
    nextSeat = table_.GetPrevSeat(source);
    return DrawFor(nextSeat, false, drawn);
}

TableDriver::Next TableDriver::AnnouncedKong(TableRequest request, int& nextSeat, int& drawn) {
    const int seat = request.Seat();
    const int kind = request.KongKind();
    if (table_.AnnounceKong(request) != 1) {
        return Next::kStuck;
    }
    Step("AnnounceKong");
    const int32_t tile = request.Tile();
    bool anyRobber = false;
    for (int robber = 0; robber < 4; ++robber) {
        if (robber == seat || (table_.ClaimOptions(robber) & kClaimHu) == 0) {
            continue;
        }
        stats_.robbingWindows += anyRobber ? 0 : 1;
        anyRobber = true;
        const SeatAction chosen =
            Ask(robber, {{SeatActionKind::kPass}, {SeatActionKind::kRobKong, tile}});
        if (chosen.kind == SeatActionKind::kRobKong) {
            TableRequest rob = MakeTableRequest(robber, seat, tile);
            rob.words[6] = kHuRobbing;
            rob.words[7] = kind;
            if (table_.ResolveHu(rob) > 0) {
                Step("ResolveHu robbing");
                return Next::kWon;
            }
            Refused(SeatActionKind::kRobKong);
        }
        table_.AnswerClaim(robber, seat);
        Step("AnswerClaim robbing");
    }
    for (int k = 0; k < kMaxWaitSteps && anyRobber && table_.IsRobbingWindowOpen(); ++k) {
        DriverClock::Advance(kWaitStepMs);
    }
    const bool made =
        kind == kKongOnDiscard ? table_.ExposedKong(request) == 1 : table_.AddedKong(request) == 1;
    if (!made) {
        Refused(kind == kKongOnDiscard ? SeatActionKind::kExposedKong : SeatActionKind::kAddedKong);
        return Next::kStuck;
    }
    ++(kind == kKongOnDiscard ? stats_.exposedKongs : stats_.addedKongs);
    Step(kind == kKongOnDiscard ? "ExposedKong" : "AddedKong");
    nextSeat = seat;
    return DrawFor(seat, true, drawn);
}

TableDriver::Next TableDriver::DrawFor(int seat, bool fromBack, int& drawn) {
    const int id = table_.IsWallEmpty() ? -1
                                        : (fromBack ? table_.DrawBack(seat)
                                                    : table_.RecordTileId(table_.DrawFront(seat)));
    if (id < 0) {
        return Next::kDrawnHand;
    }
    BeginTurn(seat);
    Step(fromBack ? "DrawBack" : "DrawFront");
    turnOptions_ = table_.SelfOptions(seat, id);
    Step("SelfOptions");
    drawn = id;
    return Next::kTurn;
}

void TableDriver::BeginTurn(int seat) {
    // A draw begins a turn of its own: a meld's bar on self-drawn hu (the
    // seat drew nothing) no longer applies after the replacement draw.
    table_.ClearStateFlags(kStateClaimPhase | kStateTurnAfterMeld | kStateTurnNoSelfHu);
    table_.AddStateFlags(kStateTurnPhase);
    table_.SetActiveChair(seat);
}

void TableDriver::EndHand(HandOutcome& outcome, bool won) {
    if (won) {
        TableRequest request;
        request.words[3] = table_.WinnerSeat();
        request.words[4] = table_.WonTile();
        if (table_.SetAsideTile(request) != 1) {
            Refused(SeatActionKind::kPass);
        }
        Step("SetAsideTile");
        table_.AddStateFlags(kStateHandOver);
    } else {
        table_.DrawnHand();
    }
    Step(won ? "HandOver" : "DrawnHand");
    table_.SetEndFlags();
    Step("SetEndFlags");
    table_.FinishGame(outcome.result, -1);
    Step("FinishGame");
    outcome.record.assign(static_cast<size_t>(table_.GetResultSize()), 0);
    table_.PackResult(outcome.record, outcome.result);
    outcome.endFlags = table_.EndFlags();
    outcome.winner = won ? table_.WinnerSeat() : -1;
    for (int s = 0; s < 4; ++s) {
        outcome.points[static_cast<size_t>(s)] = outcome.result.chairValues[static_cast<size_t>(s)];
    }
    if ((outcome.endFlags & kEndRobbing) != 0) {
        ++stats_.robbingWins;
    } else if ((outcome.endFlags & kEndSelfDrawn) != 0) {
        ++stats_.selfDrawnWins;
    } else if ((outcome.endFlags & kEndOnDiscard) != 0) {
        ++stats_.discardWins;
    } else {
        ++stats_.drawnHands;
    }
    Step("PackResult");
    table_.RecordHandScores(outcome.result);
    table_.UpdateBankerStreak();
    Step("UpdateBankerStreak");
    table_.Reset(false);
    ++stats_.hands;
    outcome.played = true;
    Step("Reset");
}
