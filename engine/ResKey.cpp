#include "engine/ResKey.h"

#include <array>

#include "engine/EngineUtils.h"

namespace {

struct CategoryRow {
    std::string_view suffix;
    std::array<std::string_view, 13> extensions;
};

// Which category suffix replaces which extension in a resource name.
constexpr CategoryRow kCategories[] = {
    {".imge",
     {".pps", ".bmp", ".png", ".gif", ".jpg", ".jpeg", ".ico", ".tga", ".tif", ".mng", ".pcx",
      ".wbmp", ".wmf"}},
    {".sound", {".mp3", ".wav", ".mid", ".ogg", ".sound"}},
    {".text", {".txt", ".doc"}},
    {".ini", {".ini", ".koi"}},
    {".vedio", {".avi", ".rm", ".rmvb", ".mpeg"}},
    {".script", {".kos", ".lua"}},
    {".flash", {".swf", ".flv"}},
    {".http", {".htm", ".html", ".asp", ".aspx", ".jsp", ".php", ".cgi"}},
};

struct CategoryHashRow {
    uint32_t extension;
    uint32_t category;
};

constexpr CategoryHashRow Row(std::string_view extension, std::string_view category) {
    return {GetNameHash(extension), GetNameHash(category)};
}

// The 32 category-hash pairs. Text, ini and ".sound" files are not in it:
// they keep their own extension hash as category hash.
constexpr CategoryHashRow kCategoryHashes[] = {
    Row(".pps", ".imge"),   Row(".png", ".imge"),   Row(".jpg", ".imge"),   Row(".jpeg", ".imge"),
    Row(".gif", ".imge"),   Row(".bmp", ".imge"),   Row(".mng", ".imge"),   Row(".ico", ".imge"),
    Row(".tga", ".imge"),   Row(".tif", ".imge"),   Row(".pcx", ".imge"),   Row(".wbmp", ".imge"),
    Row(".wmf", ".imge"),   Row(".mp3", ".sound"),  Row(".wav", ".sound"),  Row(".ogg", ".sound"),
    Row(".mid", ".sound"),  Row(".lua", ".script"), Row(".kos", ".script"), Row(".swf", ".flash"),
    Row(".flv", ".flash"),  Row(".avi", ".vedio"),  Row(".rm", ".vedio"),   Row(".rmvb", ".vedio"),
    Row(".mpeg", ".vedio"), Row(".htm", ".http"),   Row(".asp", ".http"),   Row(".html", ".http"),
    Row(".aspx", ".http"),  Row(".jsp", ".http"),   Row(".php", ".http"),   Row(".cgi", ".http"),
};
static_assert(std::size(kCategoryHashes) == 32);

}  // namespace

uint32_t GetCategoryHash(uint32_t extensionHash) {
    for (const CategoryHashRow& row : kCategoryHashes) {
        if (row.extension == extensionHash) {
            return row.category;
        }
    }
    return extensionHash;
}

int AppendCategorySuffix(std::string_view extension, std::string& name) {
    if (!extension.empty()) {
        for (const CategoryRow& row : kCategories) {
            for (const std::string_view known : row.extensions) {
                if (known == extension) {
                    name.append(row.suffix);
                    return 1;
                }
            }
        }
    }
    name.append(extension);
    return 0;
}

std::string GetResourceName(std::string_view path) {
    return GetResourceName(path, GetFileTitle(path));
}

std::string GetResourceName(std::string_view path, std::string_view title) {
    std::string name(title);
    AppendCategorySuffix(GetExtension(path), name);
    return name;
}

ResKey GetResourceKey(std::string_view path) {
    return GetResKey(GetResourceName(path));
}

uint32_t GetExtensionHash(std::string_view path) {
    return GetNameHash(GetExtension(path));
}
