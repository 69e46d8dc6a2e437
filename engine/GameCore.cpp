#include "engine/GameCore.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "engine/EngineLog.h"
#include "engine/ModuleBase.h"
#include "platform/Dialogs.h"

namespace {

constexpr double kEngineVersion = 1.0;

const char* NameOf(const ModuleBase& module) {
    const char* name = module.GetModuleName();
    return name ? name : "";
}

bool TakesModuleId(int coreMessage) {
    return coreMessage == kCoreEnableModule || coreMessage == kCoreDisableModule ||
           coreMessage == kCoreUnloadModule;
}

}  // namespace

// Marks a frame as running and, however the frame ends, tears down the
// modules unloaded during it and leaves the frame lock.
class GameCore::FrameScope {
public:
    explicit FrameScope(GameCore& core) : core_(core) { core_.frameRunning_ = true; }
    ~FrameScope() {
        core_.walkingModules_ = false;
        core_.frameRunning_ = false;
        core_.DestroyRetiredModules();
        core_.Unlock();
    }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;

private:
    GameCore& core_;
};

GameCore::GameCore() : GameCore(std::make_unique<EngineClock>()) {}

GameCore::GameCore(std::unique_ptr<EngineClock> clock) : clock_(std::move(clock)) {}

GameCore::~GameCore() {
    UnloadAll();
    DestroyRetiredModules();
    posted_.clear();
}

void GameCore::Start(platform::WindowId window) {
    InitDefaultSettings();
    window_ = window;
    StartRunLog();
    RunLog("CorvaneVesion:%f", kEngineVersion);
    RunLog("CorvaneLastBulid:<%s>,<%s>", __DATE__, __TIME__);
}

int GameCore::LoadModule(ModuleBase* module, int enable, int catchExceptions) {
    // A module unloaded earlier in this frame is torn down when it ends and
    // cannot come back before that.
    if (module == nullptr ||
        std::find(retired_.begin(), retired_.end(), module) != retired_.end()) {
        return kEngineInitFailed;
    }
    int id = module->GetModuleID();
    if (FindModule(id) != nullptr) {
        if (SendMessage(kFailureNoticeModuleId, kNoticeDuplicateModule, &id, 0) == 0) {
            EngineLog("GameCore::LoadModule---->CORVANE_RETURN_MODULE_CRASH");
        }
        // The very object that is loaded already stays; only a second
        // object with the same id is discarded.
        if (!IsListed(module)) {
            delete module;
        }
        return kEngineDuplicateModule;
    }

    module->AttachCore(this);
    if ((module->GetFlags() & kModuleSkipInit) == 0 && module->Init() == 0) {
        if (SendMessage(kFailureNoticeModuleId, kNoticeInitFailed, &id, 0) == 0) {
            EngineLog("GameCore::LoadModule---->CORVANE_RETURN_MODULE_INITIAL_FAILD");
            EngineLog("ErrorModule%s", NameOf(*module));
        }
        delete module;
        return kEngineInitFailed;
    }
    if (enable) {
        module->Enable();
    }
    module->SetCatchExceptions(catchExceptions);
    modules_.push_back(module);
    return kEngineOk;
}

int GameCore::UnloadModule(int id) {
    auto it = std::find_if(modules_.begin(), modules_.end(),
                           [id](const ModuleBase* m) { return m->GetModuleID() == id; });
    if (it == modules_.end()) {
        return kEngineNoSuchModule;
    }
    ModuleBase* module = *it;
    modules_.erase(it);
    if (module->ReleaseLoad() <= 0) {
        if (frameRunning_) {
            retired_.push_back(module);
        } else {
            DestroyModule(module);
        }
    }
    return kEngineOk;
}

void GameCore::UnloadAll() {
    while (!modules_.empty()) {
        UnloadModule(modules_.front()->GetModuleID());
    }
}

ModuleBase* GameCore::FindModule(int id) const {
    for (ModuleBase* module : modules_) {
        if (module->GetModuleID() == id) {
            return module;
        }
    }
    return nullptr;
}

int GameCore::SendMessage(int target, int id, void* p, int n) {
    if (target == kCoreTarget) {
        if (walkingModules_) {
            PostCoreMessageForLater(id, p, n);
        } else {
            HandleCoreMessage(id, p, n);
        }
        return 1;
    }
    ModuleBase* module = FindModule(target);
    if (module == nullptr) {
        return 0;
    }
    return module->HandleMessage(id, p, n) == kEngineOk ? 1 : 0;
}

int GameCore::PostMessage(int target, int id, void* p, int n) {
    posted_.push_back(ModuleMessage{target, id, p, n});
    return static_cast<int>(posted_.size());
}

void GameCore::HandleCoreMessage(int id, void* p, int n) {
    (void)n;
    if (id == kCoreLoadModule) {
        LoadModule(static_cast<ModuleBase*>(p), 0, 1);
        return;
    }
    if (!TakesModuleId(id) || p == nullptr) {
        return;
    }
    const int moduleId = *static_cast<const int*>(p);
    if (id == kCoreUnloadModule) {
        UnloadModule(moduleId);
        return;
    }
    ModuleBase* module = FindModule(moduleId);
    if (module == nullptr) {
        return;
    }
    if (id == kCoreEnableModule) {
        module->Enable();
    } else {
        module->Disable();
    }
}

void GameCore::RunFrame() {
    Lock();
    if (frameRunning_) {
        Unlock();
        return;
    }
    FrameScope frame(*this);
    const uint32_t now = GetTime();

    walkingModules_ = true;
    const std::vector<ModuleBase*> walk = modules_;
    for (ModuleBase* module : walk) {
        // A module unloaded earlier in this frame is skipped.
        if (!IsListed(module)) {
            continue;
        }
        if (!module->CatchesExceptions()) {
            RunModuleFrameWork(*module, now);
            continue;
        }
        bool threw = false;
        try {
            RunModuleFrameWork(*module, now);
        } catch (...) {
            threw = true;
        }
        if (threw) {
            ReportModuleFault(*module);
        }
    }
    walkingModules_ = false;

    HandlePostedCoreMessages();
}

uint32_t GameCore::GetTime() {
    return static_cast<uint32_t>(clock_->GetTime());
}

void GameCore::Lock() {
    ++busy_;
    frameLock_.Lock();
}

void GameCore::Unlock() {
    frameLock_.Unlock();
    busy_ = 0;
}

void GameCore::SetIntSetting(int id, int value) {
    intSettings_[id] = value;
}

int GameCore::GetIntSetting(int id) const {
    auto it = intSettings_.find(id);
    return it == intSettings_.end() ? -1 : it->second;
}

void GameCore::SetStringSetting(int id, const char* text) {
    if (text == nullptr) {
        stringSettings_.erase(id);
        return;
    }
    stringSettings_[id] = text;
}

const char* GameCore::GetStringSetting(int id) const {
    auto it = stringSettings_.find(id);
    return it == stringSettings_.end() ? nullptr : it->second.c_str();
}

void GameCore::InitDefaultSettings() {
    static constexpr std::pair<int, int> kIntDefaults[] = {
        {3, 22},     {4, 16}, {5, 14},        {6, 12}, {7, 40},        {8, 0xffffff},
        {9, 0x8000}, {10, 0}, {11, 0xff0080}, {16, 0}, {17, 19840388},
    };
    static constexpr std::pair<int, const char*> kStringDefaults[] = {
        {22, "ScrollBar_VertBack"},    {23, "ScrollBar_VertBtn"},
        {24, "ScrollBar_VertPattern"}, {25, "ScrollBar_VertUpBtn"},
        {26, "ScrollBar_VertDownBtn"}, {27, "ScrollBar_HorzBack"},
        {28, "ScrollBar_HorzBtn"},     {29, "ScrollBar_HorzPattern"},
        {30, "ScrollBar_HorzLeftBtn"}, {31, "ScrollBar_HorzRightBtn"},
    };
    for (const auto& [id, value] : kIntDefaults) {
        SetIntSetting(id, value);
    }
    for (const auto& [id, text] : kStringDefaults) {
        SetStringSetting(id, text);
    }
}

bool GameCore::IsListed(const ModuleBase* module) const {
    return std::find(modules_.begin(), modules_.end(), module) != modules_.end();
}

void GameCore::RunModuleFrameWork(ModuleBase& module, uint32_t now) {
    module.AcceptPostedMessages(posted_);
    module.Update(now);
}

void GameCore::ReportModuleFault(ModuleBase& module) {
    module.Disable();
    int id = module.GetModuleID();
    if (SendMessage(kFailureNoticeModuleId, kNoticeModuleFault, &id, 0) != 0) {
        return;
    }
    char text[512];
    std::snprintf(text, sizeof text, "模块:<%s>因故障关闭!", NameOf(module));
    platform::ShowMessageBox(platform::MainWindow(), text, "", platform::kBoxOk);
    EngineLog("%s", text);
}

void GameCore::PostCoreMessageForLater(int id, void* p, int n) {
    // The sender's id may live on its stack: keep a copy for the record.
    if (TakesModuleId(id) && p != nullptr) {
        deferredModuleIds_.push_back(*static_cast<const int*>(p));
        p = &deferredModuleIds_.back();
    }
    PostMessage(kCoreTarget, id, p, n);
}

void GameCore::HandlePostedCoreMessages() {
    // One walk over the records posted so far; what the handlers post now
    // waits for the next frame.
    size_t remaining = posted_.size();
    for (auto it = posted_.begin(); remaining > 0; --remaining) {
        if (it->target != kCoreTarget) {
            ++it;
            continue;
        }
        const ModuleMessage message = *it;
        it = posted_.erase(it);
        HandleCoreMessage(message.id, message.p, message.n);
    }
    deferredModuleIds_.clear();
}

void GameCore::DestroyModule(ModuleBase* module) {
    module->Uninit();
    delete module;
}

void GameCore::DestroyRetiredModules() {
    while (!retired_.empty()) {
        ModuleBase* module = retired_.front();
        retired_.erase(retired_.begin());
        DestroyModule(module);
    }
}
