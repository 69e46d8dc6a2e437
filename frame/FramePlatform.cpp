#include "frame/FramePlatform.h"

#include <mutex>

#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Screen.h"
#include "zep/ZepLog.h"

namespace frame {

namespace {

std::mutex& HookLock() {
    static std::mutex lock;
    return lock;
}
ProgramStarter& StarterHook() {
    static ProgramStarter hook;
    return hook;
}
FtpUploader& UploaderHook() {
    static FtpUploader hook;
    return hook;
}

template <class Hook>
Hook CopyHook(Hook& hook) {
    std::lock_guard<std::mutex> guard(HookLock());
    return hook;
}

}  // namespace

bool StartProgram(std::string_view program, const std::vector<std::string>& arguments) {
    if (ProgramStarter starter = CopyHook(StarterHook())) {
        return starter(program, arguments);
    }
    const platform::ProcessId started = program.empty()
                                            ? platform::StartSelf(arguments)
                                            : platform::StartProgram(program, arguments);
    if (started == 0) {
        ZepLog("StartProgram: \"%.*s\" did not start", static_cast<int>(program.size()),
               program.empty() ? "(this program)" : program.data());
        return false;
    }
    return true;
}

void SetProgramStarterForTesting(ProgramStarter starter) {
    std::lock_guard<std::mutex> guard(HookLock());
    StarterHook() = std::move(starter);
}

std::string SystemFolder() {
    return platform::SystemFolder();
}

bool SendCopyData(platform::WindowId target, platform::WParam wParam, uintptr_t dwData,
                  std::span<const uint8_t> bytes, uint32_t timeoutMs, platform::LResult* result) {
    platform::CopyDataRecord record;
    record.dwData = dwData;
    record.cbData = static_cast<uint32_t>(bytes.size());
    record.lpData = bytes.data();
    platform::LResult answer = 0;
    const bool answered = platform::SendMessageTimeout(target, platform::kMsgCopyData, wParam,
                                                       reinterpret_cast<platform::LParam>(&record),
                                                       timeoutMs, &answer);
    if (!answered) {
        ZepLog("SendCopyData: window %u took no record %zu within %u ms", target,
               static_cast<size_t>(dwData), timeoutMs);
    }
    if (result != nullptr) {
        *result = answer;
    }
    return answered;
}

int PrimaryScreenWidth() {
    const platform::ScreenRect screen = platform::PrimaryScreenRect();
    return screen.right - screen.left;
}

bool FlashWindowOnce(platform::WindowId window) {
    return platform::FlashWindowOnce(window);
}

bool UploadByFtp(const platform::FtpUpload& upload) {
    if (FtpUploader uploader = CopyHook(UploaderHook())) {
        return uploader(upload);
    }
    const platform::FtpUploadResult result = platform::UploadByFtp(upload);
    if (!result.ok) {
        ZepLog("UploadByFtp: %s to %s failed: %s", upload.localFile.c_str(), upload.host.c_str(),
               result.error.c_str());
    }
    return result.ok;
}

void SetFtpUploaderForTesting(FtpUploader uploader) {
    std::lock_guard<std::mutex> guard(HookLock());
    UploaderHook() = std::move(uploader);
}

}  // namespace frame
