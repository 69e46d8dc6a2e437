#pragma once
// Builds hands for the rule-set tests: an identity wall (id k at place k),
// tiles given to a seat through the record setters and RebuildCounts, melds
// and discards made of wall tiles, and the hand's outcome words.

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "mahjong_logic/MahjongTableLogic.h"

template <typename Rules>
class HandBuilder : public Rules {
public:
    using Rules::Rules;

    // The id of a copy (0-3) of a suited tile index.
    static int IdOf(int index, int copy = 0) { return index / 10 * 36 + index % 10 - 1 + 9 * copy; }

    void BuildIdentityWall() {
        std::vector<int32_t> permutation(this->TileCount());
        std::iota(permutation.begin(), permutation.end(), 0);
        ASSERT_TRUE(this->BuildWall(permutation));
    }

    // A copy of the index still in the wall, marked with the state and owner.
    int Take(int index, int seat, int32_t state) {
        for (int copy = 0; copy < 4; ++copy) {
            const int id = IdOf(index, copy);
            if (this->TileState(id) == kCardInWall) {
                this->SetTileState(id, state);
                this->SetTileOwner(id, seat);
                return id;
            }
        }
        ADD_FAILURE() << "no copy of " << index << " left in the wall";
        return -1;
    }

    std::vector<int> Give(int seat, std::initializer_list<int> indices) {
        std::vector<int> ids;
        for (const int index : indices) {
            ids.push_back(Take(index, seat, kCardInHand));
        }
        this->RebuildCounts();
        return ids;
    }

    void AddMeld(int seat, MeldList list, int index, int flags = 0, int source = -1) {
        MeldEntry meld;
        const int size = list == kMeldPeng ? 3 : 4;
        const int32_t state = list == kMeldPeng ? kCardPengFromHand : kCardKongFromHand;
        for (int k = 0; k < size; ++k) {
            meld.tiles[k] = Take(index, seat, state);
        }
        meld.source = source < 0 ? seat : source;
        meld.flags = flags;
        this->melds_[seat][list].push_back(meld);
    }

    void AddDiscards(int seat, std::initializer_list<int> indices) {
        for (const int index : indices) {
            this->discards_[seat].push_back(Take(index, seat, kCardDiscarded));
        }
    }

    void SetHuTypeFlags(uint32_t flags) { this->huTypeFlags_ = flags; }
    void SetKongDrawWord(int32_t value) { this->kongDrawWord_ = value; }
    void SetDrawnFront(int n) { this->drawnFront_ = n; }
    void SetBankerSeat(int seat) { this->SetBanker(seat); }
    // A won hand: its points, the winner, the discarder and the end flags.
    void SetOutcome(int winner, int32_t points, int discarder, uint32_t endFlags) {
        this->huPoints_.fill(0);
        if (this->IsValidSeat(winner)) {
            this->huPoints_[winner] = points;
        }
        this->winnerSeat_ = winner;
        this->discarderSeat_ = discarder;
        this->winnerCount_ = winner >= 0 ? 1 : 0;
        this->endFlags_ = endFlags;
    }
    void SetPoints(int seat, int32_t points) { this->huPoints_[seat] = points; }
    void SetHuResult(int seat, const HuResult& result) { this->huResults_[seat] = result; }
    void SetFeeds(int source, int claimant, int pengs) {
        this->pengFeeds_[source][claimant] = pengs;
    }
};

// A copy of the index still in the wall; -1 when none is left.
template <typename Rules>
int FreeCopy(const HandBuilder<Rules>& table, int index) {
    for (int copy = 0; copy < 4; ++copy) {
        const int id = HandBuilder<Rules>::IdOf(index, copy);
        if (table.TileState(id) == kCardInWall) {
            return id;
        }
    }
    return -1;
}
