// The application's updates from the server's records: players, hand
// results, history, standings, wealth, and the questions and lines some
// answers become. Every record is checked against its length first.

#include <algorithm>
#include <cstdio>

#include "frame/GameFrameApp.h"
#include "zep/ZepLog.h"

namespace {

constexpr int kEventWealthPrize = 80000104;
constexpr size_t kTablePlayersOffset = 16 * 4;
constexpr size_t kOtherSeatsOffset = 15 * 4;
constexpr size_t kSeatPlayersOffset = 68;
constexpr size_t kRenameBytes = 52;
constexpr size_t kRenameFieldOffset = 20;  // name, second name and sex of a user record

bool IsChair(int chair) {
    return chair >= 0 && chair < kSeatCount;
}

bool LongEnough(std::span<const uint8_t> record, size_t needed, const char* what) {
    if (record.size() >= needed) {
        return true;
    }
    ZepLog("%s: record of %zu bytes, below %zu", what, record.size(), needed);
    return false;
}

// How many records of `size` bytes from `offset` the record holds, at most
// `wanted` and at most the seats.
int CountWithin(std::span<const uint8_t> record, size_t offset, int32_t wanted, size_t size,
                const char* what) {
    const size_t room = record.size() > offset ? (record.size() - offset) / size : 0;
    const int count =
        int(std::clamp<int64_t>(wanted, 0, std::min<int64_t>(kSeatCount, int64_t(room))));
    if (count != wanted) {
        ZepLog("%s: %d players announced, %d read", what, wanted, count);
    }
    return count;
}

// Kept record values: sums wrap in 32 bits, never an overflow.
int32_t KeptSum(int32_t a, int32_t b) {
    return Int32Field(int64_t{a} + b, FieldOverflow::kWrap);
}

void CountOne(int32_t& counter) {
    counter = KeptSum(counter, 1);
}

void AddResult(UserRecord& user, int32_t change) {
    CountOne(user.games);
    if (change > 0) {
        CountOne(user.wins);
    } else if (change < 0) {
        CountOne(user.losses);
    } else {
        CountOne(user.draws);
    }
}

std::string Format(const char* format, int a, int b, int c) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

}  // namespace

// --- Player forms ---

void CGameFrameApp::ServerPlayerToUser(UserRecord& user, const ServerPlayerRecord& server) {
    user.userId = server.userId;
    user.flags = server.flags;
    user.state = server.state;
    user.tableNo = server.tableNo;
    user.chairNo = server.chairNo;
    user.sex = server.sex;
    user.serverValue = server.serverValue;
    user.netSpeed = server.netSpeed;
    user.characterId = server.characterId;
    user.name = server.name;
    user.secondName = server.secondName;
    user.silver = server.silver;
    user.level = server.level;
    SetFieldText(user.levelTitle, GetHallText(server.level));
    user.score = server.score;
    user.disconnects = server.disconnects;
    user.wins = server.wins;
    user.losses = server.losses;
    user.draws = server.draws;
    user.games = server.games;
    user.onlineSeconds = server.onlineSeconds;
    user.experience = server.onlineSeconds / 60;
}

void CGameFrameApp::UserToServerPlayer(ServerPlayerRecord& server, const UserRecord& user) {
    server.userId = user.userId;
    server.flags = user.flags;
    server.state = user.state;
    server.tableNo = user.tableNo;
    server.chairNo = user.chairNo;
    server.sex = user.sex;
    server.serverValue = user.serverValue;
    server.netSpeed = user.netSpeed;
    server.characterId = user.characterId;
    server.name = user.name;
    server.secondName = user.secondName;
    server.silver = user.silver;
    server.level = user.level;
    server.score = user.score;
    server.disconnects = user.disconnects;
    server.wins = user.wins;
    server.losses = user.losses;
    server.draws = user.draws;
    server.games = user.games;
    server.onlineSeconds = user.onlineSeconds;
}

void CGameFrameApp::ExtendedPlayerToUser(UserRecord& user, const ExtendedPlayerRecord& record) {
    user.userId = record.userId;
    user.flags = record.flags;
    user.state = record.state;
    user.chairNo = record.chairNo;
    user.sex = record.sex;
    user.serverValue = record.serverValue;
    user.characterId = record.characterId;
    user.name = record.name;
    user.secondName = record.secondName;
    user.silver = record.silver;
    user.level = record.level;
    user.levelTitle = record.levelTitle;
    user.score = record.score;
    user.disconnects = record.disconnects;
    user.wins = record.wins;
    user.losses = record.losses;
    user.draws = record.draws;
    user.games = record.games;
    user.onlineSeconds = record.onlineSeconds;
    user.experience = record.onlineSeconds / 60;
}

// --- Seats ---

void CGameFrameApp::ApplyTablePlayers(std::span<const uint8_t> record) {
    if (!LongEnough(record, kTablePlayersOffset, "ApplyTablePlayers")) {
        return;
    }
    const int32_t tableNo = WordAt(record, 4);
    const int count = CountWithin(record, kTablePlayersOffset, WordAt(record, 8),
                                  ServerPlayerRecord::kSize, "ApplyTablePlayers");
    for (int i = 0; i < count; ++i) {
        if (launch_.userId != 0 && WordAt(record, size_t(3 + i) * 4) == launch_.userId) {
            chairNo_ = i;
        }
    }
    table_.tableNo = tableNo;
    table_.seatCount = count;
    seats_ = {};
    for (int i = 0; i < count; ++i) {
        ServerPlayerRecord server;
        ReadRecord(record.subspan(kTablePlayersOffset + size_t(i) * ServerPlayerRecord::kSize),
                   server);
        ServerPlayerToUser(seats_[size_t(i)], server);
    }
}

void CGameFrameApp::UpdateOtherSeats(std::span<const uint8_t> record) {
    if (!LongEnough(record, kOtherSeatsOffset, "UpdateOtherSeats")) {
        return;
    }
    const int count = CountWithin(record, kOtherSeatsOffset, WordAt(record, 8),
                                  ServerPlayerRecord::kSize, "UpdateOtherSeats");
    for (int i = 0; i < count; ++i) {
        ServerPlayerRecord server;
        ReadRecord(record.subspan(kOtherSeatsOffset + size_t(i) * ServerPlayerRecord::kSize),
                   server);
        if (server.chairNo == chairNo_) {
            continue;
        }
        ServerPlayerToUser(seats_[size_t(i)], server);
    }
}

void CGameFrameApp::ApplySeatPlayers(std::span<const uint8_t> record) {
    if (!LongEnough(record, kSeatPlayersOffset, "ApplySeatPlayers")) {
        return;
    }
    const int count = CountWithin(record, kSeatPlayersOffset, WordAt(record, 16),
                                  ServerPlayerRecord::kSize, "ApplySeatPlayers");
    table_.tableNo = WordAt(record, 8);
    chairNo_ = WordAt(record, 12);
    for (int i = 0; i < count; ++i) {
        ServerPlayerRecord server;
        ReadRecord(record.subspan(kSeatPlayersOffset + size_t(i) * ServerPlayerRecord::kSize),
                   server);
        if (!IsChair(server.chairNo)) {
            ZepLog("ApplySeatPlayers: chair %d dropped", server.chairNo);
            continue;
        }
        ServerPlayerToUser(seats_[size_t(server.chairNo)], server);
    }
}

void CGameFrameApp::RenameSeatedPlayers(std::span<const uint8_t> names) {
    for (int chair = 0; chair < kSeatCount; ++chair) {
        const size_t offset = size_t(chair) * kRenameBytes;
        if (offset + kRenameBytes > names.size()) {
            break;
        }
        UserRecord& seat = seats_[size_t(chair)];
        if (seat.userId == 0) {
            continue;
        }
        auto bytes = RecordBytes(seat);
        std::copy_n(names.begin() + offset, kRenameBytes, bytes.begin() + kRenameFieldOffset);
        ReadRecord(bytes, seat);
    }
    if (frameView_ != nullptr) {
        frameView_->ForwardPlayersRenamed(names.data(), names.size());
    }
}

// --- Hand results and history ---

void CGameFrameApp::ApplyHandResult(std::span<const uint8_t> record) {
    HandResultSummary summary;
    if (!ReadRecord(record, summary)) {
        ZepLog("ApplyHandResult: record of %zu bytes, below %zu", record.size(),
               HandResultSummary::kSize);
        return;
    }
    lastHandResult_ = summary;
    const bool silverRoom = IsSilverRoom();
    if (!IsMatch()) {
        const int players = std::clamp(GetPlayerCount(), 0, kSeatCount);
        for (int chair = 0; chair < players; ++chair) {
            UserRecord& seat = seats_[size_t(chair)];
            if (seat.userId == 0 || (summary.unchangedChairMask >> chair & 1) != 0) {
                continue;
            }
            const size_t c = size_t(chair);
            seat.level = summary.newLevel[c];
            seat.levelTitle = summary.newTitle[c];
            seat.score = KeptSum(summary.scoreBefore[c], summary.scoreChange[c]);
            seat.silver = KeptSum(summary.silverBefore[c], summary.silverChange[c]);
            AddResult(seat, silverRoom ? summary.silverChange[c] : summary.scoreChange[c]);
        }
    } else {
        const int players = std::clamp(summary.playerCount, 0, kSeatCount);
        for (int i = 0; i < players; ++i) {
            const size_t c = size_t(i);
            matchPlayers_[c].score = KeptSum(summary.scoreBefore[c], summary.scoreChange[c]);
            matchPlayers_[c].silver = KeptSum(summary.silverBefore[c], summary.silverChange[c]);
        }
    }
    AddHistory(silverRoom ? summary.silverChange : summary.scoreChange);
    NotifyAdvertBar();
    NotifyUserListChanged();
    NotifyUserListChanged2();
    if (frameView_ != nullptr) {
        frameView_->OpenCardUserDetail();
    }
}

void CGameFrameApp::AddHistory(const std::array<int32_t, kSeatCount>& values) {
    const size_t slot = size_t(handCounter_ % kHistoryHands);
    const int players = std::clamp(GetPlayerCount(), 0, kSeatCount);
    for (int chair = 0; chair < players; ++chair) {
        history_[size_t(chair)][slot] = values[size_t(chair)];
        historyTotals_[size_t(chair)] =
            KeptSum(historyTotals_[size_t(chair)], values[size_t(chair)]);
    }
    ++handCounter_;
}

void CGameFrameApp::ResetHistory() {
    history_ = {};
    historyTotals_ = {};
    handCounter_ = 0;
}

int32_t CGameFrameApp::GetHistory(int chair, int slot) const {
    if (!IsChair(chair) || slot < 0 || slot >= kHistoryHands) {
        return 0;
    }
    return history_[size_t(chair)][size_t(slot)];
}

int32_t CGameFrameApp::GetHistoryTotal(int chair) const {
    return IsChair(chair) ? historyTotals_[size_t(chair)] : 0;
}

// --- Match standings ---

void CGameFrameApp::SortStandings() {
    const int count = std::clamp(standings_.header.count, 0, MatchStandings::kMaxRecords);
    std::array<int64_t, MatchStandings::kMaxRecords> keys{};
    for (int i = 0; i < count; ++i) {
        const StandingRecord& record = standings_.records[size_t(i)];
        int64_t key = record.rank;
        if (record.userId != 0 && record.userId == launch_.userId) {
            key -= 10000000;
        } else if (standings_.header.keepLeadingOnTop != 0 && i < standings_.header.leadingCount) {
            key -= 1000000;
        }
        keys[size_t(i)] = key;
    }
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            if (keys[size_t(j)] < keys[size_t(i)]) {
                std::swap(keys[size_t(i)], keys[size_t(j)]);
                std::swap(standings_.records[size_t(i)], standings_.records[size_t(j)]);
            }
        }
    }
    SendEventToSidePanel(kEventMatchStandingsSorted, 0);
    CCorvaneView* game = GetGameView();
    if (game != nullptr) {
        game->OnEvent(MakeEventRecord(game->GetId(), kEventMatchStandingsSorted, 0, 0));
    }
}

// --- Per-player results and wealth ---

void CGameFrameApp::ApplyLeaverResult(std::span<const uint8_t> record) {
    constexpr size_t kSize = 64;
    if (!LongEnough(record, kSize, "ApplyLeaverResult")) {
        return;
    }
    const int chair = WordAt(record, 4);
    if (!IsChair(chair) || seats_[size_t(chair)].userId == 0) {
        return;
    }
    UserRecord& seat = seats_[size_t(chair)];
    seat.level = WordAt(record, 44);
    TextField<16> title{};
    std::copy_n(record.begin() + 48, title.size(), title.begin());
    seat.levelTitle = title;
    // Before and change as the server sends them.
    seat.score = KeptSum(WordAt(record, 32), WordAt(record, 24));
    seat.silver = KeptSum(WordAt(record, 36), WordAt(record, 28));
    CountOne(seat.games);
    CountOne(seat.losses);
    NotifyUserListChanged();
    if (frameView_ != nullptr) {
        frameView_->OpenCardUserDetail();
    }
}

void CGameFrameApp::SetChairSilver(std::span<const uint8_t> record) {
    if (!LongEnough(record, 20, "SetChairSilver")) {
        return;
    }
    const int chair = WordAt(record, 4);
    if (WordAt(record, 8) == 0 || !IsChairOccupied(chair)) {
        return;
    }
    if (IsMatch()) {
        matchPlayers_[size_t(chair)].silver = WordAt(record, 16);
    } else {
        seats_[size_t(chair)].silver = WordAt(record, 16);
    }
    NotifyUserListChanged();
    if (frameView_ != nullptr) {
        frameView_->OpenCardUserDetail();
        frameView_->ForwardBaseSilver(record.data(), record.size());
    }
}

void CGameFrameApp::SetChairScore(std::span<const uint8_t> record) {
    if (record.data() == nullptr || !LongEnough(record, 20, "SetChairScore")) {
        return;
    }
    const int chair = WordAt(record, 4);
    if (WordAt(record, 8) < 0 || !IsChairOccupied(chair)) {
        return;
    }
    if (IsMatch()) {
        matchPlayers_[size_t(chair)].score = WordAt(record, 16);
    } else {
        seats_[size_t(chair)].score = WordAt(record, 16);
    }
    NotifyUserListChanged();
    if (frameView_ != nullptr) {
        frameView_->OpenCardUserDetail();
    }
}

void CGameFrameApp::SetChairWealth(int chair, int32_t what, int32_t value) {
    if (what != 0 && what != 1) {
        return;
    }
    if (IsMatch()) {
        (what == 0 ? matchPlayers_[size_t(chair)].silver : matchPlayers_[size_t(chair)].score) =
            value;
    } else {
        (what == 0 ? seats_[size_t(chair)].silver : seats_[size_t(chair)].score) = value;
    }
    NotifyUserListChanged();
}

void CGameFrameApp::ApplyWealthRecord(std::span<const uint8_t> record, size_t chairOffset,
                                      bool second) {
    const char* what = second ? "ApplyWealthChange2" : "ApplyWealthChange";
    if (!LongEnough(record, chairOffset + 4, what)) {
        return;
    }
    const int chair = WordAt(record, chairOffset);
    if (!IsChair(chair) || seats_[size_t(chair)].userId == 0 ||
        seats_[size_t(chair)].userId != WordAt(record, 0)) {
        return;
    }
    constexpr int32_t kKindGameWealth = 2;
    if (WordAt(record, 4) == kKindGameWealth && WordAt(record, 12) == launch_.gameId) {
        SetChairWealth(chair, WordAt(record, 8), WordAt(record, 24));
    }
    if (second) {
        OnWealthChanged();
    } else if (frameView_ != nullptr) {
        frameView_->ForwardPrizeNotify(record.data(), record.size());
    }
}

void CGameFrameApp::ApplyWealthChange(std::span<const uint8_t> record) {
    ApplyWealthRecord(record, 28 * 4, false);
}

void CGameFrameApp::ApplyWealthChange2(std::span<const uint8_t> record) {
    ApplyWealthRecord(record, 38 * 4, true);
}

int CGameFrameApp::UpdateUserState(int32_t userId, int chair, int32_t characterId) {
    if (!IsChair(chair) || characterId < 0) {
        return 0;
    }
    UserRecord* user = FindUserMutable(userId);
    if (user == nullptr || user->chairNo != chair || user->characterId == characterId) {
        return 0;
    }
    if (IsRandomTableRoom() && !IsLookOn() && userId != launch_.userId) {
        return 0;
    }
    user->characterId = characterId;
    NotifyUserListChanged();
    const bool seated = IsUserSeated(userId);
    if (seated && frameView_ != nullptr) {
        frameView_->OpenCardUserDetail();
    }
    return seated ? 1 : 0;
}

int CGameFrameApp::SetMemberFlag(int32_t userId, int chair, int on) {
    UserRecord* user = FindUserMutable(userId);
    if (!IsChair(chair) || user == nullptr || user->chairNo != chair) {
        return 0;
    }
    const int32_t before = user->flags;
    if (on != 0) {
        user->flags |= UserRecord::kFlagMember;
    } else {
        user->flags &= ~UserRecord::kFlagMember;
    }
    return user->flags != before ? 1 : 0;
}

// --- Answers that become questions or lines ---

void CGameFrameApp::AskAboutSilver(std::span<const uint8_t> record, bool tooHigh) {
    const char* what = tooHigh ? "OnSilverTooHigh" : "OnSilverTooLow";
    if (!LongEnough(record, 16, what)) {
        return;
    }
    const int carried = WordAt(record, 8);
    const int limit = WordAt(record, 12);
    if (!CanUseSafeBoxInGame()) {
        ShowNoticeBox(
            tooHigh ? "客官，您的银子也太多了，快去存起来吧！" : "对不起，您的银子不够啦！", 10,
            0x30, tooHigh ? "ruv财神" : "ruv没钱");
        return;
    }
    CCorvaneView* side = GetSubSystemView();
    CCorvaneObject* inputBar = side != nullptr ? side->FindObjectByName("InputBar") : nullptr;
    if (inputBar == nullptr) {
        return;
    }
    const int gap = Int32Field(tooHigh ? int64_t{carried} - limit : int64_t{limit} - carried,
                               FieldOverflow::kHold);
    const std::string text =
        tooHigh
            ? Format(
                  "本房间最多可携带银子%d两\r\n您携带了%d两\r\n仍超了%d两,是否将银子存入保险箱？",
                  limit, carried, gap)
            : Format("本房间最少需携带银子%d两\r\n您只携带了%d两\r\n仍少了%d两,是否从保险箱划银？",
                     limit, carried, gap);
    const EventRecord ok = MakeEventRecord(inputBar->GetId(), kEventTakeFromSafeBox, limit, 0);
    ShowInfoBox(text.c_str(), &ok, nullptr, 10, 53, "ruv财神");
}

void CGameFrameApp::OnSilverTooLow(std::span<const uint8_t> record) {
    AskAboutSilver(record, false);
}

void CGameFrameApp::OnSilverTooHigh(std::span<const uint8_t> record) {
    AskAboutSilver(record, true);
}

void CGameFrameApp::OnWelfareConfigFailed(int result, const char* text, int /*reserved1*/,
                                          int /*reserved2*/) {
    if (result != 0) {
        return;
    }
    const std::string shown =
        text != nullptr && *text != '\0' ? std::string(text) : "获取低保活动配置失败!";
    AppendChatText(" <z=qe系统通知> <c=255>" + shown + "\r\n");
}

void CGameFrameApp::OnWelfareResult(int ok, const char* text, int /*a*/, int /*b*/, int amount) {
    if (ok != 0) {
        char box[128];
        std::snprintf(box, sizeof box, "已赠送银子%d两到%s中!", amount, "游戏");
        ShowInfoBox(box, nullptr, nullptr, 10, 52, "ruv财神");
        return;
    }
    const std::string shown =
        text != nullptr && *text != '\0' ? std::string(text) : "领取银子失败!";
    AppendChatText(" <z=qe系统通知> <c=255>" + shown + "\r\n");
}
