#include "frame/panels/AdvertBar.h"

#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneScrollBar.h"
#include "engine/ui/CorvaneStatic.h"
#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "frame/web/WebHtmlCtrl.h"
#include "platform/Profile.h"
#include "zep/ZepLog.h"

namespace {

constexpr int kTabWidth = 48;
constexpr int kTabHeight = 20;
constexpr int kTabFontSize = 12;
constexpr uint32_t kTabColourKey = 0xe6edd4;
constexpr uint32_t kTabBorder = 0x708359;
constexpr uint32_t kActiveTabText = 0x000000;
constexpr uint32_t kIdleTabText = 0x808080;
constexpr int kScrollBarHeight = 14;
constexpr uint32_t kCanvasKey = 0xff00ff;

// The game settings' [ADVERT] text of the key; empty when missing.
std::string AdvertSetting(CGameFrameApp& app, const char* key) {
    char text[512] = {};
    platform::GetPrivateProfileString("ADVERT", key, "", text, sizeof text,
                                      app.GetGameIniFile().c_str());
    return text;
}

}  // namespace

CAdvertBar::CAdvertBar() = default;

CAdvertBar::~CAdvertBar() = default;

void CAdvertBar::Create() {
    if (!FirstCreate()) {
        return;
    }
    SetName("AdvertBar");
    const auto makeTab = [this](const char* caption, int event) {
        auto* tab = new CCorvaneStatic;
        Register(tab);
        const EventRecord notify = MakeEventRecord(GetId(), event, 0, 0);
        tab->Create(caption, kTabWidth, kTabHeight, kTabFontSize, kTabColourKey, kTabBorder,
                    &notify);
        tab->SetZ(GetZ() + 0.2);
        tab->Show();
        AttachChild(tab, kBarChildLink);
        return tab->GetId();
    };
    advertTabId_ = makeTab("广告", kEventAdvertTab);
    scoreTabId_ = makeTab("成绩", kEventScoreTab);

    if (CCorvaneCanvas* canvas = CreateCanvas(1, 1, kCanvasKey)) {
        canvas->SetZ(GetZ() + 0.1);
        AttachChild(canvas, kBarChildLink);
        canvasId_ = canvas->GetId();
    }
    auto* bar = new CCorvaneScrollBar;
    Register(bar);
    bar->Create(GetId(), std::max(1, static_cast<int>(GetWidth())), kScrollBarHeight,
                kScrollHorizontal, 0);
    bar->SetZ(GetZ() + 0.2);
    AttachChild(bar, kBarChildLink);
    scrollBarId_ = bar->GetId();
    ShowTabParts();
}

int CAdvertBar::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventAdvertTab:
            ShowAdvertTab();
            return 1;
        case kEventScoreTab:
            ShowScoreTab();
            return 1;
        case kEventRefreshScoreTable:
            RefreshScoreTable();
            return 1;
        case kEventScrollChanged: {
            // The table slides left by the scroll position.
            const auto* values = EventParamPointer<const double>(record.param1);
            CCorvaneCanvas* canvas = GetScoreCanvas();
            if (values != nullptr && canvas != nullptr) {
                canvas->SetPos(GetLeft() + canvas->GetWidth() / 2 - values[0], canvas->GetY());
                canvas->Invalidate();
            }
            return 1;
        }
        default:
            return CSidePanelBar::OnEvent(record);
    }
}

void CAdvertBar::Layout() {
    CGameFrameApp* app = CGameFrameApp::Current();
    const int seats = app != nullptr ? app->GetPlayerCount() : 4;
    webRect_ = LayoutScoreBar(Parts(), ScoreTableGeometry::FromSettings(*this), seats, GetLeft(),
                              GetTop(), GetRight(), GetBottom());
    PlaceWebWindow(webRect_);
    if (!pendingUrl_.empty()) {
        const std::string url = pendingUrl_;
        Navigate(url.c_str());
    }
    DrawScoreTable();
}

void CAdvertBar::DrawScoreTable() {
    CGameFrameApp* app = CGameFrameApp::Current();
    CCorvaneCanvas* canvas = GetScoreCanvas();
    if (app == nullptr || canvas == nullptr) {
        return;
    }
    DrawScoreTableOn(*canvas, GetScrollBar(), ScoreTableGeometry::FromSettings(*this),
                     ScoreTableModel::FromApp(*app), static_cast<int>(GetWidth()), *this);
    // The canvas changed its size: keep its left edge at the bar's.
    canvas->SetPos(GetLeft() + canvas->GetWidth() / 2, canvas->GetY());
}

void CAdvertBar::LoadAdvertPage() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    // Offline there is no advert server: the shop's own page shows instead.
    const std::string url =
        app->IsOfflineMode() ? AdvertSetting(*app, "Shop") : app->GetAdvertWindowUrl();
    if (url.empty()) {
        return;
    }
    Navigate(url.c_str());
}

void CAdvertBar::Navigate(const char* address) {
    if (address == nullptr || address[0] == '\0') {
        return;
    }
    if (CAdvertHtmlCtrl* browser = Browser()) {
        browser->Navigate(address);
        pendingUrl_.clear();
    } else {
        pendingUrl_ = address;
    }
}

void CAdvertBar::RebuildScoreTable() {
    Layout();
}

void CAdvertBar::RefreshScoreTable() {
    DrawScoreTable();
    if (CCorvaneCanvas* canvas = GetScoreCanvas()) {
        canvas->Invalidate();
    }
}

void CAdvertBar::ShowAdvertTab() {
    scoreTabActive_ = false;
    ShowTabParts();
}

void CAdvertBar::ShowScoreTab() {
    scoreTabActive_ = true;
    ShowTabParts();
}

bool CAdvertBar::IsWebPageShowing() {
    return browser_ != nullptr && browser_->Id() != 0 && webShowing_;
}

void CAdvertBar::ShowWebWindow(bool show) {
    if (browser_ == nullptr || browser_->Id() == 0) {
        return;
    }
    browser_->Page().Show(show);
    webShowing_ = show;
}

void CAdvertBar::ClickLinkByText(std::string_view text) {
    if (browser_ != nullptr) {
        browser_->ClickLinkByText(text);
    }
}

CCorvaneCanvas* CAdvertBar::GetScoreCanvas() {
    return canvasId_ != 0 ? dynamic_cast<CCorvaneCanvas*>(FindObjectById(canvasId_)) : nullptr;
}

CCorvaneScrollBar* CAdvertBar::GetScrollBar() {
    return scrollBarId_ != 0 ? dynamic_cast<CCorvaneScrollBar*>(FindObjectById(scrollBarId_))
                             : nullptr;
}

CCorvaneStatic* CAdvertBar::GetAdvertTab() {
    return advertTabId_ != 0 ? dynamic_cast<CCorvaneStatic*>(FindObjectById(advertTabId_))
                             : nullptr;
}

CCorvaneStatic* CAdvertBar::GetScoreTab() {
    return scoreTabId_ != 0 ? dynamic_cast<CCorvaneStatic*>(FindObjectById(scoreTabId_)) : nullptr;
}

ScoreBarParts CAdvertBar::Parts() {
    return {GetAdvertTab(), GetScoreTab(), GetScoreCanvas(), GetScrollBar()};
}

CAdvertHtmlCtrl* CAdvertBar::Browser() {
    if (browser_ != nullptr && browser_->Id() != 0) {
        return browser_.get();
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || webRect_.width <= 0 || webRect_.height <= 0) {
        return nullptr;
    }
    auto browser = std::make_unique<CAdvertHtmlCtrl>();
    browser->EnableUrlFilter(true);
    browser->SetUrlFilterFile(GetAdvertDomainFile());
    const platform::PixelRect rect{webRect_.left, webRect_.top, webRect_.left + webRect_.width,
                                   webRect_.top + webRect_.height};
    if (!browser->Create(app->GetMainWindow(), rect)) {
        ZepLog("AdvertBar: the advert page could not be made");
        return nullptr;
    }
    browser_ = std::move(browser);
    webShowing_ = false;
    ShowWebWindow(!scoreTabActive_);
    return browser_.get();
}

void CAdvertBar::PlaceWebWindow(const ScoreBarWebRect& rect) {
    if (browser_ == nullptr || browser_->Id() == 0) {
        return;
    }
    browser_->MoveTo({rect.left, rect.top, rect.left + rect.width, rect.top + rect.height});
}

void CAdvertBar::ShowTabParts() {
    if (CCorvaneStatic* tab = GetAdvertTab()) {
        tab->SetTextColour(scoreTabActive_ ? kIdleTabText : kActiveTabText);
        tab->Invalidate();
    }
    if (CCorvaneStatic* tab = GetScoreTab()) {
        tab->SetTextColour(scoreTabActive_ ? kActiveTabText : kIdleTabText);
        tab->Invalidate();
    }
    for (CCorvaneObject* part : {static_cast<CCorvaneObject*>(GetScoreCanvas()),
                                 static_cast<CCorvaneObject*>(GetScrollBar())}) {
        if (part == nullptr) {
            continue;
        }
        if (scoreTabActive_) {
            part->Show();
        } else {
            part->Hide();
        }
        part->Invalidate();
    }
    ShowWebWindow(!scoreTabActive_);
}
