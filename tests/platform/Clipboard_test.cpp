#include "platform/Clipboard.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/Browser.h"

namespace {

const std::string kGbkSongTi = "\xCB\xCE\xCC\xE5";           // 宋体
const std::string kUtf8SongTi = "\xE5\xAE\x8B\xE4\xBD\x93";  // 宋体

class ClipboardTest : public ::testing::Test {
protected:
    ~ClipboardTest() override {
        platform::SetClipboardBackend(nullptr);
        platform::DefaultClipboard().SetUnavailable(false);
        platform::DefaultClipboard().Clear();
        platform::SetBrowserBackend(nullptr);
        platform::DefaultBrowser().Clear();
    }
};

TEST_F(ClipboardTest, TextIsGbkInsideAndUtf8AtTheClipboard) {
    platform::MemoryClipboardBackend memory;
    platform::SetClipboardBackend(&memory);
    EXPECT_EQ(platform::GetClipboardText(), std::nullopt) << "holds no text yet";
    ASSERT_TRUE(platform::SetClipboardText(kGbkSongTi + "ab"));
    EXPECT_EQ(memory.GetText(), kUtf8SongTi + "ab");
    EXPECT_EQ(platform::GetClipboardText(), kGbkSongTi + "ab");

    // Clipboard text ends at its first zero byte, either way.
    ASSERT_TRUE(platform::SetClipboardText(std::string("cut\0here", 8)));
    EXPECT_EQ(memory.GetText(), "cut");
    ASSERT_TRUE(memory.SetText(std::string("in\0side", 7)));
    EXPECT_EQ(platform::GetClipboardText(), "in");
}

TEST_F(ClipboardTest, AClipboardThatCannotBeOpenedKeepsItsText) {
    ASSERT_TRUE(platform::SetClipboardText("kept"));
    platform::DefaultClipboard().SetUnavailable(true);
    EXPECT_FALSE(platform::SetClipboardText("lost"));
    EXPECT_EQ(platform::GetClipboardText(), std::nullopt);
    platform::DefaultClipboard().SetUnavailable(false);
    EXPECT_EQ(platform::GetClipboardText(), "kept");
}

TEST_F(ClipboardTest, TheSdlClipboardRoundTrips) {
    std::unique_ptr<platform::ClipboardBackend> sdl = platform::MakeSdlClipboardBackend();
    ASSERT_NE(sdl, nullptr) << "SDL video starts under the dummy driver";
    platform::SetClipboardBackend(sdl.get());
    ASSERT_TRUE(platform::SetClipboardText(kGbkSongTi));
    EXPECT_EQ(sdl->GetText(), kUtf8SongTi);
    EXPECT_EQ(platform::GetClipboardText(), kGbkSongTi);
    platform::SetClipboardBackend(nullptr);
}

TEST_F(ClipboardTest, OnlyWebAddressesReachTheBrowser) {
    EXPECT_EQ(platform::NormaliseWebAddress("http://a.example/x?y=1"), "http://a.example/x?y=1");
    EXPECT_EQ(platform::NormaliseWebAddress("HTTPS://A.example"), "HTTPS://A.example");
    EXPECT_EQ(platform::NormaliseWebAddress("www.example.com/p"), "http://www.example.com/p");
    for (const char* refused :
         {"", "javascript:alert(1)", "file:///etc/passwd", "-option", "ftp://a.example", "http://",
          "http:///x", "http://-a", "http://a b", "http://a\"b", "http://a\nb", "mailto:x@y"}) {
        EXPECT_EQ(platform::NormaliseWebAddress(refused), "") << refused;
        EXPECT_FALSE(platform::OpenWebAddress(refused));
    }
    EXPECT_TRUE(platform::OpenWebAddress("http://x.example/" + kGbkSongTi));
    EXPECT_EQ(platform::DefaultBrowser().Opened(),
              std::vector<std::string>{"http://x.example/" + kUtf8SongTi});
}

TEST_F(ClipboardTest, FoldersThatExistOpenInTheFileManager) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("browser_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "Temp");
    std::ofstream(folder / "file.txt") << "x";
    // Built with backslashes and the wrong case, as the program names them.
    std::string windowsStyle = folder.string() + "\\temp\\";
    EXPECT_TRUE(platform::OpenFolder(windowsStyle));
    EXPECT_EQ(platform::DefaultBrowser().Opened(),
              std::vector<std::string>{(folder / "Temp").string() + "/"});
    EXPECT_FALSE(platform::OpenFolder((folder / "file.txt").string())) << "files never open";
    EXPECT_FALSE(platform::OpenFolder((folder / "missing").string()));
    EXPECT_FALSE(platform::OpenFolder("relative/path"));
    EXPECT_EQ(platform::DefaultBrowser().Opened().size(), 1u);
    std::filesystem::remove_all(folder);
}

}  // namespace
