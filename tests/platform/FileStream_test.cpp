#include "platform/FileStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "platform/Folder.h"

namespace {

TEST(FileStream, OpensByClientNamesAndReadsRanges) {
    TempFolder temp;
    temp.Write("Packs/Skin.KOR", "0123456789");
    platform::FileStream stream;
    ASSERT_TRUE(stream.Open(temp.Path() + "packs\\skin.kor"));
    ASSERT_EQ(stream.Length(), 10u);

    char buffer[8] = {};
    EXPECT_EQ(stream.ReadAt(3, buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "3456");
    // Ranges are independent of one another and end short at the end.
    EXPECT_EQ(stream.ReadAt(0, buffer, 2), 2u);
    EXPECT_EQ(std::string(buffer, 2), "01");
    EXPECT_EQ(stream.ReadAt(7, buffer, 8), 3u);
    EXPECT_EQ(stream.ReadAt(10, buffer, 1), 0u);
    EXPECT_EQ(stream.ReadAt(UINT64_MAX, buffer, 1), 0u);

    platform::FileStream moved(std::move(stream));
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(moved.ReadAt(9, buffer, 1), 1u);
    moved.Close();
    EXPECT_EQ(moved.ReadAt(0, buffer, 1), 0u);
    EXPECT_FALSE(moved.Length().has_value());
}

TEST(FileStream, RefusesFoldersAndMissingFiles) {
    TempFolder temp;
    temp.Write("Sub/a.txt", "a");
    platform::FileStream stream;
    EXPECT_FALSE(stream.Open(temp.Path() + "Sub"));
    EXPECT_FALSE(stream.Open(temp.Path() + "Sub/b.txt"));
    EXPECT_FALSE(stream.Open(""));
    EXPECT_FALSE(stream.IsOpen());
}

TEST(ListFolderFiles, ListsOnlyFilesInByteOrder) {
    TempFolder temp;
    for (const char* name : {"b.png", "\xCB\xCE.png", "B.png", "a.gif", ".hidden"}) {
        temp.Write(std::string("Skin/") + name, "x");
    }
    temp.Write("Skin/Inner/c.png", "x");

    const std::vector<std::string> expected = {".hidden", "B.png", "a.gif", "b.png",
                                               "\xCB\xCE.png"};
    EXPECT_EQ(platform::ListFolderFiles(temp.Path() + "Skin"), expected);
    EXPECT_EQ(platform::ListFolderFiles(temp.Path() + "skin\\"), expected);
    EXPECT_TRUE(platform::ListFolderFiles(temp.Path() + "Skin/Inner/c.png").empty());
    EXPECT_TRUE(platform::ListFolderFiles(temp.Path() + "Missing").empty());
}

}  // namespace
