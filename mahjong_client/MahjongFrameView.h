#pragma once
// The frame view of the mahjong layer: the frame's view with its chrome,
// title buttons, side panel and player cards, plus the splitter bar it makes
// itself, the side-panel width kept through SetSidePanelWidth while the
// splitter folds and unfolds, and two web pages the table asks for: the
// recharge page (80000044) and the shop's props page (80000043), each in the
// browser when the client runs offline, else through the hall. The regional
// frame view derives from it, so the order of the virtual operations is kept
// as it stands.
//
// Rules:
//  - Where its steps are the frame's, it runs the frame's version; it never
//    keeps a second copy of them.
//  - The visible side-panel width is 0 exactly while the splitter is folded.
//  - Everything runs on the UI thread.

#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/view/GameFrameView.h"

// Program events the table sends to the frame view.
inline constexpr int kEventOpenPropsShop = 80000043;
inline constexpr int kEventOpenRechargePage = 80000044;

class CMahjongFrameView : public CGameFrameView {
public:
    CMahjongFrameView();
    ~CMahjongFrameView() override;

    // The frame's event table, plus 80000043 and 80000044.
    int OnEvent(const EventRecord& record) override;
    void Relayout() override;

    // --- replaced operations of the frame view, in its order ---
    void ApplyLayoutSettings() override;
    void PaintBackground() override;
    void PaintTopBar() override;
    void PaintLeftBorder() override;
    // The frame's chrome and title buttons, the splitter bar when the
    // factories made none, then the visible side-panel width.
    void CreateFrameButtons() override;
    // The frame's maximise or restore, then the visible side-panel width.
    void ToggleMaximize() override;
    void PlacePlayerCardAt(int32_t userId, int x, int y) override;
    void PlacePlayerCard(int32_t userId, int pinned) override;
    void ShowAutoPlayAnimation(int on) override;
    void FillPlayerDetail(const uint8_t* userRecord) override;
    void ShowExitRequestBox(const uint8_t* record, size_t length) override;

    // --- the view's own operations after SignalMainGame, in this order ---
    // Empty hooks the regional view may fill.
    virtual void FrameViewHook1() {}
    virtual void FrameViewHook2() {}
    virtual void FrameViewHook3() {}

    // --- plain operations ---
    // The shop's props page ([ADVERT] "Shop") and the recharge page; false
    // (logged) when the address is unknown.
    bool OpenPropsShop();
    bool OpenRechargePage();
    // The recharge page's address: the application's when it has one, else
    // [ADVERT] "Pay" of the game settings.
    std::string GetRechargePageUrl();
    // 1 when the tile sprites shrink on a narrow screen (the application's
    // small-screen flag), else 0.
    int GetTileScaleFlag();

protected:
    // The address in the browser when offline, else through the hall.
    bool OpenWebPage(const std::string& url, const char* what);
    // Sets the visible side-panel width from the splitter's state.
    void SyncSidePanelWidth();
    // Moves the auto-play sign, once made, off the table's middle to the
    // place the table view keeps for it clear of the tiles.
    void PlaceAutoPlaySign();
};
