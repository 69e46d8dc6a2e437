#pragma once
// The engine module that owns the scene (module id 1002): it registers every
// engine object and gives it its id, keeps the draw list in (layer, z, id)
// order, collects the dirty rectangles and on each tick builds the frame
// that the paint module draws (message 1033). It answers hit tests, delivers
// events between objects, and runs timed actions and their groups.
//
// Rules:
//  - Ids start at 1 and are never reused; a new object gets z = id - 10000.
//  - An object is in the draw list exactly while it is shown, not disabled
//    (0x1000) and its rectangle meets the scene (as of its last change).
//  - Posted events are delivered on a later tick, in posting order.
//  - Handles that may be stale are checked before use: a destroy request
//    acts only on a registered object, an action whose target died before it
//    arrived ends at once as cancelled, and group handles are serials looked
//    up among live groups.
//  - No frame is built while the main window is minimised or no paint module
//    is loaded; the dirty rectangles wait.
//  - At Uninit the objects die first, then the text renderer, then the pools.
//  - Everything runs on the UI thread; the draw lock (re-entrant) guards the
//    draw list and the dirty rectangles.

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/ActionRecord.h"
#include "engine/EventRecord.h"
#include "engine/FrameDrawRecord.h"
#include "engine/MemPool.h"
#include "engine/ModuleBase.h"
#include "engine/ObjectState.h"
#include "platform/Sync.h"

class CCorvaneFont;
class CCorvaneObject;

// Messages of the object module (p and n as noted).
inline constexpr int kMsgDestroyObject = 1015;       // p: object
inline constexpr int kMsgDeliverPostedEvent = 1016;  // p: pooled EventRecord copy
inline constexpr int kMsgSendEvent = 1017;           // p: EventRecord
inline constexpr int kMsgPostEvent = 1018;           // p: EventRecord
inline constexpr int kMsgDeliverHeapEvent = 1019;    // p: heap record; n: 0 or 1 (see below)
inline constexpr int kMsgDeliverInputEvent = 1020;   // p: the input module's EventRecord
inline constexpr int kMsgObjectChanged = 1021;       // p: object
inline constexpr int kMsgIgnored = 1022;
inline constexpr int kMsgAddAction = 1023;   // p: ActionRecord
inline constexpr int kMsgBeginGroup = 1024;  // p: GroupRecord
inline constexpr int kMsgNextGroup = 1025;   // p: GroupRecord
inline constexpr int kMsgEndGroup = 1026;
inline constexpr int kMsgCancelAction = 1027;         // p: the action's serial
inline constexpr int kMsgCancelGroup = 1028;          // p: the group's serial
inline constexpr int kMsgCancelObjectActions = 1029;  // p: object id
inline constexpr int kMsgRedrawAll = 1030;

// 1019's n: the record is an EventRecord from AllocEventBlock, freed after
// delivery; or a ReleasingEventRecord whose own function releases it.
inline constexpr int kHeapEventFreed = 0;
inline constexpr int kHeapEventReleasing = 1;

// Sent to the input module with the record of a delivered 1020.
inline constexpr int kMsgReturnInputRecord = 1044;

inline constexpr double kDefaultHitTestFloor = -9999999.99999;

class CCorvaneCanvas;
class CCorvanePicture;
struct FrameRecord;

class ObjectModule : public ModuleBase {
public:
    using FontDeleter = void (*)(CCorvaneFont*);

    ObjectModule();
    ~ObjectModule() override;

    int Init() override;
    int Uninit() override;
    int Tick() override;
    int GetModuleID() const override { return kObjectModuleId; }
    const char* GetModuleName() const override { return "ObjectModule"; }
    int HandleMessage(int id, void* p, int n) override;
    uint32_t GetMaxQueue() const override { return 1048576; }

    // Gives the object its id, Init and Create; with an owner, the owner's
    // event target. Null and already registered objects are ignored.
    virtual void RegisterObject(CCorvaneObject* object, CCorvaneObject* owner);
    // A new plain object, registered.
    virtual CCorvaneObject* CreateObject(CCorvaneObject* owner);
    // A new picture showing the image (sized to it), registered.
    virtual CCorvanePicture* CreatePicture(const FrameRecord& image, CCorvaneObject* owner);
    // A new canvas of the size, drawing text with the shared renderer,
    // registered. A canvas whose pixels cannot be had is still made (empty).
    virtual CCorvaneCanvas* CreateCanvas(int width, int height, uint32_t colorKey,
                                         CCorvaneObject* owner);
    // Cancels its actions, redraws its area, deletes it.
    virtual void DestroyObjectById(int id);
    // The input-taking object under a point of the window's client area.
    virtual CCorvaneObject* HitTest(int x, int y);
    // The object or its nearest focusable ancestor; its id, or 0.
    virtual int FindFocusTarget(int id);
    virtual CCorvaneObject* FindObjectByName(const char* name);
    virtual CCorvaneObject* FindObjectById(int id);
    virtual void SetSceneSize(int width, int height);
    virtual void SetSceneCentre(int x, int y);
    // The whole scene is dirty and a frame is built at once.
    virtual void RedrawAll();
    // The greatest z on the layer, never below 0.0.
    virtual double GetTopZ(uint32_t layer);
    // Entries before the object's, minus one (length - 1 when absent).
    virtual int GetDrawIndex(int id);
    virtual int IsDrawListOrdered();
    virtual void SetHitTestFloor(double floor) { hitTestFloor_ = floor; }
    virtual void SetFullRedraw(int on) { fullRedraw_ = on; }
    // Zeroed records with the next serial; null when memory runs out.
    virtual ActionRecord* NewActionRecord();
    virtual GroupRecord* NewGroupRecord();
    virtual void ObjectChanged(CCorvaneObject* object);
    // The target's OnEvent answer; 0 for an unknown target.
    virtual int DeliverEvent(const EventRecord& record);
    // Queues a copy as 1016; 1 when queued.
    virtual int PostEvent(const EventRecord& record);
    // The target's OnEvent2 answer; 0 for an unknown target.
    virtual int DeliverActionEnd(const EventRecord& record);

    int GetObjectCount() const { return static_cast<int>(entries_.size()); }
    int CountLiveActions() const;
    IntRect GetSceneRect() const { return sceneRect_; }
    const std::vector<IntRect>& GetDirtyRects() const { return dirtyRects_; }
    void AddDirtyRect(const IntRect& rect);

    // The text renderer handed to canvases; destroyed after the objects.
    CCorvaneFont* GetTextRenderer() const { return textRenderer_.get(); }
    void SetTextRenderer(CCorvaneFont* font, FontDeleter deleter);

    // Actions and groups (messages 1023 to 1029).
    void AddAction(ActionRecord* record);
    void BeginGroup(GroupRecord* group);
    void NextGroup(GroupRecord* group);
    void EndGroup();
    void CancelAction(uint64_t serial);
    void CancelGroup(uint64_t serial);
    void CancelObjectActions(int id);
    // Ends the object's actions at once, those handed over but not yet
    // arrived included (their serials are older than any taken after this
    // call): none of them takes another step. Actions started later run.
    void EndObjectActions(int id);
    // The group that actions join now, or null.
    const GroupRecord* GetCurrentGroup() const { return currentGroup_; }

protected:
    void RebuildDrawList();
    void RunActions();
    void BuildFrame();

private:
    // An input record from the input module: delivered with Shift, Control
    // and Alt as they were when the input module sent it.
    void DeliverInputEvent(const EventRecord& record);
    struct ObjectEntry {
        CCorvaneObject* object = nullptr;
        int id = 0;
        ObjectState state;  // as of registration or the last change
        bool inDrawList = false;
    };

    class DrawLockScope;

    ObjectEntry* FindEntry(const CCorvaneObject* object) const;
    bool IsDrawable(const ObjectState& state) const;
    void InsertIntoDrawList(ObjectEntry* entry);
    void RemoveFromDrawList(ObjectEntry* entry);
    void AppendDrawRecord(FrameDrawRecord* frame, DrawRecord** tail, CCorvaneObject* object);
    bool MainWindowIsMinimised() const;
    void DeliverHeapEvent(void* p, int n, bool deliver);
    void Teardown();

    void FinishAction(ActionRecord* record, bool completed);
    void GroupDone(GroupRecord* group);
    void FreeGroup(GroupRecord* group);
    void RecomputeWaiting();
    void PostGroupNotice(const char* text);

    std::map<int, std::unique_ptr<ObjectEntry>> entries_;  // id order = registration order
    std::unordered_map<const CCorvaneObject*, ObjectEntry*> byObject_;
    int lastId_ = 0;
    std::vector<ObjectEntry*> drawList_;
    platform::RecursiveLock drawLock_;
    uint32_t drawBusy_ = 0;

    CMemPool eventPool_;
    CMemPool drawPool_;
    CMemPool groupPool_;
    CMemPool actionPool_;

    int centreX_ = 0;
    int centreY_ = 0;
    IntRect sceneRect_;
    std::vector<IntRect> dirtyRects_;
    std::unique_ptr<CCorvaneFont, FontDeleter> textRenderer_{nullptr, nullptr};
    int fullRedraw_ = 0;
    uint64_t serial_ = 0;

    GroupRecord* currentGroup_ = nullptr;
    ActionRecord* firstAction_ = nullptr;
    ActionRecord* lastAction_ = nullptr;
    std::unordered_map<uint64_t, GroupRecord*> liveGroups_;
    // By object id: actions of that object up to this serial arrive ended.
    std::unordered_map<int, uint64_t> endedUpTo_;
    bool runningActions_ = false;
    bool waitingStale_ = false;
    bool discarding_ = false;

    double hitTestFloor_ = kDefaultHitTestFloor;
};
