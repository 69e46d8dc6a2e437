// CTableLogicBase: the reports of a finished game, the settlement of a player
// who leaves during a game, and the made-up profiles and name tables.

#include "mahjong_logic/LogicMath.h"
#include "mahjong_logic/TableLogicBase.h"
#include "mahjong_tiles/IntArray.h"
#include "mahjong_tiles/Random.h"

// --- Player records and game-over reports ---

PlayerReport CTableLogicBase::MakePlayerReport(const TableResult& result, int chair,
                                               int32_t reportId) {
    PlayerReport r;
    const TablePlayer* p = SeatedPlayer(chair);
    r.userId = p != nullptr ? p->userId : 0;
    r.tableNumber = tableNumber_;
    r.baseParameter = baseParameter_;
    r.chair = chair;
    r.reportId = reportId;
    r.scoreBase = result.scoreBase;
    r.silverBase = result.silverBase;
    r.scoreBefore = result.scoreBefore[chair];
    r.silverBefore = result.silverBefore[chair];
    GetElapsedTime(r.secondsPlayed, r.minutesPlayed);
    const int32_t change = result.scoreChange[chair];
    r.win = change > 0 ? 1 : 0;
    r.loss = change < 0 ? 1 : 0;
    r.draw = change == 0 ? 1 : 0;
    r.scoreChange = change;
    r.silverChange = result.silverChange[chair];
    r.newLevel = result.newLevel[chair];
    r.levelName = result.levelNames[chair];
    r.fee = result.fee[chair];
    return r;
}

void CTableLogicBase::BuildPlayerRecords(const TableResult& result, int32_t reportId,
                                         std::vector<PlayerReport>& out, bool onlyPlaying) {
    out.clear();
    if (!onlyPlaying) {
        out.resize(static_cast<size_t>(playerCount_));
    }
    for (int c = 0; c < playerCount_; ++c) {
        const TablePlayer* p = SeatedPlayer(c);
        if (p == nullptr || (onlyPlaying && p->sittingOut != 0)) {
            continue;
        }
        if (onlyPlaying) {
            out.push_back(MakePlayerReport(result, c, reportId));
        } else {
            out[static_cast<size_t>(c)] = MakePlayerReport(result, c, reportId);
        }
    }
}

void CTableLogicBase::BuildPlayingPlayerRecords(const TableResult& result, int32_t reportId,
                                                std::vector<PlayerReport>& out) {
    BuildPlayerRecords(result, reportId, out, true);
}

GameOverReport CTableLogicBase::BuildGameOverReport(int32_t reportId) {
    GameOverReport report;
    report.playerCount = playerCount_;
    report.tableNumber = tableNumber_;
    report.reportId = reportId;
    report.roundTick = roundTick_;
    const TableResult result = storedResult_ ? *storedResult_ : TableResult{};
    report.flag1 = static_cast<uint8_t>((NotAllHaveFlag4() ? 1 : 0) |
                                        (SilverLimitReached(result.silverChange) ? 2 : 0));
    BuildPlayerRecords(result, reportId, report.players, false);
    return report;
}

GameOverReport CTableLogicBase::BuildGameOverReportPlaying(int32_t reportId) {
    GameOverReport report;
    std::vector<int32_t> flags;
    for (int c = 0; c < playerCount_; ++c) {
        const TablePlayer* p = SeatedPlayer(c);
        if (p != nullptr && p->sittingOut == 0) {
            flags.push_back(static_cast<int32_t>(userFlags_[c]));
        }
    }
    report.playerCount = static_cast<int32_t>(flags.size());
    report.tableNumber = tableNumber_;
    report.reportId = reportId;
    report.roundTick = roundTick_;
    report.flag1 = AllHaveFlags(flags, 4) != 0 ? 1 : 0;
    report.flag2 = storedResult_ ? 2 : 0;
    const TableResult result = storedResult_ ? *storedResult_ : TableResult{};
    BuildPlayingPlayerRecords(result, reportId, report.players);
    return report;
}

void CTableLogicBase::AddToPlayerCounters(const GameOverReport& report) {
    for (const PlayerReport& record : report.players) {
        if (TablePlayer* p = GetPlayer(record.userId)) {
            p->minutesPlayed = Clamp32(int64_t{p->minutesPlayed} + record.minutesPlayed);
        }
    }
}

void CTableLogicBase::AddToPlayerCounter(const PlayerReport& record) {
    if (TablePlayer* p = SeatedPlayer(record.chair)) {
        p->minutesPlayed = Clamp32(int64_t{p->minutesPlayed} + record.minutesPlayed);
    }
}

int CTableLogicBase::ApplyStoredResult(const GameOverReport& report) {
    if (!storedResult_) {
        return 0;
    }
    if (report.playerCount != playerCount_) {
        return 1;
    }
    TableResult& result = *storedResult_;
    for (const PlayerReport& record : report.players) {
        const int c = record.chair;
        if (!IsValidSeat(c)) {
            continue;
        }
        result.scoreBefore[c] = record.scoreBefore;
        result.silverBefore[c] = record.silverBefore;
        result.scoreChange[c] = record.scoreChange;
        result.silverChange[c] = record.silverChange;
        result.fee[c] = record.fee;
        result.newLevel[c] = record.newLevel;
    }
    ApplyResultToPlayers(result);
    result.flags |= GetResultFlags1() | GetResultFlags2();
    StoreSilverBaseInResult(result);
    ComputeNewLevels(result.scoreBefore, result.scoreChange, result.newLevel);
    FillLevelNames(result);
    return 1;
}

int32_t CTableLogicBase::GetPlayerSeedWord(int32_t userId) const {
    const TablePlayer* p = GetPlayer(userId);
    return p != nullptr ? p->profileSeedHigh : 0;
}

// --- A player leaving during the game ---

void CTableLogicBase::ComputeSingleResult(int /*chair*/, int32_t& scoreChange,
                                          int32_t& silverChange, int32_t& other) {
    scoreChange = 0;
    silverChange = 0;
    other = 0;
}

int32_t CTableLogicBase::LimitSingleLoss(int32_t silver, int32_t change) const {
    // A purse at or below 0 has nothing to lose.
    const int32_t held = std::max(silver, 0);
    return int64_t{held} + change < 0 ? Negate(held) : change;
}

int32_t CTableLogicBase::DeductSingleFee(int32_t silver, int32_t& change) const {
    int64_t fee = 0;
    if (round_.feeMode == 6) {
        fee = FeeOnWinnings(change);
    } else if (round_.feeMode == 1) {
        const int64_t available = int64_t{silver} + change;
        fee = std::clamp<int64_t>(available, 0, round_.fixedFee);
    }
    change = Clamp32(change - fee);
    return Clamp32(fee);
}

int32_t CTableLogicBase::SplitSingleDeposit(int32_t silver, int32_t& kept) const {
    kept = silver;
    if (silver <= 0) {
        return 0;
    }
    int64_t cap = 0;
    switch (round_.feeMode) {
        case 7:
            cap = round_.fixedFee;
            break;
        case 8:
        case 9:
            if (silver < round_.depositThreshold) {
                return 0;
            }
            cap = DepositCap(silver);
            break;
        default:
            return 0;
    }
    const int64_t taken = std::clamp<int64_t>(cap, 0, silver);
    kept = Clamp32(silver - taken);
    return Clamp32(taken);
}

int CTableLogicBase::CheckSingleZeroSum(int32_t& change, int32_t& fee) const {
    if (int64_t{change} + fee < 1) {
        return 1;
    }
    change = 0;
    fee = 0;
    return 0;
}

PlayerReport CTableLogicBase::SettleSinglePlayer(int chair, bool noChange) {
    PlayerReport r;
    TablePlayer* p = SeatedPlayer(chair);
    if (p == nullptr) {
        return r;
    }
    r.userId = p->userId;
    r.tableNumber = tableNumber_;
    r.baseParameter = baseParameter_;
    r.chair = chair;
    r.scoreBase = scoreBase_;
    r.silverBase = silverBase_;
    r.scoreBefore = AnyHasFlag4096() ? snapshot_[chair].score : p->score;
    r.silverBefore = HeldSilver(chair);
    int32_t other = 0;
    ComputeSingleResult(chair, r.scoreChange, r.silverChange, other);
    if (IsSilverGame() && silverBase_ != 0) {
        const int mode = round_.feeMode;
        if (mode == 7 || mode == 8 || mode == 9) {
            int32_t kept = 0;
            r.fee = SplitSingleDeposit(r.silverBefore, kept);
            r.silverChange = LimitSingleLoss(kept, r.silverChange);
            r.silverChange = Clamp32(int64_t{r.silverChange} - r.fee);
        } else {
            r.silverChange = LimitSingleLoss(r.silverBefore, r.silverChange);
            r.fee = DeductSingleFee(r.silverBefore, r.silverChange);
        }
        CheckSingleZeroSum(r.silverChange, r.fee);
    }
    if (IsSilverGame()) {
        // A win stays within what the purse can take, as in a hand's
        // settlement; the record names no loser to let off.
        PerChair<int32_t> before{};
        PerChair<int32_t> change{};
        before[chair] = r.silverBefore;
        change[chair] = r.silverChange;
        KeepWinningsInRange(before, change);
        r.silverChange = change[chair];
    }
    if (noChange) {
        r.scoreChange = 0;
        r.silverChange = 0;
        r.newLevel = p->level;
    } else {
        r.newLevel = GetLevelIndex(Clamp32(int64_t{r.scoreBefore} + r.scoreChange), levelUnit_);
        p->score = Clamp32(int64_t{r.scoreBefore} + r.scoreChange);
        p->level = r.newLevel;
        if (IsSilverGame()) {
            p->silver = SettledSilver(chair, r.silverBefore, r.silverChange);
        }
    }
    if (!AnyHasFlag1()) {
        LookupLevelName(r.newLevel, r.levelName);
    }
    return r;
}

GameOverReport CTableLogicBase::BuildEscapeReport(int chair, int32_t reportId) {
    GameOverReport report;
    report.playerCount = 1;
    report.tableNumber = tableNumber_;
    report.reportId = reportId;
    report.roundTick = roundTick_;
    report.flag1 = AnyUserFlag(4) ? 1 : 0;
    report.flag2 = 1;
    if (SeatedPlayer(chair) == nullptr) {
        report.playerCount = 0;
        return report;
    }
    PlayerReport record = SettleSinglePlayer(chair, false);
    record.reportId = reportId;
    GetElapsedTime(record.secondsPlayed, record.minutesPlayed);
    record.win = 0;
    record.loss = 1;
    record.draw = 0;
    report.players.push_back(record);
    return report;
}

// --- Ready players, profiles and name tables ---

int CTableLogicBase::CollectReadyPlayers(std::vector<ReadyPlayer>& out) const {
    out.clear();
    for (int c = 0; c < playerCount_; ++c) {
        if ((chairFlags_[c] & kChairRequired) == 0) {
            return 0;
        }
    }
    for (int c = 0; c < playerCount_; ++c) {
        const TablePlayer* p = SeatedPlayer(c);
        if (p == nullptr) {
            out.clear();
            return 0;
        }
        ReadyPlayer entry{p->userId, c, p->score, p->silver, p->level, {}};
        LookupLevelName(p->level, entry.levelName);
        out.push_back(entry);
    }
    return static_cast<int>(out.size());
}

PlayerProfile CTableLogicBase::MakeRandomProfile(int chair, const TablePlayer* player) {
    const int64_t high = player != nullptr ? player->profileSeedHigh : 0;
    const int64_t low = player != nullptr ? player->profileSeedLow : 0;
    SeedRandom(static_cast<uint32_t>(int64_t{Now()} + 10 * high + low));
    PlayerProfile profile;
    profile.chair = chair;
    profile.flag = NextRandom() % 100 < 10 ? 1 : 0;
    profile.sign = NextRandom() % 2;
    profile.value107 = NextRandom() % 107;
    profile.value91 = NextRandom() % 91 + 10;
    profile.value187 = NextRandom() % 187;
    if (profile.sign == 0 && profile.value187 == 1) {
        profile.value187 = 0;
    } else if (profile.sign == 1 && profile.value187 == 0) {
        profile.value187 = 1;
    }
    profile.constant1000 = 1000;
    profile.constant100 = 100;
    profile.levelIndex = GetLevelIndex(100, levelUnit_);
    profile.name = GetDefaultPlayerName(chair);
    return profile;
}

void CTableLogicBase::MakeProfiles(int chair, std::span<ListedPlayer> players) {
    if (!IsValidSeat(chair)) {
        return;
    }
    for (ListedPlayer& entry : players) {
        if (entry.present && entry.chair != chair) {
            entry.profile = MakeRandomProfile(entry.chair, SeatedPlayer(entry.chair));
        }
    }
    StorePairTable(chair, players);
}

void CTableLogicBase::StorePairTable(int chair, std::span<const ListedPlayer> players) {
    if (!IsValidSeat(chair)) {
        return;
    }
    constexpr size_t kEntryWords = 8;  // 32 bytes
    const size_t count = static_cast<size_t>(playerCount_);
    if (pairTable_.empty()) {
        pairTable_.assign(count * count * kEntryWords, 0);
    }
    size_t position = 0;
    for (const ListedPlayer& entry : players) {
        if (!entry.present || entry.chair == chair) {
            continue;
        }
        if (position == static_cast<size_t>(chair)) {
            ++position;
        }
        if (position >= count) {
            break;
        }
        int32_t* slot = &pairTable_[(static_cast<size_t>(chair) * count + position) * kEntryWords];
        slot[0] = entry.profile.value107;
        slot[1] = entry.profile.value91;
        slot[2] = entry.profile.value187;
        ++position;
    }
}

PlayerProfile CTableLogicBase::GetProfile(int chair, int otherChair, const TablePlayer* player) {
    PlayerProfile profile = MakeRandomProfile(chair, player);
    if (IsValidSeat(chair) && IsValidSeat(otherChair) && !pairTable_.empty()) {
        const size_t count = static_cast<size_t>(playerCount_);
        const int32_t* slot =
            &pairTable_[(static_cast<size_t>(chair) * count + static_cast<size_t>(otherChair)) * 8];
        std::copy(slot, slot + 3, profile.pairEntry.begin());
    }
    return profile;
}

void CTableLogicBase::StoreNames(std::span<const ListedPlayer> players) {
    constexpr size_t kNameBytes = 52;
    const size_t count = static_cast<size_t>(playerCount_);
    if (nameTable_.empty()) {
        nameTable_.assign(count * kNameBytes, '\0');
    }
    size_t slot = 0;
    for (const ListedPlayer& entry : players) {
        if (slot >= count) {
            break;
        }
        CopyText(std::span<char>(nameTable_).subspan(slot * kNameBytes, kNameBytes),
                 entry.name.c_str());
        ++slot;
    }
}
