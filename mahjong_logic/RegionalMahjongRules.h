#pragma once
// CRegionalMahjongRules: the regional variant's rule set over the mahjong
// table logic: the fourteen named hu and score types and their points, the
// best-hu search over sequences, triplets and one pair, the start and the
// settlement of a hand, the swap-three phase, the ready declaration and the
// per-seat pass counts.
//
// Rules kept:
//  - A winning hand's points are the base of its main type (the largest base
//    set) times the multipliers of the types without a base; the kong bonus
//    is added to a hand's score but not to the points a settlement moves.
//  - Settled points always sum to zero; a settlement that would not is
//    logged and cancelled.
//  - The swap moves tiles only when all four choices are three distinct
//    held tiles of one suit; otherwise nothing moves.
//  - Everything that lives for a hand is cleared by both forms of Reset;
//    the score history survives a hand.

#include <array>
#include <span>

#include "mahjong_logic/MahjongTableLogic.h"

// The named hu and score types of the variant.
enum RegionalHuType : int {
    kTypePlain = 0,          // "屁胡"
    kTypeAllTriplets,        // "大对子"
    kTypeGoldenHook,         // "金钩钓"
    kTypeSevenPairs,         // "暗七对"
    kTypeDragonSevenPairs,   // "龙七对"
    kTypeOneSuit,            // "清一色"
    kTypeOneSuitThreeMelds,  // "清三搭"
    kTypeFlowerOnKong,       // "杠上花"
    kTypeShotAfterKong,      // "杠上炮"
    kTypeRobbedKong,         // "抢杠"
    kTypeEarlyFour,          // "前四"
    kTypeLateFour,           // "后四"
    kTypeEarlyDeclaration,   // "前四报叫"
    kTypeDrawnHandReady,     // "荒庄查叫"
    kRegionalHuTypeCount
};

struct HuTypeEntry {
    const char* name;  // GBK, at most 15 bytes
    int32_t base;
    int32_t multiplier;
};

// The hu-type flags the regional game start sets.
inline constexpr uint32_t kRegionalHuTypeFlags = 0xFE103317u;
inline constexpr uint32_t kHuTypeGoldenHook = 0x8000000;
inline constexpr uint32_t kHuTypeOneSuitThreeMelds = 0x10000000;
inline constexpr uint32_t kHuTypeEarlyFour = 0x2000000;
inline constexpr uint32_t kHuTypeLateFour = 0x4000000;
inline constexpr uint32_t kHuTypeEarlyDeclaration = 0x80000000;

// Where a hu result keeps the base and the multiplier of type t.
inline constexpr int kHuTypeBaseWord = 4;
inline constexpr int kHuTypeMultiplierWord = 36;

// The swap request record (2114 words): the four seats' chosen tiles
// (three each), the tiles each seat received, the die, the submitting seat,
// each seat's options after the exchange, and the banker's ready candidates
// with the 64-entry map of the tiles each would wait on.
struct SwapRecord {
    static constexpr int kWords = 2114;
    static constexpr int kChoiceWord = 0;
    static constexpr int kReceivedWord = 12;
    static constexpr int kDieWord = 24;
    static constexpr int kSubmitterWord = 29;
    static constexpr int kOptionsWord = 30;
    static constexpr int kCandidateWord = 34;
    static constexpr int kWaitMapWord = 66;
    std::array<int32_t, kWords> words{};

    // k is 0..2; a seat outside 0..3 reads -1 and writes nothing.
    int32_t Choice(int seat, int k) const {
        return InSeat(seat, k) ? words[kChoiceWord + 3 * seat + k] : -1;
    }
    void SetChoice(int seat, int k, int32_t id) {
        if (InSeat(seat, k)) {
            words[kChoiceWord + 3 * seat + k] = id;
        }
    }
    int32_t Received(int seat, int k) const {
        return InSeat(seat, k) ? words[kReceivedWord + 3 * seat + k] : -1;
    }
    int32_t Die() const { return words[kDieWord]; }
    int32_t Submitter() const { return words[kSubmitterWord]; }
    int32_t Options(int seat) const {
        return seat >= 0 && seat < 4 ? words[kOptionsWord + seat] : 0;
    }

private:
    static bool InSeat(int seat, int k) { return seat >= 0 && seat < 4 && k >= 0 && k < 3; }
};

inline constexpr int kReadyCandidates = 32;
// Marks by tile index of the tiles a hand waits on.
using WaitMap = std::array<int32_t, kHandKinds>;

class CRegionalMahjongRules : public CMahjongTableLogic {
public:
    explicit CRegionalMahjongRules(
        const MahjongTableParameters& parameters = kRegionalTableParameters);
    ~CRegionalMahjongRules() override;

    void Reset(bool full) override;

    // --- Hu and score types ---
    static const HuTypeEntry& HuType(int type);
    // Sets the type values of a winning result (its groups and word 0's
    // mode) and answers its points plus the kong bonus.
    int ClassifyHu(int seat, int tile, HuResult& result, int mode) override;
    // Base of the main type times the multipliers of the types without one.
    static int32_t HuPoints(const HuResult& result);
    int KongBonus(int seat, const HuResult& result) const;
    int CountDiscards() const;
    int TilesLeft() const;
    bool IsGoldenHook(int seat, int mode) const;
    bool IsCleanThreeMelds(int seat) const;
    int CountQuadsInSevenPairs(int seat, int tile, int mode) const;
    // The best score of the seat's hand with the tile (seven pairs or the
    // standard search), its result copied out when above 0.
    int ScoreHu(int seat, int tile, HuResult& result, int mode) override;
    // 8 when the seat's hand with the tile wins (seven pairs, else the
    // standard search), else 0.
    int TestHu(int seat, int tile, HuResult& result, int mode) override;
    // The best-scoring standard decomposition of the counts plus the tile
    // (four groups and a pair, wild tiles filling gaps): its score, with the
    // groups (type values cleared) in best; 0 when there is none.
    int SearchHu(const HandCounts& counts, int tile, int mode, int seat, HuResult& best);
    int WildSuccessor(int id) const override;

    // --- Swap-three, ready declaration and pass counts ---
    // A seat's three tiles of one suit (record words 3 x seat.., the seat in
    // word 29), taken only in the swap phase; when all four have chosen, the
    // exchange. 1 when the exchange was made, else 0.
    int SubmitSwapChoice(SwapRecord& record);
    // Chooses for every seat that has not (three tiles of its longest suit)
    // and makes the exchange; 1 when made, 0 (nothing moved) otherwise.
    int AutoSwapChoice(SwapRecord& record);
    // The suit the automatic choice gives away for the seat: the one it
    // holds most of (ties: the lower suit).
    int AutoSwapSuit(int seat) const;
    // 0x40 when discarding some held tile leaves a waiting hand: those tiles
    // go into candidates (-1 after them) with their wait maps.
    int ReadyOptions(int seat, std::span<int32_t> candidates, std::span<WaitMap> maps);
    // 64 when the seat's hand waits on a suited tile: every such tile marked
    // in waits, the best-scoring result in best; else 0.
    int WaitingTiles(int seat, HuResult& best, WaitMap& waits);
    // The seat's options on the tile it drew: hu, a kong that keeps a
    // declared seat's waits, or (before the 4th discard) the ready option.
    int SelfOptions(int seat, int tile) override;
    // A seat granted the ready option, before the 4th discard, on its turn,
    // declares its ready hand with the candidate it is about to discard.
    // 1 when declared, else 0.
    int DeclareReady(int seat, int tile);
    // Clears the pass counts of the seats after fromSeat in play order up
    // to, not including, toSeat; nothing for a seat outside the table.
    void ClearPassCounts(int fromSeat, int toSeat);
    // A discard: the discarder's pass counts cleared, then every seat's
    // count of the tile's index raised by one.
    void NotePassesOnDiscard(int discarder, int tile);
    int PassCount(int seat, int index) const;
    // A front draw also clears the seat's pass counts first and keeps the
    // tile drawn.
    int DrawFront(int seat) override;

    // --- Game start and settlement ---
    // Shuffles, chooses the banker, deals from the wall start and sets the
    // hand's hu-type flags; false when the wall could not be built or dealt.
    bool StartHand() override;
    // A random seat on the first hand, else the banker stays.
    void ChooseBanker() override;
    int GetWallStart() override;
    int GetWildPosition() override;
    // 1 when every suited kind occurs copies-per-kind times, else 0.
    int CheckWall() const override;
    void RollTableDice() override;
    // The draw position, then each seat's flowers laid aside and replaced
    // from the back of the wall.
    void AfterDeal() override;
    // The end of a hand without a winner: every seat that has not won gets
    // its ready-hand value (the points of its best wait, 0 when not waiting).
    void DrawnHand() override;
    // The drawn hand's payments to ready seats, or the winner's points and
    // the declared seats' penalty; then the kong money; a total other than 0
    // is logged and cancelled.
    void SettleHand(PerSeat<int32_t>& scores) override;
    void SettleKongs(PerSeat<int32_t>& scores) override;
    // The banker stays after a drawn hand; else the single winner, the
    // discarder of several winners' tile, or seat 0.
    int NextBanker() const override;
    // Counts the streak and makes the next banker the banker.
    void UpdateBankerStreak() override;

    // --- Play actions and claims ---
    // A discard by the seat whose turn it is: every seat's ready grant ends,
    // the kong-discard flag says whether the discarder kongs just before
    // (and only then), the pass counts take the tile, and every other seat
    // is offered gang and hu, and peng unless it has declared its ready hand.
    // A seat that may act gets status 0x20 unless it has declared.
    int Discard(int seat, std::span<const int32_t> tiles) override;
    // Peng only on the first discard of an index since the seat's own draw;
    // a declared seat kongs only when its waits stay the same.
    int GetClaimOptions(int seat, int tile, HuResult& result, int mode) override;
    // 8 when the seat may hu: self-drawn on any scoring hand; on a discard
    // or a robbed kong a named type, the early or late four, or a plain hand
    // from a seat that has declared; after passing the index only the early
    // or late four or a shot after a kong.
    int CanHu(int seat, int tile, HuResult& result, int mode) override;
    // Clears the pass counts from the source up to request word 11, then
    // the peng.
    int Peng(const TableRequest& request) override;
    // A declared seat's concealed kong must leave its waits unchanged.
    int ConcealedKong(const TableRequest& request) override;
    // A robbing request that does not fit falls back to a hu on the discard
    // (word 6 then says so).
    int DispatchRequest(TableRequest& request) override;
    // Lays the seat's won tile aside (word 4): it joins the seat's discard
    // list and its set-aside list, the win is counted and the seat is marked
    // as having won. 0 unless the tile is the seat's won tile.
    int SetAsideTile(const TableRequest& request) override;
    // Play begins with the swap-three phase.
    void BeginPlay() override;
    // The last drawn tile for a seat that has won, else its first tile that
    // is not a flower, else its first tile.
    int AutoDiscardChoice(int seat, TableRequest& request) const override;
    bool IsTurnTimeOut() const override;
    bool PhaseTimedOut() const override;
    // In the claim phase: the seat may go on once the claim time-out + 2 s
    // has passed or no seat but it and the next in seat number may claim.
    bool IsSeatTurnDue(int seat) const;

    // --- Snapshot and result ---
    static constexpr int kRegionalGameStateBytes = 15156;
    static constexpr int kRegionalHeaderBytes = 952;
    static constexpr int kRegionalResultBytes = 2432;
    int GetGameStateSize() const override { return kRegionalGameStateBytes; }
    int GetHeaderSize() const override { return kRegionalHeaderBytes; }
    int GetResultSize() const override { return kRegionalResultBytes; }
    // The 952-byte header, the meld block at 952 and the regional parts;
    // only the viewer's own tiles are shown, none with hide set or a viewer
    // outside the table.
    bool PackGameState(std::span<uint8_t> buffer, int viewer, bool hide) override;
    bool PackHeader(std::span<uint8_t> buffer, int viewer, bool hide) override;
    // The 2432-byte result: the mahjong fields, the hands, the type names
    // and the winner's values, ready values, win counts and kong money; the
    // end flags go into word 0 last.
    bool PackResult(std::span<uint8_t> record, const TableResult& settled) override;

    // --- Reading the hand ---
    int ReadyValue(int seat) const { return IsValidSeat(seat) ? readyValue_[seat] : 0; }
    bool HasWonThisHand(int seat) const override { return IsValidSeat(seat) && seatWon_[seat]; }
    int32_t ExposedKongScore(int seat) const {
        return IsValidSeat(seat) ? exposedKongScore_[seat] : 0;
    }
    int32_t ConcealedKongScore(int seat) const {
        return IsValidSeat(seat) ? concealedKongScore_[seat] : 0;
    }
    bool HasChosenSwap(int seat) const { return IsValidSeat(seat) && swapChosen_[seat]; }
    int SwapDie() const { return swapDie_; }
    int SwapReceived(int seat, int k) const;
    bool IsReadyGranted(int seat) const { return IsValidSeat(seat) && readyGranted_[seat]; }
    std::span<const int32_t> ReadyCandidates() const { return readyCandidates_; }
    const WaitMap& ReadyWaitMap(int k) const;
    int LastDrawnTile() const override { return lastDrawnTile_; }

    bool KongDiscardFlag() const { return kongDiscardFlag_; }
    int32_t WinCount(int seat) const { return IsValidSeat(seat) ? winCount_[seat] : 0; }
    bool HasDeclaredReady(int seat) const override {
        return IsValidSeat(seat) && readyDeclared_[seat];
    }

protected:
    // 1 for a kong made before the 4th discard, else 2 when fewer than 4
    // tiles are left, else 0: the money of a flagged kong is doubled.
    int32_t KongMeldFlags() const override;
    // An added kong may no longer be robbed once a seat has won.
    bool MayRobKong(int kind) const override;
    // The seat whose discard list ends with the tile (not the given seat);
    // -1 when none.
    int DiscarderOf(int tile, int seat) const;
    bool AnySeatHasWon() const;

    struct HuSearch;
    int SearchHuStep(HuSearch& search, const HuResult& work, bool pairTaken);
    int SearchHuGroups(HuSearch& search, const HuResult& work, bool pairTaken);

    // Hu and score types.
    bool kongDiscardFlag_ = false;
    PerSeat<bool> readyDeclared_{};
    int32_t searchTarget_ = 10000;
    int32_t constructedWord_ = 1;

    // Swap-three, ready declaration and pass counts.
    bool IsValidSwapChoice(int seat, const std::array<int32_t, 3>& ids) const;
    int PerformExchange(SwapRecord& record);
    // The seat's waits with n copies of the index taken out of its hand.
    WaitMap WaitsWithout(int seat, int index, int n);
    PerSeat<std::array<int32_t, 3>> swapChoice_{};
    PerSeat<bool> swapChosen_{};
    std::array<int32_t, 12> swapChoicesCopy_{};
    std::array<int32_t, 12> swapReceived_{};
    int32_t swapDie_ = 0;
    PerSeat<bool> readyGranted_{};
    std::array<int32_t, kReadyCandidates> readyCandidates_{};
    std::array<WaitMap, kReadyCandidates> readyWaitMaps_{};
    PerSeat<std::array<int32_t, 49>> passCounts_{};
    int lastDrawnTile_ = -1;

    // Game start and settlement.
    // Lays aside and replaces one flower of the seat's hand; false when the
    // hand holds none or the back of the wall gives nothing.
    bool ReplaceOneFlower(int seat);
    PerSeat<bool> seatWon_{};  // the seat has won in this hand
    PerSeat<int32_t> winCount_{};
    PerSeat<int32_t> readyValue_{};
    PerSeat<HuResult> drawnResults_{};
    PerSeat<int32_t> exposedKongScore_{};
    PerSeat<int32_t> concealedKongScore_{};

private:
    void ClearRegionalHand();
};
