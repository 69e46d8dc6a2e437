#pragma once
// One download of the room's notice text, on a worker thread of its own.
//
// Rules:
//  - The job is shared by the window and the worker: whichever lets go last
//    frees it, so the window may go while the worker still runs.
//  - The body is taken into memory and checked (status 200, at most 1 MiB,
//    at least 8 bytes beginning with "<notify>" in any case) before the
//    local file is replaced, atomically; every failure leaves the old file.
//  - The worker reports by posting kMsgNoticeDownloaded (wParam the job's
//    id) to the window; a window that is gone gets nothing.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Messages.h"

inline constexpr uint32_t kMsgNoticeDownloaded = platform::kMsgApp + 1559;

struct NoticeDownloadJob {
    NoticeDownloadJob();
    ~NoticeDownloadJob();
    NoticeDownloadJob(const NoticeDownloadJob&) = delete;
    NoticeDownloadJob& operator=(const NoticeDownloadJob&) = delete;

    const uint32_t id;
    platform::WindowId window = 0;
    std::string url;
    std::string localFile;
    // Set by the worker once the file holds the new notice.
    std::atomic<bool> done{false};

    // Jobs alive in the process (tests).
    static int Alive();
};

// Starts the worker; false (and a log line) when no thread could be had.
bool StartNoticeDownload(std::shared_ptr<NoticeDownloadJob> job);

// Whether the body is a notice: 8 bytes or more, starting with "<notify>"
// in any case.
bool IsNoticeText(const std::string& body);
