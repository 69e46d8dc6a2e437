#pragma once
// The wait dialog: the communication thread's small skinned panel with a
// line of text above the colour band bar. It lives on that thread, so it
// keeps animating while the UI thread blocks in a request; the display's
// thread puts its frames on the screen (platform/PanelWindow.h).
//
// Rules:
//  - 207 x 45 dialog units of the "宋体" 9-point template font (x * w / 4,
//    y * h / 8 with the font's base units as the platform font measures
//    them), centred on the work area, above the other windows, taking no
//    input; the text at (17, 12) 174 x 18, the bar at (5, 32) 197 x 9.
//  - The background is the skin's "CommDlgBK" bitmap stretched over the
//    dialog, else the 3-D face colour; the bar's colours are the skin's
//    "WaitBarfg" and "WaitBarbg", else their defaults.
//  - The skin file's path reaches the dialog as an owned string in message
//    kMsgWaitSkinPath, which frees it.
//  - The bar's timer (1, 200 ms) runs only while the dialog is shown; each
//    tick publishes a new frame.
//  - Everything runs on the communication thread, except the panel's
//    read-back, which any thread may use.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "frame/ColorBandBar.h"
#include "frame/GameCommThread.h"
#include "platform/Cursor.h"
#include "platform/ImageDecoder.h"
#include "platform/PanelWindow.h"

// wParam: a heap std::string with the skin file's path; the dialog answers 1
// and frees it.
inline constexpr uint32_t kMsgWaitSkinPath = platform::kMsgApp + 1460;

class CWaitDialog : public CWaitDisplay {
public:
    static constexpr uint32_t kBarTimer = 1;
    static constexpr uint32_t kBarIntervalMs = 200;
    static constexpr uint32_t kFaceColor = 0xF0F0F0;
    static constexpr uint32_t kDefaultBarForeground = 0x1A462E;
    static constexpr uint32_t kDefaultBarBackground = 0x429473;
    static constexpr char kTitle[] = "CWaitDialog";

    // A rectangle in pixels of the dialog.
    using Rect = CColorBandBar::Rect;

    CWaitDialog(std::string skinIni, platform::ScreenRect workArea);
    ~CWaitDialog() override;

    bool Open() override;
    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override;

    // The panel the dialog publishes to (read back by tests).
    const platform::PanelWindow& Panel() const { return panel_; }
    const CColorBandBar& Bar() const { return bar_; }
    const std::string& SkinIni() const { return skinIni_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rect BarRect() const { return barRect_; }
    Rect TextRect() const { return textRect_; }
    bool HasBackgroundBitmap() const { return background_.has_value(); }

    // Dialog units to pixels with the base units (w, h) of a font.
    static Rect DialogUnitsToPixels(int x, int y, int cx, int cy, int baseWidth, int baseHeight);

protected:
    void Show(const std::string& text, int seconds) override;
    void Hide() override;

private:
    void TakeSkinPath(std::unique_ptr<std::string> path);
    void LoadSkin();
    void Repaint();
    platform::PanelFrame Render() const;
    void DrawBackground(platform::PanelFrame& frame) const;
    void DrawText(platform::PanelFrame& frame) const;

    std::string skinIni_;
    std::string initialSkinIni_;
    platform::ScreenRect workArea_;
    std::optional<platform::DecodedPicture> background_;
    CColorBandBar bar_;
    std::string text_;
    int width_ = 0;
    int height_ = 0;
    Rect barRect_;
    Rect textRect_;
    bool shown_ = false;
    platform::PanelWindow panel_{kTitle};
};

// Makes wait dialogs with the skin file and the work area, both read on
// the UI thread beforehand.
WaitDisplayFactory MakeWaitDialogFactory(std::string skinIni, platform::ScreenRect workArea);
