#pragma once
// Handing a worker's heap job back to a window by a posted message.
//
// Rules:
//  - When the post is queued the receiving window owns the job and frees it
//    after handling the message.
//  - When there is no window or the post fails the job is freed here at once
//    (the caller gets false), so a job whose window has gone never leaks.
//  - A job still queued when its window goes (or its thread's messaging
//    ends) is freed by the dropped-message freer registered for the message
//    id; so a message id that carries jobs carries jobs of one kind only.

#include <cstdint>
#include <memory>

#include "platform/DroppedMessages.h"
#include "platform/Messages.h"

template <class Job>
bool PostJobToWindow(platform::WindowId window, uint32_t message, std::unique_ptr<Job> job,
                     platform::LParam lParam = 0) {
    if (window == 0 || !job) {
        return false;
    }
    platform::SetDroppedMessageFreer(message, [](platform::WParam posted, platform::LParam) {
        delete reinterpret_cast<Job*>(posted);
    });
    if (!platform::PostMessage(window, message, reinterpret_cast<platform::WParam>(job.get()),
                               lParam)) {
        return false;
    }
    job.release();  // the window frees it
    return true;
}
