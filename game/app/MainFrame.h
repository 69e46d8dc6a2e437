#pragma once
// The program's main window: the frame window with an empty dialog bar
// along its top (a strip of height 0; the bar's template holds no controls).
// Creating the window fails when the bar cannot be made.

#include "frame/GameFrameWnd.h"

// The dialog bar of the main window: a named strip owned by its frame.
class CDialogBar {
public:
    static constexpr int kTemplateId = 141;
    static constexpr uint32_t kStyle = 0x2830;  // aligned top, border below, fly-by, tips

    // False when there is no parent window to carry it.
    bool Create(platform::WindowId parent, int templateId, uint32_t style, int controlId);
    bool IsCreated() const { return parent_ != 0; }
    int TemplateId() const { return templateId_; }
    int ControlId() const { return controlId_; }
    uint32_t Style() const { return style_; }
    int Height() const { return 0; }

private:
    platform::WindowId parent_ = 0;
    int templateId_ = 0;
    int controlId_ = 0;
    uint32_t style_ = 0;
};

class CMainFrame : public CGameFrameWnd {
public:
    CMainFrame() = default;
    ~CMainFrame() override = default;

    const char* GetRuntimeClassName() const override { return "CMainFrame"; }

    // The frame window, then OnCreate; 0 when either fails (the window is
    // destroyed again).
    int Create(const char* title, uint32_t style, uint32_t extendedStyle,
               const platform::ScreenRect& rect, platform::WindowId parent) override;
    // The dialog bar; -1 when it cannot be made, else 0.
    int OnCreate();
    CDialogBar* GetDialogBar() { return &dialogBar_; }

private:
    CDialogBar dialogBar_;
};
