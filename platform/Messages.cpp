#include "platform/Messages.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>  // the clocks too: <chrono> does not build under -fexec-charset=GBK
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/DroppedMessages.h"
#include "platform/EventWatch.h"
#include "platform/MessageQueue.h"
#include "platform/RingQueue.h"
#include "platform/WindowLink.h"

namespace platform {

namespace detail {

struct WindowAccess {
    static void Clear(Window& window) { window.id_.store(0); }
};

}  // namespace detail

namespace {

using Clock = std::chrono::steady_clock;
using detail::WindowAccess;

constexpr uint32_t kMinTimerMs = 10;
constexpr uint32_t kMaxTimerMs = 0x7FFFFFFF;

// Sticky, as a waiter must be: a Wake before Wait is kept. Its own mutex
// rather than an Event: every Event shares one mutex, and a cross-thread
// SendMessage round trip measured about 1.5 times slower on it.
class DefaultWaiter final : public QueueWaiter {
public:
    void Wait(uint32_t timeoutMs) override {
        std::unique_lock lock(mutex_);
        auto woken = [this] { return signalled_; };
        if (timeoutMs == kInfinite) {
            cv_.wait(lock, woken);
        } else {
            cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), woken);
        }
        signalled_ = false;
    }

    void Wake() override {
        {
            std::lock_guard lock(mutex_);
            signalled_ = true;
        }
        cv_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};

struct Queue;

// A message sent from another thread, waiting for the receiver to handle it.
// Fields other than result and done are fixed before it is queued.
struct SentItem {
    WindowId window = 0;
    uint32_t id = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    std::function<void()> call;  // internal work for the receiving thread instead
    std::shared_ptr<Queue> sender;
    // A copy-data record sent with a time-out travels as a copy: the sender
    // may stop waiting while the receiver still reads it.
    CopyDataRecord copyData;
    std::vector<uint8_t> copyBytes;
    // Written once under the registry mutex, before done; read after done.
    LResult result = 0;
    std::atomic<bool> done{false};
    std::atomic<bool> abandoned{false};  // the sender gave up
};

struct Timer {
    WindowId window = 0;
    uint32_t id = 0;
    uint32_t intervalMs = 0;
    Clock::time_point due;
};

// A posted message with the input stamp of the display's input it comes
// from (0 for any other message).
struct PostedMessage : Message {
    uint64_t inputStamp = 0;
};

// A thread's message queue. `sent` is guarded by the registry mutex, with
// `sentPending` telling the owner without it whether anything is there;
// everything else by the queue's own mutex (taken after the registry mutex
// when both are held). `waiter` is written only by the owning thread.
struct Queue : std::enable_shared_from_this<Queue> {
    explicit Queue(ThreadId owner) : thread(owner) {}

    const ThreadId thread;
    std::mutex mutex;
    std::deque<std::shared_ptr<SentItem>> sent;
    std::atomic<bool> sentPending{false};  // !sent.empty(), kept with it
    RingQueue<PostedMessage> posted;
    std::vector<Timer> timers;
    std::vector<WindowId> paintRequests;  // oldest first, each window once
    int holding = 0;                      // nested SleepHoldingMessages calls
    std::vector<WindowId> heldPaints;     // asked for while holding, each once
    std::shared_ptr<QueueWaiter> waiter = std::make_shared<DefaultWaiter>();
    bool sleeping = false;         // the owner is in waiter->Wait (or about to be)
    bool quitQueued = false;       // a PostQuitMessage is among the posted messages
    uint64_t takenInputStamp = 0;  // of the last input message taken
};

struct WindowEntry {
    Window* window = nullptr;
    ThreadId owner = 0;
    std::string classKey;
    bool destroying = false;
    bool quitWhenDestroyed = false;
};

// The process-wide tables. Never destroyed: threads may still end (and clean
// up their queues) while static objects are being destroyed at exit.
struct Registry {
    std::mutex mutex;
    std::unordered_map<ThreadId, std::shared_ptr<Queue>> queues;
    std::map<WindowId, WindowEntry> windows;  // by id, which is creation order
    std::set<std::string, std::less<>> classes;
    WindowId nextWindowId = 0;
    uint32_t nextThreadTimerId = 1;
    std::unordered_map<uint32_t, DroppedMessageFreer> freers;  // by message id
};

// Window ids start in a range derived from the process id, so that windows of
// two processes (the hall's cross-process messages) rarely share an id.
WindowId FirstWindowId() {
    return (static_cast<WindowId>(::getpid()) & 0x7FFFu) << 16 | 1u;
}

Registry& Reg() {
    static Registry* registry = [] {
        auto* r = new Registry;
        r->nextWindowId = FirstWindowId();
        return r;
    }();
    return *registry;
}

// Waiters to wake once the registry mutex is released.
using Wakes = std::vector<std::shared_ptr<QueueWaiter>>;

// Drops the posted messages that match, freeing what they own (the registry
// mutex and the queue's are held).
template <typename Match>
void DropPostedLocked(Registry& reg, Queue& q, Match match) {
    q.posted.EraseIf([&](const PostedMessage& m) {
        if (!match(m)) {
            return false;
        }
        if (const auto freer = reg.freers.find(m.id); freer != reg.freers.end()) {
            freer->second(m.wParam, m.lParam);
        }
        return true;
    });
}

void WakeAll(const Wakes& wakes) {
    for (const auto& waiter : wakes) {
        waiter->Wake();
    }
}

// The waiter to wake after unlocking when the queue's owner sleeps, else null
// (with the queue's mutex held).
std::shared_ptr<QueueWaiter> TakeWakeLocked(Queue& queue) {
    if (!queue.sleeping) {
        return nullptr;
    }
    queue.sleeping = false;
    return queue.waiter;
}

// With the registry mutex held, and no queue's mutex.
void CompleteLocked(SentItem& item, LResult result, Wakes& wakes) {
    item.result = result;
    item.done = true;
    std::lock_guard lock(item.sender->mutex);
    if (auto waiter = TakeWakeLocked(*item.sender)) {
        wakes.push_back(std::move(waiter));
    }
}

// The queue's sent items changed (registry mutex held).
void NoteSentLocked(Queue& q) {
    q.sentPending = !q.sent.empty();
}

// The current time when the queue has timers to compare it with (queue's
// mutex held); the clock is read for nothing else.
Clock::time_point NowForTimersLocked(const Queue& q) {
    return q.timers.empty() ? Clock::time_point{} : Clock::now();
}

// The tick count an input message carries: the coarse clock, at the
// resolution the original platform's tick count has, and cheaper to read.
// Other posted messages carry none: nothing reads it, and the clock read
// would be a fifth of a post's cost.
uint32_t InputTickCount() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000 +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000);
}

std::string ClassKey(std::string_view name) {
    return detail::FoldAsciiCopy(name);
}

uint32_t CeilMs(Clock::duration d) {
    if (d <= Clock::duration::zero()) {
        return 0;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(d).count();
    return ms >= static_cast<int64_t>(kInfinite) ? kInfinite - 1 : static_cast<uint32_t>(ms);
}

// --- the calling thread's queue ---

thread_local Queue* t_queue = nullptr;  // valid while the registry holds it
thread_local int t_holding = 0;         // SleepHoldingMessages calls running
thread_local bool t_ended = false;      // messaging has been torn down

struct ThreadEndGuard {
    ~ThreadEndGuard() { detail::EndThreadMessaging(CurrentThreadId()); }
};
thread_local ThreadEndGuard t_endGuard;

// The calling thread's first look for its queue: found in the registry, or
// made there when `create`.
Queue* FindOrMakeCurrentQueue(bool create) {
    Registry& reg = Reg();
    const ThreadId me = CurrentThreadId();
    {
        std::lock_guard lock(reg.mutex);
        auto it = reg.queues.find(me);
        if (it == reg.queues.end()) {
            if (!create) {
                return nullptr;
            }
            it = reg.queues.emplace(me, std::make_shared<Queue>(me)).first;
        }
        t_queue = it->second.get();
    }
    (void)&t_endGuard;  // the first use constructs it: the queue goes when the thread ends
    return t_queue;
}

// The calling thread's queue, made when `create` (null once the thread ended).
inline Queue* CurrentQueue(bool create) {
    if (t_queue != nullptr || t_ended) {
        return t_queue;
    }
    return FindOrMakeCurrentQueue(create);
}

// The queue a thread waits on while it sends: its own, or (during its very end,
// when it has none any more) a private one nobody else can reach.
std::shared_ptr<Queue> QueueForWaiting() {
    if (Queue* q = CurrentQueue(true)) {
        return q->shared_from_this();
    }
    return std::make_shared<Queue>(CurrentThreadId());
}

Queue* QueueOfLocked(Registry& reg, ThreadId thread) {
    auto it = reg.queues.find(thread);
    return it == reg.queues.end() ? nullptr : it->second.get();
}

Window* OwnedWindowLocked(Registry& reg, WindowId window, ThreadId owner) {
    auto it = reg.windows.find(window);
    if (it == reg.windows.end() || it->second.owner != owner) {
        return nullptr;
    }
    return it->second.window;
}

// --- taking messages ---

bool HasDueTimerLocked(const Queue& q, Clock::time_point now) {
    return std::any_of(q.timers.begin(), q.timers.end(),
                       [now](const Timer& t) { return t.due <= now; });
}

bool HasInputLocked(const Queue& q, Clock::time_point now) {
    return !q.posted.empty() || !q.paintRequests.empty() || HasDueTimerLocked(q, now);
}

// How long the owner may sleep before its next timer is due (kInfinite: none).
uint32_t UntilNextTimerLocked(const Queue& q, Clock::time_point now) {
    if (q.timers.empty()) {
        return kInfinite;
    }
    auto next = q.timers.front().due;
    for (const Timer& t : q.timers) {
        next = std::min(next, t.due);
    }
    return CeilMs(next - now);
}

// Posted messages (with the quit among them) in order; then the oldest paint
// request; then the timer that has been due longest. A taken timer is due
// again at its next whole interval, so a timer has at most one message
// pending however long nobody takes it.
bool TakeLocked(Queue& q, Message& out, bool remove, Clock::time_point now) {
    if (!q.posted.empty()) {
        out = q.posted.front();
        if (remove) {
            if (q.posted.front().inputStamp != 0) {
                q.takenInputStamp = q.posted.front().inputStamp;
            }
            q.posted.pop_front();
            if (out.id == kMsgQuit && out.window == 0) {
                q.quitQueued = false;
            }
        }
        return true;
    }
    if (!q.paintRequests.empty()) {
        out = Message{q.paintRequests.front(), kMsgPaint, 0, 0, GetTickCount32()};
        if (remove) {
            q.paintRequests.erase(q.paintRequests.begin());
        }
        return true;
    }
    Timer* due = nullptr;
    for (Timer& t : q.timers) {
        if (t.due <= now && (due == nullptr || t.due < due->due)) {
            due = &t;
        }
    }
    if (due == nullptr) {
        return false;
    }
    out = Message{due->window, kMsgTimer, due->id, 0, GetTickCount32()};
    if (remove) {
        const auto interval = std::chrono::milliseconds(due->intervalMs);
        due->due += interval * ((now - due->due) / interval + 1);
    }
    return true;
}

// Handles one message sent to the calling thread from another, if any.
bool HandleOneSent(Queue& q) {
    if (!q.sentPending.load()) {
        return false;
    }
    Registry& reg = Reg();
    std::shared_ptr<SentItem> item;
    Window* window = nullptr;
    {
        std::lock_guard lock(reg.mutex);
        while (!q.sent.empty() && q.sent.front()->abandoned) {
            q.sent.pop_front();
        }
        if (q.sent.empty()) {
            NoteSentLocked(q);
            return false;
        }
        item = std::move(q.sent.front());
        q.sent.pop_front();
        NoteSentLocked(q);
        if (!item->call) {
            window = OwnedWindowLocked(reg, item->window, q.thread);
        }
    }
    LResult result = 0;
    if (item->call) {
        item->call();
    } else if (window != nullptr) {
        result = window->WindowProc(item->id, item->wParam, item->lParam);
    }
    Wakes wakes;
    {
        std::lock_guard lock(reg.mutex);
        CompleteLocked(*item, result, wakes);
    }
    WakeAll(wakes);
    return true;
}

// Handles every message sent to the calling thread; true when there was one.
bool HandleAllSent(Queue& q) {
    if (!q.sentPending.load()) {
        return false;
    }
    bool any = false;
    while (HandleOneSent(q)) {
        any = true;
    }
    return any;
}

// One round of a queue wait. `check` runs under the queue's mutex and either
// answers (a value) or writes how long to sleep into waitMs and answers
// nullopt; the owner is marked sleeping before the unlock, so a post (or a
// send, or a reply: they note themselves before they look at `sleeping`)
// that comes after the check wakes it. nullopt after the sleep (or at once
// when waitMs is 0): the caller checks again.
template <typename Check>
auto SleepOnce(Queue& q, Check check) -> decltype(check(std::declval<uint32_t&>())) {
    QueueWaiter* waiter = nullptr;
    uint32_t waitMs = kInfinite;
    {
        std::lock_guard lock(q.mutex);
        if (auto answer = check(waitMs)) {
            return answer;
        }
        if (waitMs == 0) {
            return std::nullopt;
        }
        q.sleeping = true;
        waiter = q.waiter.get();
    }
    waiter->Wait(waitMs);
    std::lock_guard lock(q.mutex);
    q.sleeping = false;
    return std::nullopt;
}

// Blocks the calling thread until the item sent to another thread is done,
// handling what other threads send to this one meanwhile. At the time-out
// the item is abandoned (a receiver that has not taken it yet never will)
// and the answer is nullopt.
std::optional<LResult> WaitForReply(Queue& me, SentItem& item, uint32_t timeoutMs) {
    const auto start = Clock::now();
    for (;;) {
        if (HandleAllSent(me)) {
            continue;
        }
        bool timedOut = false;
        auto result = SleepOnce(me, [&](uint32_t& waitMs) -> std::optional<LResult> {
            if (item.done.load()) {
                return item.result;
            }
            uint32_t left = kInfinite;
            if (timeoutMs != kInfinite) {
                const auto elapsed = Clock::now() - start;
                if (elapsed >= std::chrono::milliseconds(timeoutMs)) {
                    item.abandoned = true;
                    timedOut = true;
                    return LResult{0};
                }
                left = CeilMs(std::chrono::milliseconds(timeoutMs) - elapsed);
            }
            waitMs = me.sentPending.load() ? 0 : left;
            return std::nullopt;
        });
        if (result) {
            return timedOut ? std::nullopt : result;
        }
    }
}

// Queues the item on the thread that owns the window (or, with no window, on
// `thread`) and waits for it. nullopt when the target is gone or the time-out
// passed.
std::optional<LResult> SendAcross(ThreadId thread, std::shared_ptr<SentItem> item,
                                  uint32_t timeoutMs = kInfinite) {
    Registry& reg = Reg();
    std::shared_ptr<Queue> me = QueueForWaiting();
    item->sender = me;
    std::shared_ptr<QueueWaiter> wake;
    {
        std::lock_guard lock(reg.mutex);
        if (item->window != 0) {
            auto it = reg.windows.find(item->window);
            if (it == reg.windows.end()) {
                return std::nullopt;
            }
            thread = it->second.owner;
        }
        Queue* target = QueueOfLocked(reg, thread);
        if (target == nullptr) {
            return std::nullopt;
        }
        target->sent.push_back(item);
        NoteSentLocked(*target);
        std::lock_guard queueLock(target->mutex);
        wake = TakeWakeLocked(*target);
    }
    if (wake) {
        wake->Wake();
    }
    return WaitForReply(*me, *item, timeoutMs);
}

// Queues the quit message (one at most: a later one only changes its code),
// with the queue's mutex held.
void PostQuitLocked(Queue& q, int exitCode, Wakes& wakes) {
    const auto code = static_cast<WParam>(static_cast<intptr_t>(exitCode));
    if (q.quitQueued) {
        for (size_t place = q.posted.size(); place-- > 0;) {
            PostedMessage& m = q.posted[place];
            if (m.id == kMsgQuit && m.window == 0) {
                m.wParam = code;
                return;
            }
        }
    }
    q.posted.push_back(PostedMessage{{0, kMsgQuit, code, 0}});
    q.quitQueued = true;
    if (auto waiter = TakeWakeLocked(q)) {
        wakes.push_back(std::move(waiter));
    }
}

// Takes a destroyed (or orphaned) window out of the table with everything
// queued for it: posted messages, timers, and sends, which answer 0.
void RemoveWindowLocked(Registry& reg, std::map<WindowId, WindowEntry>::iterator it, Wakes& wakes) {
    const WindowId id = it->first;
    WindowAccess::Clear(*it->second.window);
    detail::ForgetExport(id);
    Queue* q = QueueOfLocked(reg, it->second.owner);
    const bool quit = it->second.quitWhenDestroyed;
    reg.windows.erase(it);
    if (q == nullptr) {
        return;
    }
    {
        std::lock_guard queueLock(q->mutex);
        if (quit) {
            PostQuitLocked(*q, 0, wakes);
        }
        DropPostedLocked(reg, *q, [id](const Message& m) { return m.window == id; });
        std::erase_if(q->timers, [id](const Timer& t) { return t.window == id; });
        std::erase(q->paintRequests, id);
        std::erase(q->heldPaints, id);
    }
    std::erase_if(q->sent, [&](const std::shared_ptr<SentItem>& item) {
        if (item->call || item->window != id) {
            return false;
        }
        CompleteLocked(*item, 0, wakes);
        return true;
    });
    NoteSentLocked(*q);
}

}  // namespace

// --- thread life ---

namespace detail {

void CreateQueueForThread(ThreadId thread) {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    reg.queues.try_emplace(thread, std::make_shared<Queue>(thread));
}

void EndThreadMessaging(ThreadId thread) {
    if (thread == CurrentThreadId()) {
        t_ended = true;
        t_queue = nullptr;
    }
    Registry& reg = Reg();
    std::shared_ptr<Queue> queue;  // released after the mutex, with its waiter
    Wakes wakes;
    {
        std::lock_guard lock(reg.mutex);
        for (auto it = reg.windows.begin(); it != reg.windows.end();) {
            auto next = std::next(it);
            if (it->second.owner == thread) {
                RemoveWindowLocked(reg, it, wakes);
            }
            it = next;
        }
        auto it = reg.queues.find(thread);
        if (it != reg.queues.end()) {
            queue = std::move(it->second);
            reg.queues.erase(it);
            for (auto& item : queue->sent) {
                CompleteLocked(*item, 0, wakes);
            }
            queue->sent.clear();
            NoteSentLocked(*queue);
            std::lock_guard queueLock(queue->mutex);
            DropPostedLocked(reg, *queue, [](const Message&) { return true; });
            queue->timers.clear();
            queue->paintRequests.clear();
            queue->heldPaints.clear();
        }
    }
    WakeAll(wakes);
}

}  // namespace detail

void SetDroppedMessageFreer(uint32_t id, DroppedMessageFreer freer) {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    if (freer == nullptr) {
        reg.freers.erase(id);
    } else {
        reg.freers[id] = freer;
    }
}

// --- windows ---

Window::Window() = default;

Window::~Window() {
    Destroy();
}

bool Window::Create(std::string_view className) {
    if (id_.load() != 0) {
        return false;
    }
    if (CurrentQueue(true) == nullptr) {
        return false;
    }
    const ThreadId me = CurrentThreadId();
    std::string key = ClassKey(className);
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    if (reg.classes.find(key) == reg.classes.end()) {
        return false;
    }
    WindowId id = reg.nextWindowId++;
    while (id == 0 || reg.windows.count(id) != 0) {  // only after 2^32 windows
        id = reg.nextWindowId++;
    }
    className_ = std::string(className);
    owner_.store(me);
    id_.store(id);
    reg.windows.emplace(id, WindowEntry{this, me, std::move(key), false});
    return true;
}

void Window::Destroy() {
    const WindowId id = id_.load();
    if (id == 0) {
        return;
    }
    const ThreadId me = CurrentThreadId();
    Registry& reg = Reg();
    ThreadId owner = 0;
    {
        std::lock_guard lock(reg.mutex);
        auto it = reg.windows.find(id);
        if (it == reg.windows.end() || it->second.window != this) {
            WindowAccess::Clear(*this);
            return;
        }
        if (it->second.destroying) {
            return;  // Destroy from inside its own kMsgDestroy
        }
        owner = it->second.owner;
        if (owner == me) {
            it->second.destroying = true;
        }
    }
    if (owner != me) {
        // Destroyed on the owner's thread, so that its handler never runs
        // while the window goes. If the owner ends first, its end removes it.
        auto item = std::make_shared<SentItem>();
        item->call = [this] { Destroy(); };
        SendAcross(owner, std::move(item));
        WindowAccess::Clear(*this);
        return;
    }
    WindowProc(kMsgDestroy, 0, 0);
    Wakes wakes;
    {
        std::lock_guard lock(reg.mutex);
        auto it = reg.windows.find(id);
        if (it != reg.windows.end() && it->second.window == this) {
            RemoveWindowLocked(reg, it, wakes);
        }
    }
    WakeAll(wakes);
}

bool DestroyWindow(WindowId window) {
    Registry& reg = Reg();
    Window* target = nullptr;
    ThreadId owner = 0;
    {
        std::lock_guard lock(reg.mutex);
        auto it = reg.windows.find(window);
        if (it == reg.windows.end()) {
            return false;
        }
        target = it->second.window;
        owner = it->second.owner;
    }
    if (owner == CurrentThreadId()) {
        target->Destroy();
        return true;
    }
    // Looked up again on the owner's thread, where the object cannot go
    // meanwhile.
    auto item = std::make_shared<SentItem>();
    item->call = [window] { DestroyWindow(window); };
    SendAcross(owner, std::move(item));
    return true;
}

LResult Window::WindowProc(uint32_t, WParam, LParam) {
    return 0;
}

bool RegisterWindowClass(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    reg.classes.insert(ClassKey(name));
    return true;
}

bool UnregisterWindowClass(std::string_view name) {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    return reg.classes.erase(ClassKey(name)) != 0;
}

bool IsWindowClassRegistered(std::string_view name) {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    return reg.classes.count(ClassKey(name)) != 0;
}

namespace {

bool IsLocalWindow(WindowId window) {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    return reg.windows.count(window) != 0;
}

WindowId FindLocalWindowByClass(std::string_view className) {
    const std::string key = ClassKey(className);
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    for (const auto& [id, entry] : reg.windows) {
        if (entry.classKey == key) {
            return id;
        }
    }
    return 0;
}

}  // namespace

bool IsWindow(WindowId window) {
    if (window == 0) {
        return false;
    }
    return IsLocalWindow(window) || detail::IsExportedElsewhere(window);
}

WindowId FindWindowByClass(std::string_view className) {
    const WindowId local = FindLocalWindowByClass(className);
    return local != 0 ? local : detail::FindExportedByClass(className);
}

ThreadId WindowThread(WindowId window) {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    auto it = reg.windows.find(window);
    return it == reg.windows.end() ? 0 : it->second.owner;
}

// --- queues ---

void EnsureMessageQueue() {
    CurrentQueue(true);
}

bool HasMessageQueue(ThreadId thread) {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    return reg.queues.count(thread) != 0;
}

namespace {

Queue* WindowQueueLocked(Registry& reg, WindowId window) {
    auto it = reg.windows.find(window);
    return it == reg.windows.end() ? nullptr : QueueOfLocked(reg, it->second.owner);
}

Queue* ThreadQueueLocked(Registry& reg, ThreadId thread) {
    return QueueOfLocked(reg, thread);
}

bool PostToQueue(Queue* (*find)(Registry&, uint32_t), uint32_t target, const Message& m,
                 uint64_t inputStamp = 0) {
    if (target == 0) {
        return false;
    }
    if (find == ThreadQueueLocked && target == CurrentThreadId() && t_queue != nullptr) {
        // To its own queue, which lives as long as the thread: no look-up, and
        // nobody sleeps on it.
        std::lock_guard queueLock(t_queue->mutex);
        t_queue->posted.push_back(PostedMessage{m, inputStamp});
        return true;
    }
    Registry& reg = Reg();
    std::shared_ptr<QueueWaiter> wake;
    {
        std::lock_guard lock(reg.mutex);
        Queue* q = find(reg, target);
        if (q == nullptr) {
            return false;
        }
        std::lock_guard queueLock(q->mutex);
        q->posted.push_back(PostedMessage{m, inputStamp});
        wake = TakeWakeLocked(*q);
    }
    if (wake) {
        wake->Wake();
    }
    return true;
}

}  // namespace

bool PostMessage(WindowId window, uint32_t id, WParam wParam, LParam lParam) {
    return detail::PostToLocalWindow(window, id, wParam, lParam) ||
           detail::PostToExported(window, id, wParam, lParam);
}

bool PostThreadMessage(ThreadId thread, uint32_t id, WParam wParam, LParam lParam) {
    return PostToQueue(ThreadQueueLocked, thread, Message{0, id, wParam, lParam});
}

LResult SendMessage(WindowId window, uint32_t id, WParam wParam, LParam lParam) {
    if (window == 0) {
        return 0;
    }
    const ThreadId me = CurrentThreadId();
    Window* direct = nullptr;
    {
        Registry& reg = Reg();
        std::lock_guard lock(reg.mutex);
        auto it = reg.windows.find(window);
        if (it == reg.windows.end()) {
            return 0;
        }
        if (it->second.owner == me) {
            direct = it->second.window;
        }
    }
    if (direct != nullptr) {
        return direct->WindowProc(id, wParam, lParam);
    }
    auto item = std::make_shared<SentItem>();
    item->window = window;
    item->id = id;
    item->wParam = wParam;
    item->lParam = lParam;
    return SendAcross(0, std::move(item)).value_or(0);
}

bool SendMessageTimeout(WindowId window, uint32_t id, WParam wParam, LParam lParam,
                        uint32_t timeoutMs, LResult* result) {
    LResult ignored = 0;
    LResult& answer = result != nullptr ? *result : ignored;
    answer = 0;
    if (window == 0) {
        return false;
    }
    const ThreadId me = CurrentThreadId();
    bool local = false;
    Window* direct = nullptr;
    {
        Registry& reg = Reg();
        std::lock_guard lock(reg.mutex);
        auto it = reg.windows.find(window);
        if (it != reg.windows.end()) {
            local = true;
            direct = it->second.owner == me ? it->second.window : nullptr;
        }
    }
    if (!local) {
        return id == kMsgCopyData &&
               detail::SendCopyDataToExported(window, wParam,
                                              reinterpret_cast<const CopyDataRecord*>(lParam),
                                              timeoutMs, &answer);
    }
    if (direct != nullptr) {
        answer = direct->WindowProc(id, wParam, lParam);
        return true;
    }
    auto item = std::make_shared<SentItem>();
    item->window = window;
    item->id = id;
    item->wParam = wParam;
    item->lParam = lParam;
    if (id == kMsgCopyData && lParam != 0) {
        const auto& record = *reinterpret_cast<const CopyDataRecord*>(lParam);
        const auto* bytes = static_cast<const uint8_t*>(record.lpData);
        if (bytes != nullptr) {
            item->copyBytes.assign(bytes, bytes + record.cbData);
        }
        item->copyData = CopyDataRecord{record.dwData, record.cbData,
                                        bytes != nullptr ? item->copyBytes.data() : nullptr};
        item->lParam = reinterpret_cast<LParam>(&item->copyData);
    }
    const auto reply = SendAcross(0, std::move(item), timeoutMs);
    answer = reply.value_or(0);
    return reply.has_value();
}

// --- for the window link ---

namespace detail {

bool PostToLocalWindow(WindowId window, uint32_t id, WParam wParam, LParam lParam) {
    return PostToQueue(WindowQueueLocked, window, Message{window, id, wParam, lParam});
}

bool PostInputMessage(WindowId window, uint32_t id, WParam wParam, LParam lParam,
                      uint64_t inputStamp) {
    return PostToQueue(WindowQueueLocked, window,
                       Message{window, id, wParam, lParam, InputTickCount()}, inputStamp);
}

std::optional<uint64_t> InputStampBeingHandled() {
    Queue* q = CurrentQueue(false);
    if (q == nullptr) {
        return std::nullopt;
    }
    std::lock_guard lock(q->mutex);
    bool pending = false;
    for (size_t place = 0; place < q->posted.size() && !pending; ++place) {
        pending = q->posted[place].inputStamp != 0;
    }
    return pending ? std::optional(q->takenInputStamp) : std::nullopt;
}

std::optional<std::string> LocalWindowClass(WindowId window) {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    auto it = reg.windows.find(window);
    if (it == reg.windows.end()) {
        return std::nullopt;
    }
    return it->second.window->ClassName();
}

struct ReplyWait {
    std::shared_ptr<SentItem> item;
};

std::shared_ptr<ReplyWait> NewReplyWait() {
    auto wait = std::make_shared<ReplyWait>();
    wait->item = std::make_shared<SentItem>();
    wait->item->sender = QueueForWaiting();
    return wait;
}

void CompleteReplyWait(ReplyWait& wait, LResult result) {
    Wakes wakes;
    {
        std::lock_guard lock(Reg().mutex);
        if (!wait.item->done) {
            CompleteLocked(*wait.item, result, wakes);
        }
    }
    WakeAll(wakes);
}

std::optional<LResult> AwaitReplyWait(ReplyWait& wait, uint32_t timeoutMs) {
    return WaitForReply(*wait.item->sender, *wait.item, timeoutMs);
}

}  // namespace detail

bool GetMessage(Message& out) {
    Queue* q = CurrentQueue(true);
    if (q == nullptr) {
        out = Message{0, kMsgQuit, 0, 0, GetTickCount32()};
        return false;
    }
    for (;;) {
        q->waiter->Pump();
        if (HandleAllSent(*q)) {
            continue;
        }
        auto taken = SleepOnce(*q, [&](uint32_t& waitMs) -> std::optional<bool> {
            const auto now = NowForTimersLocked(*q);
            if (TakeLocked(*q, out, true, now)) {
                return true;
            }
            waitMs = q->sentPending.load() ? 0 : UntilNextTimerLocked(*q, now);
            return std::nullopt;
        });
        if (taken) {
            return out.id != kMsgQuit;
        }
    }
}

bool PeekMessage(Message& out, PeekMode mode) {
    Queue* q = CurrentQueue(true);
    if (q == nullptr) {
        return false;
    }
    q->waiter->Pump();
    HandleAllSent(*q);
    std::lock_guard lock(q->mutex);
    return TakeLocked(*q, out, mode == PeekMode::Remove, NowForTimersLocked(*q));
}

namespace {

// The wait shared by WaitMessage and MsgWaitForEvents: true when a message is
// waiting or one sent to the thread was handled, false at the deadline.
// `ready` (may be null) is checked first on every round.
bool WaitForInput(Queue& q, uint32_t timeoutMs, const std::function<bool()>& ready) {
    const bool bounded = timeoutMs != kInfinite;
    const auto start = bounded ? Clock::now() : Clock::time_point{};
    for (;;) {
        if (ready && ready()) {
            return true;
        }
        q.waiter->Pump();
        if (HandleAllSent(q)) {
            return true;
        }
        auto answer = SleepOnce(q, [&](uint32_t& waitMs) -> std::optional<bool> {
            const auto now = bounded ? Clock::now() : NowForTimersLocked(q);
            if (HasInputLocked(q, now)) {
                return true;
            }
            uint32_t left = kInfinite;
            if (bounded) {
                const auto elapsed = now - start;
                if (elapsed >= std::chrono::milliseconds(timeoutMs)) {
                    return false;
                }
                left = CeilMs(std::chrono::milliseconds(timeoutMs) - elapsed);
            }
            waitMs = q.sentPending.load() ? 0 : std::min(left, UntilNextTimerLocked(q, now));
            return std::nullopt;
        });
        if (answer) {
            return *answer;
        }
    }
}

}  // namespace

bool WaitMessage(uint32_t timeoutMs) {
    Queue* q = CurrentQueue(true);
    if (q == nullptr) {
        return false;
    }
    return WaitForInput(*q, timeoutMs, nullptr);
}

namespace detail {

std::shared_ptr<QueueWaiter> CurrentQueueWaiter() {
    Queue* q = CurrentQueue(true);
    if (q == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(q->mutex);
    return q->waiter;
}

bool WaitMessageOr(uint32_t timeoutMs, const std::function<bool()>& ready) {
    Queue* q = CurrentQueue(true);
    if (q == nullptr) {
        return ready();
    }
    return WaitForInput(*q, timeoutMs, ready);
}

bool WakeQueueWaiter(ThreadId thread) {
    std::shared_ptr<QueueWaiter> waiter;
    {
        Registry& reg = Reg();
        std::lock_guard lock(reg.mutex);
        Queue* q = QueueOfLocked(reg, thread);
        if (q == nullptr) {
            return false;
        }
        std::lock_guard queueLock(q->mutex);
        waiter = q->waiter;
    }
    waiter->Wake();
    return true;
}

}  // namespace detail

int MsgWaitForEvents(std::span<Event* const> events, uint32_t timeoutMs) {
    Queue* q = CurrentQueue(true);
    if (q == nullptr) {
        return WaitAny(events, timeoutMs);
    }
    // The waiter is kept alive for the event callbacks, which may run on any
    // thread until the watch is gone.
    std::shared_ptr<QueueWaiter> waiter = q->waiter;
    detail::EventWatch watch(
        events, [](void* context) { static_cast<QueueWaiter*>(context)->Wake(); }, waiter.get());
    int index = -1;
    const bool woke = WaitForInput(*q, timeoutMs, [&] {
        index = watch.TryConsume();
        return index >= 0;
    });
    if (index >= 0) {
        return index;
    }
    if (woke) {
        return static_cast<int>(events.size());
    }
    // A last look: an event set just at the deadline still counts.
    index = watch.TryConsume();
    return index >= 0 ? index : kWaitTimeout;
}

LResult DispatchMessage(const Message& message) {
    if (message.window == 0) {
        return 0;
    }
    return SendMessage(message.window, message.id, message.wParam, message.lParam);
}

void PostQuitMessage(int exitCode) {
    Queue* q = CurrentQueue(true);
    if (q == nullptr) {
        return;
    }
    Wakes wakes;
    {
        std::lock_guard lock(q->mutex);
        PostQuitLocked(*q, exitCode, wakes);
    }
    WakeAll(wakes);
}

bool QuitWhenDestroyed(WindowId window, bool quit) {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    auto it = reg.windows.find(window);
    if (it == reg.windows.end()) {
        return false;
    }
    it->second.quitWhenDestroyed = quit;
    return true;
}

// --- timers ---

uint32_t SetTimer(WindowId window, uint32_t timerId, uint32_t intervalMs) {
    if (window != 0 && timerId == 0) {
        return 0;
    }
    Queue* mine = window == 0 ? CurrentQueue(true) : nullptr;
    if (window == 0 && mine == nullptr) {
        return 0;
    }
    const uint32_t interval = std::clamp(intervalMs, kMinTimerMs, kMaxTimerMs);
    const auto due = Clock::now() + std::chrono::milliseconds(interval);
    Registry& reg = Reg();
    std::shared_ptr<QueueWaiter> wake;
    {
        std::lock_guard lock(reg.mutex);
        Queue* q = window == 0 ? mine : WindowQueueLocked(reg, window);
        if (q == nullptr) {
            return 0;
        }
        std::lock_guard queueLock(q->mutex);
        auto it = std::find_if(q->timers.begin(), q->timers.end(), [&](const Timer& t) {
            return t.window == window && t.id == timerId && timerId != 0;
        });
        if (it != q->timers.end()) {
            it->intervalMs = interval;
            it->due = due;
        } else {
            if (window == 0) {
                timerId = reg.nextThreadTimerId++;
                if (timerId == 0) {
                    timerId = reg.nextThreadTimerId++;
                }
            }
            q->timers.push_back(Timer{window, timerId, interval, due});
        }
        wake = TakeWakeLocked(*q);  // its sleep may have to end sooner now
    }
    if (wake) {
        wake->Wake();
    }
    return timerId;
}

bool KillTimer(WindowId window, uint32_t timerId) {
    Queue* mine = window == 0 ? CurrentQueue(false) : nullptr;
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    Queue* q = window == 0 ? mine : WindowQueueLocked(reg, window);
    if (q == nullptr) {
        return false;
    }
    std::lock_guard queueLock(q->mutex);
    return std::erase_if(q->timers, [&](const Timer& t) {
               return t.window == window && t.id == timerId;
           }) != 0;
}

// --- paint requests ---

namespace {

void AddPaintLocked(std::vector<WindowId>& requests, WindowId window) {
    if (std::find(requests.begin(), requests.end(), window) == requests.end()) {
        requests.push_back(window);
    }
}

}  // namespace

bool RequestPaint(WindowId window) {
    Registry& reg = Reg();
    std::shared_ptr<QueueWaiter> wake;
    {
        std::lock_guard lock(reg.mutex);
        Queue* q = WindowQueueLocked(reg, window);
        if (q == nullptr) {
            return false;
        }
        std::lock_guard queueLock(q->mutex);
        AddPaintLocked(q->holding > 0 ? q->heldPaints : q->paintRequests, window);
        wake = TakeWakeLocked(*q);
    }
    if (wake) {
        wake->Wake();
    }
    return true;
}

// --- holding messages ---

namespace {

// The oldest window that asked to paint during the hold, taken off both
// lists (its paint takes the whole waiting area); 0 when none.
WindowId TakeHeldPaint(Queue& q) {
    std::lock_guard lock(q.mutex);
    if (q.heldPaints.empty()) {
        return 0;
    }
    const WindowId window = q.heldPaints.front();
    q.heldPaints.erase(q.heldPaints.begin());
    std::erase(q.paintRequests, window);
    return window;
}

}  // namespace

namespace detail {

bool IsHoldingMessages() {
    return t_holding > 0;
}

}  // namespace detail

namespace {

// While it lives, the thread holds its messages: paints asked for go to the
// held list, exposures show surfaces again. The held paints join the queue's
// requests when the outermost hold ends.
class HoldScope {
public:
    explicit HoldScope(Queue& q) : q_(q) {
        std::lock_guard lock(q_.mutex);
        ++q_.holding;
        ++t_holding;
    }
    ~HoldScope() {
        --t_holding;
        std::lock_guard lock(q_.mutex);
        if (--q_.holding == 0) {
            for (const WindowId window : q_.heldPaints) {
                AddPaintLocked(q_.paintRequests, window);
            }
            q_.heldPaints.clear();
        }
    }
    HoldScope(const HoldScope&) = delete;
    HoldScope& operator=(const HoldScope&) = delete;

private:
    Queue& q_;
};

}  // namespace

namespace detail {

void KeepDisplayWhileBlocked() {
    Queue* q = CurrentQueue(false);
    if (q == nullptr) {
        return;
    }
    HoldScope hold(*q);
    q->waiter->Pump();
}

}  // namespace detail

void SleepHoldingMessages(uint32_t ms) {
    Queue* q = CurrentQueue(true);
    if (q == nullptr) {
        SleepMs(ms);
        return;
    }
    HoldScope hold(*q);
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        q->waiter->Pump();
        while (const WindowId window = TakeHeldPaint(*q)) {
            DispatchMessage(Message{window, kMsgPaint, 0, 0, GetTickCount32()});
        }
        auto finished = SleepOnce(*q, [&](uint32_t& waitMs) -> std::optional<bool> {
            if (!q->heldPaints.empty()) {
                return false;
            }
            const auto now = Clock::now();
            if (now >= deadline) {
                return true;
            }
            waitMs = std::max<uint32_t>(CeilMs(deadline - now), 1);
            return std::nullopt;
        });
        if (finished && *finished) {
            break;
        }
    }
}

// --- waiters ---

void SetQueueWaiter(std::unique_ptr<QueueWaiter> waiter) {
    Queue* q = CurrentQueue(true);
    if (q == nullptr) {
        return;
    }
    std::shared_ptr<QueueWaiter> replacement = waiter
                                                   ? std::shared_ptr<QueueWaiter>(std::move(waiter))
                                                   : std::make_shared<DefaultWaiter>();
    std::lock_guard lock(q->mutex);
    q->waiter.swap(replacement);
    // `replacement` (the old waiter) goes after the unlock, or later still if
    // a waking thread holds it.
}

}  // namespace platform
