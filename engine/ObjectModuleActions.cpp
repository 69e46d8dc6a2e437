// Timed actions and action groups of the object module.
//
// A group counts its unfinished actions and child groups; a chain of groups
// (made by NextGroup) counts once in its parent. A group is active when
// neither it nor any ancestor still follows another group; actions of an
// inactive group wait. When a group is done its follower takes its place and
// is released, or, at the end of a chain, the parent counts one less.

#include <new>
#include <unordered_set>

#include "engine/CorvaneObject.h"
#include "engine/ObjectModule.h"

namespace {

bool IsGroupActive(const GroupRecord* group) {
    for (const GroupRecord* g = group; g != nullptr; g = g->parent) {
        if (g->previous != nullptr) {
            return false;
        }
    }
    return true;
}

void AppendChild(GroupRecord* parent, GroupRecord* child) {
    child->nextSibling = nullptr;
    GroupRecord** link = &parent->firstChild;
    while (*link != nullptr) {
        link = &(*link)->nextSibling;
    }
    *link = child;
}

// Puts replacement where old was in the parent's children; with no
// replacement, old is only taken out.
void ReplaceChild(GroupRecord* parent, GroupRecord* old, GroupRecord* replacement) {
    if (parent == nullptr) {
        return;
    }
    for (GroupRecord** link = &parent->firstChild; *link != nullptr; link = &(*link)->nextSibling) {
        if (*link == old) {
            if (replacement != nullptr) {
                replacement->nextSibling = old->nextSibling;
                *link = replacement;
            } else {
                *link = old->nextSibling;
            }
            old->nextSibling = nullptr;
            return;
        }
    }
}

// The group, the groups that follow it and everything they contain.
void CollectSequence(GroupRecord* group, std::unordered_set<const GroupRecord*>& out) {
    for (GroupRecord* g = group; g != nullptr; g = g->next) {
        if (!out.insert(g).second) {
            return;
        }
        for (GroupRecord* child = g->firstChild; child != nullptr; child = child->nextSibling) {
            CollectSequence(child, out);
        }
    }
}

// A zeroed record in a unit of the pool, with the next serial.
template <class Record>
Record* NewPooledRecord(CMemPool& pool, uint64_t& serial) {
    void* unit = pool.Alloc(sizeof(Record));
    if (unit == nullptr) {
        return nullptr;
    }
    auto* record = new (unit) Record();
    record->serial = ++serial;
    return record;
}

}  // namespace

void SetActionTarget(ActionRecord& record, CCorvaneObject* object) {
    record.object = object;
    record.objectId = object != nullptr ? object->GetId() : 0;
}

ActionRecord* ObjectModule::NewActionRecord() {
    return NewPooledRecord<ActionRecord>(actionPool_, serial_);
}

GroupRecord* ObjectModule::NewGroupRecord() {
    return NewPooledRecord<GroupRecord>(groupPool_, serial_);
}

int ObjectModule::CountLiveActions() const {
    int count = 0;
    for (const ActionRecord* a = firstAction_; a != nullptr; a = a->next) {
        count += a->cancelled ? 0 : 1;
    }
    return count;
}

void ObjectModule::AddAction(ActionRecord* record) {
    if (record == nullptr) {
        return;
    }
    // The target may have died between the record's filling and now.
    if (record->object != nullptr && FindObjectById(record->objectId) != record->object) {
        record->group = nullptr;
        FinishAction(record, false);
        return;
    }
    // Its object was laid out anew after the record was taken.
    if (record->object != nullptr) {
        const auto ended = endedUpTo_.find(record->objectId);
        if (ended != endedUpTo_.end() && record->serial <= ended->second) {
            record->group = nullptr;
            FinishAction(record, false);
            return;
        }
    }
    record->next = nullptr;
    record->group = currentGroup_;
    if (currentGroup_ != nullptr) {
        ++currentGroup_->pending;
        record->waiting = IsGroupActive(currentGroup_) ? 0 : 1;
    }
    if (lastAction_ != nullptr) {
        lastAction_->next = record;
    } else {
        firstAction_ = record;
    }
    lastAction_ = record;
}

void ObjectModule::BeginGroup(GroupRecord* group) {
    if (group == nullptr) {
        return;
    }
    group->parent = currentGroup_;
    group->previous = nullptr;
    group->next = nullptr;
    group->firstChild = nullptr;
    group->pending = 0;
    if (currentGroup_ != nullptr) {
        AppendChild(currentGroup_, group);
        ++currentGroup_->pending;
    }
    currentGroup_ = group;
    liveGroups_[group->serial] = group;
}

void ObjectModule::NextGroup(GroupRecord* group) {
    if (group == nullptr) {
        return;
    }
    GroupRecord* current = currentGroup_;
    if (current == nullptr) {
        PostGroupNotice("can't NextGroup without BeginGroup!");
        groupPool_.Free(group);
        return;
    }
    group->firstChild = nullptr;
    group->nextSibling = nullptr;
    group->next = nullptr;
    if (current->pending == 0) {
        // The empty group gives its place in the sequence to the new one.
        group->parent = current->parent;
        group->previous = current->previous;
        group->next = current->next;
        group->firstChild = current->firstChild;
        for (GroupRecord* child = group->firstChild; child != nullptr; child = child->nextSibling) {
            child->parent = group;
        }
        if (group->previous != nullptr) {
            group->previous->next = group;
        }
        ReplaceChild(group->parent, current, group);
        liveGroups_.erase(current->serial);
        currentGroup_ = nullptr;
        groupPool_.Free(current);
    } else {
        current->next = group;
        group->previous = current;
        group->parent = current->parent;
    }
    group->pending = 0;
    currentGroup_ = group;
    liveGroups_[group->serial] = group;
}

void ObjectModule::EndGroup() {
    GroupRecord* current = currentGroup_;
    if (current == nullptr) {
        PostGroupNotice("can't EndGroup without BeginGroup!");
        return;
    }
    if (current->pending != 0) {
        currentGroup_ = current->parent;
        return;
    }
    GroupRecord* parent = current->parent;
    if (current->previous != nullptr) {
        current->previous->next = nullptr;
    } else if (parent != nullptr) {
        --parent->pending;
        ReplaceChild(parent, current, nullptr);
    }
    currentGroup_ = parent;
    FreeGroup(current);
}

void ObjectModule::CancelAction(uint64_t serial) {
    for (ActionRecord* a = firstAction_; a != nullptr; a = a->next) {
        if (a->serial == serial) {
            a->cancelled = 1;
            return;
        }
    }
}

void ObjectModule::CancelGroup(uint64_t serial) {
    auto it = liveGroups_.find(serial);
    if (it == liveGroups_.end()) {
        return;
    }
    std::unordered_set<const GroupRecord*> groups;
    CollectSequence(it->second, groups);
    for (ActionRecord* a = firstAction_; a != nullptr; a = a->next) {
        if (a->group != nullptr && groups.count(a->group) != 0) {
            a->cancelled = 1;
        }
    }
}

void ObjectModule::CancelObjectActions(int id) {
    if (id == 0) {
        return;
    }
    for (ActionRecord* a = firstAction_; a != nullptr; a = a->next) {
        if (a->object != nullptr && a->objectId == id) {
            a->cancelled = 1;
        }
    }
}

void ObjectModule::EndObjectActions(int id) {
    if (id == 0) {
        return;
    }
    CancelObjectActions(id);
    endedUpTo_[id] = serial_;
}

void ObjectModule::RunActions() {
    const uint32_t now = GetLastTickTime();
    runningActions_ = true;
    ActionRecord* previous = nullptr;
    ActionRecord* action = firstAction_;
    while (action != nullptr) {
        if (action->waiting) {
            previous = action;
            action = action->next;
            continue;
        }
        bool finished = false;
        bool completed = false;
        if (action->cancelled) {
            finished = true;
        } else {
            if (!action->started) {
                action->started = 1;
                action->startTime = now;
            } else if (now - action->lastRun < action->interval) {
                previous = action;
                action = action->next;
                continue;
            }
            action->lastRun = now;
            const int done = action->step == nullptr
                                 ? 1
                                 : action->step(action->object, action->params, GetCore(),
                                                now - action->startTime);
            finished = completed = done != 0;
        }
        if (!finished) {
            previous = action;
            action = action->next;
            continue;
        }
        // Unlink first: finishing delivers events, and their handlers may
        // add actions at the end of the list.
        if (previous != nullptr) {
            previous->next = action->next;
        } else {
            firstAction_ = action->next;
        }
        if (lastAction_ == action) {
            lastAction_ = previous;
        }
        FinishAction(action, completed);
        action = previous != nullptr ? previous->next : firstAction_;
    }
    runningActions_ = false;
    // Groups released during this pass start on the next tick.
    if (waitingStale_) {
        RecomputeWaiting();
    }
}

void ObjectModule::FinishAction(ActionRecord* record, bool completed) {
    const EventRecord endEvent = record->endEvent;
    GroupRecord* group = record->group;
    actionPool_.Free(record);
    if (endEvent.event != 0) {
        if (completed) {
            DeliverEvent(endEvent);
        }
        DeliverActionEnd(endEvent);
    }
    if (group != nullptr && --group->pending <= 0) {
        GroupDone(group);
    }
}

void ObjectModule::GroupDone(GroupRecord* group) {
    GroupRecord* parent = group->parent;
    GroupRecord* follower = group->next;
    bool parentDone = false;
    if (follower != nullptr) {
        follower->previous = nullptr;
        ReplaceChild(parent, group, follower);
        waitingStale_ = true;
    } else if (parent != nullptr) {
        ReplaceChild(parent, group, nullptr);
        parentDone = --parent->pending <= 0;
    }
    FreeGroup(group);
    if (!runningActions_ && waitingStale_) {
        RecomputeWaiting();
    }
    if (parentDone) {
        GroupDone(parent);
    }
}

void ObjectModule::FreeGroup(GroupRecord* group) {
    liveGroups_.erase(group->serial);
    if (currentGroup_ == group) {
        currentGroup_ = group->parent;
    }
    groupPool_.Free(group);
}

void ObjectModule::RecomputeWaiting() {
    for (ActionRecord* a = firstAction_; a != nullptr; a = a->next) {
        if (a->waiting) {
            a->waiting = IsGroupActive(a->group) ? 0 : 1;
        }
    }
    waitingStale_ = false;
}

void ObjectModule::PostGroupNotice(const char* text) {
    PostMessage(kFailureNoticeModuleId, kNoticeModuleFault, const_cast<char*>(text), 0);
}
