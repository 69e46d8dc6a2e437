#include "frame/panels/services/ChargeDialog.h"

#include <cinttypes>
#include <cstdio>

#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "frame/web/WebUrlCommand.h"
#include "platform/Files.h"
#include "platform/Input.h"
#include "platform/System.h"
#include "zep/ZepLog.h"

namespace {

constexpr int16_t kTemplateWidth = 187;
constexpr int16_t kTemplateHeight = 97;
constexpr int kHalfPageWidth = CChargeDialog::kPageWidth / 2;
constexpr int kHalfPageHeight = CChargeDialog::kPageHeight / 2;

// The size of the main window's outer rectangle; 0 by 0 without one.
platform::ScreenRect MainWindowRect() {
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || app->GetMainWindow() == 0) {
        return {};
    }
    return platform::GetWindowRect(app->GetMainWindow()).value_or(platform::ScreenRect{});
}

}  // namespace

CChargeDialog::CChargeDialog() : now_(platform::UnixTimeNow) {
    fields_.style = platform::kStylePopup;
    fields_.extendedStyle = 0;
    fields_.itemCount = 0;
    fields_.x = 0;
    fields_.y = 0;
    fields_.width = kTemplateWidth;
    fields_.height = kTemplateHeight;
}

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

void CChargeDialog::CloseWindow() {
    if (Id() == 0) {
        return;
    }
    if (platform::TopLevelWindow* top = GetTopLevel()) {
        top->Show(false);
    }
    if (browser_ != nullptr) {
        browser_->DestroyView();
    }
    Destroy();
    browser_.reset();
    FreeOrphanWebUrlCommands();
    skin_.ReleasePress();
}

bool CChargeDialog::OnInitDialog() {
    CNoTemplateDialog::OnInitDialog();
    platform::TopLevelWindow* top = GetTopLevel();
    if (top == nullptr) {
        return true;
    }
    const CGameFrameApp* app = CGameFrameApp::Current();
    skin_.Load(app != nullptr ? app->GetExeDir() : platform::ProgramFolder(), kPageWidth);
    browser_ = factory_ ? factory_() : nullptr;
    if (browser_ == nullptr) {
        browser_ = std::make_unique<CHtmlCtrl>();
    }
    const platform::ScreenRect main = MainWindowRect();
    const int left = (main.right - main.left) / 2 - kHalfPageWidth;
    const int topEdge = (main.bottom - main.top) / 2 - kHalfPageHeight;
    top->MoveTo(
        {left, topEdge, left + 2 * kMargin + kPageWidth, topEdge + 4 * kMargin + kPageHeight});
    top->SetCaptionStrip(kCaptionHeight);
    address_ = BuildPageAddress(pageAddress_, CurrentQuery());
    if (browser_->Create(Id(), {kMargin, kMargin + kCaptionHeight, kMargin + kPageWidth,
                                3 * kMargin + kPageHeight})) {
        browser_->Navigate(address_);
        browser_->Page().HideVerticalScrollBar();
        browser_->Page().Show(true);
    }
    platform::InvalidateRect(Id(), nullptr);
    return true;
}

platform::LResult CChargeDialog::OnMessage(uint32_t id, platform::WParam wParam,
                                           platform::LParam lParam) {
    switch (id) {
        case platform::kMsgPaint:
            if (platform::TopLevelWindow* top = GetTopLevel()) {
                skin_.Paint(Id(), *top, kCaption);
            }
            break;
        case platform::kMsgMove:
            if (browser_ != nullptr) {
                browser_->FollowParent();
            }
            break;
        case platform::kMsgLButtonDown:
        case platform::kMsgLButtonUp:
            skin_.OnLeftButton(Id(), id == platform::kMsgLButtonDown, platform::PointX(lParam),
                               platform::PointY(lParam), kCloseCommand);
            return 0;
        case platform::kMsgMouseMove:
            return 0;
        case kMsgCommand:
            if ((wParam & 0xFFFF) == kCloseCommand) {
                CloseWindow();
                return 0;
            }
            break;
        case kMsgWebUrlCommand:
            RunPostedWebUrlCommand(wParam);
            return 0;
        case platform::kMsgDestroy:
            if (browser_ != nullptr) {
                browser_->DestroyView();
            }
            break;
        default:
            break;
    }
    return CNoTemplateDialog::OnMessage(id, wParam, lParam);
}
