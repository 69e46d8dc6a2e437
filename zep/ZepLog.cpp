#include "zep/ZepLog.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/Files.h"
#include "platform/System.h"
#include "zep/ZepUtils.h"

namespace {

constexpr size_t kMaxStemLength = 259;
constexpr size_t kMessageBufferSize = 4000;  // at most 3999 characters

// The log's state. Kept trivially destructible and reached through a lock
// that is never destroyed, so that a thread still logging while the process
// ends finds everything in place.
struct LogState {
    char stem[kMaxStemLength + 1] = "ZEPLog";
    uint32_t options = kZepLogDefaultOptions;
    bool closed = false;
};

std::mutex& LogLock() {
    static std::mutex* const lock = new std::mutex;
    return *lock;
}

LogState g_state;

std::string FormatLine(const platform::LocalDateTime& now, const char* message, bool lineEnd) {
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d  %02d:%02d:%02d  ", now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    std::string line = stamp;
    line += message;
    if (lineEnd) {
        line += "\r\n";
    }
    return line;
}

std::string DailyFileName(const platform::LocalDateTime& now, const char* stem) {
    char date[48];
    std::snprintf(date, sizeof date, "%04d%02d%02d", now.year, now.month, now.day);
    return ZepGetExeDir() + stem + date + ".log";
}

}  // namespace

void ZepLogInit(const char* stem, uint32_t options) {
    std::lock_guard<std::mutex> guard(LogLock());
    if (stem != nullptr) {
        const size_t length = std::min(std::strlen(stem), kMaxStemLength);
        std::memcpy(g_state.stem, stem, length);
        g_state.stem[length] = '\0';
    }
    if (options != 0) {
        g_state.options = options;
    }
    g_state.closed = false;
}

void ZepLogTerm() {
    std::lock_guard<std::mutex> guard(LogLock());
    g_state.closed = true;
}

void ZepLog(const char* format, ...) {
    if (format == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> guard(LogLock());
    if (g_state.closed) {
        return;
    }
    char message[kMessageBufferSize];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (written < 0) {
        message[0] = '\0';
    }
    if ((g_state.options & kZepLogToFile) == 0) {
        return;
    }
    const platform::LocalDateTime now = platform::LocalNow();
    const std::string line = FormatLine(now, message, (g_state.options & kZepLogLineEnd) != 0);
    platform::AppendToFile(DailyFileName(now, g_state.stem), line);
}
