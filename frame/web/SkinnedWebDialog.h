#pragma once
// The base of the skinned web dialogs (the web-page dialog, the top-up
// dialog): a captionless popup from a template of 187 x 97 dialog units,
// with the web dialogs' skin and a browser over its middle. The derived
// dialog owns the browser and says where the window goes and what it shows.
//
// Rules:
//  - The window is the page's size plus 8 x 16: the page lies over
//    (4, 22)-(width + 4, height + 12) and moves with the window.
//  - The top 18 pixels drag it. Mouse moves and left presses on the body do
//    nothing; a press and release on the close button (control 100001)
//    closes it: hidden, its page destroyed, then its window.
//  - It takes kMsgWebUrlCommand like its browser: the command runs, then
//    it is freed. Commands left for a closed window are freed with it.
//  - UI thread only.

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/web/FixHtmlView.h"
#include "frame/web/NoTemplateDialog.h"
#include "frame/web/WebDialogSkin.h"

class CSkinnedWebDialog : public CNoTemplateDialog {
public:
    static constexpr int kBrowserId = 100000;
    static constexpr int kCloseButtonId = 100001;
    static constexpr uint32_t kCloseCommand = kCloseButtonId & 0xFFFF;  // 34465
    static constexpr int kCaptionHeight = 18;

    CSkinnedWebDialog();
    ~CSkinnedWebDialog() override;

    // Hides and destroys the window; nothing when none is open.
    void CloseWindow();

    const WebDialogSkin& Skin() const { return skin_; }

protected:
    // The browser of the open window, or null.
    virtual CHtmlCtrl* PageBrowser() = 0;
    // The caption drawn on the skin.
    virtual std::string_view SkinCaption() const = 0;
    // Called once the window is gone.
    virtual void OnWindowClosed() {}

    // Loads the skin for a page of the size, places the window's client
    // area at (left, top), makes the browser over the page's rectangle and
    // navigates it to the address.
    void ShowPage(int left, int top, int pageWidth, int pageHeight, const std::string& address);
    platform::LResult OnMessage(uint32_t id, platform::WParam wParam,
                                platform::LParam lParam) override;

private:
    WebDialogSkin skin_;
};
