// The flat records CMahjongTableLogic writes: the game-state snapshot of a
// viewer seat (9436 bytes), its table header, the meld block, the per-player
// record and the hand result. Every word is little-endian and signed; every
// record is zeroed first, and a buffer shorter than its record is refused with
// nothing written.

#include <algorithm>
#include <limits>

#include "mahjong_logic/MahjongTableLogic.h"
#include "mahjong_logic/RecordWords.h"

namespace {

// Seconds since a tick, 0 when the tick is not set or lies ahead.
int32_t SecondsSince(uint32_t tick, uint32_t now) {
    if (tick == 0) {
        return 0;
    }
    const uint32_t elapsed = now - tick;
    return elapsed > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())
               ? 0
               : static_cast<int32_t>(elapsed / 1000);
}

constexpr int kMeldsWritten = 6;
constexpr int kMeldEntryWords = 7;
constexpr int kMeldListWords = 172;  // 4 seats x 6 entries x 7 words + 4 lengths
constexpr int kTileListPlaces = 36;
constexpr int kDiscardBlockWord = 860;
constexpr int kSetAsideBlockWord = 1008;

// Where the snapshot keeps what (word indices).
namespace snapshot {
constexpr size_t kNotBankerFlags = 32;
constexpr size_t kDice = 40;
constexpr size_t kHiddenBlock = 99;
constexpr size_t kHands = 131;
constexpr size_t kBidCount = 643;
constexpr size_t kBids = 644;
constexpr size_t kStake = 868;
constexpr size_t kClaimOptions = 885;
constexpr size_t kFeeds = 903;
constexpr size_t kMeldBlock = 951;
constexpr size_t kHistory = 2107;
constexpr size_t kTotals = 2347;
}  // namespace snapshot

// Where the per-player record keeps the score history and the totals.
constexpr size_t kPlayerHistoryWord = 22;
constexpr size_t kPlayerTotalsWord = 262;

}  // namespace

bool CMahjongTableLogic::PackTableHeader(std::span<uint8_t> buffer) {
    if (buffer.size() < static_cast<size_t>(kTableHeaderBytes)) {
        return false;
    }
    RecordWords out(buffer);
    const int32_t table[8] = {TableNumber(),
                              BaseParameter(),
                              LevelUnit(),
                              PlayerCount(),
                              static_cast<int32_t>(RuleFlags()),
                              SecondBaseParameter(),
                              ScoreBase(),
                              SilverBase()};
    out.Words(0, table);
    out.At(32, GameCounter());
    out.At(36, OptionWord(1));
    out.At(40, OptionWord(0));
    out.At(44, Banker());
    out.At(48, bankerStreak_);
    out.At(52, GetGamePhase());
    out.At(56, static_cast<int32_t>(TableState()));
    const int banker = Banker();
    out.At(60,
           (TableState() & kTablePlaying) != 0 && IsValidSeat(banker) && claimOptions_[banker] != 0
               ? 8
               : 0);
    out.At(64, currentSeat_);
    out.At(68, actingSeat_);
    out.At(72, operationTimeout_);
    out.At(76, parameters_.snapshotParameter17);
    out.At(80, parameters_.snapshotParameter18);
    out.At(84, FurtherWord());
    out.At(88, GetFirstGameFlag());
    out.Words(92 / 4, dice_);
    out.At(108, seatCounter_);
    out.At(112, (RuleFlags() & kMahjongRuleNoChi) == 0 ? 1 : 0);
    out.At(116, (RuleFlags() & 0x20000000u) != 0 ? 1 : 0);
    out.At(120, (RuleFlags() & 0x40000000u) != 0 ? 1 : 0);
    out.At(124, (RuleFlags() & 0x80000000u) != 0 ? 1 : 0);
    out.At(128, wallStart_);
    out.At(132, wildPosition_);
    out.At(136, wildTile1_);
    out.At(140, wildTile2_);
    out.At(144, RecordTileId(wildPosition_));
    out.At(148, drawnBack_);
    out.At(152, frontPosition_);
    out.At(156, claimTimeout_);
    out.At(160, 2);
    out.At(164, SecondsSince(PhaseTick(), Now()));
    return true;
}

bool CMahjongTableLogic::PackHeader(std::span<uint8_t> buffer, int /*viewer*/, bool /*hide*/) {
    const size_t size = static_cast<size_t>(GetHeaderSize());
    if (!ZeroRecord(buffer, size)) {
        return false;
    }
    return PackTableHeader(buffer.first(size));
}

bool CMahjongTableLogic::PackMelds(std::span<uint8_t> buffer) {
    if (buffer.size() < static_cast<size_t>(kMeldBlockWords) * 4) {
        return false;
    }
    RecordWords out(buffer);
    for (int list = 0; list < kMeldListCount; ++list) {
        const size_t base = static_cast<size_t>(list) * kMeldListWords;
        for (int seat = 0; seat < kMahjongSeats; ++seat) {
            const auto& melds = melds_[seat][list];
            for (int m = 0; m < kMeldsWritten; ++m) {
                const size_t at =
                    base + static_cast<size_t>(seat * kMeldsWritten + m) * kMeldEntryWords;
                MeldEntry entry;  // empty: four -1 tiles, source -1
                if (m < static_cast<int>(melds.size())) {
                    entry = melds[m];
                }
                out.Words(at, entry.tiles);
                out.Word(at + 4, entry.source);
                out.Word(at + 5, entry.flags);
                out.Word(at + 6, entry.spare);
            }
            out.Word(base + 168 + seat, static_cast<int32_t>(melds.size()));
        }
    }
    for (int seat = 0; seat < kMahjongSeats; ++seat) {
        const size_t place = static_cast<size_t>(seat) * kTileListPlaces;
        out.IdList(kDiscardBlockWord + place, discards_[seat], kTileListPlaces);
        out.Word(kDiscardBlockWord + 144 + seat, static_cast<int32_t>(discards_[seat].size()));
        out.IdList(kSetAsideBlockWord + place, setAside_[seat], kTileListPlaces);
        out.Word(kSetAsideBlockWord + 144 + seat, static_cast<int32_t>(setAside_[seat].size()));
    }
    return true;
}

bool CMahjongTableLogic::PackGameState(std::span<uint8_t> buffer, int viewer, bool hide) {
    if (!ZeroRecord(buffer, kGameStateBytes)) {
        return false;
    }
    // A viewer outside the table sees no hand.
    const bool showViewer = !hide && IsValidSeat(viewer);
    RecordWords out(buffer);
    const int banker = Banker();

    const int32_t identity[4] = {BaseParameter(), LevelUnit(), PlayerCount(),
                                 static_cast<int32_t>(RuleFlags())};
    out.Words(0, identity);
    const int32_t baseWords[8] = {TableNumber(),    SecondBaseParameter(), ScoreBase(),
                                  SilverBase(),     GameCounter(),         GetFirstGameFlag(),
                                  GetActiveChair(), TimeLimitMs()};
    out.Words(4, baseWords);
    for (int c = 0; c < kMaxChairs; ++c) {
        const TablePlayer* player = SeatedPlayer(c);
        out.Word(12 + c, static_cast<int32_t>(ChairFlags(c)));
        out.Word(20 + c, Side(c));
        out.Word(46 + c, ThinkingTime(c));
        out.Word(54 + c, LateCount(c));
        out.Word(62 + c, Relief(c));
        out.Word(70 + c, player != nullptr ? player->userId : 0);
    }
    out.Word(28, ModeWord());
    out.Word(29, OptionWord(0));
    out.Word(30, GameCounter());
    out.Word(31, banker);
    out.Words(snapshot::kNotBankerFlags, notBankerFlags_);
    out.Words(snapshot::kDice, dice_);
    out.Word(44, static_cast<int32_t>(TableState()));
    out.Word(45, GetGamePhase());
    out.Word(78, static_cast<int32_t>(StartTime()));
    out.Word(79, GetPauseSeconds());
    out.Word(80, static_cast<int32_t>(endFlags_));
    const uint32_t sincePhase = PhaseTick() != 0 ? Since(PhaseTick()) : 0;
    out.Word(81, static_cast<int32_t>(
                     std::min<uint32_t>(sincePhase, std::numeric_limits<int32_t>::max())));
    out.Word(82, Round().silverMultiple);
    out.Word(83, IsPlayingNow() ? 1 : 0);

    const int32_t rules[15] = {tileCount_,
                               copiesPerKind_,
                               parameters_.snapshotParameter10,
                               parameters_.snapshotParameter11,
                               indexBound_,
                               suitStride_,
                               flagArrayLength_,
                               operationTimeout_,
                               parameters_.snapshotParameter17,
                               parameters_.snapshotParameter18,
                               winningBid_,
                               winningLowBid_,
                               defaultStake_,
                               currentSeat_,
                               actingSeat_};
    out.Words(84, rules);

    const bool viewerIsBanker = showViewer && viewer == banker;
    for (int k = 0; k < kHiddenBlockWords; ++k) {
        out.Word(snapshot::kHiddenBlock + k, viewerIsBanker ? hiddenBlock_[k] : -1);
    }
    for (int seat = 0; seat < kMaxChairs; ++seat) {
        std::array<int32_t, kHandKinds> hand;
        hand.fill(-1);
        if (showViewer && seat == viewer) {
            HandTileIds(seat, hand);
        }
        out.Words(snapshot::kHands + static_cast<size_t>(seat) * kHandKinds, hand);
    }

    out.Word(snapshot::kBidCount, static_cast<int32_t>(bids_.size()));
    for (size_t b = 0; b < bids_.size() && b < static_cast<size_t>(kMaxBids); ++b) {
        const size_t at = snapshot::kBids + b * 7;
        out.Word(at, bids_[b].seat);
        out.Word(at + 1, bids_[b].flag);
        out.Word(at + 2, bids_[b].value);
    }

    const int32_t hand[17] = {stake_,
                              wallStart_,
                              wildPosition_,
                              wildTile1_,
                              tickWord_,
                              claimTimeout_,
                              parameters_.snapshotParameter23,
                              static_cast<int32_t>(huTypeFlags_),
                              static_cast<int32_t>(extraHuFlags_),
                              discardedTile_,
                              seatCounter_,
                              GameCounter(),
                              bankerStreak_,
                              wildTile2_,
                              drawnFront_,
                              drawnBack_,
                              frontPosition_};
    out.Words(snapshot::kStake, hand);

    size_t at = snapshot::kClaimOptions;
    out.Words(at, claimOptions_);
    at += kMahjongSeats;
    for (const uint32_t status : seatStatus_) {
        out.Word(at++, static_cast<int32_t>(status));
    }
    out.Words(at, lastClaim_);
    at += lastClaim_.size();
    out.Words(at, wildDiscardCount_);
    at += kMahjongSeats;
    out.Word(at++, wildDiscardSeat_);
    out.Word(at++, wildDiscardRun_);
    out.Word(at, kongDrawWord_);

    at = snapshot::kFeeds;
    for (const auto* table : {&pengFeeds_, &chiFeeds_, &kongFeeds_}) {
        for (const auto& row : *table) {
            out.Words(at, row);
            at += row.size();
        }
    }

    PackMelds(buffer.subspan(snapshot::kMeldBlock * 4, kMeldBlockWords * 4));
    for (int seat = 0; seat < kMaxChairs; ++seat) {
        out.Words(snapshot::kHistory + static_cast<size_t>(seat) * kHistoryHands,
                  scoreHistory_[seat]);
    }
    out.Words(snapshot::kTotals, scoreTotals_);
    return true;
}

bool CMahjongTableLogic::PackPlayerState(std::span<uint8_t> buffer, int chair) {
    if (!IsValidSeat(chair) || !ZeroRecord(buffer, kPlayerStateBytes)) {
        return false;
    }
    RecordWords out(buffer);
    if (const TablePlayer* p = SeatedPlayer(chair)) {
        const int32_t player[13] = {p->userId,         static_cast<int32_t>(p->flags),
                                    p->chair,          p->isLooker,
                                    p->sittingOut,     p->score,
                                    p->silver,         p->level,
                                    p->minutesPlayed,  p->gamesAtTable,
                                    p->spare,          p->profileSeedLow,
                                    p->profileSeedHigh};
        out.Words(0, player);
    }
    out.Word(13, Side(chair));
    out.Word(14, static_cast<int32_t>(ChairFlags(chair)));
    out.Word(15, ThinkingTime(chair));
    out.Word(16, LateCount(chair));
    out.Word(17, Relief(chair));
    PackPlayerScores(buffer);
    return true;
}

bool CMahjongTableLogic::PackPlayer(std::span<uint8_t> buffer) {
    if (!ZeroRecord(buffer, kPlayerStateBytes) || !FillTableStatus(buffer)) {
        return false;
    }
    PackPlayerScores(buffer);
    return true;
}

void CMahjongTableLogic::PackPlayerScores(std::span<uint8_t> buffer) const {
    RecordWords out(buffer);
    for (int seat = 0; seat < kMaxChairs; ++seat) {
        out.Words(kPlayerHistoryWord + static_cast<size_t>(seat) * kHistoryHands,
                  scoreHistory_[seat]);
    }
    out.Words(kPlayerTotalsWord, scoreTotals_);
}

bool CMahjongTableLogic::PackResult(std::span<uint8_t> record, const TableResult& settled) {
    const size_t size = static_cast<size_t>(GetResultSize());
    if (!ZeroRecord(record, size) || !settled.WriteTo(record)) {
        return false;
    }
    RecordWords out(record);
    for (int seat = 0; seat < kMahjongSeats; ++seat) {
        const size_t s = static_cast<size_t>(seat) * 4;
        const auto& lists = melds_[seat];
        out.At(436 + s, static_cast<int32_t>(lists[kMeldExposedKong].size()));
        out.At(452 + s, static_cast<int32_t>(lists[kMeldConcealedKong].size()));
        out.At(468 + s, static_cast<int32_t>(lists[kMeldAddedKong].size()));
        out.At(484 + s, static_cast<int32_t>(setAside_[seat].size()));
        out.At(500 + s, huPoints_[seat]);
        out.At(516 + s, huPoints_[seat] > 0 ? 1 : 0);
    }
    out.At(532, discarderSeat_);
    out.At(536, winnerSeat_);
    out.At(540, wonTile_);
    out.At(544, bankerStreak_);
    out.At(548, NextBanker());
    out.At(556, winnerCount_);
    return true;
}
