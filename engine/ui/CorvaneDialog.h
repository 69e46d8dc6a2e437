#pragma once
// The engine's framed panel: a control that draws a resizable frame from one
// skin image, a title line, and hosts one child object. Option dialogs,
// safe-box dialogs and notice boxes derive from it and paint their own texts
// and images on its drawing surface.
//
// The frame image stretches about a cross found in the image itself: down
// its middle column the first fully transparent row inside the drawn extent
// is the stretch row, and the transparent gap around that point (widened
// left, right, up and down while alpha stays 0) is where the frame
// stretches. Everything outside the gap is fixed border: the corners keep
// their size, the edges stretch along the border, the centre is filled with
// the centre image or the centre colour (0xFF00FF, the colour key, leaves it
// transparent).
//
// Rules:
//  - The frame canvas covers the dialog. Above it lie, from low to high,
//    the drawing surface and the child on the centre rectangle, and the text
//    canvas on the title area (the top border across the whole width).
//  - Every part is made topmost with the frame canvas, moves, shows and dies
//    with the dialog, and is kept as an id, looked up (kind checked) on
//    every access. A dialog is made once; making it again re-skins it.
//  - A frame image whose picture is missing draws no border: the centre is
//    the whole dialog.
//  - Everything runs on the UI thread.

#include <cstdint>
#include <string>

#include "engine/CorvaneControl.h"
#include "engine/ImageRecord.h"
#include "engine/ObjectState.h"

class CCorvaneCanvas;

// The nine parts of the frame, row by row.
enum DialogPart {
    kDialogTopLeft,
    kDialogTop,
    kDialogTopRight,
    kDialogLeft,
    kDialogCentre,
    kDialogRight,
    kDialogBottomLeft,
    kDialogBottom,
    kDialogBottomRight,
    kDialogPartCount
};

// Where the frame image's parts come from (picture pixels) and where they go
// (dialog pixels, from its top-left corner) for the current size.
struct DialogFrameLayout {
    IntRect bounds;   // the whole dialog
    IntRect image;    // the frame image's rectangle in its picture
    IntRect stretch;  // the stretch gap inside it
    IntRect source[kDialogPartCount];
    IntRect target[kDialogPartCount];
};

inline constexpr char kDialogTitleFace[] = "宋体";
inline constexpr int kDialogTitleSize = 14;
inline constexpr int kDialogTitleX = 7;
inline constexpr int kDialogTitleY = 5;

class CCorvaneDialog : public CCorvaneControl {
public:
    using CCorvaneObject::Create;

    CCorvaneDialog() = default;
    ~CCorvaneDialog() override = default;

    // The dialog's size: lays the frame out for it and redraws. Children
    // attached to the dialog keep their own size.
    void SetSize(double width, double height) override;
    // The same as SetSize.
    void Resize(double width, double height) override;

    // Makes the dialog with a centre image stretched over the centre.
    virtual void CreateWithImage(const FrameRecord& frameImage, const FrameRecord& centreImage,
                                 int width, int height);
    // Makes the dialog with the centre filled in a colour (0x00BBGGRR).
    virtual void Create(const FrameRecord& frameImage, uint32_t centreColour, int width,
                        int height);
    virtual void SetTitle(const char* text);
    // Takes the frame image and finds its stretch cross; the next SetSize
    // lays it out.
    virtual void SetFrameImage(const FrameRecord& frameImage);
    // The title on the text canvas, "宋体" 14, at (7, 5).
    virtual void DrawTitle();
    // Sizes and places the parts, then draws title and frame.
    virtual void Redraw();

    // Hosts the object on the centre rectangle, destroying the previous
    // child; a null object leaves no child. Refused (null, the old child
    // kept) for the dialog, an object that holds it, one of its own parts or
    // an object inside the old child. Answers the object.
    CCorvaneObject* SetChild(CCorvaneObject* object);
    // The drawing surface's rectangle (dialog pixels); answers out.
    IntRect* GetSurfaceRect(IntRect* out);
    // The drawing surface, made on first use over the centre rectangle.
    CCorvaneCanvas* GetSurface();

    const std::string& GetTitle() const { return title_; }
    uint32_t GetCentreColour() const { return centreColour_; }
    const DialogFrameLayout& GetLayout() const { return layout_; }
    // The title area (dialog pixels).
    IntRect GetTitleRect() const;
    // The parts, or null.
    CCorvaneCanvas* GetFrameCanvas();
    CCorvaneCanvas* GetTextCanvas();
    CCorvaneObject* GetChild();

    // Other names callers use: the base frame as the frame image, the middle
    // frame as the centre image, at the dialog's present size.
    void SetBackground(const FrameRecord& base, const FrameRecord& middle);

private:
    // Frame image, size and canvases, shared by both ways of making.
    void Build(const FrameRecord& frameImage, int width, int height);
    void LayOut(int width, int height);
    // Sizes the object to the rectangle and centres it there on the frame
    // canvas.
    void Place(CCorvaneObject& object, const IntRect& rect, CCorvaneCanvas& frame);
    void DrawFrame(CCorvaneCanvas& frame);
    bool IsOwnPart(const CCorvaneObject* object);

    std::string title_;
    FrameRecord frameImage_;
    FrameRecord centreImage_;
    uint32_t centreColour_ = kDefaultColorKey;
    int frameCanvasId_ = 0;
    int textCanvasId_ = 0;
    int childId_ = 0;
    DialogFrameLayout layout_;
    IntRect surfaceRect_;
    int surfaceId_ = 0;
};
