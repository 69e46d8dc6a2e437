#include "platform/WebView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "ScopedEnv.h"
#include "TempFolder.h"
#include "platform/Sync.h"
#include "platform/TextCodec.h"
#include "platform/WebHelperBackend.h"
#include "platform/WebProtocol.h"

namespace platform {
namespace {

// UTF-8 text whatever the execution charset.
std::string U8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

// Installs a fresh fake back end and collects the web log lines.
class WebViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto fake = std::make_unique<FakeWebBackend>();
        fake_ = fake.get();
        SetWebBackend(std::move(fake));
        SetWebLogSink([this](const std::string& line) { log_.push_back(line); });
        RegisterWindowClass("WebViewTestOwner");
        ASSERT_TRUE(owner_.Create("WebViewTestOwner"));
    }
    void TearDown() override {
        SetWebLogSink(nullptr);
        SetWebBackend(nullptr);
    }

    // The next posted message for the owner, waiting up to the time.
    bool TakeWithin(Message& out, uint32_t ms) {
        const uint32_t start = GetTickCount32();
        while (!Take(out)) {
            if (GetTickCount32() - start >= ms) {
                return false;
            }
            SleepMs(10);
        }
        return true;
    }

    // Runs a stand-in helper: a script that writes to the link the bytes
    // SendFromHelper gives it, then ends after the seconds. It takes the
    // bytes away, so a helper started again waits for new ones instead of
    // ending before the test looks at it. It waits ten seconds at most, so a
    // helper started as the test ends (its folder already gone) cannot
    // outlive the run.
    WebHelperBackend* UseScriptedHelper(int seconds) {
        const std::string bytes = folder_ / "link-bytes";
        folder_.Write("helper", "#!/bin/sh\ni=0\nwhile [ ! -f '" + bytes +
                                    "' ] && [ $i -lt 500 ]; do sleep 0.02; i=$((i+1)); done\n"
                                    "cat '" +
                                    bytes + "' >&3\nrm -f '" + bytes + "'\nsleep " +
                                    std::to_string(seconds) + "\n");
        ::chmod((folder_ / "helper").c_str(), 0700);
        auto helper =
            std::make_unique<WebHelperBackend>(WebHelperBackend::Options{folder_ / "helper", 5000});
        WebHelperBackend* raw = helper.get();
        SetWebBackend(std::move(helper));
        return raw;
    }
    void SendFromHelper(const std::string& bytes) {
        folder_.Write("link-bytes.part", bytes);
        std::rename((folder_ / "link-bytes.part").c_str(), (folder_ / "link-bytes").c_str());
    }

    // The next posted message for the owner.
    bool Take(Message& out) {
        while (PeekMessage(out, PeekMode::Remove)) {
            if (out.window == owner_.Id()) {
                return true;
            }
        }
        return false;
    }

    FakeWebBackend* fake_ = nullptr;
    TempFolder folder_;
    std::vector<std::string> log_;
    Window owner_;
};

TEST_F(WebViewTest, CallsReachTheBackEndInUtf8) {
    WebView view;
    ASSERT_TRUE(view.Create(owner_.Id(), ScreenRect{10, 20, 110, 220}));
    EXPECT_FALSE(view.Create(owner_.Id(), ScreenRect{}));
    const std::string gbkUrl = Utf8ToGbk(U8(u8"http://例子.test/页?a=1"));
    const uint8_t body[] = {'a', '=', '1'};
    ASSERT_TRUE(view.Navigate(gbkUrl, 4, "top", "X-A: 1", body));
    view.Show(true);
    view.Move(ScreenRect{1, 2, 3, 4});
    view.HideVerticalScrollBar();
    view.ClickLinksByText(Utf8ToGbk(U8(u8"链接")));

    const FakeWebBackend::View* state = fake_->Find(view.Id());
    ASSERT_NE(state, nullptr);
    ASSERT_EQ(state->navigations.size(), 1u);
    EXPECT_EQ(state->navigations[0].url, U8(u8"http://例子.test/页?a=1"));
    EXPECT_EQ(state->navigations[0].flags, 4u);
    EXPECT_EQ(state->navigations[0].frame, "top");
    EXPECT_EQ(state->navigations[0].headers, "X-A: 1");
    EXPECT_EQ(state->navigations[0].post, std::vector<uint8_t>(body, body + 3));
    EXPECT_TRUE(state->visible);
    EXPECT_EQ(state->rect, (ScreenRect{1, 2, 3, 4}));
    EXPECT_TRUE(state->scrollBarHidden);
    EXPECT_EQ(state->clickedLinks, std::vector<std::string>{U8(u8"链接")});

    const WebViewId id = view.Id();
    view.Destroy();
    EXPECT_EQ(fake_->Find(id), nullptr);
    EXPECT_FALSE(view.Navigate("http://a/", 0, "", "", {}));
}

TEST_F(WebViewTest, NoViewForAMissingOwner) {
    WebView view;
    EXPECT_FALSE(view.Create(0, ScreenRect{}));
    EXPECT_EQ(view.Id(), 0u);
}

TEST_F(WebViewTest, EventsArePostedToTheOwnerAsGbkRecords) {
    WebView view;
    ASSERT_TRUE(view.Create(owner_.Id(), ScreenRect{0, 0, 100, 100}));
    const uint32_t token =
        fake_->FireBeforeNavigate(view.Id(), U8(u8"http://a.test/中"), "f1", false);
    fake_->FireDocumentComplete(view.Id(), "http://a.test/");
    fake_->FireNavigateError(view.Id(), "http://a.test/x", "", 404);

    Message m;
    ASSERT_TRUE(Take(m));
    ASSERT_EQ(m.id, kMsgWebBeforeNavigate);
    EXPECT_EQ(m.wParam, view.Id());
    auto before = TakeWebEvent<WebBeforeNavigate>(m.lParam);
    EXPECT_EQ(before->url, Utf8ToGbk(U8(u8"http://a.test/中")));
    EXPECT_EQ(before->frame, "f1");
    EXPECT_FALSE(before->mainFrame);
    EXPECT_EQ(before->token, token);

    ASSERT_TRUE(Take(m));
    ASSERT_EQ(m.id, kMsgWebDocumentComplete);
    EXPECT_EQ(TakeWebEvent<WebDocumentComplete>(m.lParam)->url, "http://a.test/");

    ASSERT_TRUE(Take(m));
    ASSERT_EQ(m.id, kMsgWebNavigateError);
    auto error = TakeWebEvent<WebNavigateError>(m.lParam);
    EXPECT_EQ(error->url, "http://a.test/x");
    EXPECT_EQ(error->status, 404);
    EXPECT_FALSE(Take(m));
}

TEST_F(WebViewTest, EachTokenIsDecidedOnceAndLateAnswersAreIgnored) {
    WebView view;
    ASSERT_TRUE(view.Create(owner_.Id(), ScreenRect{0, 0, 100, 100}));
    const uint32_t first = fake_->FireBeforeNavigate(view.Id(), "http://a/", "", true);
    const uint32_t second = fake_->FireBeforeNavigate(view.Id(), "http://b/", "", true);
    EXPECT_NE(first, second);
    EXPECT_EQ(fake_->PendingTokens(), 2u);

    view.Decide(first, true);
    view.Decide(first, false);  // twice
    fake_->Expire(second);
    view.Decide(second, true);  // too late
    view.Decide(12345, true);   // never handed out

    ASSERT_EQ(fake_->Decisions().size(), 1u);
    EXPECT_EQ(fake_->Decisions()[0].token, first);
    EXPECT_TRUE(fake_->Decisions()[0].allow);
    EXPECT_EQ(fake_->IgnoredDecisions().size(), 3u);
    EXPECT_EQ(fake_->PendingTokens(), 0u);
    Message m;
    while (Take(m)) {
        TakeWebEvent<WebBeforeNavigate>(m.lParam);
    }
}

TEST_F(WebViewTest, EventsOfADestroyedViewAreDropped) {
    WebView view;
    ASSERT_TRUE(view.Create(owner_.Id(), ScreenRect{0, 0, 100, 100}));
    const WebViewId id = view.Id();
    view.Destroy();
    EXPECT_FALSE(ReportDocumentComplete(id, "http://a/"));
    Message m;
    EXPECT_FALSE(Take(m));
}

// The helper's events reach the owner; when it ends, the view reports a
// navigate error for its page, and the next navigation starts it again.
TEST_F(WebViewTest, HelperEventsArriveAndItsEndIsANavigateError) {
    WebHelperBackend* helper = UseScriptedHelper(0);
    WebView view;
    ASSERT_TRUE(view.Create(owner_.Id(), ScreenRect{0, 0, 100, 100}));
    // The helper is up and has the navigation before it answers and ends.
    ASSERT_TRUE(view.Navigate("http://a.test/", 0, "", "", {}));
    const ProcessId first = helper->HelperProcess();
    EXPECT_NE(first, 0);
    SendFromHelper(*EncodeWebMessage(
        {WebMessageKind::kBeforeNavigate, view.Id(), 42, {U8(u8"http://a.test/\u4E2D"), "", "1"}}));

    Message m;
    ASSERT_TRUE(TakeWithin(m, 5000));
    ASSERT_EQ(m.id, kMsgWebBeforeNavigate);
    auto before = TakeWebEvent<WebBeforeNavigate>(m.lParam);
    EXPECT_EQ(before->token, 42u);
    EXPECT_EQ(before->url, Utf8ToGbk(U8(u8"http://a.test/\u4E2D")));
    ASSERT_TRUE(TakeWithin(m, 5000));
    ASSERT_EQ(m.id, kMsgWebNavigateError);
    EXPECT_EQ(TakeWebEvent<WebNavigateError>(m.lParam)->url, "http://a.test/");
    EXPECT_EQ(log_, std::vector<std::string>{"web helper ended"});
    EXPECT_EQ(helper->HelperProcess(), 0);

    ASSERT_TRUE(view.Navigate("http://b.test/", 0, "", "", {}));
    EXPECT_NE(helper->HelperProcess(), 0);
    EXPECT_NE(helper->HelperProcess(), first);
    view.Destroy();
    SetWebBackend(nullptr);
    while (Take(m)) {
        if (m.id == kMsgWebBeforeNavigate) {
            TakeWebEvent<WebBeforeNavigate>(m.lParam);
        } else if (m.id == kMsgWebNavigateError) {
            TakeWebEvent<WebNavigateError>(m.lParam);
        }
    }
}

TEST_F(WebViewTest, ABadMessageFromTheHelperClosesTheLinkWithOneLogLine) {
    for (const std::string& bytes :
         {std::string("\xFF\xFF\xFF\xFF"),
          *EncodeWebMessage({WebMessageKind::kShow, 1, 0, {"1"}})}) {  // not the client's kind
        log_.clear();
        std::remove((folder_ / "link-bytes").c_str());
        WebHelperBackend* helper = UseScriptedHelper(5);
        WebView view;
        ASSERT_TRUE(view.Create(owner_.Id(), ScreenRect{0, 0, 100, 100}));
        // The navigation goes out on a live link before the helper has its
        // bytes; given first, the link could close before the navigation and
        // the navigation would start a second helper.
        ASSERT_TRUE(view.Navigate("http://a.test/", 0, "", "", {}));
        SendFromHelper(bytes);
        Message m;
        ASSERT_TRUE(TakeWithin(m, 5000));
        ASSERT_EQ(m.id, kMsgWebNavigateError);
        TakeWebEvent<WebNavigateError>(m.lParam);
        ASSERT_EQ(log_.size(), 1u);
        EXPECT_NE(log_[0].find("web helper link closed"), std::string::npos) << log_[0];
        EXPECT_EQ(helper->HelperProcess(), 0);
        EXPECT_FALSE(TakeWithin(m, 200));
    }
}

// --- the helper link's messages ---

std::string Encode(const WebMessage& message) {
    std::optional<std::string> bytes = EncodeWebMessage(message);
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or("");
}

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

void PutU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>(value >> shift & 0xFF));
    }
}

TEST(WebProtocolTest, MessagesSurviveTheTripByteByByte) {
    const WebMessage sent{
        WebMessageKind::kBeforeNavigate, 7, 99, {U8(u8"http://例.test/"), "", "1"}};
    const WebMessage second{WebMessageKind::kHideScroll, 8, 0, {}};
    const std::string bytes = Encode(sent) + Encode(second);
    WebMessageReader reader;
    std::vector<WebMessage> got;
    for (char c : bytes) {
        reader.Feed(Bytes(std::string(1, c)));
        WebMessage m;
        while (reader.Next(m) == WebMessageReader::Result::kMessage) {
            got.push_back(m);
        }
    }
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].kind, WebMessageKind::kBeforeNavigate);
    EXPECT_EQ(got[0].view, 7u);
    EXPECT_EQ(got[0].token, 99u);
    EXPECT_EQ(got[0].fields, sent.fields);
    EXPECT_EQ(got[1].kind, WebMessageKind::kHideScroll);
    EXPECT_TRUE(got[1].fields.empty());
    EXPECT_TRUE(reader.Error().empty());
}

// Every read ends one byte into the next message: what was taken is still
// dropped, so the reader holds about two messages, not the whole stream.
TEST(WebProtocolTest, ReadsEndingInsideAMessageKeepTheBufferSmall) {
    const std::string one = Encode({WebMessageKind::kClickLinks, 1, 0, {std::string(996, 'a')}});
    ASSERT_EQ(one.size(), 1016u);
    WebMessageReader reader;
    std::string pending = one;
    size_t taken = 0;
    size_t largest = 0;
    for (int i = 0; i < 1000; ++i) {
        pending += one.substr(0, 1);
        reader.Feed(Bytes(pending));
        pending = one.substr(1);
        largest = std::max(largest, reader.HeldBytes());
        WebMessage m;
        while (reader.Next(m) == WebMessageReader::Result::kMessage) {
            ++taken;
        }
    }
    EXPECT_EQ(taken, 1000u);
    EXPECT_TRUE(reader.Error().empty());
    EXPECT_LE(largest, 2 * one.size() + 1);
}

TEST(WebProtocolTest, EncodingRefusesWhatTheReaderWouldRefuse) {
    EXPECT_FALSE(EncodeWebMessage({WebMessageKind::kShow, 1, 0, {}}));
    EXPECT_FALSE(EncodeWebMessage({WebMessageKind::kShow, 1, 0, {"\xFF"}}));
    EXPECT_FALSE(EncodeWebMessage({static_cast<WebMessageKind>(55), 1, 0, {}}));
    EXPECT_FALSE(EncodeWebMessage(
        {WebMessageKind::kClickLinks, 1, 0, {std::string(kMaxWebMessageBytes, 'a')}}));
}

// Each stream is bad; the reader says so once and takes nothing more.
TEST(WebProtocolTest, BadMessagesStopTheReader) {
    std::vector<std::pair<std::string, std::string>> cases;
    std::string tooLong;
    PutU32(tooLong, kMaxWebMessageBytes + 1);  // refused before the body arrives
    cases.emplace_back("length", tooLong);
    std::string tooShort;
    PutU32(tooShort, 8);
    cases.emplace_back("length", tooShort + std::string(8, '\0'));
    std::string unknown;
    PutU32(unknown, 12), PutU32(unknown, 55), PutU32(unknown, 1), PutU32(unknown, 0);
    cases.emplace_back("kind", unknown);
    std::string missingField;
    PutU32(missingField, 12), PutU32(missingField, 4), PutU32(missingField, 1),
        PutU32(missingField, 0);
    cases.emplace_back("fields", missingField);
    std::string overrun;
    PutU32(overrun, 18), PutU32(overrun, 4), PutU32(overrun, 1), PutU32(overrun, 0);
    PutU32(overrun, 3), overrun += "12";
    cases.emplace_back("past", overrun);
    std::string notUtf8;
    PutU32(notUtf8, 17), PutU32(notUtf8, 4), PutU32(notUtf8, 1), PutU32(notUtf8, 0);
    PutU32(notUtf8, 1), notUtf8 += "\xC0";
    cases.emplace_back("UTF-8", notUtf8);
    std::string cutCount;
    PutU32(cutCount, 14), PutU32(cutCount, 6), PutU32(cutCount, 1), PutU32(cutCount, 0);
    cutCount += "ab";
    cases.emplace_back("cut", cutCount);

    for (const auto& [word, bytes] : cases) {
        SCOPED_TRACE(word);
        WebMessageReader reader;
        reader.Feed(Bytes(bytes));
        WebMessage m;
        EXPECT_EQ(reader.Next(m), WebMessageReader::Result::kBad);
        EXPECT_NE(reader.Error().find(word), std::string::npos) << reader.Error();
        reader.Feed(Bytes(Encode({WebMessageKind::kHideScroll, 1, 0, {}})));
        EXPECT_EQ(reader.Next(m), WebMessageReader::Result::kBad);
    }
}

TEST(WebProtocolTest, NumbersAndScriptLiterals) {
    EXPECT_EQ(ParseWebInt("-12"), -12);
    EXPECT_EQ(ParseWebInt("2147483647"), 2147483647);
    EXPECT_FALSE(ParseWebInt("2147483648"));
    EXPECT_FALSE(ParseWebInt(""));
    EXPECT_FALSE(ParseWebInt("-"));
    EXPECT_FALSE(ParseWebInt("1x"));
    EXPECT_FALSE(ParseWebInt("00000000001"));

    EXPECT_EQ(JavaScriptStringLiteral("Go on"), "\"Go on\"");
    EXPECT_EQ(JavaScriptStringLiteral("\"</script>\\'"),
              "\"\\u0022\\u003C\\u002Fscript\\u003E\\u005C\\u0027\"");
    EXPECT_EQ(JavaScriptStringLiteral(U8(u8"中")), "\"\\u4E2D\"");
    EXPECT_EQ(JavaScriptStringLiteral("\xF0\x9F\x98\x80"), "\"\\uD83D\\uDE00\"");
    EXPECT_EQ(JavaScriptStringLiteral("\xFF\n"), "\"\\uFFFD\\u000A\"");
}

}  // namespace
}  // namespace platform

namespace {

TEST(WebHelperChoice, PagesShowOnlyOnANamedXDisplay) {
    {
        ScopedEnv display("DISPLAY", std::nullopt);
        ScopedEnv driver("SDL_VIDEODRIVER", std::nullopt);
        EXPECT_FALSE(platform::CanShowWebPages());
    }
    {
        ScopedEnv display("DISPLAY", ":7");
        ScopedEnv driver("SDL_VIDEODRIVER", std::nullopt);
        EXPECT_TRUE(platform::CanShowWebPages());
    }
    {
        ScopedEnv display("DISPLAY", ":7");
        ScopedEnv driver("SDL_VIDEODRIVER", "x11");
        EXPECT_TRUE(platform::CanShowWebPages());
    }
    for (const char* other : {"dummy", "offscreen", "wayland"}) {
        ScopedEnv display("DISPLAY", ":7");
        ScopedEnv driver("SDL_VIDEODRIVER", other);
        EXPECT_FALSE(platform::CanShowWebPages()) << other;
    }
    ScopedEnv empty("DISPLAY", "");
    EXPECT_FALSE(platform::CanShowWebPages());
}

}  // namespace
