#pragma once
// CMahjongTableLogic: the mahjong layer of the table-logic engine. To the
// table base it adds the wall of CardRecords, the per-seat hands as 64 counts,
// the melds, discards and set-aside tiles, the dice and wild tiles, the claim
// options, the hu results, the bids and the score history.
//
// Rules kept:
//  - Building an instance installs the rule set's six tile functions through
//    the tile algorithms' setters, and reads nothing but the tick: no file,
//    log or settings.
//  - Tiles reach a seat only from the wall: a record is given (dealt or drawn)
//    only from state 0, so no order of calls duplicates or loses a tile.
//  - A seat's counts equal its records in state 1 (RebuildCounts restores
//    this after records are set directly).
//  - Every seat, tile id, record index and buffer is checked; a refused
//    operation returns its failure value and changes nothing.
//  - Play runs by descending seat: the seat after s is GetPrevSeat(s).

#include <array>
#include <span>
#include <string>
#include <vector>

#include "mahjong_logic/MahjongRecords.h"
#include "mahjong_logic/TableLogicBase.h"
#include "mahjong_tiles/HuResult.h"
#include "mahjong_tiles/TileTypes.h"

// Seats that hold hands, melds and hu results: a mahjong table has at most 4.
inline constexpr int kMahjongSeats = 4;
inline constexpr int kMaxWallTiles = 152;
inline constexpr int kHistoryHands = 30;
inline constexpr int kMaxBids = 32;
inline constexpr int kHiddenBlockWords = 32;

// Play actions and claims: table-state bits of a turn. A turn that follows a
// meld allows no self-drawn hu; a discard ends it.
inline constexpr uint32_t kStateTurnNoSelfHu = 0x20;
inline constexpr uint32_t kStateTurnAfterMeld = 0x40;
// Kong kinds of an announcement (request word 9) and of a robbed kong
// (request word 7).
inline constexpr int kKongOnDiscard = 0x1;
inline constexpr int kKongAdded = 0x2;

template <typename T>
using PerSeat = std::array<T, kMahjongSeats>;

class CMahjongTableLogic : public CTableLogicBase {
public:
    explicit CMahjongTableLogic(const MahjongTableParameters& parameters);
    ~CMahjongTableLogic() override = default;

    void Reset(bool full) override;
    // The deal of a game start: RollTableDice, StartHand, AfterDeal and
    // BeginPlay, in that order (the dice come before the wall start).
    int DealHook() override;

    // --- Dice, wall start and wild tiles ---
    virtual void RollTableDice();
    // The wall start for the current dice and banker; -1 without a banker.
    virtual int GetWallStart();
    // The wild indicator's wall position; -1 without wild tiles.
    virtual int GetWildPosition();
    // The wild tile's id; -1 when there is none.
    virtual int GetWildCard();
    // The tile that plays wild for an indicator id.
    virtual int WildSuccessor(int id) const;

    // --- The wall ---
    // Shuffles a permutation of the tile ids (replaying a recorded one when
    // test-deal replay is on) and builds the wall with it.
    virtual bool ShuffleWall();
    // Builds the wall from a permutation of 0..tiles-1; false (nothing built)
    // when the wall is not empty or the list is not such a permutation.
    virtual bool BuildWall(std::span<const int32_t> permutation);
    // The recorded deal of "test.ini": with "Made" set, replaces the
    // permutation by the recorded one when that is a full permutation (else
    // keeps it and logs); with "Made" 0, records the permutation. True when
    // the permutation was replaced or recorded.
    virtual bool LoadTestDeal(std::vector<int32_t>& permutation);
    // With "Made" set, reads the key's integer into value; else records value
    // under the key. Returns the value; 0 (value unchanged) for a key that is
    // empty or one of the deal's own keys.
    virtual int32_t TestDealValue(const char* key, int32_t& value);
    void SetTestDealReplay(bool on) { testDealReplay_ = on; }
    virtual int GetHandSize() const;
    // Deals from the wall start: the last seat dealt to; the hand size when it
    // is neither 13 nor 16; -1 (nothing dealt) when a record to deal is not
    // in the wall or there is no banker or wall.
    virtual int DealCards();
    // 1 when every index with a nonzero value digit occurs copies-per-kind
    // times, else 0.
    virtual int CheckWall() const;
    virtual void SetDrawPosition();
    // A draw from the front: the record index given, -1 when none.
    virtual int DrawFront(int seat);
    // A draw from the back: the tile id given, -1 when none (nothing changed).
    virtual int DrawBack(int seat);
    virtual bool IsWallEmpty() const;
    // Marks the record at the front draw position discarded and moves on;
    // false when that record is not in the wall.
    virtual bool BurnFront();
    // The mahjong layer's start of a hand: shuffle, wall start, deal, wild
    // tile. False when the wall could not be built or dealt.
    virtual bool StartHand();

    // --- Record queries ---
    int FindRecord(int id) const;        // record index, -1
    int RecordTileId(int record) const;  // -1
    int SeatTileCount(int seat) const;   // sum of the seat's counts
    bool SeatHoldsTile(int seat, int id) const;
    int FirstHeldTile(int seat) const;  // -1
    int TileOwner(int id) const;        // -1
    int32_t TileState(int id) const;    // kCardAbsent when absent
    // The old state; kCardAbsent (nothing set) for an unknown id or state.
    int32_t SetTileState(int id, int32_t state);
    // The old owner; kCardAbsent (nothing set) for an unknown id or seat.
    int32_t SetTileOwner(int id, int owner);
    // Moves a held tile (state 1) to another seat, counts included.
    bool MoveTile(int id, int seat);
    // One count of a record's index taken from / given back to a seat.
    bool TakeCount(int record, int seat);
    bool GiveCount(int record, int seat);
    // Marks a held record of the seat with that suit and value taken by a
    // meld search (-2); its id, or -1.
    int TakeRecordFor(int seat, int suit, int value);
    // The first id of the index in the wall or a hand; -1.
    int FirstIdOfIndex(int index) const;
    // Fills out with -1, then the seat's held ids in wall order, at most
    // out.size() of them; returns how many were written.
    int HandTileIds(int seat, std::span<int32_t> out) const;
    // Adds one count per valid id; returns how many were counted.
    int CountsFromIds(std::span<const int32_t> ids, HandCounts& counts) const;
    // The seat's held ids that the counts name (each record taken once), in
    // a list filled with -1; returns how many were found.
    int IdsFromCounts(const HandCounts& counts, int seat, std::array<int32_t, 64>& ids) const;
    // Clears every seat's counts and counts each held record by its owner.
    void RebuildCounts();
    // The tile index of an id under this rule set (-1 for no tile).
    int IndexOf(int id) const;

    // Array queries: the number of nonzero entries, the first one's place (-1).
    static int CountNonZero(std::span<const int32_t> values);
    static int FirstNonZero(std::span<const int32_t> values);

    // --- Bids ---
    // Records a seat's bid (request words 3, 6 and 7). 1 when taken, with
    // done set once the round has decided banker and stake; 0 when refused.
    virtual int Bid(const TableRequest& request, int& done);

    // --- Reading the table ---
    const MahjongTableParameters& Parameters() const { return parameters_; }
    int TileCount() const { return tileCount_; }
    int IndexBound() const { return indexBound_; }
    int Die(int k) const { return k >= 0 && k < 4 ? dice_[k] : 0; }
    int WallStart() const { return wallStart_; }
    int WildPosition() const { return wildPosition_; }
    int WildTile1() const { return wildTile1_; }
    int WildTile2() const { return wildTile2_; }
    int DrawnFront() const { return drawnFront_; }
    int DrawnBack() const { return drawnBack_; }
    int FrontPosition() const { return frontPosition_; }
    int DrawCount(int seat) const { return IsValidSeat(seat) ? drawCount_[seat] : 0; }
    std::span<const CardRecord> Wall() const { return wall_; }
    // A seat's counts; all zero for a seat outside the table.
    const HandCounts& Counts(int seat) const;
    int32_t Stake() const { return stake_; }
    int BankerStreak() const { return bankerStreak_; }
    int CurrentSeat() const { return currentSeat_; }
    int ActingSeat() const { return actingSeat_; }
    std::span<const BidEntry> Bids() const { return bids_; }
    uint32_t HuTypeFlags() const { return huTypeFlags_; }

    // --- Hu types, hand scores and the next banker ---
    // The hu-type evaluation of a winning result for a seat (mode: 1 on a
    // discard, 2 self-drawn, 4 robbing): the mahjong layer ORs the bit of
    // every hu-type test that holds into the result's word 0 and answers 0.
    virtual int ClassifyHu(int seat, int tile, HuResult& result, int mode);
    int ClassifyHuBase(int seat, int tile, HuResult& result, int mode);
    // The settlement of the hand (only a game in progress is settled): the
    // seats' points into words 14-21, then those times the score base into
    // the score changes and times the silver base (when set) into the silver
    // changes.
    int ComputeScores(TableResult& result, int chair) override;
    void ComputeScores(const TableResult& result, PerChair<int32_t>& out1,
                       PerChair<int32_t>& out2) const;
    // The hand's points per seat: the winner's points, with rule flag
    // 0x80000 the pay-for-others stage, then the kong money.
    virtual void SettleHand(PerSeat<int32_t>& scores);
    virtual void SettleKongs(PerSeat<int32_t>& scores);
    // Writes the hand's score changes (silver when the record's silver base
    // is set) into the 30-hand history and the running totals.
    void RecordHandScores(const TableResult& record);
    // The banker of the next hand; UpdateBankerStreak counts the streak.
    virtual int NextBanker() const;
    virtual void UpdateBankerStreak();
    int HandResultCode(int seat) const;
    int BankerWon() const;
    // Adds word 108 of a hand result (given as words) to the running total.
    void AddToRunningTotal(std::span<const int32_t> recordWords);
    int CountWildInHand(int seat) const;
    // Meld queries.
    bool HasAnyMeld(int seat) const;
    // The tiles of the index in the seat's melds.
    int MeldTilesOfIndex(int seat, int index) const;
    bool AllMeldTilesTwoFiveEight(int seat) const;
    // Kinds among the result's groups and the seat's melds: counters of the
    // three suits, honours and flowers; returns how many kinds are present.
    int CountGroupKinds(int seat, const HuResult& result, std::array<int, 5>& kinds) const;
    int32_t HuPointsOf(int seat) const { return IsValidSeat(seat) ? huPoints_[seat] : 0; }
    const HuResult& HuResultOf(int seat) const;
    uint32_t EndFlags() const { return endFlags_; }
    bool IsDrawnHand() const { return (endFlags_ & kEndDrawn) != 0; }
    int32_t HistoryScore(int seat, int hand) const;
    int32_t TotalScore(int seat) const { return IsValidSeat(seat) ? scoreTotals_[seat] : 0; }
    int64_t RunningTotal() const { return runningTotal_; }

    // --- Play actions and claims ---
    // A discard: tiles is the list the table view sends (at most 64 ids, -1
    // where empty); its first entry is the tile. 1 when done; 0, with nothing
    // changed, unless the seat is the active chair in the turn phase (outside
    // the swap phase and the end of the hand), holds the tile in hand, names
    // no other tile, and, having won already, discards its last drawn kind.
    virtual int Discard(int seat, std::span<const int32_t> tiles);
    // The claims a seat may make on a tile (mode bits: 1 peng, 2 gang, 4 chi,
    // 8 hu); the option bits.
    virtual int GetClaimOptions(int seat, int tile, HuResult& result, int mode);
    // The rank of a claim: hu 400, gang 300, peng 200, chi 100, less the
    // claimant's distance after the source in play order.
    virtual int ClaimPriority(int seat, int source, int options) const;
    // A seat passes on the discard; 1 when the claims are settled.
    virtual int AnswerClaim(int seat, int source);
    virtual int AllAnswered(int seat) const;
    virtual bool IsClaimTimeOut() const;
    virtual bool IsTurnTimeOut() const;
    // Whether the phase under way (turn or claims) has run out; true outside
    // both.
    virtual bool PhaseTimedOut() const;
    // 1 while the claim must wait for a higher claim of a third seat (held at
    // most claim time-out - 1 s after the discard), else 0: go ahead.
    virtual int WaitForHigherClaim(const TableRequest& request, int kind);
    virtual int WaitForOtherHu(const TableRequest& request);
    // Request checks: 1 when the request may be carried out now.
    virtual int CheckPengRequest(const TableRequest& request) const;
    virtual int CheckChiRequest(const TableRequest& request) const;
    virtual int CheckKongRequest(const TableRequest& request) const;
    virtual int CheckConcealedKongRequest(const TableRequest& request) const;
    virtual int CheckAddedKongRequest(const TableRequest& request) const;
    virtual int CheckDiscardHuRequest(const TableRequest& request);
    virtual int CheckSelfDrawnHuRequest(const TableRequest& request);
    // Robbing a kong: robbedKind bit 0 a kong on a discard, bit 1 an added kong.
    virtual int CheckRobKongRequest(const TableRequest& request, int robbedKind) const;
    // The check of a hu request by its kind (word 6, and word 7 for robbing).
    virtual int DispatchRequest(TableRequest& request);
    // The kong test by mode: 1 an exposed kong on the tile; 2 the seat holds
    // the tile and has a peng of its kind; 4 the seat holds a concealed kong.
    // The mode when it holds, else 0.
    virtual int KongTest(int seat, int tile, int mode) const;
    // Meld operations; each checks its request first. 1 done, 0 refused.
    virtual int Peng(const TableRequest& request);
    virtual int Chi(const TableRequest& request);
    virtual int ExposedKong(const TableRequest& request);
    virtual int ConcealedKong(const TableRequest& request);
    virtual int AddedKong(const TableRequest& request);
    // Announces a kong on a discard (word 9 bit 0) or added to a peng (bit 1)
    // so that the other seats may rob it; 1 when announced.
    virtual int AnnounceKong(const TableRequest& request);
    // Whether an announced kong's robbing window is still open.
    bool IsRobbingWindowOpen() const;
    // Hu: the number of winners.
    virtual int ResolveHu(TableRequest& request);
    virtual int HuOnDiscard(int source, int tile);
    virtual int RobKong(int source, int tile);
    virtual int SelfDrawnHu(int seat, int tile);
    virtual void SetEndFlags();
    // Removes the seat's first peng holding three of the ids; 1 when removed.
    virtual int RemovePengMeld(int seat, std::span<const int32_t> ids);
    virtual void NoteWildDiscard(int seat);
    virtual void EndWildDiscardRecord(int seat);
    // The tile for a seat that did not act in time, written into the request
    // (word 26, words 20 and 25 set to 1); -1 (request unchanged) when none.
    virtual int AutoDiscardChoice(int seat, TableRequest& request) const;
    // Lays the tile of word 4 aside for the seat of word 3; 1 when done.
    virtual int SetAsideTile(const TableRequest& request);
    virtual void BeginPlay();
    virtual void StartPlayAfterSwap();
    // The hu tests: the raw test of hand and tile, the scoring of a winning
    // hand (its points), and the claim test (8 when the seat may hu).
    virtual int TestHu(int seat, int tile, HuResult& result, int mode);
    virtual int ScoreHu(int seat, int tile, HuResult& result, int mode);
    virtual int CanHu(int seat, int tile, HuResult& result, int mode);
    // The options of the active seat on the tile it drew: hu (CanHu, mode
    // 2), gang when the tile adds to a peng or the hand holds a concealed
    // kong.
    virtual int SelfOptions(int seat, int tile);
    // After the deal: the front draw position.
    virtual void AfterDeal();
    // The end of a hand without a winner: the end flags say "drawn".
    virtual void DrawnHand();
    // What the rule set records about a seat in the hand.
    virtual bool HasDeclaredReady(int /*seat*/) const { return false; }
    virtual bool HasWonThisHand(int /*seat*/) const { return false; }
    virtual int LastDrawnTile() const { return -1; }

    // Reading the play.
    int32_t ClaimOptions(int seat) const { return IsValidSeat(seat) ? claimOptions_[seat] : 0; }
    uint32_t SeatStatus(int seat) const { return IsValidSeat(seat) ? seatStatus_[seat] : 0; }
    bool HasAnswered(int seat) const { return IsValidSeat(seat) && answered_[seat] != 0; }
    int32_t ResponsePriority(int seat) const {
        return IsValidSeat(seat) ? responsePriority_[seat] : 0;
    }
    int DiscardedTile() const { return discardedTile_; }
    std::span<const int32_t> Discards(int seat) const;
    std::span<const int32_t> SetAside(int seat) const;
    std::span<const MeldEntry> Melds(int seat, MeldList list) const;
    int DiscarderSeat() const { return discarderSeat_; }
    int WinnerSeat() const { return winnerSeat_; }
    int32_t WinnerCount() const { return winnerCount_; }
    int WonTile() const { return wonTile_; }
    int32_t KongDrawWord() const { return kongDrawWord_; }
    int WildDiscardSeat() const { return wildDiscardSeat_; }
    int32_t Feeds(MeldList list, int source, int claimant) const;

    // --- Game-state snapshot and hand result ---
    static constexpr int kGameStateBytes = 9436;
    static constexpr int kHeaderBytes = 196;
    static constexpr int kTableHeaderBytes = 168;
    static constexpr int kMeldBlockWords = 1156;
    static constexpr int kResultBytes = 688;
    static constexpr int kPlayerStateBytes = 1096;
    int GetGameStateSize() const override { return kGameStateBytes; }
    // The whole table for a viewer seat; only the viewer's hand is shown, and
    // none with hide set or a viewer outside the table. False (nothing
    // written) for a buffer shorter than the snapshot.
    bool PackGameState(std::span<uint8_t> buffer, int viewer, bool hide) override;
    virtual int GetHeaderSize() const { return kHeaderBytes; }
    virtual bool PackHeader(std::span<uint8_t> buffer, int viewer, bool hide);
    // The first 168 bytes of the header; false for a shorter buffer.
    virtual bool PackTableHeader(std::span<uint8_t> buffer);
    // The five meld lists, the discards and the set-aside lists: 1156 words.
    virtual bool PackMelds(std::span<uint8_t> buffer);
    int GetPlayerStateSize() const override { return kPlayerStateBytes; }
    bool PackPlayerState(std::span<uint8_t> buffer, int chair) override;
    // The table's per-player record (kPlayerStateBytes): the table status
    // (words 0-21, the chair flag words at 5-12), the score history of the
    // eight seats from word 22 (30 hands each, the ring as kept) and the
    // totals from word 262. False (nothing written) for a shorter buffer.
    bool PackPlayer(std::span<uint8_t> buffer);
    virtual int GetResultSize() const { return kResultBytes; }
    // The settled base record, then the hand's kongs, winners and banker.
    virtual bool PackResult(std::span<uint8_t> record, const TableResult& settled);

protected:
    // Clears the per-turn claim state: options and status of every seat, the
    // last-claim words, and the kong announcement bits of the table state.
    void ResetClaimState();
    // Gives a wall record (state 0) to a seat; false when it is not in the wall.
    bool GiveRecord(int record, int seat);
    int WrapPosition(int64_t position) const;
    bool HasWall() const { return static_cast<int>(wall_.size()) == tileCount_; }
    std::string TestDealPath() const;

    // Hu types, hand scores and the next banker.
    // The hu-type tests: each answers its flag, also ORed into word 0.
    int TestBankerFirstHu(int seat, int tile, HuResult& result, int mode);
    int TestFirstTurnHu(int seat, int tile, HuResult& result, int mode);
    int TestBankerHu(int seat, int tile, HuResult& result, int mode);
    int TestAllTriplets(int seat, int tile, HuResult& result, int mode);
    int TestOneSuit(int seat, int tile, HuResult& result, int mode);
    int TestOneSuitWithHonours(int seat, int tile, HuResult& result, int mode);
    int TestAllHonours(int seat, int tile, HuResult& result, int mode);
    int TestNoWildTiles(int seat, int tile, HuResult& result, int mode);
    int TestWildsAsThemselves(int seat, int tile, HuResult& result, int mode);
    int TestThreeWildTiles(int seat, int tile, HuResult& result, int mode);
    int TestFourWildTiles(int seat, int tile, HuResult& result, int mode);
    int TestWinAfterKong(int seat, int tile, HuResult& result, int mode);
    int TestSingleTileLeft(int seat, int tile, HuResult& result, int mode);
    int TestLastTileSelfDrawn(int seat, int tile, HuResult& result, int mode);
    int TestConcealedHand(int seat, int tile, HuResult& result, int mode);
    int TestSingleWaitOnDiscard(int seat, int tile, HuResult& result, int mode);
    int TestWildDiscardRecord(int seat, int tile, HuResult& result, int mode);
    // The seat's hand tiles besides the won tile (held when self-drawn).
    int TilesBesidesWon(int seat, int tile, int mode) const;
    // The seat's counts without the won tile when self-drawn and held.
    HandCounts CountsWithoutWonTile(int seat, int tile, int mode) const;
    // The kong money of every seat's kongs: +3/-1 an exposed or added kong,
    // +6/-2 a concealed one, doubled for a flagged meld; each kong's owner
    // score goes into the two per-seat arrays.
    void KongMoney(PerSeat<int32_t>& scores, PerSeat<int32_t>& exposedScore,
                   PerSeat<int32_t>& concealedScore) const;
    void PayForOthers(PerSeat<int32_t>& scores) const;
    int64_t runningTotal_ = 0;
    // Every kind below indexEnd with a nonzero value digit occurs
    // copies-per-kind times in the wall, and every record is a countable tile.
    bool WallHoldsEveryKind(int indexEnd) const;
    // Marks the flag when the hand with the won tile holds exactly n wild tiles.
    int TestWildCount(int seat, int tile, HuResult& result, int mode, int n, uint32_t flag);

    const MahjongTableParameters parameters_;
    // Stored rule parameters, checked.
    int tileCount_;
    int copiesPerKind_;
    int indexBound_;
    int suitStride_;
    int flagArrayLength_;
    int operationTimeout_;
    int winningBid_;
    int winningLowBid_;
    int32_t defaultStake_;
    int claimTimeout_;
    uint32_t huTypeFlags_;
    uint32_t extraHuFlags_;

    std::array<int32_t, 4> dice_{};  // first pair, second pair
    std::vector<CardRecord> wall_;
    PerChair<HandCounts> counts_{};
    std::array<int32_t, kHiddenBlockWords> hiddenBlock_{};
    std::vector<BidEntry> bids_;
    int32_t stake_ = 0;
    int wallStart_ = 0;
    int wildPosition_ = -1;
    int wildTile1_ = -1;
    int wildTile2_ = -1;
    uint32_t phaseStartTick_ = 0;
    int32_t tickWord_ = 0;
    int drawnFront_ = 0;
    int drawnBack_ = 0;
    int frontPosition_ = 0;
    PerChair<int32_t> drawCount_{};

    // Hand and turn.
    int seatCounter_ = 0;
    int bankerStreak_ = 1;
    int currentSeat_ = -1;
    int actingSeat_ = -1;

    // Claims.
    int discardedTile_ = -1;
    PerSeat<int32_t> claimOptions_{};
    PerSeat<uint32_t> seatStatus_{};
    // The tile, seat and source seat of the last claim announced (a kong
    // that others may rob); -1 each when none.
    std::array<int32_t, 3> lastClaim_{-1, -1, -1};
    uint32_t kongTick_ = 0;
    int32_t kongDrawWord_ = 0;
    PerSeat<int32_t> wildDiscardCount_{};
    int wildDiscardSeat_ = -1;
    int32_t wildDiscardRun_ = 0;
    // Melds made on a seat's tile, by (source, claimant).
    PerSeat<PerSeat<int32_t>> pengFeeds_{};
    PerSeat<PerSeat<int32_t>> chiFeeds_{};
    PerSeat<PerSeat<int32_t>> kongFeeds_{};

    // Melds, discards and set-aside tiles.
    PerSeat<std::array<std::vector<MeldEntry>, kMeldListCount>> melds_;
    PerSeat<std::vector<int32_t>> discards_;
    PerSeat<std::vector<int32_t>> setAside_;

    // Scores and hu results of the hand.
    PerSeat<int32_t> huPoints_{};
    PerChair<int32_t> firstScores_{};
    PerChair<int32_t> secondScores_{};
    PerSeat<HuResult> huResults_{};
    int discarderSeat_ = -1;
    int winnerSeat_ = -1;
    int32_t winnerCount_ = 0;
    int wonTile_ = -1;
    uint32_t endFlags_ = 0;

    // Score history: the last 30 hands of every seat and running totals.
    PerChair<std::array<int32_t, kHistoryHands>> scoreHistory_{};
    PerChair<int32_t> scoreTotals_{};

    bool testDealReplay_ = false;

    // Play actions and claims.
    // Clears what a hand's play adds to the mahjong data (claim answers,
    // not-banker flags); both resets run it.
    void ClearPlayState();
    // The meld flags of a kong the rule set marks (0 here).
    virtual int32_t KongMeldFlags() const { return 0; }
    // Whether a kong of the kind (1 on a discard, 2 added) may be robbed now.
    virtual bool MayRobKong(int kind) const;
    // The shared refusals of a discard.
    bool DiscardAllowed(int seat, std::span<const int32_t> tiles) const;
    // Lays an allowed discard on the table: the tile leaves the hand for the
    // seat's discard list, the wild-discard record follows it, and the claim
    // state of the last turn is cleared.
    void LayDiscard(int seat, int tile);
    // Writes an automatic discard into the request; the tile, or -1 (request
    // unchanged) for none.
    static int PutAutoDiscard(TableRequest& request, int tile);
    // Marks the tiles (state, counts) and lists the meld; the claimed tile
    // leaves the source's discard list when it is there.
    void LayMeld(int seat, MeldList list, std::span<const int32_t> handTiles, int claimed,
                 int32_t handState, int32_t claimedState, int source);
    // The claimant must discard next (claim phase over, turn phase on).
    void TurnToClaimant(int seat, uint32_t extraState);
    // Takes the discard with two hand tiles into a peng or chi of the
    // claimant, whose turn it then is; counts what the discarder fed.
    void ClaimDiscardIntoMeld(const TableRequest& request, MeldList list, int32_t handState,
                              int32_t claimedState, PerSeat<PerSeat<int32_t>>& feeds);
    bool HoldsDistinctTiles(int seat, std::span<const int32_t> ids, int index) const;
    bool IsCurrentDiscard(int source, int tile) const;
    bool HigherResponseRecorded(int priority) const;
    bool HasPengOf(int seat, int index, const MeldEntry** meld = nullptr) const;
    int FirstWinnerAfter(int source) const;
    void ScoreWinners(int source, int tile, int mode, int excludedSeat);

    PerSeat<int32_t> answered_{};
    PerSeat<int32_t> responsePriority_{};
    PerSeat<int32_t> notBankerFlags_{};

private:
    void ClearHand();
    // The score history and totals at their per-player record words.
    void PackPlayerScores(std::span<uint8_t> buffer) const;
};
