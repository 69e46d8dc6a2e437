// The program's entry.
//
// The game frame and its window are not built yet: starting the program opens
// the daily log, starts the engine core (which writes the run log), runs one
// engine frame, shuts the engine down and exits.

#include <cstdio>

#include "engine/FailureNoticeModule.h"
#include "engine/GameCore.h"
#include "engine/ModuleMessage.h"
#include "platform/Files.h"
#include "platform/TextCodec.h"
#include "zep/ZepLog.h"

namespace {

// The game's log stem and options: the daily file "Game<date>.log".
constexpr const char* kGameLogStem = "Game";
constexpr uint32_t kGameLogOptions = 0xA001D;

}  // namespace

int main() {
    ZepLogInit(kGameLogStem, kGameLogOptions);
    ZepLog("pvbn started");

    int loaded = 0;
    {
        GameCore core;
        core.Start(0);
        loaded = core.LoadModule(new FailureNoticeModule, 1, 1);
        core.RunFrame();
        core.UnloadAll();
    }

    ZepLog("pvbn stopped");
    ZepLogTerm();

    const std::string folder = platform::GbkToUtf8(platform::ProgramFolder());
    std::printf(
        "pvbn: engine core started (%s) and stopped; the game frame is not built yet.\n"
        "Logs: %sGameRun.log and %sGame<date>.log\n",
        loaded == kEngineOk ? "modules loaded" : "module load failed", folder.c_str(),
        folder.c_str());
    return loaded == kEngineOk ? 0 : 1;
}
