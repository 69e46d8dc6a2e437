// The frame view's match panel, player cards, boxes and forwarders in a
// headless engine (SDL's dummy driver): what they show is read back from the
// engine objects, what they send from a recording game view and the real
// side panel and boxes, observed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneImageSequence.h"
#include "frame/GameFrameApp.h"
#include "frame/panels/ExitRequestBox.h"
#include "frame/panels/SystemInfoBox.h"
#include "frame/view/GameFrameView.h"
#include "frame/view/MatchPanelTexts.h"
#include "frame/view/MatchRecords.h"
#include "tests/engine/VisualTestSupport.h"
#include "tests/frame/FrameDoubles.h"

namespace {

struct Received {
    std::string who;
    int event;
    intptr_t param1;
    intptr_t param2;
    bool operator==(const Received&) const = default;
};

// The game view: writes what reaches it into a log shared with the side
// panel, so the order across both children shows.
class RecordingChild : public CCorvaneView {
public:
    RecordingChild(std::string name, std::vector<Received>* log)
        : name_(std::move(name)), log_(log) {}
    int OnEvent(const EventRecord& record) override {
        log_->push_back({name_, record.event, record.param1, record.param2});
        return 1;
    }

private:
    std::string name_;
    std::vector<Received>* log_;
};

struct BoxCall {
    std::string text;
    EventRecord first;
    EventRecord second;
    int seconds;
    int style;
    std::string image;
    std::string captions;
};

// "confirm|cancel", or empty when neither is given.
std::string Captions(const char* confirm, const char* cancel) {
    if (confirm == nullptr && cancel == nullptr) {
        return "";
    }
    return std::string(confirm != nullptr ? confirm : "") + "|" + (cancel != nullptr ? cancel : "");
}

// The real notice box with each showing written down before it runs.
class ObservedInfoBox : public CSystemInfoBox {
public:
    explicit ObservedInfoBox(std::vector<BoxCall>* calls) : calls_(calls) {}
    void ShowBox(const char* text, const EventRecord* first, const EventRecord* second, int seconds,
                 int style, const char* image, const char* confirmImage,
                 const char* cancelImage) override {
        calls_->push_back({text, first ? *first : EventRecord{}, second ? *second : EventRecord{},
                           seconds, style, image, Captions(confirmImage, cancelImage)});
        CSystemInfoBox::ShowBox(text, first, second, seconds, style, image, confirmImage,
                                cancelImage);
    }
    void SetButtonCaptions(const char* confirm, const char* cancel) override {
        calls_->back().captions = Captions(confirm, cancel);
        CSystemInfoBox::SetButtonCaptions(confirm, cancel);
    }

private:
    std::vector<BoxCall>* calls_;
};

struct ExitCall {
    std::string name;
    EventRecord agree;
    EventRecord refuse;
    int seconds;
};

// The real exit-request box with each request written down before it runs.
class ObservedExitBox : public CExitRequestBox {
public:
    explicit ObservedExitBox(std::vector<ExitCall>* calls) : calls_(calls) {}
    void ShowExitRequest(const char* name, const char* text, const char* pictureFile,
                         const EventRecord& agree, const EventRecord& refuse,
                         int seconds) override {
        calls_->push_back({name, agree, refuse, seconds});
        CExitRequestBox::ShowExitRequest(name, text, pictureFile, agree, refuse, seconds);
    }

private:
    std::vector<ExitCall>* calls_;
};

// The connection's match requests, recorded.
class RequestLog : public CGameConnection {
public:
    int RoundRequest(std::string&) override {
        requests.push_back("201161");
        return 10;
    }
    int Request201221() override {
        requests.push_back("201221");
        return 10;
    }
    int RequestUserInfo(int32_t userId) override {
        requests.push_back("201230 " + std::to_string(userId));
        return 10;
    }
    std::vector<std::string> requests;
};

class MatchApp : public CGameFrameApp {
public:
    MatchApp() : CGameFrameApp("pvbn", 21265, 13, 1) {}
    bool IsMatch() const override { return match; }
    int GetPlayerCount() override { return 4; }
    using CGameFrameApp::SetLaunchFields;
    CGameConnection* GetConnection() override { return &connection; }
    bool match = true;
    RequestLog connection;
};

// The view with its parts and its deferred bodies in reach of the tests.
class TestFrameView : public CGameFrameView {
public:
    using CGameFrameView::actionGroup_;
    using CGameFrameView::countdownTextId_;
    using CGameFrameView::detailCanvasId_;
    using CGameFrameView::eventQueueId_;
    using CGameFrameView::feeTextId_;
    using CGameFrameView::giveUpButtonId_;
    using CGameFrameView::matchResult_;
    using CGameFrameView::restTablesTextId_;
    using CGameFrameView::resultCloseButtonId_;
    using CGameFrameView::resultPageButtonId_;
    using CGameFrameView::resultPanelId_;
    using CGameFrameView::secondCardItemId_;
    using CGameFrameView::signUpButtonId_;
    using CGameFrameView::waitingPictureId_;

    void ShowMatchResult(const uint8_t* body, size_t length) override {
        results.emplace_back(body, body + length);
        CGameFrameView::ShowMatchResult(body, length);
    }
    void ShowMatchEnd(const uint8_t* body, size_t length) override {
        ends.emplace_back(body, body + length);
        CGameFrameView::ShowMatchEnd(body, length);
    }
    int OnEvent(const EventRecord& record) override {
        events.push_back(record.event);
        return CGameFrameView::OnEvent(record);
    }
    template <class T>
    T* Part(int id) {
        return FindPart<T>(id);
    }

    std::vector<std::vector<uint8_t>> results;
    std::vector<std::vector<uint8_t>> ends;
    std::vector<int> events;
};

std::vector<uint8_t> MatchPlayerBytes(int32_t userId, const char* name) {
    MatchPlayerRecord player;
    player.userId = userId;
    SetFieldText(player.name, name);
    player.rankLevel = 3;
    player.rankPoints = 40;
    std::vector<uint8_t> bytes(MatchPlayerRecord::kSize);
    WriteRecord(player, bytes);
    return bytes;
}

class FrameViewMatchTest : public VisualTest {
protected:
    void SetUp() override {
        VisualTest::SetUp();
        LaunchFields fields;
        fields.userId = kOwnId;
        app.SetLaunchFields(fields);
        AddPicture("btn_signup.png", GradientPng(40, 20, 0));
        AddPicture("animation_WaitArrangeTable.png", GradientPng(60, 30, 0));
        AddPicture("bit_playerdetail.png", GradientPng(300, 320, 0));
        AddPicture("animation_MatchBegin.png", GradientPng(50, 50, 0));
        SetUpMatchLaunch();
        SetUpMatchTable();
        view = new TestFrameView;
        view->SetPanelFactories({nullptr, nullptr,
                                 [this] { return new ObservedExitBox(&exitCalls); },
                                 [this] { return new ObservedInfoBox(&boxCalls); }, nullptr});
        objects->RegisterObject(view, nullptr);
        app.AttachFrameView(view);
        view->Create();
        view->SetMainGame(mainGame = new RecordingChild("MainGame", &received));
        subSystem = new ObservedSystemBars;
        subSystem->onEvent = [this](const EventRecord& record) {
            received.push_back({"SubSystem", record.event, record.param1, record.param2});
        };
        view->SetSubSystem(subSystem);
        view->SetViewRect(0, 0, kWidth, kHeight);
        received.clear();
    }
    void TearDown() override { app.DetachFrameView(); }

    // The match client's launch record: a sign-up fee of 500 silver.
    void SetUpMatchLaunch(int32_t roomFlags = 0) {
        constexpr size_t kMatchInfoAt =
            RoomInfo::kSize + RoomInfo::kMatchExtension + TableInfo::kSize + UserRecord::kSize;
        std::vector<uint8_t> record(kMatchInfoAt + CGameFrameApp::kMatchInfoSize, 0);
        RoomInfo room;
        room.flags = roomFlags;
        WriteRecord(room, record);
        const int32_t fee[2] = {1, 500};
        std::memcpy(&record[kMatchInfoAt + 1232], fee, sizeof fee);
        ASSERT_TRUE(app.InitMatchData(record));
    }

    // The match table: the own player and one other.
    void SetUpMatchTable() {
        MatchTableHeader header;
        header.playerCount = 2;
        std::vector<uint8_t> block(MatchTableHeader::kSize);
        WriteRecord(header, block);
        for (const auto& player :
             {MatchPlayerBytes(kOwnId, "me"), MatchPlayerBytes(kOtherId, "he")}) {
            block.insert(block.end(), player.begin(), player.end());
        }
        app.SetMatchTable(block);
    }

    std::string CountdownText() {
        auto* text = view->Part<CCorvaneImageSequence>(view->countdownTextId_);
        return text != nullptr ? text->GetText() : "(none)";
    }

    std::vector<Received> ReceivedBy(const std::string& who) const {
        std::vector<Received> out;
        for (const Received& r : received) {
            if (r.who == who) {
                out.push_back(r);
            }
        }
        return out;
    }

    static constexpr int32_t kOwnId = 501;
    static constexpr int32_t kOtherId = 502;
    MatchApp app;
    TestFrameView* view = nullptr;
    RecordingChild* mainGame = nullptr;
    ObservedSystemBars* subSystem = nullptr;  // the real side panel, observed
    std::vector<Received> received;
    std::vector<BoxCall> boxCalls;
    std::vector<ExitCall> exitCalls;
};

// --- countdown ---

TEST_F(FrameViewMatchTest, CountdownStepsDecrementFirstAndUseTheLongestUnitSet) {
    app.SetSecondsToStart(90061);
    view->StartMatchCountdown();
    EXPECT_EQ(CountdownText(), "比赛倒计时:1天1小时1分0秒");
    EXPECT_EQ(app.GetSecondsToStart(), 90060);

    app.SetSecondsToStart(3605);
    view->UpdateMatchCountdown();
    EXPECT_EQ(CountdownText(), "比赛倒计时:1小时0分4秒");
}

TEST_F(FrameViewMatchTest, TheLastMinuteTakesTheGiveUpButtonAway) {
    app.SetSecondsToStart(120);
    view->OnMatchSignedUp();
    auto* giveUp = view->Part<CCorvaneButton>(view->giveUpButtonId_);
    ASSERT_NE(giveUp, nullptr);
    EXPECT_TRUE(giveUp->IsVisible());

    app.SetSecondsToStart(59);
    view->UpdateMatchCountdown();
    EXPECT_EQ(CountdownText(), "比赛倒计时:58秒");
    EXPECT_FALSE(giveUp->IsVisible());
}

TEST_F(FrameViewMatchTest, CountdownRepeatsOncePerSecondOfEngineTime) {
    app.SetSecondsToStart(5);
    view->StartMatchCountdown();
    EXPECT_EQ(app.GetSecondsToStart(), 4);
    Frames(3, 1000);
    EXPECT_LE(app.GetSecondsToStart(), 2);
    Frames(10, 1000);
    EXPECT_EQ(app.GetSecondsToStart(), 0);
    EXPECT_EQ(CountdownText(), "比赛倒计时:0秒");
}

TEST_F(FrameViewMatchTest, NoSecondsLeftShowsZeroesAndStartsNoTimer) {
    app.SetSecondsToStart(0);
    view->StartMatchCountdown();
    EXPECT_EQ(CountdownText(), kMatchCountdownZero);
    Frames(3, 1000);
    EXPECT_EQ(app.GetSecondsToStart(), 0);
    EXPECT_TRUE(std::count(view->events.begin(), view->events.end(), kEventMatchCountdown) == 0);
}

TEST_F(FrameViewMatchTest, SignedUpTellsTheChildrenInOrderAndWelcomesThePlayer) {
    app.SetSecondsToStart(100);
    view->OnMatchSignedUp();
    const std::vector<Received> expected = {
        {"MainGame", 80000030, 0, 0},  {"MainGame", 80000028, app.GetMatchWaitValue(), 0},
        {"SubSystem", 80000030, 0, 0}, {"SubSystem", 80000028, app.GetMatchWaitValue(), 0},
        {"SubSystem", 80000083, 0, 0}, {"SubSystem", 80000057, received.back().param1, 0}};
    ASSERT_EQ(received.size(), expected.size());
    for (size_t i = 0; i + 1 < expected.size(); ++i) {
        EXPECT_EQ(received[i], expected[i]) << i;
    }
    ASSERT_EQ(subSystem->chatLines.size(), 1u);
    EXPECT_NE(subSystem->chatLines[0].find("段位分"), std::string::npos);
}

// --- state pictures ---

TEST_F(FrameViewMatchTest, AFinalStatePictureClosesTheProgramFifteenSecondsLater) {
    view->ShowWashedOut();
    auto* waiting = view->Part<CCorvanePicture>(view->waitingPictureId_);
    ASSERT_NE(waiting, nullptr);
    EXPECT_TRUE(waiting->IsVisible());
    Frame();  // the delay starts on the engine's next tick
    Frame(14000);
    EXPECT_EQ(std::count(view->events.begin(), view->events.end(), kEventCloseWindow), 0);
    Frames(2, 1000);
    EXPECT_EQ(std::count(view->events.begin(), view->events.end(), kEventCloseWindow), 1);
}

TEST_F(FrameViewMatchTest, TheFeeSitsFiveOrTenPixelsRightOfTheSignUpButton) {
    view->ShowNotSignedUp();
    auto* signUp = view->Part<CCorvaneButton>(view->signUpButtonId_);
    auto* fee = view->Part<CCorvaneImageSequence>(view->feeTextId_);
    ASSERT_NE(signUp, nullptr);
    ASSERT_NE(fee, nullptr);
    EXPECT_TRUE(signUp->IsVisible());
    EXPECT_EQ(fee->GetText(), "报名费500两\r\n");
    const double halfText = fee->MeasureWidth(fee->GetText().c_str()) / 2.0;
    EXPECT_DOUBLE_EQ(fee->GetX() - halfText - signUp->GetRight(), 10);
    EXPECT_DOUBLE_EQ(fee->GetY(), signUp->GetY());
    auto* waiting = view->Part<CCorvanePicture>(view->waitingPictureId_);
    ASSERT_NE(waiting, nullptr);
    EXPECT_DOUBLE_EQ(signUp->GetY(), waiting->GetBottom() + signUp->GetHeight());

    view->ShowSelfCancel();
    EXPECT_DOUBLE_EQ(fee->GetX() - halfText - signUp->GetRight(), 5);
}

TEST_F(FrameViewMatchTest, MatchBeginPlaysItsStartThenAsksForTheFirstTable) {
    view->OnMatchBegin(nullptr, 0);
    EXPECT_EQ(ReceivedBy("SubSystem").front().event, 80000025);
    ASSERT_FALSE(music->played.empty());
    EXPECT_EQ(music->played.back().name, "Snd_GameStart");
    EXPECT_NE(view->actionGroup_, 0u);
    EXPECT_TRUE(app.connection.requests.empty());
    Frames(120);  // the start animation fades out in 50 steps of 30 ms
    EXPECT_EQ(app.connection.requests, std::vector<std::string>{"201221"});
}

TEST_F(FrameViewMatchTest, MatchEndStopsTheStartSequenceBeforeItAsks) {
    view->OnMatchBegin(nullptr, 0);
    Frames(2);
    view->OnServerNotice211190(nullptr, 0);
    Frames(120);
    EXPECT_TRUE(app.connection.requests.empty());
    ASSERT_EQ(view->ends.size(), 1u);
    EXPECT_EQ(music->played.back().name, "Snd_GameWin");
}

// --- rest tables ---

TEST_F(FrameViewMatchTest, RestTablesAnnouncesOnlyATextAndCountsWithinTheRecord) {
    std::vector<uint8_t> record(28, 0);
    record[20] = 3;
    view->OnRestTables(record.data(), record.size());
    EXPECT_TRUE(subSystem->chatLines.empty());
    auto* rest = view->Part<CCorvaneImageSequence>(view->restTablesTextId_);
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(rest->GetText(), "还有3桌游戏中");

    const char text[] = "第二轮开始";
    record.insert(record.end(), text, text + sizeof text - 1);  // no terminator
    record[24] = 8;
    view->OnRestTables(record.data(), record.size());
    ASSERT_EQ(subSystem->chatLines.size(), 1u);
    EXPECT_EQ(subSystem->chatLines[0], " <z=qe系统通知><c=255> 第二轮开始");
    EXPECT_EQ(rest->GetText(), " 还有3桌游戏中，前8名晋级");

    view->OnRestTables(record.data(), 10);  // cut before its words: nothing shown
    EXPECT_EQ(subSystem->chatLines.size(), 1u);
    view->OnRestTables(nullptr, 0);
}

// --- the deferred match end and result ---

TEST_F(FrameViewMatchTest, QueuedRecordsArriveZeroPaddedOrCutToTheirSize) {
    std::vector<uint8_t> shortResult(30, 0x11);
    std::vector<uint8_t> longResult(4096, 0x22);
    view->OnServerNotice211191(shortResult.data(), shortResult.size());
    view->OnServerNotice211190(longResult.data(), longResult.size());
    Frames(3);
    ASSERT_EQ(view->results.size(), 1u);
    ASSERT_EQ(view->results[0].size(), MatchResultRecord::kSize);
    EXPECT_EQ(view->results[0][29], 0x11);
    EXPECT_EQ(view->results[0][30], 0);
    EXPECT_EQ(view->results[0].back(), 0);
    ASSERT_EQ(view->ends.size(), 1u);
    EXPECT_EQ(view->ends[0], std::vector<uint8_t>(40, 0x22));

    view->OnServerNotice211191(nullptr, 0);
    Frames(3);
    ASSERT_EQ(view->results.size(), 2u);
    EXPECT_EQ(view->results[1], std::vector<uint8_t>(MatchResultRecord::kSize, 0));
}

TEST(FrameViewNormalClient, MatchRecordsWithoutAQueueAreDropped) {
    CGameFrameView view;  // no engine: no queue
    std::vector<uint8_t> record(224, 1);
    view.OnServerNotice211190(record.data(), record.size());
    view.OnServerNotice211191(record.data(), record.size());
    view.OnServerNotice211191(nullptr, 0);
}

// --- the result panel ---

std::vector<uint8_t> ResultBytes(int32_t userId, int32_t rank, int32_t awardId,
                                 int32_t newLevel = 5) {
    MatchResultRecord result;
    result.userId = userId;
    result.rank = rank;
    result.resultValue = 77;
    result.awardId = awardId;
    SetFieldText(result.awardName, "金杯");
    result.newRankLevel = newLevel;
    result.newRankPoints = 12;
    result.nextRankPoints = 90;
    std::vector<uint8_t> bytes(MatchResultRecord::kSize);
    WriteRecord(result, bytes);
    return bytes;
}

TEST_F(FrameViewMatchTest, ResultStoresTheRankAndPicksThePageButtonByTheAward) {
    const auto body = ResultBytes(kOwnId, 3, 0);
    view->ShowMatchResult(body.data(), body.size());
    EXPECT_EQ(app.GetStandings().records[0].rank, 3);
    EXPECT_EQ(app.GetStandings().records[0].resultValue, 77);
    const MatchPlayerRecord* own = app.FindMatchPlayer(kOwnId);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->rankLevel, 5);
    EXPECT_EQ(own->rankPoints, 12);
    EXPECT_EQ(own->nextRankPoints, 90);
    EXPECT_EQ(view->matchResult_[5], 3);  // the rank's word

    auto* page = view->Part<CCorvaneButton>(view->resultPageButtonId_);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetNotify().event, kEventExchangePage);
    auto* close = view->Part<CCorvaneButton>(view->resultCloseButtonId_);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->GetNotify().event, kEventCloseWindow);
    EXPECT_EQ(ReceivedBy("MainGame").front().event, 80000053);
    EXPECT_EQ(ReceivedBy("MainGame").back().event, 80000052);

    view->CloseMatchResult();
    const auto award = ResultBytes(kOwnId, 1, 7);
    view->ShowMatchResult(award.data(), award.size());
    page = view->Part<CCorvaneButton>(view->resultPageButtonId_);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetNotify().event, kEventAwardPage);

    // A new level at the top of its range: the welcome names that level.
    view->CloseMatchResult();
    const auto top = ResultBytes(kOwnId, 1, 0, INT32_MAX);
    view->ShowMatchResult(top.data(), top.size());
    subSystem->chatLines.clear();
    view->ShowMatchWelcome();
    ASSERT_EQ(subSystem->chatLines.size(), 1u);
    EXPECT_NE(subSystem->chatLines[0].find("bit_Duan,2147483647>"), std::string::npos);
}

TEST_F(FrameViewMatchTest, ASecondResultWhileThePanelShowsOnlyKeepsTheBlock) {
    const auto first = ResultBytes(kOwnId, 3, 0);
    view->ShowMatchResult(first.data(), first.size());
    const auto second = ResultBytes(kOwnId, 9, 0);
    view->ShowMatchResult(second.data(), second.size());
    EXPECT_EQ(view->matchResult_[5], 9);
    EXPECT_EQ(app.GetStandings().records[0].rank, 3);
}

TEST_F(FrameViewMatchTest, EveryShowingReplacesTheResultButtons) {
    const auto body = ResultBytes(kOwnId, 3, 0);
    view->ShowMatchResult(body.data(), body.size());
    auto* panel = view->Part<CCorvanePicture>(view->resultPanelId_);
    ASSERT_NE(panel, nullptr);
    const size_t children = panel->GetChildCount();
    const int firstClose = view->resultCloseButtonId_;
    const int firstPage = view->resultPageButtonId_;
    for (int i = 0; i < 3; ++i) {
        view->CloseMatchResult();
        view->ShowMatchResult(body.data(), body.size());
    }
    EXPECT_EQ(panel->GetChildCount(), children);
    EXPECT_EQ(view->FindObjectById(firstClose), nullptr);
    EXPECT_EQ(view->FindObjectById(firstPage), nullptr);
    EXPECT_NE(view->Part<CCorvaneButton>(view->resultCloseButtonId_), nullptr);
}

std::vector<uint8_t> SeatRecordWithLongName(int32_t userId) {
    std::vector<uint8_t> bytes(UserRecord::kSize, 0);
    std::memcpy(bytes.data(), &userId, 4);
    std::memset(bytes.data() + 20, 'n', 32);  // the name fills its field
    std::memset(bytes.data() + 52, 'x', 16);  // and the second name follows at once
    return bytes;
}

// --- player cards ---

TEST_F(FrameViewMatchTest, MatchCardOpensBesideThePointerAndHidesForAnUnknownUser) {
    view->ShowPlayerCard(kOtherId, 300, 200);
    auto* card = view->Part<CCorvaneCanvas>(view->detailCanvasId_);
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(view->IsPlayerCardShownFor(kOtherId));
    EXPECT_EQ(card->GetX(), 300 + 150);

    view->ShowPlayerCard(999, 10, 10);
    EXPECT_FALSE(view->IsPlayerCardShownFor(999));
    EXPECT_FALSE(card->IsVisible());
}

TEST_F(FrameViewMatchTest, InARoomWithFlag64APlayerSeesOnlyHisOwnCard) {
    SetUpMatchLaunch(RoomInfo::kFlagSkipLeftOut);
    SetUpMatchTable();
    view->ShowPlayerCard(kOtherId, 300, 200);
    EXPECT_FALSE(view->IsPlayerCardShownFor(kOtherId));
    view->ShowPlayerCard(kOwnId, 300, 200);
    EXPECT_TRUE(view->IsPlayerCardShownFor(kOwnId));
}

TEST_F(FrameViewMatchTest, CardRequestGoesOutOnlyForAVisibleCard) {
    view->RequestCardUserInfo();
    EXPECT_TRUE(app.connection.requests.empty());
    view->ShowPlayerCard(kOtherId, 0, 0);
    view->PlacePlayerCard(kOtherId, 1);
    view->RequestCardUserInfo();
    EXPECT_EQ(app.connection.requests, std::vector<std::string>{"201230 502"});
}

TEST_F(FrameViewMatchTest, CardBesideAPointStaysInsideTheTableAreaButOnTheRight) {
    view->ShowPlayerCard(kOtherId, 0, 0);
    auto* card = view->Part<CCorvaneCanvas>(view->detailCanvasId_);
    ASSERT_NE(card, nullptr);
    const IntRect area = view->GetMainGame()->GetViewRect();
    ASSERT_GT(area.right, area.left);

    view->PlacePlayerCardAt(kOtherId, area.right - 10, area.bottom - 5);  // low right
    EXPECT_EQ(card->GetX(), area.right - 10 - 150);
    EXPECT_EQ(card->GetY(), area.bottom - 5 - 160);
    view->PlacePlayerCardAt(kOtherId, area.right - 10, area.bottom + 100);  // below the area
    EXPECT_EQ(card->GetY(), area.bottom - 160);                             // held inside
    EXPECT_TRUE(card->IsVisible());
    EXPECT_EQ(card->GetZ(), 70000);

    view->PlacePlayerCardAt(kOtherId, area.left, area.top);  // high left
    EXPECT_EQ(card->GetX(), area.left + 150);
    EXPECT_EQ(card->GetY(), area.top + 160);

    view->PlacePlayerCardAt(kOtherId, 5000, area.top + 10);  // no limit on the right
    EXPECT_EQ(card->GetX(), 5000 - 150);
}

TEST_F(FrameViewMatchTest, PinnedCardHangsBesideTheUserList) {
    view->ShowPlayerCard(kOtherId, 0, 0);
    auto* card = view->Part<CCorvaneCanvas>(view->detailCanvasId_);
    ASSERT_NE(card, nullptr);
    const IntRect area = view->GetMainGame()->GetViewRect();
    view->PlacePlayerCard(kOtherId, 1);
    EXPECT_EQ(card->GetX(), area.right - 150);
    EXPECT_EQ(card->GetY(), area.top + (area.bottom - area.top) / 3);

    RecordingObject* userList = Make(700, 200, 100, 200);
    userList->SetName("UserListBar");
    view->PlacePlayerCard(kOtherId, 1);
    EXPECT_EQ(card->GetY(), userList->GetTop() + 160);
    userList->SetPos(700, 500);  // low: the card stays inside the table area
    view->PlacePlayerCard(kOtherId, 1);
    EXPECT_EQ(card->GetY(), area.bottom - 160);
}

TEST_F(FrameViewMatchTest, DetailCardDrawsTheNameOnlyWithinItsField) {
    const auto pixelsOf = [&](const std::vector<uint8_t>& record) {
        view->FillPlayerDetail(record.data());
        auto* card = view->Part<CCorvaneCanvas>(view->detailCanvasId_);
        EXPECT_NE(card, nullptr);
        const uint8_t* pixels = card != nullptr ? card->GetPixels() : nullptr;
        const size_t bytes =
            card != nullptr ? size_t(card->GetCanvasWidth()) * size_t(card->GetCanvasHeight()) * 4
                            : 0;
        return pixels != nullptr ? std::vector<uint8_t>(pixels, pixels + bytes)
                                 : std::vector<uint8_t>{};
    };
    auto longName = SeatRecordWithLongName(kOtherId);
    const auto drawnWithNeighbour = pixelsOf(longName);
    std::memset(longName.data() + 52, 0, 16);  // the next field empty
    EXPECT_EQ(pixelsOf(longName), drawnWithNeighbour);
    longName[20] = 0;  // no name at all draws something else
    EXPECT_NE(pixelsOf(longName), drawnWithNeighbour);
}

// The one card canvas takes the set-up of the kind it shows, whichever came
// first; a player's details are asked of the hall the launch line names, not
// of any window of the hall's class.
TEST_F(FrameViewMatchTest, TheCardFollowsItsKindAndDetailsAreAskedOfTheLaunchingHall) {
    const auto user = SeatRecordWithLongName(kOtherId);
    view->FillPlayerDetail(user.data());  // as the hall's answer fills it
    auto* card = view->Part<CCorvaneCanvas>(view->detailCanvasId_);
    auto* shop = view->Part<CCorvaneObject>(view->secondCardItemId_);
    ASSERT_NE(card, nullptr);
    ASSERT_NE(shop, nullptr);
    EXPECT_EQ(card->FindEventBinding(kEventMouseEnter), nullptr);
    view->ShowPlayerCard(kOtherId, 300, 200);
    const EventRecord* enter = card->FindEventBinding(kEventMouseEnter);
    const EventRecord* leave = card->FindEventBinding(kEventMouseLeave);
    ASSERT_NE(enter, nullptr);
    ASSERT_NE(leave, nullptr);
    EXPECT_EQ(enter->event, kEventCardEnter);
    EXPECT_EQ(leave->event, kEventCardLeave);
    EXPECT_EQ(shop->GetX(), card->GetLeft() + 75);
    EXPECT_EQ(shop->GetY(), card->GetTop() + 290);
    view->FillPlayerDetail(user.data());
    EXPECT_EQ(card->FindEventBinding(kEventMouseEnter), nullptr);
    EXPECT_EQ(shop->GetX(), card->GetX());

    platform::RegisterWindowClass(kHallWindowClass);
    platform::RegisterWindowClass("LaunchingHall");
    platform::Window otherHall;
    platform::Window launchingHall;
    ASSERT_TRUE(otherHall.Create(kHallWindowClass));
    ASSERT_TRUE(launchingHall.Create("LaunchingHall"));
    LaunchFields fields;
    fields.userId = kOwnId;
    fields.hallWindow = static_cast<int32_t>(launchingHall.Id());
    app.SetLaunchFields(fields);
    view->ShowPlayerDetail(kOtherId, 1);
    EXPECT_FALSE(card->IsVisible());
    std::vector<platform::Message> asked;
    platform::Message message;
    while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
        if (message.id == platform::kMsgApp + 4360) {
            asked.push_back(message);
        }
    }
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].window, launchingHall.Id());
    EXPECT_EQ(asked[0].lParam, kOtherId);
}

// --- boxes ---

TEST_F(FrameViewMatchTest, EachInfoBoxLiesTwoDepthUnitsAboveThePrevious) {
    view->SetIntSetting(50012, 1);
    view->ShowInfoBox("one", nullptr, nullptr, 5, 0, "img");
    view->ShowNoticeBox("two", 10, 1, "");
    view->ShowNoticeBoxEx("three", "more", 1, 60, 1, 0, "查看成绩", "退出");
    ASSERT_EQ(boxCalls.size(), 3u);
    EXPECT_EQ(view->GetIntSetting(50012), 4);
    EXPECT_EQ(boxCalls[1].first.event, kEventConfirmLeave);
    EXPECT_EQ(boxCalls[1].second.event, kEventCloseWindow);
    EXPECT_EQ(boxCalls[2].captions, "查看成绩|退出");
    EXPECT_EQ(boxCalls[2].text, "more");
    EXPECT_EQ(boxCalls[2].seconds, 60);
    std::vector<double> depths;
    for (int id = 1; id < 4096; ++id) {
        if (auto* box = dynamic_cast<ObservedInfoBox*>(view->FindObjectById(id))) {
            depths.push_back(box->GetZ());
            EXPECT_EQ(box->GetX(), kWidth / 2);
            EXPECT_EQ(box->GetY(), kHeight / 2);
        }
    }
    ASSERT_EQ(depths.size(), 3u);
    EXPECT_EQ(depths[0], 90004);
    EXPECT_EQ(depths[1], 90006);
    EXPECT_EQ(depths[2], 90008);
}

TEST_F(FrameViewMatchTest, ExitRequestNamesAreReadWithinTheirFieldAndTheRecord) {
    // The requester is a known player: seated from the match table.
    const auto bytes = SeatRecordWithLongName(kOtherId);
    view->ShowExitRequestBox(bytes.data(), bytes.size());
    ASSERT_EQ(exitCalls.size(), 1u);
    EXPECT_EQ(exitCalls[0].name, std::string(32, 'n'));
    EXPECT_EQ(exitCalls[0].seconds, 30);
    EXPECT_EQ(exitCalls[0].agree.event, kEventExitAnswer);
    EXPECT_EQ(exitCalls[0].agree.param1, kOtherId);
    EXPECT_EQ(exitCalls[0].agree.param2, 0);
    EXPECT_EQ(exitCalls[0].refuse.param2, 1);

    view->ShowExitRequestBox(bytes.data(), 30);  // the record ends inside the name
    ASSERT_EQ(exitCalls.size(), 2u);
    EXPECT_EQ(exitCalls[1].name, std::string(10, 'n'));

    view->ShowExitRequestBox(bytes.data(), 3);  // no whole user id: nobody asks
    view->ShowExitRequestBox(nullptr, 0);
    EXPECT_EQ(exitCalls.size(), 2u);
}

TEST_F(FrameViewMatchTest, ExitRequestBoxesStackAndSlideInAtTheBottomRight) {
    view->SetIntSetting(50012, 1);
    const auto bytes = SeatRecordWithLongName(kOtherId);
    view->ShowExitRequestBox(bytes.data(), bytes.size());
    CCorvaneObject* box = nullptr;
    for (int id = 1; id < 4096 && box == nullptr; ++id) {
        box = dynamic_cast<ObservedExitBox*>(view->FindObjectById(id));
    }
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetZ(), (5.0 * 2 + 45000.0) * 2.0);
    // Its right edge 4 inside the scene's, its top at the scene's bottom.
    EXPECT_EQ(box->GetX(), kWidth - box->GetWidth() / 2 - 4);
    EXPECT_EQ(box->GetY(), kHeight + box->GetHeight() / 2);
    Frames(60);
    // Its bottom 4 above the scene's.
    EXPECT_EQ(box->GetY(), static_cast<int>(kHeight - box->GetHeight() / 2 - 4));
}

// --- forwarders ---

TEST_F(FrameViewMatchTest, ForwardersReachMainGameThenSubSystem) {
    const uint8_t record[8] = {};
    const intptr_t p = EventParam(record);
    view->ForwardUserEnterTable(record, sizeof record);
    view->ForwardBaseSilver(record, sizeof record);
    view->ForwardPrizeNotify(record, sizeof record);
    view->ForwardRandomTable(record, sizeof record);
    view->ForwardPlayersRenamed(record, sizeof record);
    const std::vector<Received> expected = {
        {"MainGame", 80000014, p, 8},  {"SubSystem", 80000014, p, 8}, {"SubSystem", 80000019, 0, 0},
        {"MainGame", 80000021, p, 8},  {"SubSystem", 80000021, p, 8}, {"SubSystem", 80000104, p, 8},
        {"MainGame", 80000018, 0, 0},  {"SubSystem", 80000018, 0, 0}, {"SubSystem", 80000019, 0, 0},
        {"SubSystem", 80000062, p, 8}, {"MainGame", 80000062, p, 8}};
    // The side panel's own notice lines come back to it through the
    // application (80000057) while it handles the forwarded records.
    std::vector<Received> forwarded;
    std::ranges::copy_if(received, std::back_inserter(forwarded), [](const Received& r) {
        return r.who != "SubSystem" || r.event != kEventAppendChatText;
    });
    EXPECT_EQ(forwarded, expected);
}

TEST_F(FrameViewMatchTest, EnterRepliesReachBothChildren) {
    view->OnEnterResult210210();
    view->SignalMainGame();
    const std::vector<Received> expected = {
        {"MainGame", 80000012, 0, 0}, {"SubSystem", 80000012, 0, 0}, {"MainGame", 80000003, 0, 0}};
    EXPECT_EQ(received, expected);
}

TEST_F(FrameViewMatchTest, EliminationRoundAsksForTheNextRoundOnlyWhilePlaying) {
    view->ShowEliminationRound();
    EXPECT_EQ(ReceivedBy("MainGame").back().event, 80000002);
    Frame(15100);
    Frames(2);
    EXPECT_TRUE(app.connection.requests.empty());
    app.SetGamePlaying();
    view->SendRoundRequest();
    EXPECT_EQ(app.connection.requests, std::vector<std::string>{"201161"});
}

}  // namespace
