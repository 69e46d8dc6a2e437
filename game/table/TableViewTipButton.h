#pragma once
// A table button that shows a short line of text (its tip) below it while
// the mouse is over it. The tip is a canvas made on the first hover and
// owned by the button, so it goes with it.

#include <string>

#include "engine/ui/CorvaneButton.h"

class CCorvaneCanvas;

class CTipButton : public CCorvaneButton {
public:
    static constexpr int kTipFontSize = 12;
    static constexpr uint32_t kTipBackground = 0xE1FFFF;  // pale yellow
    static constexpr uint32_t kTipTextColour = 0x000000;

    explicit CTipButton(std::string tip) : tip_(std::move(tip)) {}
    ~CTipButton() override = default;

    void OnMouseEnter() override;
    void OnMouseLeave() override;

    const std::string& GetTipText() const { return tip_; }
    // The tip's canvas, or null before the first hover.
    CCorvaneCanvas* GetTip();

private:
    void ShowTip(bool show);

    std::string tip_;
    int tipId_ = 0;
};
