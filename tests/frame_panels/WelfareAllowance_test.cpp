// The welfare allowance of a table view in a headless scene, with the real
// connection to the loopback test server, a fixed clock and the game's
// settings file in a temporary program folder.

#include "frame/panels/services/WelfareAllowance.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ui/CorvaneButton.h"
#include "frame/view/GameViewBase.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/frame/ConnectionFixture.h"

namespace {

using namespace connection_test;
using testserver::ServiceScript;

constexpr int64_t kNow = 1796635805;  // 2026-12-07 09:30:05 UTC
constexpr int kToday = 20261207;
constexpr int32_t kActivity = 31;
constexpr char kConfigSection[] = "user_5001_welfare_cfg";
constexpr char kLogSection[] = "user_5001_welfare_log";

// A table view that owns the allowance and forwards its two welfare
// operations to it, as the game's view does.
class WelfareTableView : public CGameViewBase, public CWelfareHost {
public:
    WelfareTableView() : welfare(*this, *this) {}
    void RequestWelfareConfig(int32_t activityId) override {
        requested.push_back(activityId);
        welfare.RequestWelfareConfig(activityId);
    }
    void ClaimWelfare(int32_t activityId, int32_t kind) override {
        welfare.ClaimWelfare(activityId, kind);
    }
    CCorvaneObject* GetWelfareButton() override { return FindObjectById(buttonId); }
    void RunAutomaticWelfareClaim() override { ++automaticClaims; }
    bool IsGameInProgress() override { return gameInProgress; }

    CWelfareAllowance welfare;
    std::vector<int32_t> requested;
    int buttonId = 0;
    int automaticClaims = 0;
    bool gameInProgress = false;
};

WelfareConfig ActiveConfig() {
    WelfareConfig config;
    config.ActID = kActivity;
    config.begin_time = static_cast<int32_t>(kNow - 86400);
    config.end_time = static_cast<int32_t>(kNow + 86400);
    config.status = 1;
    config.daily_num = 3;
    config.welfare_line = 1000;
    config.send_line = 3000;
    config.daily_max = 9000;
    config.record_time = static_cast<int32_t>(kNow - 60);
    return config;
}

std::vector<uint8_t> ConfigBytes(const WelfareConfig& config) {
    const auto bytes = RecordBytes(config);
    return {bytes.begin(), bytes.end()};
}

class WelfareTest : public GameConnectionTest {
protected:
    void SetUp() override {
        GameConnectionTest::SetUp();
        platform::SetProgramFolderForTesting(folder.Path().string() + "/");
        auto clock = time.MakeClock();
        clock->Reset(5000);
        core = std::make_unique<GameCore>(std::move(clock));
        module = new ObjectModule;
        ASSERT_EQ(core->LoadModule(module, 1, 0), kEngineOk);
        module->SetSceneSize(800, 600);
        game = new WelfareTableView;
        module->RegisterObject(game, nullptr);
        game->SetViewRect(0, 0, 800, 600);
        auto* button = new CCorvaneButton;
        game->Register(button);
        button->Hide();
        game->buttonId = button->GetId();
        game->welfare.SetClock({[this] { return now; }, [this] { return today; }});
        host.SetMainGame(game);
        app.AttachFrameView(&host);
        Connect(connection);
        app.realConnection = &connection;
        // The safe box holds 100; the own seat carries 0.
        script.Services().SetBalance(100);
    }
    void TearDown() override {
        app.realConnection = nullptr;
        GameConnectionTest::TearDown();
        core.reset();
        platform::SetProgramFolderForTesting("");
    }

    std::string Ini() const { return app.GetGameIniFile(); }
    int ReadInt(const char* section, const char* key, int missing = -99) const {
        return platform::GetPrivateProfileInt(section, key, missing, Ini().c_str());
    }
    void WriteLog(int date, int count) {
        platform::WritePrivateProfileString(kLogSection, "date", std::to_string(date).c_str(),
                                            Ini().c_str());
        platform::WritePrivateProfileString(kLogSection, "count", std::to_string(count).c_str(),
                                            Ini().c_str());
    }
    void Announce(int32_t activityId) {
        platform::WritePrivateProfileString(kLogSection, "ActID",
                                            std::to_string(activityId).c_str(), Ini().c_str());
    }
    // Stores the settings as a fresh copy of the announced activity.
    void StoreFresh(const WelfareConfig& config) {
        Announce(config.ActID);
        game->welfare.SaveWelfareConfig(config);
    }
    std::vector<std::string> InfoBoxes() const {
        std::vector<std::string> boxes;
        for (const std::string& call : host.calls) {
            if (call.starts_with("ShowInfoBox")) {
                boxes.push_back(call);
            }
        }
        return boxes;
    }
    // The open claim dialog, found by its claim button.
    CWelfareDialog* OpenDialog() {
        CCorvaneObject* button = game->FindObjectByName(CWelfareDialog::kClaimButtonName);
        return button != nullptr ? dynamic_cast<CWelfareDialog*>(button->GetParent()) : nullptr;
    }
    void Frames(int count = 3) {
        for (int i = 0; i < count; ++i) {
            time.AdvanceMs(11);
            core->RunFrame();
        }
    }

    int64_t now = kNow;
    platform::LocalDateTime today{2026, 12, 7, 9, 30, 5};
    ManualTime time;
    std::unique_ptr<GameCore> core;
    ObjectModule* module = nullptr;
    WelfareTableView* game = nullptr;  // the module owns it
    ObservedFrameView host;
};

TEST(WelfareConfigRecord, WordsAtTheirOffsetsAndTheRestCarried) {
    std::vector<uint8_t> bytes(WelfareConfig::kSize);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    }
    const auto put = [&](size_t at, int32_t value) {
        ZepWireWriter(std::span<uint8_t>(bytes).subspan(at, 4)).WriteI32(value);
    };
    put(4, -5);
    put(64, 100);
    put(68, 200);
    put(72, 1);
    put(76, 3);
    put(80, 1000);
    put(84, 3000);
    put(88, 9000);
    put(92, 12345);
    WelfareConfig config;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(bytes), config));
    EXPECT_EQ(config.ActID, -5);
    EXPECT_EQ(config.begin_time, 100);
    EXPECT_EQ(config.end_time, 200);
    EXPECT_EQ(config.status, 1);
    EXPECT_EQ(config.daily_num, 3);
    EXPECT_EQ(config.welfare_line, 1000);
    EXPECT_EQ(config.send_line, 3000);
    EXPECT_EQ(config.daily_max, 9000);
    EXPECT_EQ(config.record_time, 12345);
    EXPECT_EQ(ConfigBytes(config), bytes);
    EXPECT_FALSE(ReadRecord(std::span<const uint8_t>(bytes).first(123), config));
}

TEST_F(WelfareTest, SectionsAreNamedByTheOwnUser) {
    EXPECT_EQ(game->welfare.GetWelfareConfigSection(), kConfigSection);
    EXPECT_EQ(game->welfare.GetWelfareLogSection(), kLogSection);
}

TEST_F(WelfareTest, TheConfigIsWrittenAsNineKeysInOrderAndReadBack) {
    game->welfare.SaveWelfareConfig(ActiveConfig());
    std::ifstream file(Ini());
    std::stringstream text;
    text << file.rdbuf();
    std::vector<std::string> keys;
    std::string line;
    while (std::getline(text, line)) {
        if (const size_t equals = line.find('='); equals != std::string::npos) {
            keys.push_back(line.substr(0, equals));
        }
    }
    EXPECT_EQ(keys,
              (std::vector<std::string>{"ActID", "status", "begin_time", "end_time", "daily_num",
                                        "welfare_line", "send_line", "daily_max", "record_time"}));
    WelfareConfig loaded{};
    game->welfare.LoadWelfareConfig(loaded);
    const WelfareConfig expected = ActiveConfig();
    EXPECT_EQ(loaded.ActID, expected.ActID);
    EXPECT_EQ(loaded.begin_time, expected.begin_time);
    EXPECT_EQ(loaded.end_time, expected.end_time);
    EXPECT_EQ(loaded.daily_max, expected.daily_max);
    EXPECT_EQ(loaded.record_time, expected.record_time);
}

TEST_F(WelfareTest, MissingKeysReadAsZeroAndStatusAsNotActive) {
    WelfareConfig loaded{};
    game->welfare.LoadWelfareConfig(loaded);
    EXPECT_EQ(loaded.status, 2);
    EXPECT_EQ(loaded.ActID, 0);
    EXPECT_EQ(loaded.daily_num, 0);
    EXPECT_EQ(game->welfare.GetAnnouncedWelfareActID(), 0);
    EXPECT_EQ(game->welfare.GetStoredWelfareActID(), 0);
}

TEST_F(WelfareTest, TheFirstReadOfANewDayWritesCountZeroAndToday) {
    WriteLog(20261206, 3);
    EXPECT_EQ(game->welfare.GetWelfareCountToday(), 0);
    EXPECT_EQ(ReadInt(kLogSection, "date"), kToday);
    EXPECT_EQ(ReadInt(kLogSection, "count"), 0);
    WriteLog(kToday, 2);
    EXPECT_EQ(game->welfare.GetWelfareCountToday(), 2);
    // A stored day later than today keeps its count.
    WriteLog(20261208, 1);
    EXPECT_EQ(game->welfare.GetWelfareCountToday(), 1);
    EXPECT_EQ(ReadInt(kLogSection, "date"), 20261208);
}

TEST_F(WelfareTest, AFreshCopyOfTheAnnouncedActivityIsNotAskedAgain) {
    WelfareConfig config = ActiveConfig();
    config.record_time = static_cast<int32_t>(kNow - 3599);
    StoreFresh(config);
    game->welfare.RefreshWelfareConfig();
    EXPECT_TRUE(game->requested.empty());
    EXPECT_EQ(script.Count(kWelfareConfig), 0u);

    config.record_time = static_cast<int32_t>(kNow - 3600);
    StoreFresh(config);
    game->welfare.RefreshWelfareConfig();
    EXPECT_EQ(game->requested, std::vector<int32_t>{kActivity});

    // A clock earlier than the record also asks.
    config.record_time = static_cast<int32_t>(kNow + 5);
    StoreFresh(config);
    game->requested.clear();
    game->welfare.RefreshWelfareConfig();
    EXPECT_EQ(game->requested, std::vector<int32_t>{kActivity});
}

TEST_F(WelfareTest, ANewlyAnnouncedActivityIsAskedForAndSavedWhole) {
    StoreFresh(ActiveConfig());
    Announce(77);
    WelfareConfig sent = ActiveConfig();
    sent.ActID = 77;
    sent.word0 = 0x1234;
    sent.bytes96[27] = 0xAB;
    script.SetReply(kWelfareConfig, kResultOk, ConfigBytes(sent));
    game->welfare.RefreshWelfareConfig();
    EXPECT_EQ(game->requested, std::vector<int32_t>{77});
    const std::vector<uint8_t> body = script.LastBody(kWelfareConfig);
    ASSERT_EQ(body.size(), 320u);
    EXPECT_EQ(WordAt(body, 20), 77);
    EXPECT_EQ(game->welfare.GetStoredWelfareActID(), 77);
    EXPECT_EQ(ReadInt(kConfigSection, "daily_max"), 9000);
}

TEST_F(WelfareTest, AFailedRequestStoresZerosAndIsReported) {
    StoreFresh(ActiveConfig());
    script.RefuseWithText(kWelfareConfig, "活动已结束");
    game->welfare.RequestWelfareConfig(kActivity);
    EXPECT_EQ(ReadInt(kConfigSection, "status"), 0);
    EXPECT_EQ(ReadInt(kConfigSection, "ActID"), 0);
    EXPECT_EQ(ReadInt(kConfigSection, "record_time"), 0);
    ASSERT_FALSE(host.subSystem.chatLines.empty());
    EXPECT_EQ(host.subSystem.chatLines.back(), " <z=qe系统通知> <c=255>活动已结束\r\n");
}

TEST_F(WelfareTest, AnInactiveActivityShowsTheReasonAndAsksNoSafeBox) {
    WelfareConfig config = ActiveConfig();
    StoreFresh(config);
    // No "status" key: not active.
    platform::WritePrivateProfileString(kConfigSection, "status", nullptr, Ini().c_str());
    game->welfare.OnWelfareButton();
    config.status = 0;  // a zeroed record
    StoreFresh(config);
    game->welfare.OnWelfareButton();
    const std::string reason =
        "ShowInfoBox 你不符合领取低保的条件：\r\n1、当您的游戏银两和保险箱的总银两少于1000两时，"
        "可以领取补助金到3000两。\r\n2、每天限领3次。\r\n3、今天还有3次领取机会。 10 2 ";
    EXPECT_EQ(InfoBoxes(), (std::vector<std::string>{reason, reason}));
    EXPECT_EQ(script.Count(kQuerySafeBox), 0u);
    EXPECT_EQ(script.Count(kWelfareConfig), 0u);
    EXPECT_EQ(OpenDialog(), nullptr);
}

TEST_F(WelfareTest, TheRemainingClaimsShownNeverFallBelowZero) {
    StoreFresh(ActiveConfig());
    WriteLog(kToday, 5);  // more than the three a day
    game->welfare.OnWelfareButton();
    ASSERT_EQ(InfoBoxes().size(), 1u);
    EXPECT_NE(InfoBoxes()[0].find("3、今天还有0次领取机会。"), std::string::npos) << InfoBoxes()[0];
    EXPECT_EQ(CWelfareAllowance::RemainingClaims(ActiveConfig(), INT32_MIN), INT32_MAX);
}

TEST_F(WelfareTest, GameAndSafeBoxSilverAreSummedWithoutOverflow) {
    LaunchRecordBuilder builder = Launch(0);
    builder.seats[1].silver = 2000000000;
    Relaunch(builder);
    script.SetReply(kQuerySafeBox, kResultOk, Words({0, 2000000000, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(game->welfare.CanClaimWelfare(ActiveConfig()), 0);
    EXPECT_EQ(script.Count(kQuerySafeBox), 1u);
    // 0 + 999 is below the line of 1000; 0 + 1000 is not.
    Relaunch(Launch(0));
    script.SetReply(kQuerySafeBox, kResultOk, Words({0, 999, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(game->welfare.CanClaimWelfare(ActiveConfig()), 1);
    script.SetReply(kQuerySafeBox, kResultOk, Words({0, 1000, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(game->welfare.CanClaimWelfare(ActiveConfig()), 0);
}

TEST_F(WelfareTest, EligibilityFollowsTimeCountAndTheSafeBoxAnswer) {
    WelfareConfig config = ActiveConfig();
    config.begin_time = static_cast<int32_t>(kNow);
    config.end_time = static_cast<int32_t>(kNow);
    EXPECT_EQ(game->welfare.CanClaimWelfare(config), 1) << "both ends count";
    now = kNow + 1;
    EXPECT_EQ(game->welfare.CanClaimWelfare(config), 0);
    now = kNow - 1;
    EXPECT_EQ(game->welfare.CanClaimWelfare(config), 0);
    now = kNow;
    WriteLog(kToday, 3);
    EXPECT_EQ(game->welfare.CanClaimWelfare(config), 0);
    WriteLog(kToday, 2);
    script.RefuseWithText(kQuerySafeBox, "保险箱暂不可用");
    const size_t boxes = InfoBoxes().size();
    EXPECT_EQ(game->welfare.CanClaimWelfare(config), 0);
    EXPECT_EQ(InfoBoxes().size(), boxes) << "a failed query says nothing of its own";
}

TEST_F(WelfareTest, ClaimsThroughTheDialogUntilTheServersLimit) {
    // The server's activity; the client has only heard its id.
    ServiceScript::Welfare served;
    served.begin = static_cast<int32_t>(kNow - 86400);
    served.end = static_cast<int32_t>(kNow + 86400);
    served.status = 1;
    served.dailyNum = 3;
    served.welfareLine = 1000;
    served.sendLine = 3000;
    served.dailyMax = 9000;
    served.recordTime = static_cast<int32_t>(kNow - 60);
    served.amount = 2500;
    script.Services().SetWelfare(served);
    Announce(kActivity);
    for (int claim = 1; claim <= 3; ++claim) {
        game->welfare.OnWelfareButton();
        CWelfareDialog* dialog = OpenDialog();
        ASSERT_NE(dialog, nullptr) << claim;
        EXPECT_EQ(dialog->GetActivityId(), kActivity);
        ASSERT_NE(dialog->GetClaimButton(), nullptr);
        EXPECT_TRUE(dialog->GetClaimButton()->IsEnabled());
        dialog->OnEvent(MakeEventRecord(dialog->GetId(), CWelfareDialog::kEventClaim, 0, 0));
        Frames();
        EXPECT_EQ(OpenDialog(), nullptr) << "the dialog is gone after a claim";
        EXPECT_EQ(ReadInt(kLogSection, "count"), claim);
        const std::vector<uint8_t> body = script.LastBody(kWelfareClaim);
        ASSERT_EQ(body.size(), 104u);
        EXPECT_EQ(RecordTextAt(body, 16, 36), "自己");
        EXPECT_EQ(WordAt(body, 52), kActivity);
        EXPECT_EQ(WordAt(body, 56), 0);
        EXPECT_EQ(InfoBoxes().back(), "ShowInfoBox 已赠送银子2500两到游戏中! 10 52 ruv财神");
    }
    // The settings were asked for once, for the announced activity.
    EXPECT_EQ(script.Count(kWelfareConfig), 1u);
    EXPECT_EQ(WordAt(script.LastBody(kWelfareConfig), 20), kActivity);
    EXPECT_EQ(ReadInt(kConfigSection, "daily_max"), 9000);
    // The day is used up: the button shows why, and nothing is sent.
    game->welfare.OnWelfareButton();
    EXPECT_NE(InfoBoxes().back().find("今天还有0次"), std::string::npos);
    EXPECT_EQ(script.Count(kWelfareClaim), 3u);

    // A log that lost count: the server refuses with its limit text and
    // the day is marked used up.
    WriteLog(kToday, 1);
    game->ClaimWelfare(kActivity, 0);
    EXPECT_EQ(script.Count(kWelfareClaim), 4u);
    EXPECT_EQ(ReadInt(kLogSection, "count"), 3);
    ASSERT_FALSE(host.subSystem.chatLines.empty());
    EXPECT_EQ(host.subSystem.chatLines.back(),
              std::string(" <z=qe系统通知> <c=255>") + CWelfareAllowance::kDailyLimitText + "\r\n");
    // Another refusal leaves the count alone.
    WriteLog(kToday, 1);
    script.RefuseWithText(kWelfareClaim, "活动未开始");
    game->ClaimWelfare(kActivity, 0);
    EXPECT_EQ(ReadInt(kLogSection, "count"), 1);
}

TEST_F(WelfareTest, ADialogOpenedAtTheLimitShowsZeroAndCannotClaim) {
    WriteLog(kToday, 3);
    game->welfare.ShowWelfareDialog(ActiveConfig(), 0);
    CWelfareDialog* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(dialog->GetClaimButton(), nullptr);
    EXPECT_FALSE(dialog->GetClaimButton()->IsEnabled());
    EXPECT_TRUE(dialog->GetDeclineButton()->IsEnabled());
    EXPECT_DOUBLE_EQ(dialog->GetX(), 400);
    EXPECT_DOUBLE_EQ(dialog->GetY(), 300);
    EXPECT_DOUBLE_EQ(dialog->GetZ(), 80000);
    EXPECT_EQ(dialog->GetTitle(), "低保");
    // The text's top edge lies 45 pixels below the dialog's.
    CCorvaneCanvas* text = game->FindCanvasById(dialog->GetTextCanvasId());
    ASSERT_NE(text, nullptr);
    EXPECT_NEAR(text->GetTop(), dialog->GetTop() + 45, 0.5);
    EXPECT_DOUBLE_EQ(text->GetWidth(), 320 - 42);
    EXPECT_EQ(text->GetCanvasWidth(), 320 - 42);
    // Declining closes it and sends nothing.
    dialog->OnEvent(MakeEventRecord(dialog->GetId(), CWelfareDialog::kEventDecline, 0, 0));
    Frames();
    EXPECT_EQ(OpenDialog(), nullptr);
    EXPECT_EQ(script.Count(kWelfareClaim), 0u);
}

TEST_F(WelfareTest, AnAnnouncementShowsTheButtonAndClaimsBetweenGames) {
    game->welfare.SetWelfareActID(kActivity);
    EXPECT_EQ(ReadInt(kLogSection, "ActID"), kActivity);
    EXPECT_TRUE(game->GetWelfareButton()->IsVisible());
    EXPECT_EQ(game->automaticClaims, 1);

    game->gameInProgress = true;
    game->welfare.SetWelfareActID(kActivity);
    EXPECT_EQ(game->automaticClaims, 1);

    game->welfare.UpdateWelfareButton(0);
    EXPECT_FALSE(game->GetWelfareButton()->IsVisible());
    // Id 0 is written but shows nothing.
    game->welfare.SetWelfareActID(0);
    EXPECT_EQ(ReadInt(kLogSection, "ActID"), 0);
    EXPECT_FALSE(game->GetWelfareButton()->IsVisible());
    game->welfare.UpdateWelfareButton(1);
    EXPECT_FALSE(game->GetWelfareButton()->IsVisible()) << "no activity announced";
}

TEST_F(WelfareTest, ALookerOnOnlyRecordsTheAnnouncement) {
    Relaunch(Launch(0), 1);
    game->welfare.SetWelfareActID(kActivity);
    EXPECT_EQ(ReadInt(kLogSection, "ActID"), kActivity);
    EXPECT_FALSE(game->GetWelfareButton()->IsVisible());
    EXPECT_EQ(game->automaticClaims, 0);
}

}  // namespace
