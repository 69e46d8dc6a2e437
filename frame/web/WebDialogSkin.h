#pragma once
// The skin the web dialogs share: the frame picture stretched over the
// client area, a caption in black "宋体" 13 at (10, 6), and a close button
// cut from a strip of four faces (normal, selected, focused, disabled) with
// its top-left corner at (page width - 26, -1). A press and release on the
// button posts the close command to the dialog.
//
// Rules:
//  - A picture that cannot be read leaves its part away: a plain face
//    colour for the frame, no close button (and no way to press one).
//  - UI thread only.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Messages.h"
#include "platform/SdlWindow.h"

// A control's command to its dialog: the control id in the low half of
// wParam.
inline constexpr uint32_t kMsgCommand = 0x0111;

class WebDialogSkin {
public:
    static constexpr char kSkinFolder[] = "skins\\reswebcharge\\";
    static constexpr char kFrameFile[] = "charge_frame.bmp";
    static constexpr char kCloseFile[] = "btnChargeClose.bmp";

    // Loads both pictures from the program folder's skin folder; the close
    // button sits over a page of the given width.
    void Load(const std::string& programFolder, int pageWidth);
    bool HasCloseButton() const { return !closeFaces_.empty(); }
    bool HasBackground() const { return background_.width > 0 && background_.height > 0; }
    // The close button's rectangle in the client area (empty without faces).
    platform::PixelRect CloseButtonRect() const;
    // A left press or release at a client point; a release over the button
    // that was pressed posts the command to the window.
    void OnLeftButton(platform::WindowId window, bool down, int x, int y, uint32_t command);
    void ReleasePress() { closePressed_ = false; }
    // Draws frame, caption and button into the window's client area.
    void Paint(platform::WindowId window, platform::TopLevelWindow& top,
               std::string_view caption) const;

private:
    // 32-bit pixels (blue, green, red, alpha), rows from the top.
    struct Picture {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
    };

    void LoadCloseButton(const std::string& path);

    Picture background_;
    std::vector<Picture> closeFaces_;
    int closeLeft_ = 0;
    bool closePressed_ = false;
};
