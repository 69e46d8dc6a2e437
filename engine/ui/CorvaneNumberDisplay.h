#pragma once
// An image text line that shows an integer, optionally followed by a
// suffix, from the ten frames of a "digit_" image, and can count its value
// up or down to a target over time. The table's digit panels derive from it.
//
// Rules:
//  - A digit is a single-byte character, half a cell: the cell is twice the
//    digit frame's width, so each digit is drawn one frame wide.
//  - Only the frames the image has become digits: a digit image with fewer
//    than ten frames leaves the missing digits as gaps, never shows another
//    digit's frame.
//  - The text is the value ("%d"), followed by the suffix while style 0x8
//    is set; nothing is shown before the first refresh. SetSuffix alone
//    does not refresh.
//  - Arithmetic on the value saturates at the int range.
//  - One count at a time: a new CountTo stops the display's previous count
//    (the stopped count's end event reaches only OnEvent2), so two counts
//    never pull the value against each other.
//  - UI thread only; the counting step runs in the object module's update.

#include <cstdint>
#include <string>

#include "engine/EventRecord.h"
#include "engine/ui/CorvaneImageSequence.h"

class CCorvaneNumberDisplay : public CCorvaneImageSequence {
public:
    CCorvaneNumberDisplay() = default;
    ~CCorvaneNumberDisplay() override = default;

    // The line's image-sequence set-up: cell twice the digit frame's width,
    // line height its height, then the digits "0".."9" from frames 0..9.
    // 1 when the canvas was made.
    using CCorvaneImageSequence::Create;
    virtual int Create(const char* imageName, uint32_t styleFlags);
    virtual int GetValue() { return value_; }
    // Stores the value and refreshes.
    virtual void SetValue(int value);
    // Stores the suffix and sets style 0x8; shown at the next refresh.
    virtual void SetSuffix(const char* text);
    // Clears style 0x8 and refreshes.
    virtual void ClearSuffix();
    // Adds to the value and refreshes.
    virtual void AddValue(int delta);
    // Shows the value (and the suffix with style 0x8), through RefreshText.
    virtual void Refresh();
    // Counts the value toward target by |step| (0 counts as 1) every
    // interval ms (0: the shortest action interval); lands exactly on the
    // target, then the end event (copied; null for none) is delivered. The
    // action's handle, or 0 when no action could be made.
    virtual uint64_t CountTo(int target, int step, uint32_t interval,
                             const EventRecord* doneRecord);
    // Stops every action of this display.
    virtual void StopCounting();

    // Composes the text from value and suffix and shows it; displays with
    // another format (zero padding, say) replace it.
    void RefreshText() override;

    const std::string& GetSuffix() const { return suffix_; }
    // The text the display shows after its next refresh.
    std::string FormatText() const;

    // One counting step: moves the value one step toward target, exactly
    // onto it when it is at most a step away. True when it got there.
    bool CountStep(int target, int64_t step);

private:
    int value_ = 0;
    std::string suffix_;
    uint64_t countAction_ = 0;
};
