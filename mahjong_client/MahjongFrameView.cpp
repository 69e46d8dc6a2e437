// The mahjong layer's frame view: the frame's steps, its own splitter bar,
// the side-panel width kept with the splitter, and the two web pages of the
// table.

#include "mahjong_client/MahjongFrameView.h"

#include "engine/CorvanePicture.h"
#include "frame/GameFrameApp.h"
#include "frame/panels/SplitterBar.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "platform/Profile.h"
#include "zep/ZepLog.h"

namespace {

// The game ini's [ADVERT] text of the key; empty when missing.
std::string AdvertSetting(const CGameFrameApp& app, const char* key) {
    char text[512] = {};
    platform::GetPrivateProfileString("ADVERT", key, "", text, sizeof text,
                                      app.GetGameIniFile().c_str());
    return text;
}

}  // namespace

CMahjongFrameView::CMahjongFrameView() = default;
CMahjongFrameView::~CMahjongFrameView() = default;

// --- events ---

int CMahjongFrameView::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventOpenPropsShop:
            OpenPropsShop();
            return 1;
        case kEventOpenRechargePage:
            OpenRechargePage();
            return 1;
        default:
            return CGameFrameView::OnEvent(record);
    }
}

// --- web pages ---

bool CMahjongFrameView::OpenWebPage(const std::string& url, const char* what) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || url.empty()) {
        ZepLog("%s: no address in the game settings", what);
        return false;
    }
    if (app->IsOfflineMode()) {
        app->OpenUrlInBrowser(url, 0);
    } else {
        app->OpenUrlInHall(url, 1);
    }
    return true;
}

bool CMahjongFrameView::OpenPropsShop() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return OpenWebPage(app != nullptr ? AdvertSetting(*app, "Shop") : std::string(), "props shop");
}

bool CMahjongFrameView::OpenRechargePage() {
    return OpenWebPage(GetRechargePageUrl(), "recharge page");
}

std::string CMahjongFrameView::GetRechargePageUrl() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetAdvertPayUrl() : std::string();
}

int CMahjongFrameView::GetTileScaleFlag() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr && app->IsSmallScreen() ? 1 : 0;
}

// --- chrome and layout: the frame's steps ---

void CMahjongFrameView::Relayout() {
    CGameFrameView::Relayout();
    PlaceAutoPlaySign();
}

void CMahjongFrameView::ApplyLayoutSettings() {
    CGameFrameView::ApplyLayoutSettings();
}

void CMahjongFrameView::PaintBackground() {
    CGameFrameView::PaintBackground();
}

void CMahjongFrameView::PaintTopBar() {
    CGameFrameView::PaintTopBar();
}

void CMahjongFrameView::PaintLeftBorder() {
    CGameFrameView::PaintLeftBorder();
}

void CMahjongFrameView::SyncSidePanelWidth() {
    SetSidePanelWidth(IsSplitterExpanded() ? sidePanelWidth_ : 0);
}

void CMahjongFrameView::CreateFrameButtons() {
    CGameFrameView::CreateFrameButtons();
    if (FindPart<CFrameSplitter>(splitterId_) == nullptr) {
        splitterId_ = AdoptPart(new CSplitterBar);
        FoldSplitterOnSmallScreen();
    }
    SyncSidePanelWidth();
}

void CMahjongFrameView::ToggleMaximize() {
    CGameFrameView::ToggleMaximize();
    SyncSidePanelWidth();
}

// --- cards and boxes: the frame's steps ---

void CMahjongFrameView::PlacePlayerCardAt(int32_t userId, int x, int y) {
    CGameFrameView::PlacePlayerCardAt(userId, x, y);
}

void CMahjongFrameView::PlacePlayerCard(int32_t userId, int pinned) {
    CGameFrameView::PlacePlayerCard(userId, pinned);
}

void CMahjongFrameView::ShowAutoPlayAnimation(int on) {
    CGameFrameView::ShowAutoPlayAnimation(on);
    PlaceAutoPlaySign();
}

void CMahjongFrameView::PlaceAutoPlaySign() {
    auto* sign = FindPart<CCorvanePicture>(autoPlayPictureId_);
    auto* table = dynamic_cast<CMahjongTableView*>(GetMainGame());
    if (sign == nullptr || table == nullptr) {
        return;
    }
    const TablePoint place = table->GetAutoPlaySignPlace(static_cast<int>(sign->GetWidth()));
    sign->SetPos(place.x, place.y);
    sign->Invalidate();
}

void CMahjongFrameView::FillPlayerDetail(const uint8_t* userRecord) {
    CGameFrameView::FillPlayerDetail(userRecord);
}

void CMahjongFrameView::ShowExitRequestBox(const uint8_t* record, size_t length) {
    CGameFrameView::ShowExitRequestBox(record, length);
}
