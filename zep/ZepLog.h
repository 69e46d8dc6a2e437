#pragma once
// The network library's daily log: a process-wide, thread-safe text log that
// appends one line per call to "<program folder><stem><yyyymmdd>.log".
//
// Rules:
//  - One lock for the whole life of the process guards the log's state and
//    every write, so lines from several threads land whole, in lock order.
//  - Before ZepLogInit the defaults apply (stem "ZEPLog", options 0x80008).
//    ZepLogTerm marks the log closed: later ZepLog calls are ignored until
//    ZepLogInit opens it again (with the stem and options it is given, or the
//    previous ones where it is given none).
//  - A line is "yyyy/mm/dd  hh:mm:ss  " and the text (cut to 3999 bytes),
//    ended with exactly "\r\n" under kZepLogLineEnd, and appended to the day's
//    file in one write under kZepLogToFile. A file that cannot be written is
//    skipped silently.

#include <cstdint>

// Option bits that the writer tests; the others are accepted and ignored.
inline constexpr uint32_t kZepLogLineEnd = 0x8;
inline constexpr uint32_t kZepLogToFile = 0x80000;
inline constexpr uint32_t kZepLogDefaultOptions = kZepLogToFile | kZepLogLineEnd;

// Opens the log. A null stem keeps the current one (longer stems are cut to
// 259 bytes); options 0 keep the current ones.
void ZepLogInit(const char* stem, uint32_t options);
// Closes the log; later entries are dropped.
void ZepLogTerm();
// Formats one entry printf-style and writes it.
void ZepLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
