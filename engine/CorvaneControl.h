#pragma once
// The base of every control, dialog and panel: a logical object that shows
// itself through a peer, the canvas or picture it makes in its Create and
// attaches to itself as a child. With a peer, the control answers questions
// about geometry, flags, input and children with the peer's answers where the
// peer's link carries the property, so the control and its visible part
// behave as one object.
//
// Rules:
//  - A control is made without a peer; PeerSetUp gives it one (controls
//    usually link it with kPeerLinkFlags).
//  - Child operations, flag, input and layer setters go to the peer when
//    there is one; every other setter is the control's own and reaches the
//    peer through the link flags.
//  - The peer is kept as a pointer and its id. Once the peer was registered,
//    the control looks it up by id on every access, so a peer destroyed on
//    its own is forgotten, never touched.
//  - A second PeerSetUp leaves the first peer attached to the control as an
//    ordinary child (destroyed with it when linked 0x1).
//  - Everything runs on the UI thread, inside a frame or under the core lock.

#include <cstdint>

#include "engine/CorvaneVisual.h"
#include "engine/EngineEvents.h"
#include "engine/EventRecord.h"
#include "engine/ObjectState.h"

// The link flags with which controls attach their peer: ownership, position,
// size, z, alpha, angle, visibility, clip and invalidation follow the control.
inline constexpr uint32_t kPeerLinkFlags = kLinkDecoration;

class CCorvaneControl : public CCorvaneVisual {
public:
    CCorvaneControl() = default;
    ~CCorvaneControl() override = default;

    int GetType() override { return kKindControl; }

    // --- Children: the peer's when there is one ---
    int AttachChild(CCorvaneObject* child, uint32_t linkFlags) override;
    // The peer's answer when the peer has such a child, else the control's.
    uint32_t GetChildLinkFlags(int id) override;
    void SetChildLinkFlags(int id, uint32_t linkFlags) override;
    void RemoveChild(int id) override;
    void DetachChildren() override;

    // --- Flags, input and layer: the peer's when there is one ---
    void EnableInput(int on) override;
    void EnableDrag(int on) override;
    void SetFlags(uint32_t flags) override;
    void AddFlags(uint32_t flags) override;
    void ClearFlags(uint32_t flags) override;
    void SetLayer(uint32_t layer) override;
    void SetTopmost() override;
    int IsInputEnabled() override;
    int HasFocus() override;
    uint32_t GetFlags() override;
    uint32_t GetLayer() override;

    // --- Geometry: the peer's where its link carries the property ---
    double GetX() override;
    double GetY() override;
    double GetZ() override;
    double GetSortZ() override;
    double GetWidth() override;
    double GetHeight() override;
    double GetAlpha() override;
    double GetAngle() override;
    IntRect* GetClipRect(IntRect* out) override;
    double GetLeft() override;
    double GetTop() override;
    double GetRight() override;
    double GetBottom() override;
    int IsVisible() override;
    int HitTest(int x, int y) override;

    // --- The control's own operations ---
    // Makes `peer` the control's visible part: the old peer is forgotten (it
    // stays a child of the control), the new one is attached with linkFlags
    // plus 0x40000, the control flags itself 0x80 and invalidates. A null
    // peer forgets the old one and clears 0x80. The control itself, an
    // ancestor, or a control answering through this one is refused (logged).
    virtual void PeerSetUp(CCorvaneObject* peer, uint32_t linkFlags);
    // Turns input on or off (the peer's when there is one), invalidates and
    // hands the control's own OnEvent {id, 19840355 on / 19840356 off, 0, 0}.
    virtual void SetInputEnabled(int on);
    // The peer, or the control itself when it has none.
    virtual CCorvaneObject* GetPeerOrSelf();
    // Extension points no control uses; empty.
    virtual void ControlHookA(intptr_t) {}
    virtual void ControlHookB() {}

    // The peer, or null.
    CCorvaneObject* GetPeer();
    // The link flags of the peer as the control's child; 0 without a peer.
    uint32_t GetPeerLink();

    // Other names callers use.
    void SetPeer(CCorvaneObject* peer, uint32_t linkFlags) { PeerSetUp(peer, linkFlags); }

private:
    // The peer when its link carries every bit of `linkBits`, else null.
    CCorvaneObject* PeerLinkedFor(uint32_t linkBits);
    // True when the candidate is the control, one of its ancestors, or a
    // control that answers through this one.
    bool WouldLoop(CCorvaneObject* candidate);

    CCorvaneObject* peer_ = nullptr;
    int peerId_ = 0;
};
