#pragma once
// Handing a worker's heap job back to a window by a posted message.
//
// Rules:
//  - When the post is queued the receiving window owns the job and frees it
//    after handling the message.
//  - When there is no window or the post fails the job is freed here at once
//    (the caller gets false), so a job whose window has gone never leaks.

#include <cstdint>
#include <memory>

#include "platform/Messages.h"

template <class Job>
bool PostJobToWindow(platform::WindowId window, uint32_t message, std::unique_ptr<Job> job,
                     platform::LParam lParam = 0) {
    if (window == 0 || !job) {
        return false;
    }
    if (!platform::PostMessage(window, message, reinterpret_cast<platform::WParam>(job.get()),
                               lParam)) {
        return false;
    }
    job.release();  // the window frees it
    return true;
}
