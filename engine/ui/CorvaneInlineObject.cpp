#include "engine/ui/CorvaneInlineObject.h"

#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/GameCore.h"
#include "engine/ModuleMessage.h"
#include "engine/ObjectModule.h"
#include "engine/ui/HandCursor.h"

namespace {

constexpr int kLookNormal = 0;
constexpr int kLookHover = 1;
constexpr int kLookPressed = 2;
constexpr int kLookDisabled = 3;

// A click event that carries its own copy of the text and frees it once
// delivered.
struct InlineClickEvent : ReleasingEventRecord {
    std::string text;
};

void ReleaseInlineClick(void*, ReleasingEventRecord* record, int) {
    delete static_cast<InlineClickEvent*>(record);
}

const char* OrEmpty(const char* text) {
    return text != nullptr ? text : "";
}

}  // namespace

CCorvanePicture* CCorvaneInlineObject::GetPicture() {
    return FindPictureById(pictureId_);
}

CCorvanePicture* CCorvaneInlineObject::InstallPicture(const FrameRecord& frameState, int width,
                                                      int height) {
    // A second make must not leave the first picture standing.
    DestroyObject(GetPicture(), 0);
    pictureId_ = 0;

    CCorvanePicture* picture = CreatePicture(frameState);
    if (picture == nullptr) {
        return nullptr;
    }
    pictureId_ = picture->GetId();
    picture->Resize(width != 0 ? width : frameState.width,
                    height != 0 ? height : frameState.height);
    picture->Invalidate();
    return picture;
}

int CCorvaneInlineObject::MakePicture(const FrameRecord& frameState, int width, int height) {
    const bool shown = IsVisible() != 0;
    if (CCorvanePicture* picture = InstallPicture(frameState, width, height)) {
        PeerSetUp(picture, kLinkDecoration);
        if (shown) {
            picture->Show();
        }
    }
    typeName_ = kInlinePictureName;
    return GetId();
}

int CCorvaneInlineObject::MakeAnimation(const char* imageName, int width, int height) {
    const bool shown = IsVisible() != 0;
    const FrameRecord frameState = GetResourceFrame(OrEmpty(imageName), 0);
    if (CCorvanePicture* picture = InstallPicture(frameState, width, height)) {
        PeerSetUp(picture, kLinkDecoration);
        if (shown) {
            picture->Show();
        }
        FrameAnimationAction(picture, 0, -1, 0, 0, nullptr);
    }
    typeName_ = kInlineAnimationName;
    return GetId();
}

int CCorvaneInlineObject::MakeButton(const char* imageName, int targetId, int width, int height) {
    clickTarget_ = targetId;
    const bool shown = IsVisible() != 0;
    const FrameRecord frameState = GetResourceFrame(OrEmpty(imageName), 0);
    if (CCorvanePicture* picture = InstallPicture(frameState, width, height)) {
        for (int event : {kEventMouseEnter, kEventMouseLeave, kEventLButtonDown, kEventClick}) {
            picture->AddEventBinding(event, MakeEventRecord(GetId(), event, 0, 0));
        }
        PeerSetUp(picture, kLinkDecoration);
        if (shown) {
            picture->Show();
        }
    }
    typeName_ = kInlineButtonName;
    return GetId();
}

void CCorvaneInlineObject::SetText(const char* text) {
    text_ = OrEmpty(text);
}

void CCorvaneInlineObject::ShowObject(int) {
    Show();
    Invalidate();
}

void CCorvaneInlineObject::HideObject() {
    Hide();
    Invalidate();
}

void CCorvaneInlineObject::SetClipRect(int left, int top, int right, int bottom) {
    CCorvaneControl::SetClipRect(left, top, right, bottom);
    Invalidate();
}

void CCorvaneInlineObject::SetTypeName(const char* text) {
    typeName_ = OrEmpty(text);
}

const char* CCorvaneInlineObject::GetTypeName() {
    return typeName_.c_str();
}

int CCorvaneInlineObject::GetPeerId() {
    return GetPeerOrSelf()->GetId();
}

int CCorvaneInlineObject::GetWidthInt() {
    return static_cast<int>(GetWidth());
}

int CCorvaneInlineObject::GetHeightInt() {
    return static_cast<int>(GetHeight());
}

void CCorvaneInlineObject::ShowLook(int look) {
    if (CCorvanePicture* picture = GetPicture()) {
        picture->SetFrame(look);
        picture->Invalidate();
    }
}

void CCorvaneInlineObject::PostClick() {
    GameCore* core = GetCore();
    if (IsRegistered() == 0 || core == nullptr || clickTarget_ == 0 ||
        GetObjectModule() == nullptr) {
        return;
    }
    auto* click = new InlineClickEvent;
    click->text = text_;
    click->record =
        MakeEventRecord(clickTarget_, kEventInlineClick, EventParam(click->text.c_str()), GetId());
    click->release = &ReleaseInlineClick;
    if (core->PostMessage(kObjectModuleId, kMsgDeliverHeapEvent, click, kHeapEventReleasing) == 0) {
        delete click;
    }
}

int CCorvaneInlineObject::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventInlineLayout:
            OnLayout(static_cast<int>(record.param1), static_cast<int>(record.param2));
            return 0;
        case kEventMouseEnter:
            if (IsInputEnabled() != 0) {
                ShowHandCursor(*this);
                ShowLook(kLookHover);
            }
            return 0;
        case kEventMouseLeave:
            ShowArrowCursor(*this);
            if (IsInputEnabled() != 0) {
                ShowLook(kLookNormal);
            }
            return 0;
        case kEventLButtonDown:
            if (IsInputEnabled() != 0) {
                ShowLook(kLookPressed);
            }
            return 0;
        case kEventClick:
            if (IsInputEnabled() != 0) {
                ShowLook(kLookHover);
                PostClick();
            }
            return 0;
        case kEventInputEnabled:
            ShowLook(kLookHover);
            EnableInput(1);
            return 0;
        case kEventInputDisabled:
            ShowLook(kLookDisabled);
            EnableInput(0);
            return 0;
        default:
            return CCorvaneControl::OnEvent(record);
    }
}
