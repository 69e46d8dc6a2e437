#pragma once
// The records of the mahjong table logic: the construction parameters of a
// rule set, one wall tile, a meld, a bid and the engine's request record.
//
// All are plain values with named fields; nothing is ever cast from bytes.

#include <array>
#include <cstdint>

#include "mahjong_tiles/TileFunctionTable.h"

// What a mahjong rule set is built with, in the order of its construction
// arguments. The first seven go to CTableLogicBase; the last six are the
// tile functions the constructor installs.
struct MahjongTableParameters {
    int32_t tableNumber = -1;
    int32_t baseParameter = -1;  // also the first word of the snapshot
    int32_t levelUnit = 1;       // also the second word of the snapshot
    int32_t playerCount = 4;
    uint32_t ruleFlags = 0;
    int32_t secondBaseParameter = 0;
    int32_t unusedBaseArgument = 0;
    int32_t tileCount = 108;  // tiles in the wall
    int32_t copiesPerKind = 4;
    int32_t snapshotParameter10 = 32;  // stored and copied into the snapshot only
    int32_t snapshotParameter11 = 0;
    int32_t indexBound = 49;  // tile indices 0..indexBound-1
    int32_t suitStride = 10;  // index = suit x stride + value
    int32_t flagArrayLength = 10;
    int32_t unusedArgument15 = 0;
    int32_t operationTimeout = 15;  // seconds
    int32_t snapshotParameter17 = 0x7FFFFFFF;
    int32_t snapshotParameter18 = 2;
    int32_t winningBid = 400;   // a bid at or above this wins at once
    int32_t winningLowBid = 0;  // in lowest-bid mode, at or below this
    int32_t defaultStake = 100;
    int32_t claimTimeout = 10;  // seconds
    int32_t snapshotParameter23 = 100;
    uint32_t huTypeFlags = 0;
    uint32_t extraHuFlags = 0;
    TileAttributeFunction suitFunction = &GetCardShape;             // slot 4
    TileAttributeFunction valueFunction = &GetCardValue;            // slot 5
    TileClassTest flowerTest = &IsFlowerIndex;                      // slot 0
    TileClassTest honourTest = &IsHonourIndex;                      // slot 1
    TileClassTest wildTest = &IsWildCardIndex;                      // slot 2
    SubstituteIndexFunction substituteIndex = &GetSubstituteIndex;  // slot 3
};

// What the regional game builds both of its instances with.
inline constexpr MahjongTableParameters kRegionalTableParameters{
    -1,
    -1,
    1,
    4,
    0xA0003100u,
    0,
    3,
    108,
    4,
    32,
    0,
    49,
    10,
    10,
    0,
    15,
    0x7FFFFFFF,
    2,
    400,
    0,
    100,
    10,
    100,
    0x000B0007u,
    0,
    &GetCardShape,
    &GetCardValue,
    &RegionalIsFlowerIndex,
    &IsHonourIndex,
    &IsWildCardIndex,
    &GetSubstituteIndex,
};

// Rule flags of the mahjong layer.
inline constexpr uint32_t kMahjongRuleWildTiles = 0x1;
inline constexpr uint32_t kMahjongRuleWildFromIndicator = 0x2;
inline constexpr uint32_t kMahjongRuleSixteenTiles = 0x10;
inline constexpr uint32_t kMahjongRuleNoChi = 0x100;
inline constexpr uint32_t kMahjongRuleNoDiscardHu = 0x200;
inline constexpr uint32_t kMahjongRuleRobExposedKong = 0x1000;
inline constexpr uint32_t kMahjongRuleRobAddedKong = 0x2000;
inline constexpr uint32_t kMahjongRuleWildDiscardRecord = 0x20000;
inline constexpr uint32_t kMahjongRuleSeveralWinners = 0x40000;
inline constexpr uint32_t kMahjongRulePayForOthers = 0x80000;
inline constexpr uint32_t kMahjongRuleBidRound = 0x100000;
inline constexpr uint32_t kMahjongRuleLowestBidWins = 0x200000;
inline constexpr uint32_t kMahjongRuleSecondDice = 0x10000000;

// Table-state bits of the mahjong layer (the base's word: 0x1 playing,
// 0x2 waiting or paused).
inline constexpr uint32_t kStateSwapPhase = 0x10;
inline constexpr uint32_t kStateTurnPhase = 0x100;
inline constexpr uint32_t kStateClaimPhase = 0x400;
inline constexpr uint32_t kStateHandOver = 0x1000000;
inline constexpr uint32_t kStateExposedKongAnnounced = 0x2000000;
inline constexpr uint32_t kStateAddedKongAnnounced = 0x4000000;
// The announcement bits a new turn clears.
inline constexpr uint32_t kStatePerTurnClaimBits = 0x2000000 | 0x4000000 | 0x8000000;

// End flags of a hand.
inline constexpr uint32_t kEndDrawn = 0x2;
inline constexpr uint32_t kEndOnDiscard = 0x1000000;
inline constexpr uint32_t kEndSelfDrawn = 0x2000000;
inline constexpr uint32_t kEndRobbing = 0x4000000;
inline constexpr uint32_t kEndSeveralWinners = 0x10000000;

// Hu modes (word 0 of a hu result and the mode of every hu test).
inline constexpr int kHuOnDiscard = 0x1;
inline constexpr int kHuSelfDrawn = 0x2;
inline constexpr int kHuRobbing = 0x4;
inline constexpr int kHuSevenPairs = 0x10;

// Hu-type flags: the test each enables (also its bit in a result's word 0).
inline constexpr uint32_t kHuTypeSevenPairs = 0x10;
inline constexpr uint32_t kHuTypeBankerFirst = 0x100;
inline constexpr uint32_t kHuTypeFirstTurn = 0x200;
inline constexpr uint32_t kHuTypeBanker = 0x800;
inline constexpr uint32_t kHuTypeAllTriplets = 0x1000;
inline constexpr uint32_t kHuTypeOneSuit = 0x2000;
inline constexpr uint32_t kHuTypeOneSuitHonours = 0x4000;
inline constexpr uint32_t kHuTypeAllHonours = 0x8000;
inline constexpr uint32_t kHuTypeNoWild = 0x10000;
inline constexpr uint32_t kHuTypeWildsAsThemselves = 0x20000;
inline constexpr uint32_t kHuTypeThreeWilds = 0x40000;
inline constexpr uint32_t kHuTypeFourWilds = 0x80000;
inline constexpr uint32_t kHuTypeAfterKong = 0x100000;
inline constexpr uint32_t kHuTypeSingleTile = 0x200000;
inline constexpr uint32_t kHuTypeLastTile = 0x400000;
inline constexpr uint32_t kHuTypeConcealed = 0x10000000;
inline constexpr uint32_t kHuTypeSingleWaitOnDiscard = 0x20000000;

// Per-seat status bit: the seat may still act on the discard.
inline constexpr uint32_t kSeatMayAct = 0x20;

// Claim option bits.
inline constexpr int32_t kClaimPeng = 0x1;
inline constexpr int32_t kClaimGang = 0x2;
inline constexpr int32_t kClaimChi = 0x4;
inline constexpr int32_t kClaimHu = 0x8;
inline constexpr int32_t kClaimReady = 0x40;

// Where a wall tile is.
inline constexpr int32_t kCardInWall = 0;
inline constexpr int32_t kCardInHand = 1;
inline constexpr int32_t kCardDiscarded = -1;
inline constexpr int32_t kCardTakenBySearch = -2;
inline constexpr int32_t kCardPengFromHand = 10;
inline constexpr int32_t kCardPengClaimed = 30;
inline constexpr int32_t kCardKongFromHand = 12;
inline constexpr int32_t kCardKongClaimed = 32;
inline constexpr int32_t kCardChiFromHand = 14;
inline constexpr int32_t kCardChiClaimed = 34;
// What the state query answers for an id that is not in the wall.
inline constexpr int32_t kCardAbsent = -999999;

inline constexpr bool IsKnownCardState(int32_t state) {
    switch (state) {
        case kCardInWall:
        case kCardInHand:
        case kCardDiscarded:
        case kCardTakenBySearch:
        case kCardPengFromHand:
        case kCardPengClaimed:
        case kCardKongFromHand:
        case kCardKongClaimed:
        case kCardChiFromHand:
        case kCardChiClaimed:
            return true;
        default:
            return false;
    }
}

// One tile of the wall, in wall order (seven words in the wire form).
struct CardRecord {
    int32_t id = -1;
    int32_t suit = -1;
    int32_t value = 0;
    int32_t state = kCardInWall;
    int32_t owner = -1;
    int32_t mark = -1;  // -1 when the record is made
    int32_t spare = 0;
};

// One meld (seven words): its tiles (the claimed tile after the hand tiles,
// -1 where empty), the source seat and the meld flags.
struct MeldEntry {
    std::array<int32_t, 4> tiles{-1, -1, -1, -1};
    int32_t source = -1;
    int32_t flags = 0;
    int32_t spare = 0;
};

// The five meld lists of a seat.
enum MeldList : int {
    kMeldPeng = 0,
    kMeldChi,
    kMeldExposedKong,
    kMeldConcealedKong,
    kMeldAddedKong,
    kMeldListCount
};

// One bid (seven words: seat, flag, value, four spare).
struct BidEntry {
    int32_t seat = -1;
    int32_t flag = 0;
    int32_t value = 0;
};

// A request to the engine: 32 words, the first 16 laid out as the client's
// operation record.
struct TableRequest {
    static constexpr int kWords = 32;
    std::array<int32_t, kWords> words{};

    int32_t Seat() const { return words[3]; }
    int32_t Source() const { return words[4]; }
    int32_t Tile() const { return words[5]; }
    // Meld requests: the tiles from the acting seat's hand (-1 where empty).
    int32_t HandTile(int k) const { return k >= 0 && k < 3 ? words[6 + k] : -1; }
    // Kong announcements: bit 0 a kong on a discard, bit 1 an added kong.
    int32_t KongKind() const { return words[9]; }
    // After a peng: pass counts are cleared up to this seat.
    int32_t PassCountSeat() const { return words[11]; }
    // Hu requests: bit 0 on a discard, bit 1 self-drawn, bit 2 robbing.
    int32_t HuKind() const { return words[6]; }
    int32_t RobbedKind() const { return words[7]; }
    // Bid requests: the bid's flag and value.
    int32_t BidFlag() const { return words[6]; }
    int32_t BidValue() const { return words[7]; }
};
