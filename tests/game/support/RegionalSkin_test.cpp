// The regional test skin: the name list reads whole, every listed picture and
// sound is found in the packs the game opens, under its GBK name, and a
// pixel or a stream's bytes tell back what was drawn or played.

#include "tests/game/support/RegionalSkin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "engine/EngineUtils.h"
#include "engine/ResKey.h"
#include "engine/ResourceModule.h"
#include "game/app/RegionalFrameView.h"
#include "mahjong_tiles/Random.h"
#include "platform/Files.h"
#include "platform/ImageDecoder.h"
#include "tests/game/support/ProgramFolder.h"
#include "tests/game/support/TestClock.h"

namespace {

using regional_skin::Look;

TEST(RegionalSkin, TheNameListReadsWholeIntoElevenPacks) {
    ASSERT_EQ(regional_skin::SkinError(), "");
    const regional_skin::Skin& skin = regional_skin::RegionalSkin();
    // The packs the game opens, in its order.
    const std::vector<std::string> expected(CRegionalFrameView::kResourcePacks.begin(),
                                            CRegionalFrameView::kResourcePacks.end());
    EXPECT_EQ(skin.packs, expected);
    // GBK bytes, as the game's literals are.
    EXPECT_EQ(skin.packs[3], "skins\\\xC1\xC4\xCC\xEC\xBF\xF2\xD7\xCA\xD4\xB4\xB0\xFC.kor");
    EXPECT_GT(skin.pictures.size(), 200u);
    EXPECT_EQ(skin.sounds.size(), 96u);
    const regional_skin::Picture* wild = regional_skin::FindPicture("黄_64_94");
    ASSERT_NE(wild, nullptr);
    EXPECT_EQ(wild->pack, "skins\\common.kor");
    ASSERT_NE(regional_skin::FindSound("female_chat_我只有12张牌，小相公。.ogg"), nullptr);
}

TEST(RegionalSkin, AListWithFaultsIsRefusedWithItsLine) {
    regional_skin::Skin skin;
    std::string error;
    EXPECT_FALSE(regional_skin::ParseNameList("a 1 2 3\n", skin, error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(regional_skin::ParseNameList("[p]\na 1 2\n", skin, error));
    EXPECT_FALSE(regional_skin::ParseNameList("[p]\na 1 2 3\na 2 2 2\n", skin, error));
    EXPECT_NE(error.find("twice"), std::string::npos);
    EXPECT_FALSE(regional_skin::ParseNameList("[p]\na 1 2 3 stripes\n", skin, error));
    EXPECT_FALSE(regional_skin::ParseNameList("[p]\na 0 2 3\n", skin, error));
    EXPECT_FALSE(regional_skin::ParseNameList("[p]\ns.ogg 1\n", skin, error));
    ASSERT_TRUE(
        regional_skin::ParseNameList("# c\n[p]\n\na 2 3 4 faces\nb 1 1 1\nc.ogg\n", skin, error));
    ASSERT_EQ(skin.pictures.size(), 2u);
    EXPECT_EQ(skin.pictures[0].look, Look::Faces);
    EXPECT_EQ(skin.pictures[1].width, 1);
    ASSERT_EQ(skin.sounds.size(), 1u);
    EXPECT_EQ(skin.sounds[0].pack, "p");
}

TEST(RegionalSkin, ColoursNameWhatWasDrawn) {
    std::set<uint32_t> frameZero;
    for (const regional_skin::Picture& picture : regional_skin::RegionalSkin().pictures) {
        for (int f = 0; f < picture.frames; ++f) {
            const uint32_t colour = regional_skin::FrameColour(picture, f);
            EXPECT_NE(colour, 0xff00ffu) << picture.name;
            const regional_skin::Seen seen = regional_skin::ClassifyColour(colour);
            switch (picture.look) {
                case Look::Faces:
                    EXPECT_EQ(seen.kind, regional_skin::Seen::Kind::Face);
                    EXPECT_EQ(seen.frame, f);
                    break;
                case Look::BackSides:
                    EXPECT_EQ(seen.kind, regional_skin::Seen::Kind::BackSides);
                    break;
                case Look::BackEnds:
                    EXPECT_EQ(seen.kind, regional_skin::Seen::Kind::BackEnds);
                    break;
                case Look::Plain:
                    ASSERT_EQ(seen.kind, regional_skin::Seen::Kind::Plain) << picture.name;
                    EXPECT_EQ(seen.picture, &picture) << picture.name;
                    EXPECT_EQ(seen.frame, f);
                    // A unit or two off, as blending draws it, names the same.
                    EXPECT_EQ(regional_skin::ClassifyColour(colour - 0x010102).picture, &picture);
                    if (f == 0) {
                        EXPECT_TRUE(frameZero.insert(colour).second) << picture.name;
                    }
                    break;
            }
        }
    }
    EXPECT_EQ(regional_skin::ClassifyColour(0x000000).kind, regional_skin::Seen::Kind::Unknown);
}

TEST(RegionalSkin, SoundsNameThemselves) {
    const std::vector<uint8_t> bytes = regional_skin::SoundBytes("male_12.ogg");
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(regional_skin::SoundNameOf(bytes), "male_12.ogg");
    EXPECT_EQ(regional_skin::SoundNameOf(std::vector<uint8_t>(40, 'x')), "");
}

// Every listed name is found through the resource module in the packs the
// program folder holds, with its frame count.
TEST(RegionalSkin, EveryNameIsFoundInThePacksOfTheProgramFolder) {
    game_test::ProgramFolder folder;
    ASSERT_TRUE(folder.Ok()) << folder.Error();
    ResourceModule resources;
    size_t packed = 0;
    for (const std::string& pack : regional_skin::PackPaths()) {
        // The game joins the program folder with the pack's path as it stands.
        const std::string path = GetExePath(pack);
        ASSERT_EQ(platform::GetPathKind(path), platform::PathKind::File) << path;
        const int added = resources.AddPack(path);
        ASSERT_GT(added, 0) << path;
        packed += static_cast<size_t>(added);
    }
    const regional_skin::Skin& skin = regional_skin::RegionalSkin();
    EXPECT_EQ(packed, skin.pictures.size() + skin.sounds.size());
    ASSERT_TRUE(platform::StartPictureCodecs());
    for (const regional_skin::Picture& picture : skin.pictures) {
        const ResourceEntry* entry = resources.LoadResource(GetResKey(picture.name + ".imge"));
        ASSERT_NE(entry, nullptr) << picture.name;
        platform::DecodedPicture decoded;
        std::string error;
        ASSERT_TRUE(platform::DecodePicture(
            entry->data.get(), entry->size,
            picture.frames == 1 ? platform::PictureFormat::Png : platform::PictureFormat::Gif,
            decoded, error))
            << picture.name << ": " << error;
        EXPECT_EQ(decoded.frameCount, picture.frames) << picture.name;
        EXPECT_EQ(decoded.width, picture.width) << picture.name;
        EXPECT_EQ(decoded.height, picture.height) << picture.name;
    }
    for (const regional_skin::Sound& sound : skin.sounds) {
        const ResourceEntry* entry =
            resources.LoadResource(GetResKey(platform::SplitPath(sound.fileName).title + ".sound"));
        ASSERT_NE(entry, nullptr) << sound.fileName;
        EXPECT_EQ(
            regional_skin::SoundNameOf(std::span<const uint8_t>(entry->data.get(), entry->size)),
            sound.fileName);
    }
}

TEST(RegionalSkin, APackCanLackNames) {
    game_test::ProgramFolderOptions options;
    options.leaveOut = {"bit_baojiao", "male_12.ogg"};
    game_test::ProgramFolder folder(options);
    ASSERT_TRUE(folder.Ok()) << folder.Error();
    ResourceModule resources;
    for (const std::string& pack : regional_skin::PackPaths()) {
        resources.AddPack(GetExePath(pack));
    }
    EXPECT_FALSE(resources.HasResource(GetResKey("bit_baojiao.imge")));
    EXPECT_FALSE(resources.HasResource(GetResKey("male_12.sound")));
    EXPECT_TRUE(resources.HasResource(GetResKey("bit_hu.imge")));
}

TEST(ProgramFolder, PointsTheProgramAndSystemFoldersAndGoesAway) {
    std::string path;
    {
        game_test::ProgramFolderOptions options;
        options.skin = false;
        game_test::ProgramFolder folder(options);
        ASSERT_TRUE(folder.Ok());
        path = folder.Path();
        EXPECT_EQ(platform::ProgramFolder(), path);
        EXPECT_EQ(platform::SystemFolder(), folder.SystemFolder());
        ASSERT_TRUE(folder.Write("skins\\a.txt", "bytes"));
        EXPECT_EQ(folder.Read("skins/a.txt"), "bytes");
        EXPECT_TRUE(folder.Exists("skins/a.txt"));
    }
    EXPECT_NE(platform::ProgramFolder(), path);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(TestClock, RandomDrawsRepeatFromTheQueueAndTheSeed) {
    std::vector<int> first;
    {
        game_test::ScopedRandom random(500);
        random.Queue({4, 2});
        EXPECT_EQ(RandomBelow(6), 4);
        EXPECT_EQ(RandomBelow(6), 2);
        SeedRandom(77);
        first = {NextRandom(), NextRandom()};
        EXPECT_EQ(random.Draws(), 4);
        ASSERT_FALSE(random.Seeds().empty());
        EXPECT_EQ(random.Seeds().back(), 77u);
    }
    game_test::ScopedRandom again(500);
    SeedRandom(77);
    EXPECT_EQ((std::vector<int>{NextRandom(), NextRandom()}), first);
}

TEST(TestClock, LocalTimeIsFixedWhileTheObjectLives) {
    platform::LocalDateTime now;
    now.year = 2026;
    now.month = 12;
    now.day = 7;
    now.hour = 18;
    {
        game_test::ScopedLocalTime fixed(now);
        EXPECT_EQ(platform::LocalNow().hour, 18);
        EXPECT_EQ(platform::LocalNow().day, 7);
    }
    EXPECT_NE(platform::LocalNow().year, 0);
}

}  // namespace
