#pragma once
// CRC-32 jobs on worker threads: a copy of a memory block, or a file read in
// chunks, checksummed away from the caller's thread with progress reports.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Messages.h"

// Starts and tracks the workers.
//
// Rules:
//  - A job posts to its windows only while they exist (either may be 0):
//    first a progress of 0 and the range (kMsgProgressRange, wParam 0,
//    lParam 100) to the progress window; after every chunk of kChunk bytes the
//    percentage done (kMsgProgress, wParam 0..100); at the end the result to
//    the result window (kMsgResult, wParam the job id, lParam the CRC, or
//    kReadFailed when the file could not be read to its end).
//  - The job owns a copy of the bytes; the caller may free its block at once.
//  - Jobs run to their end; WaitForAll joins every job started so far.
class ZepCrcJob {
public:
    static constexpr uint32_t kMsgProgress = 1026;
    static constexpr uint32_t kMsgProgressRange = 1030;
    static constexpr uint32_t kMsgResult = 44465;
    static constexpr size_t kChunk = 102400;
    static constexpr platform::LParam kReadFailed = -1;

    // The job id (the worker's thread id), or 0 when nothing was started:
    // null or empty data, a file that does not open, a thread that cannot run.
    static uint32_t StartMemory(const uint32_t* table, const void* bytes, size_t n,
                                platform::WindowId progressWindow, platform::WindowId resultWindow);
    static uint32_t StartFile(const uint32_t* table, std::string_view path,
                              platform::WindowId progressWindow, platform::WindowId resultWindow);

    static void WaitForAll();
};
