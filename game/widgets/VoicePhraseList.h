#pragma once
// The voice box's list of spoken phrases: the toolkit's text list with the
// regional look. Rows show their caption from the left on a greenish key
// colour at alpha 0.8, bold and tinted under the mouse; the list has no
// frame, follows the voice box's alpha and stays open when it loses the
// focus (the voice box closes it).
//
// Rules:
//  - Rows are kept by the text list (by id, in order); Relayout (the
//    list's Layout) stacks them from the canvas's top-left corner.
//  - An empty list hides itself.

#include <cstdint>

#include "engine/ui/CorvaneTextItem.h"
#include "engine/ui/CorvaneTextList.h"

class CCorvaneCanvas;

// A row of the phrase list.
class CVoicePhraseItem : public CCorvaneTextItem {
public:
    CVoicePhraseItem() = default;
    ~CVoicePhraseItem() override = default;

    // 0 normal and 1 mouse over draw the caption from (2, 4); 2 pressed and
    // 3 disabled are the text item's. The canvas is invalidated in every
    // state.
    void Draw(int state) override;
};

class CVoicePhraseList : public CCorvaneTextList {
public:
    // The rows' canvas key and border colour.
    static constexpr uint32_t kRowColourKey = 0xA8D7B6;
    static constexpr uint32_t kRowBorderColour = 0xFF0000;
    static constexpr double kRowAlpha = 0.8;

    CVoicePhraseList() = default;
    ~CVoicePhraseList() override = default;

    // The row width that shows the caption whole in every look: its widest
    // measure in the rows' fonts, measured on the canvas, with the caption's
    // inset on both sides. The canvas keeps its own font settings.
    static int RowWidthFor(CCorvaneCanvas& canvas, const char* caption, int fontSize);

    using CCorvaneTextList::Create;
    int Create(int itemWidth, int itemHeight, int fontSize, uint32_t colourKey) override;
    // A new phrase row with the caption and notification, in the text
    // colour; `unused` is ignored. The row, or null.
    CCorvaneTextItem* AddItem(const char* caption, const EventRecord* notify, uint32_t textColour,
                              int unused) override;
    // Sizes the canvas to the rows, clears it and stacks the rows.
    void Layout() override;
    void Relayout() { Layout(); }
};
