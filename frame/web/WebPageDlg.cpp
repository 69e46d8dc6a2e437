#include "frame/web/WebPageDlg.h"

#include <algorithm>
#include <memory>

#include "frame/GameFrameApp.h"
#include "frame/web/WebUrlCommand.h"
#include "platform/Files.h"
#include "platform/Screen.h"
#include "zep/ZepLog.h"

namespace {

constexpr int kBrowserLeft = 4;
constexpr int kBrowserTop = 22;
constexpr int kBrowserRightInset = 4;    // the browser ends at width + 4
constexpr int kBrowserBottomInset = 12;  // and at height + 12
constexpr int kFrameExtraWidth = 8;
constexpr int kFrameExtraHeight = 16;
constexpr int16_t kTemplateWidth = 187;
constexpr int16_t kTemplateHeight = 97;

// The rectangle the dialog centres itself in: the table area of the frame
// view, the frame view itself without one, else the work area.
platform::ScreenRect MainGameArea() {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (view != nullptr) {
        CCorvaneObject* area = view->GetMainGame();
        if (area == nullptr) {
            area = view;
        }
        return {static_cast<int>(area->GetLeft()), static_cast<int>(area->GetTop()),
                static_cast<int>(area->GetRight()), static_cast<int>(area->GetBottom())};
    }
    return platform::WorkArea();
}

}  // namespace

CWebPageDlg::CWebPageDlg() {
    fields_.style = platform::kStylePopup;
    fields_.extendedStyle = 0;
    fields_.itemCount = 0;
    fields_.x = 0;
    fields_.y = 0;
    fields_.width = kTemplateWidth;
    fields_.height = kTemplateHeight;
}

CWebPageDlg::~CWebPageDlg() {
    CloseWindow();
}

void CWebPageDlg::SetSize(int width, int height) {
    if (width > 0) {
        width_ = width;
    }
    if (height > 0) {
        height_ = height;
    }
}

std::string CWebPageDlg::Address() const {
    return query_.empty() ? url_ : url_ + "?" + query_;
}

int CWebPageDlg::Navigate(std::string_view title, std::string_view url, std::string_view query) {
    if (url.empty()) {
        return 0;
    }
    CloseWindow();
    title_ = std::string(title);
    url_ = std::string(url);
    query_ = std::string(query);
    if (!Create()) {
        ZepLog("web page: no window for \"%s\"", url_.c_str());
    }
    return 1;
}

void CWebPageDlg::CloseWindow() {
    if (Id() == 0) {
        return;
    }
    if (platform::TopLevelWindow* top = GetTopLevel()) {
        top->Show(false);
    }
    browser_.DestroyView();
    Destroy();
    FreeOrphanWebUrlCommands();
    skin_.ReleasePress();
}

bool CWebPageDlg::OnInitDialog() {
    CNoTemplateDialog::OnInitDialog();
    platform::TopLevelWindow* top = GetTopLevel();
    if (top == nullptr) {
        return true;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    skin_.Load(app != nullptr ? app->GetExeDir() : platform::ProgramFolder(), width_);
    const platform::ScreenRect area = MainGameArea();
    const int left = (area.right - area.left) / 2 - width_ / 2;
    const int topEdge = (area.bottom - area.top) / 2 - height_ / 2;
    top->MoveTo(
        {left, topEdge, left + width_ + kFrameExtraWidth, topEdge + height_ + kFrameExtraHeight});
    top->SetCaptionStrip(kCaptionHeight);
    if (browser_.Create(Id(), {kBrowserLeft, kBrowserTop, width_ + kBrowserRightInset,
                               height_ + kBrowserBottomInset})) {
        browser_.Navigate(Address());
        browser_.Page().HideVerticalScrollBar();
        browser_.Page().Show(true);
    }
    platform::InvalidateRect(Id(), nullptr);
    return true;
}

platform::LResult CWebPageDlg::OnMessage(uint32_t id, platform::WParam wParam,
                                         platform::LParam lParam) {
    switch (id) {
        case platform::kMsgPaint:
            if (platform::TopLevelWindow* top = GetTopLevel()) {
                skin_.Paint(Id(), *top, title_);
            }
            break;
        case platform::kMsgMove:
            browser_.FollowParent();
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
            browser_.DestroyView();
            break;
        default:
            break;
    }
    return CNoTemplateDialog::OnMessage(id, wParam, lParam);
}
