#include "engine/CorvaneView.h"

#include "engine/GameCore.h"

void CCorvaneView::OnCopyData(const CopyDataRecord*) {}

void CCorvaneView::SetViewRect(const IntRect& rect) {
    viewRect_ = rect;
    Relayout();
}

IntRect* CCorvaneView::GetViewRect(IntRect* out) {
    if (out != nullptr) {
        *out = viewRect_;
    }
    return out;
}

void CCorvaneView::LockCore() {
    if (GameCore* core = GetCore()) {
        core->Lock();
    }
}

void CCorvaneView::UnlockCore() {
    if (GameCore* core = GetCore()) {
        core->Unlock();
    }
}

ViewCoreLock::ViewCoreLock(CCorvaneView& view) : core_(view.GetCore()) {
    if (core_ != nullptr) {
        core_->Lock();
    }
}

ViewCoreLock::~ViewCoreLock() {
    if (core_ != nullptr) {
        core_->Unlock();
    }
}
