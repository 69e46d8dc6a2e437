#include "engine/ModuleBase.h"

#include "engine/GameCore.h"

int ModuleBase::Update(uint32_t now) {
    if (!IsEnabled()) {
        return 0;
    }
    const uint32_t elapsed = now - lastTick_;
    if (elapsed <= interval_) {
        return 1;
    }
    lastTick_ = now;
    Tick();
    return 1;
}

void ModuleBase::SetCatchExceptions(int on) {
    if (on) {
        flags_ |= kModuleCatchExceptions;
    } else {
        flags_ &= ~kModuleCatchExceptions;
    }
}

void ModuleBase::AttachCore(GameCore* core) {
    core_ = core;
    ++loadCount_;
}

int ModuleBase::AcceptPostedMessages(PostedMessageList& posted) {
    if (queue_.Count() > GetMaxQueue()) {
        SendMessage(kFailureNoticeModuleId, kNoticeQueueOverflow, IntToMessageParam(GetModuleID()),
                    0);
        queue_.Clear();
    }
    const int id = GetModuleID();
    int moved = 0;
    for (auto it = posted.begin(); it != posted.end();) {
        if (it->target == id) {
            queue_.Push(*it);
            it = posted.erase(it);
            ++moved;
        } else {
            ++it;
        }
    }
    return moved;
}

void ModuleBase::DrainMessages() {
    ModuleMessage message;
    while (queue_.Pop(message)) {
        HandleMessage(message.id, message.p, message.n);
    }
    queue_.Clear();
}

ModuleBase* ModuleBase::FindModule(int id) const {
    return core_ ? core_->FindModule(id) : nullptr;
}

int ModuleBase::SendMessage(int target, int id, void* p, int n) const {
    return core_ ? core_->SendMessage(target, id, p, n) : 0;
}

int ModuleBase::PostMessage(int target, int id, void* p, int n) const {
    return core_ ? core_->PostMessage(target, id, p, n) : 0;
}
