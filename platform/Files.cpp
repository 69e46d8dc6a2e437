#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>

#include "platform/AsciiCase.h"

namespace platform {
namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool StatPath(const std::string& path, struct stat* info) {
    return ::stat(path.c_str(), info) == 0;
}

bool Exists(const std::string& path) {
    struct stat info;
    return StatPath(path, &info);
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return StatPath(path, &info) && S_ISDIR(info.st_mode);
}

std::string JoinComponent(const std::string& base, std::string_view component) {
    if (base.empty()) {
        return std::string(component);
    }
    if (base.back() == '/') {
        return base + std::string(component);
    }
    return base + "/" + std::string(component);
}

// The entry of folder whose name matches component ignoring ASCII case; the
// first such name in byte order, so the choice never depends on the order in
// which the file system lists the folder. Folders only when mustBeFolder.
std::optional<std::string> FindCaseInsensitive(const std::string& folder,
                                               std::string_view component, bool mustBeFolder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (!detail::EqualsIgnoringAsciiCase(name, component)) {
            continue;
        }
        if (best && std::string_view(*best) <= name) {
            continue;
        }
        if (mustBeFolder && !IsDirectory(JoinComponent(folder, name))) {
            continue;
        }
        best = std::string(name);
    }
    ::closedir(dir);
    return best;
}

// Walks the normalised path component by component, taking the exact name
// where it exists and the case-insensitive match where it does not.
std::optional<std::string> ResolveComponents(const std::string& normalised) {
    const bool absolute = normalised.front() == '/';
    const bool trailingSeparator = normalised.size() > 1 && normalised.back() == '/';
    std::string resolved = absolute ? "/" : "";

    std::vector<std::string_view> components;
    std::string_view rest(normalised);
    while (!rest.empty()) {
        const size_t cut = rest.find('/');
        const std::string_view component = rest.substr(0, cut);
        if (!component.empty()) {
            components.push_back(component);
        }
        if (cut == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(cut + 1);
    }

    for (size_t i = 0; i < components.size(); ++i) {
        const std::string_view component = components[i];
        const bool last = i + 1 == components.size();
        const std::string exact = JoinComponent(resolved, component);
        const bool usable = last ? Exists(exact) : IsDirectory(exact);
        if (usable || component == "." || component == "..") {
            resolved = exact;
            continue;
        }
        const auto match = FindCaseInsensitive(resolved, component, !last);
        if (!match) {
            return std::nullopt;
        }
        resolved = JoinComponent(resolved, *match);
    }
    if (trailingSeparator && resolved.back() != '/') {
        resolved.push_back('/');
    }
    return resolved;
}

// The name to create: the existing match when there is one, else the last
// component inside its resolved parent folder.
std::string ResolveForCreate(std::string_view path) {
    std::string normalised = NormalisePath(path);
    while (normalised.size() > 1 && normalised.back() == '/') {
        normalised.pop_back();
    }
    const std::string resolved = ResolvePath(normalised);
    if (Exists(resolved)) {
        return resolved;
    }
    const size_t cut = normalised.rfind('/');
    if (cut == std::string::npos) {
        return normalised;
    }
    const std::string parent = cut == 0 ? "/" : normalised.substr(0, cut);
    return JoinComponent(ResolvePath(parent), std::string_view(normalised).substr(cut + 1));
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Writes the bytes into an open descriptor and closes it; false when either
// fails.
bool WriteAndClose(int fd, const void* data, size_t size) {
    const bool written = WriteAll(fd, static_cast<const char*>(data), size);
    const bool closed = ::close(fd) == 0;
    return written && closed;
}

// The executable's full path; empty when the system does not tell.
std::string ExecutablePath() {
    char buffer[PATH_MAX + 1];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::string ExecutableFolder() {
    std::string path = ExecutablePath();
    if (path.empty()) {
        char buffer[PATH_MAX + 1];
        if (::getcwd(buffer, sizeof(buffer)) == nullptr) {
            return "./";
        }
        path = std::string(buffer) + "/.";
    }
    const size_t cut = path.rfind('/');
    return cut == std::string::npos ? "./" : path.substr(0, cut + 1);
}

std::string ExecutableFileName() {
    const std::string path = ExecutablePath();
    const size_t cut = path.rfind('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (!home.empty()) {
        return home;
    }
    std::vector<char> buffer(16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        home = found->pw_dir;
    }
    return home;
}

// Makes the folder and its missing parents, each new one private to the user.
void MakeFolders(const std::string& folder) {
    for (size_t at = folder.find('/', 1); at != std::string::npos; at = folder.find('/', at + 1)) {
        ::mkdir(folder.substr(0, at).c_str(), 0700);
    }
    ::mkdir(folder.c_str(), 0700);
}

// These live to the very end: threads that outlive main may still log.
std::mutex& FolderOverrideLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::string& FolderOverride() {
    static std::string* folder = new std::string;
    return *folder;
}

std::string& FileNameOverride() {
    static std::string* name = new std::string;
    return *name;
}

}  // namespace

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string ProgramFolder() {
    {
        std::lock_guard<std::mutex> guard(FolderOverrideLock());
        if (!FolderOverride().empty()) {
            return FolderOverride();
        }
    }
    static const std::string* folder = new std::string(ExecutableFolder());
    return *folder;
}

std::string SystemFolder() {
    std::string folder = Environment(kSystemFolderVariable);
    if (folder.empty()) {
        std::string config = Environment("XDG_CONFIG_HOME");
        if (config.empty() || config[0] != '/') {
            config = HomeFolder() + "/.config";
        }
        folder = config + "/pvbn";
    }
    folder = NormalisePath(folder);
    if (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    if (folder.empty()) {
        return "/";
    }
    MakeFolders(folder);
    return folder + "/";
}

void SetProgramFolderForTesting(std::string folder) {
    if (!folder.empty() && !IsSeparator(folder.back())) {
        folder.push_back('/');
    }
    std::lock_guard<std::mutex> guard(FolderOverrideLock());
    FolderOverride() = std::move(folder);
}

std::string ProgramFileName() {
    {
        std::lock_guard<std::mutex> guard(FolderOverrideLock());
        if (!FileNameOverride().empty()) {
            return FileNameOverride();
        }
    }
    static const std::string* name = new std::string(ExecutableFileName());
    return *name;
}

void SetProgramFileNameForTesting(std::string name) {
    std::lock_guard<std::mutex> guard(FolderOverrideLock());
    FileNameOverride() = std::move(name);
}

std::string NormalisePath(std::string_view path) {
    std::string normalised;
    normalised.reserve(path.size());
    for (const char c : path) {
        if (IsSeparator(c)) {
            if (!normalised.empty() && normalised.back() == '/') {
                continue;
            }
            normalised.push_back('/');
        } else {
            normalised.push_back(c);
        }
    }
    return normalised;
}

std::string ResolvePath(std::string_view path) {
    std::string normalised = NormalisePath(path);
    if (normalised.empty() || Exists(normalised)) {
        return normalised;
    }
    if (auto resolved = ResolveComponents(normalised)) {
        return std::move(*resolved);
    }
    return normalised;
}

PathKind GetPathKind(std::string_view path) {
    if (path.empty()) {
        return PathKind::Missing;
    }
    struct stat info;
    if (!StatPath(ResolvePath(path), &info)) {
        return PathKind::Missing;
    }
    return S_ISDIR(info.st_mode) ? PathKind::Directory : PathKind::File;
}

bool FileExists(std::string_view path) {
    return GetPathKind(path) != PathKind::Missing;
}

bool MakeDirectory(std::string_view path) {
    if (NormalisePath(path).empty()) {
        return false;
    }
    const std::string target = ResolveForCreate(path);
    if (::mkdir(target.c_str(), 0755) == 0) {
        return true;
    }
    return errno == EEXIST && IsDirectory(target);
}

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    size_t nameStart = 0;
    for (size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1])) {
            nameStart = i;
            break;
        }
    }
    parts.folder = std::string(path.substr(0, nameStart));
    const std::string_view name = path.substr(nameStart);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        parts.title = std::string(name);
    } else {
        parts.title = std::string(name.substr(0, dot));
        parts.extension = std::string(name.substr(dot));
    }
    return parts;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(std::string_view path) {
    if (path.empty()) {
        return std::nullopt;
    }
    const int fd = ::open(ResolvePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<uint8_t> content;
    content.reserve(static_cast<size_t>(info.st_size));
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        content.insert(content.end(), buffer, buffer + got);
    }
    ::close(fd);
    return content;
}

bool WriteWholeFile(std::string_view path, const void* data, size_t size) {
    if (path.empty() || (data == nullptr && size > 0)) {
        return false;
    }
    const std::string target = ResolveForCreate(path);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    return WriteAndClose(fd, data, size);
}

bool AppendToFile(std::string_view path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    const std::string target = ResolveForCreate(path);
    const int fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    // One write carries the whole line; O_APPEND places it atomically at the
    // end. Only a short write (a full disk) needs the loop.
    return WriteAndClose(fd, bytes.data(), bytes.size());
}

bool ReplaceFile(std::string_view path, std::string_view bytes) {
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

bool ReplaceFileAtomically(std::string_view path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    std::string target = ResolveForCreate(path);
    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode)) {
        // Replace the file the link points at, not the link.
        char* real = ::realpath(target.c_str(), nullptr);
        if (real == nullptr) {
            return false;
        }
        target = real;
        std::free(real);
    }
    const bool hadFile = StatPath(target, &existing);
    if (hadFile && !S_ISREG(existing.st_mode)) {
        return false;
    }
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const mode_t mode = hadFile ? (existing.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0;
    ok = WriteAndClose(fd, bytes.data(), bytes.size()) && ok;
    if (ok && ::rename(temporary.c_str(), target.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace platform
