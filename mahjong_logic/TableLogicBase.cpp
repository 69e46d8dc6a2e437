#include "mahjong_logic/TableLogicBase.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "mahjong_logic/LogicMath.h"
#include "mahjong_tiles/IntArray.h"
#include "mahjong_tiles/Levels.h"
#include "mahjong_tiles/Random.h"
#include "mahjong_tiles/StringMap.h"
#include "mahjong_tiles/TableHelpers.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "zep/ZepLog.h"
#include "zep/ZepUtils.h"

bool TableResult::WriteTo(std::span<uint8_t> destination) const {
    if (destination.size() < kBytes) {
        return false;
    }
    size_t at = 0;
    auto word = [&](int32_t value) {
        const uint32_t u = static_cast<uint32_t>(value);
        for (int b = 0; b < 4; ++b) {
            destination[at++] = static_cast<uint8_t>(u >> (8 * b));
        }
    };
    auto words = [&](const PerChair<int32_t>& values) {
        for (const int32_t v : values) {
            word(v);
        }
    };
    word(mode);
    word(flags);
    word(playerCount);
    word(gameCounter);
    word(banker);
    words(sides);
    word(gameValue);
    words(chairValues);
    word(scoreBase);
    word(silverBase);
    words(scoreBefore);
    words(silverBefore);
    words(scoreChange);
    words(silverChange);
    words(fee);
    words(newLevel);
    for (const auto& name : levelNames) {
        for (const char c : name) {
            destination[at++] = static_cast<uint8_t>(c);
        }
    }
    word(storedSilverBase);
    word(absentChairs);
    std::fill(destination.begin() + static_cast<ptrdiff_t>(at),
              destination.begin() + static_cast<ptrdiff_t>(kBytes), 0);
    return true;
}

// --- Construction and reset ---

CTableLogicBase::CTableLogicBase(int32_t tableNumber, int32_t baseParameter, int32_t levelUnit,
                                 int32_t playerCount, uint32_t ruleFlags,
                                 int32_t secondBaseParameter, int32_t /*unused*/)
    : tableNumber_(tableNumber),
      baseParameter_(baseParameter),
      levelUnit_(levelUnit),
      playerCount_(std::clamp(playerCount, 1, kMaxChairs)),
      ruleFlags_(ruleFlags),
      secondBaseParameter_(secondBaseParameter) {
    CTableLogicBase::Reset(true);
    settings_.fill(0);
    snapshot_.fill(SnapshotEntry{});
}

CTableLogicBase::~CTableLogicBase() {
    CTableLogicBase::Reset(true);
}

void CTableLogicBase::Reset(bool full) {
    if (full) {
        players_.clear();
        for (auto& watchers : chairWatchers_) {
            watchers.clear();
        }
        seats_.fill(0);
        userFlags_.fill(0);
        secondFlags_.fill(0);
        thirdChairWords_.fill(0);
        sides_.fill(-1);
        lastReadyTick_.fill(0);
        lateCount_.fill(0);
        ClearRoundRecord();
    }
    gameId_.fill('\0');
    chairFlags_.fill(0);
    ClearGameState();
    ResumeFromPause();
    relief_.fill(0);
    startTime_ = 0;
}

void CTableLogicBase::ResetRound() {
    ClearRoundRecord();
    ClearGameState();
}

void CTableLogicBase::ClearRoundRecord() {
    allUserFlag2_ = allUserFlag4_ = allUserFlag4000_ = 0;
    optionWords_.fill(0);
    scoreBase_ = silverBase_ = 0;
    round_ = RoundParameters{};
    firstGamePlayed_ = 0;
    gameCounter_ = 0;
    banker_ = -1;
    furtherWord_ = 0;
    roundTick_ = Now();
    std::fill(nameTable_.begin(), nameTable_.end(), '\0');
    std::fill(pairTable_.begin(), pairTable_.end(), 0);
}

void CTableLogicBase::ClearGameState() {
    tableState_ = 0;
    tableStateTick_ = Now();
    activeChair_ = -1;
    lastActionTick_ = turnStartTick_ = gameStartTick_ = 0;
    timeLimitMs_ = 0;
    thinkingMs_.fill(0);
    turnCount_.fill(0);
    chairTimerStart_.fill(0);
    chairGameWord_.fill(0);
    chairGameWord2_.fill(0);
    chairGameWord3_.fill(0);
    pairMarks_ = {};
    modeWord_ = 0;
    storedResult_.reset();
    snapshot_.fill(SnapshotEntry{});
    SetGamePhase(0);
}

void CTableLogicBase::ClearSeat(int chair) {
    if (!IsValidSeat(chair)) {
        return;
    }
    seats_[chair] = 0;
    chairWatchers_[chair].clear();
    userFlags_[chair] = secondFlags_[chair] = 0;
    thirdChairWords_[chair] = 0;
    sides_[chair] = -1;
    lastReadyTick_[chair] = 0;
    thinkingMs_[chair] = 0;
    chairGameWord_[chair] = chairGameWord2_[chair] = chairGameWord3_[chair] = 0;
    turnCount_[chair] = 0;
    chairFlags_[chair] = 0;
    chairTimerStart_[chair] = 0;
    lateCount_[chair] = 0;
}

bool CTableLogicBase::SetTableSettings(std::span<const int32_t> block) {
    if (block.size() < settings_.size()) {
        return false;
    }
    std::copy_n(block.begin(), settings_.size(), settings_.begin());
    gameCounter_ = settings_[30];
    tableStateTick_ = lastActionTick_ = Now();
    tableState_ = kTableWaiting;
    return true;
}

int CTableLogicBase::ClearTableSettings() {
    settings_.fill(0);
    return 0;
}

bool CTableLogicBase::HasFixedBase() const {
    return settings_[1] != 0;
}

int32_t CTableLogicBase::SettingsWord(int index) const {
    return index >= 0 && index < kSettingsWords ? settings_[index] : 0;
}

// --- Players ---

int CTableLogicBase::AddPlayer(std::unique_ptr<TablePlayer> player) {
    if (!player || !IsValidSeat(player->chair)) {
        return -1;
    }
    const int32_t id = player->userId;
    const int chair = player->chair;
    const bool replacing = players_.count(id) != 0;
    // A replacement of the same user does not count against a full table,
    // and the chair it already holds is not "taken".
    if (!replacing && GetUserCount() >= playerCount_) {
        return -1;
    }
    if (seats_[chair] != 0 && seats_[chair] != id) {
        return -1;
    }
    if (replacing) {
        RemovePlayer(id, true);
    }
    seats_[chair] = id;
    chairFlags_[chair] &= ~kChairReady;
    players_[id] = std::move(player);
    return GetUserCount();
}

int CTableLogicBase::RemovePlayer(int32_t userId, bool deleteObject,
                                  std::unique_ptr<TablePlayer>* keep) {
    const auto found = players_.find(userId);
    if (found == players_.end()) {
        return -1;
    }
    const int chair = found->second->chair;
    if (IsValidSeat(chair) && seats_[chair] == userId) {
        seats_[chair] = 0;
    }
    std::unique_ptr<TablePlayer> object = std::move(found->second);
    players_.erase(found);
    RemoveUserFromMaps(userId, false);
    if (!deleteObject && keep != nullptr) {
        *keep = std::move(object);
    }
    if (IsValidSeat(chair) && seats_[chair] == 0) {
        ClearSeat(chair);
    }
    return chair;
}

void CTableLogicBase::RemoveUserFromChair(int32_t userId, int chair) {
    const auto found = players_.find(userId);
    if (found != players_.end()) {
        for (int c = 0; c < playerCount_; ++c) {
            if (seats_[c] == userId) {
                seats_[c] = 0;
            }
        }
        players_.erase(found);
    }
    if (IsValidSeat(chair)) {
        chairWatchers_[chair].erase(userId);
    }
}

void CTableLogicBase::RemoveUserFromMaps(int32_t userId, bool fromMainMap) {
    if (fromMainMap) {
        for (int c = 0; c < playerCount_; ++c) {
            if (seats_[c] == userId) {
                seats_[c] = 0;
            }
        }
        players_.erase(userId);
    }
    for (auto& watchers : chairWatchers_) {
        watchers.erase(userId);
    }
}

bool CTableLogicBase::AddChairWatcher(int32_t userId, int chair) {
    if (!IsValidSeat(chair) || players_.count(userId) == 0) {
        return false;
    }
    chairWatchers_[chair].insert(userId);
    return true;
}

bool CTableLogicBase::IsChairWatcher(int32_t userId, int chair) const {
    return IsValidSeat(chair) && chairWatchers_[chair].count(userId) != 0;
}

bool CTableLogicBase::IsPlayer(int32_t userId) const {
    return GetPlayer(userId) != nullptr;
}

bool CTableLogicBase::IsLooker(int32_t userId) const {
    return GetLooker(userId) != nullptr;
}

bool CTableLogicBase::IsTableFull() const {
    return GetUserCount() == playerCount_;
}

bool CTableLogicBase::IsTableEmpty() const {
    return GetUserCount() == 0;
}

bool CTableLogicBase::IsFullWithFixedBase() const {
    return IsTableFull() && settings_[1] != 0;
}

bool CTableLogicBase::IsValidSeat(int chair) const {
    return chair >= 0 && chair < playerCount_;
}

bool CTableLogicBase::IsSeatUser(int32_t userId, int chair) const {
    return IsValidSeat(chair) && seats_[chair] != 0 && seats_[chair] == userId &&
           players_.count(userId) != 0;
}

int CTableLogicBase::GetUserCount() const {
    return static_cast<int>(players_.size());
}

TablePlayer* CTableLogicBase::GetPlayer(int32_t userId) const {
    const auto found = players_.find(userId);
    return found != players_.end() && found->second->isLooker == 0 ? found->second.get() : nullptr;
}

TablePlayer* CTableLogicBase::GetLooker(int32_t userId) const {
    const auto found = players_.find(userId);
    return found != players_.end() && found->second->isLooker != 0 ? found->second.get() : nullptr;
}

TablePlayer* CTableLogicBase::SeatedPlayer(int chair) const {
    if (!IsValidSeat(chair) || seats_[chair] == 0) {
        return nullptr;
    }
    const auto found = players_.find(seats_[chair]);
    return found != players_.end() ? found->second.get() : nullptr;
}

int CTableLogicBase::CountInfoPlayers() const {
    int count = 0;
    for (int c = 0; c < playerCount_; ++c) {
        const TablePlayer* p = SeatedPlayer(c);
        count += p != nullptr && p->userId > 0 ? 1 : 0;
    }
    return count;
}

int CTableLogicBase::CountConnectedPlayers() const {
    platform::ScopedLock guard(tableLock_);
    int count = 0;
    for (int c = 0; c < playerCount_; ++c) {
        const TablePlayer* p = SeatedPlayer(c);
        count += p != nullptr && p->sittingOut == 0 && p->IsConnected() ? 1 : 0;
    }
    return count;
}

bool CTableLogicBase::IsChairConnected(int chair) const {
    if (!IsValidSeat(chair)) {
        return false;
    }
    platform::ScopedLock guard(tableLock_);
    const TablePlayer* p = SeatedPlayer(chair);
    return p != nullptr && p->sittingOut == 0 && p->IsConnected();
}

bool CTableLogicBase::HasUsers() const {
    return GetUserCount() != 0;
}

// --- Seats and sides ---

int CTableLogicBase::GetPrevSeat(int chair) const {
    return IsValidSeat(chair) ? (playerCount_ + chair - 1) % playerCount_ : -1;
}

int CTableLogicBase::GetNextSeat(int chair) const {
    return IsValidSeat(chair) ? (chair + 1) % playerCount_ : -1;
}

void CTableLogicBase::AssignSides() {
    for (int c = 0; c < playerCount_; ++c) {
        sides_[c] = c;
    }
}

void CTableLogicBase::SetSide(int chair, int side) {
    if (IsValidSeat(chair)) {
        sides_[chair] = side >= 0 && side < kMaxChairs ? side : -1;
    }
}

int CTableLogicBase::CountSides() const {
    std::set<int> seen;
    for (int c = 0; c < playerCount_; ++c) {
        if (sides_[c] >= 0) {
            seen.insert(sides_[c]);
        }
    }
    return static_cast<int>(seen.size());
}

int CTableLogicBase::CountSideMembers(int side) const {
    if (side < 0 || side >= kMaxChairs) {
        return 0;
    }
    return static_cast<int>(
        std::count(sides_.begin(), sides_.begin() + playerCount_, static_cast<int32_t>(side)));
}

int CTableLogicBase::CountOtherSideMembers(int side) const {
    int count = 0;
    for (int c = 0; c < playerCount_; ++c) {
        count += sides_[c] != side ? 1 : 0;
    }
    return count;
}

int CTableLogicBase::FindPrevChairOfSide(int chair, int side) const {
    if (!IsValidSeat(chair)) {
        return -1;
    }
    for (int c = GetPrevSeat(chair); c != chair; c = GetPrevSeat(c)) {
        if (sides_[c] == side) {
            return c;
        }
    }
    return -1;
}

int CTableLogicBase::FindPrevChairNotOfSide(int chair, int side) const {
    if (!IsValidSeat(chair)) {
        return -1;
    }
    for (int c = GetPrevSeat(chair); c != chair; c = GetPrevSeat(c)) {
        if (sides_[c] != side) {
            return c;
        }
    }
    return -1;
}

bool CTableLogicBase::IsAlly(int /*a*/, int /*b*/, int chair) const {
    if (!IsValidSeat(chair) || !IsValidSeat(banker_)) {
        return false;
    }
    if ((modeWord_ & 1) != 0) {
        return sides_[banker_] == sides_[chair];
    }
    if ((modeWord_ & (4 | 8)) != 0) {
        return sides_[banker_] != sides_[chair];
    }
    return false;
}

int CTableLogicBase::IsOpponent(int a, int b, int sameChairAnswer) const {
    if (a != b) {
        return IsValidSeat(a) && IsValidSeat(b) && sides_[a] != sides_[b] ? 1 : 0;
    }
    return -sameChairAnswer;
}

int32_t CTableLogicBase::Negate(int32_t value) const {
    return value == std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::max()
                                                        : -value;
}

int CTableLogicBase::GetRandomChair() {
    return RandomBelow(playerCount_);
}

void CTableLogicBase::ChooseBanker() {
    banker_ = GetRandomChair();
}

void CTableLogicBase::SetBanker(int chair) {
    if (IsValidSeat(chair)) {
        banker_ = chair;
    }
}

int CTableLogicBase::ActivateBanker() {
    SetActiveChair(banker_);
    return activeChair_;
}

void CTableLogicBase::SetPairMark(int a, int b, bool marked) {
    if (IsValidSeat(a) && IsValidSeat(b)) {
        pairMarks_[a][b] = marked ? 1 : 0;
    }
}

void CTableLogicBase::SetChairGameWord(int chair, int32_t value) {
    if (IsValidSeat(chair)) {
        chairGameWord_[chair] = value;
    }
}

void CTableLogicBase::SetOptionWord(int index, int32_t value) {
    if (index >= 0 && index < static_cast<int>(optionWords_.size())) {
        optionWords_[index] = value;
    }
}

void CTableLogicBase::SetChairFlags(int chair, uint32_t flags) {
    if (IsValidSeat(chair)) {
        chairFlags_[chair] = flags;
    }
}

void CTableLogicBase::SetUserFlags(int chair, uint32_t flags) {
    if (IsValidSeat(chair)) {
        userFlags_[chair] = flags;
    }
}

void CTableLogicBase::SetSecondFlags(int chair, uint32_t flags) {
    if (IsValidSeat(chair)) {
        secondFlags_[chair] = flags;
    }
}

// --- Ticks and timers ---

uint32_t CTableLogicBase::Now() {
    return ReadTick();
}

void CTableLogicBase::AccountActiveChairTime() {
    if (IsValidSeat(activeChair_) && turnStartTick_ != 0) {
        thinkingMs_[activeChair_] =
            Clamp32(int64_t{thinkingMs_[activeChair_]} + Since(turnStartTick_));
    }
}

int CTableLogicBase::StartPhaseTimer(int chair, int seconds) {
    if (!IsValidSeat(chair)) {
        return -1;
    }
    AccountActiveChairTime();
    activeChair_ = chair;
    lastActionTick_ = turnStartTick_ = chairTimerStart_[chair] = Now();
    timeLimitMs_ = Clamp32((int64_t{seconds} * 5 + 5) * 200);
    return chair;
}

void CTableLogicBase::SetActiveChair(int chair) {
    if (!IsValidSeat(chair) || chair == activeChair_) {
        return;
    }
    AccountActiveChairTime();
    activeChair_ = chair;
    lastActionTick_ = turnStartTick_ = Now();
}

void CTableLogicBase::StampAction() {
    lastActionTick_ = Now();
}

bool CTableLogicBase::IsPhaseTimedOut(int chair) const {
    if (!IsValidSeat(chair)) {
        return false;
    }
    if ((chairFlags_[chair] & kChairTimedOutAtOnce) != 0) {
        return true;
    }
    return int64_t{Since(chairTimerStart_[chair])} > timeLimitMs_;
}

bool CTableLogicBase::IsTurnTimedOut() const {
    return int64_t{Since(turnStartTick_)} >= timeLimitMs_;
}

bool CTableLogicBase::IsTableStuck() const {
    if (IsPlayingNow()) {
        return int64_t{Since(turnStartTick_)} >= int64_t{timeLimitMs_} * 2 + 10000;
    }
    return Since(tableStateTick_) > 120000u;
}

bool CTableLogicBase::IsIdleTooLong() const {
    return settings_[34] != 0 && Since(tableStateTick_) > 60000u;
}

bool CTableLogicBase::IsReadyRecently(int chair, int seconds) const {
    if (!IsValidSeat(chair) || IsPlayingNow() || gameCounter_ != 0 || optionWords_[0] == 0) {
        return false;
    }
    return lastReadyTick_[chair] != 0 &&
           int64_t{Since(lastReadyTick_[chair])} < int64_t{seconds} * 1000;
}

int CTableLogicBase::CheckTurnTimeout(int chair, int seconds) const {
    if (chair == activeChair_) {
        return chair;
    }
    if (int64_t{Since(lastActionTick_)} > int64_t{seconds} * 1000) {
        return activeChair_;
    }
    return chair;
}

bool CTableLogicBase::WithinSeconds(int seconds) const {
    return seconds != 0 && int64_t{Since(gameStartTick_)} < int64_t{seconds} * 1000;
}

int CTableLogicBase::IncrementTurnCount(int chair) {
    return IsValidSeat(chair) ? ++turnCount_[chair] : 0;
}

bool CTableLogicBase::MarkReady(int chair) {
    if (!IsValidSeat(chair)) {
        return false;
    }
    chairFlags_[chair] |= kChairReady;
    lastReadyTick_[chair] = Now();
    return true;
}

void CTableLogicBase::SetPauseSeconds(bool on, int seconds) {
    if (!IsPauseAllowed()) {
        return;
    }
    if (!on) {
        ResumeFromPause();
        return;
    }
    if (pauseTick_ == 0 && seconds >= 1) {
        pauseSeconds_ = seconds;
        pauseTick_ = Now();
    }
}

int CTableLogicBase::GetPauseLeft(uint32_t now) const {
    const int64_t elapsed = std::max<int64_t>((now - pauseTick_) / 1000u, 1);
    const int64_t left = pauseSeconds_ - elapsed;
    return left > 0 ? static_cast<int>(left) : 2;
}

bool CTableLogicBase::IsPauseActive() const {
    return !IsPlayingNow() && IsPauseAllowed() && pauseTick_ != 0;
}

void CTableLogicBase::ResumeFromPause() {
    pauseTick_ = 0;
    pauseSeconds_ = 0;
}

// --- Table state ---

void CTableLogicBase::AddStateFlags(uint32_t flags) {
    tableStateTick_ = Now();
    tableState_ |= flags;
    if ((flags & kTablePlaying) != 0) {
        tableState_ &= ~kTableWaiting;
    }
}

void CTableLogicBase::ClearStateFlags(uint32_t flags) {
    tableState_ &= ~flags;
    tableStateTick_ = Now();
}

void CTableLogicBase::SetState(uint32_t value) {
    tableState_ = value;
    tableStateTick_ = Now();
}

bool CTableLogicBase::IsPlayingNow() const {
    return (tableState_ & kTablePlaying) != 0;
}

bool CTableLogicBase::IsNotPlaying() const {
    return !IsPlayingNow();
}

bool CTableLogicBase::IsPaused() const {
    return (tableState_ & kTableWaiting) != 0;
}

int CTableLogicBase::HasPlayedFirstGame() {
    if (gameCounter_ == 1) {
        firstGamePlayed_ = 1;
    }
    return firstGamePlayed_;
}

void CTableLogicBase::SetModeFourOrEight(int flag) {
    modeWord_ = flag == 0 ? 4 : 8;
}

void CTableLogicBase::SetModeTwo() {
    modeWord_ = 2;
}

void CTableLogicBase::SetGamePhase(int32_t phase) {
    platform::ScopedLock guard(tableLock_);
    gamePhase_ = phase;
}

int32_t CTableLogicBase::GetGamePhase() const {
    platform::ScopedLock guard(tableLock_);
    return gamePhase_;
}

// --- Per-chair flag tests ---

bool CTableLogicBase::AnyUserFlag(uint32_t mask) const {
    return AnyHasFlags(std::span<const int32_t>(reinterpret_cast<const int32_t*>(userFlags_.data()),
                                                playerCount_),
                       mask) != 0;
}

bool CTableLogicBase::AnySecondFlag(uint32_t mask) const {
    return AnyHasFlags(std::span<const int32_t>(
                           reinterpret_cast<const int32_t*>(secondFlags_.data()), playerCount_),
                       mask) != 0;
}

bool CTableLogicBase::HasChairFlag100000() const {
    return (ruleFlags_ & kRuleForceFlag100000) != 0 || AnyUserFlag(0x100000);
}

bool CTableLogicBase::NotAllHaveFlag4() const {
    return AllHaveFlags(std::span<const int32_t>(
                            reinterpret_cast<const int32_t*>(userFlags_.data()), playerCount_),
                        4) == 0;
}

bool CTableLogicBase::SilverLimitReached(const PerChair<int32_t>& silverChange) const {
    if ((ruleFlags_ & kRuleSilverLimit) == 0 || round_.silverLimit == 0) {
        return false;
    }
    for (int c = 0; c < playerCount_; ++c) {
        if (std::abs(int64_t{silverChange[c]}) >= round_.silverLimit) {
            return true;
        }
    }
    return false;
}

bool CTableLogicBase::IsChairOut(int chair) const {
    return IsValidSeat(chair) && (chairFlags_[chair] & (kChairOut | kChairTimedOutAtOnce)) != 0;
}

bool CTableLogicBase::IsChairFlag16(int chair) const {
    return IsValidSeat(chair) && (chairFlags_[chair] & kChairFlag16) != 0;
}

int CTableLogicBase::NobodyElseHasFlag(int chair) const {
    for (int c = 0; c < playerCount_; ++c) {
        if (c == chair || (IsValidSeat(chair) && pairMarks_[chair][c] != 0) ||
            chairGameWord_[c] != 0) {
            continue;
        }
        const TablePlayer* p = SeatedPlayer(c);
        if (p != nullptr && p->sittingOut == 0) {
            return 0;
        }
    }
    return 1;
}

// --- Settings files and names ---

std::string CTableLogicBase::GetServerIniPath() const {
    return platform::ProgramFolder() + platform::ProgramFileName().substr(0, 4) + "svr.ini";
}

int CTableLogicBase::GetKickTime() const {
    return platform::GetPrivateProfileInt("SoloAlone", "KickTime", 120, GetServerIniPath().c_str());
}

std::string CTableLogicBase::GetDefaultPlayerName(int chair) const {
    static const char* const kMarks[kMaxChairs] = {"【甲】", "【乙】", "【丙】", "【丁】",
                                                   "【戊】", "【己】", "【庚】", "【辛】"};
    std::string name = "游戏玩家";
    if (chair >= 0 && chair < kMaxChairs) {
        name += kMarks[chair];
    }
    return name;
}

int CTableLogicBase::LookupLevelName(int32_t level, std::span<char> buffer) const {
    if (levelNames_ == nullptr) {
        return 0;
    }
    return LookupMapString(*levelNames_, level, buffer);
}

// --- Table status, game state and the snapshot ---

bool CTableLogicBase::FillTableStatus(std::span<uint8_t> buffer) {
    const size_t size = static_cast<size_t>(GetTableStatusSize());
    if (buffer.size() < size) {
        return false;
    }
    std::fill(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(size), 0);
    size_t at = 0;
    auto word = [&](int32_t value) {
        for (int b = 0; b < 4; ++b) {
            buffer[at++] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * b));
        }
    };
    word(tableNumber_);
    word(baseParameter_);
    word(playerCount_);
    word(scoreBase_);
    word(silverBase_);
    for (const uint32_t flags : chairFlags_) {
        word(static_cast<int32_t>(flags));
    }
    word(gameCounter_);
    word(GetKickTime());
    return true;
}

bool CTableLogicBase::PackGameState(std::span<uint8_t> buffer, int /*viewer*/, bool /*hide*/) {
    std::fill(buffer.begin(), buffer.end(), 0);
    return false;
}

bool CTableLogicBase::PackPlayerState(std::span<uint8_t> buffer, int /*chair*/) {
    std::fill(buffer.begin(), buffer.end(), 0);
    return false;
}

bool CTableLogicBase::IsInSnapshotSettlement(int chair) const {
    return IsValidSeat(chair) && snapshot_[chair].userId > 0;
}

int32_t CTableLogicBase::HeldSilver(int chair) const {
    if (!IsValidSeat(chair)) {
        return 0;
    }
    if (AnyHasFlag4096()) {
        return snapshot_[chair].silver;
    }
    const TablePlayer* p = SeatedPlayer(chair);
    return p != nullptr ? p->silver : 0;
}

void CTableLogicBase::TakeSnapshot(bool onlyPlaying) {
    if (!AnyHasFlag4096()) {
        return;
    }
    snapshot_.fill(SnapshotEntry{});
    for (int c = 0; c < playerCount_; ++c) {
        const TablePlayer* p = SeatedPlayer(c);
        if (p == nullptr || (onlyPlaying && p->sittingOut != 0)) {
            continue;
        }
        snapshot_[c] =
            SnapshotEntry{p->userId, p->flags,  p->chair, p->isLooker,      p->sittingOut,
                          p->score,  p->silver, p->level, p->minutesPlayed, p->gamesAtTable};
    }
}

void CTableLogicBase::UpdateSnapshotChair(int chair) {
    if (!AnyHasFlag4096() || !IsValidSeat(chair)) {
        return;
    }
    if (const TablePlayer* p = SeatedPlayer(chair)) {
        snapshot_[chair].score = p->score;
        snapshot_[chair].silver = p->silver;
    }
}

// --- Game start ---

std::vector<int32_t> CTableLogicBase::SeatedValues(int32_t TablePlayer::*field) const {
    std::vector<int32_t> values;
    for (int c = 0; c < playerCount_; ++c) {
        if (const TablePlayer* p = SeatedPlayer(c)) {
            values.push_back(p->*field);
        }
    }
    return values;
}

void CTableLogicBase::MarkSittingOut() {
    const bool readyOnly = AnyHasFlag4096() && !AnyHasFlag2();
    for (int c = 0; c < playerCount_; ++c) {
        TablePlayer* p = SeatedPlayer(c);
        if (p == nullptr) {
            continue;
        }
        if (!readyOnly) {
            p->sittingOut = 0;
        } else if ((chairFlags_[c] & kChairReady) == 0) {
            p->sittingOut = 1;
            ++lateCount_[c];
        } else {
            p->sittingOut = 0;
            lateCount_[c] = 0;
        }
    }
}

int CTableLogicBase::StartGame(const RoundParameters& round, int& outChair) {
    outChair = -1;
    if (IsPlayingNow()) {
        return kStartAlreadyPlaying;
    }
    // 1. The chairs that may play.
    const bool everyChair = !AnyHasFlag4096() || AnyHasFlag2();
    std::vector<int32_t> countedFlags;
    if (everyChair) {
        for (int c = 0; c < playerCount_; ++c) {
            if (SeatedPlayer(c) == nullptr) {
                outChair = c;
                return kStartNotSeated;
            }
            countedFlags.push_back(static_cast<int32_t>(userFlags_[c]));
        }
    } else {
        int ready = 0;
        for (int c = 0; c < playerCount_; ++c) {
            if (SeatedPlayer(c) != nullptr) {
                countedFlags.push_back(static_cast<int32_t>(userFlags_[c]));
                ready += (chairFlags_[c] & kChairReady) != 0 ? 1 : 0;
            }
        }
        if (ready < round.minReady) {
            return kStartNotSeated;
        }
    }
    // 2. Game flags over the counted chairs.
    allUserFlag2_ = AllHaveFlags(countedFlags, 2);
    allUserFlag4_ = AllHaveFlags(countedFlags, 4);
    allUserFlag4000_ = AllHaveFlags(countedFlags, 0x4000);
    // 3. Round parameters and who sits out.
    round_ = round;
    ResumeFromPause();
    MarkSittingOut();
    auto playing = [&](int c) {
        TablePlayer* p = SeatedPlayer(c);
        return p != nullptr && p->sittingOut == 0 ? p : nullptr;
    };
    // 4. Silver.
    if (IsSilverGame() && (ruleFlags_ & kRuleSkipMinSilver) == 0) {
        silverBase_ = GetSilverBase(round.silverMultiple);
        for (int c = 0; c < playerCount_; ++c) {
            if (const TablePlayer* p = playing(c); p != nullptr && p->silver < round.minSilver) {
                outChair = c;
                return kStartSilverTooLow;
            }
        }
    }
    // 5. Score range.
    for (int c = 0; c < playerCount_; ++c) {
        if (const TablePlayer* p = playing(c)) {
            if (p->score < round.minScore) {
                outChair = c;
                return kStartScoreTooLow;
            }
            if (p->score > round.maxScore) {
                outChair = c;
                return kStartScoreTooHigh;
            }
        }
    }
    // 6. Games per player.
    for (int c = 0; c < playerCount_; ++c) {
        TablePlayer* p = SeatedPlayer(c);
        if (p == nullptr) {
            continue;
        }
        p->gamesAtTable = Clamp32(int64_t{p->gamesAtTable} + 1);
        if (p->sittingOut == 0 && p->gamesAtTable > round.maxPlayerGames) {
            outChair = c;
            return kStartTooManyPlayerGames;
        }
    }
    // 7. Start.
    if (gameCounter_ >= round.maxGames) {
        return kStartGameLimit;
    }
    ++gameCounter_;
    gameStartTick_ = Now();
    scoreBase_ = GetScoreBase(round.scoreBase);
    startTime_ = ZepGetCurrentTime();
    if (AnyHasFlag4096()) {
        TakeSnapshot(false);
    }
    PrepareHook1();
    PrepareHook2();
    ChooseBanker();
    DealHook();
    SetPlaying();
    ActivateBanker();
    AssignSides();
    HasPlayedFirstGame();
    ZepFillRandomHexIfEmpty(gameId_.data());
    return 1;
}

int CTableLogicBase::PrepareNextGame(int32_t first, int32_t second) {
    banker_ = GetRandomChair2(first, second);
    GameStartHook();
    GetFirstGameFlag();
    furtherWord_ = GetSecondWord(first, second);
    Reset(false);
    return 1;
}

// --- Bases ---

int32_t CTableLogicBase::GetScoreBase(int32_t value) {
    if (value > 0) {
        return value;
    }
    if (HasFixedBase()) {
        return settings_[31];
    }
    return GetMinLevelValue();
}

int32_t CTableLogicBase::GetMinLevelValue() {
    const std::vector<int32_t> scores = SeatedValues(&TablePlayer::score);
    return ::GetMinLevelValue(scores, baseParameter_, static_cast<int>(scores.size()), levelUnit_);
}

int32_t CTableLogicBase::GetBaseScoreUnit(int32_t multiplier) {
    const std::vector<int32_t> silver = SeatedValues(&TablePlayer::silver);
    return ::GetBaseScoreUnit(silver, multiplier, static_cast<int>(silver.size()));
}

int CTableLogicBase::GetLevelIndex(int32_t value, int32_t unit) const {
    return ::GetLevelIndex(value, unit);
}

int32_t CTableLogicBase::SmallestPositiveSilver(const PerChair<int32_t>& values) const {
    int32_t smallest = 0;
    for (int c = 0; c < playerCount_; ++c) {
        if (values[c] > 0 && (smallest == 0 || values[c] < smallest)) {
            smallest = values[c];
        }
    }
    return smallest;
}

int32_t CTableLogicBase::GetSilverBase(int32_t multiple) {
    const int32_t unit = GetBaseScoreUnit(allUserFlag2_ != 0 ? 0 : baseParameter_);
    const int32_t base = Clamp32(int64_t{unit} * multiple);
    const int32_t cap = round_.baseCap;
    switch (round_.feeMode) {
        case 0:
        case 1:
            return cap != 0 ? std::min(base, cap) : base;
        case 7:
        case 8:
        case 9: {
            PerChair<int32_t> silver{};
            for (int c = 0; c < playerCount_; ++c) {
                const TablePlayer* p = SeatedPlayer(c);
                silver[c] = p != nullptr ? p->silver : 0;
            }
            const int32_t smallest = SmallestPositiveSilver(silver);
            return cap != 0 && smallest >= cap ? cap : base;
        }
        default:
            return base;
    }
}

// --- Building and settling the result ---

void CTableLogicBase::FillBeforeValues(TableResult& result) {
    const bool fromSnapshot = AnyHasFlag4096();
    for (int c = 0; c < playerCount_; ++c) {
        if (fromSnapshot) {
            result.scoreBefore[c] = snapshot_[c].score;
            result.silverBefore[c] = snapshot_[c].silver;
        } else if (const TablePlayer* p = SeatedPlayer(c)) {
            result.scoreBefore[c] = p->score;
            result.silverBefore[c] = p->silver;
        }
    }
}

int CTableLogicBase::ComputeScores(TableResult& /*result*/, int /*chair*/) {
    return 0;
}

void CTableLogicBase::BuildGameResult(TableResult& result, int chair) {
    result = TableResult{};
    result.mode = modeWord_;
    result.playerCount = playerCount_;
    result.gameCounter = gameCounter_;
    result.banker = banker_;
    result.sides = sides_;
    result.scoreBase = scoreBase_;
    result.silverBase = silverBase_;
    FillBeforeValues(result);

    ComputeScores(result, chair);
    AdjustScores(result, chair, 0, 0);

    if (IsSilverGame() && silverBase_ != 0) {
        int32_t total = 0;
        const int mode = round_.feeMode;
        if (mode == 7 || mode == 8 || mode == 9) {
            PerChair<int32_t> kept{};
            total = SplitDeposit(result.silverBefore, kept, result.fee);
            LimitLosses(kept, result.silverChange);
            for (int c = 0; c < playerCount_; ++c) {
                result.silverChange[c] = Clamp32(int64_t{result.silverChange[c]} - result.fee[c]);
            }
        } else {
            LimitLosses(result.silverBefore, result.silverChange);
            total = DeductFees(result.silverChange, result.fee);
        }
        CheckZeroSum(result.silverChange, result.fee, total);
    }
    ComputeNewLevels(result.scoreBefore, result.scoreChange, result.newLevel);
    result.flags |= GetResultFlags1() | GetResultFlags2();
    ResultHook1(result);
}

int32_t CTableLogicBase::SumScores(const PerChair<int32_t>& values) const {
    int64_t sum = 0;
    for (int c = 0; c < playerCount_; ++c) {
        sum += values[c];
    }
    return Clamp32(sum);
}

int32_t CTableLogicBase::LimitLosses(const PerChair<int32_t>& silverBefore,
                                     PerChair<int32_t>& change) {
    PerChair<double> start{};
    double totalWon = 0.0;
    for (int c = 0; c < playerCount_; ++c) {
        start[c] = change[c];
        if (change[c] > 0) {
            totalWon += change[c];
        }
    }
    const bool ownSilver = (ruleFlags_ & kRuleLossByOwnSilver) != 0;
    const int32_t smallest = ownSilver ? 0 : SmallestPositiveSilver(silverBefore);
    // Fee mode 1 settles a loss beyond what the loser holds in its fee step
    // (a negative fee); every other mode keeps each loss within the loser's
    // own silver here, besides the table's smallest purse. A purse at or
    // below 0 counts as holding nothing.
    const bool ownSilverLimit = round_.feeMode != 1;
    for (int c = 0; c < playerCount_; ++c) {
        const int64_t own = std::max(silverBefore[c], 0);
        int64_t held = ownSilver ? own : smallest;
        if (!ownSilver && ownSilverLimit) {
            held = std::min(held, own);
        }
        const int64_t shortfall = int64_t{change[c]} + held;
        if (change[c] >= 0 || shortfall >= 0) {
            continue;
        }
        change[c] = Clamp32(-held);
        for (int w = 0; w < playerCount_; ++w) {
            if (start[w] > 0.0) {
                const int64_t reduced =
                    int64_t{change[w]} -
                    CeilToInt64(static_cast<double>(-shortfall) / totalWon * start[w]);
                change[w] = reduced < 0 ? 0 : Clamp32(reduced);
            }
        }
    }
    KeepWinningsInRange(silverBefore, change);
    return SumScores(change);
}

void CTableLogicBase::KeepWinningsInRange(const PerChair<int32_t>& silverBefore,
                                          PerChair<int32_t>& change) const {
    // A winner keeps no more than the 32-bit purse can hold; what it cannot
    // take is not taken from the losers either, who each pay less in
    // proportion to their loss (rounded down, so the table rather than a
    // loser keeps the odd unit).
    int64_t excess = 0;
    int64_t totalLost = 0;
    for (int c = 0; c < playerCount_; ++c) {
        const int64_t room = int64_t{std::numeric_limits<int32_t>::max()} - silverBefore[c];
        if (change[c] > room) {
            excess += change[c] - room;
            change[c] = Clamp32(room);
        } else if (change[c] < 0) {
            totalLost -= change[c];
        }
    }
    excess = std::min(excess, totalLost);
    for (int c = 0; c < playerCount_ && excess > 0; ++c) {
        if (change[c] < 0) {
            const int64_t lost = -int64_t{change[c]};
            // Exact: the product passes 64 bits at the top of the range.
            const auto share =
                static_cast<int64_t>(static_cast<__int128>(excess) * lost / totalLost);
            change[c] = Clamp32(change[c] + std::clamp<int64_t>(share, 0, lost));
        }
    }
}

int32_t CTableLogicBase::DeductFees(PerChair<int32_t>& change, PerChair<int32_t>& fees) {
    int64_t total = 0;
    if (round_.feeMode == 6) {
        for (int c = 0; c < playerCount_; ++c) {
            const int64_t fee = FeeOnWinnings(change[c]);
            if (fee == 0) {
                continue;
            }
            change[c] = Clamp32(change[c] - fee);
            fees[c] = Clamp32(fees[c] + fee);
            total += fee;
        }
    } else if (round_.feeMode == 1) {
        const bool fromSnapshot = AnyHasFlag4096();
        int64_t shortfall = 0;
        for (int c = 0; c < playerCount_; ++c) {
            const bool counted =
                fromSnapshot ? IsInSnapshotSettlement(c) : SeatedPlayer(c) != nullptr;
            if (!counted) {
                continue;
            }
            const int64_t available = int64_t{std::max(HeldSilver(c), 0)} + change[c];
            int64_t fee = round_.fixedFee;
            if (available < fee) {
                // A negative fee cancels the part of the loss the chair
                // cannot pay; the winners cover it with the rest below.
                fee = available;
                shortfall += round_.fixedFee - fee;
            }
            change[c] = Clamp32(change[c] - fee);
            fees[c] = Clamp32(fees[c] + fee);
            total += fee;
        }
        for (int c = 0; c < playerCount_ && shortfall > 0; ++c) {
            if (change[c] > 0) {
                const int64_t take = std::min<int64_t>(change[c], shortfall);
                change[c] = Clamp32(change[c] - take);
                fees[c] = Clamp32(fees[c] + take);
                total += take;
                shortfall -= take;
            }
        }
    }
    return Clamp32(total);
}

int64_t CTableLogicBase::FeeOnWinnings(int32_t won) const {
    if (won <= 100) {
        return 0;
    }
    const int64_t units = won / 100;
    int64_t fee = int64_t{round_.feeRate} * units;
    if (won > 10000 && won <= 100000) {
        fee = static_cast<int64_t>(std::ceil(won * 0.00005) * static_cast<double>(fee));
    } else if (won > 100000) {
        fee *= 5;
    }
    return std::clamp<int64_t>(fee, 0, int64_t{GetFeeCapPer100()} * units);
}

int64_t CTableLogicBase::DepositCap(int32_t held) const {
    return CeilToInt64(round_.depositRate * static_cast<double>(held) * 0.0001);
}

int32_t CTableLogicBase::SplitDeposit(const PerChair<int32_t>& values, PerChair<int32_t>& kept,
                                      PerChair<int32_t>& taken) {
    kept = values;
    int64_t total = 0;
    auto take = [&](int c, int64_t cap) {
        const int64_t amount = std::clamp<int64_t>(std::min<int64_t>(values[c], cap), 0, values[c]);
        taken[c] = Clamp32(amount);
        kept[c] = Clamp32(values[c] - amount);
        total += amount;
    };
    switch (round_.feeMode) {
        case 7:
            for (int c = 0; c < playerCount_; ++c) {
                if (values[c] > 0) {
                    take(c, round_.fixedFee);
                }
            }
            break;
        case 8: {
            const int32_t smallest = SmallestPositiveSilver(values);
            if (smallest == 0 || smallest < round_.depositThreshold) {
                break;
            }
            const int64_t cap = DepositCap(smallest);
            const bool fromSnapshot = AnyHasFlag4096();
            for (int c = 0; c < playerCount_; ++c) {
                if (values[c] <= 0) {
                    continue;
                }
                if (fromSnapshot && (!IsInSnapshotSettlement(c) || snapshot_[c].silver <= 0)) {
                    continue;
                }
                take(c, cap);
            }
            break;
        }
        case 9:
            for (int c = 0; c < playerCount_; ++c) {
                if (values[c] > 0 && values[c] >= round_.depositThreshold) {
                    take(c, DepositCap(values[c]));
                }
            }
            break;
        default:
            break;
    }
    return Clamp32(total);
}

int CTableLogicBase::CheckZeroSum(PerChair<int32_t>& change, PerChair<int32_t>& fees,
                                  int32_t totalFee) {
    int64_t sum = totalFee;
    for (int c = 0; c < playerCount_; ++c) {
        sum += change[c];
    }
    if (sum < 1) {
        return 1;
    }
    change.fill(0);
    fees.fill(0);
    return 0;
}

void CTableLogicBase::ComputeNewLevels(const PerChair<int32_t>& scoreBefore,
                                       const PerChair<int32_t>& scoreChange,
                                       PerChair<int32_t>& levels) {
    for (int c = 0; c < playerCount_; ++c) {
        levels[c] = GetLevelIndex(Clamp32(int64_t{scoreBefore[c]} + scoreChange[c]), levelUnit_);
    }
}

void CTableLogicBase::ApplyResultToPlayers(const TableResult& result) {
    for (int c = 0; c < playerCount_; ++c) {
        TablePlayer* p = SeatedPlayer(c);
        if (p == nullptr || p->sittingOut != 0) {
            continue;
        }
        p->score = Clamp32(int64_t{result.scoreBefore[c]} + result.scoreChange[c]);
        p->level = result.newLevel[c];
        if (IsSilverGame()) {
            p->silver = SettledSilver(c, result.silverBefore[c], result.silverChange[c]);
        }
    }
}

int32_t CTableLogicBase::SettledSilver(int chair, int32_t before, int32_t change) const {
    const int64_t silver = int64_t{before} + change;
    // A purse that started below 0 loses nothing more, so it is its own
    // floor; the floor never lifts a purse above what it held.
    const int32_t floor = std::min(before, 0);
    if (silver < floor) {
        // The settlement keeps every loss within what the chair holds, so
        // this floor never acts; if it does, it creates silver, and that is
        // worth a line in the log.
        ZepLog("结算后银子为负: 座位%d 原有%d 变化%d, 按%d计", chair, before, change, floor);
    } else if (silver > std::numeric_limits<int32_t>::max()) {
        // Nor does the top of the range: the settlement keeps every win
        // within it.
        ZepLog("结算后银子超出上限: 座位%d 原有%d 变化%d", chair, before, change);
    }
    return std::max(Clamp32(silver), floor);
}

void CTableLogicBase::ClearResult(TableResult& result) {
    for (int c = 0; c < playerCount_; ++c) {
        if (const TablePlayer* p = SeatedPlayer(c)) {
            result.scoreChange[c] = 0;
            result.silverChange[c] = 0;
            result.newLevel[c] = p->level;
        }
    }
}

void CTableLogicBase::FillLevelNames(TableResult& result) {
    if (AnyHasFlag1()) {
        return;
    }
    for (int c = 0; c < playerCount_; ++c) {
        LookupLevelName(result.newLevel[c], result.levelNames[c]);
    }
}

void CTableLogicBase::StoreSilverBaseInResult(TableResult& result) {
    result.storedSilverBase = GetSilverBase(round_.silverMultiple);
}

void CTableLogicBase::MarkAbsentChairs(TableResult& result) const {
    int32_t mask = 0;
    for (int c = 0; c < playerCount_; ++c) {
        const TablePlayer* p = SeatedPlayer(c);
        if (p == nullptr || p->sittingOut != 0) {
            mask |= 1 << c;
        }
    }
    result.absentChairs = mask;
}

void CTableLogicBase::FinishGame(TableResult& result, int chair) {
    BuildGameResult(result, chair);
    if (ResultHook2(result) != 0) {
        ApplyResultToPlayers(result);
    } else {
        ClearResult(result);
    }
    FillLevelNames(result);
    StoreSilverBaseInResult(result);
    storedResult_ = std::make_unique<TableResult>(result);
}

int CTableLogicBase::GetElapsedTime(int& seconds, int& minutes) {
    if (round_.durationLimit <= 0) {
        round_.durationLimit = 60000;
    }
    return ::GetElapsedTime(gameStartTick_, seconds, minutes, round_.durationLimit);
}

// --- Escape, sharing and relief ---

int32_t CTableLogicBase::EscapePenalty(int chair, int32_t multiple, int32_t& outShare) {
    outShare = 0;
    const TablePlayer* p = SeatedPlayer(chair);
    if (p == nullptr) {
        return 0;
    }
    int64_t penalty = int64_t{silverBase_} * multiple;
    if (p->silver < -penalty) {
        penalty = -int64_t{p->silver};
    }
    if (round_.escapeCap != 0 && -penalty > round_.escapeCap) {
        penalty = -int64_t{round_.escapeCap};
    }
    const int32_t clamped = Clamp32(penalty);
    outShare = Clamp32(int64_t{round_.escapeShare} * clamped / 100);
    return clamped;
}

int32_t CTableLogicBase::ShareOfPayment(int receiver, int payer, int32_t amount) const {
    if (receiver == payer || !IsValidSeat(receiver) || !IsValidSeat(payer)) {
        return 0;
    }
    const int payerSide = sides_[payer];
    if (sides_[receiver] == payerSide) {
        return 0;
    }
    const int d = CountOtherSideMembers(payerSide);
    if (d == 0) {
        return 0;
    }
    int32_t share = amount / d;
    if (receiver == FindPrevChairNotOfSide(payer, payerSide)) {
        share += amount % d;
    }
    return share;
}

void CTableLogicBase::ApplyReliefIfAllowed(PerChair<int32_t>& silverChange) {
    if (IsReliefAllowed()) {
        ApplyLossRelief(silverChange);
    }
}

void CTableLogicBase::ApplyLossRelief(PerChair<int32_t>& silverChange) {
    relief_.fill(0);
    SeedRandom(Now());
    for (int c = 0; c < playerCount_; ++c) {
        const TablePlayer* p = SeatedPlayer(c);
        if (p == nullptr || p->sittingOut != 0 || (p->flags & 1) == 0 || silverChange[c] >= 0) {
            continue;
        }
        const int32_t reduced = ReduceLossByChance(silverChange[c]);
        relief_[c] = Clamp32(int64_t{reduced} - silverChange[c]);
        silverChange[c] = reduced;
    }
}

int32_t CTableLogicBase::ReduceLossByChance(int32_t loss) {
    int chance = 0;
    std::array<int32_t, 4> weights{};
    std::array<int32_t, 4> percents{};
    GetReliefParameters(chance, weights, percents);
    if (NextRandom() % 100 > chance) {
        return loss;
    }
    const int r = NextRandom() % 100;
    int percent = 0;
    int bound = 0;
    for (size_t band = 0; band < weights.size(); ++band) {
        bound += weights[band];
        if (r < bound) {
            percent = percents[band];
            break;
        }
    }
    const int64_t given = std::max<int64_t>(-int64_t{loss} * percent / 100, 1);
    return Clamp32(int64_t{loss} + given);
}

int CTableLogicBase::GetReliefParameters(int& chance, std::span<int32_t> weights,
                                         std::span<int32_t> percents) const {
    chance = 55;
    static constexpr std::array<int32_t, 4> kWeights = {84, 12, 4, 0};
    static constexpr std::array<int32_t, 4> kPercents = {10, 50, 100, 0};
    if (weights.size() >= kWeights.size()) {
        std::copy(kWeights.begin(), kWeights.end(), weights.begin());
    }
    if (percents.size() >= kPercents.size()) {
        std::copy(kPercents.begin(), kPercents.end(), percents.begin());
    }
    return chance;
}

bool CTableLogicBase::GetReliefList(std::span<int32_t> userIds, std::span<int32_t> amounts) const {
    if (!IsReliefAllowed()) {
        return false;
    }
    bool any = false;
    const size_t room = std::min({userIds.size(), amounts.size(), size_t(playerCount_)});
    for (size_t c = 0; c < room; ++c) {
        const TablePlayer* p = SeatedPlayer(static_cast<int>(c));
        if (p != nullptr && (p->flags & 1) != 0 && relief_[c] >= 1) {
            userIds[c] = p->userId;
            amounts[c] = relief_[c];
            any = true;
        }
    }
    return any;
}
