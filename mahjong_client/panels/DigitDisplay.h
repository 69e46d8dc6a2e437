#pragma once
// A number drawn with the ten frames of a "digit_" picture, for the table's
// turn clock and base-deposit figure; the clock shows two digits always
// ("07"), the deposit figure plain numbers.
//
// Rules:
//  - With zero padding on, a value from 0 to 9 gets a leading "0"; any
//    other value (negative, or 10 and above) is shown as it is.
//  - With the suffix style (0x8) the text is the value and the suffix, and
//    padding does not apply.
//  - LoadDigitImages replaces every digit picture with the frames of one
//    image; the display becomes two digit cells wide.
//  - UI thread only.

#include <string>

#include "engine/ui/CorvaneNumberDisplay.h"

class CDigitDisplay : public CCorvaneNumberDisplay {
public:
    CDigitDisplay() = default;
    ~CDigitDisplay() override;

    // Shows FormatDigits().
    void RefreshText() override;
    // Frame 0 of the image gives the size: the display becomes two digit
    // widths by one digit height, its canvas is cleared, the digit pictures
    // are forgotten and "0".."9" take frames 0..9 (as many as the image
    // has); then the text is refreshed. An image the resources do not hold
    // leaves no digits.
    virtual void LoadDigitImages(const char* imageName);
    // Stores the flag and returns it.
    virtual int SetZeroPadding(int flag);

    int GetZeroPadding() const { return zeroPadding_; }
    // The text the next refresh shows.
    std::string FormatDigits();

private:
    int zeroPadding_ = 0;
};
