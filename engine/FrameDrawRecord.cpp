#include "engine/FrameDrawRecord.h"

#include <new>

#include "engine/MemPool.h"

FrameDrawRecord* AllocFrameDrawRecord(int rectCount) {
    if (rectCount < 0) {
        return nullptr;
    }
    auto* frame = new (std::nothrow) FrameDrawRecord;
    if (frame == nullptr) {
        return nullptr;
    }
    if (rectCount > 0) {
        frame->rects = new (std::nothrow) IntRect[static_cast<size_t>(rectCount)]();
        if (frame->rects == nullptr) {
            delete frame;
            return nullptr;
        }
    }
    frame->rectCount = rectCount;
    return frame;
}

void FreeFrameDrawRecord(FrameDrawRecord* frame) {
    if (frame == nullptr) {
        return;
    }
    DrawRecord* record = frame->first;
    while (record != nullptr) {
        DrawRecord* next = record->next;
        record->~DrawRecord();
        if (frame->pool != nullptr) {
            frame->pool->Free(record);
        }
        record = next;
    }
    delete[] frame->rects;
    delete frame;
}
