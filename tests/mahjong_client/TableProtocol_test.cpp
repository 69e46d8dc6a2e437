#include "mahjong_client/TableProtocol.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace table_protocol;

// A record's bytes written out by hand: the words given, then zeros up to
// `size` bytes.
std::vector<uint8_t> Vector(size_t size, std::initializer_list<int32_t> words) {
    std::vector<uint8_t> bytes(size, 0);
    size_t at = 0;
    for (int32_t word : words) {
        const auto value = static_cast<uint32_t>(word);
        for (int i = 0; i < 4; ++i) {
            bytes.at(at++) = static_cast<uint8_t>(value >> (8 * i));
        }
    }
    return bytes;
}

RequestHead Head() {
    return RequestHead{5001, 300, 7, 2};
}

TEST(TableProtocolVectors, RequestsWriteTheirDocumentedWords) {
    OperationRecord discard;
    discard.head = Head();
    discard.offerChair = 2;
    discard.tile = 37;
    EXPECT_EQ(WriteTableRecord(discard), Vector(64, {5001, 300, 7, 2, 2, 37}));

    HuClaimRecord hu;
    hu.head = Head();
    hu.offerChair = 1;
    hu.tile = 99;
    hu.huKind = kHuRobbingKong;
    hu.robbedKongKind = 2;
    EXPECT_EQ(WriteTableRecord(hu), Vector(64, {5001, 300, 7, 2, 1, 99, 4, 2}));

    ChiClaimRecord chi;
    chi.head = Head();
    chi.thrower = 3;
    chi.tile = 10;
    chi.ownTiles = {14, 18};
    EXPECT_EQ(WriteTableRecord(chi), Vector(64, {5001, 300, 7, 2, 3, 10, 14, 18, -1}));

    PassRecord pass;
    pass.head = Head();
    pass.offerChair = 3;
    pass.tile = 10;
    EXPECT_EQ(WriteTableRecord(pass), Vector(64, {5001, 300, 7, 2, 3, 10}));

    OwnDrawRecord draw;
    draw.head = Head();
    draw.tableNo = 7;
    draw.chair = 2;
    draw.userId = 5001;
    EXPECT_EQ(WriteTableRecord(draw), Vector(96, {5001, 300, 7, 2, 0, 7, 2, 5001}));

    OperationRecord query;
    query.head = Head();
    query.offerChair = 1;
    query.tile = 40;
    query.handTiles = {41, 42, 43};
    query.kind = kGangOnThrownTile;
    EXPECT_EQ(WriteTableRecord(query), Vector(64, {5001, 300, 7, 2, 1, 40, 41, 42, 43, 1}));

    OperationRecord peng;
    peng.head = Head();
    peng.offerChair = 1;
    peng.tile = 40;
    peng.handTiles = {41, 42, -1};
    EXPECT_EQ(WriteTableRecord(peng), Vector(64, {5001, 300, 7, 2, 1, 40, 41, 42, -1}));

    LookCardAskRecord ask;
    ask.head = Head();
    ask.watchedChair = 0;
    EXPECT_EQ(WriteTableRecord(ask), Vector(64, {5001, 300, 7, 2, 0}));
}

TEST(TableProtocolVectors, NotificationsReadTheirDocumentedWords) {
    CardThrownNotice thrown;
    ASSERT_TRUE(ReadTableRecord(Vector(88, {0, 1, 0,    0, 0, 0, 0x01, 0x08, 0x04, 0x20, 0,
                                            0, 0, 0x02, 0, 0, 0, 0,    0,    0,    0,    77}),
                                thrown));
    EXPECT_EQ(thrown.thrower, 1);
    EXPECT_EQ(thrown.chairOptions, (Words<8>{0x01, 0x08, 0x04, 0x20, 0, 0, 0, 0x02}));
    EXPECT_EQ(thrown.tile, 77);

    SeatDrawNotice draw;
    ASSERT_TRUE(ReadTableRecord(Vector(28, {0, 0, 0, 3, -1, 200, 55}), draw));
    EXPECT_EQ(draw.chair, 3);
    EXPECT_EQ(draw.laidAside, -1);
    EXPECT_EQ(draw.tile, kHiddenTile);
    EXPECT_EQ(draw.wallIndex, 55);

    GangHuNotice gangHu;
    ASSERT_TRUE(ReadTableRecord(Vector(32, {1, 3, 60, 2, 0, 0, 8, 0}), gangHu));
    EXPECT_EQ(gangHu.ganger, 1);
    EXPECT_EQ(gangHu.offerChair, 3);
    EXPECT_EQ(gangHu.tile, 60);
    EXPECT_EQ(gangHu.gangKind, 2);
    EXPECT_EQ(gangHu.chairOptions[2], kOptionHu);

    OperationRecord meld;
    ASSERT_TRUE(ReadTableRecord(Vector(64, {9, 300, 7, 1, 0, 12, 200, 200, -1}), meld));
    EXPECT_EQ(meld.head.chair, 1);
    EXPECT_EQ(meld.offerChair, 0);
    EXPECT_EQ(meld.tile, 12);
    EXPECT_EQ(meld.handTiles, (Words<3>{200, 200, -1}));

    AutoPlayStatusHead status;
    ASSERT_TRUE(ReadTableRecord(Vector(24, {0, 0, 19840325, 0, 1, 2}), status));
    EXPECT_EQ(status.code, 19840325);
    EXPECT_EQ(status.count, 1);

    LookCardAnswerRecord answer;
    ASSERT_TRUE(ReadTableRecord(Vector(24, {8001, 300, 7, 0, 5001, 1}), answer));
    EXPECT_EQ(answer.answeringUser, 8001);
    EXPECT_EQ(answer.answeringChair, 0);
    EXPECT_EQ(answer.lookerOn, 5001);
    EXPECT_EQ(answer.allowed, 1);

    DrawReply reply;
    ASSERT_TRUE(ReadTableRecord(Vector(32, {0, 88, 14, kOptionHu | kOptionGang}), reply));
    EXPECT_EQ(reply.tile, 88);
    EXPECT_EQ(reply.wallIndex, 14);
    EXPECT_EQ(reply.options, 0x0a);

    GangQueryReply gang;
    ASSERT_TRUE(ReadTableRecord(Vector(24, {0, 0, 0, 0, 0x02, 0x0a}), gang));
    EXPECT_EQ(gang.chairOptions[0], 0x02);
    EXPECT_EQ(gang.chairOptions[1], 0x0a);
    EXPECT_EQ(gang.chairOptions[2], 0);  // beyond the reply
}

// Each record below its minimum is refused and the output keeps its value.
template <class R>
void ExpectRefusedWhenCut() {
    const size_t minimum = TableRecordMinimum<R>();
    if (minimum == 0) {
        return;
    }
    std::vector<uint8_t> bytes(minimum, 0x11);
    bytes.pop_back();
    R record{};
    const std::vector<uint8_t> before = WriteTableRecord(record);
    EXPECT_FALSE(ReadTableRecord(bytes, record)) << minimum;
    EXPECT_EQ(WriteTableRecord(record), before);
}

TEST(TableProtocolVectors, ARecordCutBelowItsMinimumIsRefused) {
    ExpectRefusedWhenCut<SeatStartedNotice>();
    ExpectRefusedWhenCut<CardThrownNotice>();
    ExpectRefusedWhenCut<SeatDrawNotice>();
    ExpectRefusedWhenCut<GangHuNotice>();
    ExpectRefusedWhenCut<OperationRecord>();
    ExpectRefusedWhenCut<AutoPlayStatusHead>();
    ExpectRefusedWhenCut<LookCardAskRecord>();
    ExpectRefusedWhenCut<LookCardAnswerRecord>();
    ExpectRefusedWhenCut<DrawReply>();
    ExpectRefusedWhenCut<SwapThreeRequest>();
    ExpectRefusedWhenCut<SwapDiceNotice>();
    ExpectRefusedWhenCut<SwapReadyNotice>();
    ExpectRefusedWhenCut<WelfareActivityNotice>();
    ExpectRefusedWhenCut<PlayerLeftNotice>();
    ExpectRefusedWhenCut<HandStartRecord>();
    ExpectRefusedWhenCut<GameResultRecord>();
}

// The named fields sit at the offsets the records are read by.
TEST(TableProtocolVectors, TheRegionalRecordsFieldsSitWhereTheyAreRead) {
    HandStartRecord start;
    start.banker = 11;
    start.startFlags = 14;
    start.reactionTime = 18;
    start.dice[0] = 23;
    start.wallStart = 32;
    start.wildTiles[1] = 35;
    start.wildIndicator = 36;
    start.discardTime = 39;
    start.seatTileCounts[0] = 49;
    start.ownTiles[0] = 53;
    start.word233 = 233;
    const std::vector<uint8_t> s = WriteTableRecord(start);
    for (size_t word : {11u, 14u, 18u, 23u, 32u, 35u, 36u, 39u, 49u, 53u, 233u}) {
        EXPECT_EQ(WordAt(s, word), static_cast<int32_t>(word)) << word;
    }
    GameResultRecord result;
    result.scoreBase[0] = 96;
    result.silverBase[0] = 128;
    result.scoreChange[0] = 160;
    result.silverChange[0] = 192;
    result.nextBaseSilver = 416;
    result.winFlags[0] = 516;
    result.discarder = 532;
    result.winner = 536;
    result.tileCounts[0] = 688;
    result.seatTiles[0] = 704;
    result.itemNames[0] = 'x';
    result.itemValues[0] = 2240;
    result.itemMultipliers[0] = 2296;
    result.finalMultiples[0] = 2352;
    result.exposedKongColumn[0] = 2384;
    result.concealedKongColumn[0] = 2400;
    const std::vector<uint8_t> r = WriteTableRecord(result);
    for (size_t byte : {96u, 128u, 160u, 192u, 416u, 516u, 532u, 536u, 688u, 704u, 2240u, 2296u,
                        2352u, 2384u, 2400u}) {
        EXPECT_EQ(WordAt(r, byte / 4), static_cast<int32_t>(byte)) << byte;
    }
    EXPECT_EQ(r[1216], 'x');
    SwapDiceNotice dice;
    dice.received[0] = 48;
    dice.die = 96;
    dice.firstTurnOptions[0] = 120;
    dice.tingList[0] = 136;
    dice.tingTable[0] = 264;
    dice.unused8456[0] = 8456;
    const std::vector<uint8_t> d = WriteTableRecord(dice);
    for (size_t byte : {48u, 96u, 120u, 136u, 264u, 8456u}) {
        EXPECT_EQ(WordAt(d, byte / 4), static_cast<int32_t>(byte)) << byte;
    }
    SwapReadyNotice ready;
    ready.chair = 12;
    ready.kind = 16;
    ready.pointerChair = 28;
    const std::vector<uint8_t> y = WriteTableRecord(ready);
    EXPECT_EQ(WordAt(y, 3), 12);
    EXPECT_EQ(WordAt(y, 4), 16);
    EXPECT_EQ(WordAt(y, 7), 28);
}

TEST(TableProtocolVectors, WordsBeyondAShortRecordReadZero) {
    LookCardAskRecord ask;
    ask.reserved[0] = 5;
    ASSERT_TRUE(ReadTableRecord(Vector(20, {1, 2, 3, 4, 3}), ask));
    EXPECT_EQ(ask.watchedChair, 3);
    EXPECT_EQ(ask.reserved[0], 0);
    EXPECT_EQ(WordAt(Vector(8, {4, 9}), 1), 9);
    EXPECT_EQ(WordAt(Vector(8, {4, 9}), 2, -1), -1);
    EXPECT_EQ(WordAt(std::vector<uint8_t>(7, 0xff), 1, 42), 42);
}

// --- The document ---

struct DocumentRow {
    uint32_t id = 0;
    std::string bytes;
    std::string minimum;
};

// The "Messages" table of the document by constant name.
std::map<std::string, DocumentRow> ReadDocumentTable() {
    const std::filesystem::path path =
        std::filesystem::path(PVBN_SOURCE_DIR) / "docs" / "table-protocol.md";
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path;
    std::map<std::string, DocumentRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("| ", 0) != 0 || line.find("| `k") == std::string::npos) {
            continue;
        }
        std::vector<std::string> cells;
        std::stringstream stream(line.substr(1));
        std::string cell;
        while (std::getline(stream, cell, '|')) {
            const size_t first = cell.find_first_not_of(' ');
            const size_t last = cell.find_last_not_of(' ');
            cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
        }
        if (cells.size() < 6) {
            continue;
        }
        const std::string name = cells[1].substr(1, cells[1].size() - 2);
        rows[name] = DocumentRow{static_cast<uint32_t>(std::stoul(cells[2])), cells[4], cells[5]};
    }
    return rows;
}

template <class R>
DocumentRow RowOf(uint32_t id) {
    return DocumentRow{id, std::to_string(R::kSize), std::to_string(TableRecordMinimum<R>())};
}

TEST(TableProtocolDocument, TheDocumentsTableAgreesWithTheHeader) {
    std::map<std::string, DocumentRow> header = {
        {"kDiscard", RowOf<OperationRecord>(kDiscard)},
        {"kOwnDraw", RowOf<OwnDrawRecord>(kOwnDraw)},
        {"kGangQuery", RowOf<OperationRecord>(kGangQuery)},
        {"kChiClaim", RowOf<ChiClaimRecord>(kChiClaim)},
        {"kPengClaim", RowOf<OperationRecord>(kPengClaim)},
        {"kHuClaim", RowOf<HuClaimRecord>(kHuClaim)},
        {"kPass", RowOf<PassRecord>(kPass)},
        {"kDiscardGang", RowOf<OperationRecord>(kDiscardGang)},
        {"kConcealedGang", RowOf<OperationRecord>(kConcealedGang)},
        {"kAddedGang", RowOf<OperationRecord>(kAddedGang)},
        {"kHua", RowOf<OperationRecord>(kHua)},
        {"kLookCardAsk", RowOf<LookCardAskRecord>(kLookCardAsk)},
        // The frame writes this request; the answer forwards its 40 bytes.
        {"kLookOnPermission", DocumentRow{kLookOnPermission, "40", "40"}},
        {"kSeatStarted", RowOf<SeatStartedNotice>(kSeatStarted)},
        {"kCardThrown", RowOf<CardThrownNotice>(kCardThrown)},
        {"kSeatDraw", RowOf<SeatDrawNotice>(kSeatDraw)},
        {"kGangHuNotice", RowOf<GangHuNotice>(kGangHuNotice)},
        {"kPengNotice", RowOf<OperationRecord>(kPengNotice)},
        {"kGangNotice", RowOf<OperationRecord>(kGangNotice)},
        {"kConcealedGangNotice", RowOf<OperationRecord>(kConcealedGangNotice)},
        {"kAddedGangNotice", RowOf<OperationRecord>(kAddedGangNotice)},
        {"kHuaNotice", RowOf<SeatDrawNotice>(kHuaNotice)},
        {"kAutoPlayStatus", DocumentRow{kAutoPlayStatus, "20 + 4n", "20"}},
        {"kLookCardAnswer", RowOf<LookCardAnswerRecord>(kLookCardAnswer)},
        // The regional game's messages.
        {"kSwapThree", RowOf<SwapThreeRequest>(kSwapThree)},
        {"kSeatBoardInfo", RowOf<SeatBoardInfoRequest>(kSeatBoardInfo)},
        {"kEnterHandRequest", DocumentRow{kEnterHandRequest, "0", "0"}},
        {"kTingThrow", DocumentRow{kTingThrow, "104 + 4n", std::to_string(kTingThrowHeadBytes)}},
        {"kPlayerLeft", RowOf<PlayerLeftNotice>(kPlayerLeft)},
        {"kTablePlayers",
         DocumentRow{static_cast<uint32_t>(kTablePlayers), "64 + 136k + 952", "12"}},
        {"kHandStart", RowOf<HandStartRecord>(kHandStart)},
        {"kHandResult", RowOf<GameResultRecord>(kHandResult)},
        {"kHandState",
         DocumentRow{static_cast<uint32_t>(kHandState), std::to_string(kHandStateBytes),
                     std::to_string(kHandStateBytes)}},
        {"kTableChat", DocumentRow{static_cast<uint32_t>(kTableChat), "36 + text",
                                   std::to_string(kTableChatMinBytes)}},
        {"kSwapDice", RowOf<SwapDiceNotice>(kSwapDice)},
        {"kSwapReady", RowOf<SwapReadyNotice>(kSwapReady)},
        {"kChargeUrl", DocumentRow{static_cast<uint32_t>(kChargeUrl), "text",
                                   std::to_string(kChargeUrlMinBytes)}},
        {"kWelfareActivity", RowOf<WelfareActivityNotice>(kWelfareActivity)},
        {"kTingThrowNotice", RowOf<CardThrownNotice>(kTingThrowNotice)},
    };
    const std::map<std::string, DocumentRow> document = ReadDocumentTable();
    EXPECT_EQ(document.size(), header.size());
    for (const auto& [name, row] : header) {
        const auto found = document.find(name);
        ASSERT_NE(found, document.end()) << name;
        EXPECT_EQ(found->second.id, row.id) << name;
        EXPECT_EQ(found->second.bytes, row.bytes) << name;
        EXPECT_EQ(found->second.minimum, row.minimum) << name;
    }
    EXPECT_EQ(TableRecordMinimum<AutoPlayStatusHead>(), 20u);
}

}  // namespace
