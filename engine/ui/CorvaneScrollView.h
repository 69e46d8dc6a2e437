#pragma once
// A rich-text box used as a scrolling strip (single line, horizontal bar) or
// grid (wrapped rows, vertical bar) of embedded items that the user reorders
// by dragging. The item under the mouse is highlighted; a move with the
// button held starts a drag whose picture follows the pointer while a
// 4-pixel marker shows where the item will land; releasing the button moves
// the item there. The owner reads the order with GetFirstItem and
// GetNextItem; the view sends no notification of a move.
//
// Rules:
//  - Items are kept as objects of the box's elements. The hovered item, the
//    dragged item and the drop target are kept by object id and looked up
//    in the box before every use. Events for items that no longer exist
//    are swallowed.
//  - A drag starts only from the live hovered item, and ends, picture and
//    marker hidden, as soon as the dragged item leaves the box or dies;
//    a removed drop target leaves the drag without a target.
//  - Items that are caption objects highlight themselves and draw the drag
//    picture; other objects are moved all the same, without those looks.
//  - A drop moves an element's content, never the list links, so the box's
//    own bookkeeping stays whole; a drop on the dragged item itself, or
//    without a target, leaves the order unchanged.
//  - UI thread only.

#include <cstdint>

#include "engine/ui/RichText.h"

class CCorvaneCanvas;
class CCorvaneCaptionObject;

// The view's own events, param1 the item's id, param2 the input state.
inline constexpr int kEventScrollItemEnter = 1051;
inline constexpr int kEventScrollItemLeave = 1052;
inline constexpr int kEventScrollItemDrag = 1053;
inline constexpr int kEventScrollItemDrop = 1054;

inline constexpr uint32_t kScrollViewStyle = kRichScrollBars | kRichImmediateRedraw;
inline constexpr int kScrollViewCreationTag = 512;
inline constexpr int kScrollViewDragWidth = 60;
inline constexpr int kScrollViewDragHeight = 90;
inline constexpr int kScrollViewMarkerWidth = 4;
inline constexpr uint32_t kScrollViewMarkerColour = 0xE0D11F;

class CCorvaneScrollView : public CCorvaneRichText {
public:
    using CCorvaneRichText::Create;

    CCorvaneScrollView() = default;
    ~CCorvaneScrollView() override = default;

    void CreateScrollBars() override;
    int OnEvent(const EventRecord& record) override;
    // The box's deletion, then Relayout.
    void DeleteRange(RichTextElement* from, RichTextElement* to) override;
    void Reset() override;

    // The box with scroll bars and immediate redraw (one row with a
    // horizontal bar when singleLine is set), the drag picture and the
    // marker.
    virtual void Create(int width, int height, int singleLine);
    virtual void RemoveItem(CCorvaneObject* item);
    // Binds the item's pointer events to the view and appends it; an item
    // already in the view, or not registered, is ignored.
    virtual void AddItem(CCorvaneObject* item, int relayout);
    virtual void OnItemEnter(CCorvaneObject* item);
    virtual void OnItemLeave(CCorvaneObject* item, intptr_t param);
    // (x, y): the pointer in scene pixels.
    virtual void OnItemDrag(CCorvaneObject* item, int x, int y);
    virtual void OnItemDrop(int x, int y);
    virtual RichTextElement* FindItemElement(CCorvaneObject* item);
    virtual void RefreshItems();
    // Lays out every element again, then redraws. (The box's own Relayout,
    // which only renews the clip rectangles, stays reachable as
    // CCorvaneRichText::Relayout.)
    virtual void Relayout();
    virtual CCorvaneObject* GetFirstItem();
    virtual CCorvaneObject* GetNextItem(CCorvaneObject* item);

    bool IsDragging() { return DraggedElement() != nullptr; }
    CCorvaneObject* GetHoveredItem();
    CCorvaneCanvas* GetDragImage();
    CCorvaneCanvas* GetInsertionMarker();
    // The element the dragged one would go before; null with no target or
    // when the target is the end (see IsDropAtEnd).
    RichTextElement* GetDropTarget();
    bool IsDropAtEnd() const { return dropAtEnd_; }

private:
    // The element holding the object of that id, or null.
    RichTextElement* ElementOfId(int objectId);
    // The dragged item's element; a drag whose item has gone ends here.
    RichTextElement* DraggedElement();
    CCorvaneCanvas* CanvasPart(int id);
    static CCorvaneCaptionObject* AsCaption(CCorvaneObject* item);
    // The drop target for the pointer at the content point; false when
    // there is none.
    bool TargetAt(const RichPoint& local, RichTextElement** target, bool* atEnd);
    void ShowMarker(RichTextElement* target, bool atEnd);
    void HideDragParts();
    // Moves the content of `moved` before `before` (null: to the end).
    void MoveElement(RichTextElement* moved, RichTextElement* before);
    void EndDrag();
    // Ends the drag and hides its picture and marker.
    void AbandonDrag();
    // Drops hover, drag and target whose items have left the box.
    void ForgetVanishedItems();

    int draggedId_ = 0;
    int hoveredId_ = 0;
    int dragImageId_ = 0;
    int markerId_ = 0;
    int dropTargetId_ = 0;
    bool dropAtEnd_ = false;
};
