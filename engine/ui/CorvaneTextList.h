#pragma once
// A framed vertical list of text items, used as a pop-up menu: it hides
// itself when it loses the keyboard focus, and each row sends its own
// EventRecord when clicked.
//
// Rules:
//  - The frame canvas is the peer; rows are attached to the list (so to the
//    canvas) in the order added and follow its position, z, visibility and
//    invalidation. The list made its rows, so they go with it.
//  - Rows are kept by id and looked up on every access; a row destroyed on
//    its own simply drops out of the list. The rows' next pointers are
//    relinked over the live rows whenever the list is touched, so a walk
//    along them starts with GetFirstItem.
//  - Layout stacks the rows inside a margin and draws a one-pixel black
//    frame; an empty list hides itself. Adding a row never shows the list.
//  - UI thread only.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"

class CCorvaneCanvas;
class CCorvaneTextItem;

// The link with which the list holds its rows: hide, show, position, z,
// invalidation, and ownership.
inline constexpr uint32_t kTextListRowLink = 0x198020 | kLinkOwned;

class CCorvaneTextList : public CCorvaneControl {
public:
    CCorvaneTextList() = default;
    ~CCorvaneTextList() override = default;

    // Stores the sizes, makes the frame canvas (itemWidth x itemHeight,
    // colourKey), makes the list focusable, hides it when it loses the
    // focus, makes it topmost. 1 when the canvas was made.
    using CCorvaneObject::Create;
    virtual int Create(int itemWidth, int itemHeight, int fontSize, uint32_t colourKey);
    // Appends a row with the caption, the click notification (may be null)
    // and the text colour, and lays the list out. `extra` is ignored. The
    // row, or null when none could be made.
    virtual CCorvaneTextItem* AddItem(const char* caption, const EventRecord* notify,
                                      uint32_t textColour, int extra);
    // Enables or disables input of every row whose click notification
    // names that target and event.
    virtual void EnableItemByNotify(int targetId, int eventId, int enable);
    virtual void Layout();
    // The row at index from 0, or null.
    virtual CCorvaneTextItem* GetItem(int index);
    // The first row whose caption equals the text byte for byte, or null.
    virtual CCorvaneTextItem* FindItem(const char* caption);

    CCorvaneTextItem* GetFirstItem() { return GetItem(0); }
    int GetItemCount();
    CCorvaneCanvas* GetCanvas();
    int GetItemWidth() const { return itemWidth_; }
    int GetItemHeight() const { return itemHeight_; }
    int GetFontSize() const { return fontSize_; }
    int GetMargin() const { return margin_; }

protected:
    // A new, unregistered row for AddItem; lists with rows of their own
    // kind make theirs here.
    virtual CCorvaneTextItem* NewRow();
    // Puts a registered row at the end of the list's rows.
    void AppendRow(CCorvaneTextItem* row);
    // Without rows: hides the list and answers null. Otherwise sizes the
    // canvas (pixels and object) to the rows and the margins, clears it and
    // answers it (null without a canvas).
    CCorvaneCanvas* FitCanvasToRows(size_t count);
    // The live rows in order; forgets dead ones and relinks the rest.
    std::vector<CCorvaneTextItem*> LiveRows();

private:
    int itemWidth_ = 0;
    int itemHeight_ = 0;
    int fontSize_ = 12;
    int margin_ = 2;
    std::vector<int> rowIds_;
};
