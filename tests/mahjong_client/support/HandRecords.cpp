#include "tests/mahjong_client/support/HandRecords.h"

#include "zep/ZepWire.h"

namespace table_test {

namespace tp = table_protocol;

namespace {

constexpr size_t kHandStartBytes = 952;
constexpr size_t kResultBytes = 2432;
constexpr size_t kOwnTilesAt = 212;
constexpr size_t kOwnTileSlots = 32;
constexpr size_t kWinnerWord = 134;
constexpr size_t kWinFlagsAt = 516;

void PutWord(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
    ZepWireWriter writer(std::span<uint8_t>(bytes).subspan(offset, 4));
    writer.WriteI32(value);
}

}  // namespace

std::vector<uint8_t> HandStartRecord(const HandStart& start) {
    std::vector<uint8_t> bytes(kHandStartBytes, 0);
    auto word = [&](size_t index, int32_t value) { PutWord(bytes, index * 4, value); };
    word(8, start.handNumber);
    word(9, start.baseSilver);
    word(10, start.baseScore);
    word(11, start.banker);
    word(13, start.turnChair);
    word(14, start.startFlags);
    word(18, start.reactionTime);
    for (size_t i = 0; i < start.dice.size(); ++i) {
        word(23 + i, start.dice[i]);
    }
    word(27, start.claimSkipRule);
    word(28, start.chiRule);
    word(32, start.wallStart);
    word(34, start.wildTiles[0]);
    word(35, start.wildTiles[1]);
    word(36, start.wildIndicator);
    word(39, start.discardTime);
    for (size_t chair = 0; chair < start.tilesHeld.size(); ++chair) {
        word(49 + chair, start.tilesHeld[chair]);
    }
    for (size_t i = 0; i < kOwnTileSlots; ++i) {
        const int32_t tile = i < start.ownTiles.size() ? start.ownTiles[i] : -1;
        PutWord(bytes, kOwnTilesAt + i * 4, tile);
    }
    return bytes;
}

std::vector<uint8_t> GameResultRecord(int32_t winner, const std::array<int32_t, 4>& winFlags,
                                      uint32_t flags) {
    std::vector<uint8_t> bytes(kResultBytes, 0);
    PutWord(bytes, 0, static_cast<int32_t>(flags));
    PutWord(bytes, kWinnerWord * 4, winner);
    for (size_t chair = 0; chair < winFlags.size(); ++chair) {
        PutWord(bytes, kWinFlagsAt + chair * 4, winFlags[chair]);
    }
    return bytes;
}

std::vector<uint8_t> CardThrown(int32_t thrower, int32_t tile,
                                const std::array<int32_t, 4>& options) {
    tp::CardThrownNotice notice;
    notice.thrower = thrower;
    notice.tile = tile;
    for (size_t chair = 0; chair < options.size(); ++chair) {
        notice.chairOptions[chair] = options[chair];
    }
    return tp::WriteTableRecord(notice);
}

std::vector<uint8_t> SeatDraw(int32_t chair, int32_t tile, int32_t wallIndex) {
    tp::SeatDrawNotice notice;
    notice.chair = chair;
    notice.tile = tile;
    notice.wallIndex = wallIndex;
    return tp::WriteTableRecord(notice);
}

std::vector<uint8_t> MeldNotice(int32_t claimant, int32_t source, int32_t tile,
                                const std::array<int32_t, 3>& handTiles) {
    tp::OperationRecord record;
    record.head.chair = claimant;
    record.offerChair = source;
    record.tile = tile;
    record.handTiles = handTiles;
    return tp::WriteTableRecord(record);
}

std::vector<uint8_t> WordsRecord(std::initializer_list<int32_t> words) {
    std::vector<uint8_t> bytes(words.size() * 4);
    ZepWireWriter writer(bytes);
    for (int32_t word : words) {
        writer.WriteI32(word);
    }
    return bytes;
}

}  // namespace table_test
