#include "engine/ObjectModule.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneFont.h"
#include "engine/CorvaneObject.h"
#include "engine/CorvanePicture.h"
#include "engine/Drawable.h"
#include "engine/GameCore.h"
#include "engine/InputModule.h"
#include "engine/SceneGeometry.h"
#include "platform/Dialogs.h"
#include "platform/WindowState.h"

namespace {

constexpr size_t kPoolUnits = 64;

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// A scene rectangle in window coordinates.
IntRect ToWindow(const IntRect& r, const IntRect& scene) {
    return IntRect{ClampToInt(static_cast<int64_t>(r.left) - scene.left),
                   ClampToInt(static_cast<int64_t>(r.top) - scene.top),
                   ClampToInt(static_cast<int64_t>(r.right) - scene.left),
                   ClampToInt(static_cast<int64_t>(r.bottom) - scene.top)};
}

// Sort key of the draw list: layer, then z, then id.
bool DrawsAfter(const ObjectState& a, int aId, const ObjectState& b, int bId) {
    if (a.layer != b.layer) {
        return a.layer > b.layer;
    }
    if (a.z != b.z) {
        return a.z > b.z;
    }
    return aId > bId;
}

}  // namespace

// Holds the draw lock with its busy counter raised.
class ObjectModule::DrawLockScope {
public:
    explicit DrawLockScope(ObjectModule& module) : module_(module) {
        module_.drawLock_.Lock();
        ++module_.drawBusy_;
    }
    ~DrawLockScope() {
        module_.drawBusy_ = 0;
        module_.drawLock_.Unlock();
    }
    DrawLockScope(const DrawLockScope&) = delete;
    DrawLockScope& operator=(const DrawLockScope&) = delete;

private:
    ObjectModule& module_;
};

ObjectModule::ObjectModule() = default;

ObjectModule::~ObjectModule() {
    Teardown();
}

int ObjectModule::Init() {
    const bool ok = eventPool_.Init(sizeof(EventRecord), kPoolUnits) &&
                    drawPool_.Init(sizeof(DrawRecord), kPoolUnits) &&
                    groupPool_.Init(sizeof(GroupRecord), kPoolUnits) &&
                    actionPool_.Init(sizeof(ActionRecord), kPoolUnits);
    if (ok && !textRenderer_) {
        // The one renderer every canvas draws its text with.
        auto* renderer = new CCorvaneFont;
        renderer->Create();
        SetTextRenderer(renderer, [](CCorvaneFont* font) { delete font; });
    }
    return ok ? 1 : 0;
}

int ObjectModule::Uninit() {
    Teardown();
    return 1;
}

void ObjectModule::Teardown() {
    // Records still queued die with the pools, except heap events.
    discarding_ = true;
    DrainMessages();
    discarding_ = false;

    // Objects first, while the pools their actions live in still exist.
    for (auto& [id, entry] : entries_) {
        entry->object->DetachChildren();
    }
    while (!entries_.empty()) {
        DestroyObjectById(entries_.begin()->first);
    }
    textRenderer_.reset();

    firstAction_ = nullptr;
    lastAction_ = nullptr;
    currentGroup_ = nullptr;
    liveGroups_.clear();
    endedUpTo_.clear();
    for (CMemPool* pool : {&eventPool_, &drawPool_, &groupPool_, &actionPool_}) {
        pool->Reset();
        pool->Destroy();
    }
    drawList_.clear();
    dirtyRects_.clear();
}

int ObjectModule::Tick() {
    DrainMessages();
    RunActions();
    BuildFrame();
    return 1;
}

int ObjectModule::HandleMessage(int id, void* p, int n) {
    if (discarding_) {
        if (id == kMsgDeliverHeapEvent) {
            DeliverHeapEvent(p, n, false);
        }
        return 0;
    }
    switch (id) {
        case kMsgDestroyObject:
            if (ObjectEntry* entry = FindEntry(static_cast<CCorvaneObject*>(p))) {
                DestroyObjectById(entry->id);
            }
            return 0;
        case kMsgDeliverPostedEvent:
            if (p != nullptr) {
                DeliverEvent(*static_cast<EventRecord*>(p));
                eventPool_.Free(p);
            }
            return 1;
        case kMsgSendEvent:
            return p != nullptr ? DeliverEvent(*static_cast<EventRecord*>(p)) : 0;
        case kMsgPostEvent:
            return p != nullptr ? PostEvent(*static_cast<EventRecord*>(p)) : 0;
        case kMsgDeliverHeapEvent:
            DeliverHeapEvent(p, n, true);
            return 0;
        case kMsgDeliverInputEvent:
            if (p != nullptr) {
                DeliverInputEvent(*static_cast<EventRecord*>(p));
                if (FindModule(kInputModuleId) != nullptr) {
                    PostMessage(kInputModuleId, kMsgReturnInputRecord, p, 0);
                }
            }
            return 0;
        case kMsgObjectChanged:
            ObjectChanged(static_cast<CCorvaneObject*>(p));
            return 0;
        case kMsgAddAction:
            AddAction(static_cast<ActionRecord*>(p));
            return 0;
        case kMsgBeginGroup:
            BeginGroup(static_cast<GroupRecord*>(p));
            return 0;
        case kMsgNextGroup:
            NextGroup(static_cast<GroupRecord*>(p));
            return 0;
        case kMsgEndGroup:
            EndGroup();
            return 0;
        case kMsgCancelAction:
            CancelAction(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)));
            return 0;
        case kMsgCancelGroup:
            CancelGroup(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)));
            return 0;
        case kMsgCancelObjectActions:
            CancelObjectActions(static_cast<int>(MessageParamToInt(p)));
            return 0;
        case kMsgRedrawAll:
            RedrawAll();
            return 0;
        default:
            return 0;
    }
}

void ObjectModule::DeliverHeapEvent(void* p, int n, bool deliver) {
    if (p == nullptr) {
        return;
    }
    if (n == kHeapEventFreed) {
        auto* record = static_cast<EventRecord*>(p);
        if (deliver) {
            DeliverEvent(*record);
        }
        FreeEventBlock(record);
        return;
    }
    auto* record = static_cast<ReleasingEventRecord*>(p);
    if (deliver) {
        DeliverEvent(record->record);
    }
    if (record->release != nullptr) {
        record->release(nullptr, record, 0);
    }
}

ObjectModule::ObjectEntry* ObjectModule::FindEntry(const CCorvaneObject* object) const {
    if (object == nullptr) {
        return nullptr;
    }
    auto it = byObject_.find(object);
    return it != byObject_.end() ? it->second : nullptr;
}

bool ObjectModule::IsDrawable(const ObjectState& state) const {
    return state.visible != 0 && (state.flags & kObjectDisabled) == 0 &&
           IntersectRects(ObjectRect(state), sceneRect_, nullptr);
}

void ObjectModule::InsertIntoDrawList(ObjectEntry* entry) {
    auto it = std::find_if(drawList_.begin(), drawList_.end(), [entry](const ObjectEntry* other) {
        return DrawsAfter(other->state, other->id, entry->state, entry->id);
    });
    drawList_.insert(it, entry);
    entry->inDrawList = true;
}

void ObjectModule::RemoveFromDrawList(ObjectEntry* entry) {
    if (!entry->inDrawList) {
        return;
    }
    std::erase(drawList_, entry);
    entry->inDrawList = false;
}

void ObjectModule::RegisterObject(CCorvaneObject* object, CCorvaneObject* owner) {
    if (object == nullptr || FindEntry(object) != nullptr) {
        return;
    }
    auto entry = std::make_unique<ObjectEntry>();
    const int id = ++lastId_;
    object->Init(GetCore(), id);
    object->SetZ(id - 10000.0);

    entry->object = object;
    entry->id = id;
    object->GetState(&entry->state);
    ObjectEntry* raw = entry.get();
    entries_.emplace(id, std::move(entry));
    byObject_.emplace(object, raw);

    if (IsDrawable(raw->state)) {
        DrawLockScope lock(*this);
        IntRect visible;
        IntersectRects(ObjectRect(raw->state), sceneRect_, &visible);
        AddDirtyRect(visible);
        InsertIntoDrawList(raw);
    }
    if (owner != nullptr && owner->GetEventTarget() != nullptr) {
        object->SetEventTarget(owner->GetEventTarget());
    }
    object->Create();
}

CCorvaneObject* ObjectModule::CreateObject(CCorvaneObject* owner) {
    auto* object = new CCorvaneObject;
    RegisterObject(object, owner);
    return object;
}

CCorvanePicture* ObjectModule::CreatePicture(const FrameRecord& image, CCorvaneObject* owner) {
    auto* picture = new CCorvanePicture;
    picture->SetImage(image, 1);
    RegisterObject(picture, owner);
    return picture;
}

CCorvaneCanvas* ObjectModule::CreateCanvas(int width, int height, uint32_t colorKey,
                                           CCorvaneObject* owner) {
    auto* canvas = new CCorvaneCanvas;
    canvas->Create(width, height, colorKey, GetTextRenderer());
    RegisterObject(canvas, owner);
    return canvas;
}

void ObjectModule::DestroyObjectById(int id) {
    CancelObjectActions(id);
    endedUpTo_.erase(id);
    auto it = entries_.find(id);
    if (it == entries_.end()) {
        return;
    }
    std::unique_ptr<ObjectEntry> entry = std::move(it->second);
    entries_.erase(it);
    byObject_.erase(entry->object);

    DrawLockScope lock(*this);
    ObjectState state;
    entry->object->GetState(&state);
    if (state.visible != 0 && (state.flags & kObjectDisabled) == 0) {
        AddDirtyRect(ObjectRect(state));
    }
    RemoveFromDrawList(entry.get());
    // Owned children come back here through 1015 from the destructor.
    delete entry->object;
}

CCorvaneObject* ObjectModule::HitTest(int x, int y) {
    const int sx = ClampToInt(static_cast<int64_t>(x) + sceneRect_.left);
    const int sy = ClampToInt(static_cast<int64_t>(y) + sceneRect_.top);
    DrawLockScope lock(*this);
    uint32_t bestLayer = 0;
    double bestZ = hitTestFloor_;
    CCorvaneObject* best = nullptr;
    for (size_t i = 0; i < drawList_.size(); ++i) {
        CCorvaneObject* object = drawList_[i]->object;
        if (!object->IsInputEnabled() || object->HasPeer() || !object->HitTest(sx, sy)) {
            continue;
        }
        const uint32_t layer = object->GetLayer();
        const double z = object->GetZ();
        if (layer > bestLayer || (layer == bestLayer && z > bestZ)) {
            bestLayer = layer;
            bestZ = z;
            best = object;
        }
    }
    return best;
}

int ObjectModule::FindFocusTarget(int id) {
    for (CCorvaneObject* object = FindObjectById(id); object != nullptr;
         object = object->GetParent()) {
        if (object->IsFocusable()) {
            return object->GetId();
        }
    }
    return 0;
}

CCorvaneObject* ObjectModule::FindObjectByName(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    for (const auto& [id, entry] : entries_) {
        const char* own = entry->object->GetName();
        if (own != nullptr && std::strcmp(own, name) == 0) {
            return entry->object;
        }
    }
    return nullptr;
}

CCorvaneObject* ObjectModule::FindObjectById(int id) {
    auto it = entries_.find(id);
    return it != entries_.end() ? it->second->object : nullptr;
}

void ObjectModule::SetSceneSize(int width, int height) {
    const int64_t left = centreX_ - (static_cast<int64_t>(width) + 1) / 2;
    const int64_t top = centreY_ - (static_cast<int64_t>(height) + 1) / 2;
    sceneRect_ = IntRect{ClampToInt(left), ClampToInt(top), ClampToInt(left + width),
                         ClampToInt(top + height)};
    RebuildDrawList();
}

void ObjectModule::SetSceneCentre(int x, int y) {
    const int64_t dx = static_cast<int64_t>(x) - centreX_;
    const int64_t dy = static_cast<int64_t>(y) - centreY_;
    centreX_ = x;
    centreY_ = y;
    sceneRect_ = IntRect{ClampToInt(sceneRect_.left + dx), ClampToInt(sceneRect_.top + dy),
                         ClampToInt(sceneRect_.right + dx), ClampToInt(sceneRect_.bottom + dy)};
    RebuildDrawList();
}

void ObjectModule::RebuildDrawList() {
    DrawLockScope lock(*this);
    for (ObjectEntry* entry : drawList_) {
        entry->inDrawList = false;
    }
    drawList_.clear();
    for (auto& [id, entry] : entries_) {
        entry->object->GetState(&entry->state);
        if (IsDrawable(entry->state)) {
            InsertIntoDrawList(entry.get());
            AddDirtyRect(ObjectRect(entry->state));
        }
    }
}

void ObjectModule::RedrawAll() {
    {
        DrawLockScope lock(*this);
        dirtyRects_.clear();
        AddDirtyRect(sceneRect_);
    }
    BuildFrame();
}

double ObjectModule::GetTopZ(uint32_t layer) {
    double top = 0.0;
    for (const auto& [id, entry] : entries_) {
        if (entry->object->GetLayer() == layer) {
            top = std::max(top, entry->object->GetZ());
        }
    }
    return top;
}

int ObjectModule::GetDrawIndex(int id) {
    auto it = std::find_if(drawList_.begin(), drawList_.end(),
                           [id](const ObjectEntry* entry) { return entry->id == id; });
    return static_cast<int>(it - drawList_.begin()) - 1;
}

int ObjectModule::IsDrawListOrdered() {
    // The objects' own values: a change not yet reported shows up here.
    for (size_t i = 1; i < drawList_.size(); ++i) {
        CCorvaneObject* before = drawList_[i - 1]->object;
        CCorvaneObject* after = drawList_[i]->object;
        if (before->GetLayer() > after->GetLayer() ||
            (before->GetLayer() == after->GetLayer() && before->GetZ() > after->GetZ())) {
            return 0;
        }
    }
    return 1;
}

void ObjectModule::ObjectChanged(CCorvaneObject* object) {
    ObjectEntry* entry = FindEntry(object);
    if (entry == nullptr) {
        return;
    }
    DrawLockScope lock(*this);
    ObjectState now;
    object->GetState(&now);
    const ObjectState& old = entry->state;
    if (old.x != now.x || old.y != now.y || old.width != now.width || old.height != now.height ||
        old.angle != now.angle) {
        AddDirtyRect(ObjectRect(old));
    }
    AddDirtyRect(ObjectRect(now));
    entry->state = now;
    RemoveFromDrawList(entry);
    if (IsDrawable(now)) {
        InsertIntoDrawList(entry);
    }
}

void ObjectModule::AddDirtyRect(const IntRect& rect) {
    IntRect visible;
    if (!IntersectRects(rect, sceneRect_, &visible)) {
        return;
    }
    DrawLockScope lock(*this);
    if (dirtyRects_.empty()) {
        dirtyRects_.push_back(visible);
        return;
    }
    for (IntRect& stored : dirtyRects_) {
        const IntRect both = UnionRects(rect, stored);
        if (both == rect) {
            stored = rect;
            return;
        }
        if (both == stored) {
            return;
        }
        if ((rect.left == stored.left && rect.right == stored.right) ||
            (rect.top == stored.top && rect.bottom == stored.bottom)) {
            stored = both;
            return;
        }
    }
    dirtyRects_.push_back(rect);
}

void ObjectModule::DeliverInputEvent(const EventRecord& record) {
    auto* input = dynamic_cast<InputModule*>(FindModule(kInputModuleId));
    const std::optional<platform::HeldModifiers> held =
        input != nullptr ? input->ModifiersOf(&record) : std::nullopt;
    if (!held) {
        DeliverEvent(record);
        return;
    }
    const platform::HeldModifiersScope asSent(*held);
    DeliverEvent(record);
}

int ObjectModule::DeliverEvent(const EventRecord& record) {
    CCorvaneObject* target = FindObjectById(record.target);
    return target != nullptr ? target->OnEvent(record) : 0;
}

int ObjectModule::DeliverActionEnd(const EventRecord& record) {
    CCorvaneObject* target = FindObjectById(record.target);
    return target != nullptr ? target->OnEvent2(record) : 0;
}

int ObjectModule::PostEvent(const EventRecord& record) {
    void* unit = eventPool_.Alloc(sizeof(EventRecord));
    if (unit == nullptr) {
        return 0;
    }
    auto* copy = new (unit) EventRecord(record);
    if (PostMessage(kObjectModuleId, kMsgDeliverPostedEvent, copy, 0) == 0) {
        eventPool_.Free(copy);
        return 0;
    }
    return 1;
}

void ObjectModule::SetTextRenderer(CCorvaneFont* font, FontDeleter deleter) {
    if (font != nullptr && deleter == nullptr) {
        return;
    }
    textRenderer_ = std::unique_ptr<CCorvaneFont, FontDeleter>(font, deleter);
}

bool ObjectModule::MainWindowIsMinimised() const {
    const platform::WindowId window = platform::MainWindow();
    return window != 0 && platform::IsMinimised(window);
}

void ObjectModule::AppendDrawRecord(FrameDrawRecord* frame, DrawRecord** tail,
                                    CCorvaneObject* object) {
    void* unit = drawPool_.Alloc(sizeof(DrawRecord));
    if (unit == nullptr) {
        return;
    }
    auto* record = new (unit) DrawRecord;
    object->GetState(&record->state);
    record->state.x -= sceneRect_.left;
    record->state.y -= sceneRect_.top;
    record->drawable = object->GetDrawable();
    if (*tail == nullptr) {
        frame->first = record;
    } else {
        (*tail)->next = record;
    }
    *tail = record;
}

void ObjectModule::BuildFrame() {
    // Without a painter a frame would have no owner; the rectangles wait.
    if (dirtyRects_.empty() || MainWindowIsMinimised() || FindModule(kPaintModuleId) == nullptr) {
        return;
    }
    FrameDrawRecord* frame = nullptr;
    {
        DrawLockScope lock(*this);
        const int rectCount = fullRedraw_ ? 1 : static_cast<int>(dirtyRects_.size());
        frame = AllocFrameDrawRecord(rectCount);
        if (frame == nullptr) {
            return;
        }
        frame->centreX = centreX_;
        frame->centreY = centreY_;
        frame->pool = &drawPool_;
        DrawRecord* tail = nullptr;
        if (fullRedraw_) {
            frame->rects[0] = IntRect{0, 0, sceneRect_.Width(), sceneRect_.Height()};
        } else {
            for (int i = 0; i < rectCount; ++i) {
                frame->rects[i] = ToWindow(dirtyRects_[static_cast<size_t>(i)], sceneRect_);
            }
        }
        for (ObjectEntry* entry : drawList_) {
            CCorvaneObject* object = entry->object;
            if (object->GetDrawable() == nullptr) {
                continue;
            }
            bool listed = fullRedraw_ != 0;
            if (!listed) {
                ObjectState shape;
                object->GetState(&shape);
                listed =
                    std::any_of(dirtyRects_.begin(), dirtyRects_.end(),
                                [&shape](const IntRect& r) { return ShapeOverlapsRect(shape, r); });
            }
            if (listed) {
                AppendDrawRecord(frame, &tail, object);
            }
        }
        dirtyRects_.clear();
    }
    SendMessage(kPaintModuleId, kMsgDrawFrame, frame, 0);
}
