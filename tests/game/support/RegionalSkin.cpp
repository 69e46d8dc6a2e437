#include "tests/game/support/RegionalSkin.h"

#include <algorithm>
#include <cmath>

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
                    const std::set<std::string>& leaveOut, Style style) {
    if (!SkinError().empty()) {
        error = SkinError();
        return false;
    }
    return WriteSkinPacks(RegionalSkin(), programFolder, style, error, leaveOut);
}

int LitSide(const std::function<uint32_t(int x, int y)>& pixel, int width, int height) {
    auto luminance = [](uint32_t c) {
        return 0.299 * (c & 0xff) + 0.587 * ((c >> 8) & 0xff) + 0.114 * ((c >> 16) & 0xff);
    };
    // The dial's disc, without the corners of its square.
    const double radius = std::min(width, height) / 2.0;
    auto onDisc = [&](int x, int y) {
        return std::hypot(x + 0.5 - width / 2.0, y + 0.5 - height / 2.0) < radius;
    };
    double brightest = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (onDisc(x, y)) {
                brightest = std::max(brightest, luminance(pixel(x, y)));
            }
        }
    }
    double dx = 0;
    double dy = 0;
    int lit = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (onDisc(x, y) && luminance(pixel(x, y)) >= 0.85 * brightest) {
                dx += x + 0.5 - width / 2.0;
                dy += y + 0.5 - height / 2.0;
                ++lit;
            }
        }
    }
    if (lit == 0 || std::hypot(dx / lit, dy / lit) < radius / 4) {
        return -1;
    }
    if (std::abs(dx) >= 2 * std::abs(dy)) {
        return dx < 0 ? 0 : 2;
    }
    if (std::abs(dy) >= 2 * std::abs(dx)) {
        return dy < 0 ? 1 : 3;
    }
    return -1;
}

int DrawnDialSide(int frame) {
    const Picture* dial = FindPicture("clock_hand_big");
    if (dial == nullptr || frame < 0 || frame >= dial->frames) {
        return -1;
    }
    const std::vector<Image> frames = DrawPicture(*dial, Style::Drawn);
    const Image& image = frames[static_cast<size_t>(frame)];
    return LitSide(
        [&](int x, int y) { return image.pixels[static_cast<size_t>(y) * image.width + x]; },
        image.width, image.height);
}

}  // namespace regional_skin
