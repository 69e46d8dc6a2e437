#pragma once
// A vertically scrolling list of rows on the rich-text box, and its row.
//
// Every row is a CCorvaneListItem standing in the box as an embedded object
// (one element per row), so the box lays the rows out, clips and scrolls
// them. A click on a row selects it; a second click deselects it. A selected
// row may grow a detail object below it (made by a subclass of the row); the
// list then lays its rows out again and scrolls the whole selected row into
// view.
//
// Rules:
//  - Rows show the frames of their row picture as looks: 0 and 1 alternate
//    by row index, 3 while hovered, 4 while pressed or selected. Removing a
//    row renumbers the rest so the alternation stays right.
//  - The list keeps its selection by id and checks, on every access, that
//    the row is still one of its own; a click notification that names an
//    object which is not a live row of the list is swallowed.
//  - A row owns its data block, its row picture (the peer), its text canvas
//    and its detail object; they all die with the row.
//  - UI thread only.

#include <cstdint>
#include <vector>

#include "engine/ui/CorvaneInlineObject.h"
#include "engine/ui/RichText.h"

class CCorvaneCanvas;

// Sent by a row to its list when pressed; param1 is the row.
inline constexpr int kEventListItemClicked = 80000101;

// Row looks (frames of the row picture).
inline constexpr int kListLookEven = 0;
inline constexpr int kListLookOdd = 1;
inline constexpr int kListLookHover = 3;
inline constexpr int kListLookSelected = 4;

// How a row's detail object hangs from the row picture.
inline constexpr uint32_t kListDetailLink = 0x11C0A3;

class CCorvaneListItem : public CCorvaneInlineObject {
public:
    using CCorvaneObject::Create;

    CCorvaneListItem() = default;
    ~CCorvaneListItem() override = default;

    int OnEvent(const EventRecord& record) override;
    // The row, plus the detail object while selected with one.
    double GetHeight() override;
    // While selected with a detail, (x, y) is the centre of the block of row
    // and detail: the row fills its top, the detail its bottom.
    void SetPos(double x, double y) override;
    // The row, and the detail while selected.
    void Show() override;
    void ShowObject(int arg) override;
    // The rich text's view size: the row spans the view's width, keeping its
    // height.
    void OnLayout(int viewWidth, int viewHeight) override;

    // Stores the owner, makes the row picture of the frame state (the peer,
    // width x height) and the text canvas over it, and binds the picture's
    // input. 1 when the picture was made.
    virtual int Create(int ownerId, const FrameRecord& frame, int width, int height);
    // Keeps a copy of `size` bytes (none for null data or a size of 0 or
    // less).
    virtual void SetData(const void* data, int size);
    virtual void OnHover();
    virtual void OnLeave();
    virtual void OnPress();
    // Stores the row's position and shows its look (selected, or even and
    // odd alternating). style is a look variant for rows that draw their
    // own; the plain row has one look per position and ignores it.
    virtual void SetIndex(int index, int style = 0);
    // The text drawn over the row in "宋体": colour 0xFF00FF keeps the pen,
    // font size 0 takes int setting 6.
    virtual void SetText(const char* text, uint32_t colour, int fontSize);
    virtual void SetSelected(int flag);
    virtual CCorvaneObject* GetDetail();
    virtual int GetIndex() { return index_; }
    // Subclasses make the detail object here and store it with SetDetail.
    virtual void CreateDetail() {}
    // Subclasses arrange the shown detail here.
    virtual void OnDetailShown() {}

    int IsSelected() const { return selected_; }
    int GetOwnerId() const { return ownerId_; }
    const std::vector<uint8_t>& GetData() const { return data_; }
    bool HasData() const { return !data_.empty(); }
    CCorvanePicture* GetRowPicture() { return GetPicture(); }
    CCorvaneCanvas* GetTextCanvas();
    // The row's own height, without the detail.
    int GetRowHeight();

    // The result rows' name for the hover look.
    void Mark() { OnHover(); }

protected:
    void SetDetail(CCorvaneObject* detail) { detailId_ = detail != nullptr ? detail->GetId() : 0; }

private:
    // The detail object while the row is selected and has one, else null.
    CCorvaneObject* ShownDetail();
    void ShowLook(int frame);

    std::vector<uint8_t> data_;
    int textCanvasId_ = 0;
    int detailId_ = 0;
    int index_ = 0;
    int selected_ = 0;
    int ownerId_ = 0;
};

class CCorvaneListView : public CCorvaneRichText {
public:
    using CCorvaneRichText::Create;

    CCorvaneListView() = default;
    ~CCorvaneListView() override = default;

    void CreateScrollBars() override;
    int OnEvent(const EventRecord& record) override;
    void Reset() override;

    // Makes the row (width limited to the view width), gives it the data and
    // its index and appends it. The item, or null when it could not be made
    // (the item is then destroyed). A row already in the list is returned
    // unchanged.
    virtual CCorvaneListItem* AddItem(CCorvaneListItem* item, const void* data, int dataSize,
                                      const FrameRecord& frame, int width, int height);
    // Selects the row, or deselects it when it is the selected one; null
    // clears the selection. A row of another list is ignored.
    virtual void Select(CCorvaneListItem* item);

    int GetItemCount() { return GetElementCount(); }
    // Removes the row at the position (nothing when out of range), renumbers
    // the rest and redraws.
    void RemoveItem(int position);
    // The row at the position, or null.
    CCorvaneListItem* GetItem(int position);
    CCorvaneListItem* GetSelected();

private:
    CCorvaneListItem* ItemOf(const RichTextElement* element);
    // The row among this list's rows that is `candidate`, or null; the
    // candidate is compared, never dereferenced.
    CCorvaneListItem* FindLiveItem(const void* candidate);
    // Element heights from the rows, layout, scrolling to the selected row,
    // redraw.
    void UpdateRows();

    int selectedId_ = 0;
};
