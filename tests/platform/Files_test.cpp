#include "platform/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "ScopedEnv.h"
#include "TempFolder.h"

namespace {

using platform::PathKind;

TEST(NormalisePath, UnifiesAndCollapsesSeparators) {
    EXPECT_EQ(platform::NormalisePath("a\\b//c\\\\d"), "a/b/c/d");
    EXPECT_EQ(platform::NormalisePath("\\\\x\\y\\"), "/x/y/");
    EXPECT_EQ(platform::NormalisePath("/"), "/");
    EXPECT_EQ(platform::NormalisePath(""), "");
}

TEST(ResolvePath, FindsNamesThatDifferOnlyInCase) {
    TempFolder temp;
    temp.Write("Data/Sub/File.TXT", "x");
    const std::string expected = temp / "Data/Sub/File.TXT";

    EXPECT_EQ(platform::ResolvePath(temp.Path() + "data\\SUB\\file.txt"), expected);
    EXPECT_EQ(platform::ResolvePath(temp.Path() + "Data/Sub/File.TXT"), expected);
    EXPECT_EQ(platform::ResolvePath(temp.Path() + "DATA/sub/"), temp / "Data/Sub/");
    // A miss comes back normalised and unchanged.
    EXPECT_EQ(platform::ResolvePath(temp.Path() + "data\\nothing.txt"), temp / "data/nothing.txt");
}

TEST(ResolvePath, ChoosesDeterministically) {
    TempFolder temp;
    temp.Write("a.TXT", "lower");
    temp.Write("A.txt", "upper");
    temp.Write("b.txt", "exact");
    temp.Write("B.TXT", "other");

    // No exact name: the first match in byte order ('A' < 'a').
    EXPECT_EQ(platform::ResolvePath(temp / "a.txt"), temp / "A.txt");
    // The exact name wins over every other spelling.
    EXPECT_EQ(platform::ResolvePath(temp / "B.TXT"), temp / "B.TXT");
}

TEST(ResolvePath, SkipsFilesWhereAFolderIsNeeded) {
    TempFolder temp;
    temp.Write("CFG", "a file that sorts first");
    temp.Write("cfg/Game.ini", "x");
    EXPECT_EQ(platform::ResolvePath(temp / "Cfg/game.INI"), temp / "cfg/Game.ini");
}

TEST(PathKind, UsesTheCaseFallbackAndNoWildcards) {
    TempFolder temp;
    temp.Write("Folder/Pic.png", "x");

    EXPECT_EQ(platform::GetPathKind(temp / "folder\\pic.PNG"), PathKind::File);
    EXPECT_EQ(platform::GetPathKind(temp / "FOLDER"), PathKind::Directory);
    EXPECT_EQ(platform::GetPathKind(temp / "Folder/*.png"), PathKind::Missing);
    EXPECT_EQ(platform::GetPathKind(temp / "Folder/Pic.pn?"), PathKind::Missing);
    EXPECT_EQ(platform::GetPathKind(""), PathKind::Missing);
    EXPECT_TRUE(platform::FileExists(temp / "FOLDER/PIC.PNG"));
    EXPECT_FALSE(platform::FileExists(temp / "Folder/Pic.jpg"));
}

TEST(MakeDirectory, CreatesOneLevelInsideAnExistingParent) {
    TempFolder temp;
    temp.Write("Save/keep", "");

    EXPECT_TRUE(platform::MakeDirectory(temp / "save\\Logs\\"));  // parent found by case
    EXPECT_TRUE(std::filesystem::is_directory(temp / "Save/Logs"));
    EXPECT_TRUE(platform::MakeDirectory(temp / "SAVE/logs"));  // already there
    EXPECT_FALSE(platform::MakeDirectory(temp / "missing/child"));
    EXPECT_FALSE(platform::MakeDirectory(temp / "Save/keep"));  // a file is in the way
    EXPECT_FALSE(platform::MakeDirectory(""));
}

TEST(SplitPath, SplitsOnBothSeparators) {
    const auto parts = platform::SplitPath("C:\\games\\mj/skin\\Back.Ground.png");
    EXPECT_EQ(parts.drive, "");
    EXPECT_EQ(parts.folder, "C:\\games\\mj/skin\\");
    EXPECT_EQ(parts.title, "Back.Ground");
    EXPECT_EQ(parts.extension, ".png");

    const auto bare = platform::SplitPath("readme");
    EXPECT_EQ(bare.folder, "");
    EXPECT_EQ(bare.title, "readme");
    EXPECT_EQ(bare.extension, "");

    const auto folderOnly = platform::SplitPath("a/b/");
    EXPECT_EQ(folderOnly.folder, "a/b/");
    EXPECT_EQ(folderOnly.title, "");

    EXPECT_EQ(platform::SplitPath("x/.hidden").extension, ".hidden");
}

TEST(WholeFile, WritesAndReadsExactBytes) {
    TempFolder temp;
    const std::string bytes("a\0b\r\n\xff", 6);
    char name[64];
    std::snprintf(name, sizeof(name), "%s", "sub\\Blob.bin");
    temp.Write("Sub/.keep", "");

    ASSERT_TRUE(platform::WriteWholeFile(temp.Path() + name, bytes.data(), bytes.size()));
    EXPECT_STREQ(name, "sub\\Blob.bin");  // the caller's name is left alone
    EXPECT_EQ(temp.Read("Sub/Blob.bin"), bytes);

    // Rewriting truncates, and the existing file is found by case.
    ASSERT_TRUE(platform::WriteWholeFile(temp / "SUB/blob.BIN", "xy", 2));
    const auto read = platform::ReadWholeFile(temp / "sub/blob.bin");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(std::string(read->begin(), read->end()), "xy");

    ASSERT_TRUE(platform::WriteWholeFile(temp / "empty", nullptr, 0));
    const auto empty = platform::ReadWholeFile(temp / "empty");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());
}

TEST(WholeFile, FailuresAreReported) {
    TempFolder temp;
    EXPECT_FALSE(platform::ReadWholeFile(temp / "missing").has_value());
    EXPECT_FALSE(platform::ReadWholeFile(temp.Path()).has_value());  // a folder
    EXPECT_FALSE(platform::ReadWholeFile("/dev/zero").has_value());  // never ends
    EXPECT_FALSE(platform::WriteWholeFile(temp / "no/such/folder/x", "x", 1));
    EXPECT_FALSE(platform::WriteWholeFile(temp / "x", nullptr, 1));
    EXPECT_FALSE(platform::AppendToFile(temp / "no/folder/log", "line\r\n"));
}

std::string LogLine(int thread, int index) {
    return "thread " + std::to_string(thread) + " line " + std::to_string(index) + " " +
           std::string(80, 'x') + "\r\n";
}

TEST(AppendToFile, ConcurrentLinesStayWhole) {
    TempFolder temp;
    const std::string log = temp / "Game.log";
    constexpr int kThreads = 4;
    constexpr int kLines = 250;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) {
                ASSERT_TRUE(platform::AppendToFile(log, LogLine(t, i)));
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }

    std::multiset<std::string> expected;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kLines; ++i) {
            expected.insert(LogLine(t, i));
        }
    }
    std::multiset<std::string> seen;
    const std::string content = temp.Read("Game.log");
    size_t start = 0;
    while (start < content.size()) {
        const size_t end = content.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        seen.insert(content.substr(start, end + 2 - start));
        start = end + 2;
    }
    EXPECT_EQ(seen, expected);
}

TEST(ReplaceFile, TruncatesOrReplacesAtomically) {
    TempFolder temp;
    temp.Write("Run.log", "old old old old");
    ASSERT_TRUE(platform::ReplaceFile(temp / "run.LOG", "new"));
    EXPECT_EQ(temp.Read("Run.log"), "new");

    temp.Write("Game.ini", "old");
    ::chmod((temp / "Game.ini").c_str(), 0600);
    ASSERT_TRUE(platform::ReplaceFileAtomically(temp / "game.ini", "[A]\r\n"));
    EXPECT_EQ(temp.Read("Game.ini"), "[A]\r\n");
    struct stat info;
    ASSERT_EQ(::stat((temp / "Game.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // Nothing but the file is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Path()), {}), 2);

    EXPECT_FALSE(platform::ReplaceFileAtomically(temp / "none/x.ini", "x"));
    EXPECT_FALSE(platform::ReplaceFileAtomically(temp.Path() + ".", "x"));  // a folder
}

TEST(ProgramFolder, IsTheExecutablesFolderUnlessOverridden) {
    const std::string real = platform::ProgramFolder();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real.back(), '/');
    EXPECT_EQ(platform::GetPathKind(real), PathKind::Directory);
    EXPECT_TRUE(std::filesystem::equivalent(
        real, std::filesystem::canonical("/proc/self/exe").parent_path()));

    platform::SetProgramFolderForTesting("/tmp/somewhere");
    EXPECT_EQ(platform::ProgramFolder(), "/tmp/somewhere/");
    platform::SetProgramFolderForTesting("");
    EXPECT_EQ(platform::ProgramFolder(), real);
}

TEST(ProgramFileName, IsTheExecutablesNameUnlessOverridden) {
    const std::string real = platform::ProgramFileName();
    EXPECT_EQ(real, std::filesystem::canonical("/proc/self/exe").filename().string());
    EXPECT_EQ(real.find('/'), std::string::npos);

    platform::SetProgramFileNameForTesting("abc.exe");
    EXPECT_EQ(platform::ProgramFileName(), "abc.exe");
    platform::SetProgramFileNameForTesting("");
    EXPECT_EQ(platform::ProgramFileName(), real);
}

TEST(SystemFolder, ThePrivateConfigFolderUnlessTheVariableNamesOne) {
    TempFolder temp;
    auto modeOf = [](const std::string& path) {
        struct stat info;
        return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 0777) : 0u;
    };
    {
        ScopedEnv chosen(platform::kSystemFolderVariable, temp.Path() + "sys\\deeper");
        EXPECT_EQ(platform::SystemFolder(), temp.Path() + "sys/deeper/");
        EXPECT_EQ(modeOf(temp.Path() + "sys/deeper"), 0700u);
    }
    ScopedEnv noChoice(platform::kSystemFolderVariable, std::nullopt);
    {
        ScopedEnv config("XDG_CONFIG_HOME", temp.Path() + "cfg");
        EXPECT_EQ(platform::SystemFolder(), temp.Path() + "cfg/pvbn/");
        EXPECT_EQ(modeOf(temp.Path() + "cfg"), 0700u);
        EXPECT_EQ(modeOf(temp.Path() + "cfg/pvbn"), 0700u);
    }
    ScopedEnv home("HOME", temp.Path() + "home");
    for (const std::optional<std::string>& config :
         {std::optional<std::string>(), std::optional<std::string>("relative/cfg"),
          std::optional<std::string>("")}) {
        ScopedEnv ignored("XDG_CONFIG_HOME", config);
        EXPECT_EQ(platform::SystemFolder(), temp.Path() + "home/.config/pvbn/");
    }
    EXPECT_EQ(platform::GetPathKind(temp.Path() + "home/.config/pvbn"), PathKind::Directory);

    // A folder that cannot be made still has its name; nothing opens in it.
    temp.Write("file", "x");
    ScopedEnv blocked(platform::kSystemFolderVariable, temp.Path() + "file/sys");
    EXPECT_EQ(platform::SystemFolder(), temp.Path() + "file/sys/");
    EXPECT_FALSE(platform::WriteWholeFile(platform::SystemFolder() + "hmbt.ini", "x", 1));
}

}  // namespace
