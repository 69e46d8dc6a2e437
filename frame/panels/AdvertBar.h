#pragma once
// The side panel's advert bar ("AdvertBar") of a normal client: two tabs,
// "广告" (the advert web page) and "成绩" (the per-hand score table with its
// horizontal scroll bar). The score tab is active at start.
//
// Rules:
//  - The web window shows only while the advert tab is active; the canvas
//    and scroll bar only while the score tab is.
//  - Layout and DrawScoreTable follow ScoreTable.h; a derived bar replaces
//    them and reuses those helpers with its own parts.
//  - Offline, the advert page is the shop host's page, nothing when the
//    game settings name no shop.

#include <memory>
#include <string>
#include <string_view>

#include "frame/panels/ScoreTable.h"
#include "frame/panels/SidePanelBar.h"
#include "frame/view/FramePanelSeams.h"

class CAdvertHtmlCtrl;
class CCorvaneCanvas;
class CCorvaneScrollBar;
class CCorvaneStatic;

inline constexpr int kEventAdvertTab = 80000051;
inline constexpr int kEventScoreTab = 80000052;

class CAdvertBar : public CSidePanelBar, public CAdvertBarPage {
public:
    CAdvertBar();
    ~CAdvertBar() override;

    void Create() override;
    int OnEvent(const EventRecord& record) override;
    void Relayout() override { Layout(); }

    // The bar's own operations, in this order.
    virtual void Layout();
    virtual void DrawScoreTable();
    void LoadAdvertPage() override;
    // Shows the page of that address; the caller keeps the string.
    virtual void Navigate(const char* address);
    virtual void RebuildScoreTable();
    virtual void RefreshScoreTable();
    virtual void ShowAdvertTab();
    virtual void ShowScoreTab();

    // The page window, as the frame view asks.
    bool IsPageShowing() override { return IsWebPageShowing(); }
    void HidePageWindow() override { ShowWebWindow(false); }
    void ShowPageWindow() override { ShowWebWindow(true); }
    bool IsWebPageShowing();
    void ShowWebWindow(bool show);
    void ClickLinkByText(std::string_view text);

    bool IsScoreTabActive() const { return scoreTabActive_; }
    CAdvertHtmlCtrl* GetBrowser() { return browser_.get(); }
    CCorvaneCanvas* GetScoreCanvas();
    CCorvaneScrollBar* GetScrollBar();
    CCorvaneStatic* GetAdvertTab();
    CCorvaneStatic* GetScoreTab();

protected:
    ScoreBarParts Parts();
    // Moves the web window to the rectangle (scene pixels).
    void PlaceWebWindow(const ScoreBarWebRect& rect);
    // The browser, made on first use over the bar's web rectangle; null when
    // the main window cannot hold it.
    CAdvertHtmlCtrl* Browser();
    void ShowTabParts();

    std::unique_ptr<CAdvertHtmlCtrl> browser_;
    ScoreBarWebRect webRect_;
    bool scoreTabActive_ = true;
    bool webShowing_ = false;
    // An address asked for before the window could be made.
    std::string pendingUrl_;
    int advertTabId_ = 0;
    int scoreTabId_ = 0;
    int canvasId_ = 0;
    int scrollBarId_ = 0;
};
