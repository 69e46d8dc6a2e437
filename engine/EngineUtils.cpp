#include "engine/EngineUtils.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "engine/EngineLog.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"

std::string GetExeDir() {
    return platform::ProgramFolder();
}

std::string GetExePath(std::string_view relative) {
    std::string joined = GetExeDir();
    joined.append(relative);
    return platform::NormalisePath(joined);
}

bool FileExists(std::string_view path) {
    return !path.empty() && platform::FileExists(path);
}

bool ExeFileExists(std::string_view relative) {
    return FileExists(GetExePath(relative));
}

std::unique_ptr<uint8_t[]> LoadFile(std::string_view path, size_t& size) {
    size = 0;
    if (path.empty()) {
        return nullptr;
    }
    const std::string name = platform::NormalisePath(path);
    std::optional<std::vector<uint8_t>> bytes = platform::ReadWholeFile(name);
    if (!bytes) {
        EngineLog("文件%s 打开失败!", name.c_str());
        return nullptr;
    }
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[bytes->size() + 1]);
    if (!buffer) {
        return nullptr;
    }
    if (!bytes->empty()) {
        std::memcpy(buffer.get(), bytes->data(), bytes->size());
    }
    buffer[bytes->size()] = 0;
    size = bytes->size();
    return buffer;
}

bool SaveFile(std::string_view path, const void* data, size_t size) {
    if (path.empty() || (data == nullptr && size > 0)) {
        return false;
    }
    return platform::WriteWholeFile(platform::NormalisePath(path), data, size);
}

namespace {

// The folders to check, top first: every prefix that ends before a
// separator (the empty root prefix of an absolute path is left out), then
// the whole path unless it already ended with a separator.
std::vector<std::string> FoldersOf(const std::string& path) {
    std::vector<std::string> folders;
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] == '/') {
            folders.push_back(path.substr(0, i));
        }
    }
    if (!path.empty() && path.back() != '/') {
        folders.push_back(path);
    }
    return folders;
}

}  // namespace

bool CreateDirectoryPath(std::string_view path, bool create) {
    if (path.empty()) {
        return false;
    }
    for (const std::string& folder : FoldersOf(platform::NormalisePath(path))) {
        if (platform::GetPathKind(folder) == platform::PathKind::Directory) {
            continue;
        }
        if (!create) {
            return false;
        }
        if (!platform::MakeDirectory(folder)) {
            platform::ShowMessageBox(platform::MainWindow(),
                                     "Build   Directory" + folder + "   Fail!", "",
                                     platform::kBoxOk);
            return false;
        }
    }
    return true;
}

std::string GetExtension(std::string_view path) {
    std::string extension = platform::SplitPath(path).extension;
    ToLowerAscii(extension);
    return extension;
}

std::string GetFileTitle(std::string_view path) {
    return platform::SplitPath(path).title;
}

std::string GetFileNameLower(std::string_view path) {
    platform::PathParts parts = platform::SplitPath(path);
    ToLowerAscii(parts.extension);
    return parts.title + parts.extension;
}

std::string FormatElapsedTime(int64_t milliseconds) {
    const int64_t ms = milliseconds > 0 ? milliseconds : 0;
    const int64_t seconds = ms / 1000;
    char text[64];
    if (ms <= 3600000) {
        std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(seconds / 60),
                      static_cast<int>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%02lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                      static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    }
    return text;
}
