#include "zep/ZepUtils.h"

#include <cstring>

#include "platform/Files.h"
#include "platform/System.h"

namespace {

// The hex text of 32 random bytes is cut to this many characters.
constexpr size_t kRandomHexChars = 30;
constexpr size_t kRandomHexSourceBytes = 32;

}  // namespace

void ZepSafeStrCopy(char* destination, const char* source, int length) {
    if (destination == nullptr || source == nullptr) {
        return;
    }
    if (length == -1) {
        std::strcpy(destination, source);
    } else if (length >= 0) {
        std::strncpy(destination, source, static_cast<size_t>(length));
    }
}

std::string ZepSplitPath(const char* path, int mask) {
    if (path == nullptr) {
        return {};
    }
    const platform::PathParts parts = platform::SplitPath(path);
    std::string result;
    if (mask & kZepPathDrive) {
        result += parts.drive;
    }
    if (mask & kZepPathFolder) {
        result += parts.folder;
    }
    if (mask & kZepPathTitle) {
        result += parts.title;
    }
    if (mask & kZepPathExtension) {
        result += parts.extension;
    }
    return result;
}

std::string ZepGetExeDir() {
    return platform::ProgramFolder();
}

int ZepFileExists(const char* path, int wantDirectory) {
    if (path == nullptr || *path == '\0') {
        return 0;
    }
    const platform::PathKind kind = platform::GetPathKind(path);
    if (wantDirectory) {
        return kind == platform::PathKind::Directory ? 1 : 0;
    }
    return kind == platform::PathKind::File ? 1 : 0;
}

void ZepBinToHex(const void* bytes, int count, std::string& text) {
    if (bytes == nullptr || count < 1) {
        return;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    const auto* in = static_cast<const uint8_t*>(bytes);
    text.reserve(text.size() + static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        text += kDigits[in[i] >> 4];
        text += kDigits[in[i] & 0x0F];
    }
}

int ZepGetFloorLog2(uint32_t n) {
    int log = 0;
    while (n >= 2) {
        n >>= 1;
        ++log;
    }
    return log;
}

uint32_t ZepGetPowerOfTwo(int n) {
    if (n < 1) {
        return 1;
    }
    if (n > 31) {
        return 0;
    }
    return uint32_t{1} << n;
}

uint32_t ZepGetCurrentTime() {
    return static_cast<uint32_t>(platform::UnixTimeNow());
}

int ZepGenRandomBytes(void* out, size_t n) {
    if (n == 0) {
        return 1;
    }
    if (out == nullptr) {
        return 0;
    }
    return platform::RandomBytes(out, n) ? 1 : 0;
}

int ZepFillRandomHexIfEmpty(char* text) {
    if (text == nullptr || text[0] != '\0') {
        return 0;
    }
    uint8_t random[kRandomHexSourceBytes];
    if (!ZepGenRandomBytes(random, sizeof random)) {
        return 0;
    }
    std::string hex;
    ZepBinToHex(random, static_cast<int>(sizeof random), hex);
    std::memcpy(text, hex.data(), kRandomHexChars);
    text[kRandomHexChars] = '\0';
    return 1;
}

int ZepSplitBar(char* text, char** fields, int max, char** rest) {
    if (rest != nullptr) {
        *rest = nullptr;
    }
    if (text == nullptr || fields == nullptr || max < 1) {
        return 0;
    }
    int count = 0;
    char* cursor = text;
    while (count < max) {
        fields[count++] = cursor;
        char* bar = std::strchr(cursor, '|');
        if (bar == nullptr) {
            break;
        }
        *bar = '\0';
        cursor = bar + 1;
        if (count == max && rest != nullptr) {
            *rest = cursor;
        }
    }
    return count;
}

int ZepGetOsVersionCode(uint32_t* out) {
    if (out == nullptr) {
        return 0;
    }
    static const uint32_t code = platform::OsVersionCode();
    *out = code;
    return 1;
}
