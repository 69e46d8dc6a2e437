#pragma once
// Opening a web address in the desktop's browser without blocking the UI
// thread: a worker thread owns one job, opens its address and posts the job
// back to its window with kMsgBrowserOpened.
//
// Rules:
//  - The window that takes kMsgBrowserOpened (wParam: the job) owns the job
//    and frees it with FreeBrowserJob; when the window is gone the worker
//    frees it itself, and a job still queued when the window goes is freed
//    with the message (PostedJob.h).
//  - A refused or failed opening is logged; the job still comes back, so the
//    window can take its wait text down.
//  - The address is cut to 1023 bytes.

#include <cstdint>
#include <string>

#include "platform/Messages.h"

inline constexpr uint32_t kMsgBrowserOpened = platform::kMsgApp + 1560;

struct BrowserJob {
    static constexpr size_t kUrlMax = 1023;
    BrowserJob();
    ~BrowserJob();
    BrowserJob(const BrowserJob&) = delete;
    BrowserJob& operator=(const BrowserJob&) = delete;
    // Jobs alive in the process (tests).
    static int Alive();

    platform::WindowId window = 0;
    std::string url;
    bool opened = false;  // set by the worker
};

// Starts the worker; false (nothing started, nothing kept) when no thread
// could be made.
bool StartBrowserJob(platform::WindowId window, const std::string& url);
// Frees a job that arrived with kMsgBrowserOpened.
void FreeBrowserJob(platform::WParam job);
// Jobs the workers freed because their window was gone (tests).
int BrowserJobsFreedByWorker();
