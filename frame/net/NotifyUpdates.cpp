// The application's state as the server's notifications change it: seats
// taken and left, the players' wealth, the match standings, the advert text.

#include <algorithm>

#include "frame/GameFrameApp.h"
#include "zep/ZepLog.h"

bool ReadMatchStandings(std::span<const uint8_t> bytes, MatchStandings& out) {
    StandingsHeader header;
    if (!ReadRecord(bytes, header)) {
        return false;
    }
    const size_t fit = (bytes.size() - StandingsHeader::kSize) / StandingRecord::kSize;
    const int count = static_cast<int>(std::clamp<int64_t>(
        header.count, 0, std::min<int64_t>(MatchStandings::kMaxRecords, int64_t(fit))));
    if (count != header.count) {
        ZepLog("standings: %d records taken of %d", count, header.count);
    }
    out = MatchStandings{};
    out.header = header;
    out.header.count = count;
    for (int i = 0; i < count; ++i) {
        ReadRecord(bytes.subspan(StandingsHeader::kSize + size_t(i) * StandingRecord::kSize),
                   out.records[size_t(i)]);
    }
    return true;
}

const UserRecord* CGameFrameApp::SeatServerPlayer(int chair, const ServerPlayerRecord& player) {
    UserRecord* seat = MutableSeat(chair);
    if (seat == nullptr) {
        return nullptr;
    }
    if (!IsChairOccupied(chair)) {
        table_.seatCount = std::min(table_.seatCount + 1, std::max(GetPlayerCount(), 0));
    }
    *seat = UserRecord{};
    ServerPlayerToUser(*seat, player);
    return seat;
}

void CGameFrameApp::UnseatUser(int chair, int32_t userId) {
    // The user's record as found now: once the seat is cleared a search would
    // find a looker-on record of the same user, which stays.
    UserRecord* user = FindUserMutable(userId);
    if (UserRecord* seat = MutableSeat(chair)) {
        *seat = UserRecord{};
        table_.seatCount = std::max(table_.seatCount - 1, 0);
    }
    if (user != nullptr) {
        *user = UserRecord{};
    }
}

bool CGameFrameApp::SetUserWealth(int32_t userId, int32_t silver, int32_t level, int32_t score,
                                  std::string_view title) {
    UserRecord* user = FindUserMutable(userId);
    if (user == nullptr) {
        return false;
    }
    user->silver = silver;
    user->level = level;
    user->score = score;
    SetFieldText(user->levelTitle, title);
    return true;
}

bool CGameFrameApp::ApplyStandings(std::span<const uint8_t> record) {
    MatchStandings standings;
    if (!ReadMatchStandings(record, standings)) {
        return false;
    }
    standings_ = standings;
    for (int i = 0; i < standings_.header.count; ++i) {
        const StandingRecord& entry = standings_.records[size_t(i)];
        if (entry.userId == 0) {
            continue;
        }
        for (MatchPlayerRecord& player : matchPlayers_) {
            if (player.userId == entry.userId) {
                player.score = entry.score;
                player.silver = entry.silver;
                player.rank = entry.rank;
            }
        }
    }
    SortStandings();
    return true;
}

void CGameFrameApp::SetAdvertText(std::string_view text) {
    SetFieldText(advertText_, text);
}
