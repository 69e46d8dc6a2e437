#include "tests/game/support/RegionalSkin.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "platform/Files.h"
#include "platform/TextCodec.h"
#include "tests/platform/PictureBytes.h"
#include "tools/kor_pack/KorPackWriter.h"

namespace regional_skin {
namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}

constexpr uint32_t kFaceBlue = 0xa0;
constexpr uint32_t kBackBlue = 0x10;
constexpr uint32_t kPlainBlueFrom = 0x60;
constexpr uint32_t kPlainGreen = 0x08;
constexpr uint32_t kGreenStep = 0x14;
// Plain colours lie on a grid of this step in red and blue, so a colour a
// canvas drew a little off (blending rounds by a unit or two) is still told
// apart from its neighbours.
constexpr uint32_t kGridStep = 6;
constexpr uint32_t kRedValues = (0xf6 - 0x10) / kGridStep;   // red 0x10 .. 0xf0
constexpr uint32_t kBlueValues = (0xf6 - 0x60) / kGridStep;  // blue 0x60 .. 0xf0
constexpr int kTolerance = 2;
constexpr char kSoundMark[] = "PVBNSND:";

// The colour of the k-th plain picture of the list: red and blue on the
// grid, blue never within reach of the faces' blue.
uint32_t PlainColour(uint32_t k) {
    uint32_t blueStep = k / kRedValues;
    uint32_t blue = kPlainBlueFrom + kGridStep * blueStep;
    while (blue + kGridStep > kFaceBlue && blue < kFaceBlue + kGridStep) {
        blue += kGridStep;
    }
    return Rgb(0x10 + kGridStep * (k % kRedValues), kPlainGreen, blue);
}

int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xff);
}

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

picture_bytes::Bytes PictureFile(const Picture& picture) {
    if (picture.frames == 1) {
        return picture_bytes::SolidRgbPng(picture.width, picture.height, FrameColour(picture, 0));
    }
    picture_bytes::Bytes palette;
    std::vector<picture_bytes::GifFrame> frames;
    const size_t pixels = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    for (int f = 0; f < picture.frames; ++f) {
        const uint32_t colour = FrameColour(picture, f);
        palette.push_back(static_cast<uint8_t>(colour & 0xff));
        palette.push_back(static_cast<uint8_t>((colour >> 8) & 0xff));
        palette.push_back(static_cast<uint8_t>((colour >> 16) & 0xff));
        frames.push_back(
            picture_bytes::Frame(picture_bytes::Bytes(pixels, static_cast<uint8_t>(f)), 10, -1));
    }
    return picture_bytes::Gif(picture.width, picture.height, palette, frames);
}

Skin LoadProjectSkin(std::string& error) {
    Skin skin;
    const std::optional<std::vector<uint8_t>> bytes = platform::ReadWholeFile(NameListPath());
    if (!bytes) {
        error = "cannot read " + NameListPath();
        return skin;
    }
    if (!ParseNameList(
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), skin,
            error)) {
        return Skin{};
    }
    return skin;
}

struct Loaded {
    Skin skin;
    std::string error;
};

const Loaded& Project() {
    static const Loaded loaded = [] {
        Loaded l;
        l.skin = LoadProjectSkin(l.error);
        return l;
    }();
    return loaded;
}

}  // namespace

bool ParseNameList(std::string_view text, Skin& skin, std::string& error) {
    skin = Skin{};
    std::set<std::string> names;
    uint32_t plain = 0;
    int lineNo = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end;
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.empty() || fields[0].starts_with('#')) {
            continue;
        }
        const std::string where = "line " + std::to_string(lineNo) + ": ";
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
            picture.frames > 255) {
            error = where + "a picture is written: name frames width height [look]";
            return false;
        }
        if (fields.size() == 5) {
            const std::string_view look = fields[4];
            if (look == "faces") {
                picture.look = Look::Faces;
            } else if (look == "back02") {
                picture.look = Look::BackSides;
            } else if (look == "back13") {
                picture.look = Look::BackEnds;
            } else {
                error = where + "the look is faces, back02 or back13";
                return false;
            }
        }
        if (picture.look == Look::Plain) {
            picture.colour = PlainColour(plain++);
        }
        skin.pictures.push_back(std::move(picture));
    }
    if (plain > kRedValues * (kBlueValues - 2)) {
        error = "too many plain pictures for distinct colours";
        return false;
    }
    return true;
}

// The list lies in the source tree, which the build names: a path taken
// from this file's name would depend on the folder a test runs in.
#ifndef PVBN_SOURCE_DIR
#error "the regional test skin needs PVBN_SOURCE_DIR, the source tree that holds its name list"
#endif

std::string NameListPath() {
    return std::string(PVBN_SOURCE_DIR) + "/tools/skin/regional_skin_names.txt";
}

const Skin& RegionalSkin() {
    return Project().skin;
}

const std::string& SkinError() {
    return Project().error;
}

const std::vector<std::string>& PackPaths() {
    return RegionalSkin().packs;
}

const Picture* FindPicture(std::string_view name) {
    for (const Picture& picture : RegionalSkin().pictures) {
        if (picture.name == name) {
            return &picture;
        }
    }
    return nullptr;
}

const Sound* FindSound(std::string_view fileName) {
    for (const Sound& sound : RegionalSkin().sounds) {
        if (sound.fileName == fileName) {
            return &sound;
        }
    }
    return nullptr;
}

uint32_t FaceColour(int frame) {
    const int f = std::clamp(frame, 0, kFaceFrames - 1);
    return Rgb(0x20 + 0x18 * static_cast<uint32_t>(f % 7),
               0x30 + 0x20 * static_cast<uint32_t>(f / 7), kFaceBlue);
}

uint32_t BackColour(Look look) {
    return look == Look::BackSides ? Rgb(0xe0, 0x40, kBackBlue) : Rgb(0x40, 0xe0, kBackBlue);
}

uint32_t FrameColour(const Picture& picture, int frame) {
    switch (picture.look) {
        case Look::Faces:
            return FaceColour(frame);
        case Look::BackSides:
        case Look::BackEnds:
            return BackColour(picture.look);
        case Look::Plain:
            break;
    }
    const uint32_t green = kPlainGreen + kGreenStep * static_cast<uint32_t>(std::max(frame, 0));
    return (picture.colour & 0xff00ff) | ((green & 0xff) << 8);
}

bool ColourNear(uint32_t seen, uint32_t drawn) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(Channel(seen, shift) - Channel(drawn, shift)) > kTolerance) {
            return false;
        }
    }
    return true;
}

Seen ClassifyColour(uint32_t colour) {
    if (ColourNear(colour, BackColour(Look::BackSides))) {
        return {Seen::Kind::BackSides, -1, nullptr};
    }
    if (ColourNear(colour, BackColour(Look::BackEnds))) {
        return {Seen::Kind::BackEnds, -1, nullptr};
    }
    for (int f = 0; f < kFaceFrames; ++f) {
        if (ColourNear(colour, FaceColour(f))) {
            return {Seen::Kind::Face, f, nullptr};
        }
    }
    for (const Picture& picture : RegionalSkin().pictures) {
        if (picture.look != Look::Plain) {
            continue;
        }
        for (int f = 0; f < picture.frames; ++f) {
            if (ColourNear(colour, FrameColour(picture, f))) {
                return {Seen::Kind::Plain, f, &picture};
            }
        }
    }
    return {};
}

std::vector<uint8_t> SoundBytes(std::string_view fileName) {
    // 8-bit mono PCM at 8000 Hz: the mark and the name, then silence (128)
    // up to a tenth of a second.
    std::vector<uint8_t> samples(kSoundMark, kSoundMark + sizeof kSoundMark - 1);
    samples.insert(samples.end(), fileName.begin(), fileName.end());
    samples.push_back(0);
    samples.resize(std::max<size_t>(samples.size(), 800), 128);
    picture_bytes::Bytes out;
    auto text = [&out](const char* four) { out.insert(out.end(), four, four + 4); };
    text("RIFF");
    picture_bytes::Le32(out, static_cast<uint32_t>(36 + samples.size()));
    text("WAVE");
    text("fmt ");
    picture_bytes::Le32(out, 16);
    picture_bytes::Le16(out, 1);     // PCM
    picture_bytes::Le16(out, 1);     // mono
    picture_bytes::Le32(out, 8000);  // samples per second
    picture_bytes::Le32(out, 8000);  // bytes per second
    picture_bytes::Le16(out, 1);     // block
    picture_bytes::Le16(out, 8);     // bits
    text("data");
    picture_bytes::Le32(out, static_cast<uint32_t>(samples.size()));
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

std::string SoundNameOf(std::span<const uint8_t> bytes) {
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const size_t mark = all.find(kSoundMark);
    if (mark == std::string_view::npos) {
        return {};
    }
    const size_t start = mark + sizeof kSoundMark - 1;
    const size_t end = all.find('\0', start);
    if (end == std::string_view::npos) {
        return {};
    }
    return std::string(all.substr(start, end - start));
}

bool BuildPack(const std::string& pack, const std::set<std::string>& leaveOut,
               std::vector<uint8_t>& image, std::string& error) {
    if (!SkinError().empty()) {
        error = SkinError();
        return false;
    }
    std::vector<KorPackItem> items;
    for (const Picture& picture : RegionalSkin().pictures) {
        if (picture.pack == pack && !leaveOut.contains(picture.name)) {
            items.push_back(
                {picture.name + (picture.frames == 1 ? ".png" : ".gif"), PictureFile(picture)});
        }
    }
    for (const Sound& sound : RegionalSkin().sounds) {
        if (sound.pack == pack && !leaveOut.contains(sound.fileName)) {
            items.push_back({sound.fileName, SoundBytes(sound.fileName)});
        }
    }
    return BuildKorPack(items, image, error);
}

std::string PackFile(const std::string& programFolder, const std::string& pack) {
    std::string relative = pack;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return programFolder + relative;
}

bool WriteSkinPacks(const std::string& programFolder, std::string& error,
                    const std::set<std::string>& leaveOut) {
    if (!SkinError().empty()) {
        error = SkinError();
        return false;
    }
    for (const std::string& pack : PackPaths()) {
        std::vector<uint8_t> image;
        if (!BuildPack(pack, leaveOut, image, error)) {
            return false;
        }
        const std::filesystem::path file = PackFile(programFolder, pack);
        std::error_code made;
        std::filesystem::create_directories(file.parent_path(), made);
        if (!platform::WriteWholeFile(file.string(), image.data(), image.size())) {
            error = "cannot write " + file.string();
            return false;
        }
    }
    return true;
}

}  // namespace regional_skin
