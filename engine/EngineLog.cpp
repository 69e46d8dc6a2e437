#include "engine/EngineLog.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/System.h"

namespace {

// Formatted texts are held in a buffer of this size, so at most 1035 bytes
// of text reach a line.
constexpr size_t kTextBufferSize = 1036;

constexpr const char kRunLogName[] = "GameRun.log";
constexpr const char kEngineLogPad[] = "      ";  // six spaces before the text
constexpr const char kRunLogPad[] = "     ";      // five

// The length of the longest prefix of the text's first `length` bytes that
// does not end inside a double-byte character (a lead byte 0x81..0xFE takes
// the byte after it).
size_t CharBoundary(const char* text, size_t length) {
    size_t i = 0;
    while (i < length) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        const size_t width = (byte >= 0x81 && byte <= 0xFE) ? 2 : 1;
        if (i + width > length) {
            break;
        }
        i += width;
    }
    return i;
}

std::string FormatText(const char* format, va_list args) {
    if (format == nullptr) {
        return {};
    }
    char buffer[kTextBufferSize];
    const int full = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (full < 0) {
        return {};
    }
    if (static_cast<size_t>(full) < sizeof buffer) {
        return std::string(buffer, static_cast<size_t>(full));
    }
    // Cut: keep what fits, without half a character at the end.
    return std::string(buffer, CharBoundary(buffer, sizeof buffer - 1));
}

// "yyyy/mm/dd     hh:mm:ss" + pad + text + "\r\n".
std::string MakeLine(const platform::LocalDateTime& now, const std::string& text, const char* pad) {
    char stamp[128];
    std::snprintf(stamp, sizeof stamp, "%02d/%02d/%02d     %02d:%02d:%02d%s", now.year, now.month,
                  now.day, now.hour, now.minute, now.second, pad);
    return stamp + text + "\r\n";
}

std::string EngineLogPath(const platform::LocalDateTime& now) {
    char name[64];
    std::snprintf(name, sizeof name, "Game%d%02d%02d.log", now.year, now.month, now.day);
    return platform::ProgramFolder() + name;
}

std::string RunLogPath() {
    return platform::ProgramFolder() + kRunLogName;
}

}  // namespace

void EngineLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = FormatText(format, args);
    va_end(args);
    const platform::LocalDateTime now = platform::LocalNow();
    platform::AppendToFile(EngineLogPath(now), MakeLine(now, text, kEngineLogPad));
}

void StartRunLog() {
    platform::ReplaceFile(RunLogPath(),
                          MakeLine(platform::LocalNow(), "GameCore Start", kRunLogPad));
}

void RunLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = FormatText(format, args);
    va_end(args);
    platform::AppendToFile(RunLogPath(), MakeLine(platform::LocalNow(), text, kRunLogPad));
}

void ShowLastError(const char* action) {
    const std::string reason = platform::LastErrorText();  // before anything can change it
    const std::string text =
        std::string(action != nullptr ? action : "") + " 由于以下错误而失败: " + reason;
    platform::ShowMessageBox(platform::MainWindow(), text, "错误",
                             platform::kBoxOk | platform::kBoxIconError);
}
