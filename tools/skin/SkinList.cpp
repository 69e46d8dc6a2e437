#include "tools/skin/SkinList.h"

#include <charconv>
#include <optional>
#include <set>

#include "platform/Files.h"
#include "platform/TextCodec.h"
#include "tools/skin/SkinColours.h"

namespace regional_skin {
namespace {

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
            ++at;
        }
        const size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t') {
            ++at;
        }
        if (at > start) {
            fields.push_back(line.substr(start, at - start));
        }
    }
    return fields;
}

bool ToInt(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value > 0;
}

bool IsSoundName(std::string_view name) {
    for (std::string_view extension : {".ogg", ".wav", ".mp3"}) {
        if (name.size() > extension.size() && name.ends_with(extension)) {
            return true;
        }
    }
    return false;
}

bool ParseLook(std::string_view text, Look& look) {
    if (text == "faces") {
        look = Look::Faces;
    } else if (text == "back02") {
        look = Look::BackSides;
    } else if (text == "back13") {
        look = Look::BackEnds;
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool ParseNameList(std::string_view text, Skin& skin, std::string& error) {
    skin = Skin{};
    std::set<std::string> names;
    uint32_t plain = 0;
    for (const ListLine& line : ListLines(text)) {
        const std::vector<std::string_view>& fields = line.fields;
        const std::string where = "line " + std::to_string(line.number) + ": ";
        if (fields[0].starts_with('[')) {
            if (fields.size() != 1 || !fields[0].ends_with(']') || fields[0].size() < 3) {
                error = where + "a pack is written [path]";
                return false;
            }
            skin.packs.push_back(platform::Utf8ToGbk(fields[0].substr(1, fields[0].size() - 2)));
            continue;
        }
        if (skin.packs.empty()) {
            error = where + "a name before the first pack";
            return false;
        }
        const std::string name = platform::Utf8ToGbk(fields[0]);
        if (name.find('?') != std::string::npos) {
            error = where + "a name without a GBK form";
            return false;
        }
        if (!names.insert(name).second) {
            error = where + "the name is listed twice";
            return false;
        }
        if (IsSoundName(fields[0])) {
            if (fields.size() != 1) {
                error = where + "a sound line holds only its file name";
                return false;
            }
            skin.sounds.push_back({skin.packs.back(), name});
            continue;
        }
        Picture picture;
        picture.pack = skin.packs.back();
        picture.name = name;
        if (fields.size() < 4 || fields.size() > 5 || !ToInt(fields[1], picture.frames) ||
            !ToInt(fields[2], picture.width) || !ToInt(fields[3], picture.height) ||
            picture.frames > 255 || picture.width > 4096 || picture.height > 4096) {
            error = where + "a picture is written: name frames width height [look]";
            return false;
        }
        if (fields.size() == 5 && !ParseLook(fields[4], picture.look)) {
            error = where + "the look is faces, back02 or back13";
            return false;
        }
        if (picture.look == Look::Plain) {
            picture.colour = PlainColour(plain++);
        }
        skin.pictures.push_back(std::move(picture));
    }
    if (plain > PlainColourCount()) {
        error = "too many plain pictures for distinct colours";
        return false;
    }
    return true;
}

bool ReadNameList(const std::string& path, Skin& skin, std::string& error) {
    std::string text;
    return ReadListText(path, text, error) && ParseNameList(text, skin, error);
}

std::vector<ListLine> ListLines(std::string_view text) {
    std::vector<ListLine> lines;
    int number = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end;
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        std::vector<std::string_view> fields = Fields(line);
        if (!fields.empty() && !fields[0].starts_with('#')) {
            lines.push_back({number, std::move(fields)});
        }
    }
    return lines;
}

bool ReadListText(const std::string& path, std::string& text, std::string& error) {
    const std::optional<std::vector<uint8_t>> bytes = platform::ReadWholeFile(path);
    if (!bytes) {
        error = "cannot read " + path;
        return false;
    }
    text.assign(bytes->begin(), bytes->end());
    return true;
}

}  // namespace regional_skin
