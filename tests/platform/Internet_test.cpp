// HTTP GET against a loopback server run by the test, and FTP uploads to
// Debian's pyftpdlib run by Debian's own python3 on a loopback port.

#include "platform/Internet.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "platform/Sync.h"
#include "tests/platform/LoopbackHttpServer.h"
#include "tests/support/ChildProcess.h"

namespace {

platform::HttpGetOptions Quick() {
    platform::HttpGetOptions options;
    options.connectTimeoutMs = 2000;
    options.totalTimeoutMs = 5000;
    return options;
}

TEST(HttpGet, Status200GivesTheWholeBodyAsSent) {
    std::string body = "<notify>";
    for (int i = 0; i < 256; ++i) {
        body.push_back(static_cast<char>(i));  // binary, with CR, LF and zeros
    }
    LoopbackHttpServer server({{HttpAnswer("200 OK", body)}, {HttpAnswer("200 OK", "x")}});
    const auto result = platform::HttpGet(server.Url("/notify/game/7.txt"), Quick());
    EXPECT_EQ(result.outcome, platform::HttpOutcome::Ok) << result.error;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, body);

    // The notice address's double slash goes out as written.
    EXPECT_EQ(platform::HttpGet(server.Url("//notify/game/7.txt"), Quick()).body, "x");
    const auto lines = server.RequestLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "GET /notify/game/7.txt HTTP/1.1");
    EXPECT_EQ(lines[1], "GET //notify/game/7.txt HTTP/1.1");
}

TEST(HttpGet, AnyOtherStatusIsRefusedWithoutItsBody) {
    LoopbackHttpServer server({{HttpAnswer("404 Not Found", "<notify>missing")},
                               {HttpAnswer("204 No Content", "")},
                               {"HTTP/1.1 302 Found\r\nLocation: /other\r\nContent-Length: 0\r\n"
                                "Connection: close\r\n\r\n"},
                               {HttpAnswer("500 Oops", std::string(2 * 1024 * 1024, 'x'))}});
    for (long status : {404L, 204L, 302L, 500L}) {
        const auto result = platform::HttpGet(server.Url("/n.txt"), Quick());
        EXPECT_EQ(result.outcome, platform::HttpOutcome::BadStatus) << status;
        EXPECT_EQ(result.status, status);
        EXPECT_TRUE(result.body.empty());
    }
    EXPECT_EQ(server.RequestLines().size(), 4u);  // the redirect was not followed
}

TEST(HttpGet, BodiesOverTheCapAreRefusedWhetherAnnouncedOrNot) {
    platform::HttpGetOptions options = Quick();
    options.maxBodyBytes = 1000;
    const std::string exact(1000, 'a');
    const std::string over(1001, 'b');
    LoopbackHttpServer server({
        {HttpAnswer("200 OK", exact)},
        {HttpAnswer("200 OK", over)},
        // No length: the body runs until the connection closes.
        {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + over},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
         "3e9\r\n" +
         over + "\r\n0\r\n\r\n"},
    });
    const auto fits = platform::HttpGet(server.Url("/a"), options);
    EXPECT_EQ(fits.outcome, platform::HttpOutcome::Ok) << fits.error;
    EXPECT_EQ(fits.body, exact);
    for (int i = 0; i < 3; ++i) {
        const auto result = platform::HttpGet(server.Url("/b"), options);
        EXPECT_EQ(result.outcome, platform::HttpOutcome::TooLarge) << i << " " << result.error;
        EXPECT_TRUE(result.body.empty());
    }
}

TEST(HttpGet, TheDefaultCapIsOneMebibyte) {
    const std::string full(1024 * 1024, 'n');
    LoopbackHttpServer server({{HttpAnswer("200 OK", full)}, {HttpAnswer("200 OK", full + "n")}});
    EXPECT_EQ(platform::HttpGet(server.Url("/a"), Quick()).body.size(), full.size());
    EXPECT_EQ(platform::HttpGet(server.Url("/b"), Quick()).outcome,
              platform::HttpOutcome::TooLarge);
}

TEST(HttpGet, ABodyCutShortFails) {
    LoopbackHttpServer server(
        {{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<notify>" + std::string(42, 'c')},
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n64\r\n<notify>only part"},
         {"HTTP/1.1 200"}});
    for (int i = 0; i < 3; ++i) {
        const auto result = platform::HttpGet(server.Url("/cut"), Quick());
        EXPECT_EQ(result.outcome, platform::HttpOutcome::Failed) << i;
        EXPECT_TRUE(result.body.empty());
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(HttpGet, AStalledServerTimesOut) {
    LoopbackHttpServer server(
        {{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n<not", true}, {"", true}});
    platform::HttpGetOptions options = Quick();
    options.totalTimeoutMs = 300;
    const uint32_t start = platform::GetTickCount32();
    EXPECT_EQ(platform::HttpGet(server.Url("/slow"), options).outcome,
              platform::HttpOutcome::TimedOut);
    EXPECT_EQ(platform::HttpGet(server.Url("/silent"), options).outcome,
              platform::HttpOutcome::TimedOut);
    EXPECT_LT(platform::GetTickCount32() - start, 4000u);
}

TEST(HttpGet, RefusedAddressesAndNoServerFail) {
    for (const char* url : {"", "http://127.0.0.1/a b", "http://127.0.0.1/a\r\nX: y",
                            "file:///etc/passwd", "ftp://127.0.0.1/x", "gopher://127.0.0.1/"}) {
        const auto result = platform::HttpGet(url, Quick());
        EXPECT_EQ(result.outcome, platform::HttpOutcome::Failed) << url;
        EXPECT_TRUE(result.body.empty());
    }
    // A port nobody listens on: the listener is closed before the request.
    uint16_t port = 0;
    {
        LoopbackHttpServer closed({});
        port = closed.Port();
    }
    const auto result =
        platform::HttpGet("http://127.0.0.1:" + std::to_string(port) + "/x", Quick());
    EXPECT_EQ(result.outcome, platform::HttpOutcome::Failed);
}

// --- FTP ---

constexpr const char* kPython = "/usr/bin/python3";  // Debian's, whatever PATH says

constexpr const char* kFtpServerScript = R"(
import logging, os, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
root, port_file = sys.argv[1], sys.argv[2]
logging.basicConfig(level=logging.DEBUG)
authorizer = DummyAuthorizer()
authorizer.add_user('player', 'secret', root, perm='elradfmwMT')
authorizer.add_anonymous(root, perm='elradfmwMT')
FTPHandler.authorizer = authorizer
FTPHandler.auth_failed_timeout = 0.05
server = FTPServer(('127.0.0.1', 0), FTPHandler)
with open(port_file + '.part', 'w') as f:
    f.write(str(server.socket.getsockname()[1]))
os.rename(port_file + '.part', port_file)
server.serve_forever()
)";

// pyftpdlib serving a folder on a free loopback port, with the user
// "player" (password "secret") and anonymous, both allowed to write.
class FtpServerProcess {
public:
    explicit FtpServerProcess(const TempFolder& folder) : folder_(folder) {
        std::filesystem::create_directories(folder.Path() + "root/sub");
        test_support::ChildOptions options;
        options.logFile = folder.Path() + "ftp.log";
        server_.Start(
            {kPython, "-c", kFtpServerScript, folder.Path() + "root", folder.Path() + "port"},
            options);
    }

    // The port once the server listens; 0 (with a failure) when it did not
    // come up within ten seconds.
    uint16_t WaitForPort() {
        for (int i = 0; i < 1000 && server_.Running(); ++i) {
            const std::string port = folder_.Read("port");
            if (!port.empty()) {
                return static_cast<uint16_t>(std::stoi(port));
            }
            platform::SleepMs(10);
        }
        ADD_FAILURE() << "pyftpdlib did not start (install python3-pyftpdlib):\n"
                      << folder_.Read("ftp.log");
        return 0;
    }

private:
    const TempFolder& folder_;
    test_support::ChildProcess server_;
};

std::string BinaryBytes(size_t size) {
    std::string bytes(size, '\0');
    uint32_t seed = 12345;
    for (char& c : bytes) {
        seed = seed * 1103515245 + 12345;
        c = static_cast<char>(seed >> 16);
    }
    return bytes + std::string("\r\n\n\r\0\x1a", 6);  // what a text transfer would change
}

class FtpUploadTest : public ::testing::Test {
protected:
    platform::FtpUpload Upload(const std::string& folder, const std::string& name) {
        platform::FtpUpload upload;
        upload.host = "127.0.0.1";
        upload.port = port_;
        upload.remoteFolder = folder;
        upload.remoteName = name;
        upload.localFile = temp_.Path() + "local.bin";
        upload.connectTimeoutMs = 5000;
        upload.totalTimeoutMs = 20000;
        return upload;
    }

    TempFolder temp_;
    FtpServerProcess server_{temp_};
    uint16_t port_ = server_.WaitForPort();
};

TEST_F(FtpUploadTest, AnonymousBinaryUploadToTheRootKeepsEveryByte) {
    ASSERT_NE(port_, 0);
    const std::string bytes = BinaryBytes(300 * 1024);
    temp_.Write("local.bin", bytes);
    const auto result = platform::UploadByFtp(Upload("/", "match 1.z"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(temp_.Read("root/match 1.z"), bytes);
    const std::string log = temp_.Read("ftp.log");
    EXPECT_NE(log.find("TYPE I"), std::string::npos) << log;
    EXPECT_TRUE(log.find("EPRT") != std::string::npos || log.find("PORT") != std::string::npos)
        << log;  // active mode
    EXPECT_EQ(log.find("PASV"), std::string::npos);
}

TEST_F(FtpUploadTest, UserAndPasswordUploadIntoAFolder) {
    ASSERT_NE(port_, 0);
    const std::string bytes = BinaryBytes(5000);
    temp_.Write("local.bin", bytes);
    auto upload = Upload("sub\\", "up.bin");
    upload.user = "player";
    upload.password = "secret";
    const auto result = platform::UploadByFtp(upload);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(temp_.Read("root/sub/up.bin"), bytes);

    upload.password = "wrong";
    upload.remoteName = "refused.bin";
    EXPECT_FALSE(platform::UploadByFtp(upload).ok);
    EXPECT_FALSE(std::filesystem::exists(temp_.Path() + "root/sub/refused.bin"));
}

TEST_F(FtpUploadTest, BadRequestsFailWithoutAnUpload) {
    ASSERT_NE(port_, 0);
    temp_.Write("local.bin", "data");
    auto missing = Upload("", "a.bin");
    missing.localFile = temp_.Path() + "nothing.bin";
    EXPECT_FALSE(platform::UploadByFtp(missing).ok);
    auto folder = Upload("", "b.bin");
    folder.localFile = temp_.Path();
    EXPECT_FALSE(platform::UploadByFtp(folder).ok);
    EXPECT_FALSE(platform::UploadByFtp(Upload("", "")).ok);
    auto badHost = Upload("", "c.bin");
    badHost.host = "127.0.0.1/evil";
    EXPECT_FALSE(platform::UploadByFtp(badHost).ok);
    badHost.host = "user@127.0.0.1";
    EXPECT_FALSE(platform::UploadByFtp(badHost).ok);
    auto noFolder = Upload("nowhere/", "d.bin");
    EXPECT_FALSE(platform::UploadByFtp(noFolder).ok);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_.Path() + "root"),
                            std::filesystem::directory_iterator()),
              1);  // only "sub"
}

}  // namespace
