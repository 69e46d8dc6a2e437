#pragma once
// The regional server's records that the table protocol has no named record
// for, built from named values for the test server's scripts and the game's
// tests: the hand state (211160) with its meld store, discards and swap
// block, a table chat line (211200) and the top-up address (229805). The
// other records are the table protocol's (mahjong_client/TableProtocol.h),
// written with WriteTableRecord.
//
// Rules:
//  - Every record comes out at its full wire size, little-endian, zero where
//    nothing is named; lists are ended or padded with -1 as the server does.
//  - Values are written as given: a builder checks nothing, so tests can
//    build the bad records the client must refuse.

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "mahjong_client/TableProtocol.h"
#include "zep/ZepWire.h"

namespace regional_records {

using Bytes = std::vector<uint8_t>;
template <typename T>
using PerChair = std::array<T, 4>;
using TileList = std::vector<int32_t>;

inline constexpr size_t kHandStateBytes = 15156;  // 211160
inline constexpr size_t kChatTextAt = 36;         // 211200

// One meld of the hand state's meld store: four tile ids and the chair the
// claimed tile came from.
struct Meld {
    std::array<int32_t, 4> tiles{-1, -1, -1, -1};
    int32_t source = -1;
};
// The meld store's five lists, in the store's order.
enum class MeldList { Peng = 0, Chi = 1, ExposedGang = 2, ConcealedGang = 3, AddedGang = 4 };

// The byte where meld list `list` (0-4) starts in the hand state.
inline constexpr size_t MeldListOffset(int list) {
    return table_protocol::kHandStartBytes + 688 * static_cast<size_t>(list);
}

// The hand state (211160): the hand start at its head, then the meld store,
// the discards and the swap block.
struct HandState {
    table_protocol::HandStartRecord start;
    std::array<PerChair<std::vector<Meld>>, 5> melds;  // by MeldList, then chair
    PerChair<TileList> discards;
    int32_t lastDrawnTile = -1;  // byte 6652
    // The swap block at 6656: the four choices, the received tiles, the die,
    // then the viewer's own three chosen tiles.
    PerChair<std::array<int32_t, 3>> swapChoices{};
    PerChair<std::array<int32_t, 3>> swapReceived{};
    int32_t swapDie = 0;
    std::array<int32_t, 3> ownSwapChoice{};
};

namespace detail {

// Writes words at byte offsets of a record; nothing past its end.
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

}  // namespace detail

inline Bytes HandStateRecord(const HandState& state) {
    Bytes bytes(kHandStateBytes, 0);
    const Bytes head = table_protocol::WriteTableRecord(state.start);
    std::copy(head.begin(), head.end(), bytes.begin());
    detail::Words words(bytes);
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
    const size_t discards = table_protocol::kHandStartBytes + 860 * 4;
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

// 211200: a chat line of `speaker` (kind 8 a spoken phrase) with its text,
// zero-ended.
inline Bytes ChatLineRecord(int32_t speaker, int32_t kind, const std::string& text) {
    Bytes bytes(kChatTextAt, 0);
    detail::Words words(bytes);
    words.At(0, speaker);
    words.At(8, kind);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// 229805: the top-up page's address, zero-ended.
inline Bytes ChargeUrlRecord(const std::string& url) {
    Bytes bytes(url.begin(), url.end());
    bytes.push_back(0);
    return bytes;
}

// The tile id of copy `copy` (0-3) of a face: face 0-26 is suit face / 9 and
// value face % 9 + 1 (id = suit * 36 + copy * 9 + value - 1).
inline constexpr int32_t TileOf(int face, int copy) {
    return (face / 9) * 36 + copy * 9 + face % 9;
}

}  // namespace regional_records
