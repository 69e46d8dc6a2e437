#include "tools/regional_records/RegionalRecords.h"

#include <algorithm>
#include <span>

#include "mahjong_client/TableProtocol.h"
#include "zep/ZepWire.h"

namespace regional_records {
namespace {

namespace tp = table_protocol;

// Writes words from a byte offset of a record.
class Words {
public:
    explicit Words(Bytes& bytes) : bytes_(bytes) {}

    void At(size_t offset, int32_t value) {
        if (offset + 4 > bytes_.size()) {
            return;
        }
        ZepWireWriter writer(std::span<uint8_t>(bytes_).subspan(offset, 4));
        writer.WriteI32(value);
    }
    void Dword(size_t index, int32_t value) { At(index * 4, value); }
    // `slots` words from the offset: the list, then -1.
    void List(size_t offset, const TileList& list, size_t slots) {
        for (size_t i = 0; i < slots; ++i) {
            At(offset + 4 * i, i < list.size() ? list[i] : -1);
        }
    }
    template <size_t N>
    void Array(size_t offset, const std::array<int32_t, N>& values) {
        for (size_t i = 0; i < N; ++i) {
            At(offset + 4 * i, values[i]);
        }
    }

private:
    Bytes& bytes_;
};

void WriteHandStart(const HandStart& start, Bytes& bytes) {
    Words words(bytes);
    words.Dword(8, start.handNumber);
    words.Dword(9, start.baseSilver);
    words.Dword(10, start.baseScore);
    words.Dword(11, start.banker);
    words.Dword(12, start.bankerStreak);
    words.Dword(13, start.turnChair);
    words.Dword(14, start.startFlags);
    words.Dword(18, start.reactionTime);
    words.Array(23 * 4, start.dice);
    words.Dword(27, start.claimSkipRule);
    words.Dword(28, start.chiRule);
    words.Dword(32, start.wallStart);
    words.Array(34 * 4, start.wildTiles);
    words.Dword(36, start.panelWildTile);
    words.Dword(39, start.discardTime);
    words.Array(49 * 4, start.tilesHeld);
    words.List(212, start.ownTiles, 32);
    for (size_t chair = 0; chair < 4; ++chair) {
        words.List(340 + chair * 144, start.setAside[chair], 36);
        words.At(916 + chair * 4,
                 static_cast<int32_t>(std::min<size_t>(start.setAside[chair].size(), 36)));
    }
    words.At(932, start.word233);
}

}  // namespace

Bytes HandStartRecord(const HandStart& start) {
    Bytes bytes(kHandStartBytes, 0);
    WriteHandStart(start, bytes);
    return bytes;
}

Bytes HandStateRecord(const HandState& state) {
    Bytes bytes(kHandStateBytes, 0);
    WriteHandStart(state.start, bytes);
    Words words(bytes);
    // Each list: per chair six entries of seven words, then the four lengths.
    for (int list = 0; list < 5; ++list) {
        const size_t base = MeldListOffset(list);
        for (size_t chair = 0; chair < 4; ++chair) {
            const std::vector<Meld>& melds = state.melds[static_cast<size_t>(list)][chair];
            for (size_t entry = 0; entry < 6; ++entry) {
                const size_t at = base + chair * 168 + entry * 28;
                const Meld meld = entry < melds.size() ? melds[entry] : Meld{};
                words.Array(at, meld.tiles);
                words.At(at + 16, meld.source);
            }
            words.At(base + 672 + chair * 4, static_cast<int32_t>(melds.size()));
        }
    }
    // Discards: 4 x 36 ids, then the lengths.
    const size_t discards = kHandStartBytes + 860 * 4;
    for (size_t chair = 0; chair < 4; ++chair) {
        words.List(discards + chair * 144, state.discards[chair], 36);
        words.At(discards + 576 + chair * 4,
                 static_cast<int32_t>(std::min<size_t>(state.discards[chair].size(), 36)));
    }
    words.At(6652, state.lastDrawnTile);
    for (size_t chair = 0; chair < 4; ++chair) {
        words.Array(6656 + chair * 12, state.swapChoices[chair]);
        words.Array(6704 + chair * 12, state.swapReceived[chair]);
    }
    words.At(6752, state.swapDie);
    words.Array(6756, state.ownSwapChoice);
    words.List(6772, {}, 32);
    return bytes;
}

Bytes GameResultRecord(const GameResult& result) {
    Bytes bytes(kResultBytes, 0);
    Words words(bytes);
    words.At(0, static_cast<int32_t>(result.flags));
    words.Array(96, result.scoreBase);
    words.Array(128, result.silverBase);
    words.Array(160, result.scoreChange);
    words.Array(192, result.silverChange);
    words.At(416, result.nextBaseSilver);
    words.Array(516, result.winFlags);
    words.At(532, result.discarder);
    words.At(536, result.winner);
    words.At(540, result.winningTile);
    for (size_t chair = 0; chair < 4; ++chair) {
        words.At(688 + chair * 4,
                 static_cast<int32_t>(std::min<size_t>(result.handTiles[chair].size(), 32)));
        words.List(704 + chair * 128, result.handTiles[chair], 32);
    }
    std::string names;
    for (size_t i = 0; i < result.itemNames.size(); ++i) {
        names += (i > 0 ? "|" : "") + result.itemNames[i];
    }
    names.resize(std::min<size_t>(names.size(), 1023));
    std::copy(names.begin(), names.end(), bytes.begin() + 1216);
    words.Array(2240, result.itemValues);
    words.Array(2296, result.itemMultipliers);
    words.Array(2352, result.finalMultiple);
    words.Array(2368, result.further);
    words.Array(2384, result.exposedGangColumn);
    words.Array(2400, result.concealedGangColumn);
    return bytes;
}

Bytes SwapDiceRecord(const SwapDice& dice) {
    Bytes bytes(kSwapDiceBytes, 0);
    Words words(bytes);
    for (size_t chair = 0; chair < 4; ++chair) {
        words.Array(chair * 12, dice.given[chair]);
        words.Array(48 + chair * 12, dice.received[chair]);
    }
    words.At(96, dice.die);
    words.Array(120, dice.firstTurnOptions);
    words.List(136, dice.tingList, 32);
    return bytes;
}

Bytes SwapReadyRecord(int32_t chair, int32_t indicatorChair, int32_t kind) {
    Bytes bytes(kSwapReadyBytes, 0);
    Words words(bytes);
    words.At(12, chair);
    words.At(16, kind);
    words.At(28, indicatorChair);
    return bytes;
}

Bytes HuaNoticeRecord(int32_t chair, int32_t tile, int32_t replacement, int32_t wallIndex) {
    Bytes bytes(kHuaNoticeBytes, 0);
    Words words(bytes);
    words.At(12, chair);
    words.At(16, tile);
    words.At(20, replacement);
    words.At(24, wallIndex);
    return bytes;
}

Bytes SeatStartedRecord(int32_t chair) {
    Bytes bytes(kSeatStartedBytes, 0);
    Words(bytes).Dword(3, chair);
    return bytes;
}

Bytes PlayerLeftRecord(int32_t chair, bool forced, int32_t scoreDeducted, int32_t silverDeducted) {
    Bytes bytes(kPlayerLeftBytes, 0);
    Words words(bytes);
    words.Dword(1, chair);
    words.Dword(2, forced ? 1 : 0);
    words.Dword(5, scoreDeducted);
    words.Dword(6, silverDeducted);
    return bytes;
}

Bytes ChatLineRecord(int32_t speaker, int32_t kind, const std::string& text) {
    Bytes bytes(36, 0);
    Words words(bytes);
    words.At(0, speaker);
    words.At(8, kind);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

Bytes TingThrowRecord(int32_t chair, int32_t tile) {
    tp::CardThrownNotice notice;
    notice.thrower = chair;
    notice.tile = tile;
    return tp::WriteTableRecord(notice);
}

Bytes WelfareActRecord(int32_t actId) {
    Bytes bytes(kWelfareActBytes, 0);
    Words(bytes).Dword(4, actId);
    return bytes;
}

Bytes ChargeUrlRecord(const std::string& url) {
    Bytes bytes(url.begin(), url.end());
    bytes.push_back(0);
    return bytes;
}

}  // namespace regional_records
