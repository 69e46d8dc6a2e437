#pragma once
// The skinned web-page dialog: a captionless popup with the skin's frame
// picture, a title, a close button and a browser (CWebPageHtmlCtrl) over
// its middle. Navigate opens it over the table area; the close button hides
// and destroys it; it can be navigated again, in a new window.
//
// Rules:
//  - Navigating while it is open closes the open window first, so at most
//    one window (and one page) lives per dialog.
//  - The top 18 pixels drag it; the browser's page moves with it.
//  - A missing skin picture leaves the frame plain, a missing button picture
//    leaves the dialog without a close button; the page still opens.
//  - It takes kMsgWebUrlCommand like its browser: the command runs, then it
//    is freed.
//  - UI thread only.

#include <string>
#include <string_view>

#include "frame/web/SkinnedWebDialog.h"
#include "frame/web/WebHtmlCtrl.h"

class CWebPageDlg : public CSkinnedWebDialog {
public:
    static constexpr int kDefaultWidth = 454;
    static constexpr int kDefaultHeight = 400;

    CWebPageDlg() = default;
    ~CWebPageDlg() override;

    // The browser area's size; a value of 0 or less leaves its side as it
    // is.
    void SetSize(int width, int height);
    // Opens the window on the address (url, "?" and the query when there is
    // one). 0 and nothing done for an empty url, else 1.
    int Navigate(std::string_view title, std::string_view url, std::string_view query);

    CWebPageHtmlCtrl& Browser() { return browser_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::string& Title() const { return title_; }
    // The address the last window opened.
    std::string Address() const;
    bool HasCloseButton() const { return Skin().HasCloseButton(); }
    // The close button's rectangle in the client area (empty without faces).
    platform::PixelRect CloseButtonRect() const { return Skin().CloseButtonRect(); }

protected:
    bool OnInitDialog() override;
    CHtmlCtrl* PageBrowser() override { return &browser_; }
    std::string_view SkinCaption() const override { return title_; }

private:
    CWebPageHtmlCtrl browser_;
    std::string title_;
    std::string url_;
    std::string query_;
    int width_ = kDefaultWidth;
    int height_ = kDefaultHeight;
};
