#include "tests/game/support/RegionalSkin.h"

namespace regional_skin {
namespace {

struct Loaded {
    Skin skin;
    std::string error;
};

const Loaded& Project() {
    static const Loaded loaded = [] {
        Loaded l;
        if (!ReadNameList(NameListPath(), l.skin, l.error)) {
            l.skin = Skin{};
        }
        return l;
    }();
    return loaded;
}

}  // namespace

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

Seen ClassifyColour(uint32_t colour) {
    return ClassifyColour(RegionalSkin(), colour);
}

bool BuildPack(const std::string& pack, const std::set<std::string>& leaveOut,
               std::vector<uint8_t>& image, std::string& error) {
    if (!SkinError().empty()) {
        error = SkinError();
        return false;
    }
    return BuildPack(RegionalSkin(), pack, Style::Flat, leaveOut, image, error);
}

bool WriteSkinPacks(const std::string& programFolder, std::string& error,
                    const std::set<std::string>& leaveOut) {
    if (!SkinError().empty()) {
        error = SkinError();
        return false;
    }
    return WriteSkinPacks(RegionalSkin(), programFolder, Style::Flat, error, leaveOut);
}

}  // namespace regional_skin
