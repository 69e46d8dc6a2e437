#pragma once
// The root of every object of the engine's scene: centre-based geometry,
// flags, layer and visibility, identity, a place in the object tree with
// per-child link flags, event bindings and an event target.
//
// Rules:
//  - Objects are made with new, registered by the object module (which gives
//    the id and calls Init) and destroyed only through it; a parent destroys
//    the children it links as owned (0x1) when it is registered itself.
//  - A change of the parent reaches a child only when the child's link flags
//    ask for it; SetTopmost reaches every child.
//  - Until registered, SendEvent, PostEvent and BringToTop do nothing and
//    Invalidate reaches only linked children.
//  - An object is in at most one child list; destruction removes it from the
//    list that really holds it.
//  - The object never draws itself: it tells the object module that it
//    changed (Invalidate).
//  - Everything runs on the UI thread, inside a frame or under the core lock.
//
// Derived classes that replace SetClipRect or BindEvent bring the other
// forms back with a using-declaration.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/EngineEvents.h"
#include "engine/EventRecord.h"
#include "engine/ObjectState.h"
#include "platform/Cursor.h"

class Drawable;
class GameCore;
class ObjectModule;

class CCorvaneObject {
public:
    CCorvaneObject();
    virtual ~CCorvaneObject();
    CCorvaneObject(const CCorvaneObject&) = delete;
    CCorvaneObject& operator=(const CCorvaneObject&) = delete;

    virtual void Init(GameCore* core, int id);
    virtual void Register(CCorvaneObject* object);
    virtual void Create() {}
    virtual int GetType() { return kKindObject; }

    virtual void SetPos(double x, double y);
    virtual void MoveBy(double dx, double dy);
    virtual void SetSize(double width, double height);
    virtual void SetZ(double z);
    virtual void MoveZBy(double dz);
    virtual void BringToTop();
    virtual void Show();
    virtual void Hide();
    virtual void SetAlpha(double alpha);
    virtual void SetAngle(double angle);
    virtual void RotateBy(double da);
    virtual void RotateAbout(double cx, double cy, double da);
    virtual void Scale(double fx, double fy);
    virtual void Resize(double width, double height);
    virtual void SetClipRect(int left, int top, int right, int bottom);
    virtual void Enable(int on);
    virtual void SetState(const ObjectState& state);
    virtual void SetEventTarget(CCorvaneObject* target);

    // The new number of children, 0 when nothing was attached.
    virtual int AttachChild(CCorvaneObject* child, uint32_t linkFlags);
    virtual uint32_t GetChildLinkFlags(int id);
    virtual void SetChildLinkFlags(int id, uint32_t linkFlags);
    virtual void RemoveChild(int id);
    virtual int HasChild(int id);
    virtual int IsOrContains(int id);
    virtual void DetachChildren();
    virtual void ClearParent();
    virtual void SetParent(CCorvaneObject* parent);
    virtual void ForwardEvent(const EventRecord& record);

    virtual void SetName(const char* name);
    virtual void EnableInput(int on);
    virtual void EnableDrag(int on);
    virtual void SetFocusable(int on);
    virtual void SetFlags(uint32_t flags);
    virtual void AddFlags(uint32_t flags);
    virtual void ClearFlags(uint32_t flags);
    virtual void SetLayer(uint32_t layer);
    virtual void SetTopmost();
    virtual void Invalidate();

    // Nonzero when handled; the root answers 1 for every event.
    virtual int OnEvent(const EventRecord& record);
    // The end record of a timed action that finished or was stopped.
    virtual int OnEvent2(const EventRecord& record);

    virtual CCorvaneObject* GetEventTarget() { return eventTarget_; }
    virtual ObjectState* GetState(ObjectState* out);
    virtual int GetId() { return id_; }
    virtual CCorvaneObject* GetParent() { return parent_; }
    virtual int Query(int) { return 0; }
    // Scene pixels; 1 hit, 0 miss.
    virtual int HitTest(int x, int y);

    virtual int IsVisible() { return state_.visible; }
    virtual int IsEnabled() { return (state_.flags & kObjectDisabled) == 0; }
    virtual int IsInputEnabled() { return (state_.flags & kObjectTakesInput) != 0; }
    virtual int HasPeer() { return (state_.flags & kObjectHasPeer) != 0; }
    virtual int HasFocus();
    virtual int IsFocusable() { return (state_.flags & kObjectFocusable) != 0; }

    virtual double GetX() { return state_.x; }
    virtual double GetY() { return state_.y; }
    virtual double GetZ() { return state_.z; }
    // The drawing depth ("sort depth").
    virtual double GetSortZ() { return state_.z + 0.0000001; }
    virtual double GetWidth() { return state_.width; }
    virtual double GetHeight() { return state_.height; }
    virtual double GetAlpha() { return state_.alpha; }
    virtual double GetAngle() { return state_.angle; }
    virtual IntRect* GetClipRect(IntRect* out);
    virtual uint32_t GetFlags() { return state_.flags; }
    virtual uint32_t GetLayer() { return state_.layer; }
    virtual double GetLeft() { return state_.x - state_.width * 0.5; }
    virtual double GetRight() { return state_.x + state_.width * 0.5; }
    virtual double GetTop() { return state_.y - state_.height * 0.5; }
    virtual double GetBottom() { return state_.y + state_.height * 0.5; }
    virtual Drawable* GetDrawable() { return nullptr; }
    virtual void OnTargetAssigned(CCorvaneObject*) {}

    // Delivered at once through the object module; the target's answer, 0
    // when unregistered, for a zero target or event id, or an unknown target.
    int SendEvent(const EventRecord& record);
    // Delivered on a later frame; 1 when queued.
    int PostEvent(const EventRecord& record);

    void AddEventBinding(int incomingId, const EventRecord& record);
    void BindEvent(int incomingId, const EventRecord& record) {
        AddEventBinding(incomingId, record);
    }
    void BindEvent(int incomingId, int targetId, int outgoingId, intptr_t param1, intptr_t param2);
    void BindEventToSelf(int id);
    void UnbindEvent(int incomingId);
    // The record of the first binding of that id; valid until the bindings
    // change.
    const EventRecord* FindEventBinding(int incomingId) const;
    // The first binding of that id at list position >= *index; *index moves
    // past it. Null when there is no more.
    const EventRecord* FindNextEventBinding(int incomingId, int* index) const;
    size_t GetBindingCount() const { return bindings_.size(); }

    void SetClipRect(const IntRect& rect) {
        SetClipRect(rect.left, rect.top, rect.right, rect.bottom);
    }

    const char* GetName() const { return name_ ? name_->c_str() : nullptr; }
    GameCore* GetCore() const { return core_; }
    int IsRegistered() const { return module_ != nullptr && id_ != 0; }
    size_t GetChildCount() const { return children_.size(); }

protected:
    struct ChildLink {
        CCorvaneObject* child;
        uint32_t flags;
    };
    struct EventBinding {
        int incomingId;
        EventRecord record;
    };
    // Removes the bindings of that id with these targets and events, here
    // and on the children that repeat the bindings.
    void DropBindings(int incomingId, const std::vector<EventRecord>& records);

    // The object's own values, for derived classes that answer for a peer.
    const ObjectState& OwnState() const { return state_; }

private:
    // Calls action (child) for every child whose link carries linkFlag.
    template <class Action>
    void ForEachLinkedChild(uint32_t linkFlag, Action&& action);
    ChildLink* FindChildLink(int id);
    void RemoveFromOwnList(const CCorvaneObject* child);
    bool IsSelfOrAncestor(const CCorvaneObject* object) const;
    void ClipCursorToClipRect();
    void RestoreCursorClip();

    GameCore* core_ = nullptr;
    ObjectModule* module_ = nullptr;
    ObjectState state_;
    int id_ = 0;
    CCorvaneObject* parent_ = nullptr;
    CCorvaneObject* eventTarget_ = nullptr;
    std::vector<ChildLink> children_;
    std::vector<EventBinding> bindings_;
    std::optional<std::string> name_;
    std::optional<platform::ScreenRect> savedCursorClip_;
};
