#include "engine/ui/CorvaneScrollBar.h"

#include <algorithm>
#include <cmath>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneButton.h"

namespace {

// Thumb and arrow buttons follow the track in everything but scaling, so a
// longer track leaves them their size.
constexpr uint32_t kPartLink = 0x1BC0AB;
// The grip follows the thumb's position, depth, size, show and hide; it is
// owned too, so it never outlives the thumb on the screen.
constexpr uint32_t kGripLink = 0x1980A2 | kLinkOwned;
constexpr double kPartAboveTrack = 0.1;
constexpr double kGripAboveThumb = 0.5;
// The thumb keeps one pixel from the start of the track.
constexpr double kThumbStartGap = 1.0;
constexpr double kKeepStep = -1.0;

// Moves the object's visible part (a control's peer) to the centre and
// depth asked for: the offsets come from what the object answers, so a
// control and its peer arrive together.
void MoveCentreTo(CCorvaneObject& object, double x, double y) {
    object.MoveBy(x - object.GetX(), y - object.GetY());
}
void MoveDepthTo(CCorvaneObject& object, double z) {
    object.MoveZBy(z - object.GetZ());
}

// Pixel buffer and object of a canvas take the same size.
void ResizeCanvas(CCorvaneCanvas& canvas, int width, int height) {
    canvas.Resize(width, height);
    canvas.CCorvaneObject::Resize(width, height);
}

int Truncate(double value) {
    if (!(value > -2147483648.0 && value < 2147483648.0)) {
        return 0;
    }
    return static_cast<int>(value);
}

}  // namespace

// ---------------------------------------------------------------------------
// Parts

CCorvaneButton* CCorvaneScrollBar::FindButton(int id) {
    if (id == 0) {
        return nullptr;
    }
    CCorvaneObject* object = FindObjectById(id);
    return object != nullptr && object->GetType() == kKindButton
               ? static_cast<CCorvaneButton*>(object)
               : nullptr;
}

CCorvaneCanvas* CCorvaneScrollBar::GetThumb() {
    return FindCanvasById(thumbId_);
}

CCorvaneCanvas* CCorvaneScrollBar::GetTrack() {
    return FindCanvasById(trackId_);
}

CCorvanePicture* CCorvaneScrollBar::GetGrip() {
    return FindPictureById(gripId_);
}

CCorvaneButton* CCorvaneScrollBar::GetFirstButton() {
    return FindButton(firstButtonId_);
}

CCorvaneButton* CCorvaneScrollBar::GetSecondButton() {
    return FindButton(secondButtonId_);
}

double CCorvaneScrollBar::StartOf(CCorvaneObject& object) {
    return IsVertical() ? object.GetTop() : object.GetLeft();
}

double CCorvaneScrollBar::LengthOf(CCorvaneObject& object) {
    return IsVertical() ? object.GetHeight() : object.GetWidth();
}

double CCorvaneScrollBar::MouseAlong(const InputState& input) const {
    return IsVertical() ? input.mouseY : input.mouseX;
}

// ---------------------------------------------------------------------------
// Making

void CCorvaneScrollBar::Create(int targetId, int width, int height, int orientation, int spare) {
    targetId_ = targetId;
    orientation_ = orientation;
    spare_ = spare;
    if (GetTrack() != nullptr) {
        Refresh();
        return;
    }
    CCorvaneCanvas* thumb = CreateCanvas(width, height, kDefaultColorKey);
    CCorvaneCanvas* track = CreateCanvas(width, height, kDefaultColorKey);
    if (thumb == nullptr || track == nullptr) {
        DestroyObject(thumb, 0);
        DestroyObject(track, 0);
        return;
    }
    thumb->SetColorKey(kScrollThumbFill);
    thumbId_ = thumb->GetId();
    const int thumbEvents[][2] = {{kEventMouseEnter, kScrollThumbEntered},
                                  {kEventMouseLeave, kScrollThumbLeft},
                                  {kEventLButtonDown, kScrollThumbPressed},
                                  {kEventClick, kScrollThumbReleased},
                                  {kEventDrag, kScrollThumbDragged}};
    for (const auto& [incoming, outgoing] : thumbEvents) {
        thumb->AddEventBinding(incoming, MakeEventRecord(GetId(), outgoing, 0, 0));
    }

    track->SetColorKey(kScrollTrackFill);
    track->AddEventBinding(kEventLButtonDown, MakeEventRecord(GetId(), kScrollTrackPressed, 0, 0));
    trackId_ = track->GetId();
    PeerSetUp(track, kLinkDecoration);
    MoveDepthTo(*thumb, track->GetZ() + kPartAboveTrack);
    track->AttachChild(thumb, kPartLink);
    Refresh();
}

void CCorvaneScrollBar::SetGrip(const FrameRecord& frameState) {
    if (CCorvanePicture* grip = GetGrip()) {
        grip->SetImage(frameState, 1);
        return;
    }
    CCorvaneCanvas* thumb = GetThumb();
    if (thumb == nullptr) {
        return;
    }
    CCorvanePicture* grip = CreatePicture(frameState);
    if (grip == nullptr) {
        return;
    }
    grip->SetPos(thumb->GetX(), thumb->GetY());
    grip->SetZ(thumb->GetZ() + kGripAboveThumb);
    if (thumb->IsVisible() != 0) {
        grip->Show();
    }
    grip->Invalidate();
    thumb->AttachChild(grip, kGripLink);
    gripId_ = grip->GetId();
}

void CCorvaneScrollBar::CreateUpButton(const FrameRecord& frameState) {
    if (IsVertical()) {
        MakeArrowButton(frameState, kEventScrollUp, true);
    }
}

void CCorvaneScrollBar::CreateDownButton(const FrameRecord& frameState) {
    if (IsVertical()) {
        MakeArrowButton(frameState, kEventScrollDown, false);
    }
}

void CCorvaneScrollBar::CreateLeftButton(const FrameRecord& frameState) {
    if (!IsVertical()) {
        MakeArrowButton(frameState, kEventScrollLeft, true);
    }
}

void CCorvaneScrollBar::CreateRightButton(const FrameRecord& frameState) {
    if (!IsVertical()) {
        MakeArrowButton(frameState, kEventScrollRight, false);
    }
}

void CCorvaneScrollBar::MakeArrowButton(const FrameRecord& frameState, int event, bool first) {
    CCorvaneCanvas* track = GetTrack();
    if (track == nullptr) {
        return;
    }
    int& slot = first ? firstButtonId_ : secondButtonId_;
    // A replaced button would otherwise stay on the track for good.
    DestroyObject(FindButton(slot), 0);
    slot = 0;

    auto* button = new CCorvaneButton;
    Register(button);
    if (button->IsRegistered() == 0) {
        delete button;
        return;
    }
    const EventRecord notify = MakeEventRecord(targetId_, event, 0, 0);
    button->Create(frameState, &notify, 0, kObjectPixelHitTest);
    slot = button->GetId();
    MoveDepthTo(*button, track->GetZ() + kPartAboveTrack);
    track->AttachChild(button, kPartLink);
    // A bar already on the screen shows its new button at once.
    if (track->IsVisible() != 0) {
        button->Show();
    }
    PlaceArrowButtons();
    SetScrollInfo(position_, page_, total_, kKeepStep);
}

// ---------------------------------------------------------------------------
// Skins and drawing

void CCorvaneScrollBar::SetTrackImage(const FrameRecord& frameState) {
    if (CCorvaneCanvas* track = GetTrack()) {
        track->SetColorKey(kDefaultColorKey);
    }
    trackImage_ = frameState;
    Refresh();
}

void CCorvaneScrollBar::SetThumbImage(const FrameRecord& frameState) {
    if (CCorvaneCanvas* thumb = GetThumb()) {
        // The image's width is the thumb's cross size on either bar; a
        // horizontal bar gets its length back from the next SetScrollInfo.
        // A missing picture (width 0) leaves the thumb its size.
        if (frameState.width > 0) {
            ResizeCanvas(*thumb, frameState.width, thumb->GetCanvasHeight());
        }
        thumb->SetColorKey(kDefaultColorKey);
    }
    thumbImage_ = frameState;
    Refresh();
}

void CCorvaneScrollBar::Refresh() {
    auto paint = [this](CCorvaneCanvas* canvas, const FrameRecord& image) {
        if (canvas == nullptr) {
            return;
        }
        canvas->Clear();
        if (image.record == nullptr) {
            canvas->DrawBorder(1, 0);
        } else if (IsVertical()) {
            canvas->DrawImageSlicedVertical(image);
        } else {
            canvas->DrawImageSlicedHorizontal(image);
        }
    };
    paint(GetTrack(), trackImage_);
    paint(GetThumb(), thumbImage_);
}

void CCorvaneScrollBar::ShowThumbLook(int look) {
    thumbImage_.frame = look;
    Refresh();
}

// ---------------------------------------------------------------------------
// Lengths and scroll values

int CCorvaneScrollBar::GetTotalLength() {
    int total = 0;
    for (CCorvaneObject* part :
         {static_cast<CCorvaneObject*>(GetTrack()), static_cast<CCorvaneObject*>(GetFirstButton()),
          static_cast<CCorvaneObject*>(GetSecondButton())}) {
        if (part != nullptr) {
            total += Truncate(LengthOf(*part));
        }
    }
    return total;
}

int CCorvaneScrollBar::GetThumbLength() {
    CCorvaneCanvas* thumb = GetThumb();
    return thumb != nullptr ? Truncate(LengthOf(*thumb)) : 0;
}

int CCorvaneScrollBar::GetThumbPos() {
    CCorvaneCanvas* thumb = GetThumb();
    return thumb != nullptr ? Truncate(StartOf(*thumb)) : 0;
}

void CCorvaneScrollBar::SetStep(double step) {
    if (step > 0.0) {
        step_ = step;
    }
}

void CCorvaneScrollBar::SetMinThumbLength(double length) {
    minThumbLength_ = length;
}

void CCorvaneScrollBar::SetScrollInfo(double position, double page, double total, double step) {
    if (!std::isfinite(position) || !std::isfinite(page) || !std::isfinite(total)) {
        return;
    }
    position_ = position;
    page_ = page;
    total_ = total;
    if (total == 0.0) {
        return;
    }
    SetStep(step);
    CCorvaneCanvas* thumb = GetThumb();
    if (thumb == nullptr) {
        return;
    }

    // The bar is the control itself, whose geometry is its track's.
    const double barStart = StartOf(*this);
    const double barLength = LengthOf(*this);
    const double barEnd = barStart + barLength;
    double wanted = std::max(barLength * page / total, minThumbLength_);
    // A page larger than the content must not make the thumb overrun the
    // track and its arrow buttons.
    if (barLength >= 1.0 && wanted > barLength) {
        wanted = barLength;
    }
    // Pixels and object share one whole length.
    const int length = std::max(Truncate(wanted), 1);
    if (IsVertical()) {
        ResizeCanvas(*thumb, thumb->GetCanvasWidth(), length);
    } else {
        ResizeCanvas(*thumb, length, thumb->GetCanvasHeight());
    }
    Refresh();

    const double half = length * 0.5;
    const double range = total - page;
    double centre =
        range != 0.0 ? barStart + (barLength - length) * position / range + half : barEnd - half;
    if (centre - half < barStart + kThumbStartGap) {
        centre = barStart + half + kThumbStartGap;
    }
    if (centre + half > barEnd) {
        centre = barEnd - half;
    }
    if (IsVertical()) {
        MoveCentreTo(*thumb, GetX(), centre);
    } else {
        MoveCentreTo(*thumb, centre, GetY());
    }
    thumb->Invalidate();
    PlaceArrowButtons();
}

void CCorvaneScrollBar::PlaceArrowButtons() {
    const double barStart = StartOf(*this);
    const double barEnd = barStart + LengthOf(*this);
    auto place = [this](CCorvaneButton* button, double along) {
        if (button == nullptr) {
            return;
        }
        if (IsVertical()) {
            MoveCentreTo(*button, GetX(), along);
        } else {
            MoveCentreTo(*button, along, GetY());
        }
        button->Invalidate();
    };
    if (CCorvaneButton* first = GetFirstButton()) {
        place(first, barStart - LengthOf(*first) * 0.5);
    }
    if (CCorvaneButton* second = GetSecondButton()) {
        place(second, barEnd + LengthOf(*second) * 0.5);
    }
}

void CCorvaneScrollBar::NotifyTarget() {
    const double values[3] = {position_, page_, total_};
    SendEvent(MakeEventRecord(targetId_, kEventScrollChanged, EventParam(values), 0));
}

// ---------------------------------------------------------------------------
// Size

void CCorvaneScrollBar::Resize(double width, double height) {
    CCorvaneCanvas* track = GetTrack();
    if (track == nullptr) {
        CCorvaneControl::Resize(width, height);
        return;
    }
    double along = IsVertical() ? height : width;
    for (CCorvaneButton* button : {GetFirstButton(), GetSecondButton()}) {
        if (button != nullptr) {
            along -= LengthOf(*button);
        }
    }
    const int trackLength = Truncate(along);
    if (!(along > 0.0) || trackLength <= 0) {
        return;
    }
    if (IsVertical()) {
        ResizeCanvas(*track, Truncate(width), trackLength);
    } else {
        ResizeCanvas(*track, trackLength, Truncate(height));
    }
    track->Invalidate();
    Refresh();
    PlaceArrowButtons();
    SetScrollInfo(position_, page_, total_, kKeepStep);
}

// ---------------------------------------------------------------------------
// The user's drag and press

bool CCorvaneScrollBar::ThumbFillsTrack() {
    CCorvaneCanvas* thumb = GetThumb();
    CCorvaneCanvas* track = GetTrack();
    if (thumb == nullptr || track == nullptr) {
        return true;
    }
    return !(total_ - page_ > 0.0) || !(LengthOf(*track) - LengthOf(*thumb) > 0.0);
}

void CCorvaneScrollBar::DragThumb(const InputState& input) {
    CCorvaneCanvas* thumb = GetThumb();
    CCorvaneCanvas* track = GetTrack();
    if (thumb == nullptr || track == nullptr) {
        return;
    }
    const double mouse = MouseAlong(input);
    const double trackStart = StartOf(*track);
    const double trackLength = LengthOf(*track);
    if (mouse < trackStart || mouse > trackStart + trackLength || ThumbFillsTrack()) {
        return;
    }
    const double movement = IsVertical() ? input.moveY : input.moveX;
    const double range = total_ - page_;
    const double room = trackLength - LengthOf(*thumb);
    double position = range * (StartOf(*thumb) + movement - trackStart) / room;
    position = std::min(position, range);
    position = std::max(position, 0.0);
    // A move that leaves the position as it is (held at an end, or across
    // the bar) tells the target nothing.
    if (position == position_) {
        return;
    }
    SetScrollInfo(position, page_, total_, kKeepStep);
    NotifyTarget();
}

void CCorvaneScrollBar::PressTrack(const InputState& input) {
    CCorvaneCanvas* track = GetTrack();
    if (track == nullptr) {
        return;
    }
    const double trackLength = LengthOf(*track);
    if (!(trackLength > 0.0) || ThumbFillsTrack()) {
        return;
    }
    // The pressed point becomes the start of the visible page.
    double position = std::trunc((MouseAlong(input) - StartOf(*track)) * total_ / trackLength);
    position = std::max(position, 0.0);
    const double range = total_ - page_;
    if (position > range) {
        position = std::trunc(range);
    }
    SetScrollInfo(position, page_, total_, kKeepStep);
    NotifyTarget();
}

int CCorvaneScrollBar::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kScrollThumbEntered:
            ShowThumbLook(1);
            return 1;
        case kScrollThumbLeft:
            ShowThumbLook(0);
            return 1;
        case kScrollThumbPressed:
            ShowThumbLook(2);
            return 1;
        case kScrollThumbReleased:
            ShowThumbLook(1);
            return 1;
        case kScrollThumbDragged:
            if (const InputState* input = InputStateOf(record)) {
                DragThumb(*input);
            }
            return 1;
        case kScrollTrackPressed:
            if (const InputState* input = InputStateOf(record)) {
                PressTrack(*input);
            }
            return 1;
        default:
            return CCorvaneControl::OnEvent(record);
    }
}
