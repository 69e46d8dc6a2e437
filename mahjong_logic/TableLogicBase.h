#pragma once
// CTableLogicBase: the game-independent rules object of one table. It keeps
// the players (seated and looking on, by user id), the chairs and their state,
// the sides, the table state word, the turn and phase timers, the settings
// block and the round parameters, starts a game and settles its result.
//
// Rules kept:
//  - The player count is 1..8; a chair is valid when 0 <= chair < count.
//    Every chair that reaches an operation is checked: a bad one is refused
//    (-1, 0 or nothing done) and changes nothing.
//  - The table owns its player objects; a seat holds a user id that is in
//    the player map, never a pointer that could outlive its object.
//  - Every tick comes from the tick source of the tile algorithms and every
//    draw from their random source. Tick differences are taken unsigned, so
//    they survive the wrap of the 32-bit count; a tick of 0 means "not set".
//  - Money arithmetic that can overflow is done in 64 bits and clamped to 32.
//  - The settlement takes no chair's silver below 0: no loser loses more
//    than it holds (less its deposit in the deposit modes), and what it
//    cannot pay the winners give up; the table never pays out silver.
//  - The table lock guards the game-phase word and the connected-player
//    queries; everything else is used by one caller at a time.
//  - Hooks are virtual; the base forms return the fixed values of the base
//    game. CMahjongTableLogic and the regional rules override them.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "mahjong_logic/TableRecords.h"
#include "platform/Sync.h"

class IntStringMap;

// Table state word.
inline constexpr uint32_t kTablePlaying = 0x1;
inline constexpr uint32_t kTableWaiting = 0x2;  // also "paused"
inline constexpr uint32_t kTableFlag4096 = 0x1000;

// Chair flag word.
inline constexpr uint32_t kChairRequired = 0x1;
inline constexpr uint32_t kChairReady = 0x2;
inline constexpr uint32_t kChairTimedOutAtOnce = 0x8;
inline constexpr uint32_t kChairFlag16 = 0x10;
inline constexpr uint32_t kChairOut = 0x20;

// Rule flags the base tests.
inline constexpr uint32_t kRuleSkipMinSilver = 0x400000;
inline constexpr uint32_t kRuleForceFlag100000 = 0x1000000;
inline constexpr uint32_t kRuleSilverLimit = 0x2000000;
inline constexpr uint32_t kRuleLossByOwnSilver = 0x4000000;

// Game start refusals.
inline constexpr int kStartNotSeated = -10010;
inline constexpr int kStartSilverTooLow = -10001;
inline constexpr int kStartScoreTooLow = -10100;
inline constexpr int kStartScoreTooHigh = -10200;
inline constexpr int kStartTooManyPlayerGames = -10300;
inline constexpr int kStartGameLimit = -10400;
inline constexpr int kStartAlreadyPlaying = -10500;

inline constexpr int kSettingsWords = 61;

class CTableLogicBase {
public:
    CTableLogicBase(int32_t tableNumber, int32_t baseParameter, int32_t levelUnit,
                    int32_t playerCount, uint32_t ruleFlags, int32_t secondBaseParameter,
                    int32_t unused);
    virtual ~CTableLogicBase();
    CTableLogicBase(const CTableLogicBase&) = delete;
    CTableLogicBase& operator=(const CTableLogicBase&) = delete;

    // --- Settings and lifecycle ---
    // Copies the 61-word block; false (nothing changed) for a shorter one.
    virtual bool SetTableSettings(std::span<const int32_t> block);
    virtual int ClearTableSettings();
    virtual bool HasFixedBase() const;
    virtual void OnTableCreated() {}
    virtual void Reset(bool full);
    virtual void ClearSeat(int chair);
    virtual void ResetRound();
    virtual void ResetFull() { Reset(true); }

    // --- Players ---
    // Takes the player; -1 (and the object dropped) when refused.
    virtual int AddPlayer(std::unique_ptr<TablePlayer> player);
    // Removes a user; with deleteObject false the object is handed to keep
    // (or destroyed when keep is null). The chair, or -1.
    virtual int RemovePlayer(int32_t userId, bool deleteObject,
                             std::unique_ptr<TablePlayer>* keep = nullptr);
    virtual void RemoveUserFromChair(int32_t userId, int chair);
    virtual void RemoveUserFromMaps(int32_t userId, bool fromMainMap);
    // A looker-on watching a chair (entered in that chair's map).
    bool AddChairWatcher(int32_t userId, int chair);
    bool IsChairWatcher(int32_t userId, int chair) const;
    virtual bool IsPlayer(int32_t userId) const;
    virtual bool IsLooker(int32_t userId) const;
    virtual bool IsTableFull() const;
    virtual bool IsTableEmpty() const;
    virtual bool IsFullWithFixedBase() const;
    virtual bool IsValidSeat(int chair) const;
    virtual bool IsSeatUser(int32_t userId, int chair) const;
    virtual int GetUserCount() const;
    virtual TablePlayer* GetPlayer(int32_t userId) const;
    virtual TablePlayer* GetLooker(int32_t userId) const;
    // The seated player of a chair, or none.
    TablePlayer* SeatedPlayer(int chair) const;

    // --- Game start ---
    virtual void ChooseBanker();
    virtual int DealHook() { return 1; }
    virtual void PrepareHook1() {}
    virtual void PrepareHook2() {}
    // 1, or a start refusal with the failing chair (-1 when none) in outChair.
    virtual int StartGame(const RoundParameters& round, int& outChair);
    virtual int PrepareNextGame(int32_t first, int32_t second);
    virtual int GetTableStatusSize() const { return 88; }
    virtual bool FillTableStatus(std::span<uint8_t> buffer);
    virtual int GetGameStateSize() const { return 0; }
    virtual bool PackGameState(std::span<uint8_t> buffer, int viewer, bool hide);
    virtual int GetPlayerStateSize() const { return 0; }
    virtual bool PackPlayerState(std::span<uint8_t> buffer, int chair);
    virtual int GetGameResultSize() const { return static_cast<int>(TableResult::kBytes); }
    virtual void BuildGameResult(TableResult& result, int chair);
    virtual int GetResultFlags1() { return 0; }
    virtual int GetResultFlags2() { return 0; }
    virtual bool IsNotPlaying() const;

    // --- Sides ---
    virtual int CountSides() const;
    virtual int CountSideMembers(int side) const;
    virtual int CountOtherSideMembers(int side) const;
    virtual int FindPrevChairOfSide(int chair, int side) const;
    virtual int FindPrevChairNotOfSide(int chair, int side) const;
    virtual void AssignSides();
    virtual int GameStartHook() { return 0; }
    virtual bool IsSameChair(int a, int b) const { return a == b; }
    virtual int HasPlayedFirstGame();
    virtual int GetFirstGameFlag() const { return firstGamePlayed_; }
    virtual int GetActiveChair() const { return activeChair_; }

    // --- Turn and timers ---
    virtual int StartPhaseTimer(int chair, int seconds);
    virtual void SetActiveChair(int chair);
    virtual void StampAction();
    // -1 for a chair outside the table.
    virtual int GetPrevSeat(int chair) const;
    virtual int GetNextSeat(int chair) const;
    virtual int ActivateBanker();
    virtual int GetRandomChair();
    virtual int GetRandomChair2(int32_t, int32_t) { return GetRandomChair(); }
    virtual int32_t GetFirstWord(int32_t first, int32_t) const { return first; }
    virtual int32_t GetSecondWord(int32_t, int32_t second) const { return second; }

    // --- Table state ---
    virtual void AddStateFlags(uint32_t flags);
    virtual void ClearStateFlags(uint32_t flags);
    virtual void SetState(uint32_t value);
    virtual void SetPlaying() { AddStateFlags(kTablePlaying); }
    virtual void TouchState() { AddStateFlags(0); }
    virtual void SetFlag4096() { AddStateFlags(kTableFlag4096); }
    virtual void ClearFlag4096() { ClearStateFlags(kTableFlag4096); }
    uint32_t TableState() const { return tableState_; }

    // --- Settlement hooks and arithmetic ---
    // Fills the game's score changes (and the values of words 13-21).
    virtual int ComputeScores(TableResult& result, int chair);
    virtual bool IsAlly(int a, int b, int chair) const;
    // The last step of BuildGameResult.
    virtual int ResultHook1(TableResult&) { return 1; }
    // FinishGame applies the result when this answers nonzero, else clears it.
    virtual int ResultHook2(TableResult&) { return 1; }
    virtual void SetModeFourOrEight(int flag);
    virtual void SetModeTwo();
    virtual int32_t GetSettingsWord1() const { return settings_[1]; }
    virtual int32_t GetScoreBase(int32_t value);
    virtual int32_t GetSilverBase(int32_t multiple);
    virtual int GetLevelIndex(int32_t value, int32_t unit) const;
    virtual void ComputeNewLevels(const PerChair<int32_t>& scoreBefore,
                                  const PerChair<int32_t>& scoreChange, PerChair<int32_t>& levels);
    virtual int32_t GetMinLevelValue();
    virtual int32_t GetBaseScoreUnit(int32_t multiplier);
    virtual void FillLevelNames(TableResult& result);
    virtual void StoreSilverBaseInResult(TableResult& result);
    virtual int32_t SumScores(const PerChair<int32_t>& values) const;
    virtual int32_t LimitLosses(const PerChair<int32_t>& silverBefore,
                                PerChair<int32_t>& silverChange);
    virtual int32_t DeductFees(PerChair<int32_t>& silverChange, PerChair<int32_t>& fees);
    virtual int32_t SplitDeposit(const PerChair<int32_t>& values, PerChair<int32_t>& kept,
                                 PerChair<int32_t>& taken);
    virtual int GetFeeCapPer100() const { return 5; }
    virtual int CheckZeroSum(PerChair<int32_t>& silverChange, PerChair<int32_t>& fees,
                             int32_t totalFee);
    virtual void ApplyResultToPlayers(const TableResult& result);
    virtual void ClearResult(TableResult& result);
    virtual void BuildPlayerRecords(const TableResult& result, int32_t reportId,
                                    std::vector<PlayerReport>& out, bool onlyPlaying);
    virtual int GetElapsedTime(int& seconds, int& minutes);
    virtual int AdjustScores(TableResult&, int, int32_t, int32_t) { return 0; }
    virtual void ApplyReliefIfAllowed(PerChair<int32_t>& silverChange);
    virtual void FillBeforeValues(TableResult& result);
    virtual bool IsPlayingNow() const;
    virtual bool IsReadyRecently(int chair, int seconds) const;
    virtual int CheckTurnTimeout(int chair, int seconds) const;
    virtual int IsOpponent(int a, int b, int sameChairAnswer) const;
    virtual int32_t Negate(int32_t value) const;
    virtual int32_t EscapePenalty(int chair, int32_t multiple, int32_t& outShare);
    virtual int32_t ShareOfPayment(int receiver, int payer, int32_t amount) const;
    virtual int NobodyElseHasFlag(int chair) const;
    virtual int CollectReadyPlayers(std::vector<ReadyPlayer>& out) const;

    // --- Per-chair flag tests ---
    virtual bool HasChairFlag100000() const;
    virtual bool NotAllHaveFlag4() const;
    virtual bool SilverLimitReached(const PerChair<int32_t>& silverChange) const;
    virtual bool AnyHasUserFlag1024() const { return AnyUserFlag(1024); }
    virtual bool AnyHasUserFlag80000() const { return AnyUserFlag(0x80000); }
    virtual bool AnyHasUserFlag512() const { return AnyUserFlag(512); }
    virtual bool IsPaused() const;
    virtual bool IsIdleTooLong() const;
    virtual bool AnyHasFlag1() const { return AnySecondFlag(1); }
    virtual bool HasUsers() const;
    virtual bool IsTurnTimedOut() const;
    virtual bool IsTableStuck() const;
    virtual bool IsChairOut(int chair) const;
    virtual bool IsChairFlag16(int chair) const;
    virtual bool IsPhaseTimedOut(int chair) const;
    virtual int IncrementTurnCount(int chair);
    virtual int AnyHasFlag1Bool() const { return AnySecondFlag(1) ? 1 : 0; }
    virtual bool IsFirstGame() const { return gameCounter_ == 0; }
    virtual int CanStart() { return 1; }

    // --- End of game and reports ---
    virtual void FinishGame(TableResult& result, int chair);
    virtual GameOverReport BuildGameOverReport(int32_t reportId);
    virtual void AddToPlayerCounters(const GameOverReport& report);
    virtual int ApplyStoredResult(const GameOverReport& report);
    virtual int32_t GetPlayerSeedWord(int32_t userId) const;
    virtual bool WithinSeconds(int seconds) const;
    virtual bool MarkReady(int chair);
    virtual bool IsPauseAllowed() const { return false; }
    virtual bool IsPauseActive() const;
    virtual void SetPauseSeconds(bool on, int seconds);
    virtual int GetPauseSeconds() const { return pauseSeconds_; }
    virtual int CountInfoPlayers() const;
    virtual int GetPauseLeft(uint32_t now) const;
    virtual void ResumeFromPause();
    virtual void MarkSittingOut();
    virtual void ComputeSingleResult(int chair, int32_t& scoreChange, int32_t& silverChange,
                                     int32_t& other);
    virtual PlayerReport SettleSinglePlayer(int chair, bool noChange);
    virtual GameOverReport BuildEscapeReport(int chair, int32_t reportId);
    virtual void AddToPlayerCounter(const PlayerReport& record);
    virtual GameOverReport BuildGameOverReportPlaying(int32_t reportId);
    virtual void BuildPlayingPlayerRecords(const TableResult& result, int32_t reportId,
                                           std::vector<PlayerReport>& out);
    virtual void MarkAbsentChairs(TableResult& result) const;
    virtual int32_t LimitSingleLoss(int32_t silver, int32_t change) const;
    virtual int32_t DeductSingleFee(int32_t silver, int32_t& change) const;
    virtual int32_t SplitSingleDeposit(int32_t silver, int32_t& kept) const;
    virtual int CheckSingleZeroSum(int32_t& change, int32_t& fee) const;
    virtual bool AnyHasFlag64() const { return AnySecondFlag(64); }
    virtual bool AnyHasFlag2() const { return AnySecondFlag(2); }
    virtual bool AnyHasFlag4096() const { return AnySecondFlag(4096); }
    virtual int SnapshotHook() { return 1; }
    virtual void TakeSnapshot(bool onlyPlaying);
    virtual void UpdateSnapshotChair(int chair);
    virtual bool IsReliefAllowed() const { return false; }
    virtual void ApplyLossRelief(PerChair<int32_t>& silverChange);
    virtual int32_t ReduceLossByChance(int32_t loss);
    // The chance, then up to 4 weights and 4 percents (fewer when the spans
    // are shorter: with room for fewer than 4, only the chance). Returns 55.
    virtual int GetReliefParameters(int& chance, std::span<int32_t> weights,
                                    std::span<int32_t> percents) const;
    virtual bool GetReliefList(std::span<int32_t> userIds, std::span<int32_t> amounts) const;
    virtual int GetKickTime() const;
    virtual void MakeProfiles(int chair, std::span<ListedPlayer> players);
    virtual PlayerProfile MakeRandomProfile(int chair, const TablePlayer* player);
    virtual PlayerProfile GetProfile(int chair, int otherChair, const TablePlayer* player);
    virtual void StorePairTable(int chair, std::span<const ListedPlayer> players);
    virtual void StoreNames(std::span<const ListedPlayer> players);
    virtual std::string GetDefaultPlayerName(int chair) const;
    virtual int32_t GetGamePhase() const;
    virtual int CountConnectedPlayers() const;
    virtual bool IsChairConnected(int chair) const;

    // --- Not virtual ---
    void SetGamePhase(int32_t phase);
    // Copies the level's name (cut to fit) into the buffer; 0 when the level
    // is not in the map given by SetLevelNames.
    int LookupLevelName(int32_t level, std::span<char> buffer) const;
    void SetLevelNames(const IntStringMap* levels) { levelNames_ = levels; }
    std::string GetServerIniPath() const;

    // Reading the table for the host and the derived games.
    int PlayerCount() const { return playerCount_; }
    int32_t TableNumber() const { return tableNumber_; }
    uint32_t RuleFlags() const { return ruleFlags_; }
    int Banker() const { return banker_; }
    int32_t GameCounter() const { return gameCounter_; }
    int Side(int chair) const { return IsValidSeat(chair) ? sides_[chair] : -1; }
    void SetSide(int chair, int side);
    uint32_t ChairFlags(int chair) const { return IsValidSeat(chair) ? chairFlags_[chair] : 0; }
    void SetChairFlags(int chair, uint32_t flags);
    void SetUserFlags(int chair, uint32_t flags);
    void SetSecondFlags(int chair, uint32_t flags);
    int32_t ModeWord() const { return modeWord_; }
    int32_t ScoreBase() const { return scoreBase_; }
    int32_t SilverBase() const { return silverBase_; }
    const RoundParameters& Round() const { return round_; }
    int32_t SettingsWord(int index) const;
    int32_t ThinkingTime(int chair) const { return IsValidSeat(chair) ? thinkingMs_[chair] : 0; }
    int32_t TimeLimitMs() const { return timeLimitMs_; }
    int32_t Relief(int chair) const { return IsValidSeat(chair) ? relief_[chair] : 0; }
    const char* GameIdText() const { return gameId_.data(); }
    bool HasStoredResult() const { return storedResult_ != nullptr; }
    bool IsSilverGame() const { return allUserFlag4_ != 0; }
    uint32_t StartTime() const { return startTime_; }
    uint32_t PhaseTick() const { return tableStateTick_; }
    int LateCount(int chair) const { return IsValidSeat(chair) ? lateCount_[chair] : 0; }
    void SetPairMark(int a, int b, bool marked);
    void SetChairGameWord(int chair, int32_t value);
    void SetOptionWord(int index, int32_t value);
    int32_t OptionWord(int index) const {
        return index >= 0 && index < static_cast<int>(optionWords_.size()) ? optionWords_[index]
                                                                           : 0;
    }
    // The word PrepareNextGame keeps of its pair.
    int32_t FurtherWord() const { return furtherWord_; }
    int32_t BaseParameter() const { return baseParameter_; }
    int32_t LevelUnit() const { return levelUnit_; }
    int32_t SecondBaseParameter() const { return secondBaseParameter_; }
    // The name table and the pair table made on first use (empty before).
    std::span<const char> NameTable() const { return nameTable_; }
    std::span<const int32_t> PairTable() const { return pairTable_; }

    // Calls visit for every chair after `from` in play order up to, not
    // including, `to`; nothing for a chair outside the table.
    template <typename Visit>
    void ForEachChairBetween(int from, int to, Visit visit) const {
        if (!IsValidSeat(from) || !IsValidSeat(to)) {
            return;
        }
        for (int c = GetPrevSeat(from); c != to; c = GetPrevSeat(c)) {
            visit(c);
        }
    }

protected:
    // The rule sets that choose their banker themselves (a bid, the winner of
    // the last hand); a chair outside the table is ignored.
    void SetBanker(int chair);
    static uint32_t Now();
    static uint32_t Since(uint32_t tick) { return Now() - tick; }
    bool AnyUserFlag(uint32_t mask) const;
    bool AnySecondFlag(uint32_t mask) const;
    // The silver a chair holds: the snapshot's when it is in use, else the
    // seated player's; 0 for an empty chair.
    int32_t HeldSilver(int chair) const;
    bool IsInSnapshotSettlement(int chair) const;
    void AccountActiveChairTime();
    // The fee on one chair's winnings under fee mode 6.
    int64_t FeeOnWinnings(int32_t won) const;
    // The deposit cap for a holding under fee modes 8 and 9.
    int64_t DepositCap(int32_t held) const;

private:
    struct SnapshotEntry {
        int32_t userId = 0;
        uint32_t flags = 0;
        int32_t chair = -1;
        int32_t isLooker = 0;
        int32_t sittingOut = 0;
        int32_t score = 0;
        int32_t silver = 0;
        int32_t level = 0;
        int32_t minutesPlayed = 0;
        int32_t gamesAtTable = 0;
    };

    // What both resets clear: the round's record (bases, parameters, banker,
    // game counter, tables) and the game in progress (state, turn, timers,
    // per-chair game words, result, snapshot, phase).
    void ClearRoundRecord();
    void ClearGameState();
    std::vector<int32_t> SeatedValues(int32_t TablePlayer::*field) const;
    int32_t SmallestPositiveSilver(const PerChair<int32_t>& values) const;
    // Caps each win at what the chair's 32-bit purse can take, relieving the
    // losers in proportion (part of LimitLosses).
    void KeepWinningsInRange(const PerChair<int32_t>& silverBefore,
                             PerChair<int32_t>& change) const;
    // A chair's silver after a settlement, floored at 0 or at what it held
    // when that was below 0; a floor or cap that acts is logged.
    int32_t SettledSilver(int chair, int32_t before, int32_t change) const;
    PlayerReport MakePlayerReport(const TableResult& result, int chair, int32_t reportId);

    // Identity.
    int32_t tableNumber_;
    int32_t baseParameter_;
    int32_t levelUnit_;
    int playerCount_;
    uint32_t ruleFlags_;
    int32_t secondBaseParameter_;

    mutable platform::RecursiveLock tableLock_;
    int32_t gamePhase_ = 0;

    std::map<int32_t, std::unique_ptr<TablePlayer>> players_;
    PerChair<std::set<int32_t>> chairWatchers_;
    PerChair<int32_t> seats_{};  // user id, 0 when empty
    PerChair<int32_t> sides_{};
    PerChair<uint32_t> userFlags_{};
    PerChair<uint32_t> secondFlags_{};
    PerChair<int32_t> thirdChairWords_{};

    // Per-chair state.
    PerChair<uint32_t> chairFlags_{};
    PerChair<uint32_t> chairTimerStart_{};
    PerChair<int32_t> thinkingMs_{};
    PerChair<int32_t> turnCount_{};
    PerChair<int32_t> chairGameWord_{};
    PerChair<int32_t> chairGameWord2_{};
    PerChair<int32_t> chairGameWord3_{};
    PerChair<uint32_t> lastReadyTick_{};
    PerChair<int32_t> lateCount_{};
    PerChair<int32_t> relief_{};
    PerChair<PerChair<int32_t>> pairMarks_{};

    RoundParameters round_{};
    int32_t gameCounter_ = 0;
    int32_t firstGamePlayed_ = 0;
    int banker_ = -1;
    int32_t scoreBase_ = 0;
    int32_t silverBase_ = 0;
    int32_t allUserFlag2_ = 0;
    int32_t allUserFlag4_ = 0;
    int32_t allUserFlag4000_ = 0;
    std::array<int32_t, 2> optionWords_{};
    int32_t furtherWord_ = 0;
    uint32_t gameStartTick_ = 0;
    uint32_t startTime_ = 0;
    std::array<char, 32> gameId_{};
    uint32_t roundTick_ = 0;

    uint32_t tableState_ = 0;
    uint32_t tableStateTick_ = 0;

    int activeChair_ = -1;
    uint32_t lastActionTick_ = 0;
    uint32_t turnStartTick_ = 0;
    int32_t timeLimitMs_ = 0;

    int32_t pauseSeconds_ = 0;
    uint32_t pauseTick_ = 0;

    PerChair<SnapshotEntry> snapshot_{};
    std::vector<char> nameTable_;
    std::vector<int32_t> pairTable_;
    std::unique_ptr<TableResult> storedResult_;
    int32_t modeWord_ = 0;
    std::array<int32_t, kSettingsWords> settings_{};
    const IntStringMap* levelNames_ = nullptr;
};
