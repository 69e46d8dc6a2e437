#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "frame/FrameFunctions.h"
#include "frame/FramePlatform.h"
#include "frame/GameRecords.h"
#include "frame/HallRecords.h"
#include "frame/web/BrowserJob.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/System.h"

namespace {

TEST(WealthTitleTest, StepsAtTheirFloors) {
    EXPECT_EQ(GetWealthTitle(99), "待业");
    EXPECT_EQ(GetWealthTitle(0), "待业");
    EXPECT_EQ(GetWealthTitle(100), "临时工");
    EXPECT_EQ(GetWealthTitle(-1), "负债");
    EXPECT_EQ(GetWealthTitle(26214400), "世界首富");
    EXPECT_EQ(GetWealthTitle(26214399), "超级大富豪");
}

TEST(ParseRgbTest, PartsRepeatWhenMissing) {
    EXPECT_EQ(ParseRGB("255 0 0", 7), 0x0000FFu);
    EXPECT_EQ(ParseRGB("128", 7), 0x808080u);
    EXPECT_EQ(ParseRGB("10 20", 7), 0x14140Au);
    EXPECT_EQ(ParseRGB("", 7), 7u);
    EXPECT_EQ(ParseRGB("1   2 3", 7), 0x030201u);
    EXPECT_EQ(ParseRGB("256 -1 x", 7), 0x00FF00u);
    EXPECT_EQ(InvertRGB(0xFF0000FFu), 0xFFFF00u);
}

TEST(TruncateTextTest, CutsAtCharacterBoundaries) {
    EXPECT_EQ(TruncateText("abcdefghijkl", 10), "abcdefg..");
    EXPECT_EQ(TruncateText("abcdef中xyz", 10), "abcdef中.");
    EXPECT_EQ(TruncateText("abcde中xyzw", 10), "abcde中..");
    EXPECT_EQ(TruncateText("abcdefghij", 10), "abcdefghij");
    EXPECT_EQ(TruncateText("", 0), "");
}

TEST(TruncateTextTest, SmallMaximumGivesEmptyAndLoneLeadByteIsDropped) {
    EXPECT_EQ(TruncateText("abcdefgh", 4), "");
    EXPECT_EQ(TruncateText("abcdefgh", 0), "");
    EXPECT_EQ(TruncateText("abcdefgh", -3), "");
    const std::string lone = std::string("abc") + '\xD6';
    EXPECT_EQ(TruncateText(lone, 10), "abc");
    EXPECT_EQ(TruncateText("中文", 4), "中文");
}

TEST(Md5HexTest, PublishedVectors) {
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("hall_id7game_id30game_codepvbnuser_id12345unix_time1700000000"
                     "r4kd81mzq0vw2hy6"),
              "cef2f2babad0c6331814b4daa13b7c91");
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(IntToString(-12), "-12");
}

// A private system folder for the shared settings file.
class SystemFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() /
            ("frame_sys_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        setenv("PVBN_SYSTEM_FOLDER", folder_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("PVBN_SYSTEM_FOLDER");
        platform::SetEthernetAddressesForTesting(std::nullopt);
        std::filesystem::remove_all(folder_);
    }
    std::filesystem::path folder_;
};

TEST_F(SystemFolderTest, MachineIdFromAdaptersAsHex) {
    platform::SetEthernetAddressesForTesting(std::vector<platform::EthernetAddress>{
        {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}, {0xff, 0xee, 0xdd, 0xcc, 0xbb, 0xaa}});
    EXPECT_EQ(GetMachineUniqueID(), "001a2b3c4d5effeeddccbbaa0000000");
}

TEST_F(SystemFolderTest, MachineIdFromSettingsThenMadeOnceAndKept) {
    platform::SetEthernetAddressesForTesting(std::vector<platform::EthernetAddress>{});
    const std::string ini = GetHallSettingsFile();
    platform::WritePrivateProfileString("SYSTEM", "UniqueID", "  stored-id  ", ini.c_str());
    EXPECT_EQ(GetMachineUniqueID(), "stored-id");

    platform::WritePrivateProfileString("SYSTEM", "UniqueID", nullptr, ini.c_str());
    const std::string made = GetMachineUniqueID();
    EXPECT_EQ(made.size(), 30u);
    EXPECT_EQ(made.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(GetMachineUniqueID(), made);
}

TEST_F(SystemFolderTest, HallPathsFromTheSharedSettings) {
    EXPECT_EQ(GetHallExePath(), "");
    platform::WritePrivateProfileString("SYSTEM", "ExePath", "/opt/hall/bin/hall.exe",
                                        GetHallSettingsFile().c_str());
    EXPECT_EQ(GetHallExePath(), "/opt/hall/bin/hall.exe");
    EXPECT_EQ(GetHallPath(), "/opt/hall/bin/");
    EXPECT_EQ(GetAdvertDomainFile(), "/opt/hall/bin/Share\\advert\\domain.dat");
}

TEST(SoundResourceTest, UnknownIdAnswersZero) {
    EXPECT_EQ(PlaySoundResource(424242, 0), 0);
}

TEST(FtpUploadTest, JobWithoutWindowOrWithAGoneWindowIsFreedHere) {
    std::atomic<int> uploads{0};
    frame::SetFtpUploaderForTesting([&](const platform::FtpUpload& request) {
        EXPECT_EQ(request.host.size(), 63u);
        EXPECT_EQ(request.port, 21);
        EXPECT_EQ(request.user, "");
        ++uploads;
        return true;
    });
    const int freedBefore = FtpJobsFreedHere();
    ASSERT_TRUE(StartFtpUpload("/tmp/x.z", std::string(100, 'h'), "/", "x.z", "", "", 0, 0));
    ASSERT_TRUE(StartFtpUpload("/tmp/x.z", std::string(100, 'h'), "/", "x.z", "", "", 0x7FFFFFF0,
                               0x8000 + 5));
    for (int i = 0; i < 500 && FtpJobsFreedHere() < freedBefore + 2; ++i) {
        platform::SleepMs(10);
    }
    EXPECT_EQ(FtpJobsFreedHere(), freedBefore + 2);
    EXPECT_EQ(uploads.load(), 2);
    frame::SetFtpUploaderForTesting({});
}

// Waits until the first message in the thread's queue has that id.
bool WaitForQueued(uint32_t id) {
    for (int i = 0; i < 500; ++i) {
        platform::Message message;
        if (platform::PeekMessage(message, platform::PeekMode::Keep) && message.id == id) {
            return true;
        }
        platform::SleepMs(10);
    }
    return false;
}

// A job that reaches its window's queue but not the window, gone first, goes
// with the message (the counts show the browser's; LeakSanitizer sees both).
TEST(PostedJobTest, AJobQueuedForAWindowThatGoesIsFreed) {
    constexpr uint32_t kMsgUploaded = platform::kMsgApp + 77;
    platform::Message stale;
    while (platform::PeekMessage(stale, platform::PeekMode::Remove)) {
    }
    platform::RegisterWindowClass("PostedJobWindow");
    frame::SetFtpUploaderForTesting([](const platform::FtpUpload&) { return true; });
    const int alive = BrowserJob::Alive();
    {
        platform::Window window;
        ASSERT_TRUE(window.Create("PostedJobWindow"));
        ASSERT_TRUE(StartBrowserJob(window.Id(), "http://web.example/"));
        ASSERT_TRUE(WaitForQueued(kMsgBrowserOpened));
        EXPECT_EQ(BrowserJob::Alive(), alive + 1);
    }
    EXPECT_EQ(BrowserJob::Alive(), alive);
    {
        platform::Window window;
        ASSERT_TRUE(window.Create("PostedJobWindow"));
        ASSERT_TRUE(StartFtpUpload("/tmp/x.z", "h", "/", "x.z", "", "", window.Id(), kMsgUploaded));
        ASSERT_TRUE(WaitForQueued(kMsgUploaded));
    }
    frame::SetFtpUploaderForTesting({});
}

// Every record's named fields and carried bytes survive a read and a write.
template <class Record>
void ExpectRoundTrip() {
    std::vector<uint8_t> bytes(Record::kSize);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    Record record;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(bytes), record));
    std::vector<uint8_t> written(Record::kSize);
    ASSERT_TRUE(WriteRecord(record, written));
    EXPECT_EQ(written, bytes);
    EXPECT_FALSE(ReadRecord(std::span<const uint8_t>(bytes).first(Record::kSize - 1), record));
}

TEST(RecordLayoutTest, SizesAndRoundTrips) {
    static_assert(RecordFieldBytes<UserRecord>() == 320);
    static_assert(RecordFieldBytes<RoomInfo>() == 444);
    static_assert(RecordFieldBytes<TableInfo>() == 176);
    static_assert(RecordFieldBytes<MatchTableHeader>() == 244);
    static_assert(RecordFieldBytes<MatchPlayerRecord>() == 288);
    static_assert(RecordFieldBytes<ServerPlayerRecord>() == 136);
    static_assert(RecordFieldBytes<ExtendedPlayerRecord>() == 128);
    static_assert(RecordFieldBytes<HandResultSummary>() == 432);
    static_assert(MatchStandings::kSize == 24 + 100 * 64);
    static_assert(RecordFieldBytes<RoomListEntry>() == 64);
    static_assert(RecordFieldBytes<RoomListHeader>() == 128);
    static_assert(RecordFieldBytes<HallLeaveRecord>() == 188);
    static_assert(RecordFieldBytes<HallUrlRecord>() == 544);
    static_assert(RecordFieldBytes<HallRoomSwitchRecord>() == 160);
    static_assert(RecordFieldBytes<HallSignAnswer>() == 272);
    ExpectRoundTrip<UserRecord>();
    ExpectRoundTrip<RoomInfo>();
    ExpectRoundTrip<TableInfo>();
    ExpectRoundTrip<MatchTableHeader>();
    ExpectRoundTrip<MatchPlayerRecord>();
    ExpectRoundTrip<ServerPlayerRecord>();
    ExpectRoundTrip<ExtendedPlayerRecord>();
    ExpectRoundTrip<HandResultSummary>();
    ExpectRoundTrip<RoomListEntry>();
    ExpectRoundTrip<HallLeaveRecord>();
    ExpectRoundTrip<HallUrlRecord>();
}

TEST(RecordLayoutTest, NamedFieldsSitAtTheirOffsets) {
    std::vector<uint8_t> bytes(UserRecord::kSize, 0);
    ZepWireWriter(std::span(bytes).subspan(144)).WriteI32(5);
    ZepWireWriter(std::span(bytes).subspan(164)).WriteI32(77);
    UserRecord user;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(bytes), user));
    EXPECT_EQ(user.chairNo, 5);
    EXPECT_EQ(user.extraValue, 77);
    RoomInfo room;
    std::vector<uint8_t> roomBytes(RoomInfo::kSize, 0);
    ZepWireWriter(std::span(roomBytes).subspan(328)).WriteI32(3);
    ZepWireWriter(std::span(roomBytes).subspan(292)).WriteI32(64);
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(roomBytes), room));
    EXPECT_EQ(room.roomListCount, 3);
    EXPECT_EQ(room.flags, 64);
}

}  // namespace
