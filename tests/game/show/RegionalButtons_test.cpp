// The regional buttons as the view makes them, and the automatic welfare
// claim between hands: the activity's window and status, today's count and
// the fixed line of 200 silver over the game and safe-box silver.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "game/table/RegionalTableView.h"
#include "game/table/TableViewTipButton.h"
#include "tests/game/show/ShowScene.h"
#include "tests/game/support/ProgramFolder.h"

namespace {

using show_test::ShowScene;

constexpr int64_t kNow = 1700000000;
constexpr int32_t kActivity = 31;

class RegionalButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ok()) << folder.Error();
        ASSERT_TRUE(scene.Open()) << scene.error;
        view = scene.view;
        WelfareClock clock;
        clock.now = [this] { return now; };
        clock.local = [] { return platform::LocalDateTime{2023, 11, 14, 12, 0, 0}; };
        view->SetWelfareClock(clock);
    }
    // An active configuration, fresh, around now, three claims a day.
    static WelfareConfig Active() {
        WelfareConfig config;
        config.ActID = kActivity;
        config.status = 1;
        config.begin_time = static_cast<int32_t>(kNow - 3600);
        config.end_time = static_cast<int32_t>(kNow + 3600);
        config.daily_num = 3;
        config.welfare_line = 5000;  // the button's line; the automatic claim keeps 200
        config.record_time = static_cast<int32_t>(kNow - 10);
        return config;
    }
    // Stores the configuration and runs the automatic claim with the own
    // game silver and the safe box's balance; whether it claimed.
    bool AutoClaimWith(const WelfareConfig& config, int32_t ownSilver, int32_t balance = 0) {
        view->GetWelfare().SaveWelfareConfig(config);
        scene.options.silvers[0] = ownSilver;
        EXPECT_TRUE(scene.Launch());
        view->safeBoxBalance = balance;
        view->claims.clear();
        view->AutoApplyWelfare();
        return view->claims == std::vector<int32_t>{config.ActID, 0};
    }

    game_test::ProgramFolder folder{show_test::FolderWithoutSkin()};
    ShowScene scene;
    show_test::ShowView* view = nullptr;
    int64_t now = kNow;
};

TEST_F(RegionalButtonsTest, TheButtonsAreMadeWithTheirPicturesAndEvents) {
    struct Expected {
        CCorvaneButton* button;
        int event;
        bool shown;
    };
    const Expected buttons[] = {
        {view->GetVoiceButton(), kEventVoiceButton, true},
        {view->GetTingButton(), kEventTingButton, false},
        {view->GetSwapChoiceButton(), kEventSwapChoice, false},
        {view->GetSwapInfoShowButton(), kEventSwapInfoToggle, false},
        {view->GetSwapInfoHideButton(), kEventSwapInfoToggle, false},
        {view->GetQrChargeButton(), kEventQrCharge, true},
        {view->GetAutoFixButton(), kEventAutoFixButton, true},
        {view->GetWelfareButton(), kEventWelfareButton, false},
    };
    for (const Expected& expected : buttons) {
        ASSERT_NE(expected.button, nullptr) << expected.event;
        EXPECT_EQ(expected.button->GetNotify().event, expected.event);
        EXPECT_EQ(expected.button->GetNotify().target, view->GetId());
        EXPECT_EQ(expected.button->IsVisible() != 0, expected.shown) << expected.event;
    }
    EXPECT_NE(view->GetSwapInfoShowButton(), view->GetSwapInfoHideButton());
    // Made once: a second creation keeps them.
    const int voiceId = view->GetVoiceButton()->GetId();
    view->CreateOperationButtons();
    EXPECT_EQ(view->GetVoiceButton()->GetId(), voiceId);
}

TEST_F(RegionalButtonsTest, TheWelfareButtonTellsWhatItIsForUnderTheMouse) {
    auto* button = dynamic_cast<CTipButton*>(view->GetWelfareButton());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetTipText(), "银两太少时，领取补助金");
    EXPECT_EQ(button->GetTip(), nullptr);
    button->Show();
    button->OnMouseEnter();
    CCorvaneCanvas* tip = button->GetTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_NE(tip->IsVisible(), 0);
    EXPECT_GT(tip->GetCanvasWidth(), 8);
    EXPECT_GE(tip->GetTop(), button->GetBottom());
    EXPECT_DOUBLE_EQ(tip->GetRight(), button->GetRight());
    button->OnMouseLeave();
    EXPECT_EQ(tip->IsVisible(), 0);
    button->OnMouseEnter();
    EXPECT_EQ(button->GetTip(), tip) << "made once";
}

TEST_F(RegionalButtonsTest, AnAnnouncedActivityShowsTheWelfareButton) {
    view->GetWelfare().SetWelfareActID(kActivity);
    ASSERT_NE(view->GetWelfareButton(), nullptr);
    EXPECT_NE(view->GetWelfareButton()->IsVisible(), 0);
}

TEST_F(RegionalButtonsTest, TheAutomaticClaimNeedsLessThanTwoHundredInAll) {
    EXPECT_TRUE(AutoClaimWith(Active(), 150, 49));
    EXPECT_FALSE(AutoClaimWith(Active(), 150, 50));
    EXPECT_TRUE(AutoClaimWith(Active(), -5));
    // The sum does not wrap.
    EXPECT_FALSE(AutoClaimWith(Active(), INT32_MAX, 1));
    EXPECT_FALSE(AutoClaimWith(Active(), 1, INT32_MAX));
    EXPECT_TRUE(AutoClaimWith(Active(), INT32_MIN, -1));
    // The button's own line plays no part.
    WelfareConfig lowLine = Active();
    lowLine.welfare_line = 10;
    EXPECT_TRUE(AutoClaimWith(lowLine, 199));
}

TEST_F(RegionalButtonsTest, TheActivitysWindowIncludesBothEnds) {
    WelfareConfig config = Active();
    config.begin_time = static_cast<int32_t>(kNow);
    config.end_time = static_cast<int32_t>(kNow);
    EXPECT_TRUE(AutoClaimWith(config, 0));
    config.end_time = static_cast<int32_t>(kNow - 1);
    config.begin_time = static_cast<int32_t>(kNow - 100);
    EXPECT_FALSE(AutoClaimWith(config, 0));
    config.begin_time = static_cast<int32_t>(kNow + 1);
    config.end_time = static_cast<int32_t>(kNow + 100);
    EXPECT_FALSE(AutoClaimWith(config, 0));
}

TEST_F(RegionalButtonsTest, NoClaimForAnInactiveActivityOrAfterTodaysClaims) {
    // A missing configuration reads as status 2: nothing is asked.
    view->AutoApplyWelfare();
    EXPECT_TRUE(view->claims.empty());
    EXPECT_EQ(view->safeBoxQueries, 0);
    WelfareConfig inactive = Active();
    inactive.status = 2;
    EXPECT_FALSE(AutoClaimWith(inactive, 0));
    EXPECT_EQ(view->safeBoxQueries, 0);

    view->GetWelfare().WriteWelfareLog(3);
    EXPECT_FALSE(AutoClaimWith(Active(), 0));
    view->GetWelfare().WriteWelfareLog(2);
    EXPECT_TRUE(AutoClaimWith(Active(), 0));
}

TEST_F(RegionalButtonsTest, AFailedSafeBoxQueryClaimsNothing) {
    view->safeBoxAnswers = false;
    EXPECT_FALSE(AutoClaimWith(Active(), 0));
    EXPECT_EQ(view->safeBoxQueries, 1);
}

TEST_F(RegionalButtonsTest, AStaleConfigurationIsAskedForFirst) {
    WelfareConfig stale = Active();
    stale.record_time = static_cast<int32_t>(kNow - 7200);
    view->GetWelfare().SetWelfareActID(kActivity);
    AutoClaimWith(stale, 0);
    EXPECT_FALSE(view->configRequests.empty());
}

}  // namespace
