#include "engine/ui/CorvaneDialog.h"

#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/EngineLog.h"

namespace {

constexpr int kFirstFrameCanvasSize = 100;
constexpr double kSurfaceAboveFrame = 0.004;
constexpr double kChildAboveFrame = 0.006;
constexpr double kTextAboveFrame = 0.01;
constexpr int kTitleWeight = 400;

// The border parts in drawing order: all but the centre.
constexpr DialogPart kBorderParts[] = {kDialogTopLeft, kDialogTop,        kDialogTopRight,
                                       kDialogLeft,    kDialogRight,      kDialogBottomLeft,
                                       kDialogBottom,  kDialogBottomRight};

void MoveCentreTo(CCorvaneObject& object, double x, double y) {
    object.MoveBy(x - object.GetX(), y - object.GetY());
}
void MoveDepthTo(CCorvaneObject& object, double z) {
    object.MoveZBy(z - object.GetZ());
}

// Pixels (of a canvas) and object take the size.
void ResizeTo(CCorvaneObject& object, int width, int height) {
    if (object.GetType() == kKindCanvas) {
        static_cast<CCorvaneCanvas&>(object).Resize(width, height);
    }
    object.Resize(static_cast<double>(width), static_cast<double>(height));
}

int Truncate(double value) {
    if (!(value > -2147483648.0 && value < 2147483648.0)) {
        return 0;
    }
    return static_cast<int>(value);
}

bool IsCurrentPicture(const FrameRecord& image) {
    return image.record != nullptr && image.record->serial == image.serial &&
           HasPicture(*image.record);
}

// The frame state that shows one rectangle of the image.
FrameRecord PartOf(const FrameRecord& image, const IntRect& rect) {
    FrameRecord part = image;
    part.offsetX = rect.left;
    part.offsetY = rect.top;
    part.width = rect.Width();
    part.height = rect.Height();
    return part;
}

// The stretch gap of the picture rectangle, found by alpha.
IntRect FindStretchGap(const FrameRecord& image, const IntRect& area) {
    CImageFrameView view;
    view.SetFrameInfo(image);
    auto clear = [&view](int x, int y) { return view.GetAlphaAt(x, y) == 0; };

    const int column = area.left + area.Width() / 2;
    int top = area.top;
    while (top < area.bottom && clear(column, top)) {
        ++top;
    }
    int bottom = area.bottom - 1;
    while (bottom >= top && clear(column, bottom)) {
        --bottom;
    }
    int row = -1;
    for (int y = top; y <= bottom; ++y) {
        if (clear(column, y)) {
            row = y;
            break;
        }
    }
    if (row < 0) {
        // No transparent row inside the drawing: stretch about the middle,
        // with borders of one size on either side (the middle two pixels of
        // an even size stretch).
        const int left = (area.Width() - 1) / 2;
        const int top = (area.Height() - 1) / 2;
        return IntRect{area.left + left, area.top + top, area.right - left, area.bottom - top};
    }
    IntRect gap{column, row, column + 1, row + 1};
    while (gap.left > area.left && clear(gap.left - 1, row)) {
        --gap.left;
    }
    while (gap.right < area.right && clear(gap.right, row)) {
        ++gap.right;
    }
    while (gap.top > area.top && clear(column, gap.top - 1)) {
        --gap.top;
    }
    while (gap.bottom < area.bottom && clear(column, gap.bottom)) {
        ++gap.bottom;
    }
    return gap;
}

// Edges of three bands: the fixed start, the stretched middle and the fixed
// end, for a length. Too short a length lets the end band run past it (it
// is clipped when drawn) rather than turn the middle negative.
void BandEdges(int startSize, int endSize, int length, int edges[4]) {
    edges[0] = 0;
    edges[1] = startSize;
    edges[2] = std::max(startSize, length - endSize);
    edges[3] = edges[2] + endSize;
}

}  // namespace

// ---------------------------------------------------------------------------
// Parts

CCorvaneCanvas* CCorvaneDialog::GetFrameCanvas() {
    return FindCanvasById(frameCanvasId_);
}

CCorvaneCanvas* CCorvaneDialog::GetTextCanvas() {
    return FindCanvasById(textCanvasId_);
}

CCorvaneObject* CCorvaneDialog::GetChild() {
    return childId_ != 0 ? FindObjectById(childId_) : nullptr;
}

IntRect CCorvaneDialog::GetTitleRect() const {
    const IntRect& bounds = layout_.bounds;
    return IntRect{0, 0, bounds.right, std::min(layout_.target[kDialogTop].bottom, bounds.bottom)};
}

IntRect* CCorvaneDialog::GetSurfaceRect(IntRect* out) {
    if (out != nullptr) {
        *out = surfaceRect_;
    }
    return out;
}

// ---------------------------------------------------------------------------
// Making

void CCorvaneDialog::Create(const FrameRecord& frameImage, uint32_t centreColour, int width,
                            int height) {
    centreColour_ = centreColour;
    Build(frameImage, width, height);
}

void CCorvaneDialog::CreateWithImage(const FrameRecord& frameImage, const FrameRecord& centreImage,
                                     int width, int height) {
    centreImage_ = centreImage;
    Build(frameImage, width, height);
}

void CCorvaneDialog::SetBackground(const FrameRecord& base, const FrameRecord& middle) {
    CreateWithImage(base, middle, Truncate(GetWidth()), Truncate(GetHeight()));
}

void CCorvaneDialog::Build(const FrameRecord& frameImage, int width, int height) {
    SetFrameImage(frameImage);
    SetSize(width, height);
    if (GetFrameCanvas() != nullptr && GetTextCanvas() != nullptr) {
        return;  // made already: SetSize has redrawn it with the new skin
    }
    CCorvaneCanvas* frame =
        CreateCanvas(kFirstFrameCanvasSize, kFirstFrameCanvasSize, kDefaultColorKey);
    CCorvaneCanvas* text = CreateCanvas(0, 0, kDefaultColorKey);
    if (frame == nullptr || text == nullptr) {
        DestroyObject(frame, 0);
        DestroyObject(text, 0);
        return;
    }
    frameCanvasId_ = frame->GetId();
    textCanvasId_ = text->GetId();
    frame->SetTopmost();
    text->SetTopmost();
    // The frame canvas covers the dialog wherever the dialog already is.
    MoveCentreTo(*frame, GetX(), GetY());
    Redraw();
    MoveDepthTo(*text, frame->GetZ() + kTextAboveFrame);
    frame->AttachChild(text, kLinkDecoration);
    AttachChild(frame, kLinkDecoration);
    if (IsVisible() != 0) {
        frame->Show();
    }
}

// ---------------------------------------------------------------------------
// Layout

void CCorvaneDialog::SetFrameImage(const FrameRecord& frameImage) {
    frameImage_ = frameImage;
    layout_.image = IntRect{};
    layout_.stretch = IntRect{};
    if (IsCurrentPicture(frameImage)) {
        const ImageRecord& record = *frameImage.record;
        const IntRect wanted{frameImage.offsetX, frameImage.offsetY,
                             frameImage.offsetX + std::max(frameImage.width, 0),
                             frameImage.offsetY + std::max(frameImage.height, 0)};
        IntRect area;
        if (IntersectRects(wanted, IntRect{0, 0, record.width, record.height}, &area)) {
            layout_.image = area;
            layout_.stretch = FindStretchGap(frameImage, area);
        }
    }
    const IntRect& image = layout_.image;
    const IntRect& gap = layout_.stretch;
    const int xs[4] = {image.left, gap.left, gap.right, image.right};
    const int ys[4] = {image.top, gap.top, gap.bottom, image.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            layout_.source[row * 3 + column] =
                IntRect{xs[column], ys[row], xs[column + 1], ys[row + 1]};
        }
    }
}

void CCorvaneDialog::LayOut(int width, int height) {
    const IntRect& image = layout_.image;
    const IntRect& gap = layout_.stretch;
    int xs[4];
    int ys[4];
    BandEdges(gap.left - image.left, image.right - gap.right, width, xs);
    BandEdges(gap.top - image.top, image.bottom - gap.bottom, height, ys);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            layout_.target[row * 3 + column] =
                IntRect{xs[column], ys[row], xs[column + 1], ys[row + 1]};
        }
    }
    layout_.bounds = IntRect{0, 0, width, height};
    surfaceRect_ = layout_.target[kDialogCentre];
}

void CCorvaneDialog::SetSize(double width, double height) {
    const int w = std::max(Truncate(width), 0);
    const int h = std::max(Truncate(height), 0);
    // The dialog keeps its size for hit tests and callers, but its parts are
    // sized by the layout: the root's SetSize would hand every child linked
    // for size the whole dialog's size.
    ObjectState state;
    GetState(&state);
    state.width = w;
    state.height = h;
    SetState(state);
    LayOut(w, h);
    Redraw();
}

void CCorvaneDialog::Resize(double width, double height) {
    SetSize(width, height);
}

void CCorvaneDialog::Place(CCorvaneObject& object, const IntRect& rect, CCorvaneCanvas& frame) {
    const int width = std::max(rect.Width(), 0);
    const int height = std::max(rect.Height(), 0);
    ResizeTo(object, width, height);
    MoveCentreTo(object, frame.GetLeft() + width * 0.5 + rect.left,
                 frame.GetTop() + height * 0.5 + rect.top);
}

bool CCorvaneDialog::IsOwnPart(const CCorvaneObject* object) {
    return object == GetFrameCanvas() || object == GetTextCanvas() ||
           object == FindCanvasById(surfaceId_);
}

// ---------------------------------------------------------------------------
// Drawing

void CCorvaneDialog::Redraw() {
    CCorvaneCanvas* frame = GetFrameCanvas();
    CCorvaneCanvas* text = GetTextCanvas();
    if (frame == nullptr || text == nullptr) {
        return;
    }
    // The frame canvas covers the dialog, centred where the dialog is.
    ResizeTo(*frame, layout_.bounds.right, layout_.bounds.bottom);
    MoveCentreTo(*frame, GetX(), GetY());
    Place(*text, GetTitleRect(), *frame);
    if (CCorvaneObject* child = GetChild()) {
        Place(*child, surfaceRect_, *frame);
    }
    if (CCorvaneCanvas* surface = FindCanvasById(surfaceId_)) {
        Place(*surface, surfaceRect_, *frame);
    }
    DrawTitle();
    DrawFrame(*frame);
}

void CCorvaneDialog::DrawFrame(CCorvaneCanvas& frame) {
    frame.Clear();
    if (!layout_.image.IsEmpty()) {
        for (DialogPart part : kBorderParts) {
            const IntRect& from = layout_.source[part];
            const IntRect& to = layout_.target[part];
            // An empty part would mean "the whole canvas" to DrawImage.
            if (from.IsEmpty() || to.IsEmpty()) {
                continue;
            }
            frame.DrawImage(PartOf(frameImage_, from), to.left, to.top, to.Width(), to.Height(),
                            0.0, 1.0);
        }
    }
    const IntRect& centre = layout_.target[kDialogCentre];
    if (centre.IsEmpty()) {
        return;
    }
    if (centreImage_.record != nullptr) {
        frame.DrawImage(centreImage_, centre.left, centre.top, centre.Width(), centre.Height(), 0.0,
                        1.0);
        return;
    }
    const uint32_t clearColour = frame.GetCanvasColorKey();
    frame.SetColorKey(centreColour_);
    frame.ClearRect(centre.left, centre.top, centre.right, centre.bottom);
    frame.SetColorKey(clearColour);
}

void CCorvaneDialog::SetTitle(const char* text) {
    title_ = text != nullptr ? text : "";
    DrawTitle();
}

void CCorvaneDialog::DrawTitle() {
    CCorvaneCanvas* text = GetTextCanvas();
    if (text == nullptr) {
        return;
    }
    text->Clear();
    text->SetFont(kDialogTitleSize, kTitleWeight, kDialogTitleFace);
    text->DrawText(kDialogTitleX, kDialogTitleY, title_.c_str());
}

// ---------------------------------------------------------------------------
// Child and surface

CCorvaneObject* CCorvaneDialog::SetChild(CCorvaneObject* object) {
    CCorvaneObject* old = GetChild();
    if (object != nullptr) {
        // The dialog, its ancestors and its own parts cannot be hosted, nor
        // can anything that dies with the child it would replace.
        const bool insideOld = old != nullptr && old != object && object->GetId() != 0 &&
                               old->IsOrContains(object->GetId()) != 0;
        if (object->IsOrContains(GetId()) != 0 || IsOwnPart(object) || insideOld) {
            EngineLog("dialog %d: object %d refused as its child", GetId(), object->GetId());
            return nullptr;
        }
    }
    if (old != nullptr && old != object) {
        DestroyObject(old, 0);
    }
    childId_ = 0;
    if (object == nullptr) {
        return nullptr;
    }
    if (object->IsRegistered() == 0) {
        Register(object);
        if (object->IsRegistered() == 0) {
            return nullptr;
        }
    }
    childId_ = object->GetId();
    CCorvaneCanvas* frame = GetFrameCanvas();
    if (frame == nullptr) {
        AttachChild(object, kLinkDecoration);
    } else {
        // On the frame canvas the child is topmost with it, so the frame's
        // centre never covers it.
        frame->AttachChild(object, kLinkDecoration);
        MoveDepthTo(*object, frame->GetZ() + kChildAboveFrame);
        Place(*object, surfaceRect_, *frame);
    }
    if (IsVisible() != 0) {
        object->Show();
    }
    object->Invalidate();
    return object;
}

CCorvaneCanvas* CCorvaneDialog::GetSurface() {
    if (CCorvaneCanvas* surface = FindCanvasById(surfaceId_)) {
        return surface;
    }
    CCorvaneCanvas* frame = GetFrameCanvas();
    CCorvaneCanvas* surface =
        CreateCanvas(surfaceRect_.Width(), surfaceRect_.Height(), kDefaultColorKey);
    if (surface == nullptr) {
        return nullptr;
    }
    surfaceId_ = surface->GetId();
    if (frame == nullptr) {
        MoveCentreTo(*surface, GetX(), GetY());
        AttachChild(surface, kLinkDecoration);
    } else {
        frame->AttachChild(surface, kLinkDecoration);
        MoveDepthTo(*surface, frame->GetZ() + kSurfaceAboveFrame);
        Place(*surface, surfaceRect_, *frame);
    }
    if (IsVisible() != 0) {
        surface->Show();
    }
    surface->Invalidate();
    return surface;
}
