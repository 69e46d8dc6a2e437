#pragma once
// The spine of the engine: the registry of loaded modules, the carrier of
// module messages (delivered at once or posted for a later frame), the frame
// loop, the integer and string settings and the engine clock.
//
// Rules:
//  - Modules are kept in load order; ids are unique; the core owns a module
//    from LoadModule on and deletes it when it unloads it (or when loading
//    fails).
//  - One frame at a time: RunFrame returns at once when called while a frame
//    runs (for instance from a message box's loop inside a frame).
//  - During a frame no module is deleted: a core message sent while the
//    modules work is posted instead and handled after the walk, and a module
//    unloaded directly during a frame is torn down when the frame ends.
//  - A module flagged 0x40 runs its frame work under a catch-all; a module
//    that throws is disabled and reported.
//  - Everything runs on the UI thread; the frame lock is re-entrant.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineClock.h"
#include "engine/ModuleMessage.h"
#include "platform/Messages.h"
#include "platform/Sync.h"

class ModuleBase;

class GameCore {
public:
    GameCore();
    // Uses the given clock (tests inject counter and tick sources).
    explicit GameCore(std::unique_ptr<EngineClock> clock);
    virtual ~GameCore();
    GameCore(const GameCore&) = delete;
    GameCore& operator=(const GameCore&) = delete;

    // Once, before any module is loaded: default settings, the window, the
    // run log's opening lines.
    void Start(platform::WindowId window);
    platform::WindowId GetWindowHandle() const { return window_; }

    // Takes ownership of the module. kEngineOk, kEngineDuplicateModule or
    // kEngineInitFailed (the module is then deleted, unless it is the very
    // object already loaded).
    int LoadModule(ModuleBase* module, int enable, int catchExceptions);
    // kEngineOk or kEngineNoSuchModule.
    int UnloadModule(int id);
    // Unloads every module, first loaded first.
    void UnloadAll();
    ModuleBase* FindModule(int id) const;
    size_t ModuleCount() const { return modules_.size(); }

    // Delivers at once. Target 0: handles the core message and answers 1.
    // Otherwise 1 when the module answered kEngineOk, 0 when it answered
    // anything else or no module has that id.
    int SendMessage(int target, int id, void* p, int n);
    // Queues for a later step of a frame; the new length of the posted list.
    int PostMessage(int target, int id, void* p, int n);
    size_t PostedCount() const { return posted_.size(); }
    // Enable (1008), disable (1009), load (1010) or unload (1011) a module.
    void HandleCoreMessage(int id, void* p, int n);

    // One engine frame: every module's queue check, move and update in load
    // order, then the posted core messages.
    void RunFrame();
    // Engine time in milliseconds; wraps after 49.7 days.
    uint32_t GetTime();

    void Lock();
    void Unlock();

    void SetIntSetting(int id, int value);
    // -1 when the id has no entry.
    int GetIntSetting(int id) const;
    // Stores a copy; a null text removes the entry.
    void SetStringSetting(int id, const char* text);
    // The stored text, or null when the id has no entry.
    const char* GetStringSetting(int id) const;
    virtual void InitDefaultSettings();

private:
    class FrameScope;

    bool IsListed(const ModuleBase* module) const;
    void RunModuleFrameWork(ModuleBase& module, uint32_t now);
    void ReportModuleFault(ModuleBase& module);
    void PostCoreMessageForLater(int id, void* p, int n);
    void HandlePostedCoreMessages();
    void DestroyModule(ModuleBase* module);
    void DestroyRetiredModules();

    std::unique_ptr<EngineClock> clock_;
    std::vector<ModuleBase*> modules_;
    PostedMessageList posted_;
    platform::RecursiveLock frameLock_;
    // Raised before the lock is taken, so it may be touched by a thread that
    // waits for the lock.
    std::atomic<uint32_t> busy_{0};
    std::map<int, int> intSettings_;
    std::map<int, std::string> stringSettings_;
    platform::WindowId window_ = 0;

    bool frameRunning_ = false;
    bool walkingModules_ = false;
    // Module ids of core messages sent during the walk, kept until the
    // records that point at them have been handled.
    std::deque<int> deferredModuleIds_;
    // Modules unloaded during a frame, torn down when it ends.
    std::vector<ModuleBase*> retired_;
};
