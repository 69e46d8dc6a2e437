#include "platform/Folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/Files.h"

namespace platform {

std::vector<std::string> ListFolderFiles(std::string_view folder) {
    std::vector<std::string> names;
    if (folder.empty()) {
        return names;
    }
    std::string base = ResolvePath(folder);
    if (base.empty()) {
        return names;
    }
    DIR* dir = ::opendir(base.c_str());
    if (dir == nullptr) {
        return names;
    }
    if (base.back() != '/') {
        base.push_back('/');
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        struct stat info;
        if (::stat((base + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace platform
