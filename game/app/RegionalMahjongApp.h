#pragma once
// The regional game's application: the program's one application object, a
// static made before main. It fixes the game's identity ("pvbn", port 21265,
// version 13.1), owns the regional connection, notification handler and
// table data and the top-up dialog, keeps the seven [GAMESET] settings of
// the game's settings file, opens the main window, and answers the debug
// chat commands and the offline test start.
//
// Rules:
//  - Every binary that links the game library holds this object; it is
//    CGameFrameApp::Current() there. Nobody makes a second one.
//  - The settings are read by InitInstance and written by ExitInstance,
//    which runs however the program ends (also when the start-up failed).
//  - The top-up page's address is kept in 260 bytes: at most 259 bytes, cut
//    at a whole character, always terminated.
//  - UI thread only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "frame/panels/services/ChargeDialog.h"
#include "game/net/RegionalConnection.h"
#include "game/net/RegionalNotifyHandler.h"
#include "game/net/RegionalTableData.h"
#include "mahjong_client/MahjongApp.h"

class CCorvaneView;
class CRegionalTableView;

// The seven keys of [GAMESET], in the order they are read and written.
struct GameSettings {
    int quickCatch = 0;
    int bkMusic = 0;
    int soundEffect = 0;
    int bkVolume = 0;
    int soundVolume = 0;
    int keepSilence = 0;
    int rejectKanPaiAsk = 0;
};

class CRegionalMahjongApp : public CMahjongApp {
public:
    static constexpr char kGameCode[] = "pvbn";
    static constexpr int kDefaultPort = 21265;
    static constexpr int kVersion = 13;
    static constexpr int kSubVersion = 1;
    static constexpr int kPlayerCount = 4;
    static constexpr size_t kChargeUrlSize = 260;
    static constexpr int kChargeInitMoney = 10;
    static constexpr char kSettingsSection[] = "GAMESET";

    // The debug chat commands.
    static constexpr char kQuitGameCommand[] = "/QuitGame";
    static constexpr char kShowGameWinCommand[] = "/ShowGameWin";
    static constexpr char kAutoPlayCommand[] = "/AutoPlay";
    static constexpr char kFreshCardCommand[] = "/FreshCard";
    static constexpr char kGameWinCommand[] = "/GameWin";
    static constexpr char kStartPlayCommand[] = "/StartPlay";
    static constexpr char kShowChatCommand[] = "/ShowChat";
    static constexpr int32_t kGameWinRequest = 19840331;
    static constexpr char kShowChatText[] = "...";
    static constexpr char kSloganPicture[] = "bit_slogan";
    static constexpr int kFreshCardSprites = 108;

    // The offline test start.
    static constexpr int32_t kOfflineGameId = 30;
    static constexpr char kOfflineHost[] = "127.0.0.1";
    static constexpr char kOfflineGameName[] = "区域麻将(离线测试)";
    static constexpr int32_t kOfflineFirstUserId = 10;
    static constexpr int32_t kOfflineFirstLookerId = 20;
    static constexpr int kOfflineHistoryRecords = 100;

    CRegionalMahjongApp();
    ~CRegionalMahjongApp() override;

    // The program's application object (never null in a binary with the
    // game library).
    static CRegionalMahjongApp* Instance();

    // --- the frame's getters ---
    int GetPlayerCount() override { return kPlayerCount; }
    CRegionalNotifyHandler* GetNotifyHandler() override { return &notifyHandler_; }
    CRegionalConnection* GetConnection() override { return &connection_; }
    CRegionalTableData* GetTableData() override { return &tableData_; }
    // The table data's 1096-byte status block and 15156-byte hand area.
    std::span<uint8_t> GetResponseBuffer() override { return tableData_.GetStatusBlock(); }
    std::span<uint8_t> GetTableReplyBuffer() override { return tableData_.GetHandArea(); }
    int IsQuickCatch() override { return settings_.quickCatch != 0 ? 1 : 0; }
    int GetKeepSilence() override { return settings_.keepSilence; }
    int IsKeepSilence() { return settings_.keepSilence; }
    int GetRejectKanPaiAsk() override { return settings_.rejectKanPaiAsk; }
    int GetSoundEffect() override { return settings_.soundEffect; }
    // The room option 0x20000 is never the regional game's.
    bool IsRoomFlag2Bit17() const override { return false; }
    // The debug chat commands (exact text); 1 when the text was one.
    int HandleChatCommand(const char* text) override;

    // The game view as the regional table view (null when none).
    CRegionalTableView* GetRegionalTableView() const;

    // --- the main window ---
    // The frame's steps with the regional window and frame view.
    int CreateMainFrame() override;
    std::unique_ptr<CGameFrameView> CreateFrameView() override;
    // The engine root object of the main window: a new regional frame view.
    CGameFrameView* CreateGameWindow();

    // --- settings ---
    void LoadGameSettings();
    void SaveGameSettings();
    GameSettings& Settings() { return settings_; }
    const GameSettings& Settings() const { return settings_; }

    // --- the top-up page ---
    // Keeps the address (nothing for null); see the rules above.
    void SetChargeUrl(const char* text);
    // The address within its payload (229805): up to its zero or the end.
    void SetChargeUrl(std::span<const uint8_t> payload);
    std::string GetChargeUrl() const;
    // The open dialog's window when it has one; else opens it with the
    // address and 10 (0 when it refuses: empty address).
    int OpenChargeDialog();
    CChargeDialog& GetChargeDialog() { return chargeDialog_; }

    // --- tests and the offline start set the launch fields directly ---
    using CGameFrameApp::InitGameData;
    using CGameFrameApp::SetLaunchFields;
    // Puts the settings, the top-up address, the launch fields, the command
    // line, the history, the offline, relaunch and in-game flags, the hand
    // kept in the table data, the wait display and the log back to a fresh
    // program's and closes the main window and the top-up dialog (tests share
    // this object).
    void ResetForTesting();

    // The program's start (public: Run calls it, and tests run the steps one
    // by one): the settings, the offline launch fields, the frame's start-up,
    // the main window, then the replay or offline table.
    bool InitInstance() override;
    // The settings written, then the frame's end.
    int ExitInstance() override;

private:
    // The offline test start's launch fields, before the frame's start-up.
    void PresetOfflineLaunch();
    // The offline test start's players, lookers-on and history, then the
    // game entered as the hall would.
    void FillOfflineTable();
    void PostGameDataReady();
    // "/StartPlay": the chi rule of the stored hand start cleared, the start
    // button and the slogan hidden, the dice thrown.
    void StartPlayForTesting(CRegionalTableView* view);

    CRegionalConnection connection_;
    CRegionalNotifyHandler notifyHandler_;
    CRegionalTableData tableData_;
    CChargeDialog chargeDialog_;
    GameSettings settings_;
    std::array<char, kChargeUrlSize> chargeUrl_{};
};
