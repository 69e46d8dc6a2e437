#include "zep/ZepUtils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/System.h"
#include "tests/zep/ZepTestFolder.h"

namespace {

// Replaces the random source for one test with 0x00, 0x11, 0x22, ... (or a
// failing source).
class FakeRandomSource {
public:
    explicit FakeRandomSource(bool fails = false) {
        platform::SetRandomSourceForTesting([fails](void* out, size_t n) {
            auto* bytes = static_cast<uint8_t*>(out);
            for (size_t i = 0; i < n; ++i) {
                bytes[i] = static_cast<uint8_t>(i * 0x11);
            }
            return !fails;
        });
    }
    ~FakeRandomSource() { platform::SetRandomSourceForTesting({}); }
};

// The fields as strings and the rest (or "<null>").
std::vector<std::string> Split(char* text, int max) {
    char* fields[8] = {};
    char* rest = text;  // must be overwritten
    const int count = ZepSplitBar(text, fields, max, &rest);
    std::vector<std::string> result(fields, fields + count);
    result.push_back(rest != nullptr ? std::string("rest=") + rest : "<null>");
    return result;
}

using Fields = std::vector<std::string>;

TEST(ZepSplitBarTest, SplitsInPlaceUpToMax) {
    char text[] = "a|b|c";
    EXPECT_EQ(Split(text, 2), (Fields{"a", "b", "rest=c"}));
    char all[] = "a|b|c";
    EXPECT_EQ(Split(all, 5), (Fields{"a", "b", "c", "<null>"}));
    char exact[] = "a|b";
    EXPECT_EQ(Split(exact, 2), (Fields{"a", "b", "<null>"}));
    char barAtMax[] = "a|";  // the bar after the last field is cleared
    EXPECT_EQ(Split(barAtMax, 1), (Fields{"a", "rest="}));
}

TEST(ZepSplitBarTest, EmptyFieldsAndDegenerateInput) {
    char empty[] = "";
    EXPECT_EQ(Split(empty, 5), (Fields{"", "<null>"}));
    char trailing[] = "a||b|";
    EXPECT_EQ(Split(trailing, 8), (Fields{"a", "", "b", "", "<null>"}));
    EXPECT_EQ(Split(nullptr, 3), (Fields{"<null>"}));
    char text[] = "a|b";
    EXPECT_EQ(Split(text, 0), (Fields{"<null>"}));
    char* fields[2];
    EXPECT_EQ(ZepSplitBar(text, fields, 2, nullptr), 2);  // rest may be omitted
}

TEST(ZepSplitPathTest, MasksChooseThePartsWithEitherSeparator) {
    const char* slash = "/games/pvbn/app.tar.exe";
    EXPECT_EQ(ZepSplitPath(slash, kZepPathDrive), "");
    EXPECT_EQ(ZepSplitPath(slash, kZepPathFolder), "/games/pvbn/");
    EXPECT_EQ(ZepSplitPath(slash, kZepPathTitle), "app.tar");
    EXPECT_EQ(ZepSplitPath(slash, kZepPathExtension), ".exe");
    EXPECT_EQ(ZepSplitPath(slash, 3), "/games/pvbn/");
    EXPECT_EQ(ZepSplitPath(slash, kZepPathTitle | kZepPathExtension), "app.tar.exe");

    const char* mixed = "games\\pvbn/sub.dir\\readme";
    EXPECT_EQ(ZepSplitPath(mixed, 3), "games\\pvbn/sub.dir\\");
    EXPECT_EQ(ZepSplitPath(mixed, kZepPathTitle), "readme");
    EXPECT_EQ(ZepSplitPath(mixed, kZepPathExtension), "");
    EXPECT_EQ(ZepSplitPath("app.exe", 3), "");
    EXPECT_EQ(ZepSplitPath(nullptr, 15), "");
}

TEST(ZepPathTest, ExeDirEndsWithSlashAndFileExistsTellsFilesFromFolders) {
    const std::string exeDir = ZepGetExeDir();
    ASSERT_FALSE(exeDir.empty());
    EXPECT_EQ(exeDir.back(), '/');

    zeptest::TempFolder folder;
    zeptest::WriteFileBytes(folder.Path() / "Data.txt", "x");
    std::filesystem::create_directory(folder.Path() / "Sub");
    zeptest::WriteFileBytes(folder.Path() / "Sub" / "inner.txt", "y");
    const std::string base = folder.WithSlash();

    EXPECT_EQ(ZepFileExists((base + "Data.txt").c_str(), 0), 1);
    EXPECT_EQ(ZepFileExists((base + "Data.txt").c_str(), 1), 0);
    EXPECT_EQ(ZepFileExists((base + "Sub").c_str(), 1), 1);
    EXPECT_EQ(ZepFileExists((base + "Sub").c_str(), 0), 0);
    EXPECT_EQ(ZepFileExists((base + "DATA.TXT").c_str(), 0), 1);  // case fallback
    EXPECT_EQ(ZepFileExists((base + "Sub\\inner.txt").c_str(), 0), 1);
    EXPECT_EQ(ZepFileExists((base + "*.txt").c_str(), 0), 0);  // no wildcards
    EXPECT_EQ(ZepFileExists(nullptr, 0), 0);
}

TEST(ZepNumbersTest, HexAndPowersOfTwo) {
    const uint8_t bytes[] = {0x00, 0x0f, 0xa5, 0xff};
    std::string text = "id=";
    ZepBinToHex(bytes, 4, text);
    ZepBinToHex(bytes, -3, text);
    EXPECT_EQ(text, "id=000fa5ff");

    EXPECT_EQ(ZepGetFloorLog2(1), 0);
    EXPECT_EQ(ZepGetFloorLog2(3), 1);
    EXPECT_EQ(ZepGetFloorLog2(1025), 10);
    EXPECT_EQ(ZepGetFloorLog2(0xFFFFFFFFu), 31);
    EXPECT_EQ(ZepGetPowerOfTwo(-4), 1u);
    EXPECT_EQ(ZepGetPowerOfTwo(10), 1024u);
    EXPECT_EQ(ZepGetPowerOfTwo(31), 0x80000000u);
    EXPECT_EQ(ZepGetPowerOfTwo(32), 0u);  // does not fit
}

TEST(ZepRandomTest, GenRandomBytesReportsTheSource) {
    uint8_t out[20] = {};
    {
        FakeRandomSource source;
        EXPECT_EQ(ZepGenRandomBytes(out, sizeof out), 1);
        EXPECT_EQ(out[19], static_cast<uint8_t>(19 * 0x11));
    }
    FakeRandomSource failing(true);
    EXPECT_EQ(ZepGenRandomBytes(out, sizeof out), 0);
    EXPECT_EQ(ZepGenRandomBytes(out, 0), 1);
}

TEST(ZepRandomTest, FillRandomHexWritesThirtyDigitsIntoThirtyOneBytes) {
    FakeRandomSource source;
    auto text = std::make_unique<char[]>(31);  // exact size: ASan sees any overrun
    text[0] = '\0';
    EXPECT_EQ(ZepFillRandomHexIfEmpty(text.get()), 1);
    EXPECT_STREQ(text.get(), "00112233445566778899aabbccddee");

    char given[32] = "keep";
    EXPECT_EQ(ZepFillRandomHexIfEmpty(given), 0);
    EXPECT_STREQ(given, "keep");
    EXPECT_EQ(ZepFillRandomHexIfEmpty(nullptr), 0);
}

TEST(ZepRandomTest, FillRandomHexLeavesTheTextWhenTheSourceFails) {
    FakeRandomSource failing(true);
    char text[31] = "";
    EXPECT_EQ(ZepFillRandomHexIfEmpty(text), 0);
    EXPECT_STREQ(text, "");
}

}  // namespace
