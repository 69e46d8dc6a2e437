// The win picture with its particle burst, the meld animation, the voice
// box with its phrases and the spoken phrase of a chat line.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneTextItem.h"
#include "engine/ui/CorvaneTextList.h"
#include "game/app/ChatTables.h"
#include "game/table/PlayerBoardSmall.h"
#include "game/table/RegionalTableView.h"
#include "tests/game/show/ShowScene.h"
#include "tests/game/support/TestClock.h"

namespace {

using show_test::ChatMessage;
using show_test::ShowScene;

constexpr int kParticles = 50;

class AnimationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scene.Open()) << scene.error;
        view = scene.view;
    }
    int LiveParticles() {
        int live = 0;
        for (int id : view->GetWinParticleIds()) {
            live += scene.Exists(id) ? 1 : 0;
        }
        return live;
    }

    game_test::ScopedRandom random{4242};
    ShowScene scene;
    show_test::ShowView* view = nullptr;
};

TEST_F(AnimationsTest, AWinShowsItsPictureAndFiftyParticlesAroundIt) {
    random.Queue({30, 10, 5, 2});
    view->PlayHuAnimation(1);
    CCorvanePicture* hu = view->GetHuPicture(1);
    ASSERT_NE(hu, nullptr);
    const TablePoint anchor = view->GetHuAnchor(1);
    EXPECT_EQ(hu->GetX(), anchor.x);
    EXPECT_EQ(hu->GetY(), anchor.y);
    EXPECT_EQ(hu->GetZ(), 5000.0);
    EXPECT_NE(hu->IsVisible(), 0);
    ASSERT_EQ(view->GetWinParticleIds().size(), static_cast<size_t>(kParticles));
    EXPECT_EQ(LiveParticles(), kParticles);
    // The first particle: scattered by (30 % 100 - 50, 10 % 60 - 30), rises
    // 6 steps of 3 pixels, fading by 1/6 a step.
    auto* first =
        dynamic_cast<CCorvanePicture*>(scene.objects->FindObjectById(view->GetWinParticleIds()[0]));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetX(), anchor.x - 20);
    EXPECT_EQ(first->GetY(), anchor.y - 20);
    EXPECT_EQ(first->GetZ(), 5001.0);
    EXPECT_NEAR(first->GetAlpha(), 1.0 - 1.0 / 6, 1e-9);
    EXPECT_EQ(first->GetWidth(), 20);
    EXPECT_EQ(view->sounds, std::vector<std::string>{"SndWin"});

    // A second win at the same place keeps its picture.
    const int huId = hu->GetId();
    view->PlayHuAnimation(1);
    EXPECT_EQ(view->GetHuPicture(1)->GetId(), huId);
    EXPECT_EQ(LiveParticles(), 2 * kParticles);
    // Positions outside the table show nothing.
    view->PlayHuAnimation(4);
    view->PlayHuAnimation(-1);
    EXPECT_EQ(LiveParticles(), 2 * kParticles);
}

TEST_F(AnimationsTest, ClearingTheTableDestroysTheParticlesWithThePictures) {
    view->PlayHuAnimation(0);
    view->PlayHuAnimation(3);
    const std::vector<int> particles = view->GetWinParticleIds();
    scene.Frames(500);
    view->ClearTable();
    EXPECT_EQ(view->GetHuPicture(0), nullptr);
    EXPECT_EQ(view->GetHuPicture(3), nullptr);
    EXPECT_TRUE(view->GetWinParticleIds().empty());
    for (int id : particles) {
        EXPECT_FALSE(scene.Exists(id)) << id;
    }
    scene.Frames(100);
}

TEST_F(AnimationsTest, AMissingWinPictureScattersNothing) {
    ShowScene bare({.leaveOut = {"bit_hu"}});
    ASSERT_TRUE(bare.Open()) << bare.error;
    random.Queue({30, 10, 5, 2, 77, 13});
    bare.view->PlayHuAnimation(2);
    const TablePoint anchor = bare.view->GetHuAnchor(2);
    ASSERT_FALSE(bare.view->GetWinParticleIds().empty());
    for (int id : bare.view->GetWinParticleIds()) {
        CCorvaneObject* particle = bare.objects->FindObjectById(id);
        ASSERT_NE(particle, nullptr);
        EXPECT_EQ(particle->GetX(), anchor.x) << "no offset across";
    }
    EXPECT_EQ(bare.objects->FindObjectById(bare.view->GetWinParticleIds()[0])->GetY(), anchor.y);
}

TEST_F(AnimationsTest, TheMeldAnimationRunsOnceAndIsHiddenAtItsEnd) {
    CCorvanePicture* meld = view->GetMeldAnimation();
    ASSERT_NE(meld, nullptr);
    EXPECT_EQ(meld->IsVisible(), 0);
    EXPECT_EQ(meld->GetZ(), 52000.0);
    EXPECT_EQ(meld->GetX(), 512);
    EXPECT_EQ(meld->GetY(), 384);
    view->PlayMeldAnimation(kEventMeldAnimationDoneA);
    EXPECT_NE(meld->IsVisible(), 0);
    scene.Frames(3000);
    EXPECT_EQ(meld->IsVisible(), 0);
    view->PlayMeldAnimation(kEventMeldAnimationDoneB);
    EXPECT_NE(meld->IsVisible(), 0);
    scene.Frames(3000);
    EXPECT_EQ(meld->IsVisible(), 0);

    // A gang soon after a peng: the peng's run ends without hiding the gang.
    view->PlayMeldAnimation(kEventMeldAnimationDoneA);
    const int run = std::max(meld->GetTotalDuration(), 800);
    scene.Frames(run / 2);
    view->PlayMeldAnimation(kEventMeldAnimationDoneB);
    scene.Frames(run / 2 + 100);
    EXPECT_NE(meld->IsVisible(), 0);
    scene.Frames(run);
    EXPECT_EQ(meld->IsVisible(), 0);
}

TEST_F(AnimationsTest, TheVoiceBoxListsTheNinePhrasesNumbered) {
    CCorvaneObject* box = view->GetVoiceBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->IsVisible(), 0);
    EXPECT_GE(box->GetZ(), 50000.0);
    EXPECT_EQ(box->GetWidth(), 336);
    EXPECT_EQ(box->GetHeight(), 240);
    auto* list = dynamic_cast<CCorvaneTextList*>(view->GetVoicePhraseList());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetItemCount(), 9);
    for (int i = 0; i < 9; ++i) {
        CCorvaneTextItem* item = list->GetItem(i);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetCaption(), std::to_string(i + 1) + "." + GetVoicePhrase(i));
        EXPECT_EQ(item->GetNotify().event, 80000078);
        EXPECT_EQ(reinterpret_cast<const char*>(item->GetNotify().param1), GetVoicePhrase(i));
    }
    view->FillVoicePhraseList();
    EXPECT_EQ(list->GetItemCount(), 9);
}

TEST_F(AnimationsTest, TheVoiceButtonOpensTheBoxAboveItAndItsCrossClosesIt) {
    CCorvaneObject* box = view->GetVoiceBox();
    CCorvaneObject* list = view->GetVoicePhraseList();
    ASSERT_NE(box, nullptr);
    ASSERT_NE(list, nullptr);
    view->OnEvent(MakeEventRecord(view->GetId(), kEventVoiceButton, 0, 0));
    EXPECT_NE(box->IsVisible(), 0);
    EXPECT_NE(list->IsVisible(), 0) << "the phrases show with their box";
    EXPECT_LT(box->GetBottom(), view->GetVoiceButton()->GetBottom());
    view->OnEvent(MakeEventRecord(view->GetId(), kEventVoiceBoxClose, 0, 0));
    EXPECT_EQ(box->IsVisible(), 0);
    EXPECT_EQ(list->IsVisible(), 0);
    view->OnEvent(MakeEventRecord(view->GetId(), kEventVoiceButton, 0, 0));
    view->OnEvent(MakeEventRecord(view->GetId(), kEventVoiceButton, 0, 0));
    EXPECT_EQ(box->IsVisible(), 0) << "the button toggles";
}

TEST_F(AnimationsTest, TheVoiceButtonIsHiddenForLookersOn) {
    CCorvaneButton* button = view->GetVoiceButton();
    ASSERT_NE(button, nullptr);
    EXPECT_NE(button->IsVisible(), 0);
    view->HideVoiceButton(1);
    EXPECT_NE(button->IsVisible(), 0) << "a player keeps it";
    view->HideVoiceButton(0);
    EXPECT_EQ(button->IsVisible(), 0);
}

// ---- the spoken phrase of a chat line ----

class PhraseChatTest : public AnimationsTest {
protected:
    void SetUp() override {
        AnimationsTest::SetUp();
        speakerPosition = view->ChairToPosition(1);
        board = view->GetPlayerBoard(speakerPosition);
        ASSERT_NE(board, nullptr);
    }
    bool Say(const std::vector<uint8_t>& message) { return view->OnVoicePhraseChat(message); }

    static constexpr int32_t kFemaleSpeaker = show_test::kFirstSeatId + 1;
    int speakerPosition = -1;
    CPlayerBoardSmall* board = nullptr;
};

TEST_F(PhraseChatTest, APhraseIsSpokenInTheSpeakersVoiceAndBubbled) {
    const std::string phrase = GetVoicePhrase(7);
    EXPECT_TRUE(Say(ChatMessage(kFemaleSpeaker, 8, "<c=255>" + phrase + "\r\n")));
    EXPECT_EQ(view->facadeSounds, std::vector<std::string>{"female_chat_" + phrase + ".ogg"});
    EXPECT_EQ(board->GetBubbleText(), phrase);
    // A male speaker; no markup at all.
    EXPECT_TRUE(
        Say(ChatMessage(show_test::kFirstSeatId + 2, 8, std::string(GetVoicePhrase(0)) + "\r\n")));
    EXPECT_EQ(view->facadeSounds.back(), std::string("male_chat_") + GetVoicePhrase(0) + ".ogg");
    EXPECT_EQ(view->GetPlayerBoard(view->ChairToPosition(2))->GetBubbleText(), GetVoicePhrase(0));
}

TEST_F(PhraseChatTest, OtherLinesOnlyBubble) {
    std::string almost = GetVoicePhrase(3);
    almost.back() = '?';
    EXPECT_TRUE(Say(ChatMessage(kFemaleSpeaker, 8, ">" + almost + "\r\n")));
    EXPECT_EQ(board->GetBubbleText(), almost);
    // Under two bytes: compared with nothing, still shown.
    EXPECT_TRUE(Say(ChatMessage(kFemaleSpeaker, 8, "a")));
    EXPECT_EQ(board->GetBubbleText(), "a");
    EXPECT_TRUE(Say(ChatMessage(kFemaleSpeaker, 8, "")));
    EXPECT_EQ(board->GetBubbleText(), "");
    EXPECT_TRUE(view->facadeSounds.empty());
}

TEST_F(PhraseChatTest, TheTextIsReadWithinThePayload) {
    // No terminating zero: the text ends with the payload.
    const std::string phrase = GetVoicePhrase(5);
    EXPECT_TRUE(Say(ChatMessage(kFemaleSpeaker, 8, phrase + "\r\n", false)));
    EXPECT_EQ(board->GetBubbleText(), phrase);
    EXPECT_EQ(view->facadeSounds.size(), 1u);
    // Only the header: an empty text.
    std::vector<uint8_t> header = ChatMessage(kFemaleSpeaker, 8, "", false);
    EXPECT_TRUE(Say(header));
    EXPECT_EQ(board->GetBubbleText(), "");
    // Too short for the speaker and the kind: refused.
    header.resize(11);
    EXPECT_FALSE(Say(header));
    EXPECT_FALSE(Say({}));
}

TEST_F(PhraseChatTest, SpeakersWithoutASeatAndOtherKindsAreIgnored) {
    const std::string line = std::string(GetVoicePhrase(1)) + "\r\n";
    EXPECT_TRUE(Say(ChatMessage(kFemaleSpeaker, 7, line)));
    EXPECT_TRUE(Say(ChatMessage(999999, 8, line)));
    for (int p = 0; p < 4; ++p) {
        if (CPlayerBoardSmall* any = view->GetPlayerBoard(p)) {
            EXPECT_EQ(any->GetBubbleText(), "") << p;
        }
    }
    EXPECT_TRUE(view->facadeSounds.empty());
}

TEST(PhraseChatLookerTest, ALookerOnSaysNothing) {
    show_test::SceneOptions looker;
    looker.ownChair = 1;
    looker.lookOn = true;
    ShowScene scene(looker);
    ASSERT_TRUE(scene.Open()) << scene.error;
    const std::string line = std::string(GetVoicePhrase(1)) + "\r\n";
    EXPECT_TRUE(scene.view->OnVoicePhraseChat(ChatMessage(show_test::kOwnId + 50, 8, line)));
    EXPECT_TRUE(scene.view->facadeSounds.empty());
    // A looker-on has no voice button, also after the game start's hiding.
    EXPECT_EQ(scene.view->GetVoiceButton()->IsVisible(), 0);
    scene.view->HideVoiceButton(1);
    EXPECT_EQ(scene.view->GetVoiceButton()->IsVisible(), 0);
}

}  // namespace
