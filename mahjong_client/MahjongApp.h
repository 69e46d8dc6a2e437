#pragma once
// The mahjong layer's application: the frame's application with the
// mahjong getters and the table's side panel. The game derives from it and
// answers the object getters (connection, notification handler, table
// data), which give none here.

#include <cstdint>

#include "frame/GameFrameApp.h"

class CMahjongTableData;
class CMahjongTableView;

class CMahjongApp : public CGameFrameApp {
public:
    static constexpr const char* kConnectionLostText = "您的网络出现了异常，请重新登录大厅。";

    CMahjongApp(const char* gameCode, int defaultPort, int version, int subVersion);

    // The application object of the process as a mahjong application; null
    // when there is none.
    static CMahjongApp* CurrentMahjongApp();

    // Resets the table and asks the player to log in again from the hall;
    // nothing offline.
    virtual void OnConnectionLost();
    // The table data as the mahjong layer's (null when the game has none, or
    // another kind).
    virtual CMahjongTableData* GetMahjongTableData();
    // Nonzero: look-card asks of lookers-on are dropped unanswered.
    virtual int GetRejectKanPaiAsk() { return 0; }
    // Nonzero: the table plays its sounds.
    virtual int GetSoundEffect() { return 0; }

    // The game view as the mahjong table view (null when none, or another
    // kind).
    CMahjongTableView* GetMahjongTableView() const;

protected:
    // The game's start before the frame's; nothing here.
    virtual void OnInitInstance() {}
    bool InitInstance() override;
    int ExitInstance() override;
};
