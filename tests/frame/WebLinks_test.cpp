#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>

#include "frame/HallRecords.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/web/BrowserJob.h"
#include "frame/web/UrlQuery.h"
#include "platform/Browser.h"
#include "platform/Thread.h"
#include "tests/frame/FrameDoubles.h"

namespace {

constexpr int64_t kFixedTime = 1700000000;
constexpr char kTopUpSign[] = "cef2f2babad0c6331814b4daa13b7c91";

TEST(AppendQueryTest, SeparatorDependsOnAnExistingQuestionMark) {
    EXPECT_EQ(AppendQuery("a.htm?x=1", "y=2"), "a.htm?x=1&y=2");
    EXPECT_EQ(AppendQuery("a.htm", "y=2"), "a.htm?y=2");
    EXPECT_EQ(AppendQuery("a.htm", ""), "a.htm");
    EXPECT_EQ(AppendQuery("", "y=2"), "?y=2");
}

// Game 30, user 12345, hall id 7, the clock fixed; no hall unless started.
class WebLinkTest : public ::testing::Test {
protected:
    static constexpr uint32_t kStop = platform::kMsgApp + 1;

    void SetUp() override {
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = 12345;
        fields.tableNo = 7;
        fields.chairNo = 1;
        app.SetLaunchFields(fields);
        LaunchRecordBuilder launch;
        launch.room.hallId = 7;
        launch.table.tableNo = 7;
        launch.seats = {MakeLaunchUser(12345, 1, "自己")};
        ASSERT_TRUE(app.InitGameData(launch.Build()));
        app.SetUnixClockForTesting([] { return kFixedTime; });
        app.GetWebLinks()[0] = {400, 300, "http://web.example/sign.aspx"};
        app.GetWebLinks()[2] = {640, 480, "http://web.example/pay.aspx?from=game"};
    }
    void TearDown() override {
        if (hallThread.IsRunning()) {
            platform::PostThreadMessage(hallThread.Id(), kStop, 0, 0);
            hallThread.Join(5000);
        }
    }

    // A hall window on its own thread that answers every sign query with the
    // text, as the communication thread would hand the answer over.
    void StartSigningHall(const std::string& sign) {
        platform::RegisterWindowClass(kHallWindowClass);
        platform::Event ready(platform::Event::Mode::ManualReset);
        std::atomic<platform::WindowId> id{0};
        hallThread.StartWithQueue([&, sign] {
            struct Hall : platform::Window {
                std::function<void(platform::LParam)> onQuery;
                platform::LResult WindowProc(uint32_t msg, platform::WParam w,
                                             platform::LParam l) override {
                    if (msg == kMsgHallSignQuery) {
                        onQuery(l);
                    }
                    return platform::Window::WindowProc(msg, w, l);
                }
            } hall;
            hall.onQuery = [this, sign](platform::LParam token) {
                HallSignAnswer answer;
                answer.userId = 12345;
                answer.token = static_cast<int32_t>(token);
                SetFieldText(answer.text, sign);
                app.OnHallSignAnswer(EncipherHallRecord(RecordBytes(answer)));
            };
            hall.Create(kHallWindowClass);
            id = hall.Id();
            ready.Set();
            platform::Message message;
            while (platform::GetMessage(message) && message.id != kStop) {
                platform::DispatchMessage(message);
            }
        });
        ready.Wait();
        LaunchFields fields = app.GetLaunchFields();
        fields.hallWindow = static_cast<int32_t>(id.load());
        app.SetLaunchFields(fields);
    }

    TestFrameApp app;
    platform::Thread hallThread;
};

TEST_F(WebLinkTest, IndicesOutsideTheSevenLinksGiveNothingAndLeaveTheOuts) {
    int width = -5;
    int height = -6;
    EXPECT_EQ(app.BuildWebLinkUrl(7, width, height), "");
    EXPECT_EQ(app.BuildWebLinkUrl(-1, width, height), "");
    EXPECT_EQ(width, -5);
    EXPECT_EQ(height, -6);
}

TEST_F(WebLinkTest, TopUpLinkCarriesTheSignatureBeforeTheUserAndTheGameLast) {
    int width = 0;
    int height = 0;
    EXPECT_EQ(app.BuildWebLinkUrl(2, width, height),
              std::string("http://web.example/pay.aspx?from=game&v_sign=") + kTopUpSign +
                  "&unix_time=1700000000&uid=12345&sign=&game_id=30&game_code=pvbn&hall_id=7");
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
}

TEST_F(WebLinkTest, OtherLinksStartTheirQueryWithTheUserAndCarryNoSignature) {
    int width = 0;
    int height = 0;
    EXPECT_EQ(app.BuildWebLinkUrl(0, width, height),
              "http://web.example/sign.aspx?uid=12345&sign=&game_id=30&game_code=pvbn&hall_id=7");
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    // A link the server did not configure reads as an empty address of size 0.
    width = height = 9;
    EXPECT_EQ(app.BuildWebLinkUrl(5, width, height),
              "?uid=12345&sign=&game_id=30&game_code=pvbn&hall_id=7");
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

TEST_F(WebLinkTest, TheHallsSignGoesIntoTheLinkAndAnUnsignedAddressStaysAsItIs) {
    StartSigningHall("S1gn");
    int width = 0;
    int height = 0;
    EXPECT_EQ(
        app.BuildWebLinkUrl(0, width, height),
        "http://web.example/sign.aspx?uid=12345&sign=S1gn&game_id=30&game_code=pvbn&hall_id=7");
    EXPECT_EQ(app.AddSignToUrl("http://a/b?c=d", 1), "http://a/b?c=d&uid=12345&sign=S1gn");
    EXPECT_EQ(app.AddSignToUrl("http://a/b?c=d", 0), "http://a/b?c=d");
}

// The main window on the test thread and the communication thread with a
// wait display that records the texts it is handed.
class BrowserOpeningTest : public WebLinkTest {
protected:
    void SetUp() override {
        WebLinkTest::SetUp();
        platform::RegisterWindowClass("BrowserTestMain");
        ASSERT_TRUE(mainWindow.Create("BrowserTestMain"));
        app.SetMainWindow(mainWindow.Id());
        app.SetWaitDisplayFactory(RecordingWaitDisplay::Factory(display));
        ASSERT_TRUE(app.StartCommThread());
        platform::DefaultBrowser().Clear();
    }
    void TearDown() override {
        app.StopCommThread();
        mainWindow.Destroy();
        WebLinkTest::TearDown();
    }

    // The job the worker posts back to the main window, or null after 5 s.
    BrowserJob* WaitForJob() {
        for (int i = 0; i < 500; ++i) {
            platform::Message message;
            while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
                if (message.id == kMsgBrowserOpened && message.window == mainWindow.Id()) {
                    return reinterpret_cast<BrowserJob*>(message.wParam);
                }
            }
            platform::WaitMessage(10);
        }
        return nullptr;
    }

    platform::Window mainWindow;
    std::shared_ptr<WaitDisplayLog> display = std::make_shared<WaitDisplayLog>();
};

TEST_F(BrowserOpeningTest, TheJobComesBackToTheMainWindowAfterTheBrowserOpened) {
    const std::string url = "http://web.example/a-rather-long-page-name.htm?x=1";
    app.OpenUrlInBrowser(url, 1);
    BrowserJob* job = WaitForJob();
    ASSERT_NE(job, nullptr);
    EXPECT_TRUE(job->opened);
    EXPECT_EQ(job->url, url + "&uid=12345&sign=");
    EXPECT_EQ(platform::DefaultBrowser().Opened(), std::vector<std::string>{job->url});
    FreeBrowserJob(reinterpret_cast<platform::WParam>(job));

    app.StopCommThread();
    EXPECT_EQ(display->Calls(), (std::vector<std::string>{
                                    "show 正在打开" + url.substr(0, 32) + "... 15", "destroyed"}));
}

TEST_F(BrowserOpeningTest, ARefusedAddressStillComesBackUnsignedAndCutTo1023Bytes) {
    app.OpenUrlInBrowser("javascript:alert(1)", 0);
    BrowserJob* job = WaitForJob();
    ASSERT_NE(job, nullptr);
    EXPECT_FALSE(job->opened);
    EXPECT_EQ(job->url, "javascript:alert(1)");
    EXPECT_TRUE(platform::DefaultBrowser().Opened().empty());
    FreeBrowserJob(reinterpret_cast<platform::WParam>(job));

    app.OpenUrlInBrowser("http://web.example/" + std::string(2000, 'p'), 0);
    job = WaitForJob();
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->url.size(), BrowserJob::kUrlMax);
    FreeBrowserJob(reinterpret_cast<platform::WParam>(job));
}

TEST_F(BrowserOpeningTest, AJobWhoseWindowIsGoneIsFreedByItsWorker) {
    const int freedBefore = BrowserJobsFreedByWorker();
    mainWindow.Destroy();
    app.OpenUrlInBrowser("http://web.example/gone.htm", 0);
    for (int i = 0; i < 500 && BrowserJobsFreedByWorker() == freedBefore; ++i) {
        platform::SleepMs(10);
    }
    EXPECT_EQ(BrowserJobsFreedByWorker(), freedBefore + 1);
}

}  // namespace
