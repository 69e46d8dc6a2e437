#include "engine/ui/CorvaneCheckBox.h"

#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"

CCorvanePicture* CCorvaneCheckBox::GetPicture() {
    return FindPictureById(pictureId_);
}

int CCorvaneCheckBox::Create(const FrameRecord& frameState, int initialState) {
    CCorvanePicture* picture = CreatePicture(frameState);
    if (picture == nullptr) {
        state_ = initialState;
        return state_;
    }
    pictureId_ = picture->GetId();
    picture->SetTopmost();
    picture->EnableInput(1);
    picture->Invalidate();
    PeerSetUp(picture, kLinkDecoration);
    picture->AddEventBinding(kEventLButtonDown, MakeEventRecord(GetId(), kEventLButtonDown, 0, 0));
    state_ = initialState;
    picture->SetFrame(initialState);
    return state_;
}

int CCorvaneCheckBox::GetState() {
    return state_;
}

void CCorvaneCheckBox::ShowFrame(int frame) {
    if (CCorvanePicture* picture = GetPicture()) {
        picture->SetFrame(frame);
        picture->Invalidate();
    }
}

void CCorvaneCheckBox::PostNotify(const EventRecord& record) {
    if (record.target != 0 && record.event != 0) {
        PostEvent(record);
    }
}

void CCorvaneCheckBox::SetCheck(int state) {
    state_ = state;
    if (GetPicture() == nullptr) {
        return;
    }
    if (state != 0) {
        ShowFrame(1);
        PostNotify(onNotify_);
    } else {
        ShowFrame(0);
        PostNotify(offNotify_);
    }
}

void CCorvaneCheckBox::SetOnNotify(const EventRecord& record) {
    onNotify_ = record;
}

void CCorvaneCheckBox::SetOffNotify(const EventRecord& record) {
    offNotify_ = record;
}

void CCorvaneCheckBox::Toggle() {
    if (state_ == 1) {
        ShowFrame(0);
        state_ = 0;
        PostNotify(offNotify_);
    } else if (state_ == 0) {
        ShowFrame(1);
        state_ = 1;
        PostNotify(onNotify_);
    }
}

int CCorvaneCheckBox::OnEvent(const EventRecord& record) {
    if (record.event == kEventLButtonDown) {
        Toggle();
        return 1;
    }
    return CCorvaneControl::OnEvent(record);
}
