// The top-up dialog on the fake browser back end: the signed address, the
// window and its page, the close button and the link commands it takes.

#include "frame/panels/services/ChargeDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "frame/LaunchRecordBuilder.h"
#include "frame/web/WebUrlCommand.h"
#include "platform/Files.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame/web/WebTestSupport.h"
#include "tests/platform/TempFolder.h"

namespace {

using webtest::FakeBackendScope;
using webtest::Pump;

constexpr char kPage[] = "http://pay.example/charge.aspx";

TEST(ChargeSignature, TheKnownVector) {
    EXPECT_EQ(CChargeDialog::GetMD5String(
                  "hall_id7game_id265game_codepvbnuser_id12345unix_time1700000000r4kd81mzq0vw2hy6"),
              "82cf64598ba04f7776e7c69dbe02708c");
    ChargeQuery query{7, 12345, "anything", 1700000000, 10};
    EXPECT_EQ(CChargeDialog::SignQuery(query), "82cf64598ba04f7776e7c69dbe02708c");
    query.sign = "another";
    EXPECT_EQ(CChargeDialog::SignQuery(query), "82cf64598ba04f7776e7c69dbe02708c")
        << "the sign takes no part";
    query.unixTime += 1;
    EXPECT_NE(CChargeDialog::SignQuery(query), "82cf64598ba04f7776e7c69dbe02708c");
}

TEST(ChargeSignature, TheAddressCarriesTheFieldsInOrderUnencoded) {
    const ChargeQuery query{7, 12345, "s&g n", 1700000000, 10};
    EXPECT_EQ(CChargeDialog::BuildPageAddress(kPage, query),
              std::string(kPage) +
                  "?hall_id=7&game_id=265&game_code=pvbn&uid=12345&sign=s&g n"
                  "&unix_time=1700000000&v_sign=82cf64598ba04f7776e7c69dbe02708c&init_money=10");
    // A long sign is kept whole.
    const std::string longSign(600, 'x');
    const std::string address =
        CChargeDialog::BuildPageAddress(kPage, {7, 12345, longSign, 1700000000, 10});
    EXPECT_NE(address.find("&sign=" + longSign + "&unix_time="), std::string::npos);
}

// A browser the game would make, counted.
class CountedBrowser : public CHtmlCtrl {
public:
    explicit CountedBrowser(int& made) { ++made; }
};

// A command that records being run.
class RecordingCommand : public CWebUrlCommand {
public:
    RecordingCommand(platform::WindowId owner, int& runs)
        : CWebUrlCommand(owner, "qelapp://nothing/"), runs_(runs) {}
    int Run() override { return ++runs_; }

private:
    int& runs_;
};

// The dialog with the own user 12345 in hall 7 and a fixed clock; its skin
// in a program folder of its own.
class ChargeDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetProgramFolderForTesting(folder.Path());
        LaunchFields fields;
        fields.userId = 12345;
        app.SetLaunchFields(fields);
        LaunchRecordBuilder builder;
        builder.room.hallId = 7;
        builder.seats = {MakeLaunchUser(12345, 0, "自己")};
        ASSERT_TRUE(app.InitGameData(builder.Build()));
        app.SetSignWaitForTesting(0);
        dialog.SetClock([this] { return now; });
    }
    void TearDown() override {
        dialog.CloseWindow();
        Pump();
        platform::SetProgramFolderForTesting("");
        EXPECT_EQ(CWebUrlCommand::Alive(), 0);
    }
    const platform::FakeWebBackend::View* Page() {
        return dialog.Browser() != nullptr ? backend->Find(dialog.Browser()->Page().Id()) : nullptr;
    }

    int64_t now = 1700000000;
    TestFrameApp app;
    FakeBackendScope backend;
    TempFolder folder;
    CChargeDialog dialog;
};

TEST_F(ChargeDialogTest, AnEmptyAddressOpensNothing) {
    EXPECT_EQ(dialog.Open("", 10), 0);
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(dialog.Browser(), nullptr);
}

TEST_F(ChargeDialogTest, ItOpensSignedWithThePageOverItsMiddle) {
    ASSERT_EQ(dialog.Open(kPage, 10), 1);
    ASSERT_TRUE(dialog.IsOpen());
    const std::string expected =
        std::string(kPage) +
        "?hall_id=7&game_id=265&game_code=pvbn&uid=12345&sign="
        "&unix_time=1700000000&v_sign=82cf64598ba04f7776e7c69dbe02708c&init_money=10";
    EXPECT_EQ(dialog.Address(), expected);
    // No main window: placed from a zero rectangle, 462 x 416.
    platform::TopLevelWindow* top = dialog.GetTopLevel();
    EXPECT_EQ(top->ClientRect(), (platform::ScreenRect{-227, -200, 235, 216}));
    EXPECT_EQ(top->CaptionStrip(), CChargeDialog::kCaptionHeight);
    ASSERT_NE(Page(), nullptr);
    EXPECT_EQ(Page()->rect, (platform::ScreenRect{-223, -178, 231, 212}));
    EXPECT_TRUE(Page()->visible);
    EXPECT_TRUE(Page()->scrollBarHidden);
    ASSERT_EQ(Page()->navigations.size(), 1u);
    EXPECT_EQ(Page()->navigations[0].url, expected);

    // The page moves with the window.
    top->MoveTo({50, 60, 512, 476});
    Pump();
    EXPECT_EQ(Page()->rect, (platform::ScreenRect{54, 82, 508, 472}));

    // Opening again signs the new time in a new window.
    now += 1;
    const platform::WindowId first = dialog.Id();
    ASSERT_EQ(dialog.Open(kPage, 10), 1);
    EXPECT_NE(dialog.Id(), first);
    EXPECT_FALSE(platform::IsWindow(first));
    EXPECT_NE(dialog.Address().find("unix_time=1700000001&v_sign="), std::string::npos);
    EXPECT_EQ(dialog.Address().find("82cf64598ba04f7776e7c69dbe02708c"), std::string::npos);
}

TEST_F(ChargeDialogTest, TheGamesBrowserIsMadeByItsFactory) {
    int made = 0;
    dialog.SetBrowserFactory([&made] { return std::make_unique<CountedBrowser>(made); });
    ASSERT_EQ(dialog.Open(kPage, 10), 1);
    EXPECT_EQ(made, 1);
    EXPECT_NE(dynamic_cast<CountedBrowser*>(dialog.Browser()), nullptr);
    ASSERT_NE(Page(), nullptr);
    EXPECT_EQ(Page()->navigations.size(), 1u);
}

TEST_F(ChargeDialogTest, TheBodySwallowsTheMouseAndOnlyTheCloseButtonCloses) {
    folder.Write("skins/reswebcharge/btnChargeClose.bmp", std::string(54, '\0'));  // unreadable
    ASSERT_EQ(dialog.Open(kPage, 10), 1);
    EXPECT_FALSE(dialog.Skin().HasCloseButton());
    platform::SendMessage(dialog.Id(), platform::kMsgLButtonDown, 0, platform::PackPoint(435, 5));
    platform::SendMessage(dialog.Id(), platform::kMsgLButtonUp, 0, platform::PackPoint(435, 5));
    platform::SendMessage(dialog.Id(), platform::kMsgMouseMove, 0, platform::PackPoint(200, 200));
    Pump();
    EXPECT_TRUE(dialog.IsOpen());
    platform::SendMessage(dialog.Id(), kMsgCommand, CChargeDialog::kCloseCommand, 0);
    Pump();
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(dialog.Browser(), nullptr);
}

TEST_F(ChargeDialogTest, ALinkCommandPostedToItIsRunAndFreedOnce) {
    ASSERT_EQ(dialog.Open(kPage, 10), 1);
    int runs = 0;
    ASSERT_TRUE(
        PostWebUrlCommand(dialog.Id(), std::make_unique<RecordingCommand>(dialog.Id(), runs)));
    EXPECT_EQ(CWebUrlCommand::Alive(), 1);
    Pump();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(CWebUrlCommand::Alive(), 0) << "the dialog left the command alive";
    EXPECT_TRUE(dialog.IsOpen());
}

}  // namespace
