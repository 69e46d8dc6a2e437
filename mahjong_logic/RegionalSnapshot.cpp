// The flat records of CRegionalMahjongRules: the 15156-byte game-state
// snapshot of a viewer seat with its 952-byte header (the client copies the
// header's bytes 0-951, 340-931 and 932 into its hand area, so every offset
// here is a wire fact), and the 2432-byte hand result. Bytes not named stay 0.

#include <string>

#include "mahjong_logic/RecordWords.h"
#include "mahjong_logic/RegionalMahjongRules.h"

namespace {

constexpr int kViewerHandPlaces = 32;
constexpr int kSetAsidePlaces = 36;
constexpr int kResultHandPlaces = 32;
constexpr int kTypeNameBytes = 1024;
constexpr int kWaitMapWords = kHandKinds;

// Header offsets.
namespace header {
constexpr size_t kTilesInHand = 196;
constexpr size_t kViewerHand = 212;
constexpr size_t kSetAside = 340;
constexpr size_t kSetAsideLengths = 916;
constexpr size_t kConstructedWord = 932;
}  // namespace header

// Snapshot offsets after the header.
namespace state {
constexpr size_t kMeldBlock = 952;
constexpr size_t kChairFlags = 5624;
constexpr size_t kHistory = 5656;
constexpr size_t kTotals = 6616;
constexpr size_t kViewerHuFlag = 6648;
constexpr size_t kLastDrawnTile = 6652;
constexpr size_t kSwapChoices = 6656;
constexpr size_t kSwapReceived = 6704;
constexpr size_t kSwapDie = 6752;
constexpr size_t kViewerChoice = 6756;
constexpr size_t kConstructedWord = 6768;
constexpr size_t kReadyCandidates = 6772;
constexpr size_t kWaitMaps = 6900;
constexpr size_t kDeclared = 15092;
constexpr size_t kOptionsAndStatus = 15108;
constexpr size_t kReadyGranted = 15124;
constexpr size_t kShortTurnMark = 15140;
}  // namespace state

// Result offsets (beyond the mahjong layer's).
namespace result {
constexpr size_t kEndFlags = 0;
constexpr size_t kTilesInHand = 688;
constexpr size_t kHands = 704;
constexpr size_t kTypeNames = 1216;
constexpr size_t kTypeBases = 2240;
constexpr size_t kTypeMultipliers = 2296;
constexpr size_t kReadyValues = 2352;
constexpr size_t kWinCounts = 2368;
constexpr size_t kExposedKongScores = 2384;
constexpr size_t kConcealedKongScores = 2400;
}  // namespace result

// A turn of fewer than this many seconds is marked in the snapshot.
constexpr int kShortTurnSeconds = 5;
constexpr int32_t kShortTurnMark = 3;

}  // namespace

bool CRegionalMahjongRules::PackHeader(std::span<uint8_t> buffer, int viewer, bool hide) {
    if (!CMahjongTableLogic::PackHeader(buffer, viewer, hide)) {
        return false;
    }
    RecordWords out(buffer);
    for (int seat = 0; seat < kMahjongSeats; ++seat) {
        const size_t s = static_cast<size_t>(seat) * 4;
        out.At(header::kTilesInHand + s, IsValidSeat(seat) ? SeatTileCount(seat) : 0);
        std::span<const int32_t> list = setAside_[seat];
        out.IdList((header::kSetAside + s * kSetAsidePlaces) / 4, list, kSetAsidePlaces);
        out.At(header::kSetAsideLengths + s, static_cast<int32_t>(list.size()));
    }
    std::array<int32_t, kViewerHandPlaces> hand;
    hand.fill(-1);
    if (!hide && IsValidSeat(viewer)) {
        HandTileIds(viewer, hand);
    }
    out.Words(header::kViewerHand / 4, hand);
    out.At(header::kConstructedWord, constructedWord_);
    return true;
}

bool CRegionalMahjongRules::PackGameState(std::span<uint8_t> buffer, int viewer, bool hide) {
    if (!ZeroRecord(buffer, kRegionalGameStateBytes) ||
        !PackHeader(buffer.first(kRegionalHeaderBytes), viewer, hide)) {
        return false;
    }
    const bool showViewer = !hide && IsValidSeat(viewer);
    RecordWords out(buffer);
    PackMelds(buffer.subspan(state::kMeldBlock, kMeldBlockWords * 4));
    for (int c = 0; c < kMaxChairs; ++c) {
        out.At(state::kChairFlags + static_cast<size_t>(c) * 4,
               static_cast<int32_t>(ChairFlags(c)));
        out.Words(state::kHistory / 4 + static_cast<size_t>(c) * kHistoryHands, scoreHistory_[c]);
    }
    out.Words(state::kTotals / 4, scoreTotals_);

    if (showViewer) {
        out.At(state::kViewerHuFlag, seatWon_[viewer] || huPoints_[viewer] > 0 ? 1 : 0);
        // The last drawn tile is shown only to its holder or once it is out
        // of every hand.
        if (lastDrawnTile_ >= 0 &&
            (TileState(lastDrawnTile_) != kCardInHand || TileOwner(lastDrawnTile_) == viewer)) {
            out.At(state::kLastDrawnTile, lastDrawnTile_);
        }
        if (swapChosen_[viewer]) {
            out.Words(state::kViewerChoice / 4, swapChoice_[viewer]);
        }
    }
    if ((TableState() & kStateSwapPhase) == 0) {
        out.Words(state::kSwapChoices / 4, swapChoicesCopy_);
        out.Words(state::kSwapReceived / 4, swapReceived_);
        out.At(state::kSwapDie, swapDie_);
    }
    out.At(state::kConstructedWord, constructedWord_);
    // The ready candidates are tiles of one hand: only their holder sees them.
    for (int k = 0; k < kReadyCandidates; ++k) {
        const int32_t id = readyCandidates_[k];
        const bool shown = showViewer && id >= 0 && SeatHoldsTile(viewer, id);
        out.Word(state::kReadyCandidates / 4 + k, shown ? id : -1);
        if (shown) {
            out.Words(state::kWaitMaps / 4 + static_cast<size_t>(k) * kWaitMapWords,
                      readyWaitMaps_[k]);
        }
    }
    for (int seat = 0; seat < PlayerCount(); ++seat) {
        const size_t s = static_cast<size_t>(seat) * 4;
        out.At(state::kDeclared + s, readyDeclared_[seat] ? 1 : 0);
        out.At(state::kOptionsAndStatus + s,
               claimOptions_[seat] | static_cast<int32_t>(seatStatus_[seat]));
        out.At(state::kReadyGranted + s, readyGranted_[seat] ? 1 : 0);
    }
    if (operationTimeout_ < kShortTurnSeconds) {
        out.At(state::kShortTurnMark, kShortTurnMark);
    }
    return true;
}

bool CRegionalMahjongRules::PackResult(std::span<uint8_t> record, const TableResult& settled) {
    if (!CMahjongTableLogic::PackResult(record, settled)) {
        return false;
    }
    RecordWords out(record);
    for (int seat = 0; seat < kMahjongSeats; ++seat) {
        const size_t s = static_cast<size_t>(seat) * 4;
        std::array<int32_t, kResultHandPlaces> hand;
        hand.fill(-1);
        HandTileIds(seat, hand);
        out.At(result::kTilesInHand + s, IsValidSeat(seat) ? SeatTileCount(seat) : 0);
        out.Words((result::kHands + s * kResultHandPlaces) / 4, hand);
        out.At(result::kWinCounts + s, winCount_[seat]);
        out.At(result::kExposedKongScores + s, exposedKongScore_[seat]);
        out.At(result::kConcealedKongScores + s, concealedKongScore_[seat]);
        if (IsDrawnHand() && readyValue_[seat] > 0) {
            out.At(result::kReadyValues + s, readyValue_[seat]);
        }
    }
    std::string names;
    for (int t = 0; t < kRegionalHuTypeCount; ++t) {
        names += t == 0 ? "" : "|";
        names += HuType(t).name;
    }
    out.Text(result::kTypeNames, names, kTypeNameBytes);
    // The winner's types: a base where it is at least 1, else a multiplier
    // above 0; nothing after a drawn hand.
    if (!IsDrawnHand() && IsValidSeat(winnerSeat_) && huPoints_[winnerSeat_] > 0) {
        const HuResult& won = huResults_[winnerSeat_];
        for (int t = 0; t < kRegionalHuTypeCount; ++t) {
            const int32_t base = won.words[kHuTypeBaseWord + t];
            const int32_t multiplier = won.words[kHuTypeMultiplierWord + t];
            const size_t at = static_cast<size_t>(t) * 4;
            if (base >= 1) {
                out.At(result::kTypeBases + at, base);
            } else if (multiplier > 0) {
                out.At(result::kTypeMultipliers + at, multiplier);
            }
        }
    }
    out.At(result::kEndFlags, static_cast<int32_t>(endFlags_));  // last: it overwrites the mode
    return true;
}
