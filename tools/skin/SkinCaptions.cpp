#include "tools/skin/SkinCaptions.h"

#include <map>
#include <set>

#include "platform/TextCodec.h"

namespace regional_skin {

std::string CaptionFileBeside(const std::string& nameList) {
    constexpr std::string_view kNames = "_names.txt";
    const std::string_view list = nameList;
    if (list.ends_with(kNames)) {
        return std::string(list.substr(0, list.size() - kNames.size())) + "_captions.txt";
    }
    const size_t slash = nameList.rfind('/');
    return (slash == std::string::npos ? std::string() : nameList.substr(0, slash + 1)) +
           "captions.txt";
}

bool ParseCaptions(std::string_view text, Skin& skin, std::string& error) {
    std::map<std::string, Picture*> pictures;
    for (Picture& picture : skin.pictures) {
        pictures.emplace(picture.name, &picture);
    }
    std::set<std::string> named;
    for (const ListLine& line : ListLines(text)) {
        const std::vector<std::string_view>& words = line.fields;
        const std::string where = "line " + std::to_string(line.number) + ": ";
        if (words.size() != 2) {
            error = where + "a caption is written: name caption";
            return false;
        }
        const std::string name = platform::Utf8ToGbk(words[0]);
        size_t dropped = 0;
        const std::string caption = platform::Utf8ToGbkDroppingUnmapped(words[1], &dropped);
        if (dropped != 0) {
            error = where + "a caption without a GBK form";
            return false;
        }
        const auto picture = pictures.find(name);
        if (picture == pictures.end()) {
            error = where + "the name is not a listed picture";
            return false;
        }
        if (!named.insert(name).second) {
            error = where + "the name has a caption already";
            return false;
        }
        picture->second->caption = caption;
    }
    return true;
}

bool ReadCaptions(const std::string& path, Skin& skin, std::string& error) {
    std::string text;
    return ReadListText(path, text, error) && ParseCaptions(text, skin, error);
}

}  // namespace regional_skin
