#pragma once
// The regional test skin in a headless engine, for scenes that drive the
// table view without a window: a core on the test's clock, a resource module
// holding the skin's eleven packs (less the pictures left out), a painter
// that decodes their pictures (nothing is drawn) and an object module. The
// pack images are kept by the caller and must outlive the core.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/GameCore.h"
#include "engine/ObjectModule.h"
#include "engine/ResourceModule.h"
#include "tests/engine/EngineTestSupport.h"

namespace game_test {

struct HeadlessCore {
    std::unique_ptr<GameCore>& core;
    ResourceModule*& resources;
    ObjectModule*& objects;
    std::vector<std::vector<uint8_t>>& packs;
};

// Opens the engine into `parts`; false with the reason in `error`.
bool OpenHeadlessCore(ManualTime& time, const std::set<std::string>& leaveOut,
                      const HeadlessCore& parts, std::string& error);

}  // namespace game_test
