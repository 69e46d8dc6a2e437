// The seats' voices by the sex of their players, the settings that silence
// them, and the spoken operation names with their random pick.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/ui/CorvaneButton.h"
#include "game/result/GameResultDlg.h"
#include "game/result/ScoreText.h"
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

// ---- the round line ----

// Stores a hand start with the hand number and the room's two bases.
void StoreHandStart(ShowScene& scene, int32_t hand, int32_t baseSilver, int32_t baseScore) {
    std::vector<uint8_t> start(952, 0);
    const int32_t words[][2] = {{8, hand}, {9, baseSilver}, {10, baseScore}, {14, 1}};
    for (const auto& [index, value] : words) {
        std::memcpy(start.data() + 4 * index, &value, 4);
    }
    ASSERT_TRUE(scene.Data()->StoreHandStart(start));
}

TEST_F(VoicesTest, TheRoundLineNamesTheHandAndTheScoreRoomsBase) {
    StoreHandStart(scene, 7, 500, 30);
    ASSERT_NE(view->GetStartButton(), nullptr);
    view->GetStartButton()->Show();
    view->ShowRoundInfo();
    score_text::RoundFacts facts;
    facts.handNumber = 7;
    facts.baseScore = 30;
    facts.baseSilver = 500;
    EXPECT_EQ(scene.host.chat.lines, std::vector<std::string>{score_text::RoundInfoLine(facts)});
    EXPECT_NE(scene.host.chat.lines[0].find("基础分"), std::string::npos);
    EXPECT_EQ(view->GetStartButton()->IsVisible(), 0);
    // A replay writes no line.
    scene.App().SetReplayMode(true);
    view->ShowRoundInfo();
    scene.App().SetReplayMode(false);
    EXPECT_EQ(scene.host.chat.lines.size(), 1u);
}

TEST(RoundLineTest, ALookerOnsResultIsClosedAndTheSilverRoomsLineWritten) {
    show_test::SceneOptions options;
    options.lookOn = true;
    options.roomOptions = 0x4;
    ShowScene scene(options);
    ASSERT_TRUE(scene.Open()) << scene.error;
    StoreHandStart(scene, 2, 800, 40);
    CCorvaneObject* result = scene.view->GetResultDlg();
    ASSERT_NE(result, nullptr);
    result->Show();
    ASSERT_NE(scene.view->PutHandTile(3, 1, kTwoOfBamboo), nullptr);
    scene.view->ShowRoundInfo();
    EXPECT_EQ(result->IsVisible(), 0);
    EXPECT_EQ(scene.view->GetHandSprite(3, 1), nullptr) << "the last hand is cleared";
    ASSERT_EQ(scene.host.chat.lines.size(), 1u);
    EXPECT_NE(scene.host.chat.lines[0].find("基础银"), std::string::npos);
    EXPECT_NE(scene.host.chat.lines[0].find("800"), std::string::npos);
}

}  // namespace
