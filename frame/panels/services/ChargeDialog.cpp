#include "frame/panels/services/ChargeDialog.h"

#include <cinttypes>
#include <cstdio>

#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "platform/Input.h"
#include "zep/ZepLog.h"

namespace {

// The size of the main window's outer rectangle; 0 by 0 without one.
platform::ScreenRect MainWindowRect() {
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || app->GetMainWindow() == 0) {
        return {};
    }
    return platform::GetWindowRect(app->GetMainWindow()).value_or(platform::ScreenRect{});
}

}  // namespace

CChargeDialog::~CChargeDialog() {
    CloseWindow();
}

std::string CChargeDialog::GetMD5String(std::string_view text) {
    return Md5Hex(text);
}

std::string CChargeDialog::SignQuery(const ChargeQuery& query) {
    char text[256];
    std::snprintf(text, sizeof text, "hall_id%dgame_id%dgame_code%suser_id%dunix_time%" PRId64 "%s",
                  query.hallId, kGameId, kGameCode, query.userId, query.unixTime, kSigningKey);
    return GetMD5String(text);
}

std::string CChargeDialog::BuildPageAddress(std::string_view pageAddress,
                                            const ChargeQuery& query) {
    char fields[256];
    std::snprintf(fields, sizeof fields,
                  "?hall_id=%d&game_id=%d&game_code=%s&uid=%d&sign=", query.hallId, kGameId,
                  kGameCode, query.userId);
    char tail[160];
    std::snprintf(tail, sizeof tail, "&unix_time=%" PRId64 "&v_sign=%s&init_money=%d",
                  query.unixTime, SignQuery(query).c_str(), query.initMoney);
    // The sign comes from the hall and may be of any length.
    return std::string(pageAddress) + fields + query.sign + tail;
}

ChargeQuery CChargeDialog::CurrentQuery() const {
    ChargeQuery query;
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        query.hallId = app->GetHallId();
        query.userId = app->GetUserID();
        query.sign = app->GetHallSign();
    }
    query.unixTime = now_();
    query.initMoney = initMoney_;
    return query;
}

int CChargeDialog::Open(std::string_view pageAddress, int32_t initMoney) {
    if (pageAddress.empty()) {
        return 0;
    }
    CloseWindow();
    pageAddress_ = std::string(pageAddress);
    initMoney_ = initMoney;
    if (!Create()) {
        ZepLog("top-up: no window for \"%s\"", pageAddress_.c_str());
    }
    return 1;
}

bool CChargeDialog::OnInitDialog() {
    CNoTemplateDialog::OnInitDialog();
    if (GetTopLevel() == nullptr) {
        return true;
    }
    browser_ = factory_ ? factory_() : nullptr;
    if (browser_ == nullptr) {
        browser_ = std::make_unique<CHtmlCtrl>();
    }
    // Centred on the main window's size; its position does not enter.
    const platform::ScreenRect main = MainWindowRect();
    address_ = BuildPageAddress(pageAddress_, CurrentQuery());
    ShowPage((main.right - main.left) / 2 - kPageWidth / 2,
             (main.bottom - main.top) / 2 - kPageHeight / 2, kPageWidth, kPageHeight, address_);
    return true;
}
