#pragma once
// A two-state toggle shown as frame 0 (off) or frame 1 (on) of its picture.
// Each change posts one of two EventRecords, one for on and one for off; the
// combo box's rows derive from it. Option dialogs create check boxes
// directly.
//
// Rules:
//  - The picture is the peer, made by Create and kept as an id; without it
//    the state still changes but nothing is shown.
//  - A button down toggles: 1 becomes 0 and 0 becomes 1, each time with its
//    notification; any other state is kept as it is.
//  - Notifications are posted (delivered on a later engine frame) and only
//    when both their target id and event id are nonzero.
//  - Everything runs on the UI thread.

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"
#include "engine/ImageRecord.h"

class CCorvanePicture;

class CCorvaneCheckBox : public CCorvaneControl {
public:
    using CCorvaneObject::Create;
    using CCorvaneObject::GetState;

    CCorvaneCheckBox() = default;
    ~CCorvaneCheckBox() override = default;

    int GetType() override { return kKindCheckBox; }
    // A button down toggles (answer 1); other events go to the root.
    int OnEvent(const EventRecord& record) override;

    // Makes the picture, shows frame initialState and binds its button down
    // to the box. Answers the state.
    virtual int Create(const FrameRecord& frameState, int initialState);
    virtual int GetState();
    // Stores the state; with a picture, shows frame 1 and posts the on
    // notification for a nonzero state, else frame 0 and the off one.
    virtual void SetCheck(int state);
    virtual void SetOnNotify(const EventRecord& record);
    virtual void SetOffNotify(const EventRecord& record);
    virtual void Toggle();

    // The picture, or null.
    CCorvanePicture* GetPicture();
    const EventRecord& GetOnNotify() const { return onNotify_; }
    const EventRecord& GetOffNotify() const { return offNotify_; }

    // Other names callers use.
    int GetCheck() { return GetState(); }

protected:
    // Shows the frame on the picture (when there is one) and invalidates it.
    void ShowFrame(int frame);
    // Posts the record when its target and event ids are both nonzero.
    void PostNotify(const EventRecord& record);
    void StoreState(int state) { state_ = state; }

private:
    int pictureId_ = 0;
    int state_ = 0;
    EventRecord onNotify_;
    EventRecord offNotify_;
};
