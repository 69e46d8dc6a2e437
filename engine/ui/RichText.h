#pragma once
// The rich-text box: a control that shows a growing list of styled GBK
// characters and embedded objects, wraps them into lines, scrolls, lets the
// user select and copy, and turns markup into links, pictures, animations
// and buttons. Chat, notices and result lists show their texts in it; the
// edit box, scroll view and list view derive from it.
//
// Rules:
//  - The element list, the element count, the line count and the content
//    extent always describe the same elements: every operation that changes
//    the list lays out and recounts what it touched.
//  - Text is input from outside (other players' chat): every tag, length and
//    index is checked; the scan never reads past a text's terminator and
//    always moves forward.
//  - Every line stands at least a pixel below the one before it, whatever
//    the sizes in it, and the line limit removes exactly the lines it
//    counts, so a box never loses track of its lines.
//  - Parts made by the box (canvases, scroll bars, link records, embedded
//    objects) are kept as ids and looked up, kind checked, on every access;
//    a part destroyed elsewhere is simply missing.
//  - Content coordinates: x from the text area's left edge, y down from the
//    first line laid out; the scroll position is the content point at the
//    text area's top-left corner, never above the content top.
//  - Repaints are coalesced into one deferred refresh per engine frame
//    (style 0x20000 repaints at once); the pixels of the previous refresh are
//    reused for characters that neither moved nor changed (appends and
//    vertical scrolling); every other change forbids the reuse.
//  - Everything runs on the UI thread, inside a frame or under the core lock.
//
// The operations are split by concern: RichText.cpp (the model: creation,
// faces, content operations), RichTextMarkup.cpp (the markup scan),
// RichTextLayout.cpp (layout, scrolling, drawing) and RichTextInput.cpp
// (events, caret, selection, clipboard, links).

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/CorvaneControl.h"
#include "engine/ImageRecord.h"
#include "engine/MemPool.h"
#include "engine/ui/RichTextElement.h"

class CCorvaneCanvas;
class CCorvaneScrollBar;

// Style bits of the box.
inline constexpr uint32_t kRichScrollBars = 0x1;
inline constexpr uint32_t kRichFollow = 0x2;
inline constexpr uint32_t kRichSelectable = 0x4;
inline constexpr uint32_t kRichExtraPart = 0x8;
inline constexpr uint32_t kRichBackgroundImage = 0x100;
inline constexpr uint32_t kRichBackgroundColor = 0x200;
inline constexpr uint32_t kRichLiveLinks = 0x400;
inline constexpr uint32_t kRichUrlLoad = 0x800;
inline constexpr uint32_t kRichSingleLine = 0x2000;
inline constexpr uint32_t kRichEditable = 0x4000;
inline constexpr uint32_t kRichAutoHeight = 0x8000;
inline constexpr uint32_t kRichPassword = 0x10000;
inline constexpr uint32_t kRichImmediateRedraw = 0x20000;
inline constexpr uint32_t kRichHideOnDeactivate = 0x80000;
inline constexpr uint32_t kRichDefaultStyle = kRichBackgroundColor | kRichFollow;

// Program events the box answers.
inline constexpr int kEventRichRefresh = 80000002;
inline constexpr int kEventRichCopy = 80000003;
inline constexpr int kEventRichNotify = 80000004;
inline constexpr int kEventRichClear = 80000005;
inline constexpr int kEventRichIgnored = 80000006;
inline constexpr int kEventRichText = 80000008;

inline constexpr int kRichMaxFaces = 20;
inline constexpr int kRichFaceBytes = 32;
inline constexpr int kRichDefaultMaxLines = 1000;
inline constexpr int kRichDefaultSizeLimit = 1000;
// Element sizes are 16-bit: no font size or object side goes beyond this.
inline constexpr int kRichMaxElementSide = 0xFFFF;
// The smallest font size: a single-byte character is a pixel wide and a
// line a pixel high. Smaller sizes, from markup or callers, are raised to it.
inline constexpr int kRichMinFontSize = 2;
inline constexpr double kRichDefaultLineSpacing = 0.2;
inline constexpr uint32_t kRichDefaultTextColor = 0x010101;
inline constexpr uint32_t kRichSelectionColor = 0x7CA781;
// Line tops and the x of a single line never pass this, so that a position
// plus an element's size stays an int.
inline constexpr int kRichMaxPosition = 1 << 30;
// When trimming moves the content top past this, the remaining content is
// moved up to start at 0 again (a long-lived box trims forever).
inline constexpr int kRichRebaseTop = 1 << 28;
// Reuse of the previous frame is forbidden while the last drawn scroll y
// holds this value.
inline constexpr int kRichNoReuse = 0xF000000;

// A content point.
struct RichPoint {
    int x = 0;
    int y = 0;
};

class CCorvaneRichText : public CCorvaneControl {
public:
    CCorvaneRichText();
    ~CCorvaneRichText() override;

    // --- Inherited operations the box replaces ---
    void SetPos(double x, double y) override;
    void MoveBy(double dx, double dy) override;
    void Scale(double fx, double fy) override;
    void EnableDrag(int on) override;
    int OnEvent(const EventRecord& record) override;

    // --- The box's own virtual operations (RichText.cpp unless noted) ---
    // Makes the canvases, applies the style, registers the faces, takes the
    // font size of int setting 5 and resets.
    virtual void Create(int width, int height, uint32_t style, int creationTag);
    using CCorvaneControl::Create;
    virtual void CreateExtraPart() {}
    virtual void CreateScrollBars();
    virtual void RedrawBackground();
    virtual void SetViewSize(int width, int height);  // RichTextLayout.cpp
    virtual void Update();
    virtual void SetMaxLines(int lines);
    virtual void SetBackgroundSize(int width, int height);
    virtual void SetBackgroundColor(uint32_t color);
    // The background colour (SetBackgroundColor); the colour key 0xFF00FF
    // leaves the background transparent.
    void SetBackColor(uint32_t color) { SetBackgroundColor(color); }
    virtual void SetBackgroundImage(const char* name);
    virtual void DrawBackgroundFrame(const FrameRecord& frame, int x, int y, int width, int height);
    // RichTextMarkup.cpp: nonzero when the tag's content was understood.
    virtual int ParseTag(const std::string& content);
    virtual int BuildElements(const std::string& content);
    // The new face count; the count unchanged when the table is full.
    virtual int AddFace(const char* name);
    virtual int GetViewWidth() { return viewWidth_; }
    virtual int GetViewHeight() { return viewHeight_; }
    virtual double GetObjectZ();
    virtual int GetElementCount() { return elementCount_; }
    // AppendText, then frees the heap text (FreeEventBlock).
    virtual void AppendOwnedText(char* text);
    virtual void AppendText(const char* text);
    virtual void InsertObject(CCorvaneObject* object);
    virtual void ParseText(const char* text);  // RichTextMarkup.cpp
    virtual void FollowContent();              // RichTextLayout.cpp
    virtual void Redraw();                     // RichTextLayout.cpp
    virtual void DeleteBackward();
    virtual void DeleteForward();
    virtual void RemoveElementAt(int index);
    virtual void DeleteRange(RichTextElement* from, RichTextElement* to);
    virtual void DeleteElement(RichTextElement* element);
    // With destroyObject nonzero the object dies with its element; otherwise
    // it survives and only the element goes.
    virtual void RemoveObject(int objectId, int destroyObject);
    virtual void HideElementAt(int index);
    // The element (null when the index is out of range) and its index.
    virtual RichTextElement* ShowElementAt(int index, int* indexOut);
    virtual void ShowAllElements();
    virtual void FreeElement(RichTextElement* element);
    virtual void ElementHook(intptr_t) {}
    virtual void Reset();
    virtual void UpdateScrollBars();           // RichTextLayout.cpp
    virtual void OpenUrl(const char* target);  // RichTextMarkup.cpp
    virtual void ScrollUp() { ScrollLineUp(); }
    virtual void ScrollDown() { ScrollLineDown(); }
    virtual int LoadUrl(const char*, const char*, int, const char*) { return 0; }
    virtual void OnNotify(const EventRecord&) {}
    // RichTextInput.cpp.
    virtual void OnPointerMove(int x, int y);
    virtual void OnDragSelect(int x, int y);
    virtual void OnButtonDown(int x, int y);
    virtual void OnButtonUp(int x, int y);
    virtual void OnKeyDown(int key, int value);
    virtual void OnDoubleClick(int x, int y);
    virtual void OnDeactivate();
    virtual void CreateCaret();
    virtual void PlaceCaret(RichTextElement* element);
    virtual void HideCaret();
    virtual void SetHoverCursor();
    virtual void RestoreCursor();
    // RichTextLayout.cpp.
    virtual void Refresh(int reuse);
    virtual RichPoint ToLocal(double x, double y);  // RichTextInput.cpp
    virtual void TrimLines();
    // Lays out `count` elements from `first` with the pen at (x, y); where
    // the next element goes.
    virtual RichPoint LayoutElements(int x, int y, RichTextElement* first, int count);

    // --- Content (RichText.cpp) ---
    // One character element of the current style from the bytes; the bytes
    // used (1 or 2; 1 for a lead byte at the very end, which is dropped).
    int AddChar(const char* bytes);
    // An object element for the object; null when the pool is exhausted.
    RichTextElement* NewElement(CCorvaneObject* object);
    void QueueElement(RichTextElement* element);
    void FlushElements();
    RichTextElement* GetElement(int index);
    RichTextElement* GetLastElement() { return last_; }
    RichTextElement* GetFirstElement() { return first_; }
    RichTextElement* GetInsertionPoint() { return insertion_; }
    CCorvaneScrollBar* GetVertScrollBar();
    CCorvaneScrollBar* GetHorzScrollBar();
    uint32_t GetStyle() const { return style_; }
    void SetTextOffset(int x, int y);
    void EnableMarkup(bool on);
    void SetCapacity(int sizeLimit);
    CCorvaneCanvas* GetTextCanvas();
    CCorvaneCanvas* GetBaseCanvas();
    void SetTextColor(uint32_t color);
    uint32_t GetTextColor() const { return textColor_; }
    void SetCaretColor(uint32_t color);
    void SetFontSize(int pixels);
    int GetFontSize() const { return fontSize_; }
    void SetLineSpacing(int pixels);
    double GetLineSpacing() const { return lineSpacing_; }
    void SetCharSpacing(int pixels);
    int GetCharSpacing() const { return charSpacing_; }
    int GetFaceCount() const { return faceCount_; }
    const char* GetFace(int index) const;
    int GetLineCount() const { return lineCount_; }
    int GetContentTop() const { return contentTop_; }
    int GetContentHeight() const { return contentHeight_; }
    int GetContentWidth() const { return contentWidth_; }
    int GetScrollX() const { return scrollX_; }
    int GetScrollY() const { return scrollY_; }
    int GetMaxLines() const { return maxLines_; }
    int GetSizeLimit() const { return sizeLimit_; }
    int GetCreationTag() const { return creationTag_; }
    void SetBottomMargin(int pixels) { bottomMargin_ = std::clamp(pixels, 0, kRichMaxElementSide); }
    // Link records alive: the link map's size.
    size_t GetLinkCount() const { return links_.size(); }
    // The ids of the objects the last refresh attached to the text canvas.
    const std::vector<int>& GetDrawnObjects() const { return drawnObjects_; }
    bool IsRefreshPending() const { return redrawPending_ != 0; }

    // --- Layout, scrolling and queries (RichTextLayout.cpp) ---
    void Relayout();
    // Lays out every element again from the content top.
    void RelayoutAll();
    void UpdateInlineObjects();
    void ScrollTo(int position);
    void ScrollToTop();
    void ScrollToBottom();
    void ScrollLineUp();
    void ScrollLineDown();
    void RecountContent();
    RichTextElement* ElementFromY(int y);
    RichTextElement* ElementFromPoint(int x, int y);
    RichTextElement* LastOfLine(RichTextElement* element);
    RichTextElement* NextVisibleElement(RichTextElement* element);
    RichTextElement* CaretElementAt(int x, int y);
    RichTextElement* SelectionEndAt(int x, int y);
    // The line advance of a line of that height.
    int LineAdvance(int lineHeight) const;
    // How far a line's hit and highlight area reaches below its elements.
    int LineGrowth(int lineHeight) const;

    // --- Input (RichTextInput.cpp) ---
    void EnableSelection(bool on);
    void CaretLeft();
    void CaretRight();
    void CaretUp();
    void CaretDown();
    void MarkSelection(RichTextElement* first, RichTextElement* last);
    void UpdateSelection();
    void ClearSelection();
    void SelectWordAt(int x, int y);
    void SelectAll();
    // Opens the target of a link activation (80000007) whose sender, named
    // by id in param2, is a live link record of this box or a live link
    // button it holds; the target is the sender's own. Anything else is
    // ignored.
    void OpenActivatedLink(const EventRecord& record);
    // The selected text (objects as their type names) on the clipboard;
    // false when nothing was copied.
    bool CopySelection();
    void PasteText();
    CCorvaneRichTextElement* GetLinkOfElement(RichTextElement* element);
    CCorvaneRichTextElement* FindLinkObject(RichTextElement* linkStart);
    void MapLinkElement(RichTextElement* element, int id);
    RichTextElement* GetSelectionFirst() { return selectionFirst_; }
    RichTextElement* GetSelectionLast() { return selectionLast_; }
    bool HasSelection() const { return selectionFirst_ != nullptr; }
    bool IsSelecting() const { return selecting_ != 0; }
    bool IsCaretVisible();
    int GetHoveredLinkId() const { return hoveredLinkId_; }
    // The text of the elements [first, end), objects as their type names.
    std::string TextOfRange(RichTextElement* first, RichTextElement* end);

protected:
    // Stores the style and applies its bindings and parts (from Create).
    void SetStyle(uint32_t style);
    // Live links take clicks on the text even when the box is not
    // selectable: the text canvas's button-down goes to the box.
    void BindLinkClicks();
    // The object of an object element, or null.
    CCorvaneObject* ObjectOf(const RichTextElement* element);
    // A canvas part by id, kind checked.
    CCorvaneCanvas* CanvasById(int id);
    CCorvaneScrollBar* ScrollBarById(int id);
    // The face table entry of the name, added when there is room; null when
    // the table is full.
    const char* FindFace(const char* name);
    // A zeroed element from the pool; null when the pool refuses.
    RichTextElement* AllocElement();
    // The element before `element` in the list; null for the first and for
    // an element that is not in the list.
    RichTextElement* PreviousOf(RichTextElement* element);
    // Scroll limits of the current content.
    int MaxScrollY() const;
    int MaxScrollX() const;
    // Forbids reusing the previous frame at the next refresh.
    void ForbidReuse() { lastDrawnScrollY_ = kRichNoReuse; }
    // The part a derived box made in CreateExtraPart; the box destroys it
    // when style bit 0x8 goes and with itself.
    void SetExtraPart(CCorvaneObject* part) { extraPartId_ = part != nullptr ? part->GetId() : 0; }
    CCorvaneObject* GetExtraPart() { return FindObjectById(extraPartId_); }

private:
    struct TextStyle {
        int fontSize = 0;
        char face[kRichFaceBytes] = {};
        uint32_t color = 0;
        uint32_t flags = 0;
    };
    struct LineCursor;

    // Markup (RichTextMarkup.cpp).
    void ScanHash(const char* text, size_t& pos);
    void ScanTag(const char* text, size_t& pos);
    void AddLink(const std::string& target, const std::string& visible, const std::string& picture);
    int BuildInlineObject(const std::string& key, const std::string& value);
    int BuildLinkButton(const std::string& value);
    TextStyle CurrentStyle() const;
    void RestoreStyle(const TextStyle& style);

    // Layout (RichTextLayout.cpp).
    void PlaceLine(LineCursor& cursor, RichTextElement* end, bool finished);
    int NextLineTop(int top, int lineHeight) const;
    RichPoint LayoutSingleLine(int x, int y, RichTextElement* first, int count);
    void DrawElement(CCorvaneCanvas& canvas, RichTextElement* element, bool reuse);
    bool CopyFromPreviousFrame(CCorvaneCanvas& canvas, const RichTextElement& element);
    void DrawCharacter(CCorvaneCanvas& canvas, const RichTextElement& element);
    void DrawObject(CCorvaneCanvas& canvas, const RichTextElement& element);
    void DetachDrawnObjects();
    void PlaceScrollBars();
    bool ElementHitsLine(const RichTextElement& element, int y) const;
    // Frees the first line's elements; the lines it held (0 when none of
    // them is visible).
    int RemoveFirstLine();
    // Moves every coordinate up by the content top, which becomes 0.
    void RebaseContent();
    // The content height from the last element, with the room kept below
    // it; a short content scrolls to its top.
    void MeasureContentHeight();
    IntRect TextArea();

    // Content (RichText.cpp).
    void FreeAllElements();
    void DestroyLinkRecords();
    void ApplySelectionBeforeAppend();
    void CommitAtInsertionPoint();
    void CommitAtEnd();
    void DeleteSelectionContent();

    // Input (RichTextInput.cpp).
    void LeaveHoveredLink();
    RichPoint ClampIntoTextArea(double x, double y);
    // Where the caret stands in front of the element (null: behind the last
    // element): content left, line top and height.
    void CaretGeometry(RichTextElement* element, int* left, int* top, int* height);
    // Tells the input method that the caret's scene rectangle (1 pixel wide)
    // is where text goes in, so its windows open there.
    void MoveInputMethodArea(double left, double top, int height);
    // The first visible element of the line with that top, or null.
    RichTextElement* FirstOfLine(int lineTop);

    // Parts.
    int textCanvasId_ = 0;
    int baseCanvasId_ = 0;
    int selectionCanvasId_ = 0;
    int caretCanvasId_ = 0;
    int vertBarId_ = 0;
    int horzBarId_ = 0;
    int extraPartId_ = 0;
    int hoveredLinkId_ = 0;

    uint32_t style_ = kRichDefaultStyle;
    int creationTag_ = 0;
    int maxLines_ = kRichDefaultMaxLines;
    int lineCount_ = 0;
    int elementCount_ = 0;
    int sizeLimit_ = kRichDefaultSizeLimit;
    int bottomMargin_ = 0;
    double lineSpacing_ = kRichDefaultLineSpacing;
    int charSpacing_ = 0;
    std::map<RichTextElement*, int> links_;  // link start -> link record id

    RichTextElement* pendingHead_ = nullptr;
    RichTextElement* pendingTail_ = nullptr;
    int pendingCount_ = 0;

    TextStyle runStyle_;  // the style when the current run began
    bool updatingBars_ = false;

    int redrawPending_ = 0;
    uint32_t lastRefreshTime_ = 0;
    int width_ = 0;
    int height_ = 0;
    int viewWidth_ = 0;
    int viewHeight_ = 0;
    // The size last given to SetViewSize, before a scroll bar takes its part.
    int viewAreaWidth_ = 0;
    int viewAreaHeight_ = 0;
    std::string backgroundImage_;
    int textOffsetX_ = 0;
    int textOffsetY_ = 0;
    int contentTop_ = 0;
    int scrollX_ = 0;
    int scrollY_ = 0;
    int lastDrawnScrollY_ = kRichNoReuse;
    int lastDrawnScrollX_ = 0;
    int contentHeight_ = 0;
    int contentWidth_ = 0;
    CMemPool pool_;
    bool poolReady_ = false;
    std::vector<int> drawnObjects_;

    int fontSize_ = kRichMinFontSize;
    char face_[kRichFaceBytes] = {};
    uint32_t textColor_ = kRichDefaultTextColor;
    uint32_t textFlags_ = 0;
    std::vector<uint8_t> previousFrame_;  // view width x view height pixels

    int penX_ = 0;
    int penY_ = 0;
    int lineHeight_ = 0;            // of the unfinished last line
    bool openLineCounted_ = false;  // the unfinished line holds a visible element
    RichTextElement* first_ = nullptr;
    RichTextElement* last_ = nullptr;
    RichTextElement* insertion_ = nullptr;
    RichTextElement* selectionFirst_ = nullptr;
    RichTextElement* selectionLast_ = nullptr;
    int lastDrawnX_ = 0;
    int lastDrawnY_ = 0;
    int anchorX_ = 0;
    int anchorY_ = 0;
    int endX_ = 0;
    int endY_ = 0;
    int selecting_ = 0;
    char faces_[kRichMaxFaces][kRichFaceBytes] = {};
    int faceCount_ = 0;
    int vertBarShown_ = 0;
    int horzBarShown_ = 0;
    bool created_ = false;
};
