#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/DroppedMessages.h"

namespace platform {
namespace {

using Mode = Event::Mode;
using Handler = std::function<LResult(uint32_t id, WParam wParam, LParam lParam)>;

constexpr char kClass[] = "Messages Test Window";
constexpr uint32_t kMsgA = kMsgUser + 1;
constexpr uint32_t kMsgB = kMsgUser + 2;
constexpr uint32_t kMsgC = kMsgUser + 3;
constexpr uint32_t kMsgStop = kMsgApp + 99;  // a worker's loop ends on this thread message

// A window whose handler is a function; set it before the window can get
// messages (it is read on the owner thread).
class FnWindow : public Window {
public:
    FnWindow() = default;
    explicit FnWindow(Handler handler) : handler_(std::move(handler)) {}
    ~FnWindow() override { Destroy(); }  // so that kMsgDestroy still reaches handler_

    void SetHandler(Handler handler) { handler_ = std::move(handler); }

    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        return handler_ ? handler_(id, wParam, lParam) : Window::WindowProc(id, wParam, lParam);
    }

private:
    Handler handler_;
};

// A thread that owns a window and runs a message loop until kMsgStop.
class Worker {
public:
    explicit Worker(Handler handler) : window_(std::move(handler)) {
        Event ready(Mode::ManualReset);
        EXPECT_TRUE(thread_.StartWithQueue([this, &ready] {
            EXPECT_TRUE(window_.Create(kClass));
            ready.Set();
            Message m;
            while (GetMessage(m)) {
                if (m.window == 0 && m.id == kMsgStop) {
                    break;
                }
                DispatchMessage(m);
            }
            window_.Destroy();
        }));
        EXPECT_TRUE(ready.Wait(5000));
    }
    ~Worker() { Stop(); }

    void Stop() {
        if (thread_.IsRunning()) {
            PostThreadMessage(thread_.Id(), kMsgStop, 0, 0);
            EXPECT_TRUE(thread_.Join(5000));
        }
    }

    WindowId Id() const { return window_.Id(); }
    ThreadId ThreadIdOf() const { return thread_.Id(); }

private:
    FnWindow window_;
    Thread thread_;
};

class MessagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(RegisterWindowClass(kClass)); }

    void SetUp() override { DrainQueue(); }
    void TearDown() override { DrainQueue(); }

    // Each test starts with the main thread's queue empty.
    static void DrainQueue() {
        Message m;
        while (PeekMessage(m, PeekMode::Remove)) {
        }
    }
};

// --- posting and getting ---

TEST_F(MessagesTest, PostedMessagesComeOutInOrderOnOneThread) {
    EnsureMessageQueue();
    EXPECT_TRUE(HasMessageQueue(CurrentThreadId()));
    const ThreadId me = CurrentThreadId();
    ASSERT_TRUE(PostThreadMessage(me, kMsgA, 1, -1));
    ASSERT_TRUE(PostThreadMessage(me, kMsgB, 2, -2));
    ASSERT_TRUE(PostThreadMessage(me, kMsgC, ~WParam{0}, INTPTR_MIN));
    Message m;
    ASSERT_TRUE(PeekMessage(m, PeekMode::Keep));
    EXPECT_EQ(m.id, kMsgA);
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.window, 0u);
    EXPECT_EQ(m.id, kMsgA);
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_EQ(m.lParam, -1);
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));
    EXPECT_EQ(m.id, kMsgB);
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgC);
    EXPECT_EQ(m.wParam, ~WParam{0});  // pointer-sized parameters
    EXPECT_EQ(m.lParam, INTPTR_MIN);
    EXPECT_FALSE(PeekMessage(m, PeekMode::Remove));
    EXPECT_EQ(DispatchMessage(m), 0);  // a thread message has no handler
}

TEST_F(MessagesTest, PostToWindowIsDispatchedToItsHandler) {
    std::vector<std::pair<uint32_t, WParam>> seen;
    FnWindow w([&](uint32_t id, WParam wParam, LParam) -> LResult {
        seen.emplace_back(id, wParam);
        return 42;
    });
    ASSERT_TRUE(w.Create(kClass));
    ASSERT_TRUE(PostMessage(w.Id(), kMsgA, 7, 0));
    Message m;
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.window, w.Id());
    EXPECT_EQ(DispatchMessage(m), 42);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(kMsgA, WParam{7}));
}

TEST_F(MessagesTest, PostToUnknownTargetFails) {
    EXPECT_FALSE(PostMessage(0, kMsgA, 0, 0));
    EXPECT_FALSE(PostMessage(0xFFFFFFF0u, kMsgA, 0, 0));
    EXPECT_FALSE(PostThreadMessage(0, kMsgA, 0, 0));
    EXPECT_FALSE(SendMessage(0xFFFFFFF0u, kMsgA, 0, 0));
    EXPECT_FALSE(IsWindow(0));
    EXPECT_EQ(WindowThread(0xFFFFFFF0u), 0u);

    // A thread that never touched messaging has no queue.
    ThreadId plain = 0;
    std::thread t([&] { plain = CurrentThreadId(); });
    t.join();
    EXPECT_FALSE(HasMessageQueue(plain));
    EXPECT_FALSE(PostThreadMessage(plain, kMsgA, 0, 0));
}

TEST_F(MessagesTest, PostToAnEndedThreadFails) {
    Thread thread;
    Event posted(Mode::ManualReset);
    ASSERT_TRUE(thread.Start([&] {
        EnsureMessageQueue();
        posted.Set();
    }));
    ASSERT_TRUE(posted.Wait(5000));
    ASSERT_TRUE(thread.Join(5000));
    EXPECT_FALSE(HasMessageQueue(thread.Id()));
    EXPECT_FALSE(PostThreadMessage(thread.Id(), kMsgA, 0, 0));
}

// Counts what the freer of kMsgC was given (the messaging's own lock is
// held meanwhile, so a plain atomic suffices).
std::atomic<int> freedSum{0};

TEST_F(MessagesTest, MessagesDroppedUnreadHaveWhatTheyOwnFreedByTheirIdsFreer) {
    SetDroppedMessageFreer(kMsgC, [](WParam wParam, LParam) { freedSum += int(wParam); });
    freedSum = 0;
    {
        FnWindow w;
        ASSERT_TRUE(w.Create(kClass));
        ASSERT_TRUE(PostMessage(w.Id(), kMsgC, 2, 0));
        ASSERT_TRUE(PostMessage(w.Id(), kMsgA, 100, 0));  // no freer: just dropped
        ASSERT_TRUE(PostThreadMessage(CurrentThreadId(), kMsgC, 1000, 0));
    }  // destroyed with two messages unread
    EXPECT_EQ(freedSum.load(), 2);
    Message m;
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));  // the thread's own is kept
    EXPECT_EQ(m.wParam, WParam{1000});

    Thread thread;
    Event posted(Mode::ManualReset);
    Event go(Mode::ManualReset);
    ASSERT_TRUE(thread.StartWithQueue([&] {
        posted.Wait(5000);
        go.Set();
    }));
    ASSERT_TRUE(PostThreadMessage(thread.Id(), kMsgC, 30, 0));
    posted.Set();
    ASSERT_TRUE(go.Wait(5000));
    ASSERT_TRUE(thread.Join(5000));  // its messaging ends with one unread
    EXPECT_EQ(freedSum.load(), 32);
    SetDroppedMessageFreer(kMsgC, nullptr);
}

// A message that is taken is the receiver's; a failed post leaves what it
// owns with the sender: neither reaches the freer.
TEST_F(MessagesTest, MessagesTakenOrNeverPostedAreNotFreed) {
    SetDroppedMessageFreer(kMsgC, [](WParam wParam, LParam) { freedSum += int(wParam); });
    freedSum = 0;
    FnWindow window;
    ASSERT_TRUE(window.Create(kClass));
    ASSERT_TRUE(PostMessage(window.Id(), kMsgC, 1, 0));
    ASSERT_TRUE(PostThreadMessage(CurrentThreadId(), kMsgC, 10, 0));
    Message m;
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));
    ASSERT_TRUE(PostMessage(window.Id(), kMsgC, 100, 0));
    window.Destroy();
    EXPECT_FALSE(PostMessage(window.Id(), kMsgC, 1000, 0));
    Thread ended;
    ASSERT_TRUE(ended.StartWithQueue([] {}));
    ASSERT_TRUE(ended.Join(5000));
    EXPECT_FALSE(PostThreadMessage(ended.Id(), kMsgC, 1000, 0));
    EXPECT_EQ(freedSum.load(), 100);
    SetDroppedMessageFreer(kMsgC, nullptr);
}

TEST_F(MessagesTest, StartWithQueueAcceptsPostsAtOnce) {
    Thread thread;
    Event go(Mode::ManualReset);
    std::vector<WParam> got;
    ASSERT_TRUE(thread.StartWithQueue([&] {
        go.Wait();
        Message m;
        while (GetMessage(m)) {
            got.push_back(m.wParam);
        }
    }));
    EXPECT_TRUE(HasMessageQueue(thread.Id()));
    for (WParam i = 1; i <= 3; ++i) {
        ASSERT_TRUE(PostThreadMessage(thread.Id(), kMsgA, i, 0));
    }
    ASSERT_TRUE(PostThreadMessage(thread.Id(), kMsgQuit, 0, 0));
    go.Set();
    ASSERT_TRUE(thread.Join(5000));
    EXPECT_EQ(got, (std::vector<WParam>{1, 2, 3}));
}

TEST_F(MessagesTest, CrossThreadPostsUnderLoadKeepEveryMessageAndEachSendersOrder) {
    constexpr int kProducers = 4;
    constexpr int kPerProducer = 5000;
    std::vector<std::vector<LParam>> byProducer(kProducers);  // consumer thread only
    std::atomic<int> received{0};
    Event all(Mode::ManualReset);
    auto record = [&](WParam producer, LParam seq) {
        byProducer[producer].push_back(seq);
        if (++received == kProducers * kPerProducer) {
            all.Set();
        }
    };
    // Producers 0 and 1 post to the window, 2 and 3 to the thread.
    Thread consumer;
    FnWindow window([&](uint32_t id, WParam w, LParam l) -> LResult {
        if (id == kMsgA) {
            record(w, l);
        }
        return 0;
    });
    Event ready(Mode::ManualReset);
    ASSERT_TRUE(consumer.Start([&] {
        ASSERT_TRUE(window.Create(kClass));
        ready.Set();
        Message m;
        while (GetMessage(m)) {
            if (m.window == 0 && m.id == kMsgA) {
                record(m.wParam, m.lParam);
            }
            DispatchMessage(m);
        }
        window.Destroy();
    }));
    ASSERT_TRUE(ready.Wait(5000));
    const WindowId target = window.Id();
    const ThreadId targetThread = consumer.Id();

    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([=] {
            for (int i = 0; i < kPerProducer; ++i) {
                const bool ok = p < 2 ? PostMessage(target, kMsgA, p, i)
                                      : PostThreadMessage(targetThread, kMsgA, p, i);
                ASSERT_TRUE(ok);
            }
        });
    }
    for (auto& t : producers) {
        t.join();
    }
    ASSERT_TRUE(all.Wait(10000));
    ASSERT_TRUE(PostThreadMessage(targetThread, kMsgQuit, 0, 0));
    ASSERT_TRUE(consumer.Join(5000));
    for (int p = 0; p < kProducers; ++p) {
        ASSERT_EQ(byProducer[p].size(), static_cast<size_t>(kPerProducer)) << "producer " << p;
        for (int i = 0; i < kPerProducer; ++i) {
            ASSERT_EQ(byProducer[p][i], i) << "producer " << p;
        }
    }
}

// --- sending ---

TEST_F(MessagesTest, SendOnTheSameThreadCallsTheHandlerDirectly) {
    ThreadId handledOn = 0;
    FnWindow w([&](uint32_t id, WParam wParam, LParam lParam) -> LResult {
        handledOn = CurrentThreadId();
        return id == kMsgA ? static_cast<LResult>(wParam) + lParam : 0;
    });
    ASSERT_TRUE(w.Create(kClass));
    EXPECT_EQ(SendMessage(w.Id(), kMsgA, 40, 2), 42);
    EXPECT_EQ(handledOn, CurrentThreadId());
}

TEST_F(MessagesTest, SendAcrossThreadsRunsOnTheOwnerAndReturnsItsResult) {
    std::atomic<ThreadId> handledOn{0};
    Worker worker([&](uint32_t id, WParam wParam, LParam) -> LResult {
        handledOn = CurrentThreadId();
        return id == kMsgA ? static_cast<LResult>(wParam * 2) : 0;
    });
    EXPECT_EQ(WindowThread(worker.Id()), worker.ThreadIdOf());
    EXPECT_EQ(SendMessage(worker.Id(), kMsgA, 21, 0), 42);
    EXPECT_EQ(handledOn.load(), worker.ThreadIdOf());
}

TEST_F(MessagesTest, ManySendersAcrossThreadsGetTheirOwnResultsInOrder) {
    constexpr int kSenders = 4;
    constexpr int kPerSender = 1000;
    std::vector<std::vector<LParam>> seen(kSenders);  // worker thread only
    Worker worker([&](uint32_t id, WParam sender, LParam seq) -> LResult {
        if (id != kMsgA) {
            return 0;
        }
        seen[sender].push_back(seq);
        return seq * 3 + static_cast<LResult>(sender);
    });
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&, s] {
            for (int i = 0; i < kPerSender; ++i) {
                ASSERT_EQ(SendMessage(worker.Id(), kMsgA, s, i), i * 3 + s);
            }
        });
    }
    for (auto& t : senders) {
        t.join();
    }
    worker.Stop();
    for (int s = 0; s < kSenders; ++s) {
        ASSERT_EQ(seen[s].size(), static_cast<size_t>(kPerSender));
        for (int i = 0; i < kPerSender; ++i) {
            ASSERT_EQ(seen[s][i], i);
        }
    }
}

TEST_F(MessagesTest, TwoThreadsSendingToEachOtherDoNotDeadlock) {
    // Each worker's handler for kMsgA sends kMsgB to the other window; both
    // are kicked at the same moment, so each is blocked in SendMessage while
    // the other sends to it.
    std::atomic<WindowId> windowA{0}, windowB{0};
    std::atomic<int> handledB{0};
    auto handler = [&](std::atomic<WindowId>& other) {
        return [&](uint32_t id, WParam wParam, LParam) -> LResult {
            if (id == kMsgA) {
                return SendMessage(other.load(), kMsgB, wParam, 0) + 1;
            }
            if (id == kMsgB) {
                ++handledB;
                return static_cast<LResult>(wParam);
            }
            return 0;
        };
    };
    Worker a(handler(windowB));
    Worker b(handler(windowA));
    windowA = a.Id();
    windowB = b.Id();
    constexpr int kRounds = 300;
    for (int i = 0; i < kRounds; ++i) {
        LResult ra = 0, rb = 0;
        std::thread kickA([&] { ra = SendMessage(a.Id(), kMsgA, 10, 0); });
        std::thread kickB([&] { rb = SendMessage(b.Id(), kMsgA, 20, 0); });
        kickA.join();
        kickB.join();
        ASSERT_EQ(ra, 11);
        ASSERT_EQ(rb, 21);
    }
    EXPECT_EQ(handledB.load(), 2 * kRounds);
}

TEST_F(MessagesTest, BlockedSenderHandlesSendsToItselfButNotPosts) {
    std::vector<std::string> log;  // main thread only
    FnWindow mine([&](uint32_t id, WParam, LParam) -> LResult {
        log.push_back(id == kMsgB ? "sent B" : "other");
        return 5;
    });
    ASSERT_TRUE(mine.Create(kClass));
    const WindowId mineId = mine.Id();
    Worker worker([mineId](uint32_t id, WParam, LParam) -> LResult {
        if (id != kMsgA) {
            return 0;
        }
        EXPECT_TRUE(PostMessage(mineId, kMsgC, 0, 0));
        return SendMessage(mineId, kMsgB, 0, 0) * 10;
    });
    EXPECT_EQ(SendMessage(worker.Id(), kMsgA, 0, 0), 50);
    EXPECT_EQ(log, (std::vector<std::string>{"sent B"}));
    Message m;
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));  // the post waited in the queue
    EXPECT_EQ(m.id, kMsgC);
}

TEST_F(MessagesTest, SentMessagesAreHandledBeforePostedOnes) {
    std::vector<uint32_t> order;  // main thread only
    FnWindow mine([&](uint32_t id, WParam, LParam) -> LResult {
        order.push_back(id);
        return 0;
    });
    ASSERT_TRUE(mine.Create(kClass));
    ASSERT_TRUE(PostMessage(mine.Id(), kMsgA, 0, 0));

    // A blocked sender takes messages sent to itself only once its own send
    // is queued, so a probe it answers proves the send waits for us.
    Event created(Mode::ManualReset);
    Event sendQueued(Mode::ManualReset);
    std::atomic<WindowId> senderWindow{0};
    std::thread sender([&, id = mine.Id()] {
        FnWindow own([&](uint32_t msg, WParam, LParam) -> LResult {
            if (msg == kMsgC) {
                sendQueued.Set();
            }
            return 0;
        });
        EXPECT_TRUE(own.Create(kClass));
        senderWindow = own.Id();
        created.Set();
        SendMessage(id, kMsgB, 0, 0);
    });
    std::thread prober([&] {
        EXPECT_TRUE(created.Wait(5000));
        SendMessage(senderWindow.load(), kMsgC, 0, 0);
    });
    EXPECT_TRUE(sendQueued.Wait(5000));  // a plain wait: no message is taken meanwhile

    Message m;
    ASSERT_TRUE(GetMessage(m));
    DispatchMessage(m);
    sender.join();
    prober.join();
    EXPECT_EQ(order, (std::vector<uint32_t>{kMsgB, kMsgA}));
}

TEST_F(MessagesTest, SendToAWindowWhoseThreadEndsReturnsZero) {
    auto go = std::make_shared<Event>(Mode::ManualReset);
    auto window = std::make_shared<FnWindow>([](uint32_t, WParam, LParam) -> LResult { return 9; });
    Event created(Mode::ManualReset);
    Thread owner;
    ASSERT_TRUE(owner.Start([&, go, window] {
        ASSERT_TRUE(window->Create(kClass));
        created.Set();
        go->Wait();  // never takes a message, then ends
    }));
    ASSERT_TRUE(created.Wait(5000));
    const WindowId id = window->Id();
    std::atomic<LResult> result{-1};
    Thread sender;
    ASSERT_TRUE(sender.Start([&] { result = SendMessage(id, kMsgA, 0, 0); }));
    EXPECT_FALSE(sender.Join(50));  // blocked: the owner takes no messages
    go->Set();
    ASSERT_TRUE(owner.Join(5000));
    ASSERT_TRUE(sender.Join(5000));
    EXPECT_EQ(result.load(), 0);
    // The thread's windows left the table with it.
    EXPECT_FALSE(IsWindow(id));
    EXPECT_EQ(window->Id(), 0u);
    EXPECT_FALSE(PostMessage(id, kMsgA, 0, 0));
    EXPECT_EQ(SendMessage(id, kMsgA, 0, 0), 0);
}

TEST_F(MessagesTest, SendToAWindowDestroyedMeanwhileReturnsZero) {
    auto window = std::make_shared<FnWindow>([](uint32_t, WParam, LParam) -> LResult { return 9; });
    Event created(Mode::ManualReset);
    Event go(Mode::ManualReset);
    Thread owner;
    ASSERT_TRUE(owner.Start([&, window] {
        ASSERT_TRUE(window->Create(kClass));
        created.Set();
        go.Wait();
        window->Destroy();  // with a send waiting for it
        Message m;
        while (PeekMessage(m, PeekMode::Remove)) {
        }
    }));
    ASSERT_TRUE(created.Wait(5000));
    std::atomic<LResult> result{-1};
    Thread sender;
    ASSERT_TRUE(sender.Start([&, id = window->Id()] { result = SendMessage(id, kMsgA, 0, 0); }));
    EXPECT_FALSE(sender.Join(50));
    go.Set();
    ASSERT_TRUE(sender.Join(5000));
    ASSERT_TRUE(owner.Join(5000));
    EXPECT_EQ(result.load(), 0);
}

TEST_F(MessagesTest, SendWithTimeOutAnswersOnTimeOrWithdrawsTheMessage) {
    Event busy(Mode::ManualReset);
    Event release(Mode::ManualReset);
    Event copying(Mode::ManualReset);
    Event copyRelease(Mode::ManualReset);
    std::atomic<int> handledA{0};
    std::string copied;  // read after the worker stops
    Worker worker([&](uint32_t id, WParam, LParam lParam) -> LResult {
        if (id == kMsgB) {
            busy.Set();
            release.Wait(5000);
            return 0;
        }
        if (id == kMsgA) {
            ++handledA;
            return 5;
        }
        if (id == kMsgCopyData) {
            copying.Set();
            copyRelease.Wait(5000);  // the sender has given up by now
            const auto& record = *reinterpret_cast<const CopyDataRecord*>(lParam);
            copied.assign(static_cast<const char*>(record.lpData), record.cbData);
            return 1;
        }
        return 0;
    });
    LResult result = -1;
    EXPECT_TRUE(SendMessageTimeout(worker.Id(), kMsgA, 0, 0, 5000, &result));
    EXPECT_EQ(result, 5);

    // The owner is busy: the message is withdrawn at the time-out, never handled.
    ASSERT_TRUE(PostMessage(worker.Id(), kMsgB, 0, 0));
    ASSERT_TRUE(busy.Wait(5000));
    EXPECT_FALSE(SendMessageTimeout(worker.Id(), kMsgA, 0, 0, 30, &result));
    EXPECT_EQ(result, 0);
    release.Set();

    // A copy-data record whose handler outlives the wait reads a copy.
    {
        std::string bytes = "hall record";
        const CopyDataRecord record{2, static_cast<uint32_t>(bytes.size()), bytes.data()};
        EXPECT_FALSE(SendMessageTimeout(worker.Id(), kMsgCopyData, 0,
                                        reinterpret_cast<LParam>(&record), 300, &result));
        ASSERT_TRUE(copying.Wait(5000));
        bytes.assign(bytes.size(), 'x');
    }
    copyRelease.Set();
    worker.Stop();
    EXPECT_EQ(handledA.load(), 1);
    EXPECT_EQ(copied, "hall record");

    EXPECT_FALSE(SendMessageTimeout(worker.Id(), kMsgA, 0, 0, 30, &result));  // gone
}

// --- windows ---

TEST_F(MessagesTest, DestroySendsDestroyFirstThenDropsTheWindowAndItsMessages) {
    std::vector<uint32_t> seen;
    bool wasWindowDuringDestroy = false;
    FnWindow w;
    w.SetHandler([&](uint32_t id, WParam, LParam) -> LResult {
        seen.push_back(id);
        if (id == kMsgDestroy) {
            wasWindowDuringDestroy = IsWindow(w.Id());
        }
        return 0;
    });
    ASSERT_TRUE(w.Create(kClass));
    const WindowId id = w.Id();
    EXPECT_NE(id, 0u);
    EXPECT_EQ(w.OwnerThread(), CurrentThreadId());
    EXPECT_EQ(w.ClassName(), kClass);
    EXPECT_FALSE(w.Create(kClass));  // already created
    ASSERT_TRUE(PostMessage(id, kMsgA, 0, 0));
    ASSERT_EQ(SetTimer(id, 1, 10), 1u);
    w.Destroy();
    EXPECT_EQ(seen, (std::vector<uint32_t>{kMsgDestroy}));
    EXPECT_TRUE(wasWindowDuringDestroy);
    EXPECT_FALSE(IsWindow(id));
    EXPECT_EQ(w.Id(), 0u);
    EXPECT_FALSE(PostMessage(id, kMsgA, 0, 0));
    EXPECT_EQ(SendMessage(id, kMsgA, 0, 0), 0);
    EXPECT_FALSE(KillTimer(id, 1));
    EXPECT_FALSE(WaitMessage(40));  // neither the post nor the timer is left
    w.Destroy();                    // twice is harmless
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(MessagesTest, DestroyFromAnotherThreadRunsOnTheOwner) {
    std::atomic<ThreadId> destroyedOn{0};
    auto window = std::make_shared<FnWindow>();
    Event created(Mode::ManualReset);
    Thread owner;
    window->SetHandler([&](uint32_t id, WParam, LParam) -> LResult {
        if (id == kMsgDestroy) {
            destroyedOn = CurrentThreadId();
        }
        return 0;
    });
    ASSERT_TRUE(owner.Start([&, window] {
        ASSERT_TRUE(window->Create(kClass));
        created.Set();
        Message m;
        while (GetMessage(m)) {
            DispatchMessage(m);
        }
    }));
    ASSERT_TRUE(created.Wait(5000));
    const WindowId id = window->Id();
    window->Destroy();  // from the main thread
    EXPECT_EQ(destroyedOn.load(), owner.Id());
    EXPECT_FALSE(IsWindow(id));
    EXPECT_EQ(window->Id(), 0u);
    ASSERT_TRUE(PostThreadMessage(owner.Id(), kMsgQuit, 0, 0));
    ASSERT_TRUE(owner.Join(5000));
}

TEST_F(MessagesTest, DestructorDestroysTheWindow) {
    WindowId id = 0;
    {
        FnWindow w;
        ASSERT_TRUE(w.Create(kClass));
        id = w.Id();
        EXPECT_TRUE(IsWindow(id));
    }
    EXPECT_FALSE(IsWindow(id));
}

TEST_F(MessagesTest, IdsAreNonzeroAndNeverReused) {
    std::set<WindowId> ids;
    for (int i = 0; i < 200; ++i) {
        FnWindow w;
        ASSERT_TRUE(w.Create(kClass));
        ASSERT_NE(w.Id(), 0u);
        ASSERT_TRUE(ids.insert(w.Id()).second) << "reused id " << w.Id();
    }
}

TEST_F(MessagesTest, ClassesAreCaseInsensitiveAndFoundInCreationOrder) {
    EXPECT_FALSE(RegisterWindowClass(""));
    ASSERT_TRUE(RegisterWindowClass("Zep Socket Window"));
    EXPECT_TRUE(RegisterWindowClass("ZEP SOCKET WINDOW"));  // again: harmless
    EXPECT_TRUE(IsWindowClassRegistered("zep socket window"));
    EXPECT_EQ(FindWindowByClass("zep socket window"), 0u);

    FnWindow first, second, other;
    ASSERT_TRUE(first.Create("zep socket window"));
    ASSERT_TRUE(other.Create(kClass));
    ASSERT_TRUE(second.Create("Zep Socket Window"));
    EXPECT_EQ(FindWindowByClass("ZEP Socket window"), first.Id());
    first.Destroy();
    EXPECT_EQ(FindWindowByClass("Zep Socket Window"), second.Id());
    EXPECT_EQ(WindowThread(second.Id()), CurrentThreadId());

    EXPECT_TRUE(UnregisterWindowClass("Zep Socket Window"));
    EXPECT_FALSE(UnregisterWindowClass("Zep Socket Window"));
    EXPECT_FALSE(IsWindowClassRegistered("Zep Socket Window"));
    FnWindow late;
    EXPECT_FALSE(late.Create("Zep Socket Window"));
    EXPECT_EQ(late.Id(), 0u);
    EXPECT_TRUE(IsWindow(second.Id()));  // existing windows stay
}

// --- quit ---

TEST_F(MessagesTest, QuitComesAfterTheMessagesPostedBeforeIt) {
    const ThreadId me = CurrentThreadId();
    ASSERT_TRUE(PostThreadMessage(me, kMsgA, 0, 0));
    ASSERT_TRUE(PostThreadMessage(me, kMsgB, 0, 0));
    PostQuitMessage(3);
    PostQuitMessage(7);  // one quit, the last code
    ASSERT_TRUE(PostThreadMessage(me, kMsgC, 0, 0));
    Message m;
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgA);
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgB);
    ASSERT_TRUE(PeekMessage(m, PeekMode::Keep));
    EXPECT_EQ(m.id, kMsgQuit);
    EXPECT_FALSE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgQuit);
    EXPECT_EQ(m.wParam, 7u);
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgC);
    EXPECT_FALSE(PeekMessage(m, PeekMode::Remove));  // the quit was taken once
}

TEST_F(MessagesTest, QuitEndsALoopOnAnotherThread) {
    Thread thread;
    std::atomic<int> taken{0};
    ASSERT_TRUE(thread.StartWithQueue([&] {
        Message m;
        while (GetMessage(m)) {
            if (m.id == kMsgA) {
                ++taken;
            }
            if (m.id == kMsgB) {
                PostQuitMessage(0);
            }
        }
    }));
    ASSERT_TRUE(PostThreadMessage(thread.Id(), kMsgA, 0, 0));
    ASSERT_TRUE(PostThreadMessage(thread.Id(), kMsgB, 0, 0));
    ASSERT_TRUE(thread.Join(5000));
    EXPECT_EQ(taken.load(), 1);
}

// --- timers ---

TEST_F(MessagesTest, WindowTimerFiresOnItsOwnerUntilKilled) {
    std::vector<WParam> timerIds;
    FnWindow w([&](uint32_t id, WParam wParam, LParam) -> LResult {
        if (id == kMsgTimer) {
            timerIds.push_back(wParam);
        }
        return 0;
    });
    ASSERT_TRUE(w.Create(kClass));
    const uint32_t start = GetTickCount32();
    ASSERT_EQ(SetTimer(w.Id(), 5, 20), 5u);
    Message m;
    while (timerIds.size() < 3) {
        ASSERT_TRUE(GetMessage(m));
        EXPECT_EQ(m.window, w.Id());
        DispatchMessage(m);
    }
    EXPECT_GE(GetTickCount32() - start, 60u);
    EXPECT_EQ(timerIds, (std::vector<WParam>{5, 5, 5}));
    EXPECT_TRUE(KillTimer(w.Id(), 5));
    EXPECT_FALSE(KillTimer(w.Id(), 5));
    EXPECT_FALSE(WaitMessage(60));
    EXPECT_EQ(SetTimer(w.Id(), 0, 20), 0u);  // a window timer needs an id
    EXPECT_EQ(SetTimer(0xFFFFFFF0u, 1, 20), 0u);
}

TEST_F(MessagesTest, TimerHasAtMostOneMessagePending) {
    const uint32_t id = SetTimer(0, 0, 50);
    ASSERT_NE(id, 0u);
    SleepMs(200);  // four intervals pass while nobody takes messages
    Message m;
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));
    EXPECT_EQ(m.id, kMsgTimer);
    EXPECT_EQ(m.window, 0u);
    EXPECT_EQ(m.wParam, id);
    EXPECT_FALSE(PeekMessage(m, PeekMode::Remove));
    EXPECT_TRUE(KillTimer(0, id));
}

TEST_F(MessagesTest, TimersComeOnlyWhenNothingIsPosted) {
    const uint32_t id = SetTimer(0, 0, 10);
    SleepMs(40);
    const ThreadId me = CurrentThreadId();
    ASSERT_TRUE(PostThreadMessage(me, kMsgA, 0, 0));
    ASSERT_TRUE(PostThreadMessage(me, kMsgB, 0, 0));
    Message m;
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgA);
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgB);
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgTimer);
    EXPECT_TRUE(KillTimer(0, id));
}

TEST_F(MessagesTest, ThreadTimersGetFreshIdsAndRestartByTheirId) {
    const uint32_t a = SetTimer(0, 0, 1000);
    const uint32_t b = SetTimer(0, 0, 1000);
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(SetTimer(0, a, 10), a);  // restarted with the new interval
    Message m;
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgTimer);
    EXPECT_EQ(m.wParam, a);
    EXPECT_TRUE(KillTimer(0, a));
    EXPECT_TRUE(KillTimer(0, b));
    EXPECT_FALSE(KillTimer(0, a));
}

TEST_F(MessagesTest, TimerSetFromAnotherThreadWakesTheOwner) {
    std::atomic<int> ticks{0};
    Worker worker([&](uint32_t id, WParam, LParam) -> LResult {
        if (id == kMsgTimer) {
            ++ticks;
        }
        return 0;
    });
    SleepMs(20);  // the worker sleeps with no deadline
    ASSERT_EQ(SetTimer(worker.Id(), 9, 10), 9u);
    const uint32_t start = GetTickCount32();
    while (ticks.load() < 2 && GetTickCount32() - start < 5000) {
        SleepMs(5);
    }
    EXPECT_GE(ticks.load(), 2);
    EXPECT_TRUE(KillTimer(worker.Id(), 9));
}

// --- loops and waits ---

TEST_F(MessagesTest, NestedLoopInsideAHandlerWorks) {
    // A handler runs its own loop (a modal box) until it sees kMsgC; messages
    // that come meanwhile (posted and sent) are handled inside it, and the
    // outer loop continues afterwards.
    std::vector<std::string> log;  // main thread only
    std::thread other;
    FnWindow w;
    w.SetHandler([&](uint32_t id, WParam wParam, LParam) -> LResult {
        if (id == kMsgA) {
            log.push_back("modal begin");
            other = std::thread([id = w.Id()] {
                EXPECT_EQ(SendMessage(id, kMsgB, 2, 0), 0);
                EXPECT_TRUE(PostMessage(id, kMsgC, 0, 0));
                EXPECT_TRUE(PostMessage(id, kMsgB, 3, 0));
            });
            Message m;
            while (GetMessage(m)) {
                if (m.id == kMsgC) {
                    break;
                }
                DispatchMessage(m);
            }
            log.push_back("modal end");
        } else if (id == kMsgB) {
            log.push_back(std::string("B").append(std::to_string(wParam)));
        }
        return 0;
    });
    ASSERT_TRUE(w.Create(kClass));
    ASSERT_TRUE(PostMessage(w.Id(), kMsgA, 0, 0));
    ASSERT_TRUE(PostMessage(w.Id(), kMsgB, 1, 0));
    Message m;
    ASSERT_TRUE(GetMessage(m));
    DispatchMessage(m);  // kMsgA: the nested loop
    other.join();
    ASSERT_TRUE(GetMessage(m));
    DispatchMessage(m);
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "modal begin");
    // B1 (posted) and B2 (sent) both come inside the nested loop.
    EXPECT_EQ(std::set<std::string>(log.begin() + 1, log.begin() + 3),
              (std::set<std::string>{"B1", "B2"}));
    EXPECT_EQ(log[3], "modal end");
    EXPECT_EQ(log[4], "B3");
}

TEST_F(MessagesTest, NestedLoopPassesAQuitOnToTheOuterLoop) {
    FnWindow w([&](uint32_t id, WParam, LParam) -> LResult {
        if (id == kMsgA) {
            Message m;
            while (GetMessage(m)) {
                DispatchMessage(m);
            }
            PostQuitMessage(static_cast<int>(m.wParam));  // as a modal loop must
        }
        return 0;
    });
    ASSERT_TRUE(w.Create(kClass));
    ASSERT_TRUE(PostMessage(w.Id(), kMsgA, 0, 0));
    PostQuitMessage(4);
    Message m;
    int dispatched = 0;
    while (GetMessage(m)) {
        DispatchMessage(m);
        ++dispatched;
    }
    EXPECT_EQ(dispatched, 1);
    EXPECT_EQ(m.wParam, 4u);
}

TEST_F(MessagesTest, WaitMessageTimesOutOrWakesOnAPost) {
    EnsureMessageQueue();
    const uint32_t start = GetTickCount32();
    EXPECT_FALSE(WaitMessage(30));
    EXPECT_GE(GetTickCount32() - start, 30u);

    std::thread poster([me = CurrentThreadId()] { PostThreadMessage(me, kMsgA, 0, 0); });
    EXPECT_TRUE(WaitMessage(5000));
    poster.join();
    EXPECT_TRUE(WaitMessage(0));  // still waiting: WaitMessage does not take it
    Message m;
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));
    EXPECT_EQ(m.id, kMsgA);
}

TEST_F(MessagesTest, MsgWaitForEventsReportsEventsMessagesAndTimeOut) {
    EnsureMessageQueue();
    Event stop(Mode::ManualReset), tunnel(Mode::AutoReset);
    Event* const events[] = {&stop, &tunnel};
    EXPECT_EQ(MsgWaitForEvents(events, 20), kWaitTimeout);

    std::thread setter([&] { tunnel.Set(); });
    EXPECT_EQ(MsgWaitForEvents(events, 5000), 1);
    setter.join();
    EXPECT_FALSE(tunnel.IsSet());  // consumed

    std::thread poster([me = CurrentThreadId()] { PostThreadMessage(me, kMsgA, 0, 0); });
    EXPECT_EQ(MsgWaitForEvents(events, 5000), 2);
    poster.join();

    stop.Set();  // events win over waiting messages
    EXPECT_EQ(MsgWaitForEvents(events, 5000), 0);
    stop.Reset();
    EXPECT_EQ(MsgWaitForEvents(events, 0), 2);
    Message m;
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));
    EXPECT_EQ(m.id, kMsgA);
}

TEST_F(MessagesTest, MsgWaitForEventsHandlesSendsMeanwhile) {
    EnsureMessageQueue();
    bool handled = false;
    FnWindow w([&](uint32_t id, WParam, LParam) -> LResult {
        handled = id == kMsgA;
        return 1;
    });
    ASSERT_TRUE(w.Create(kClass));
    Event never(Mode::ManualReset);
    Event* const events[] = {&never};
    std::thread sender([id = w.Id()] { EXPECT_EQ(SendMessage(id, kMsgA, 0, 0), 1); });
    EXPECT_EQ(MsgWaitForEvents(events, 5000), 1);
    sender.join();
    EXPECT_TRUE(handled);
}

// A waiter that counts its calls and turns "outside events" into posts.
class TestWaiter : public QueueWaiter {
public:
    explicit TestWaiter(std::atomic<int>* outside) : outside_(outside) {}
    void Pump() override {
        ++pumps;
        while (*outside_ > 0) {
            --*outside_;
            PostThreadMessage(CurrentThreadId(), kMsgC, 0, 0);
        }
    }
    void Wait(uint32_t timeoutMs) override { wake_.Wait(timeoutMs); }
    void Wake() override {
        ++wakes;
        wake_.Set();
    }
    std::atomic<int> pumps{0};
    std::atomic<int> wakes{0};

private:
    std::atomic<int>* outside_;
    Event wake_{Mode::AutoReset};
};

TEST_F(MessagesTest, CustomWaiterIsPumpedAndWoken) {
    std::atomic<int> outside{0};
    auto owned = std::make_unique<TestWaiter>(&outside);
    TestWaiter* waiter = owned.get();
    SetQueueWaiter(std::move(owned));

    outside = 2;  // the waiter sees two outside events
    Message m;
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));
    EXPECT_EQ(m.id, kMsgC);
    EXPECT_GE(waiter->pumps.load(), 1);
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgC);

    std::thread poster([me = CurrentThreadId()] {
        SleepMs(20);
        PostThreadMessage(me, kMsgA, 0, 0);
    });
    ASSERT_TRUE(GetMessage(m));  // sleeps in the waiter until the post wakes it
    EXPECT_EQ(m.id, kMsgA);
    poster.join();
    EXPECT_GE(waiter->wakes.load(), 1);

    // Events wake it too, and its Wake may itself set an event.
    Event ready(Mode::AutoReset);
    Event* const events[] = {&ready};
    std::thread setter([&] {
        SleepMs(20);
        ready.Set();
    });
    EXPECT_EQ(MsgWaitForEvents(events, 5000), 0);
    setter.join();

    SetQueueWaiter(nullptr);  // back to the default
    std::thread poster2([me = CurrentThreadId()] { PostThreadMessage(me, kMsgB, 0, 0); });
    ASSERT_TRUE(GetMessage(m));
    EXPECT_EQ(m.id, kMsgB);
    poster2.join();
}

}  // namespace
}  // namespace platform
