#include "frame/web/WebPageDlg.h"

#include <algorithm>
#include <memory>

#include "frame/GameFrameApp.h"
#include "platform/Screen.h"
#include "zep/ZepLog.h"

namespace {

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

bool CWebPageDlg::OnInitDialog() {
    CNoTemplateDialog::OnInitDialog();
    const platform::ScreenRect area = MainGameArea();
    ShowPage((area.right - area.left) / 2 - width_ / 2, (area.bottom - area.top) / 2 - height_ / 2,
             width_, height_, Address());
    return true;
}
