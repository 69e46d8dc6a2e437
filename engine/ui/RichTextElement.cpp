#include "engine/ui/RichTextElement.h"

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/HandCursor.h"
#include "engine/ui/RichText.h"

int RichTextElement::CharBytes(char out[3]) const {
    out[0] = static_cast<char>(code & 0xFF);
    if (IsDoubleByte()) {
        out[1] = static_cast<char>((code >> 8) & 0xFF);
        out[2] = '\0';
        return 2;
    }
    out[1] = '\0';
    return (flags & kElementSingleByte) != 0 ? 1 : 0;
}

namespace {

// The hover picture fades in from transparent in steps of 0.1.
constexpr double kHoverFadeStep = 0.1;
constexpr double kHoverDepthAbove = 1.0;

}  // namespace

CCorvaneRichTextElement::~CCorvaneRichTextElement() {
    if (CCorvaneObject* picture = FindObjectById(hoverPictureId_)) {
        DestroyObject(picture, 0);
    }
}

void CCorvaneRichTextElement::SetLink(const char* target, const char* pictureName, int ownerId) {
    target_ = target != nullptr ? target : "";
    ownerId_ = ownerId;
    if (pictureName == nullptr || pictureName[0] == '\0' || hoverPictureId_ != 0) {
        return;
    }
    const FrameRecord frame = GetResourceFrame(pictureName, 0);
    if (frame.record == nullptr) {
        return;
    }
    if (CCorvanePicture* picture = CreatePicture(frame)) {
        hoverPictureId_ = picture->GetId();
    }
}

void CCorvaneRichTextElement::Activate() {
    if (target_.empty()) {
        return;
    }
    SendEvent(MakeEventRecord(ownerId_, kEventLinkActivated, EventParam(target_.c_str()), GetId()));
}

void CCorvaneRichTextElement::ShowHoverPicture() {
    auto* owner = dynamic_cast<CCorvaneRichText*>(FindObjectById(ownerId_));
    CCorvaneObject* picture = FindObjectById(hoverPictureId_);
    if (owner == nullptr || picture == nullptr) {
        return;
    }
    picture->SetZ(GetZ() + kHoverDepthAbove);
    picture->SetAlpha(0.0);
    picture->Show();
    if (CCorvaneCanvas* text = owner->GetTextCanvas()) {
        picture->SetPos(text->GetX(), text->GetY());
    }
    picture->Invalidate();
    StopObjectActions(picture->GetId());
    AlphaAction(picture, kHoverFadeStep, 1.0, 0, nullptr);
}

void CCorvaneRichTextElement::HideHoverPicture() {
    if (CCorvaneObject* picture = FindObjectById(hoverPictureId_)) {
        picture->Hide();
        picture->Invalidate();
    }
}

void CCorvaneRichTextElement::ShowHandCursor() {
    ::ShowHandCursor(*this);
}
