// HTTP GET against a loopback server run by the test, and FTP uploads to
// Debian's pyftpdlib run by Debian's own python3 on a loopback port.

#include "platform/Internet.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
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

extern char** environ;

namespace {

// One scripted answer: the bytes sent after the request, then either the
// connection is closed or held open until the server stops.
struct ScriptedReply {
    std::string bytes;
    bool holdOpen = false;
};

// An HTTP server on a loopback port that answers each connection with the
// next scripted reply and records the request lines.
class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(std::vector<ScriptedReply> replies)
        : replies_(replies.begin(), replies.end()) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "the test server cannot listen";
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }

    ~LoopbackHttpServer() {
        stop_.store(true);
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(listener_);
    }

    uint16_t Port() const { return port_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    std::vector<std::string> RequestLines() {
        std::lock_guard lock(mutex_);
        return requestLines_;
    }

private:
    // Waits for the socket to be readable while the server runs.
    bool WaitReadable(int socket) {
        while (!stop_.load()) {
            pollfd entry{socket, POLLIN, 0};
            if (::poll(&entry, 1, 20) > 0) {
                return true;
            }
        }
        return false;
    }

    void Serve() {
        while (WaitReadable(listener_)) {
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) {
                continue;
            }
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos && WaitReadable(connection)) {
                const ssize_t got = ::recv(connection, buffer, sizeof(buffer), 0);
                if (got <= 0) {
                    break;
                }
                request.append(buffer, static_cast<size_t>(got));
            }
            ScriptedReply reply;
            {
                std::lock_guard lock(mutex_);
                requestLines_.push_back(request.substr(0, request.find("\r\n")));
                if (!replies_.empty()) {
                    reply = replies_.front();
                    replies_.pop_front();
                }
            }
            ::send(connection, reply.bytes.data(), reply.bytes.size(), MSG_NOSIGNAL);
            while (reply.holdOpen && !stop_.load()) {
                platform::SleepMs(10);
            }
            ::close(connection);
        }
    }

    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::deque<ScriptedReply> replies_;
    std::vector<std::string> requestLines_;
};

std::string Answer(const std::string& statusLine, const std::string& body) {
    return "HTTP/1.1 " + statusLine + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

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
    LoopbackHttpServer server({{Answer("200 OK", body)}, {Answer("200 OK", "x")}});
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
    LoopbackHttpServer server({{Answer("404 Not Found", "<notify>missing")},
                               {Answer("204 No Content", "")},
                               {"HTTP/1.1 302 Found\r\nLocation: /other\r\nContent-Length: 0\r\n"
                                "Connection: close\r\n\r\n"},
                               {Answer("500 Oops", std::string(2 * 1024 * 1024, 'x'))}});
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
        {Answer("200 OK", exact)},
        {Answer("200 OK", over)},
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
    LoopbackHttpServer server({{Answer("200 OK", full)}, {Answer("200 OK", full + "n")}});
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
        std::vector<std::string> args = {kPython, "-c", kFtpServerScript, folder.Path() + "root",
                                         folder.Path() + "port"};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const std::string log = folder.Path() + "ftp.log";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawn(&pid_, kPython, &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }

    ~FtpServerProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }

    // The port once the server listens; 0 (with a failure) when it did not
    // come up within ten seconds.
    uint16_t WaitForPort() {
        for (int i = 0; i < 1000 && pid_ > 0; ++i) {
            const std::string port = folder_.Read("port");
            if (!port.empty()) {
                return static_cast<uint16_t>(std::stoi(port));
            }
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            platform::SleepMs(10);
        }
        ADD_FAILURE() << "pyftpdlib did not start (install python3-pyftpdlib):\n"
                      << folder_.Read("ftp.log");
        return 0;
    }

private:
    const TempFolder& folder_;
    pid_t pid_ = -1;
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
