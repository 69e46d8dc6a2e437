// The connection's threads and the message queues, each beside what the
// machine does without them, in one process so the ratios hold on a noisy
// machine:
//  - a 208-byte request and its reply through the socket manager, against a
//    bare TCP ping-pong of the same bytes;
//  - messages the server sends unasked, delivered to an owner thread, against
//    a bare socket reader handing the same records to the owner through a
//    mutex and condition variable queue;
//  - a post and a get on one thread, against a mutex and condition variable
//    queue.
// After the runs the ratios (ours / the bare peer, by time per item) are
// printed. Pin the process to one processor (taskset -c N) so the threads
// share it as they would on a busy machine.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Audio.h"
#include "platform/Messages.h"
#include "platform/Socket.h"
#include "platform/Sync.h"
#include "platform/Thread.h"
#include "zep/ZepFrame.h"
#include "zep/ZepMessage.h"
#include "zep/ZepSocketManager.h"
#include "zep/ZepSocketUtils.h"
#include "zep/ZepTransform.h"

namespace {

using namespace platform;

constexpr size_t kWireBytes = 208;
constexpr uint32_t kMsgPing = kMsgUser + 7;

// ---- loopback plumbing ------------------------------------------------------

struct Listener {
    SocketHandle socket = kNoSocket;
    uint16_t port = 0;

    Listener() {
        socket = CreateTcpSocket();
        BindSocket(socket, LoopbackAddress(), 0);
        ListenSocket(socket, 4);
        port = SocketLocalPort(socket);
    }
    ~Listener() { CloseSocket(socket); }
};

bool ReadExactly(SocketHandle socket, void* out, size_t n) {
    auto* bytes = static_cast<uint8_t*>(out);
    size_t got = 0;
    while (got < n) {
        const int r = RecvSocket(socket, bytes + got, n - got);
        if (r <= 0) {
            return false;
        }
        got += static_cast<size_t>(r);
    }
    return true;
}

bool WriteAll(SocketHandle socket, const void* data, size_t n) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t sent = 0;
    while (sent < n) {
        const int r = SendSocket(socket, bytes + sent, n - sent);
        if (r <= 0) {
            return false;
        }
        sent += static_cast<size_t>(r);
    }
    return true;
}

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// How a connection transforms its messages: not at all, or with the game
// channel's AES key and zlib.
enum class Keying { Plain, KeyedCompressed };

constexpr uint32_t kCipherFlags = 0x100;
constexpr uint32_t kCompressionFlags = 0x400;

const uint8_t* KeyOf(Keying keying) {
    static const uint8_t key[16] = {0x2B, 0x7E, 0x15, 0x16, 0x28, 0xAE, 0xD2, 0xA6,
                                    0xAB, 0xF7, 0x15, 0x88, 0x09, 0xCF, 0x4F, 0x3C};
    return keying == Keying::Plain ? nullptr : key;
}

// A manager that transforms as the keying says.
std::unique_ptr<ZepSocketManager> MakeManager(Keying keying) {
    const bool keyed = keying != Keying::Plain;
    return std::make_unique<ZepSocketManager>(KeyOf(keying), keyed ? 128 : 0,
                                              keyed ? kCipherFlags : 0,
                                              keyed ? kCompressionFlags : 0, 0, kZepMaxPieceSize);
}

// The message as it goes on the wire before it is cut into frames: serialised
// and run through the connection's transform.
ZepByteBuffer Transformed(const ZepMessage& message, Keying keying = Keying::Plain) {
    ZepByteBuffer bytes;
    ZepSerializeMessage(message, bytes);
    const bool keyed = keying != Keying::Plain;
    ZepTransform transform(KeyOf(keying), keyed ? 128 : 0, keyed ? kCipherFlags : 0,
                           keyed ? kCompressionFlags : 0);
    transform.Transform(bytes, ZepTransform::kForward);
    return bytes;
}

// The data length that makes a message's frame exactly kWireBytes long.
uint32_t DataLengthForWireBytes() {
    const size_t empty = kZepFrameOverhead + Transformed(ZepMessage{}).GetSize();
    return static_cast<uint32_t>(kWireBytes - empty);
}

// A connected manager talking to a peer thread on loopback. The peer first
// takes the greeting block, then runs `serve` on its end of the connection.
template <typename Serve>
struct ManagerLink {
    Listener listener;
    std::atomic<SocketHandle> peer{kNoSocket};
    std::thread peerThread;
    std::unique_ptr<ZepSocketManager> owned;
    ZepSocketManager& manager;
    bool connected = false;

    ManagerLink(ThreadId owner, Serve serve, Keying keying)
        : owned(MakeManager(keying)), manager(*owned) {
        peerThread = std::thread([this, serve] {
            const SocketHandle socket = AcceptSocket(listener.socket);
            peer = socket;
            uint8_t length[4];
            if (socket == kNoSocket || !ReadExactly(socket, length, 4)) {
                return;
            }
            std::vector<uint8_t> greeting(ReadU32(length));
            if (!greeting.empty() && !ReadExactly(socket, greeting.data(), greeting.size())) {
                return;
            }
            serve(socket);
        });
        ZepConnectParams params;
        params.host = "127.0.0.1";
        params.port = listener.port;
        params.ownerThread = owner;
        params.greeting = "bench";
        params.greetingLength = 6;
        ZepRegisterSocketWindowClass();
        connected = manager.ConnectNew(params) == 1;
    }
    ~ManagerLink() {
        manager.Close();
        ShutdownSocket(peer.load(), kShutdownBoth);  // a peer blocked in a send returns
        peerThread.join();
        CloseSocket(peer);
    }
};

// A plain hand-off queue: what the owner thread would take records from.
template <typename T>
class HandOffQueue {
public:
    void Push(T item) {
        {
            std::lock_guard lock(mutex_);
            items_.push_back(std::move(item));
        }
        ready_.notify_one();
    }
    T Pop() {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return !items_.empty(); });
        T item = std::move(items_.front());
        items_.pop_front();
        return item;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<T> items_;
};

// ---- results kept for the ratios --------------------------------------------

std::map<std::string, double>& TimePerItem() {
    static std::map<std::string, double> times;
    return times;
}

void Keep(benchmark::State& state, const char* name, int64_t items, double seconds) {
    if (items > 0) {
        TimePerItem()[name] = seconds / static_cast<double>(items);
    }
    state.SetItemsProcessed(items);
}

// ---- round trip -------------------------------------------------------------

void BM_RoundTripManager(benchmark::State& state, Keying keying, const char* name) {
    // The peer answers every request frame with the same bytes as a reply.
    // It reads as a server does, as much as is there at once, so a request
    // costs it one receive, as the bare echo's does.
    auto serve = [](SocketHandle peer) {
        std::vector<uint8_t> stream;
        uint8_t chunk[4096];
        for (;;) {
            const int n = RecvSocket(peer, chunk, sizeof(chunk));
            if (n <= 0) {
                return;
            }
            stream.insert(stream.end(), chunk, chunk + n);
            size_t at = 0;
            while (stream.size() - at >= 4 && stream.size() - at >= 4 + ReadU32(&stream[at])) {
                const size_t length = 4 + ReadU32(&stream[at]);
                stream[at + 4] = kZepFrameTypeReply;
                if (!WriteAll(peer, &stream[at], length)) {
                    return;
                }
                at += length;
            }
            stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(at));
        }
    };
    ManagerLink<decltype(serve)> link(0, serve, keying);
    if (!link.connected) {
        state.SkipWithError("no connection");
        return;
    }
    std::vector<uint8_t> data(DataLengthForWireBytes());
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7 + i / 5);  // some of it compresses
    }
    ZepMessage request;
    request.SetData(data.data(), static_cast<uint32_t>(data.size()));
    ZepDeliveryInfo descriptor;
    descriptor.callerWord = 1;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        ZepMessage reply;
        int timedOut = 0;
        if (!link.manager.SendRequest(descriptor, request, &reply, &timedOut, 5000, 0, 0, 0,
                                      nullptr, 0) ||
            reply.length != data.size()) {
            state.SkipWithError("no reply");
            break;
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    Keep(state, name, state.iterations(), elapsed.count());
}
BENCHMARK_CAPTURE(BM_RoundTripManager, plain, Keying::Plain, "round trip")
    ->UseRealTime()
    ->MinTime(1.0);
BENCHMARK_CAPTURE(BM_RoundTripManager, keyed_compressed, Keying::KeyedCompressed,
                  "round trip (keyed, zlib)")
    ->UseRealTime()
    ->MinTime(1.0);

// A client socket on loopback whose peer thread echoes every kWireBytes it
// reads. `Shutdown` ends the echo (and any read of the client's) before the
// threads that read are joined.
struct BareEchoLink {
    Listener listener;
    std::thread echo;
    SocketHandle client = kNoSocket;

    BareEchoLink() {
        echo = std::thread([this] {
            const SocketHandle peer = AcceptSocket(listener.socket);
            uint8_t bytes[kWireBytes];
            while (ReadExactly(peer, bytes, sizeof(bytes)) &&
                   WriteAll(peer, bytes, sizeof(bytes))) {
            }
            CloseSocket(peer);
        });
        client = CreateTcpSocket();
        ConnectSocket(client, LoopbackAddress(), listener.port, 5000);
    }
    void Shutdown() { ShutdownSocket(client, kShutdownBoth); }
    ~BareEchoLink() {
        Shutdown();
        echo.join();
        CloseSocket(client);
    }
};

void BM_RoundTripBareTcp(benchmark::State& state) {
    BareEchoLink link;
    uint8_t bytes[kWireBytes] = {};
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!WriteAll(link.client, bytes, sizeof(bytes)) ||
            !ReadExactly(link.client, bytes, sizeof(bytes))) {
            state.SkipWithError("echo failed");
            break;
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    Keep(state, "round trip (bare)", state.iterations(), elapsed.count());
}
BENCHMARK(BM_RoundTripBareTcp)->UseRealTime()->MinTime(1.0);

// The bare ping-pong with the replies read by a thread of their own and
// handed to the requester through a plain queue: the least any client pays
// whose replies come through a receiving thread, as the socket manager's do.
// Three threads take turns for each request rather than two.
void BM_RoundTripBareTcpReaderThread(benchmark::State& state) {
    BareEchoLink link;
    HandOffQueue<std::unique_ptr<std::vector<uint8_t>>> replies;
    std::thread reader([&] {
        for (;;) {
            auto reply = std::make_unique<std::vector<uint8_t>>(kWireBytes);
            if (!ReadExactly(link.client, reply->data(), reply->size())) {
                replies.Push(nullptr);
                return;
            }
            replies.Push(std::move(reply));
        }
    });
    uint8_t bytes[kWireBytes] = {};
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!WriteAll(link.client, bytes, sizeof(bytes)) || replies.Pop() == nullptr) {
            state.SkipWithError("echo failed");
            break;
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    Keep(state, "round trip (bare, reader thread)", state.iterations(), elapsed.count());
    link.Shutdown();
    reader.join();
}
BENCHMARK(BM_RoundTripBareTcpReaderThread)->UseRealTime()->MinTime(1.0);

// ---- notifications to the owner thread --------------------------------------

// kBatch frames of kWireBytes, each a whole message sent unasked.
std::vector<uint8_t> NotificationFrames(size_t count, Keying keying) {
    std::vector<uint8_t> data(DataLengthForWireBytes(), 0x33);
    ZepMessage message;
    message.SetData(data.data(), static_cast<uint32_t>(data.size()));
    const ZepByteBuffer transformed = Transformed(message, keying);
    ZepFrameHeader header;
    header.type = kZepFrameTypeMessage;
    header.messageSequence = 1;
    header.pieceIndex = 1;
    header.lastPiece = 1;
    ZepByteBuffer frame;
    ZepBuildFrame(header, ZepBufferBytes(transformed), false, frame);
    const std::span<const uint8_t> one = ZepBufferBytes(frame);
    std::vector<uint8_t> frames;
    for (size_t i = 0; i < count; ++i) {
        frames.insert(frames.end(), one.begin(), one.end());
    }
    return frames;
}

constexpr size_t kFramesPerSend = 64;

// The peer sends until the connection ends.
void Flood(SocketHandle peer, const std::vector<uint8_t>& frames) {
    while (WriteAll(peer, frames.data(), frames.size())) {
    }
}

void BM_NotifyManager(benchmark::State& state, Keying keying, const char* name) {
    EnsureMessageQueue();
    const std::vector<uint8_t> frames = NotificationFrames(kFramesPerSend, keying);
    auto serve = [&frames](SocketHandle peer) { Flood(peer, frames); };
    ManagerLink<decltype(serve)> link(CurrentThreadId(), serve, keying);
    if (!link.connected) {
        state.SkipWithError("no connection");
        return;
    }
    Message m;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!GetMessage(m) || m.id != WM_ZEP_SOCKET) {
            state.SkipWithError("unexpected message");
            break;
        }
        auto* message = reinterpret_cast<ZepMessage*>(m.lParam);
        benchmark::DoNotOptimize(message->length);
        ZepFreeDelivery(reinterpret_cast<ZepDeliveryInfo*>(m.wParam), message);
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    Keep(state, name, state.iterations(), elapsed.count());
    ShutdownSocket(link.manager.GetSocket(), kShutdownBoth);
    link.manager.Close();
    // What came after the last take.
    while (PeekMessage(m, PeekMode::Remove)) {
        if (m.id == WM_ZEP_SOCKET) {
            ZepFreeDelivery(reinterpret_cast<ZepDeliveryInfo*>(m.wParam),
                            reinterpret_cast<ZepMessage*>(m.lParam));
        }
    }
}
BENCHMARK_CAPTURE(BM_NotifyManager, plain, Keying::Plain, "notifications")
    ->UseRealTime()
    ->MinTime(1.0);
BENCHMARK_CAPTURE(BM_NotifyManager, keyed_compressed, Keying::KeyedCompressed,
                  "notifications (keyed, zlib)")
    ->UseRealTime()
    ->MinTime(1.0);

void BM_NotifyBareSocket(benchmark::State& state) {
    const std::vector<uint8_t> frames = NotificationFrames(kFramesPerSend, Keying::Plain);
    Listener listener;
    std::atomic<SocketHandle> peer{kNoSocket};
    std::thread sender([&] {
        peer = AcceptSocket(listener.socket);
        Flood(peer, frames);
    });
    const SocketHandle client = CreateTcpSocket();
    ConnectSocket(client, LoopbackAddress(), listener.port, 5000);
    // The reader cuts the stream into its records and hands each over as a
    // block of its own, as a connection hands over its messages.
    HandOffQueue<std::unique_ptr<std::vector<uint8_t>>> queue;
    std::thread reader([&] {
        std::vector<uint8_t> stream;
        uint8_t chunk[4096];
        for (;;) {
            const int n = RecvSocket(client, chunk, sizeof(chunk));
            if (n <= 0) {
                queue.Push(nullptr);
                return;
            }
            stream.insert(stream.end(), chunk, chunk + n);
            size_t at = 0;
            while (stream.size() - at >= 4 && stream.size() - at >= 4 + ReadU32(&stream[at])) {
                const size_t length = 4 + ReadU32(&stream[at]);
                queue.Push(std::make_unique<std::vector<uint8_t>>(
                    stream.begin() + static_cast<std::ptrdiff_t>(at),
                    stream.begin() + static_cast<std::ptrdiff_t>(at + length)));
                at += length;
            }
            stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(at));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const auto record = queue.Pop();
        if (record == nullptr) {
            state.SkipWithError("stream ended");
            break;
        }
        benchmark::DoNotOptimize(record->size());
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    Keep(state, "notifications (bare)", state.iterations(), elapsed.count());
    ShutdownSocket(client, kShutdownBoth);
    reader.join();
    ShutdownSocket(peer.load(), kShutdownBoth);
    sender.join();
    CloseSocket(peer.load());
    CloseSocket(client);
}
BENCHMARK(BM_NotifyBareSocket)->UseRealTime()->MinTime(1.0);

// ---- post and get on one thread -------------------------------------------

void BM_PostGetQueue(benchmark::State& state) {
    EnsureMessageQueue();
    const ThreadId me = CurrentThreadId();
    Message m;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        PostThreadMessage(me, kMsgPing, 1, 2);
        GetMessage(m);
        benchmark::DoNotOptimize(m.wParam);
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    Keep(state, "post + get", state.iterations(), elapsed.count());
}
BENCHMARK(BM_PostGetQueue);

void BM_PostGetMutexQueue(benchmark::State& state) {
    HandOffQueue<Message> queue;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        queue.Push(Message{0, kMsgPing, 1, 2, 0});
        const Message m = queue.Pop();
        benchmark::DoNotOptimize(m.wParam);
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    Keep(state, "post + get (bare)", state.iterations(), elapsed.count());
}
BENCHMARK(BM_PostGetMutexQueue);

// ---- a bounded wait's wake ----------------------------------------------------

// How long after its event is set a wait with a time-out returns, when it
// has been waiting a few milliseconds (a request waiting for a slow reply).
void BM_BoundedWaitWake(benchmark::State& state) {
    Event go(Event::Mode::AutoReset);
    Event done(Event::Mode::AutoReset);
    std::atomic<bool> stop{false};
    std::atomic<int64_t> wokeAt{0};
    std::thread waiter([&] {
        while (!stop) {
            if (go.Wait(5000)) {
                wokeAt = std::chrono::steady_clock::now().time_since_epoch().count();
                done.Set();
            }
        }
    });
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        const auto setAt = std::chrono::steady_clock::now();
        go.Set();
        done.Wait(5000);
        const auto late =
            std::chrono::steady_clock::duration(wokeAt.load()) - setAt.time_since_epoch();
        state.SetIterationTime(std::chrono::duration<double>(late).count());
    }
    stop = true;
    go.Set();
    waiter.join();
}
BENCHMARK(BM_BoundedWaitWake)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

// ---- start-up ---------------------------------------------------------------

// What the UI thread waits for at start-up before its first frame: the audio
// library's start, which on a machine without a sound device fails. Run
// without SDL_AUDIODRIVER=dummy to see that case.
void BM_AudioStart(benchmark::State& state) {
    int opened = 0;
    for (auto _ : state) {
        const std::unique_ptr<AudioLibrary> audio = LoadAudioLibrary();
        if (audio->Init(kDefaultAudioDevice, 44100, 0, 0)) {
            ++opened;
            audio->Free();
        }
    }
    state.counters["opened"] = opened;
}
BENCHMARK(BM_AudioStart)->UseRealTime()->Iterations(40)->Unit(benchmark::kMillisecond);

void PrintRatios() {
    const auto& times = TimePerItem();
    std::printf("\nratios (ours / bare, time per item):\n");
    // The keyed figures are set beside the same bare peers: the limit is
    // what the machine does without the client at all.
    const std::pair<const char*, const char*> pairs[] = {
        {"round trip", "round trip (bare)"},
        {"round trip (keyed, zlib)", "round trip (bare)"},
        {"round trip", "round trip (bare, reader thread)"},
        {"notifications", "notifications (bare)"},
        {"notifications (keyed, zlib)", "notifications (bare)"},
        {"post + get", "post + get (bare)"}};
    for (const auto& [name, bareName] : pairs) {
        const auto ours = times.find(name);
        const auto bare = times.find(bareName);
        if (ours == times.end() || bare == times.end()) {
            continue;
        }
        std::printf("  %-27s %10.3f us  %-32s %10.3f us  ratio %.2f\n", name, ours->second * 1e6,
                    bareName, bare->second * 1e6, ours->second / bare->second);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatios();
    return 0;
}
