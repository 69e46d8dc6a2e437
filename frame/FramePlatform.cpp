#include "frame/FramePlatform.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "platform/Files.h"
#include "zep/ZepLog.h"
#include "zep/ZepSocketUtils.h"

namespace frame {

namespace {

constexpr int kScreenWidthWithoutDisplay = 1024;

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
EthernetSource& EthernetHook() {
    static EthernetSource hook;
    return hook;
}
std::atomic<int> screenWidthOverride{0};

}  // namespace

bool StartProgram(std::string_view program, const std::vector<std::string>& arguments) {
    ProgramStarter starter;
    {
        std::lock_guard<std::mutex> guard(HookLock());
        starter = StarterHook();
    }
    if (starter) {
        return starter(program, arguments);
    }
    ZepLog("StartProgram: no process service to start \"%.*s\"", static_cast<int>(program.size()),
           program.data());
    return false;
}

void SetProgramStarterForTesting(ProgramStarter starter) {
    std::lock_guard<std::mutex> guard(HookLock());
    StarterHook() = std::move(starter);
}

std::string SystemFolder() {
    const char* folder = std::getenv("PVBN_SYSTEM_FOLDER");
    if (folder != nullptr && *folder != '\0') {
        std::string path = folder;
        if (path.back() != '/' && path.back() != '\\') {
            path += '/';
        }
        return path;
    }
    return platform::ProgramFolder();
}

bool SendCopyData(platform::WindowId target, platform::WParam wParam, uintptr_t dwData,
                  std::span<const uint8_t> bytes, uint32_t /*timeoutMs*/,
                  platform::LResult* result) {
    if (!platform::IsWindow(target)) {
        return false;
    }
    platform::CopyDataRecord record;
    record.dwData = dwData;
    record.cbData = static_cast<uint32_t>(bytes.size());
    record.lpData = bytes.data();
    const platform::LResult answer = platform::SendMessage(
        target, platform::kMsgCopyData, wParam, reinterpret_cast<platform::LParam>(&record));
    if (result != nullptr) {
        *result = answer;
    }
    return true;
}

int ReadEthernetAddresses(uint8_t* out, size_t capacity) {
    EthernetSource source;
    {
        std::lock_guard<std::mutex> guard(HookLock());
        source = EthernetHook();
    }
    return source ? source(out, capacity) : ZepGetEthernetAddresses(out, capacity);
}

void SetEthernetSourceForTesting(EthernetSource source) {
    std::lock_guard<std::mutex> guard(HookLock());
    EthernetHook() = std::move(source);
}

int PrimaryScreenWidth() {
    const int width = screenWidthOverride.load();
    return width > 0 ? width : kScreenWidthWithoutDisplay;
}

void SetPrimaryScreenWidthForTesting(int width) {
    screenWidthOverride.store(width);
}

bool FlashWindowOnce(platform::WindowId window) {
    ZepLog("FlashWindowOnce: no flash service for window %u", window);
    return false;
}

bool UploadByFtp(const FtpUploadRequest& request) {
    FtpUploader uploader;
    {
        std::lock_guard<std::mutex> guard(HookLock());
        uploader = UploaderHook();
    }
    if (uploader) {
        return uploader(request);
    }
    ZepLog("UploadByFtp: no FTP service for %s", request.host.c_str());
    return false;
}

void SetFtpUploaderForTesting(FtpUploader uploader) {
    std::lock_guard<std::mutex> guard(HookLock());
    UploaderHook() = std::move(uploader);
}

}  // namespace frame
