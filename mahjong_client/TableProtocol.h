#pragma once
// The table-play messages between the mahjong client and the game server:
// their ids and the layout of every record, in one place. The client and
// the test server both speak exactly this; docs/table-protocol.md describes
// the same messages in prose.
//
// Rules:
//  - Words are 32-bit little-endian. A record lists its fields once, in wire
//    order, in a static `Fields(self, visit)`; the same list reads, writes
//    and sizes it, so the three cannot disagree. Every size is asserted.
//  - Records are read and written only through ReadTableRecord and
//    WriteTableRecord (zep's checked reader and writer); never cast from
//    bytes.
//  - ReadTableRecord needs the record's minimum length (kMinSize, or kSize
//    when the record has no shorter form); a shorter span fails and leaves
//    the output untouched. Fields behind the end of a longer-than-minimum
//    but shorter-than-whole span read as 0.
//  - Nothing here depends on anything above zep/.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "zep/ZepWire.h"

namespace table_protocol {

// --- Ids ---
// Requests of the client (all game requests: above 220000).
inline constexpr uint32_t kGameRequestFloor = 220000;  // ids above it are game requests
inline constexpr uint32_t kDiscard = 222080;
inline constexpr uint32_t kOwnDraw = 229000;
inline constexpr uint32_t kGangQuery = 229015;
inline constexpr uint32_t kChiClaim = 229020;
inline constexpr uint32_t kPengClaim = 229025;
inline constexpr uint32_t kHuClaim = 229030;
inline constexpr uint32_t kPass = 229040;
inline constexpr uint32_t kDiscardGang = 229045;
inline constexpr uint32_t kConcealedGang = 229047;
inline constexpr uint32_t kAddedGang = 229049;
inline constexpr uint32_t kHua = 229060;
inline constexpr uint32_t kLookCardAsk = 229550;
inline constexpr uint32_t kLookOnPermission = 229560;
// The regional game's requests.
inline constexpr uint32_t kSwapThree = 222070;
inline constexpr uint32_t kSeatBoardInfo = 400001;
inline constexpr uint32_t kTingThrow = 400009;
// Sent unwaited on entering a table whose hand runs; never answered.
inline constexpr uint32_t kEnterHandRequest = 19840325;

// Notifications of the server.
inline constexpr int32_t kSeatStarted = 201160;
inline constexpr int32_t kCardThrown = 222170;
inline constexpr int32_t kSeatDraw = 229160;
inline constexpr int32_t kGangHuNotice = 229180;
inline constexpr int32_t kPengNotice = 229185;
inline constexpr int32_t kGangNotice = 229195;
inline constexpr int32_t kConcealedGangNotice = 229197;
inline constexpr int32_t kAddedGangNotice = 229199;
inline constexpr int32_t kHuaNotice = 229210;
inline constexpr int32_t kAutoPlayStatus = 229500;
inline constexpr int32_t kLookCardAnswer = 229570;
// The regional game's notifications (and the frame's that it reads).
inline constexpr int32_t kPlayerLeft = 211000;
inline constexpr int32_t kTablePlayers = 211028;
inline constexpr int32_t kHandStart = 211040;
inline constexpr int32_t kHandResult = 211080;
inline constexpr int32_t kHandState = 211160;
inline constexpr int32_t kTableChat = 211200;
inline constexpr int32_t kSwapDice = 222168;
inline constexpr int32_t kSwapReady = 229480;
inline constexpr int32_t kChargeUrl = 229805;
inline constexpr int32_t kWelfareActivity = 400002;
inline constexpr int32_t kTingThrowNotice = 400010;
// Notifications the client accepts and ignores (the server sends none of
// them in this protocol).
inline constexpr int32_t kIgnored211240 = 211240;
inline constexpr int32_t kIgnored211300 = 211300;
inline constexpr int32_t kIgnored229165 = 229165;
inline constexpr int32_t kIgnored229170 = 229170;
inline constexpr int32_t kIgnored229175 = 229175;
inline constexpr int32_t kIgnored229190 = 229190;
inline constexpr int32_t kIgnored229580 = 229580;

// --- Result codes the table acts on ---
inline constexpr uint32_t kResultDone = 10;
inline constexpr uint32_t kResultNotCarriedOut = 10100;
inline constexpr uint32_t kResultHeld = 210050;
inline constexpr uint32_t kResultDiscardRefused = 229450;
inline constexpr uint32_t kResultDrawRefused = 229101;

// --- Values ---
inline constexpr int32_t kHiddenTile = 200;  // a tile the receiver may not see
inline constexpr int32_t kNoTile = -1;
inline constexpr int32_t kWallSize = 108;
inline constexpr int kMaxChairs = 8;
// Hu claim kinds.
inline constexpr int32_t kHuOnDiscard = 1;
inline constexpr int32_t kHuSelfDrawn = 2;
inline constexpr int32_t kHuRobbingKong = 4;
// Gang query kinds.
inline constexpr int32_t kGangOnThrownTile = 1;
inline constexpr int32_t kGangOwn = 2;
// Option words of a chair.
inline constexpr int32_t kOptionPeng = 0x01;
inline constexpr int32_t kOptionGang = 0x02;
inline constexpr int32_t kOptionChi = 0x04;
inline constexpr int32_t kOptionHu = 0x08;
inline constexpr int32_t kOptionPass = 0x20;
inline constexpr int32_t kOptionTing = 0x40;
// Hand-start flags (word 14): the hand runs; the swap-three phase.
inline constexpr int32_t kStartHandRunning = 0x1;
inline constexpr int32_t kStartSwapPhase = 0x10;
// 229480's kind: the chair is ready to swap.
inline constexpr int32_t kSwapReadyKind = 19840338;
// 229500 status codes: a player came back; a player's auto-play.
inline constexpr int32_t kPlayerBackFirst = 19840324;
inline constexpr int32_t kPlayerBackLast = 19840332;
inline constexpr int32_t kAutoPlayFirst = 19840335;
inline constexpr int32_t kAutoPlayLast = 19840337;

template <size_t N>
using Words = std::array<int32_t, N>;
// Bytes carried as they stand (texts, blocks the client does not read).
template <size_t N>
using Bytes = std::array<uint8_t, N>;

// --- Records ---

// Words 0-3 of every request: who asks, where.
struct RequestHead {
    static constexpr size_t kSize = 16;
    int32_t userId = 0;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t chair = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.roomId), f(self.tableNo), f(self.chair);
    }
};

// The body of the play requests (discard 222080, hua 229060, peng 229025,
// the gangs 229045/229047/229049, the gang query 229015) and of the meld
// notices 229185/229195/229197/229199, where the head's chair is the
// claimant's.
struct OperationRecord {
    static constexpr size_t kSize = 64;
    RequestHead head;
    int32_t offerChair = 0;  // chair of the offer (the thrower), or the own chair
    int32_t tile = 0;        // the tile of the play
    Words<3> handTiles{};    // own tiles of the meld; -1 unused
    int32_t kind = 0;        // gang query: kGangOnThrownTile / kGangOwn
    Words<6> reserved{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.offerChair), f(self.tile), f(self.handTiles);
        f(self.kind), f(self.reserved);
    }
};

// 229030: claims a hu.
struct HuClaimRecord {
    static constexpr size_t kSize = 64;
    RequestHead head;
    int32_t offerChair = 0;  // chair of the hu offer; the own chair when self-drawn
    int32_t tile = 0;
    int32_t huKind = 0;          // kHuOnDiscard, kHuSelfDrawn or kHuRobbingKong
    int32_t robbedKongKind = 0;  // the gang kind of the 229180 notice robbed
    Words<8> reserved{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.offerChair), f(self.tile), f(self.huKind);
        f(self.robbedKongKind), f(self.reserved);
    }
};

// 229020: claims a chi with two own tiles.
struct ChiClaimRecord {
    static constexpr size_t kSize = 64;
    RequestHead head;
    int32_t thrower = 0;
    int32_t tile = 0;
    Words<2> ownTiles{};  // the two raised own tiles
    int32_t endMark = -1;
    Words<7> reserved{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.thrower), f(self.tile), f(self.ownTiles);
        f(self.endMark), f(self.reserved);
    }
};

// 229040: lets an offer pass (sent without waiting).
struct PassRecord {
    static constexpr size_t kSize = 64;
    RequestHead head;
    int32_t offerChair = 0;
    int32_t tile = 0;
    Words<10> reserved{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.offerChair), f(self.tile), f(self.reserved);
    }
};

// 229000: asks for the own draw.
struct OwnDrawRecord {
    static constexpr size_t kSize = 96;
    RequestHead head;
    int32_t zero16 = 0;
    int32_t tableNo = 0;
    int32_t chair = 0;
    int32_t userId = 0;
    Words<16> reserved{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.zero16), f(self.tableNo), f(self.chair);
        f(self.userId), f(self.reserved);
    }
};

// The front of the draw, hua and gang replies: the tile that came in, the
// wall entry it came from and what the server allows next. Replies may be
// longer (ting data behind, with kOptionTing).
struct DrawReply {
    static constexpr size_t kSize = 32;
    static constexpr size_t kMinSize = 16;
    int32_t unused0 = 0;
    int32_t tile = -1;       // -1: nothing drawn
    int32_t wallIndex = -1;  // 0-107
    int32_t options = 0;     // kOptionGang, kOptionHu, kOptionTing
    Words<4> reserved{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.unused0), f(self.tile), f(self.wallIndex), f(self.options), f(self.reserved);
    }
};

// The reply of the gang query 229015: each chair's option word.
struct GangQueryReply {
    static constexpr size_t kSize = 48;
    static constexpr size_t kMinSize = 0;  // read as far as it reaches
    Words<4> head{};
    Words<kMaxChairs> chairOptions{};

    static constexpr void Fields(auto& self, auto& f) { f(self.head), f(self.chairOptions); }
};

// 229550 both ways: the asker's head and the chair whose hand is asked for.
struct LookCardAskRecord {
    static constexpr size_t kSize = 64;
    static constexpr size_t kMinSize = 20;
    RequestHead head;  // of the asker
    int32_t watchedChair = 0;
    Words<11> reserved{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.watchedChair), f(self.reserved);
    }
};

// 229570 to the asker: the watched player's answer (the 229560 body).
struct LookCardAnswerRecord {
    static constexpr size_t kSize = 40;
    static constexpr size_t kMinSize = 24;
    int32_t answeringUser = 0;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t answeringChair = 0;
    int32_t lookerOn = 0;  // user id of the asker
    int32_t allowed = 0;   // 1 or 0
    Words<4> reserved{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.answeringUser), f(self.roomId), f(self.tableNo), f(self.answeringChair);
        f(self.lookerOn), f(self.allowed), f(self.reserved);
    }
};

// 201160 from the server: a seat started (the head of its request).
struct SeatStartedNotice {
    static constexpr size_t kSize = 16;
    RequestHead head;

    static constexpr void Fields(auto& self, auto& f) { RequestHead::Fields(self.head, f); }
};

// 222170: a seat threw a tile; what every chair may do with it.
struct CardThrownNotice {
    static constexpr size_t kSize = 88;
    int32_t unused0 = 0;
    int32_t thrower = 0;
    Words<4> unused8{};
    Words<kMaxChairs> chairOptions{};
    Words<7> unused56{};
    int32_t tile = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.unused0), f(self.thrower), f(self.unused8), f(self.chairOptions);
        f(self.unused56), f(self.tile);
    }
};

// 229160 (another seat drew) and 229210 (a seat laid a flower aside and
// drew its replacement).
struct SeatDrawNotice {
    static constexpr size_t kSize = 28;
    Words<3> unused0{};
    int32_t chair = 0;
    int32_t laidAside = -1;  // the tile laid aside; -1 none
    int32_t tile = kHiddenTile;
    int32_t wallIndex = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.unused0), f(self.chair), f(self.laidAside), f(self.tile), f(self.wallIndex);
    }
};

// 229180: a seat's gang can be robbed for a hu.
struct GangHuNotice {
    static constexpr size_t kSize = 32;
    int32_t ganger = 0;
    int32_t offerChair = 0;  // kept with the hu offer
    int32_t tile = 0;
    int32_t gangKind = 0;  // 1 or 2
    Words<4> chairOptions{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.ganger), f(self.offerChair), f(self.tile), f(self.gangKind), f(self.chairOptions);
    }
};

// 229500 (and the reply of a waited game request): a status code and a
// count of data words that follow the head.
struct AutoPlayStatusHead {
    static constexpr size_t kSize = 20;
    Words<2> unused0{};
    int32_t code = 0;
    int32_t unused12 = 0;
    int32_t count = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.unused0), f(self.code), f(self.unused12), f(self.count);
    }
};

// --- The regional game's records ---

// Sizes of the records kept as bytes (copied whole, read by field offsets
// where they are used).
inline constexpr size_t kHandStartBytes = 952;    // 211040, at least
inline constexpr size_t kHandResultBytes = 2432;  // 211080: the hand's result record
inline constexpr size_t kHandStateBytes = 15156;  // 211160: the whole hand area
inline constexpr size_t kTableChatMinBytes = 37;  // 211200: head and one text byte
inline constexpr size_t kChargeUrlMinBytes = 1;   // 229805: a text up to its zero
// 211028: the hand start behind the head and the players it counts.
inline constexpr size_t kTablePlayersHeadBytes = 64;
inline constexpr size_t kTablePlayerBytes = 136;
// The reply of the own draw and the operation requests: the draw reply's 32
// bytes, or all of it when its option word has kOptionTing.
inline constexpr size_t kOperationReplyBytes = 8352;
inline constexpr size_t kOperationReplyShortBytes = 32;
// The reply of the peng claim 229025: the ting information.
inline constexpr size_t kTingInfoBytes = 8324;
// 400009: a head of 26 words whose word 25 counts the words that follow.
inline constexpr size_t kTingThrowHeadBytes = 104;
inline constexpr size_t kTingThrowCountWord = 25;

// 222070: the three tiles the own chair gives away; only its entry is set.
struct SwapThreeRequest {
    static constexpr size_t kSize = 8472;
    Words<3 * kMaxChairs> chairTiles{};  // chair c at words 3c..3c+2
    Words<2> unused96{};
    int32_t userId = 0;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t chair = 0;
    Words<(kSize - 120) / 4> reserved{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.chairTiles), f(self.unused96), f(self.userId), f(self.roomId);
        f(self.tableNo), f(self.chair), f(self.reserved);
    }
};

// 400001, sent without waiting: the own seat's place.
struct SeatBoardInfoRequest {
    static constexpr size_t kSize = 20;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t chair = 0;
    int32_t userId = 0;
    int32_t zero = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.roomId), f(self.tableNo), f(self.chair), f(self.userId), f(self.zero);
    }
};

// 222168: the swap dice and what every chair receives.
struct SwapDiceNotice {
    static constexpr size_t kSize = 8472;
    Words<12> given{};     // chair c's three tiles at 3c (chairs 0-3)
    Words<12> received{};  // the three tiles chair c receives, at 3c
    int32_t die = 0;       // decides the direction
    Words<5> unused100{};
    Words<4> firstTurnOptions{};  // per chair; kOptionTing: ting data present
    Words<32> tingList{};
    Words<2048> tingTable{};
    Words<4> unused8456{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.given), f(self.received), f(self.die), f(self.unused100);
        f(self.firstTurnOptions), f(self.tingList), f(self.tingTable), f(self.unused8456);
    }
};

// 229480: a chair is ready to swap.
struct SwapReadyNotice {
    static constexpr size_t kSize = 32;
    Words<3> unused0{};
    int32_t chair = 0;  // the chair that is ready
    int32_t kind = 0;   // kSwapReadyKind
    Words<2> unused20{};
    int32_t pointerChair = 0;  // the chair the turn indicator points at

    static constexpr void Fields(auto& self, auto& f) {
        f(self.unused0), f(self.chair), f(self.kind), f(self.unused20), f(self.pointerChair);
    }
};

// 400002: the welfare activity the server runs.
struct WelfareActivityNotice {
    static constexpr size_t kSize = 20;
    Words<4> unused0{};
    int32_t activityId = 0;

    static constexpr void Fields(auto& self, auto& f) { f(self.unused0), f(self.activityId); }
};

// 211000: a player left and the game ended.
struct PlayerLeftNotice {
    static constexpr size_t kSize = 28;
    int32_t unused0 = 0;
    int32_t chair = 0;
    int32_t forced = 0;  // nonzero: the player quit by force
    Words<2> unused12{};
    int32_t scoreDeducted = 0;   // sent negative
    int32_t silverDeducted = 0;  // sent negative

    static constexpr void Fields(auto& self, auto& f) {
        f(self.unused0), f(self.chair), f(self.forced), f(self.unused12);
        f(self.scoreDeducted), f(self.silverDeducted);
    }
};

// 211040: the hand-start record, as far as the client reads it by name.
struct HandStartRecord {
    static constexpr size_t kSize = kHandStartBytes;
    Words<8> head{};
    int32_t handNumber = 0;  // word 8
    int32_t baseSilver = 0;
    int32_t baseScore = 0;
    int32_t banker = 0;
    int32_t word12 = 0;
    int32_t turnChair = 0;   // word 13: the seat to act
    int32_t startFlags = 0;  // word 14: 0x1 running, 0x10 swap phase, 0x100
    int32_t word15 = 0;
    Words<2> unused64{};
    int32_t reactionTime = 0;  // word 18, seconds
    Words<4> words19{};
    Words<4> dice{};            // words 23-26
    int32_t claimSkipRule = 0;  // word 27
    int32_t chiRule = 0;        // word 28
    Words<3> words29{};
    int32_t wallStart = 0;  // word 32
    int32_t word33 = 0;
    Words<2> wildTiles{};       // words 34-35
    int32_t wildIndicator = 0;  // word 36: the deposit panel's wild tile, -1 none
    int32_t backDrawCount = 0;
    int32_t frontDrawPosition = 0;
    int32_t discardTime = 0;  // word 39, seconds
    Words<9> words40{};
    Words<4> seatTileCounts{};  // words 49-52, by chair
    Words<32> ownTiles{};       // bytes 212-339, ended by -1
    Bytes<576> block340{};      // laid at hand-area byte 4984
    Bytes<16> block916{};       // laid at hand-area byte 5560
    int32_t word233 = 0;        // laid at hand-area byte 6768
    Bytes<16> tail{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.head), f(self.handNumber), f(self.baseSilver), f(self.baseScore), f(self.banker);
        f(self.word12), f(self.turnChair), f(self.startFlags), f(self.word15), f(self.unused64);
        f(self.reactionTime), f(self.words19), f(self.dice), f(self.claimSkipRule);
        f(self.chiRule), f(self.words29), f(self.wallStart), f(self.word33), f(self.wildTiles);
        f(self.wildIndicator), f(self.backDrawCount), f(self.frontDrawPosition);
        f(self.discardTime), f(self.words40), f(self.seatTileCounts), f(self.ownTiles);
        f(self.block340), f(self.block916), f(self.word233), f(self.tail);
    }
};

// 211080: the result of a hand (the four seats are chairs 0-3).
struct GameResultRecord {
    static constexpr size_t kSize = kHandResultBytes;
    static constexpr size_t kItemCount = 14;
    static constexpr size_t kItemNamesBytes = 1024;
    int32_t flags = 0;
    int32_t word1 = 0;
    int32_t playerCount = 0;
    Words<21> unused12{};
    Words<4> scoreBase{};
    Words<4> unused112{};
    Words<4> silverBase{};
    Words<4> unused144{};
    Words<4> scoreChange{};  // "分"
    Words<4> unused176{};
    Words<4> silverChange{};  // "两"
    Words<12> unused208{};
    Words<4> userValue{};  // copied into the seat's user record
    Words<36> unused272{};
    int32_t nextBaseSilver = 0;  // byte 416
    Words<4> unused420{};
    Words<4> exposedKongs{};
    Words<4> concealedKongs{};
    Words<4> addedKongs{};
    Words<4> setAsideCounts{};
    Words<4> huPoints{};
    Words<4> winFlags{};     // byte 516
    int32_t discarder = -1;  // byte 532; -1 self-drawn
    int32_t winner = -1;     // byte 536; -1 nobody won
    int32_t winTile = -1;
    int32_t bankerStreak = 0;
    int32_t nextBanker = 0;
    int32_t word138 = 0;
    int32_t winnerCount = 0;  // byte 556
    Words<32> unused560{};
    Words<4> tileCounts{};                // byte 688
    Words<128> seatTiles{};               // byte 704: 32 per chair, ended by -1
    Bytes<kItemNamesBytes> itemNames{};   // byte 1216: "a|b|c", zero-ended
    Words<kItemCount> itemValues{};       // byte 2240
    Words<kItemCount> itemMultipliers{};  // byte 2296
    Words<4> finalMultiples{};            // byte 2352
    Words<4> value2368{};
    Words<4> exposedKongColumn{};    // byte 2384: the "明杠" column
    Words<4> concealedKongColumn{};  // byte 2400: the "暗杠" column
    Words<4> unused2416{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.flags), f(self.word1), f(self.playerCount), f(self.unused12), f(self.scoreBase);
        f(self.unused112), f(self.silverBase), f(self.unused144), f(self.scoreChange);
        f(self.unused176), f(self.silverChange), f(self.unused208), f(self.userValue);
        f(self.unused272), f(self.nextBaseSilver), f(self.unused420), f(self.exposedKongs);
        f(self.concealedKongs), f(self.addedKongs), f(self.setAsideCounts), f(self.huPoints);
        f(self.winFlags), f(self.discarder), f(self.winner), f(self.winTile);
        f(self.bankerStreak), f(self.nextBanker), f(self.word138), f(self.winnerCount);
        f(self.unused560), f(self.tileCounts), f(self.seatTiles), f(self.itemNames);
        f(self.itemValues), f(self.itemMultipliers), f(self.finalMultiples), f(self.value2368);
        f(self.exposedKongColumn), f(self.concealedKongColumn), f(self.unused2416);
    }
};

// 400010 (a chair declared its ready hand with a throw) has the layout of
// CardThrownNotice.

// The reply of the own draw and of the gang requests (229000, 229045,
// 229047, 229049): the draw reply's front, and with kOptionTing in its
// option word the ting candidates and the ting table. It arrives as 32
// bytes, or all 8352 with kOptionTing; the receiver's buffer is zeroed
// first, so a shorter reply reads zero behind what came.
struct OperationReply {
    static constexpr size_t kSize = kOperationReplyBytes;
    static constexpr size_t kMinSize = 0;
    static constexpr size_t kTingTableWords = 2048;
    int32_t unused0 = 0;
    int32_t tile = kNoTile;       // the tile drawn or the replacement; -1 none
    int32_t wallIndex = kNoTile;  // the wall entry it came from, 0-107
    int32_t options = 0;          // kOptionGang, kOptionHu, kOptionTing
    Words<4> unused16{};
    Words<32> tingCandidates{};  // -1 empty
    Words<kTingTableWords> tingTable{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.unused0), f(self.tile), f(self.wallIndex), f(self.options), f(self.unused16);
        f(self.tingCandidates), f(self.tingTable);
    }
};

// The ting information: the reply of the peng claim 229025, and what an
// operation reply with kOptionTing carries (MakeTingInfo).
struct TingInfo {
    static constexpr size_t kSize = kTingInfoBytes;
    static constexpr size_t kMinSize = 0;
    int32_t options = 0;  // kOptionTing: the candidates and table are there
    Words<32> candidates{};
    Words<OperationReply::kTingTableWords> table{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.options), f(self.candidates), f(self.table);
    }
};

inline TingInfo MakeTingInfo(const OperationReply& reply) {
    TingInfo ting;
    ting.options = reply.options;
    ting.candidates = reply.tingCandidates;
    ting.table = reply.tingTable;
    return ting;
}

// 400009: the ready-hand declaration with its throw. The record is built
// whole (360 bytes); the first kTingThrowHeadBytes + 4 x count are sent.
struct TingThrowRecord {
    static constexpr size_t kSize = 360;
    static constexpr size_t kMachineIdBytes = 32;
    RequestHead head;
    int32_t zero16 = 0;
    int32_t tableNo = 0;
    int32_t chair = 0;
    int32_t userId = 0;
    Bytes<kMachineIdBytes> machineId{};  // text, zero-padded
    Words<4> unused64{};
    int32_t one80 = 1;
    Words<4> unused84{};
    int32_t count = 1;  // word 25: the tiles that follow
    int32_t tile = kNoTile;
    Words<63> unused108{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.zero16), f(self.tableNo), f(self.chair);
        f(self.userId), f(self.machineId), f(self.unused64), f(self.one80), f(self.unused84);
        f(self.count), f(self.tile), f(self.unused108);
    }
    // The bytes sent: the head and the counted words.
    static constexpr size_t SentBytes(int32_t count) {
        return kTingThrowHeadBytes + 4 * static_cast<size_t>(count);
    }
};

// --- Reading and writing ---

namespace detail {

struct SizeCounter {
    size_t bytes = 0;
    constexpr void operator()(const int32_t&) { bytes += 4; }
    template <size_t N>
    constexpr void operator()(const std::array<int32_t, N>&) {
        bytes += 4 * N;
    }
    template <size_t N>
    constexpr void operator()(const std::array<uint8_t, N>&) {
        bytes += N;
    }
};

struct WordReader {
    ZepWireReader& reader;
    void operator()(int32_t& value) {
        if (!reader.ReadI32(value)) {
            value = 0;
        }
    }
    template <size_t N>
    void operator()(std::array<int32_t, N>& words) {
        for (int32_t& word : words) {
            (*this)(word);
        }
    }
    template <size_t N>
    void operator()(std::array<uint8_t, N>& bytes) {
        for (uint8_t& byte : bytes) {
            if (!reader.ReadU8(byte)) {
                byte = 0;
            }
        }
    }
};

struct WordWriter {
    ZepWireWriter& writer;
    void operator()(const int32_t& value) { writer.WriteI32(value); }
    template <size_t N>
    void operator()(const std::array<int32_t, N>& words) {
        for (const int32_t& word : words) {
            writer.WriteI32(word);
        }
    }
    template <size_t N>
    void operator()(const std::array<uint8_t, N>& bytes) {
        writer.WriteBytes(bytes);
    }
};

template <class R>
concept HasMinSize = requires {
    R::kMinSize;
};

}  // namespace detail

// The bytes the field list covers.
template <class R>
constexpr size_t TableRecordBytes() {
    R record{};
    detail::SizeCounter counter;
    R::Fields(record, counter);
    return counter.bytes;
}

// The fewest bytes a record of this kind may arrive with.
template <class R>
constexpr size_t TableRecordMinimum() {
    if constexpr (detail::HasMinSize<R>) {
        return R::kMinSize;
    } else {
        return R::kSize;
    }
}

// Reads the record from the front of bytes; false (out unchanged) when
// fewer than its minimum are there. Fields beyond the bytes read as 0.
template <class R>
bool ReadTableRecord(std::span<const uint8_t> bytes, R& out) {
    if (bytes.size() < TableRecordMinimum<R>()) {
        return false;
    }
    R record{};
    ZepWireReader reader(bytes);
    detail::WordReader visit{reader};
    R::Fields(record, visit);
    out = record;
    return true;
}

// The record's bytes, exactly kSize of them.
template <class R>
std::vector<uint8_t> WriteTableRecord(const R& record) {
    std::vector<uint8_t> bytes(R::kSize);
    ZepWireWriter writer(bytes);
    detail::WordWriter visit{writer};
    R::Fields(record, visit);
    return bytes;
}

// Word `index` of a record, or `fallback` when the record is too short.
inline int32_t WordAt(std::span<const uint8_t> bytes, size_t index, int32_t fallback = 0) {
    if (index >= bytes.size() / 4) {
        return fallback;
    }
    ZepWireReader reader(bytes.subspan(index * 4));
    int32_t value = fallback;
    reader.ReadI32(value);
    return value;
}

static_assert(TableRecordBytes<RequestHead>() == RequestHead::kSize);
static_assert(TableRecordBytes<OperationRecord>() == OperationRecord::kSize);
static_assert(TableRecordBytes<HuClaimRecord>() == HuClaimRecord::kSize);
static_assert(TableRecordBytes<ChiClaimRecord>() == ChiClaimRecord::kSize);
static_assert(TableRecordBytes<PassRecord>() == PassRecord::kSize);
static_assert(TableRecordBytes<OwnDrawRecord>() == OwnDrawRecord::kSize);
static_assert(TableRecordBytes<DrawReply>() == DrawReply::kSize);
static_assert(TableRecordBytes<GangQueryReply>() == GangQueryReply::kSize);
static_assert(TableRecordBytes<LookCardAskRecord>() == LookCardAskRecord::kSize);
static_assert(TableRecordBytes<LookCardAnswerRecord>() == LookCardAnswerRecord::kSize);
static_assert(TableRecordBytes<SeatStartedNotice>() == SeatStartedNotice::kSize);
static_assert(TableRecordBytes<CardThrownNotice>() == CardThrownNotice::kSize);
static_assert(TableRecordBytes<SeatDrawNotice>() == SeatDrawNotice::kSize);
static_assert(TableRecordBytes<GangHuNotice>() == GangHuNotice::kSize);
static_assert(TableRecordBytes<AutoPlayStatusHead>() == AutoPlayStatusHead::kSize);
static_assert(TableRecordBytes<SwapThreeRequest>() == SwapThreeRequest::kSize);
static_assert(TableRecordBytes<SeatBoardInfoRequest>() == SeatBoardInfoRequest::kSize);
static_assert(TableRecordBytes<SwapDiceNotice>() == SwapDiceNotice::kSize);
static_assert(TableRecordBytes<SwapReadyNotice>() == SwapReadyNotice::kSize);
static_assert(TableRecordBytes<WelfareActivityNotice>() == WelfareActivityNotice::kSize);
static_assert(TableRecordBytes<PlayerLeftNotice>() == PlayerLeftNotice::kSize);
static_assert(TableRecordBytes<HandStartRecord>() == HandStartRecord::kSize);
static_assert(TableRecordBytes<GameResultRecord>() == GameResultRecord::kSize);
static_assert(TableRecordBytes<OperationReply>() == OperationReply::kSize);
static_assert(TableRecordBytes<TingInfo>() == TingInfo::kSize);
static_assert(TableRecordBytes<TingThrowRecord>() == TingThrowRecord::kSize);
static_assert(TableRecordBytes<DrawReply>() == kOperationReplyShortBytes);
static_assert(TingThrowRecord::SentBytes(1) == 108);

}  // namespace table_protocol
