#include "game/app/RegionalMahjongApp.h"

#include <algorithm>
#include <cstdio>

#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameWnd.h"
#include "frame/RecordFields.h"
#include "game/app/ChargeHtmlCtrl.h"
#include "game/app/MainFrame.h"
#include "game/app/RegionalFrameView.h"
#include "game/table/PlayerBoardSmall.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/table/CardSprite.h"
#include "mahjong_tiles/Random.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/Sync.h"
#include "zep/ZepLog.h"

namespace {

// A draw in 0..n-1 from the generator as it was seeded.
int32_t Draw(int n) {
    return NextRandom() % n;
}

constexpr std::array<const char*, 4> kOfflinePlayerNames = {"游戏玩家【甲】", "游戏玩家【乙】",
                                                            "游戏玩家【丙】", "游戏玩家【丁】"};
constexpr std::array<const char*, 4> kOfflineLookerNames = {"旁观玩家【甲】", "旁观玩家【乙】",
                                                            "旁观玩家【丙】", "旁观玩家【丁】"};

struct SettingKey {
    const char* name;
    int GameSettings::*field;
};

constexpr SettingKey kSettingKeys[] = {
    {"QuickCatch", &GameSettings::quickCatch},
    {"SoundEffect", &GameSettings::soundEffect},
    {"BKMusic", &GameSettings::bkMusic},
    {"SoundVolume", &GameSettings::soundVolume},
    {"BKVolume", &GameSettings::bkVolume},
    {"KeepSilence", &GameSettings::keepSilence},
    {"RejectKanPaiAsk", &GameSettings::rejectKanPaiAsk},
};

}  // namespace

CRegionalMahjongApp::CRegionalMahjongApp()
    : CMahjongApp(kGameCode, kDefaultPort, kVersion, kSubVersion) {
    UseChargeHtmlCtrl(chargeDialog_);
}

CRegionalMahjongApp::~CRegionalMahjongApp() {
    // The window, the thread and the connection use the embedded objects:
    // they go before them.
    CloseMainFrame();
    StopCommThread();
    CloseConnection();
}

// --- start and end ---

bool CRegionalMahjongApp::InitInstance() {
    OnInitInstance();
    LoadGameSettings();
    if (IsOfflineMode()) {
        PresetOfflineLaunch();
    }
    if (!CGameFrameApp::InitInstance()) {
        return false;
    }
    if (CreateMainFrame() == 0) {
        return false;
    }
    if (IsReplayMode()) {
        PostGameDataReady();
    } else if (IsOfflineMode()) {
        FillOfflineTable();
        PostGameDataReady();
    }
    return true;
}

int CRegionalMahjongApp::ExitInstance() {
    SaveGameSettings();
    return CMahjongApp::ExitInstance();
}

void CRegionalMahjongApp::PostGameDataReady() {
    platform::PostMessage(GetMainWindow(), kMsgGameDataReady, 0, 0);
}

void CRegionalMahjongApp::PresetOfflineLaunch() {
    LaunchFields fields;
    fields.gameId = kOfflineGameId;
    fields.serverHost = kOfflineHost;
    fields.userId = 0;
    fields.chairNo = 0;
    fields.tableNo = 0;
    fields.lookOn = 0;
    fields.relaunched = 1;
    fields.gameName = kOfflineGameName;
    SetLaunchFields(fields);
}

void CRegionalMahjongApp::FillOfflineTable() {
    SetWebHosts(kOfflineHost, kOfflineHost);
    SeedRandom(static_cast<uint32_t>(UnixTime()));
    for (int chair = 0; chair < kPlayerCount; ++chair) {
        ServerPlayerRecord player;
        player.userId = kOfflineFirstUserId + chair;
        player.chairNo = chair;
        player.tableNo = 0;
        SetFieldText(player.name, kOfflinePlayerNames[size_t(chair)]);
        player.wins = Draw(1000);
        player.losses = Draw(1000);
        player.draws = Draw(1000);
        player.games = player.wins + player.losses + player.draws;
        player.silver = Draw(100000);
        player.level = Draw(20);
        player.score = Draw(10000);
        player.disconnects = Draw(100);
        player.netSpeed = Draw(1000);
        player.onlineSeconds = Draw(1000000);
        SeatServerPlayer(chair, player);

        UserRecord looker;
        looker.userId = kOfflineFirstLookerId + chair;
        looker.chairNo = chair;
        looker.lookOn = 1;
        SetFieldText(looker.name, kOfflineLookerNames[size_t(chair)]);
        AddLookerOn(looker);
    }
    ResetHistory();
    for (int record = 0; record < kOfflineHistoryRecords; ++record) {
        std::array<int32_t, kSeatCount> values{};
        for (int seat = 0; seat < kPlayerCount; ++seat) {
            values[size_t(seat)] = 1000000 + (record + 1) * 100 + seat;
        }
        AddHistory(values);
    }
    NotifyAdvertBar();
}

// --- the main window ---

int CRegionalMahjongApp::CreateMainFrame() {
    return OpenMainFrame(std::make_unique<CMainFrame>());
}

std::unique_ptr<CGameFrameView> CRegionalMahjongApp::CreateFrameView() {
    return std::unique_ptr<CGameFrameView>(CreateGameWindow());
}

CGameFrameView* CRegionalMahjongApp::CreateGameWindow() {
    return new CRegionalFrameView;
}

// --- settings ---

void CRegionalMahjongApp::LoadGameSettings() {
    const std::string file = GetGameIniFile();
    for (const SettingKey& key : kSettingKeys) {
        settings_.*key.field =
            platform::GetPrivateProfileInt(kSettingsSection, key.name, 0, file.c_str());
    }
}

void CRegionalMahjongApp::SaveGameSettings() {
    const std::string file = GetGameIniFile();
    for (const SettingKey& key : kSettingKeys) {
        char value[16];
        std::snprintf(value, sizeof value, "%d", settings_.*key.field);
        if (!platform::WritePrivateProfileString(kSettingsSection, key.name, value, file.c_str())) {
            ZepLog("SaveGameSettings: [%s] %s not written to %s", kSettingsSection, key.name,
                   file.c_str());
        }
    }
}

// --- the top-up page ---

void CRegionalMahjongApp::SetChargeUrl(const char* text) {
    if (text == nullptr) {
        return;
    }
    SetFieldText(chargeUrl_, text);
}

void CRegionalMahjongApp::SetChargeUrl(std::span<const uint8_t> payload) {
    const auto zero = std::find(payload.begin(), payload.end(), uint8_t{0});
    const size_t length = size_t(zero - payload.begin());
    SetFieldText(chargeUrl_,
                 std::string_view(reinterpret_cast<const char*>(payload.data()), length));
}

std::string CRegionalMahjongApp::GetChargeUrl() const {
    return FieldText(chargeUrl_);
}

int CRegionalMahjongApp::OpenChargeDialog() {
    if (const platform::WindowId window = chargeDialog_.Id(); window != 0) {
        return static_cast<int>(window);
    }
    return chargeDialog_.Open(GetChargeUrl(), kChargeInitMoney);
}

// --- debug commands ---

CRegionalTableView* CRegionalMahjongApp::GetRegionalTableView() const {
    return dynamic_cast<CRegionalTableView*>(GetGameView());
}

int CRegionalMahjongApp::HandleChatCommand(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    const std::string_view command(text);
    CRegionalTableView* view = GetRegionalTableView();
    if (command == kQuitGameCommand) {
        if (const platform::WindowId window = GetMainWindow(); window != 0) {
            platform::PostMessage(window, platform::kMsgQuit, 0, 0);
        }
        return 1;
    }
    if (command == kShowGameWinCommand) {
        if (view != nullptr) {
            const std::array<uint8_t, CRegionalTableData::kGameResultBytes> empty{};
            view->ShowResult(empty);
        }
        return 1;
    }
    if (command == kAutoPlayCommand) {
        if (view != nullptr) {
            view->ToggleAutoPlay();
        }
        return 1;
    }
    if (command == kFreshCardCommand) {
        if (view != nullptr) {
            for (int i = 0; i < kFreshCardSprites; ++i) {
                if (CCardSprite* sprite = view->GetCardSprite(i)) {
                    sprite->Refresh();
                }
            }
        }
        return 1;
    }
    if (command == kGameWinCommand) {
        if (view != nullptr) {
            view->SendGameRequest(kGameWinRequest, nullptr, 0, 0);
        }
        return 1;
    }
    if (command == kStartPlayCommand) {
        StartPlayForTesting(view);
        return 1;
    }
    if (command == kShowChatCommand) {
        if (view != nullptr) {
            for (int position = 0; position < kPlayerCount; ++position) {
                if (CPlayerBoardSmall* board = view->GetPlayerBoard(position)) {
                    board->ShowChatBubble(kShowChatText);
                }
            }
        }
        return 1;
    }
    return 0;
}

void CRegionalMahjongApp::StartPlayForTesting(CRegionalTableView* view) {
    const std::span<uint8_t> handArea = tableData_.GetHandArea();
    constexpr size_t kChiRuleAt = 4 * 28;
    std::fill_n(handArea.begin() + kChiRuleAt, 4, uint8_t{0});
    if (view == nullptr) {
        return;
    }
    if (CCorvaneButton* start = view->GetStartButton()) {
        start->Hide();
        start->Invalidate();
    }
    if (auto* slogan = dynamic_cast<CCorvanePicture*>(view->FindObjectByName(kSloganPicture))) {
        slogan->Hide();
        slogan->Invalidate();
    }
    view->ThrowDice();
}

void CRegionalMahjongApp::ResetForTesting() {
    CloseMainFrame();
    StopCommThread();
    CloseConnection();
    chargeDialog_.CloseWindow();
    settings_ = {};
    chargeUrl_.fill('\0');
    SetOfflineMode(false);
    SetRelaunchOnExit(false);  // never start the test program again at its exit
    // A hand that never ended would hold the next launch's seats, and its
    // start and the seats' flags the next table's top-up.
    ClearGamePlaying();
    tableData_.ClearHandArea();
    tableData_.ClearSeatsStarted();
    tableData_.SetMarking(0);
    tableData_.SetExitRequestTick(0);
    SetCommandLine({});
    SetWaitDisplayFactory({});
    // A run's end closes the log; a fresh program logs with the defaults.
    ZepLogInit("ZEPLog", kZepLogDefaultOptions);
    ResetHistory();
    LaunchFields fields;
    fields.tableNo = -1;
    fields.chairNo = -1;
    SetLaunchFields(fields);
}
