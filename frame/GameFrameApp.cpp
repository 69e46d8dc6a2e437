#include "frame/GameFrameApp.h"

#include <algorithm>
#include <cstdio>

#include "frame/FrameFunctions.h"
#include "frame/FramePlatform.h"
#include "frame/GameFrameWnd.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/SdlWindow.h"
#include "zep/ZepLog.h"
#include "zep/ZepUtils.h"

namespace {

constexpr size_t kTableInfoOffset = RoomInfo::kSize;
constexpr size_t kUsersOffset = RoomInfo::kSize + TableInfo::kSize;  // 620
constexpr size_t kHallTextBytes = 360;
constexpr int kHallTextFields = 60;
constexpr size_t kMatchNameOffset = 72;
constexpr size_t kMatchText2Offset = 200;
constexpr size_t kMatchTextWidth = 128;
constexpr int kSmallScreenWidth = 800;
constexpr size_t kSkinColorText = 259;

const UserRecord& EmptyUser() {
    static const UserRecord kEmpty{};
    return kEmpty;
}

bool IsChair(int chair) {
    return chair >= 0 && chair < kSeatCount;
}

std::string DisplayName(const UserRecord& user) {
    std::string name = FieldText(user.name);
    const std::string second = FieldText(user.secondName);
    if (second.empty()) {
        return name;
    }
    return name + "[" + second + "]";
}

// A text of a fixed-width field inside a byte block.
std::string BlockText(std::span<const uint8_t> block, size_t offset, size_t width) {
    if (offset >= block.size()) {
        return {};
    }
    const size_t end = std::min(block.size(), offset + width);
    size_t length = 0;
    while (offset + length < end && block[offset + length] != 0) {
        ++length;
    }
    return std::string(reinterpret_cast<const char*>(block.data() + offset), length);
}

struct ColorKey {
    const char* key;
    uint32_t fallback;
};
constexpr ColorKey kSkinColors[7] = {
    {"AdvHeader", 0x355808}, {"AdvText", 0},        {"AdvBk", 0xE5F1E1}, {"AdvGrid", 0xD9E6D8},
    {"PlayerViewHeader", 0}, {"PlayerViewText", 0}, {"TitleText", 0},
};

}  // namespace

// The records of one launch, read into scratch space and committed whole.
struct CGameFrameApp::LaunchState {
    RoomInfo room{};
    TableInfo table{};
    std::array<UserRecord, kSeatCount> seats{};
    std::array<UserRecord, kLookerSlots> lookers{};
    std::map<int, std::string> hallTexts;
    bool hasRoomList = false;
    int32_t roomListMode = 0;
    std::vector<RoomListEntry> roomList;
};

CGameFrameApp::CGameFrameApp(const char* gameCode, int defaultPort, int version, int subVersion)
    : gameCode_(gameCode != nullptr ? gameCode : ""),
      defaultPort_(defaultPort),
      version_(version),
      subVersion_(subVersion) {
    launch_.tableNo = -1;
    launch_.chairNo = -1;
    table_.tableNo = -1;
    smallScreen_ = frame::PrimaryScreenWidth() <= kSmallScreenWidth;
    matchFlag_ = platform::GetPrivateProfileInt("Test", "IsMatch", 0, GetGameIniFile().c_str());
    skinIni_ = GetSkinIniFile();
    ReadSkinColors();
}

CGameFrameApp::~CGameFrameApp() {
    mainFrame_.reset();
    StopCommThread();
    if (relaunchOnExit_) {
        RelaunchSelf();
    }
}

CGameFrameApp* CGameFrameApp::Current() {
    return dynamic_cast<CGameFrameApp*>(platform::Application::Current());
}

void CGameFrameApp::ReadSkinColors() {
    for (size_t i = 0; i < colors_.size(); ++i) {
        char text[kSkinColorText] = {};
        platform::GetPrivateProfileString("CommColors", kSkinColors[i].key, "", text, sizeof text,
                                          skinIni_.c_str());
        colors_[i] = ParseRGB(text, kSkinColors[i].fallback);
    }
}

void CGameFrameApp::SetLaunchFields(const LaunchFields& fields) {
    launch_ = fields;
    if (launch_.serverPort == 0) {
        launch_.serverPort = defaultPort_;
    }
    chairNo_ = launch_.chairNo;
    table_.tableNo = launch_.tableNo;
    room_.options = launch_.roomOptions;
    room_.flags = launch_.roomFlags;
    room_.flags2 = launch_.roomFlags2;
}

void CGameFrameApp::SetWebHosts(std::string_view noticeHost, std::string_view advertHost) {
    SetFieldText(room_.noticeHost, noticeHost);
    SetFieldText(room_.advertHost, advertHost);
}

// --- Launch record ---

bool CGameFrameApp::ParseLaunchRecord(std::span<const uint8_t> record, LaunchState& out) const {
    if (record.size() < kUsersOffset) {
        ZepLog("InitGameData: launch record of %zu bytes, below %zu", record.size(), kUsersOffset);
        return false;
    }
    ReadRecord(record, out.room);
    ReadRecord(record.subspan(kTableInfoOffset), out.table);
    const int32_t seatsSent = out.table.seatCount;
    const int32_t lookersSent = out.table.lookerCount;
    if (seatsSent < 0 || lookersSent < 0) {
        ZepLog("InitGameData: negative user counts %d, %d", seatsSent, lookersSent);
        return false;
    }
    const uint64_t usersEnd =
        kUsersOffset + uint64_t{UserRecord::kSize} * (uint64_t(seatsSent) + uint64_t(lookersSent));
    const uint64_t textEnd = usersEnd + (out.room.hasHallText != 0 ? kHallTextBytes : 0);
    const int32_t listCount = out.room.roomListCount;
    const uint64_t required =
        textEnd + (listCount > 0 ? RoomListHeader::kSize +
                                       uint64_t{RoomListEntry::kSize} * uint64_t(listCount)
                                 : 0);
    if (required > record.size()) {
        ZepLog("InitGameData: launch record of %zu bytes, its counts need %llu", record.size(),
               static_cast<unsigned long long>(required));
        return false;
    }

    // Seats by their own chair; the room's left-out users are skipped.
    const bool skipLeftOut = (out.room.flags & RoomInfo::kFlagSkipLeftOut) != 0 &&
                             (out.room.flags & RoomInfo::kFlagNoForcedExit) == 0;
    int copied = 0;
    for (int32_t i = 0; i < seatsSent; ++i) {
        UserRecord user;
        ReadRecord(record.subspan(kUsersOffset + size_t(i) * UserRecord::kSize), user);
        if (skipLeftOut && user.chairNo != launch_.chairNo &&
            user.state == UserRecord::kStateLeftOut) {
            continue;
        }
        if (!IsChair(user.chairNo)) {
            ZepLog("InitGameData: seat record %d names chair %d, dropped", i, user.chairNo);
            continue;
        }
        out.seats[size_t(user.chairNo)] = user;
        ++copied;
    }
    out.table.seatCount = copied;

    const size_t lookersOffset = kUsersOffset + size_t(seatsSent) * UserRecord::kSize;
    if (lookersSent > kLookerSlots) {
        ZepLog("InitGameData: %d lookers-on sent, %d kept", lookersSent, kLookerSlots);
    }
    for (int32_t i = 0; i < std::min<int32_t>(lookersSent, kLookerSlots); ++i) {
        ReadRecord(record.subspan(lookersOffset + size_t(i) * UserRecord::kSize),
                   out.lookers[size_t(i)]);
    }

    if (out.room.hasHallText != 0) {
        const std::string text = BlockText(record, size_t(usersEnd), kHallTextBytes);
        std::string_view rest = text;
        for (int key = 0; key < kHallTextFields; ++key) {
            const size_t bar = rest.find('|');
            const std::string_view field = rest.substr(0, bar);
            if (field.empty()) {
                break;
            }
            out.hallTexts[key] = std::string(field);
            if (bar == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(bar + 1);
        }
    }

    if (listCount > 0) {
        const auto list = record.subspan(size_t(textEnd));
        RoomListHeader header;
        ReadRecord(list, header);
        if (header.count == listCount) {
            out.hasRoomList = true;
            out.roomListMode = header.mode;
            for (int32_t i = 0; i < listCount; ++i) {
                RoomListEntry entry;
                if (!ReadRecord(
                        list.subspan(RoomListHeader::kSize + size_t(i) * RoomListEntry::kSize),
                        entry)) {
                    break;
                }
                out.roomList.push_back(entry);
            }
        }
    }

    // The own record must be there, on the own chair, with the own look-on flag.
    const UserRecord* own = nullptr;
    for (const UserRecord& seat : out.seats) {
        if (seat.userId != 0 && seat.userId == launch_.userId) {
            own = &seat;
            break;
        }
    }
    if (own == nullptr) {
        for (const UserRecord& looker : out.lookers) {
            if (looker.userId != 0 && looker.userId == launch_.userId) {
                own = &looker;
                break;
            }
        }
    }
    if (own == nullptr) {
        ZepLog("InitGameData: the launch record lacks user %d", launch_.userId);
        return false;
    }
    if (own->lookOn != launch_.lookOn || own->chairNo != launch_.chairNo) {
        ZepLog("InitGameData: user %d has chair %d look-on %d, the line says %d and %d",
               launch_.userId, own->chairNo, own->lookOn, launch_.chairNo, launch_.lookOn);
        return false;
    }
    return true;
}

void CGameFrameApp::CommitLaunchState(LaunchState& state) {
    room_ = state.room;
    table_ = state.table;
    seats_ = state.seats;
    lookers_ = state.lookers;
    for (auto& [key, text] : state.hallTexts) {
        hallTexts_[key] = std::move(text);
    }
    if (state.hasRoomList) {
        roomListMode_ = state.roomListMode;
        roomList_ = std::move(state.roomList);
    }
    chairNo_ = launch_.chairNo;
}

bool CGameFrameApp::InitGameData(std::span<const uint8_t> record) {
    auto state = std::make_unique<LaunchState>();
    if (!ParseLaunchRecord(record, *state)) {
        return false;
    }
    CommitLaunchState(*state);
    return true;
}

bool CGameFrameApp::InitMatchData(std::span<const uint8_t> record) {
    constexpr size_t kRoom = RoomInfo::kSize + RoomInfo::kMatchExtension;
    constexpr size_t kNeeded = kRoom + TableInfo::kSize + UserRecord::kSize + kMatchInfoSize;
    if (record.size() < kNeeded) {
        ZepLog("InitMatchData: match launch record of %zu bytes, below %zu", record.size(),
               kNeeded);
        return false;
    }
    ReadRecord(record, room_);
    std::copy_n(record.begin() + RoomInfo::kSize, roomMatchTail_.size(), roomMatchTail_.begin());
    ReadRecord(record.subspan(kRoom), table_);
    seats_ = {};
    ReadRecord(record.subspan(kRoom + TableInfo::kSize), seats_[0]);
    std::copy_n(record.begin() + kRoom + TableInfo::kSize + UserRecord::kSize, kMatchInfoSize,
                matchInfo_.begin());
    chairNo_ = 0;
    if (platform::TopLevelWindow* window = platform::TopLevelWindow::Find(GetMainWindow())) {
        window->SetTitle(GetMatchName());
        ZepLog("InitMatchData: match %s", GetMatchName().c_str());
    }
    return true;
}

int CGameFrameApp::SetMatchTable(std::span<const uint8_t> block) {
    MatchTableHeader header;
    if (!ReadRecord(block, header)) {
        ZepLog("SetMatchTable: block of %zu bytes, below the header", block.size());
        return 1;
    }
    matchHeader_ = header;
    const size_t room = (block.size() - MatchTableHeader::kSize) / MatchPlayerRecord::kSize;
    const int count =
        std::clamp<int64_t>(header.playerCount, 0, std::min<int64_t>(kSeatCount, int64_t(room)));
    if (count != header.playerCount) {
        ZepLog("SetMatchTable: %d players announced, %d read", header.playerCount, count);
    }
    matchPlayers_ = {};
    for (int i = 0; i < count; ++i) {
        ReadRecord(block.subspan(MatchTableHeader::kSize + size_t(i) * MatchPlayerRecord::kSize),
                   matchPlayers_[size_t(i)]);
    }
    ApplyMatchTableHeader();
    table_.seatCount = count;
    seats_ = {};
    for (int i = 0; i < count; ++i) {
        MatchPlayerToUser(seats_[size_t(i)], matchPlayers_[size_t(i)], i, header.tableNo);
    }
    return 1;
}

void CGameFrameApp::ApplyMatchTableHeader() {
    room_.roomId = matchHeader_.roomId;
    table_.tableNo = matchHeader_.tableNo;
    table_.seatCount = matchHeader_.playerCount;
}

void CGameFrameApp::MatchPlayerToUser(UserRecord& seat, const MatchPlayerRecord& player, int chair,
                                      int32_t tableNo) {
    seat.userId = player.userId;
    seat.flags = player.flags;
    seat.sex = player.sex;
    seat.serverValue = player.serverValue;
    seat.characterId = player.characterId;
    seat.name = player.name;
    seat.secondName = player.secondName;
    seat.score = player.score;
    seat.silver = player.silver;
    seat.wins = player.wins;
    seat.losses = player.losses;
    seat.draws = player.draws;
    seat.games = player.games;
    seat.disconnects = player.disconnects;
    seat.onlineSeconds = player.onlineSeconds;
    seat.tableNo = tableNo;
    seat.chairNo = chair;
    seat.lookOn = 0;
    seat.carried152 = {};
    seat.extraValue = 0;
    if (player.userId != 0 && player.userId == launch_.userId) {
        chairNo_ = chair;
        table_.tableNo = tableNo;
    }
}

bool CGameFrameApp::AddLookerOn(const UserRecord& user) {
    for (UserRecord& slot : lookers_) {
        if (slot.userId == 0) {
            slot = user;
            ++table_.lookerCount;
            return true;
        }
    }
    ZepLog("AddLookerOn: all %d looker-on slots are taken, user %d is dropped", kLookerSlots,
           user.userId);
    return false;
}

bool CGameFrameApp::RemoveLookerOn(int32_t userId) {
    if (userId == 0) {
        return false;
    }
    for (UserRecord& slot : lookers_) {
        if (slot.userId == userId) {
            slot = UserRecord{};
            table_.lookerCount = std::max(table_.lookerCount - 1, 0);
            return true;
        }
    }
    return false;
}

bool CGameFrameApp::CanRequestForcedExit() {
    if (IsNoForcedExitRoom()) {
        return false;
    }
    const CGameTableData* data = GetTableData();
    return data == nullptr || data->GetExitRequestCount() < 2;
}

void CGameFrameApp::CloseConnection() {
    if (CGameConnection* connection = GetConnection()) {
        connection->Close();
    }
}

// --- Accessors ---

std::string CGameFrameApp::GetMatchName() const {
    return BlockText(matchInfo_, kMatchNameOffset, kMatchTextWidth);
}

std::string CGameFrameApp::GetMatchText2() const {
    return BlockText(matchInfo_, kMatchText2Offset, kMatchTextWidth);
}

int32_t CGameFrameApp::GetRoomClass() const {
    return singleMatchInfo_[2];
}

const UserRecord& CGameFrameApp::GetSeat(int chair) const {
    return IsChair(chair) ? seats_[size_t(chair)] : EmptyUser();
}

const UserRecord& CGameFrameApp::GetLooker(int slot) const {
    return slot >= 0 && slot < kLookerSlots ? lookers_[size_t(slot)] : EmptyUser();
}

const MatchPlayerRecord& CGameFrameApp::GetMatchPlayer(int index) const {
    static const MatchPlayerRecord kEmpty{};
    return IsChair(index) ? matchPlayers_[size_t(index)] : kEmpty;
}

UserRecord* CGameFrameApp::MutableSeat(int chair) {
    return IsChair(chair) ? &seats_[size_t(chair)] : nullptr;
}

const UserRecord* CGameFrameApp::FindUser(int32_t userId) const {
    if (userId == 0) {
        return nullptr;
    }
    for (const UserRecord& seat : seats_) {
        if (seat.userId == userId) {
            return &seat;
        }
    }
    for (const UserRecord& looker : lookers_) {
        if (looker.userId == userId) {
            return &looker;
        }
    }
    return nullptr;
}

UserRecord* CGameFrameApp::FindUserMutable(int32_t userId) {
    return const_cast<UserRecord*>(FindUser(userId));
}

const MatchPlayerRecord* CGameFrameApp::FindMatchPlayer(int32_t userId) const {
    if (userId == 0) {
        return nullptr;
    }
    for (const MatchPlayerRecord& player : matchPlayers_) {
        if (player.userId == userId) {
            return &player;
        }
    }
    return nullptr;
}

int32_t CGameFrameApp::GetSignUpFeeKind() const {
    constexpr size_t kFeeKindAt = 1232;
    return WordAt(matchInfo_, kFeeKindAt);
}

int32_t CGameFrameApp::GetSignUpFeeAmount() const {
    constexpr size_t kFeeAmountAt = 1236;
    return WordAt(matchInfo_, kFeeAmountAt);
}

void CGameFrameApp::SetLastMatchResult(int32_t rank, int32_t value) {
    standings_.records[0].rank = rank;
    standings_.records[0].resultValue = value;
}

bool CGameFrameApp::SetMatchPlayerRank(int32_t userId, int32_t level, int32_t points,
                                       int32_t nextPoints) {
    auto* player = const_cast<MatchPlayerRecord*>(FindMatchPlayer(userId));
    if (player == nullptr) {
        return false;
    }
    player->rankLevel = level;
    player->rankPoints = points;
    player->nextRankPoints = nextPoints;
    return true;
}

bool CGameFrameApp::IsUserSeated(int32_t userId) const {
    return userId != 0 && std::any_of(seats_.begin(), seats_.end(),
                                      [&](const UserRecord& u) { return u.userId == userId; });
}

bool CGameFrameApp::IsUserLookingOn(int32_t userId) const {
    return userId != 0 && !IsUserSeated(userId) &&
           std::any_of(lookers_.begin(), lookers_.end(),
                       [&](const UserRecord& u) { return u.userId == userId; });
}

bool CGameFrameApp::IsChairOccupied(int chair) const {
    return GetSeat(chair).userId != 0;
}

int32_t CGameFrameApp::GetChairUserID(int chair) const {
    return GetSeat(chair).userId;
}

int32_t CGameFrameApp::GetUserChairNo(int32_t userId) const {
    const UserRecord* user = FindUser(userId);
    return user != nullptr ? user->chairNo : -1;
}

std::string CGameFrameApp::GetChairUserName(int chair) const {
    return FieldText(GetSeat(chair).name);
}

std::string CGameFrameApp::GetUserName(int32_t userId) const {
    const UserRecord* user = FindUser(userId);
    return user != nullptr ? FieldText(user->name) : std::string();
}

std::string CGameFrameApp::GetChairDisplayName(int chair) const {
    return IsChairOccupied(chair) ? DisplayName(GetSeat(chair)) : std::string();
}

std::string CGameFrameApp::GetUserDisplayName(int32_t userId) const {
    const UserRecord* user = FindUser(userId);
    return user != nullptr ? DisplayName(*user) : std::string();
}

bool CGameFrameApp::IsHighlightedUser(int32_t userId) const {
    if (userId == 0) {
        return false;
    }
    for (const UserRecord& looker : lookers_) {
        if (looker.userId == userId) {
            return (looker.flags & UserRecord::kFlagHighlighted) != 0;
        }
    }
    for (const UserRecord& seat : seats_) {
        if (seat.userId == userId) {
            return (seat.flags & UserRecord::kFlagHighlighted) != 0;
        }
    }
    return false;
}

bool CGameFrameApp::IsMemberUser(int32_t userId) const {
    const UserRecord* user = FindUser(userId);
    return user != nullptr && (user->flags & UserRecord::kFlagMember) != 0;
}

int32_t CGameFrameApp::GetUserExtraValue(int32_t userId) const {
    const UserRecord* user = FindUser(userId);
    return user != nullptr ? user->extraValue : 0;
}

int32_t CGameFrameApp::GetMatchSeatValue(int chair) const {
    if (!IsMatch() || !IsChair(chair)) {
        return -1;
    }
    const MatchPlayerRecord& player = matchPlayers_[size_t(chair)];
    return player.seatTaken != 0 ? player.rankLevel : -1;
}

std::string CGameFrameApp::GetHallText(int key) const {
    const auto found = hallTexts_.find(key);
    return found != hallTexts_.end() ? found->second : std::string();
}

std::string CGameFrameApp::GetExeDir() const {
    return platform::ProgramFolder();
}

std::string CGameFrameApp::GetGameIniFile() const {
    return GetExeDir() + gameCode_ + ".ini";
}

std::string CGameFrameApp::GetHallIniFile() const {
    return GetHallPath() + "GameHall.ini";
}

std::string CGameFrameApp::GetSkinIniFile() const {
    const std::string gameIni = GetGameIniFile();
    if (ZepFileExists(gameIni.c_str(), 0)) {
        char path[260] = {};
        platform::GetPrivateProfileString("SKIN", "Path", "", path, sizeof path, gameIni.c_str());
        return path;
    }
    const std::string fallback = GetExeDir() + "skins\\skin.ini";
    return ZepFileExists(fallback.c_str(), 0) ? fallback : std::string();
}

std::string CGameFrameApp::GetTempDir() const {
    const std::string folder = GetExeDir() + "temp\\";
    if (!ZepFileExists(folder.c_str(), 1)) {
        platform::MakeDirectory(folder);
    }
    return folder;
}

std::string CGameFrameApp::GetPortraitDir() const {
    return GetHallPath() + "Share\\Image\\portrait\\";
}

std::string CGameFrameApp::GetCharacterDir(int n) const {
    return GetHallPath() + "Share\\Image\\Character\\" + std::to_string(n) + "\\";
}

std::string CGameFrameApp::GetUserDataFile() const {
    return GetHallPath() + "users\\" + std::to_string(launch_.userId) + ".dat";
}

std::string CGameFrameApp::GetAdvertWindowUrl() const {
    char text[1024] = {};
    platform::GetPrivateProfileString("ADVERT", "WWW3", "", text, sizeof text,
                                      GetGameIniFile().c_str());
    std::string url = TrimSpaces(text);
    if (url.empty()) {
        url = "http://" + GetAdvertHost() + "/advert/window/" + std::to_string(launch_.gameId) +
              "/ko.htm";
    }
    return url;
}

std::string CGameFrameApp::GetAdvertPayUrl() const {
    char text[1024] = {};
    platform::GetPrivateProfileString("ADVERT", "Pay", "", text, sizeof text,
                                      GetGameIniFile().c_str());
    return TrimSpaces(text);
}

int32_t CGameFrameApp::GetMatchUploadFlag() const {
    return replayMode_ ? 0 : matchHeader_.uploadFlag;
}

void CGameFrameApp::SetReplayMode(bool on) {
    replayMode_ = on;
    if (on) {
        offline_ = true;
    }
}

int CGameFrameApp::CanUseSafeBoxInGame() const {
    if (IsLookOn() || !IsSilverRoom()) {
        return 0;
    }
    return (room_.flags & RoomInfo::kFlagSafeBoxInGame) != 0 ? 1 : 0;
}

void CGameFrameApp::BuildSidePanelButtons() {
    for (const char* name : {"btn_签到2", "btn_低保2", "btn_充值2", "btn_兑换2", "btn_任务2",
                             "btn_抽奖2", "btn_排行2"}) {
        sidePanelButtons_.emplace_back(name);
    }
}

void CGameFrameApp::ApplyRoomRecord(std::span<const uint8_t> record) {
    constexpr size_t kRoomRecordSize = 68;
    if (record.size() < kRoomRecordSize) {
        ZepLog("ApplyRoomRecord: record of %zu bytes, below %zu", record.size(), kRoomRecordSize);
        return;
    }
    room_.roomId = WordAt(record, 0);
    table_.tableNo = WordAt(record, 4);
    table_.seatCount = WordAt(record, 8);
    room_.options = WordAt(record, 16);
    room_.flags = WordAt(record, 64);
}

// --- The frame view and its children ---

CCorvaneView* CGameFrameApp::GetGameView() const {
    return frameView_ != nullptr ? frameView_->GetMainGame() : nullptr;
}

CCorvaneView* CGameFrameApp::GetSubSystemView() const {
    return frameView_ != nullptr ? frameView_->GetSubSystem() : nullptr;
}

void CGameFrameApp::SendEventToSidePanel(int event, intptr_t param1) {
    CCorvaneView* side = GetSubSystemView();
    if (side != nullptr) {
        side->OnEvent(MakeEventRecord(side->GetId(), event, param1, 0));
    }
}

void CGameFrameApp::SendEventToNamedBar(const char* name, int event, intptr_t param1) {
    CCorvaneView* side = GetSubSystemView();
    if (side == nullptr) {
        return;
    }
    CCorvaneObject* bar = side->FindObjectByName(name);
    if (bar != nullptr) {
        bar->OnEvent(MakeEventRecord(bar->GetId(), event, param1, 0));
    }
}

void CGameFrameApp::AppendChatText(const std::string& text) {
    SendEventToSidePanel(kEventAppendChatText, EventParam(text.c_str()));
}

void CGameFrameApp::ShowInfoBox(const char* text, const EventRecord* okEvent,
                                const EventRecord* cancelEvent, int seconds, int style,
                                const char* image) {
    if (frameView_ != nullptr) {
        frameView_->ShowInfoBox(text, okEvent, cancelEvent, seconds, style, image);
    }
}

void CGameFrameApp::ShowNoticeBox(const char* text, int seconds, int style, const char* image) {
    if (frameView_ != nullptr) {
        frameView_->ShowNoticeBox(text, seconds, style, image);
    }
}

void CGameFrameApp::ShowNoticeBoxEx(const char* text, const char* detail, int kind, int seconds,
                                    int buttons, int style, const char* okCaption,
                                    const char* cancelCaption) {
    if (frameView_ != nullptr) {
        frameView_->ShowNoticeBoxEx(text, detail, kind, seconds, buttons, style, okCaption,
                                    cancelCaption);
    }
}

void CGameFrameApp::NotifyAdvertBar() {
    SendEventToNamedBar("AdvertBar", kEventRefreshScoreTable, 0);
}

void CGameFrameApp::NotifyUserListChanged() {
    SendEventToNamedBar("UserListBar", kEventUserListChanged, 0);
}

void CGameFrameApp::NotifyUserListChanged2() {
    SendEventToNamedBar("UserListBar", kEventForgetLookOnPermissions, 0);
}

void CGameFrameApp::OnUserInfoChanged() {
    if (chairNo_ == -1) {
        chairNo_ = 0;
    }
    if (frameView_ != nullptr) {
        frameView_->OnEnterResult210200();
    }
}

void CGameFrameApp::BeginGameAndNotify() {
    SetGamePlaying();
    if (chairNo_ == -1) {
        chairNo_ = 0;
    }
    if (frameView_ != nullptr) {
        frameView_->OnEnterResult210210();
    }
}

void CGameFrameApp::BeginGameAndNotify2() {
    SetGamePlaying();
    if (chairNo_ == -1) {
        chairNo_ = 0;
    }
    if (frameView_ != nullptr) {
        frameView_->OnEnterResult210220();
    }
}

void CGameFrameApp::OnSingleMatchInfo(std::span<const uint8_t> reply) {
    constexpr size_t kPlayerWords = 65;
    constexpr size_t kWord74 = 74 * 4;
    constexpr size_t kPlayerByte264 = 264;
    // Reply words 0-64 overlay the first match player, 65-81 the single-match
    // block; word 74 also lands at byte 264 of that player.
    auto player = RecordBytes(matchPlayers_[0]);
    const size_t playerBytes = std::min(reply.size(), kPlayerWords * 4);
    std::copy_n(reply.begin(), playerBytes, player.begin());
    int32_t word74 = 0;
    if (ReadWordAt(reply, kWord74, word74)) {
        ZepWireWriter writer(std::span<uint8_t>(player).subspan(kPlayerByte264));
        writer.WriteI32(word74);
    }
    ReadRecord(player, matchPlayers_[0]);
    for (size_t i = 0; i < kSingleMatchInfoWords; ++i) {
        ReadWordAt(reply, (kPlayerWords + i) * 4, singleMatchInfo_[i]);
    }
    seats_[0] = {};
    MatchPlayerToUser(seats_[0], matchPlayers_[0], 0, table_.tableNo);
    if (frameView_ != nullptr) {
        frameView_->OnMatchSignedUp();
    }
}

void CGameFrameApp::OnMatchNotSignedUp() {
    if (frameView_ != nullptr) {
        frameView_->ShowNotSignedUp();
    }
}
void CGameFrameApp::OnMatchWashedOut() {
    if (frameView_ != nullptr) {
        frameView_->ShowWashedOut();
    }
}
void CGameFrameApp::OnMatchOver() {
    if (frameView_ != nullptr) {
        frameView_->ShowMatchOver();
    }
}
void CGameFrameApp::OnMatchLate() {
    if (frameView_ != nullptr) {
        frameView_->ShowMatchLate();
    }
}
void CGameFrameApp::OnMatchAlreadyStarted() {
    if (frameView_ != nullptr) {
        frameView_->ShowMatchAlreadyStarted();
    }
}
void CGameFrameApp::OnMatchSystemCancel() {
    if (frameView_ != nullptr) {
        frameView_->ShowSystemCancel();
    }
}
void CGameFrameApp::OnMatchSelfCancel() {
    if (frameView_ != nullptr) {
        frameView_->ShowSelfCancel();
    }
}
void CGameFrameApp::OnMatchWaitSignUpCheck() {
    if (frameView_ != nullptr) {
        frameView_->ShowWaitSignUpCheck();
    }
}
void CGameFrameApp::OnMatchSystemRejected() {
    if (frameView_ != nullptr) {
        frameView_->ShowSystemRejected();
    }
}
