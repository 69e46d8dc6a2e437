// The drawn test skin: the pack holds every item once and the resource
// module takes all of them; no two pictures share a colour a drawing test
// could confuse, and a pixel's colour names its tile face or back.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/ResourceModule.h"
#include "tests/mahjong_client/support/TableSkin.h"

namespace table_skin {
namespace {

TEST(TableSkinTest, ThePackHoldsEveryItemAndTheResourceModuleTakesThem) {
    std::string error;
    const std::vector<uint8_t> pack = BuildTableSkinPack(error);
    ASSERT_FALSE(pack.empty()) << error;
    ResourceModule resources;
    EXPECT_EQ(resources.AddPackFromMemory(pack.data(), pack.size()),
              static_cast<int>(TableSkinItems().size()));
    for (const char* name : {"800_largecard", "800_side1", "800_middle3", kBackSides, kBackEnds,
                             "btn_Hu_big", "PlayerBoardSmall", "bit_SystemBar"}) {
        EXPECT_NE(FindSkinItem(name), nullptr) << name;
    }
}

TEST(TableSkinTest, EveryColourNamesOneThing) {
    std::map<uint32_t, std::string> owners;
    auto claim = [&](uint32_t colour, const std::string& what) {
        const auto [it, fresh] = owners.emplace(colour, what);
        EXPECT_TRUE(fresh) << what << " and " << it->second << " share a colour";
        EXPECT_NE(colour, 0xff00ffu) << what;
    };
    for (int f = 0; f < kFaceFrames; ++f) {
        claim(FaceColour(f), "face " + std::to_string(f));
        const SeenColour seen = ClassifyColour(FaceColour(f));
        EXPECT_EQ(seen.kind, SeenColour::Kind::Face);
        EXPECT_EQ(seen.face, f);
    }
    claim(BackColour(kBackSides), kBackSides);
    claim(BackColour(kBackEnds), kBackEnds);
    EXPECT_EQ(ClassifyColour(BackColour(kBackSides)).kind, SeenColour::Kind::BackSides);
    EXPECT_EQ(ClassifyColour(BackColour(kBackEnds)).kind, SeenColour::Kind::BackEnds);
    std::set<std::string> names;
    for (const SkinItem& item : TableSkinItems()) {
        EXPECT_TRUE(names.insert(item.name).second) << item.name;
        if (item.colours != SkinItem::Colours::Plain) {
            continue;
        }
        for (int f = 0; f < item.frames; ++f) {
            const uint32_t colour = PlainFrameColour(item, f);
            claim(colour, item.name + " frame " + std::to_string(f));
            EXPECT_EQ(ClassifyColour(colour).kind, SeenColour::Kind::Other) << item.name;
        }
    }
}

}  // namespace
}  // namespace table_skin
