#include "tools/skin/SkinPacks.h"

#include <algorithm>
#include <filesystem>

#include "platform/Files.h"
#include "tools/kor_pack/KorPackWriter.h"
#include "tools/skin/SkinFiles.h"

namespace regional_skin {
namespace {

std::string TitleOf(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

}  // namespace

bool PictureItem(const Picture& picture, Style style, std::string& fileName,
                 std::vector<uint8_t>& bytes, std::string& error) {
    const Slices slices = PictureSlices(picture);
    const std::vector<Image> frames = DrawPicture(picture, style);
    const bool made = slices.Any() ? SlicedPictureFile(frames, slices.x, slices.y, bytes, error)
                                   : PictureFile(frames, bytes, error);
    fileName = picture.name + (slices.Any() ? ".pps" : IsGifFile(bytes) ? ".gif" : ".png");
    return made;
}

bool BuildPack(const Skin& skin, const std::string& pack, Style style,
               const std::set<std::string>& leaveOut, std::vector<uint8_t>& image,
               std::string& error) {
    std::vector<KorPackItem> items;
    for (const Picture& picture : skin.pictures) {
        if (picture.pack != pack || leaveOut.contains(picture.name)) {
            continue;
        }
        KorPackItem item;
        if (!PictureItem(picture, style, item.fileName, item.bytes, error)) {
            error = picture.name + ": " + error;
            return false;
        }
        items.push_back(std::move(item));
    }
    for (const Sound& sound : skin.sounds) {
        if (sound.pack != pack || leaveOut.contains(sound.fileName)) {
            continue;
        }
        if (style == Style::Flat) {
            items.push_back({sound.fileName, SoundBytes(sound.fileName)});
        } else {
            const std::string title = TitleOf(sound.fileName);
            items.push_back({title + ".wav", ToneBytes(title)});
        }
    }
    return BuildKorPack(items, image, error);
}

std::string PackFile(const std::string& programFolder, const std::string& pack) {
    std::string relative = pack;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return programFolder + relative;
}

bool WriteSkinPacks(const Skin& skin, const std::string& programFolder, Style style,
                    std::string& error, const std::set<std::string>& leaveOut) {
    for (const std::string& pack : skin.packs) {
        std::vector<uint8_t> image;
        if (!BuildPack(skin, pack, style, leaveOut, image, error)) {
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
