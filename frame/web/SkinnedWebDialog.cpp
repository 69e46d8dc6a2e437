#include "frame/web/SkinnedWebDialog.h"

#include "frame/GameFrameApp.h"
#include "frame/web/WebUrlCommand.h"
#include "platform/Files.h"

namespace {

constexpr int kBrowserLeft = 4;
constexpr int kBrowserTop = 22;
constexpr int kBrowserRightInset = 4;    // the browser ends at width + 4
constexpr int kBrowserBottomInset = 12;  // and at height + 12
constexpr int kFrameExtraWidth = 8;
constexpr int kFrameExtraHeight = 16;
constexpr int16_t kTemplateWidth = 187;
constexpr int16_t kTemplateHeight = 97;

}  // namespace

CSkinnedWebDialog::CSkinnedWebDialog() {
    fields_.style = platform::kStylePopup;
    fields_.extendedStyle = 0;
    fields_.itemCount = 0;
    fields_.x = 0;
    fields_.y = 0;
    fields_.width = kTemplateWidth;
    fields_.height = kTemplateHeight;
}

CSkinnedWebDialog::~CSkinnedWebDialog() = default;

void CSkinnedWebDialog::CloseWindow() {
    if (Id() == 0) {
        return;
    }
    if (platform::TopLevelWindow* top = GetTopLevel()) {
        top->Show(false);
    }
    if (CHtmlCtrl* browser = PageBrowser()) {
        browser->DestroyView();
    }
    Destroy();
    FreeOrphanWebUrlCommands();
    skin_.ReleasePress();
    OnWindowClosed();
}

void CSkinnedWebDialog::ShowPage(int left, int top, int pageWidth, int pageHeight,
                                 const std::string& address) {
    platform::TopLevelWindow* window = GetTopLevel();
    if (window == nullptr) {
        return;
    }
    const CGameFrameApp* app = CGameFrameApp::Current();
    skin_.Load(app != nullptr ? app->GetExeDir() : platform::ProgramFolder(), pageWidth);
    window->MoveTo(
        {left, top, left + pageWidth + kFrameExtraWidth, top + pageHeight + kFrameExtraHeight});
    window->SetCaptionStrip(kCaptionHeight);
    CHtmlCtrl* browser = PageBrowser();
    if (browser != nullptr &&
        browser->Create(Id(), {kBrowserLeft, kBrowserTop, pageWidth + kBrowserRightInset,
                               pageHeight + kBrowserBottomInset})) {
        browser->Navigate(address);
        browser->Page().HideVerticalScrollBar();
        browser->Page().Show(true);
    }
    platform::InvalidateRect(Id(), nullptr);
}

platform::LResult CSkinnedWebDialog::OnMessage(uint32_t id, platform::WParam wParam,
                                               platform::LParam lParam) {
    switch (id) {
        case platform::kMsgPaint:
            if (platform::TopLevelWindow* top = GetTopLevel()) {
                skin_.Paint(Id(), *top, SkinCaption());
            }
            break;
        case platform::kMsgMove:
            if (CHtmlCtrl* browser = PageBrowser()) {
                browser->FollowParent();
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
            if (CHtmlCtrl* browser = PageBrowser()) {
                browser->DestroyView();
            }
            break;
        default:
            break;
    }
    return CNoTemplateDialog::OnMessage(id, wParam, lParam);
}
