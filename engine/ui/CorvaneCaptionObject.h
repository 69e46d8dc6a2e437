#pragma once
// An inline object that shows a picture with a caption below or beside it,
// an optional number in its top-left corner and a highlight. It is the item
// of the draggable scroll view, which uses its highlight for hover and its
// DrawInto for the drag image; the frame's activity bar fills such a view.
//
// Rules:
//  - The frame canvas is the item's whole surface and its peer; the picture
//    and the caption canvas are owned children of it, just above it, that
//    follow its position, z, visibility and invalidation. Parts are kept by
//    id and looked up on every access.
//  - The picture is fitted into the square box (engine setting 7) keeping
//    its aspect ratio; a smaller picture keeps its size. The caption font
//    size is engine setting 6. Settings below 0 count as 0.
//  - The highlight is drawn on the frame canvas only (white at 40 %
//    opacity with a black frame); picture and caption keep their opacity.
//    The number, when 0 or more, is redrawn with every highlight change.
//  - A caption change is shown at once, in the colours last given to
//    SetCaptionText.
//  - Events with id 0 are swallowed; the rest go to the inline object.
//  - UI thread only.

#include <cstdint>
#include <string>

#include "engine/ImageRecord.h"
#include "engine/ui/CorvaneInlineObject.h"

class CCorvaneCanvas;
class CCorvanePicture;

// Caption layouts.
inline constexpr int kCaptionBelow = 0;
inline constexpr int kCaptionBeside = 1;
// Engine integer settings that size the item.
inline constexpr int kSettingCaptionFontSize = 6;
inline constexpr int kSettingCaptionBoxSize = 7;

class CCorvaneCaptionObject : public CCorvaneInlineObject {
public:
    CCorvaneCaptionObject() = default;
    ~CCorvaneCaptionObject() override = default;

    int OnEvent(const EventRecord& record) override;

    // The picture over a caption of `lines` lines. With animate, a picture
    // of several frames loops through them. 1 when the item was made.
    virtual int CreateBelow(const FrameRecord& frame, const char* caption, int animate, int lines);
    // The picture left of a one-line caption `captionBytes` bytes wide.
    virtual int CreateBeside(const FrameRecord& frame, const char* caption, int captionBytes,
                             int animate);
    // The side of the square picture box.
    virtual int GetBoxSize();
    // Shows another image, fitted into the box and placed for the layout.
    virtual void SetPicture(const FrameRecord& frame);
    // Stores and shows the caption, then re-applies the highlight.
    virtual void SetCaption(const char* text);
    // 1 on, 0 off.
    virtual void SetHighlight(int state);
    // Drawn at the next highlight change; negative for none.
    virtual void SetNumber(int number);
    virtual void DrawNumber();
    // The drag image: the target canvas takes the item's size and depth at
    // 75 % opacity and gets the picture and the caption, not the highlight.
    virtual void DrawInto(CCorvaneCanvas* canvas);
    // Stores the caption and draws it on the caption canvas in textColour
    // over backgroundColour (0xFF00FF: transparent).
    virtual void SetCaptionText(const char* text, uint32_t textColour, uint32_t backgroundColour);

    int GetHighlight() const { return highlight_; }
    int GetNumber() const { return number_; }
    const std::string& GetCaption() const { return caption_; }
    int GetLayout() const { return layout_; }
    int GetFontSize();
    CCorvanePicture* GetItemPicture();
    CCorvaneCanvas* GetTextCanvas();
    CCorvaneCanvas* GetFrameCanvas();

private:
    // Makes the picture and the frame canvas of the size; false when the
    // frame canvas could not be made.
    bool MakeParts(const FrameRecord& frame, int frameWidth, int frameHeight);
    // The caption canvas of the size centred on (x, y), linked to the frame.
    void MakeTextCanvas(int width, int height, double x, double y);
    void LinkPart(CCorvaneObject* part);
    // Fits the picture into the box and puts it in its place.
    void PlacePicture();
    void DrawCaption();
    void StartAnimation(int animate);

    int highlight_ = 0;
    int number_ = -1;
    int imageId_ = 0;
    int textCanvasId_ = 0;
    int frameCanvasId_ = 0;
    std::string caption_;
    int layout_ = kCaptionBelow;
    uint32_t captionColour_ = 0xFFFFFF;
    uint32_t captionBackground_ = kDefaultColorKey;
};
