#include "tests/game/support/HeadlessCore.h"

#include <utility>

#include "engine/GdiPaintModule.h"
#include "tests/game/support/RegionalSkin.h"

namespace game_test {

bool OpenHeadlessCore(ManualTime& time, const std::set<std::string>& leaveOut,
                      const HeadlessCore& parts, std::string& error) {
    auto clock = time.MakeClock();
    clock->Reset(5000);
    parts.core = std::make_unique<GameCore>(std::move(clock));
    parts.resources = new ResourceModule;
    if (parts.core->LoadModule(parts.resources, 1, 1) != kEngineOk) {
        error = "no resource module";
        return false;
    }
    for (const std::string& pack : regional_skin::PackPaths()) {
        std::vector<uint8_t> image;
        if (!regional_skin::BuildPack(pack, leaveOut, image, error)) {
            return false;
        }
        parts.packs.push_back(std::move(image));
    }
    for (const std::vector<uint8_t>& image : parts.packs) {
        parts.resources->AddPackFromMemory(image.data(), image.size());
    }
    // The painter decodes the skin's pictures (no window: nothing is drawn).
    if (parts.core->LoadModule(new GdiPaintModule, 1, 1) != kEngineOk) {
        error = "no paint module";
        return false;
    }
    parts.objects = new ObjectModule;
    if (parts.core->LoadModule(parts.objects, 1, 0) != kEngineOk) {
        error = "no object module";
        return false;
    }
    return true;
}

}  // namespace game_test
