#include "engine/CorvaneControl.h"

#include "engine/EngineLog.h"
#include "engine/ObjectModule.h"

CCorvaneObject* CCorvaneControl::GetPeer() {
    if (peer_ == nullptr) {
        return nullptr;
    }
    if (peerId_ == 0) {
        // Not registered when it became the peer; it may have been since.
        peerId_ = peer_->GetId();
    }
    if (peerId_ != 0) {
        // A registered peer is only reached through the module, so one that
        // was destroyed on its own is forgotten rather than touched.
        if (ObjectModule* objects = GetObjectModule()) {
            if (objects->FindObjectById(peerId_) != peer_) {
                peer_ = nullptr;
                peerId_ = 0;
            }
        }
    }
    return peer_;
}

uint32_t CCorvaneControl::GetPeerLink() {
    CCorvaneObject* peer = GetPeer();
    return peer != nullptr ? CCorvaneObject::GetChildLinkFlags(peer->GetId()) : 0;
}

CCorvaneObject* CCorvaneControl::PeerLinkedFor(uint32_t linkBits) {
    CCorvaneObject* peer = GetPeer();
    if (peer == nullptr) {
        return nullptr;
    }
    return (CCorvaneObject::GetChildLinkFlags(peer->GetId()) & linkBits) == linkBits ? peer
                                                                                     : nullptr;
}

// --- Children ---

int CCorvaneControl::AttachChild(CCorvaneObject* child, uint32_t linkFlags) {
    if (CCorvaneObject* peer = GetPeer()) {
        return peer->AttachChild(child, linkFlags);
    }
    return CCorvaneObject::AttachChild(child, linkFlags);
}

uint32_t CCorvaneControl::GetChildLinkFlags(int id) {
    CCorvaneObject* peer = GetPeer();
    if (peer != nullptr && peer->HasChild(id)) {
        return peer->GetChildLinkFlags(id);
    }
    return CCorvaneObject::GetChildLinkFlags(id);
}

void CCorvaneControl::SetChildLinkFlags(int id, uint32_t linkFlags) {
    if (CCorvaneObject* peer = GetPeer()) {
        peer->SetChildLinkFlags(id, linkFlags);
        return;
    }
    CCorvaneObject::SetChildLinkFlags(id, linkFlags);
}

void CCorvaneControl::RemoveChild(int id) {
    if (CCorvaneObject* peer = GetPeer()) {
        peer->RemoveChild(id);
        return;
    }
    CCorvaneObject::RemoveChild(id);
}

void CCorvaneControl::DetachChildren() {
    if (CCorvaneObject* peer = GetPeer()) {
        peer->DetachChildren();
        return;
    }
    CCorvaneObject::DetachChildren();
}

// --- Flags, input and layer ---

void CCorvaneControl::EnableInput(int on) {
    if (CCorvaneObject* peer = GetPeer()) {
        peer->EnableInput(on);
        return;
    }
    CCorvaneObject::EnableInput(on);
}

void CCorvaneControl::EnableDrag(int on) {
    if (CCorvaneObject* peer = GetPeer()) {
        peer->EnableDrag(on);
        return;
    }
    CCorvaneObject::EnableDrag(on);
}

void CCorvaneControl::SetFlags(uint32_t flags) {
    if (CCorvaneObject* peer = GetPeer()) {
        peer->SetFlags(flags);
        return;
    }
    CCorvaneObject::SetFlags(flags);
}

void CCorvaneControl::AddFlags(uint32_t flags) {
    if (CCorvaneObject* peer = GetPeer()) {
        peer->AddFlags(flags);
        return;
    }
    CCorvaneObject::AddFlags(flags);
}

void CCorvaneControl::ClearFlags(uint32_t flags) {
    if (CCorvaneObject* peer = GetPeer()) {
        peer->ClearFlags(flags);
        return;
    }
    CCorvaneObject::ClearFlags(flags);
}

void CCorvaneControl::SetLayer(uint32_t layer) {
    if (CCorvaneObject* peer = GetPeer()) {
        peer->SetLayer(layer);
        return;
    }
    CCorvaneObject::SetLayer(layer);
}

void CCorvaneControl::SetTopmost() {
    if (CCorvaneObject* peer = GetPeer()) {
        peer->SetTopmost();
        return;
    }
    CCorvaneObject::SetTopmost();
}

int CCorvaneControl::IsInputEnabled() {
    CCorvaneObject* peer = GetPeer();
    return peer != nullptr ? peer->IsInputEnabled() : CCorvaneObject::IsInputEnabled();
}

int CCorvaneControl::HasFocus() {
    CCorvaneObject* peer = GetPeer();
    return peer != nullptr ? peer->HasFocus() : CCorvaneObject::HasFocus();
}

uint32_t CCorvaneControl::GetFlags() {
    CCorvaneObject* peer = GetPeer();
    return peer != nullptr ? peer->GetFlags() : CCorvaneObject::GetFlags();
}

uint32_t CCorvaneControl::GetLayer() {
    CCorvaneObject* peer = GetPeer();
    return peer != nullptr ? peer->GetLayer() : CCorvaneObject::GetLayer();
}

// --- Geometry ---

double CCorvaneControl::GetX() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkPosition);
    return peer != nullptr ? peer->GetX() : CCorvaneObject::GetX();
}

double CCorvaneControl::GetY() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkPosition);
    return peer != nullptr ? peer->GetY() : CCorvaneObject::GetY();
}

double CCorvaneControl::GetZ() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkZ);
    return peer != nullptr ? peer->GetZ() : CCorvaneObject::GetZ();
}

double CCorvaneControl::GetSortZ() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkZ);
    return peer != nullptr ? peer->GetSortZ() : CCorvaneObject::GetSortZ();
}

double CCorvaneControl::GetWidth() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkSize);
    return peer != nullptr ? peer->GetWidth() : CCorvaneObject::GetWidth();
}

double CCorvaneControl::GetHeight() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkSize);
    return peer != nullptr ? peer->GetHeight() : CCorvaneObject::GetHeight();
}

double CCorvaneControl::GetAlpha() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkAlpha);
    return peer != nullptr ? peer->GetAlpha() : CCorvaneObject::GetAlpha();
}

double CCorvaneControl::GetAngle() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkRotation);
    return peer != nullptr ? peer->GetAngle() : CCorvaneObject::GetAngle();
}

IntRect* CCorvaneControl::GetClipRect(IntRect* out) {
    CCorvaneObject* peer = PeerLinkedFor(kLinkClipRect);
    return peer != nullptr ? peer->GetClipRect(out) : CCorvaneObject::GetClipRect(out);
}

double CCorvaneControl::GetLeft() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkScale | kLinkPosition);
    return peer != nullptr ? peer->GetLeft() : CCorvaneObject::GetLeft();
}

double CCorvaneControl::GetTop() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkScale | kLinkPosition);
    return peer != nullptr ? peer->GetTop() : CCorvaneObject::GetTop();
}

double CCorvaneControl::GetRight() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkSize | kLinkPosition);
    return peer != nullptr ? peer->GetRight() : CCorvaneObject::GetRight();
}

double CCorvaneControl::GetBottom() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkSize | kLinkPosition);
    return peer != nullptr ? peer->GetBottom() : CCorvaneObject::GetBottom();
}

int CCorvaneControl::IsVisible() {
    CCorvaneObject* peer = PeerLinkedFor(kLinkShow | kLinkHide);
    return peer != nullptr ? peer->IsVisible() : CCorvaneObject::IsVisible();
}

int CCorvaneControl::HitTest(int x, int y) {
    CCorvaneObject* peer = PeerLinkedFor(kLinkSize | kLinkPosition);
    return peer != nullptr ? peer->HitTest(x, y) : CCorvaneObject::HitTest(x, y);
}

// --- The control's own operations ---

bool CCorvaneControl::WouldLoop(CCorvaneObject* candidate) {
    // The control itself or an ancestor cannot be attached below it, and a
    // control that answers through this one would make every query recurse.
    for (CCorvaneObject* o = this; o != nullptr; o = o->GetParent()) {
        if (o == candidate) {
            return true;
        }
    }
    for (CCorvaneObject* o = candidate; o != nullptr;) {
        auto* control = dynamic_cast<CCorvaneControl*>(o);
        if (control == nullptr) {
            break;
        }
        CCorvaneObject* next = control->GetPeer();
        if (next == this) {
            return true;
        }
        o = next;
    }
    return false;
}

void CCorvaneControl::PeerSetUp(CCorvaneObject* peer, uint32_t linkFlags) {
    if (peer != nullptr && WouldLoop(peer)) {
        EngineLog("control %d: object %d refused as its peer", GetId(), peer->GetId());
        return;
    }
    if (CCorvaneObject* old = GetPeer()) {
        // Goes to the old peer itself and removes nothing: the old peer stays
        // an ordinary child of the control. Without an id the call could only
        // match an unregistered child of the old peer, so it is left out.
        if (old->GetId() != 0) {
            RemoveChild(old->GetId());
        }
        peer_ = nullptr;
        peerId_ = 0;
    }
    if (peer == nullptr) {
        ClearFlags(kObjectHasPeer);
        Invalidate();
        return;
    }
    AttachChild(peer, linkFlags | kLinkBindings);
    AddFlags(kObjectHasPeer);
    peer_ = peer;
    peerId_ = peer->GetId();
    Invalidate();
}

void CCorvaneControl::SetInputEnabled(int on) {
    EnableInput(on);
    Invalidate();
    OnEvent(MakeEventRecord(GetId(), on ? kEventInputEnabled : kEventInputDisabled, 0, 0));
}

CCorvaneObject* CCorvaneControl::GetPeerOrSelf() {
    CCorvaneObject* peer = GetPeer();
    return peer != nullptr ? peer : this;
}
