#include "mahjong_client/panels/DigitDisplay.h"

#include <cstdio>

CDigitDisplay::~CDigitDisplay() = default;

int CDigitDisplay::SetZeroPadding(int flag) {
    zeroPadding_ = flag;
    return flag;
}

std::string CDigitDisplay::FormatDigits() {
    if ((GetStyle() & kSequenceShowSuffix) != 0 || zeroPadding_ == 0) {
        return FormatText();
    }
    const int value = GetValue();
    // Only a single digit gets the leading zero; "0-5" is no number.
    if (value < 0 || value > 9) {
        return FormatText();
    }
    char text[12];
    std::snprintf(text, sizeof text, "0%d", value);
    return text;
}

void CDigitDisplay::RefreshText() {
    SetText(FormatDigits().c_str());
}

void CDigitDisplay::LoadDigitImages(const char* imageName) {
    const FrameRecord first = GetResourceFrame(imageName != nullptr ? imageName : "", 0);
    SetCellMetrics(first.width * 2, first.height);
    static_cast<CCorvaneObject*>(this)->Resize(first.width * 2, first.height);
    if (CCorvaneCanvas* canvas = GetCanvas()) {
        canvas->Resize(first.width * 2, first.height);
        canvas->Clear();
    }
    ClearGlyphs();
    const int frames = first.record != nullptr ? first.record->frameCount : 0;
    for (int n = 0; n < 10 && n < frames; ++n) {
        FrameRecord digit = first;
        digit.frame = n;
        char character[12];
        std::snprintf(character, sizeof character, "%d", n);
        AddGlyph(character, digit);
    }
    RefreshText();
}
