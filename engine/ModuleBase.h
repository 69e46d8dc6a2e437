#pragma once
// The base of every engine module: identity, start and stop, a tick paced by
// an interval, a FIFO of posted messages, and the way a module reaches the
// others (always by module id through its core, never by a kept pointer).
//
// Rules:
//  - A module starts disabled (flags 0x10), with a 10 ms interval and its
//    last tick at 0.
//  - Update ticks only an enabled module, and only when strictly more than
//    the interval has passed since the last tick (unsigned 32-bit
//    subtraction, so the clock's wrap is harmless).
//  - Posted records wait in the queue until the module drains it, normally
//    in Tick; more than GetMaxQueue waiting records are dropped whole at the
//    next frame, after notice 1005.
//  - A module is created with new and handed to GameCore::LoadModule, which
//    owns it from then on.

#include <cstdint>

#include "engine/ModuleMessage.h"
#include "engine/ModuleMessageQueue.h"

class GameCore;

inline constexpr uint32_t kModuleEnabled = 0x1;
inline constexpr uint32_t kModuleSkipInit = 0x2;
inline constexpr uint32_t kModuleDefaultFlags = 0x10;
inline constexpr uint32_t kModuleCatchExceptions = 0x40;

inline constexpr uint32_t kDefaultModuleInterval = 10;
inline constexpr uint32_t kDefaultMaxQueue = 8192;

class ModuleBase {
public:
    ModuleBase() = default;
    virtual ~ModuleBase() = default;
    ModuleBase(const ModuleBase&) = delete;
    ModuleBase& operator=(const ModuleBase&) = delete;

    // Nonzero on success.
    virtual int Init() = 0;
    virtual int Uninit() = 0;
    // The module's frame work; the result is ignored.
    virtual int Tick() = 0;
    virtual int GetModuleID() const = 0;
    virtual const char* GetModuleName() const = 0;
    // kEngineOk when the message was handled.
    virtual int HandleMessage(int id, void* p, int n) = 0;
    // How many waiting records the queue may hold at a frame's queue check.
    virtual uint32_t GetMaxQueue() const { return kDefaultMaxQueue; }
    // Ticks when due; 0 when the module is disabled, else 1.
    virtual int Update(uint32_t now);

    void SetInterval(uint32_t ms) { interval_ = ms; }
    uint32_t GetInterval() const { return interval_; }
    uint32_t GetFlags() const { return flags_; }
    // The engine time of the last tick; modules use it as "now" in Tick.
    uint32_t GetLastTickTime() const { return lastTick_; }

    void Enable() { flags_ |= kModuleEnabled; }
    void Disable() { flags_ &= ~kModuleEnabled; }
    int IsEnabled() const { return (flags_ & kModuleEnabled) != 0; }
    void SetCatchExceptions(int on);
    int CatchesExceptions() const { return (flags_ & kModuleCatchExceptions) != 0; }

    // Called by the core that loads the module; the new load count, and the
    // count left after an unload.
    void AttachCore(GameCore* core);
    int ReleaseLoad() { return --loadCount_; }
    int GetLoadCount() const { return loadCount_; }
    GameCore* GetCore() const { return core_; }

    // A frame's queue check and move step: drops the queue after notice 1005
    // when it holds more than GetMaxQueue records, then moves this module's
    // posted records into it in posting order. Returns how many were moved.
    int AcceptPostedMessages(PostedMessageList& posted);
    // Hands every waiting record to HandleMessage, oldest first.
    void DrainMessages();
    size_t QueuedMessageCount() const { return queue_.Count(); }

    // The core's operations; without a core: null, 0 and 0.
    ModuleBase* FindModule(int id) const;
    int SendMessage(int target, int id, void* p, int n) const;
    int PostMessage(int target, int id, void* p, int n) const;

protected:
    // For a module's constructor: e.g. kModuleSkipInit.
    void SetFlags(uint32_t flags) { flags_ = flags; }

private:
    int loadCount_ = 0;
    uint32_t interval_ = kDefaultModuleInterval;
    uint32_t lastTick_ = 0;
    uint32_t flags_ = kModuleDefaultFlags;
    ModuleMessageQueue queue_;
    GameCore* core_ = nullptr;
};
