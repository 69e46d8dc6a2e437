#include "engine/CorvaneObject.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Drawable.h"
#include "engine/GameCore.h"
#include "engine/ObjectModule.h"
#include "engine/SceneGeometry.h"

template <class Action>
void CCorvaneObject::ForEachLinkedChild(uint32_t linkFlag, Action&& action) {
    // By index and by value: an action may add children to this list.
    for (size_t i = 0; i < children_.size(); ++i) {
        const ChildLink link = children_[i];
        if ((link.flags & linkFlag) != 0) {
            action(link.child);
        }
    }
}

CCorvaneObject::CCorvaneObject() {
    state_.x = kNewObjectPos;
    state_.y = kNewObjectPos;
    state_.alpha = 1.0;
}

CCorvaneObject::~CCorvaneObject() {
    bindings_.clear();
    name_.reset();
    SetParent(nullptr);
    const bool registered = IsRegistered() != 0;
    // One child at a time: destroying one may unlink another from this list.
    while (!children_.empty()) {
        const ChildLink link = children_.front();
        children_.erase(children_.begin());
        link.child->ClearParent();
        if ((link.flags & kLinkOwned) != 0 && registered) {
            module_->HandleMessage(kMsgDestroyObject, link.child, 0);
        }
    }
}

void CCorvaneObject::Init(GameCore* core, int id) {
    core_ = core;
    module_ =
        core != nullptr ? dynamic_cast<ObjectModule*>(core->FindModule(kObjectModuleId)) : nullptr;
    id_ = id;
}

void CCorvaneObject::Register(CCorvaneObject* object) {
    if (module_ != nullptr) {
        module_->RegisterObject(object, this);
    }
}

void CCorvaneObject::SetPos(double x, double y) {
    MoveBy(x - state_.x, y - state_.y);
}

void CCorvaneObject::MoveBy(double dx, double dy) {
    state_.x += dx;
    state_.y += dy;
    const uint32_t movingClip = kObjectClipMoves | kObjectHasClipRect;
    if ((state_.flags & movingClip) == movingClip) {
        IntRect& clip = state_.clipRect;
        clip.left = TruncToInt(clip.left + dx);
        clip.right = TruncToInt(clip.right + dx);
        clip.top = TruncToInt(clip.top + dy);
        clip.bottom = TruncToInt(clip.bottom + dy);
    }
    ForEachLinkedChild(kLinkPosition, [&](CCorvaneObject* child) { child->MoveBy(dx, dy); });
}

void CCorvaneObject::SetSize(double width, double height) {
    state_.width = width;
    state_.height = height;
    ForEachLinkedChild(kLinkSize, [&](CCorvaneObject* child) { child->SetSize(width, height); });
}

void CCorvaneObject::SetZ(double z) {
    MoveZBy(z - state_.z);
}

void CCorvaneObject::MoveZBy(double dz) {
    state_.z = std::min(state_.z + dz, kMaxObjectZ);
    ForEachLinkedChild(kLinkZ, [&](CCorvaneObject* child) { child->MoveZBy(dz); });
}

void CCorvaneObject::BringToTop() {
    if (IsRegistered()) {
        SetZ(module_->GetTopZ(GetLayer()) + 1.0);
    }
}

void CCorvaneObject::Show() {
    state_.visible = 1;
    for (size_t i = 0; i < children_.size(); ++i) {
        ChildLink& link = children_[i];
        CCorvaneObject* child = link.child;
        if ((link.flags & kLinkShow) != 0) {
            child->Show();
        } else if ((link.flags & kLinkHideWithMemory) != 0 &&
                   (link.flags & kLinkHiddenByParent) != 0) {
            link.flags &= ~kLinkHiddenByParent;
            child->Show();
        }
    }
}

void CCorvaneObject::Hide() {
    state_.visible = 0;
    for (size_t i = 0; i < children_.size(); ++i) {
        ChildLink& link = children_[i];
        CCorvaneObject* child = link.child;
        if ((link.flags & kLinkHide) != 0) {
            child->Hide();
        } else if ((link.flags & kLinkHideWithMemory) != 0 && child->IsVisible()) {
            link.flags |= kLinkHiddenByParent;
            child->Hide();
        }
    }
}

void CCorvaneObject::SetAlpha(double alpha) {
    state_.alpha = alpha;
    ForEachLinkedChild(kLinkAlpha, [&](CCorvaneObject* child) { child->SetAlpha(alpha); });
}

void CCorvaneObject::SetAngle(double angle) {
    RotateBy(angle - state_.angle);
}

void CCorvaneObject::RotateBy(double da) {
    state_.angle += da;
    const double cx = state_.x;
    const double cy = state_.y;
    ForEachLinkedChild(kLinkRotation,
                       [&](CCorvaneObject* child) { child->RotateAbout(cx, cy, da); });
}

void CCorvaneObject::RotateAbout(double cx, double cy, double da) {
    if (da != 0.0) {
        const double r = da * kEngineDegreeFactor;
        const double c = std::cos(r);
        const double s = std::sin(r);
        const double dx = state_.x - cx;
        const double dy = state_.y - cy;
        SetPos(cx + c * dx + s * dy, cy - s * dx + c * dy);
    }
    RotateBy(da);
}

void CCorvaneObject::Scale(double fx, double fy) {
    state_.width *= fx;
    state_.height *= fy;
    ForEachLinkedChild(kLinkScale, [&](CCorvaneObject* child) { child->Scale(fx, fy); });
}

void CCorvaneObject::Resize(double width, double height) {
    width = std::max(width, 0.0);
    height = std::max(height, 0.0);
    const bool scalable = state_.width != 0.0 && state_.height != 0.0;
    ForEachLinkedChild(kLinkScale, [&](CCorvaneObject* child) {
        if (scalable) {
            child->Scale(width / state_.width, height / state_.height);
        } else {
            child->Resize(width, height);
        }
    });
    state_.width = width;
    state_.height = height;
}

void CCorvaneObject::SetClipRect(int left, int top, int right, int bottom) {
    state_.clipRect = IntRect{left, top, right, bottom};
    AddFlags(kObjectHasClipRect);
    ForEachLinkedChild(kLinkClipRect, [&](CCorvaneObject* child) {
        child->SetClipRect(left, top, right, bottom);
    });
}

void CCorvaneObject::Enable(int on) {
    if (on) {
        state_.flags &= ~kObjectDisabled;
    } else {
        state_.flags |= kObjectDisabled;
    }
    Invalidate();
}

void CCorvaneObject::SetState(const ObjectState& state) {
    state_ = state;
}

void CCorvaneObject::SetEventTarget(CCorvaneObject* target) {
    eventTarget_ = target;
    if (target != nullptr && target != this) {
        target->OnTargetAssigned(this);
    }
}

CCorvaneObject::ChildLink* CCorvaneObject::FindChildLink(int id) {
    for (ChildLink& link : children_) {
        if (link.child->GetId() == id) {
            return &link;
        }
    }
    return nullptr;
}

bool CCorvaneObject::IsSelfOrAncestor(const CCorvaneObject* object) const {
    for (const CCorvaneObject* o = this; o != nullptr; o = o->parent_) {
        if (o == object) {
            return true;
        }
    }
    return false;
}

int CCorvaneObject::AttachChild(CCorvaneObject* child, uint32_t linkFlags) {
    // Attaching an ancestor would make the tree a loop.
    if (child == nullptr || IsSelfOrAncestor(child)) {
        return 0;
    }
    for (ChildLink& link : children_) {
        if (link.child == child) {
            link.flags = linkFlags;
            return 0;
        }
    }
    child->SetParent(this);
    if ((state_.flags & kObjectTopmost) != 0 && state_.layer == kTopmostLayer) {
        child->SetTopmost();
    }
    children_.push_back(ChildLink{child, linkFlags});
    return static_cast<int>(children_.size());
}

uint32_t CCorvaneObject::GetChildLinkFlags(int id) {
    const ChildLink* link = FindChildLink(id);
    return link != nullptr ? link->flags : 0;
}

void CCorvaneObject::SetChildLinkFlags(int id, uint32_t linkFlags) {
    if (ChildLink* link = FindChildLink(id)) {
        link->flags = linkFlags;
    }
}

void CCorvaneObject::RemoveChild(int id) {
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        if (it->child->GetId() == id) {
            CCorvaneObject* child = it->child;
            children_.erase(it);
            child->ClearParent();
            return;
        }
    }
}

void CCorvaneObject::RemoveFromOwnList(const CCorvaneObject* child) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const ChildLink& link) { return link.child == child; });
    if (it != children_.end()) {
        children_.erase(it);
    }
}

int CCorvaneObject::HasChild(int id) {
    return FindChildLink(id) != nullptr ? 1 : 0;
}

int CCorvaneObject::IsOrContains(int id) {
    if (GetId() == id) {
        return 1;
    }
    for (size_t i = 0; i < children_.size(); ++i) {
        if (children_[i].child->IsOrContains(id)) {
            return 1;
        }
    }
    return 0;
}

void CCorvaneObject::DetachChildren() {
    std::vector<ChildLink> children;
    children.swap(children_);
    for (const ChildLink& link : children) {
        link.child->ClearParent();
    }
}

void CCorvaneObject::ClearParent() {
    parent_ = nullptr;
}

void CCorvaneObject::SetParent(CCorvaneObject* parent) {
    if (parent_ != nullptr) {
        CCorvaneObject* old = parent_;
        // The node may sit in the old parent's own list even when that
        // parent forwards RemoveChild elsewhere: take it out by identity
        // first, then let the parent do its own unlinking.
        old->RemoveFromOwnList(this);
        if (id_ != 0) {
            old->RemoveChild(id_);
        }
    }
    parent_ = parent;
}

void CCorvaneObject::ForwardEvent(const EventRecord& record) {
    ForEachLinkedChild(kLinkForwardEvents, [&](CCorvaneObject* child) { child->OnEvent(record); });
}

void CCorvaneObject::SetName(const char* name) {
    if (name != nullptr && name[0] != '\0') {
        name_ = std::string(name);
    }
}

void CCorvaneObject::EnableInput(int on) {
    if (on) {
        state_.flags |= kObjectTakesInput;
    } else {
        state_.flags &= ~kObjectTakesInput;
    }
    ForEachLinkedChild(kLinkInput, [&](CCorvaneObject* child) { child->EnableInput(on); });
}

void CCorvaneObject::EnableDrag(int on) {
    if (on) {
        BindEvent(kEventLButtonDown, id_, kEventLButtonDown, 0, 0);
        BindEvent(kEventLButtonUp, id_, kEventLButtonUp, 0, 0);
        BindEvent(kEventDrag, id_, kEventDragMove, 0, 0);
    } else {
        UnbindEvent(kEventDrag);
    }
}

void CCorvaneObject::SetFocusable(int on) {
    if (on) {
        state_.flags |= kObjectFocusable;
    } else {
        state_.flags &= ~kObjectFocusable;
    }
}

void CCorvaneObject::SetFlags(uint32_t flags) {
    state_.flags = flags;
}

void CCorvaneObject::AddFlags(uint32_t flags) {
    state_.flags |= flags;
}

void CCorvaneObject::ClearFlags(uint32_t flags) {
    state_.flags &= ~flags;
}

void CCorvaneObject::SetLayer(uint32_t layer) {
    state_.layer = std::min(layer, kMaxObjectLayer);
}

void CCorvaneObject::SetTopmost() {
    state_.flags |= kObjectTopmost;
    state_.layer = kTopmostLayer;
    for (size_t i = 0; i < children_.size(); ++i) {
        children_[i].child->SetTopmost();
    }
}

void CCorvaneObject::Invalidate() {
    if (IsRegistered()) {
        module_->HandleMessage(kMsgObjectChanged, this, 0);
    }
    ForEachLinkedChild(kLinkInvalidate, [&](CCorvaneObject* child) { child->Invalidate(); });
}

void CCorvaneObject::ClipCursorToClipRect() {
    savedCursorClip_ = platform::GetCursorClip();
    // clipRect is in scene pixels: back to client pixels, then to the screen.
    IntRect scene;
    if (module_ != nullptr) {
        scene = module_->GetSceneRect();
    }
    const platform::WindowId window = core_ != nullptr ? core_->GetWindowHandle() : 0;
    const IntRect& clip = state_.clipRect;
    const platform::ScreenPoint topLeft =
        platform::ClientToScreen(window, {clip.left - scene.left, clip.top - scene.top});
    const platform::ScreenPoint bottomRight =
        platform::ClientToScreen(window, {clip.right - scene.left, clip.bottom - scene.top});
    platform::ClipCursor(platform::ScreenRect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y});
}

void CCorvaneObject::RestoreCursorClip() {
    platform::ClipCursor(savedCursorClip_);
}

int CCorvaneObject::OnEvent(const EventRecord& record) {
    const uint32_t cursorClip = kObjectHasClipRect | kObjectClipsCursor;
    switch (record.event) {
        case kEventLButtonDown:
            if ((state_.flags & cursorClip) == cursorClip) {
                ClipCursorToClipRect();
            }
            break;
        case kEventLButtonUp:
            if ((state_.flags & cursorClip) == cursorClip) {
                RestoreCursorClip();
            }
            break;
        case kEventDrag:
        case kEventDragMove:
            // Moves sent by code rather than by the input module carry no state.
            if (const InputState* input = InputStateOf(record)) {
                MoveBy(input->moveX, input->moveY);
                Invalidate();
            }
            break;
        case kEventShow:
            Show();
            Invalidate();
            break;
        case kEventHide:
            Hide();
            Invalidate();
            break;
        case kEventSettings:
        case kEventHeapBlock:
            FreeEventBlock(EventParamPointer<void>(record.param1));
            break;
        default:
            break;
    }
    return 1;
}

int CCorvaneObject::OnEvent2(const EventRecord&) {
    return 1;
}

ObjectState* CCorvaneObject::GetState(ObjectState* out) {
    if (out != nullptr) {
        *out = state_;
    }
    return out;
}

int CCorvaneObject::HitTest(int px, int py) {
    const ObjectState& s = state_;
    if ((s.flags & kObjectHasClipRect) != 0 && !s.clipRect.Contains(px, py)) {
        return 0;
    }
    // The point in the object's own (unturned) frame.
    double lx = px;
    double ly = py;
    if (s.angle != 0.0) {
        const double ix = std::trunc(s.x);
        const double iy = std::trunc(s.y);
        const double r = s.angle * kEngineDegreeFactor;
        const double c = std::cos(r);
        const double sn = std::sin(r);
        const double dx = px - ix;
        const double ndy = iy - py;
        const double u = std::round(c * dx + sn * ndy);
        const double v = std::round(c * ndy - sn * dx);
        lx = ix + u;
        ly = iy - v;
    }
    const double ox = (lx - s.x) + (s.width + 1.0) * 0.5;
    const double oy = (ly - s.y) + (s.height + 1.0) * 0.5;

    if ((s.flags & kObjectPixelHitTest) != 0) {
        const Drawable* drawable = GetDrawable();
        if (drawable == nullptr) {
            return 0;
        }
        if (s.angle == 0.0 && !ObjectScreenRect(s).Contains(px, py)) {
            return 0;
        }
        const int frameWidth = drawable->GetWidth();
        const int frameHeight = drawable->GetHeight();
        if (frameWidth == 0 || frameHeight == 0) {
            return 0;
        }
        const double sx = s.width / frameWidth;
        const double sy = s.height / frameHeight;
        if (sx == 0.0 || sy == 0.0) {
            return 0;
        }
        return drawable->HitTest(TruncToInt(ox / sx), TruncToInt(oy / sy)) ? 1 : 0;
    }
    if (s.angle == 0.0) {
        return ObjectScreenRect(s).Contains(px, py) ? 1 : 0;
    }
    return (ox >= 0.0 && ox < s.width && oy >= 0.0 && oy <= s.height) ? 1 : 0;
}

int CCorvaneObject::HasFocus() {
    if ((state_.flags & kObjectHasFocus) != 0) {
        return 1;
    }
    for (size_t i = 0; i < children_.size(); ++i) {
        if (children_[i].child->HasFocus()) {
            return 1;
        }
    }
    return 0;
}

IntRect* CCorvaneObject::GetClipRect(IntRect* out) {
    if (out != nullptr) {
        *out = state_.clipRect;
    }
    return out;
}

int CCorvaneObject::SendEvent(const EventRecord& record) {
    if (!IsRegistered() || record.target == 0 || record.event == 0) {
        return 0;
    }
    return module_->HandleMessage(kMsgSendEvent, const_cast<EventRecord*>(&record), 0);
}

int CCorvaneObject::PostEvent(const EventRecord& record) {
    if (!IsRegistered() || record.target == 0 || record.event == 0) {
        return 0;
    }
    return module_->HandleMessage(kMsgPostEvent, const_cast<EventRecord*>(&record), 0);
}

void CCorvaneObject::AddEventBinding(int incomingId, const EventRecord& record) {
    for (const EventBinding& binding : bindings_) {
        if (binding.incomingId == incomingId && binding.record.target == record.target &&
            binding.record.event == record.event) {
            return;
        }
    }
    bindings_.push_back(EventBinding{incomingId, record});
    if (!IsInputEvent(incomingId)) {
        return;
    }
    EnableInput(1);
    Invalidate();
    ForEachLinkedChild(kLinkBindings,
                       [&](CCorvaneObject* child) { child->AddEventBinding(incomingId, record); });
}

void CCorvaneObject::BindEvent(int incomingId, int targetId, int outgoingId, intptr_t param1,
                               intptr_t param2) {
    AddEventBinding(incomingId, MakeEventRecord(targetId, outgoingId, param1, param2));
}

void CCorvaneObject::BindEventToSelf(int id) {
    AddEventBinding(id, MakeEventRecord(id_, id, 0, 0));
}

void CCorvaneObject::UnbindEvent(int incomingId) {
    std::vector<EventRecord> removed;
    for (const EventBinding& binding : bindings_) {
        if (binding.incomingId == incomingId) {
            removed.push_back(binding.record);
        }
    }
    DropBindings(incomingId, removed);
}

void CCorvaneObject::DropBindings(int incomingId, const std::vector<EventRecord>& records) {
    const auto listed = [&records](const EventRecord& record) {
        return std::any_of(records.begin(), records.end(), [&record](const EventRecord& r) {
            return r.target == record.target && r.event == record.event;
        });
    };
    std::erase_if(bindings_, [&](const EventBinding& b) {
        return b.incomingId == incomingId && listed(b.record);
    });
    // A child that repeats the bindings drops the same ones: the mouse finds
    // the child, which must not post what its parent no longer binds.
    if (IsInputEvent(incomingId) && !records.empty()) {
        ForEachLinkedChild(kLinkBindings, [&](CCorvaneObject* child) {
            child->DropBindings(incomingId, records);
        });
    }
}

const EventRecord* CCorvaneObject::FindEventBinding(int incomingId) const {
    int index = 0;
    return FindNextEventBinding(incomingId, &index);
}

const EventRecord* CCorvaneObject::FindNextEventBinding(int incomingId, int* index) const {
    if (index == nullptr || *index < 0) {
        return nullptr;
    }
    for (size_t i = static_cast<size_t>(*index); i < bindings_.size(); ++i) {
        if (bindings_[i].incomingId == incomingId) {
            *index = static_cast<int>(i) + 1;
            return &bindings_[i].record;
        }
    }
    return nullptr;
}
