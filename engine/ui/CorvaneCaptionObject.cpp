#include "engine/ui/CorvaneCaptionObject.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/SceneGeometry.h"

namespace {

// The picture and the caption on the frame canvas: owned, and following
// its rotation, invalidation, size, clip, z, position, show and hide.
constexpr uint32_t kCaptionPartLink = 0x19C0A3;
constexpr double kPartDepth = 0.0000001;
constexpr int kPadding = 5;
constexpr int kFontWeight = 400;
constexpr char kFontFace[] = "宋体";
constexpr uint32_t kHighlightColour = 0xFFFFFF;
constexpr uint32_t kHighlightFrameColour = 0;
constexpr double kHighlightAlpha = 0.4;
constexpr double kDragImageAlpha = 0.75;
constexpr int kNumberInset = 2;
// The canvas limit on either side.
constexpr int64_t kMaxSide = 65535;

int Side(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 0, kMaxSide));
}

}  // namespace

int CCorvaneCaptionObject::GetBoxSize() {
    return std::max(GetIntSetting(kSettingCaptionBoxSize), 0);
}

int CCorvaneCaptionObject::GetFontSize() {
    return std::max(GetIntSetting(kSettingCaptionFontSize), 0);
}

CCorvanePicture* CCorvaneCaptionObject::GetItemPicture() {
    return imageId_ != 0 ? dynamic_cast<CCorvanePicture*>(FindObjectById(imageId_)) : nullptr;
}

CCorvaneCanvas* CCorvaneCaptionObject::GetTextCanvas() {
    return textCanvasId_ != 0 ? dynamic_cast<CCorvaneCanvas*>(FindObjectById(textCanvasId_))
                              : nullptr;
}

CCorvaneCanvas* CCorvaneCaptionObject::GetFrameCanvas() {
    return frameCanvasId_ != 0 ? dynamic_cast<CCorvaneCanvas*>(FindObjectById(frameCanvasId_))
                               : nullptr;
}

bool CCorvaneCaptionObject::MakeParts(const FrameRecord& frame, int frameWidth, int frameHeight) {
    // A second create replaces the parts of the first.
    DestroyObject(GetFrameCanvas(), 0);
    imageId_ = textCanvasId_ = frameCanvasId_ = 0;

    CCorvaneCanvas* surface = CreateCanvas(frameWidth, frameHeight, kDefaultColorKey);
    if (surface == nullptr) {
        return false;
    }
    frameCanvasId_ = surface->GetId();
    if (CCorvanePicture* picture = CreatePicture(frame)) {
        imageId_ = picture->GetId();
        LinkPart(picture);
        PlacePicture();
    }
    return true;
}

void CCorvaneCaptionObject::LinkPart(CCorvaneObject* part) {
    CCorvaneCanvas* surface = GetFrameCanvas();
    if (surface == nullptr || part == nullptr) {
        return;
    }
    part->SetZ(surface->GetZ() + kPartDepth);
    surface->AttachChild(part, kCaptionPartLink);
}

void CCorvaneCaptionObject::MakeTextCanvas(int width, int height, double x, double y) {
    CCorvaneCanvas* text = CreateCanvas(width, height, kDefaultColorKey);
    if (text == nullptr) {
        return;
    }
    textCanvasId_ = text->GetId();
    text->SetPos(x, y);
    LinkPart(text);
    text->SetFont(GetFontSize(), kFontWeight, kFontFace);
}

void CCorvaneCaptionObject::PlacePicture() {
    CCorvanePicture* picture = GetItemPicture();
    CCorvaneCanvas* surface = GetFrameCanvas();
    if (picture == nullptr || surface == nullptr) {
        return;
    }
    const int box = GetBoxSize();
    int64_t width = TruncToInt(picture->GetWidth());
    int64_t height = TruncToInt(picture->GetHeight());
    if (width >= height && width > box) {
        height = height * box / width;
        width = box;
    } else if (height > width && height > box) {
        width = width * box / height;
        height = box;
    }
    picture->Resize(static_cast<double>(width), static_cast<double>(height));
    if (layout_ == kCaptionBelow) {
        picture->SetPos(surface->GetX(), surface->GetTop() + box / 2 + kPadding);
    } else {
        picture->SetPos(surface->GetLeft() + kPadding + box / 2, surface->GetY());
    }
    picture->Invalidate();
}

void CCorvaneCaptionObject::StartAnimation(int animate) {
    CCorvanePicture* picture = GetItemPicture();
    if (animate != 0 && picture != nullptr && picture->GetFrameCount() > 1) {
        FrameAnimationAction(picture, 0, -1, 0, 0, nullptr);
    }
}

int CCorvaneCaptionObject::CreateBelow(const FrameRecord& frame, const char* caption, int animate,
                                       int lines) {
    layout_ = kCaptionBelow;
    const int box = GetBoxSize();
    const int captionHeight = Side(int64_t{GetFontSize()} * std::max(lines, 0));
    if (!MakeParts(frame, Side(int64_t{box} + 30),
                   Side(int64_t{box} + captionHeight + 2 * kPadding))) {
        return 0;
    }
    CCorvaneCanvas* surface = GetFrameCanvas();
    MakeTextCanvas(Side(int64_t{box} + 20), captionHeight, surface->GetX(),
                   surface->GetBottom() - kPadding - captionHeight * 0.5);
    SetCaptionText(caption, kHighlightColour, kDefaultColorKey);
    surface->SetTopmost();
    PeerSetUp(surface, kLinkDecoration);
    StartAnimation(animate);
    return 1;
}

int CCorvaneCaptionObject::CreateBeside(const FrameRecord& frame, const char* caption,
                                        int captionBytes, int animate) {
    layout_ = kCaptionBeside;
    const int box = GetBoxSize();
    const int captionWidth = Side(int64_t{GetFontSize()} * std::max(captionBytes, 0) / 2);
    if (!MakeParts(frame, Side(int64_t{box} + 2 * kPadding + captionWidth),
                   Side(int64_t{box} + 2 * kPadding))) {
        return 0;
    }
    CCorvaneCanvas* surface = GetFrameCanvas();
    MakeTextCanvas(captionWidth, box, surface->GetLeft() + box + 2 * kPadding + captionWidth * 0.5,
                   surface->GetY());
    SetCaptionText(caption, kHighlightColour, kDefaultColorKey);
    surface->SetTopmost();
    PeerSetUp(surface, kLinkDecoration);
    StartAnimation(animate);
    return 1;
}

void CCorvaneCaptionObject::SetPicture(const FrameRecord& frame) {
    CCorvanePicture* picture = GetItemPicture();
    if (picture == nullptr) {
        return;
    }
    picture->SetImage(frame, 1);
    PlacePicture();
    Invalidate();
}

void CCorvaneCaptionObject::SetCaptionText(const char* text, uint32_t textColour,
                                           uint32_t backgroundColour) {
    caption_ = text != nullptr ? text : "";
    captionColour_ = textColour;
    captionBackground_ = backgroundColour;
    DrawCaption();
}

void CCorvaneCaptionObject::DrawCaption() {
    CCorvaneCanvas* text = GetTextCanvas();
    if (text == nullptr) {
        return;
    }
    text->SetColorKey(captionBackground_);
    text->Clear();
    text->SetPenColor(captionColour_, 1.0);
    if (layout_ == kCaptionBelow) {
        text->DrawTextCenteredLines(caption_.c_str(), 0);
    } else {
        text->DrawText(0, std::max((text->GetCanvasHeight() - GetFontSize()) / 2, 0),
                       caption_.c_str());
    }
    text->Invalidate();
}

void CCorvaneCaptionObject::SetCaption(const char* text) {
    caption_ = text != nullptr ? text : "";
    DrawCaption();
    SetHighlight(highlight_);
}

void CCorvaneCaptionObject::SetHighlight(int state) {
    highlight_ = state;
    CCorvaneCanvas* surface = GetFrameCanvas();
    if (surface == nullptr) {
        return;
    }
    if (state == 1) {
        surface->SetColorKey(kHighlightColour);
        surface->Clear();
        surface->SetAlpha(kHighlightAlpha);
        surface->DrawBorder(1, kHighlightFrameColour);
    } else if (state == 0) {
        surface->SetColorKey(kDefaultColorKey);
        surface->Clear();
        surface->SetAlpha(1.0);
    }
    if (number_ >= 0) {
        DrawNumber();
    }
    surface->Invalidate();
}

void CCorvaneCaptionObject::SetNumber(int number) {
    number_ = number;
}

void CCorvaneCaptionObject::DrawNumber() {
    CCorvaneCanvas* surface = GetFrameCanvas();
    if (surface == nullptr) {
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", number_);
    surface->SetFont(GetFontSize(), kFontWeight, kFontFace);
    surface->DrawText(kNumberInset, kNumberInset, text);
}

void CCorvaneCaptionObject::DrawInto(CCorvaneCanvas* canvas) {
    CCorvaneCanvas* surface = GetFrameCanvas();
    if (canvas == nullptr || surface == nullptr) {
        return;
    }
    const int width = surface->GetCanvasWidth();
    const int height = surface->GetCanvasHeight();
    canvas->Resize(width, height);
    static_cast<CCorvaneObject*>(canvas)->Resize(width, height);
    canvas->SetAlpha(kDragImageAlpha);
    canvas->SetZ(GetZ());
    canvas->SetColorKey(kDefaultColorKey);
    canvas->Clear();
    const double left = surface->GetLeft();
    const double top = surface->GetTop();
    // A part without size would mean "the whole canvas" to DrawImage.
    const auto drawPart = [&](CCorvaneObject& part, const FrameRecord& image) {
        const int partWidth = TruncToInt(part.GetWidth());
        const int partHeight = TruncToInt(part.GetHeight());
        if (partWidth > 0 && partHeight > 0) {
            canvas->DrawImage(image, TruncToInt(part.GetLeft() - left),
                              TruncToInt(part.GetTop() - top), partWidth, partHeight, 0.0, 1.0);
        }
    };
    if (CCorvanePicture* picture = GetItemPicture()) {
        drawPart(*picture, picture->GetFrameInfo());
    }
    if (CCorvaneCanvas* text = GetTextCanvas()) {
        drawPart(*text, text->GetFrameInfo());
    }
}

int CCorvaneCaptionObject::OnEvent(const EventRecord& record) {
    if (record.event == 0) {
        return 1;
    }
    return CCorvaneInlineObject::OnEvent(record);
}
