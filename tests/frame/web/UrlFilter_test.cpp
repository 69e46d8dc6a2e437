#include "frame/web/UrlFilter.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "frame/web/FixHtmlView.h"
#include "tests/platform/TempFolder.h"
#include "zep/ZepAes.h"

namespace {

// Runs the filter file tool; its exit status.
int RunTool(const std::vector<std::string>& arguments) {
    std::string command = "'" URL_FILTER_PROGRAM "'";
    for (const std::string& argument : arguments) {
        command += " '" + argument + "'";
    }
    command += " 2>/dev/null >/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A browser that reads the named filter file.
struct FilteredBrowser : CFixHtmlView {
    explicit FilteredBrowser(const std::string& file) {
        EnableUrlFilter(true);
        SetUrlFilterFile(file);
    }
};

TEST(UrlFilterTest, AHostIsAllowedByItselfItsParentOrItsLastTwoLabels) {
    const std::vector<std::string> list = {"q.r.s", "c.d", "solo", "x.y"};
    EXPECT_TRUE(IsHostListed("p.q.r.s", list));     // after the first dot
    EXPECT_FALSE(IsHostListed("o.p.q.r.s", list));  // q.r.s is neither
    EXPECT_TRUE(IsHostListed("a.b.c.d", list));     // the last two labels
    EXPECT_TRUE(IsHostListed("b.c.d", list));
    EXPECT_TRUE(IsHostListed("SOLO", list));
    EXPECT_FALSE(IsHostListed("solo2", list));
    EXPECT_TRUE(IsHostListed("X.Y", list));
    EXPECT_TRUE(IsHostListed("w.x.y", list));
    EXPECT_FALSE(IsHostListed("", list));
    EXPECT_FALSE(IsHostListed(".", list));
    EXPECT_FALSE(IsHostListed("c.d.", {"c.d"}));
}

TEST(UrlFilterTest, TheHostEndsAtItsFirstDelimiterAndDropsItsUserPart) {
    EXPECT_EQ(UrlFilterSubjectOf("http://evil.example?x.allowed.tld").host, "evil.example");
    EXPECT_EQ(UrlFilterSubjectOf("HTTP://Evil.Example#.allowed.tld").host, "evil.example");
    EXPECT_EQ(UrlFilterSubjectOf("http://evil.example\\.allowed.tld/").host, "evil.example");
    EXPECT_EQ(UrlFilterSubjectOf("http://www.allowed.tld@evil.example/").host, "evil.example");
    EXPECT_EQ(UrlFilterSubjectOf("http://a@b@www.allowed.tld/x@y").host, "www.allowed.tld");
    EXPECT_EQ(UrlFilterSubjectOf("http://www.allowed.tld:8080/").host, "www.allowed.tld:8080");
    EXPECT_EQ(UrlFilterSubjectOf("https://www.allowed.tld/").host, "https:");
    EXPECT_EQ(UrlFilterSubjectOf("http://user@/").host, "");
    EXPECT_EQ(UrlFilterSubjectOf("http:///x").host, "");
    EXPECT_EQ(UrlFilterSubjectOf("").host, "");
    EXPECT_TRUE(UrlFilterSubjectOf("JavaScript:go('a/b')").script);
    EXPECT_FALSE(UrlFilterSubjectOf("http://javascript:x").script);  // a host and a port
    EXPECT_FALSE(UrlFilterSubjectOf("http://x@javascript:y").script);
}

class UrlFilterFileTest : public ::testing::Test {
protected:
    std::string WriteList(const std::vector<std::string>& domains) {
        std::vector<std::string> arguments = {folder / "domain.dat"};
        arguments.insert(arguments.end(), domains.begin(), domains.end());
        EXPECT_EQ(RunTool(arguments), 0);
        return folder / "domain.dat";
    }
    TempFolder folder;
};

TEST_F(UrlFilterFileTest, TheToolWritesRecordsTheBrowserReads) {
    const std::string file = WriteList({"Allowed.TLD", "web.example", "localhost"});
    std::vector<std::string> list;
    EXPECT_EQ(ReadUrlFilterFile(file, list), 3);
    EXPECT_EQ(list, (std::vector<std::string>{"allowed.tld", "web.example", "localhost"}));
    EXPECT_EQ(folder.Read("domain.dat").size(), 3 * kUrlFilterRecordSize);

    FilteredBrowser browser(file);
    EXPECT_TRUE(browser.IsUrlAllowed("http://www.allowed.tld/page"));
    EXPECT_TRUE(browser.IsUrlAllowed("http://a.b.web.example/"));
    EXPECT_TRUE(browser.IsUrlAllowed("http://LOCALHOST/x"));
    EXPECT_TRUE(browser.IsUrlAllowed("www.allowed.tld"));  // no scheme: the text as it stands
    EXPECT_FALSE(browser.IsUrlAllowed("http://evil.example/"));
    EXPECT_FALSE(browser.IsUrlAllowed("http://evil.example?x.allowed.tld"));
    EXPECT_FALSE(browser.IsUrlAllowed("http://evil.example#x.allowed.tld"));
    EXPECT_FALSE(browser.IsUrlAllowed("http://evil.example\\x.allowed.tld"));
    EXPECT_FALSE(browser.IsUrlAllowed("http://www.allowed.tld@evil.example/"));
    EXPECT_TRUE(browser.IsUrlAllowed("http://evil.example@www.allowed.tld/"));
    // As written: the port stays attached, https keeps its scheme.
    EXPECT_FALSE(browser.IsUrlAllowed("http://www.allowed.tld:8080/"));
    EXPECT_FALSE(browser.IsUrlAllowed("https://www.allowed.tld/"));
    EXPECT_TRUE(browser.IsUrlAllowed("javascript:void(0)"));

    ASSERT_EQ(RunTool({"--list", file}), 0);
}

// "javascript:" behind "http://" is a user part: the browser loads the host.
TEST_F(UrlFilterFileTest, AUserPartNamedJavascriptDoesNotPassTheHost) {
    FilteredBrowser browser(WriteList({"allowed.tld"}));
    EXPECT_FALSE(browser.IsUrlAllowed("http://javascript:x@evil.example/"));
    EXPECT_FALSE(browser.IsUrlAllowed("http://javascript:@evil.example/path"));
    EXPECT_FALSE(browser.IsUrlAllowed("HTTP://JavaScript:a@evil.example"));
    EXPECT_TRUE(browser.IsUrlAllowed("http://javascript:x@www.allowed.tld/"));
    EXPECT_TRUE(browser.IsUrlAllowed("JavaScript:go('http://evil.example/')"));
}

TEST_F(UrlFilterFileTest, WithoutAWholeRecordOnlyScriptsPass) {
    FilteredBrowser missing(folder / "none.dat");
    EXPECT_FALSE(missing.IsUrlAllowed("http://web.example/"));
    EXPECT_TRUE(missing.IsUrlAllowed("javascript:alert(1)"));

    const std::string file = WriteList({"web.example"});
    folder.Write("short.dat", folder.Read("domain.dat").substr(0, 63));
    FilteredBrowser shortFile(folder / "short.dat");
    EXPECT_FALSE(shortFile.IsUrlAllowed("http://web.example/"));

    // A torn last record is not read; the whole one before it is.
    folder.Write("torn.dat", folder.Read("domain.dat") + std::string(40, 'x'));
    FilteredBrowser torn(folder / "torn.dat");
    std::vector<std::string> list;
    EXPECT_EQ(torn.LoadUrlFilter(list), 1);
    EXPECT_TRUE(torn.IsUrlAllowed("http://web.example/"));
}

TEST_F(UrlFilterFileTest, ARecordWithoutNulGivesItsSixtyFourBytes) {
    const std::array<uint8_t, 128> key = UrlFilterKeyBlock();
    const std::string plain(kUrlFilterRecordSize, 'A');
    uint8_t cipher[kUrlFilterRecordSize + 16] = {};
    uint32_t length = sizeof cipher;
    ASSERT_EQ(ZepAesCodec::Process(key.data(), 128, reinterpret_cast<const uint8_t*>(plain.data()),
                                   kUrlFilterRecordSize, cipher, &length, 0x101),
              1);
    folder.Write("nonul.dat", std::string(reinterpret_cast<char*>(cipher), kUrlFilterRecordSize));
    std::vector<std::string> list;
    EXPECT_EQ(ReadUrlFilterFile(folder / "nonul.dat", list), 1);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], std::string(kUrlFilterRecordSize, 'a'));
}

TEST_F(UrlFilterFileTest, TheToolRefusesADomainThatDoesNotFit) {
    EXPECT_EQ(RunTool({folder / "long.dat", "ok.example", std::string(64, 'a')}), 1);
    EXPECT_EQ(folder.Read("long.dat"), "");
    EXPECT_EQ(RunTool({folder / "edge.dat", std::string(63, 'a')}), 0);
    std::vector<std::string> list;
    EXPECT_EQ(ReadUrlFilterFile(folder / "edge.dat", list), 1);
    EXPECT_EQ(list[0], std::string(63, 'a'));
    EXPECT_EQ(RunTool({}), 2);
}

}  // namespace
