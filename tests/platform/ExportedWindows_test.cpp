#include "platform/ExportedWindows.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/WindowLink.h"
#include "tests/platform/TempFolder.h"
#include "tests/platform/peers/WindowLinkPeer.h"
#include "tests/support/ChildProcess.h"

namespace platform {
namespace {

using namespace window_link_peer;

constexpr char kTestClass[] = "Link Test Window";
constexpr uint32_t kClientMessage = kMsgUser + 1001;  // carries pointers in its own process
constexpr size_t kHeaderBytes = 32;

struct Received {
    uintptr_t dwData = 0;
    WParam from = 0;
    std::vector<uint8_t> bytes;
};

// The test's own window: exported, takes no posts, keeps every copy-data
// record it gets and answers kSentBack with 1000 + the byte count.
class RecordingWindow : public Window {
public:
    ~RecordingWindow() override { Destroy(); }

    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        if (id != kMsgCopyData) {
            return Window::WindowProc(id, wParam, lParam);
        }
        const auto& record = *reinterpret_cast<const CopyDataRecord*>(lParam);
        const auto* bytes = static_cast<const uint8_t*>(record.lpData);
        received.push_back(Received{record.dwData, wParam, {bytes, bytes + record.cbData}});
        return record.dwData == kSentBack ? 1000 + static_cast<LResult>(record.cbData) : 0;
    }

    std::vector<Received> received;
};

// The other process of the link, its standard error in a log file.
class PeerProcess {
public:
    bool Start(const std::string& logFile) {
        std::filesystem::remove(logFile);
        test_support::ChildOptions options;
        options.logFile = logFile;
        return peer_.Start({WINDOW_LINK_PEER}, options);
    }
    void Kill() { peer_.Stop(0); }
    // Waits up to 5 s for the peer to end by itself (killing it after that):
    // true when it ended by itself with code 0 (no sanitizer found a fault).
    bool Reap() {
        const std::optional<int> status = peer_.WaitForExit(5000);
        peer_.Stop(0);
        return status == 0;
    }

private:
    test_support::ChildProcess peer_;
};

// Little-endian words, as the link writes them.
std::vector<uint8_t> Header(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> out;
    for (uint32_t w : words) {
        for (int shift = 0; shift < 32; shift += 8) {
            out.push_back(static_cast<uint8_t>(w >> shift));
        }
    }
    return out;
}

// Connects to a socket, writes the bytes and reads until the other end
// closes (or 3 s pass): what came back.
std::string RawExchange(const std::string& path, const std::vector<uint8_t>& bytes) {
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    std::string answer;
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        ::send(s, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        ::shutdown(s, SHUT_WR);
        char buffer[64];
        pollfd entry{s, POLLIN, 0};
        while (::poll(&entry, 1, 3000) > 0) {
            const ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            answer.append(buffer, static_cast<size_t>(n));
        }
    }
    ::close(s);
    return answer;
}

int CountLinkLines(const std::string& log) {
    int lines = 0;
    for (size_t at = log.find("window link:"); at != std::string::npos;
         at = log.find("window link:", at + 1)) {
        ++lines;
    }
    return lines;
}

class ExportedWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = temp_ / "windows";
        ::setenv(kWindowFolderVariable, folder_.c_str(), 1);
        RegisterWindowClass(kTestClass);
        ASSERT_TRUE(window_.Create(kTestClass));
        ASSERT_TRUE(ExportWindow(window_.Id(), {}));
    }
    void TearDown() override {
        if (peerId_ != 0) {
            const CopyDataRecord quit{kAskQuit, 0, nullptr};
            SendMessageTimeout(peerId_, kMsgCopyData, window_.Id(), reinterpret_cast<LParam>(&quit),
                               2000, nullptr);
            EXPECT_TRUE(peer_.Reap()) << PeerLog();
        }
        window_.Destroy();
        ::unsetenv(kWindowFolderVariable);
    }

    // Starts the peer and finds its window by class (which is what finding
    // by class across processes has to do).
    WindowId StartPeer() {
        EXPECT_TRUE(peer_.Start(temp_ / "peer.log"));
        // A sanitizer build starting beside a busy build can take seconds.
        for (int i = 0; i < 2000 && peerId_ == 0; ++i) {
            peerId_ = FindWindowByClass(kPeerClass);
            if (peerId_ == 0) {
                SleepMs(10);
            }
        }
        EXPECT_NE(peerId_, 0u) << PeerLog();
        return peerId_;
    }

    // Handles this thread's messages until the condition holds (or 5 s pass).
    bool PumpUntil(const std::function<bool()>& done) {
        const uint32_t start = GetTickCount32();
        while (!done()) {
            if (GetTickCount32() - start > 5000) {
                return false;
            }
            Message m;
            while (PeekMessage(m, PeekMode::Remove)) {
                DispatchMessage(m);
            }
            WaitMessage(20);
        }
        return true;
    }

    LResult Ask(uintptr_t what, const std::vector<uint8_t>& bytes, uint32_t timeoutMs,
                bool* delivered = nullptr) {
        const CopyDataRecord record{what, static_cast<uint32_t>(bytes.size()),
                                    bytes.empty() ? nullptr : bytes.data()};
        LResult result = -99;
        const bool ok = SendMessageTimeout(peerId_, kMsgCopyData, window_.Id(),
                                           reinterpret_cast<LParam>(&record), timeoutMs, &result);
        if (delivered != nullptr) {
            *delivered = ok;
        }
        return result;
    }

    std::string PeerLog() const { return temp_.Read("peer.log"); }

    TempFolder temp_;
    std::string folder_;
    RecordingWindow window_;
    PeerProcess peer_;
    WindowId peerId_ = 0;
};

TEST_F(ExportedWindowsTest, AcceptedPostReachesThePeerWithItsValues) {
    const WindowId peer = StartPeer();
    EXPECT_TRUE(IsWindow(peer));
    EXPECT_TRUE(PostMessage(peer, kPeerReport, window_.Id(), -5));
    ASSERT_TRUE(PumpUntil([&] { return !window_.received.empty(); }));
    const Received& report = window_.received.front();
    EXPECT_EQ(report.dwData, kReportedPost);
    EXPECT_EQ(report.from, peer);
    ASSERT_EQ(report.bytes.size(), 4u);
    int32_t value = 0;
    std::memcpy(&value, report.bytes.data(), 4);
    EXPECT_EQ(value, -5);  // lParam crosses sign-extended

    // A value wider than 32 bits is not sent.
    EXPECT_FALSE(PostMessage(peer, kPeerReport, WParam{1} << 40, 0));
}

TEST_F(ExportedWindowsTest, PostsTheWindowDoesNotAcceptAreRefusedAndLogged) {
    const WindowId peer = StartPeer();
    for (uint32_t id : {kClientMessage, kMsgApp + 1461, kMsgApp + 1559, kMsgApp + 1560}) {
        EXPECT_FALSE(PostMessage(peer, id, 0, 0)) << id;
    }
    EXPECT_FALSE(PostMessage(peer, kMsgCopyData, 0, 0));  // never as a post
    EXPECT_EQ(CountLinkLines(PeerLog()), 4);              // kMsgCopyData is not even sent
    // The peer is unharmed.
    EXPECT_TRUE(PostMessage(peer, kPeerReport, window_.Id(), 1));
    EXPECT_TRUE(PumpUntil([&] { return !window_.received.empty(); }));
}

TEST_F(ExportedWindowsTest, CopyDataIsAnsweredSynchronouslyWithTheHandlersResult) {
    StartPeer();
    std::vector<uint8_t> bytes(100000);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    bool delivered = false;
    EXPECT_EQ(Ask(kAskChecksum, bytes, 5000, &delivered), Checksum(bytes.data(), bytes.size()));
    EXPECT_TRUE(delivered);
    EXPECT_EQ(Ask(kAskChecksum, {}, 5000), Checksum(nullptr, 0));

    std::vector<uint8_t> largest(kMaxCopyDataBytes, 0x5A);
    EXPECT_EQ(Ask(kAskChecksum, largest, 5000), Checksum(largest.data(), largest.size()));
    largest.push_back(0);
    EXPECT_EQ(Ask(kAskChecksum, largest, 5000, &delivered), 0);
    EXPECT_FALSE(delivered);

    // Other messages do not cross by SendMessageTimeout.
    LResult result = -1;
    EXPECT_FALSE(SendMessageTimeout(peerId_, kPeerReport, 0, 0, 1000, &result));
    EXPECT_EQ(result, 0);
}

TEST_F(ExportedWindowsTest, SenderGetsZeroAtItsTimeOutAndThePeerCarriesOn) {
    StartPeer();
    bool delivered = true;
    EXPECT_EQ(Ask(kAskSlow, {}, 200, &delivered), 0);
    EXPECT_FALSE(delivered);
    const std::vector<uint8_t> bytes{1, 2, 3};
    // Answered once the slow handler is done; generous for a loaded machine.
    EXPECT_EQ(Ask(kAskChecksum, bytes, 15000), Checksum(bytes.data(), 3));
}

TEST_F(ExportedWindowsTest, PostsDoNotWaitBehindACopyDataBeingHandled) {
    const WindowId peer = StartPeer();
    std::atomic<bool> slowAnswered{false};
    std::atomic<LResult> slowResult{0};
    const WindowId me = window_.Id();
    std::thread slow([&] {
        const CopyDataRecord record{kAskSlow, 0, nullptr};
        LResult result = 0;
        SendMessageTimeout(peer, kMsgCopyData, me, reinterpret_cast<LParam>(&record), 5000,
                           &result);
        slowResult = result;
        slowAnswered = true;
    });
    SleepMs(200);  // the peer is now inside its slow handler
    EXPECT_TRUE(PostMessage(peer, kPeerReport, me, 9));
    EXPECT_FALSE(slowAnswered.load());
    slow.join();
    EXPECT_EQ(slowResult.load(), 7);
    EXPECT_TRUE(PumpUntil([&] { return !window_.received.empty(); }));
}

TEST_F(ExportedWindowsTest, ASendBackWhileWaitingIsHandledWithoutDeadLock) {
    StartPeer();
    const std::vector<uint8_t> bytes(10, 0x11);
    EXPECT_EQ(Ask(kAskSendBack, bytes, 5000), 1000 + 10 + 1);
    ASSERT_EQ(window_.received.size(), 1u);
    EXPECT_EQ(window_.received[0].dwData, kSentBack);
    EXPECT_EQ(window_.received[0].bytes, bytes);
}

TEST_F(ExportedWindowsTest, NamesOfAProcessThatDiedAreRemovedByWhoeverFindsThem) {
    const WindowId peer = StartPeer();
    const std::string idName = folder_ + "/" + std::to_string(peer);
    const std::string className = folder_ + "/" + kPeerClass + "." + std::to_string(peer);
    peer_.Kill();
    peerId_ = 0;
    ASSERT_TRUE(std::filesystem::exists(idName));
    ASSERT_TRUE(std::filesystem::exists(className));

    EXPECT_EQ(FindWindowByClass("linkpeer"), 0u);
    EXPECT_FALSE(std::filesystem::exists(className));
    EXPECT_FALSE(std::filesystem::exists(idName));

    // And by id alone.
    const WindowId second = StartPeer();
    const std::string secondName = folder_ + "/" + std::to_string(second);
    peer_.Kill();
    peerId_ = 0;
    ASSERT_TRUE(std::filesystem::exists(secondName));
    EXPECT_FALSE(IsWindow(second));
    EXPECT_FALSE(std::filesystem::exists(secondName));
    EXPECT_FALSE(PostMessage(second, kPeerReport, 0, 0));
}

TEST_F(ExportedWindowsTest, BadHeadersOversizeAndWrongTargetsCloseTheConnection) {
    const WindowId peer = StartPeer();
    const std::string path = folder_ + "/" + std::to_string(peer);
    const uint32_t magic = 0x4B4E4C57;
    // A correct post first, to show the raw form is right.
    EXPECT_EQ(RawExchange(path, Header({magic, 1, peer, kPeerReport, window_.Id(), 3, 0, 0})),
              std::string("\x01\0\0\0", 4));
    EXPECT_EQ(RawExchange(path, Header({magic ^ 1, 1, peer, kPeerReport, 0, 0, 0, 0})), "");
    EXPECT_EQ(
        RawExchange(path, Header({magic, 2, peer, kMsgCopyData, 0, 0, 1, kMaxCopyDataBytes + 1})),
        "");
    EXPECT_EQ(RawExchange(path, Header({magic, 1, peer + 1, kPeerReport, 0, 0, 0, 0})), "");
    EXPECT_EQ(RawExchange(path, Header({magic, 7, peer, kPeerReport, 0, 0, 0, 0})), "");
    EXPECT_EQ(RawExchange(path, Header({magic, 1, peer, kClientMessage, 0, 0, 0, 0})), "");
    EXPECT_EQ(RawExchange(path, Header({magic, 1, peer})), "");  // cut short
    EXPECT_EQ(CountLinkLines(PeerLog()), 6);
    EXPECT_TRUE(PumpUntil([&] { return window_.received.size() == 1; }));
    const std::vector<uint8_t> bytes{9};
    EXPECT_EQ(Ask(kAskChecksum, bytes, 5000), Checksum(bytes.data(), 1));
}

TEST_F(ExportedWindowsTest, FindByClassPrefersThisProcessAndSeesOnlyFindableWindows) {
    const WindowId peer = StartPeer();
    EXPECT_EQ(FindWindowByClass(kTestClass), window_.Id());
    EXPECT_EQ(FindWindowByClass("LINKPEER"), peer);

    RegisterWindowClass(kPeerClass);
    RecordingWindow local;
    ASSERT_TRUE(local.Create(kPeerClass));
    EXPECT_EQ(FindWindowByClass(kPeerClass), local.Id());
    local.Destroy();
    EXPECT_EQ(FindWindowByClass(kPeerClass), peer);
    EXPECT_EQ(FindWindowByClass("Link"), 0u);
}

TEST_F(ExportedWindowsTest, ADestroyedWindowLeavesTheFolder) {
    const std::string name = folder_ + "/" + std::to_string(window_.Id());
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_FALSE(ExportWindow(window_.Id(), {}));  // once only
    window_.Destroy();
    EXPECT_FALSE(std::filesystem::exists(name));

    RecordingWindow other;
    ASSERT_TRUE(other.Create(kTestClass));
    ASSERT_TRUE(ExportWindow(other.Id(), WindowExportOptions{true, {}}));
    const std::string classed = folder_ + "/" + kTestClass + "." + std::to_string(other.Id());
    EXPECT_TRUE(std::filesystem::exists(classed));
    UnexportWindow(other.Id());
    EXPECT_FALSE(std::filesystem::exists(classed));
    EXPECT_TRUE(IsWindow(other.Id()));  // still a window of this process
}

TEST_F(ExportedWindowsTest, AFolderOfOthersOrWithTooLongAPathIsRefused) {
    RecordingWindow other;
    ASSERT_TRUE(other.Create(kTestClass));

    const std::string open = temp_ / "open";
    std::filesystem::create_directory(open);
    ::chmod(open.c_str(), 0755);
    ::setenv(kWindowFolderVariable, open.c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ExportWindow(other.Id(), {}));
    EXPECT_EQ(CountLinkLines(testing::internal::GetCapturedStderr()), 1);
    EXPECT_TRUE(std::filesystem::is_empty(open));

    const std::string deep = temp_ / std::string(100, 'd');
    ::setenv(kWindowFolderVariable, deep.c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ExportWindow(other.Id(), {}));
    EXPECT_EQ(CountLinkLines(testing::internal::GetCapturedStderr()), 1);
}

TEST_F(ExportedWindowsTest, AReceiverThatHangsUpCostsTheSenderNoSignal) {
    // A listener under a window's name that closes every connection unread.
    const WindowId fake = 0x7FFF0001;
    const std::string path = folder_ + "/" + std::to_string(fake);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    std::thread closer([listener] {
        const int c = ::accept(listener, nullptr, nullptr);
        ::close(c);
    });
    const std::vector<uint8_t> bytes(kMaxCopyDataBytes, 1);
    const CopyDataRecord record{1, static_cast<uint32_t>(bytes.size()), bytes.data()};
    LResult result = -1;
    EXPECT_FALSE(SendMessageTimeout(fake, kMsgCopyData, 0, reinterpret_cast<LParam>(&record), 3000,
                                    &result));
    EXPECT_EQ(result, 0);
    closer.join();
    ::close(listener);
}

// A finder that probes the folder while a window is being exported must never
// take the new name for a stale one and remove it.
TEST_F(ExportedWindowsTest, AFinderNeverRemovesTheNameOfAWindowBeingExported) {
    constexpr char kRaceClass[] = "RaceWindow";
    RegisterWindowClass(kRaceClass);
    std::atomic<bool> done{false};
    std::thread finder([&] {
        while (!done.load()) {
            detail::FindExportedByClass(kRaceClass);
        }
    });
    int lost = 0;
    for (int i = 0; i < 1000; ++i) {
        RecordingWindow racer;
        ASSERT_TRUE(racer.Create(kRaceClass));
        ASSERT_TRUE(ExportWindow(racer.Id(), {true, {}}));
        const std::string name = std::string(kRaceClass) + "." + std::to_string(racer.Id());
        if (!std::filesystem::exists(folder_ + "/" + name) ||
            !std::filesystem::exists(folder_ + "/" + std::to_string(racer.Id()))) {
            ++lost;
        }
        racer.Destroy();
    }
    done = true;
    finder.join();
    EXPECT_EQ(lost, 0);
}

}  // namespace
}  // namespace platform
