// The seats' voices by the sex of their players, the settings that silence
// them, and the spoken operation names with their random pick.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/table/RegionalTableView.h"
#include "tests/game/show/ShowScene.h"
#include "tests/game/support/TestClock.h"

namespace {

using show_test::ShowScene;

// A tile whose voice number is 12 (suit 1, value 2).
constexpr int kTwoOfBamboo = 37;

class VoicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scene.Open()) << scene.error;
        view = scene.view;
        scene.App().Settings().soundEffect = 1;
    }

    ShowScene scene;
    show_test::ShowView* view = nullptr;
};

TEST_F(VoicesTest, TheSeatsPlayerSpeaksInHisOrHerVoice) {
    // Chairs 0 and 2 are male, 1 and 3 female; the own chair is 0.
    EXPECT_EQ(view->GetVoiceFile(3, kTwoOfBamboo), "male_12.ogg");
    EXPECT_EQ(view->GetVoiceFile(view->ChairToPosition(1), kTwoOfBamboo), "female_12.ogg");
    EXPECT_EQ(view->GetVoiceFileByName(view->ChairToPosition(3), "Peng1"), "female_Peng1.ogg");
    EXPECT_EQ(view->GetVoiceFileByName(view->ChairToPosition(2), "Hu0"), "male_Hu0.ogg");
    EXPECT_EQ(view->sounds, (std::vector<std::string>{"male_12.ogg", "female_12.ogg",
                                                      "female_Peng1.ogg", "male_Hu0.ogg"}));
}

TEST_F(VoicesTest, NothingIsSaidWithoutASeatATileOrAName) {
    for (int position : {-1, 4, 7}) {
        EXPECT_EQ(view->GetVoiceFile(position, kTwoOfBamboo), "") << position;
        EXPECT_EQ(view->GetVoiceFileByName(position, "Gang"), "") << position;
    }
    EXPECT_EQ(view->GetVoiceFile(3, 200), "");
    EXPECT_EQ(view->GetVoiceFile(3, -1), "");
    EXPECT_EQ(view->GetVoiceFileByName(3, ""), "");
    EXPECT_EQ(view->GetVoiceFileByName(3, nullptr), "");
    EXPECT_TRUE(view->sounds.empty());
}

TEST_F(VoicesTest, SoundSettingsSilenceTheVoices) {
    scene.App().Settings().keepSilence = 1;
    EXPECT_EQ(view->GetVoiceFile(3, kTwoOfBamboo), "");
    scene.App().Settings().keepSilence = 0;
    scene.App().Settings().soundEffect = 0;
    EXPECT_EQ(view->GetVoiceFileByName(3, "Gang"), "");
    EXPECT_TRUE(view->sounds.empty());
}

TEST_F(VoicesTest, OperationSoundNamesByKind) {
    game_test::ScopedRandom random(5000);
    random.Queue({1, 0, 2, 1, 0, 7, 7});
    EXPECT_STREQ(view->GetOperationSoundName(0), "Peng1");
    EXPECT_STREQ(view->GetOperationSoundName(1), "Peng0");
    EXPECT_STREQ(view->GetOperationSoundName(10), "Hu2");
    EXPECT_STREQ(view->GetOperationSoundName(11), "Hu1");
    EXPECT_STREQ(view->GetOperationSoundName(12), "Hua0");
    // Kinds 4 and 5 draw and still say "Gang".
    EXPECT_STREQ(view->GetOperationSoundName(4), "Gang");
    EXPECT_STREQ(view->GetOperationSoundName(5), "Gang");
    EXPECT_EQ(random.Draws(), 7);
    for (int kind : {2, 3, 6, 7}) {
        EXPECT_STREQ(view->GetOperationSoundName(kind), "Gang") << kind;
    }
    // Chi (8, 9) and unknown kinds say nothing.
    for (int kind : {8, 9, 14, -1, 100}) {
        EXPECT_STREQ(view->GetOperationSoundName(kind), "") << kind;
    }
    EXPECT_EQ(random.Draws(), 7) << "only the picks draw";
    // Every call reseeds from the clock in seconds.
    EXPECT_EQ(random.Seeds().size(), 16u);
    for (uint32_t seed : random.Seeds()) {
        EXPECT_EQ(seed, 5000u);
    }
}

TEST_F(VoicesTest, TwoCallsInOneSecondPickAlike) {
    game_test::ScopedRandom random(77);
    for (int kind : {0, 10, 13}) {
        const std::string first = view->GetOperationSoundName(kind);
        EXPECT_EQ(view->GetOperationSoundName(kind), first) << kind;
    }
}

}  // namespace
