#include "frame/FrameFunctions.h"

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "frame/FramePlatform.h"
#include "frame/PostedJob.h"
#include "platform/Application.h"
#include "platform/Audio.h"
#include "platform/Dialogs.h"
#include "platform/Profile.h"
#include "zep/ZepLog.h"
#include "zep/ZepMd5.h"
#include "zep/ZepSocketUtils.h"
#include "zep/ZepUtils.h"

namespace {

constexpr size_t kAdapterBytes = 128;
constexpr size_t kMachineIdMax = 31;
constexpr char kHallSettingsName[] = "hmbt.ini";
constexpr uint16_t kFtpPort = 21;

std::string Cut(const std::string& text, size_t max) {
    return text.size() > max ? text.substr(0, max) : text;
}

struct WealthStep {
    int64_t floor;
    const char* title;
};
constexpr WealthStep kWealthSteps[] = {
    {26214400, "世界首富"}, {13107200, "超级大富豪"}, {6553600, "超级富豪"}, {3276800, "大富豪"},
    {1638400, "富豪"},      {819200, "董事长"},       {409600, "副董事长"},  {204800, "董事"},
    {102400, "总裁"},       {51200, "副总裁"},        {25600, "总经理"},     {12800, "副总经理"},
    {6400, "经理"},         {3200, "副经理"},         {1600, "主管"},        {800, "副主管"},
    {400, "正式工"},        {200, "合同工"},          {100, "临时工"},
};

bool IsLeadByte(char c) {
    return static_cast<uint8_t>(c) > 128;
}

std::mutex& SoundLock() {
    static std::mutex lock;
    return lock;
}
std::map<int, std::vector<uint8_t>>& SoundTable() {
    static std::map<int, std::vector<uint8_t>> table;
    return table;
}

std::atomic<int> jobsFreedHere{0};
std::atomic<uint16_t> ftpPort{kFtpPort};

void FinishFtpJob(std::unique_ptr<FtpUploadJob> job) {
    platform::FtpUpload request;
    request.host = job->host;
    request.port = ftpPort.load();
    request.remoteFolder = job->remoteFolder;
    request.remoteName = job->remoteName;
    request.localFile = job->localFile;
    request.user = job->user;
    request.password = job->password;
    const bool uploaded = frame::UploadByFtp(request);
    job->done = 1;
    const platform::WindowId window = job->notifyWindow;
    const uint32_t message = job->notifyMessage;
    if (PostJobToWindow(window, message, std::move(job), uploaded ? 1 : 0)) {
        return;
    }
    if (window != 0) {
        ZepLog("StartFtpUpload: window %u is gone, the job is freed", window);
    }
    ++jobsFreedHere;
}

}  // namespace

std::string TrimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string GetHallSettingsFile() {
    return frame::SystemFolder() + kHallSettingsName;
}

std::string GetMachineUniqueID() {
    uint8_t adapters[kAdapterBytes] = {};
    std::string id;
    if (ZepGetEthernetAddresses(adapters, sizeof adapters) > 0) {
        ZepBinToHex(adapters, static_cast<int>(sizeof adapters), id);
        id.resize(kMachineIdMax);
    } else {
        char stored[kMachineIdMax + 1] = {};
        platform::GetPrivateProfileString("SYSTEM", "UniqueID", "", stored, sizeof stored,
                                          GetHallSettingsFile().c_str());
        id = stored;
    }
    id = TrimSpaces(id);
    if (id.empty()) {
        char made[kMachineIdMax + 1] = {};
        if (ZepFillRandomHexIfEmpty(made)) {
            id = made;
            platform::WritePrivateProfileString("SYSTEM", "UniqueID", made,
                                                GetHallSettingsFile().c_str());
        }
    }
    return id;
}

std::string GetHallExePath() {
    char path[1024] = {};
    platform::GetPrivateProfileString("SYSTEM", "ExePath", "", path, sizeof path,
                                      GetHallSettingsFile().c_str());
    return path;
}

std::string GetHallPath() {
    const std::string exe = GetHallExePath();
    return ZepSplitPath(exe.c_str(), kZepPathDrive | kZepPathFolder);
}

std::string GetAdvertDomainFile() {
    return GetHallPath() + "Share\\advert\\domain.dat";
}

std::string GetWealthTitle(int64_t silver) {
    for (const WealthStep& step : kWealthSteps) {
        if (silver >= step.floor) {
            return step.title;
        }
    }
    return silver < 0 ? "负债" : "待业";
}

uint32_t ParseRGB(std::string_view text, uint32_t fallback) {
    if (text.empty()) {
        return fallback;
    }
    // Each part reads the number at the start of its text; the next part's
    // text starts after the first blank, or is the same text when none.
    auto number = [](std::string_view part) {
        return static_cast<uint32_t>(std::atoi(std::string(part).c_str())) & 0xFF;
    };
    auto next = [](std::string_view part) -> std::string {
        const size_t blank = part.find(' ');
        return blank == std::string_view::npos ? std::string(part)
                                               : TrimSpaces(part.substr(blank + 1));
    };
    const uint32_t red = number(text);
    const std::string greenText = next(text);
    const uint32_t green = number(greenText);
    const std::string blueText = next(greenText);
    const uint32_t blue = number(blueText);
    return red | green << 8 | blue << 16;
}

std::string IntToString(int value) {
    return std::to_string(value);
}

std::string Md5Hex(std::string_view text) {
    MD5_CTX context;
    MD5Init(&context);
    MD5Update(&context, text.data(), text.size());
    MD5Final(&context);
    std::string hex;
    ZepBinToHex(context.digest, static_cast<int>(sizeof context.digest), hex);
    return hex;
}

uint32_t InvertRGB(uint32_t color) {
    return (~color) & 0x00FFFFFF;
}

std::string TruncateText(std::string_view source, int max) {
    if (max < 0) {
        return {};
    }
    if (source.size() <= static_cast<size_t>(max)) {
        // Whole, but never a lead byte without its second byte.
        size_t position = 0;
        while (position < source.size()) {
            const size_t step = IsLeadByte(source[position]) ? 2 : 1;
            if (position + step > source.size()) {
                break;
            }
            position += step;
        }
        return std::string(source.substr(0, position));
    }
    if (max < 5) {
        return {};
    }
    const size_t limit = static_cast<size_t>(max) - 4;
    size_t position = 0;
    while (position < limit) {
        position += IsLeadByte(source[position]) ? 2 : 1;
    }
    std::string out(source.substr(0, position));
    if (position == limit) {
        // The source is longer than max, so the character at limit is whole.
        out += source[limit];
        if (IsLeadByte(source[limit])) {
            out += source[limit + 1];
            out += '.';
        } else {
            out += "..";
        }
    } else {
        out += "..";
    }
    return out;
}

void RegisterSoundResource(int id, std::span<const uint8_t> bytes) {
    std::lock_guard<std::mutex> guard(SoundLock());
    SoundTable()[id].assign(bytes.begin(), bytes.end());
}

int PlaySoundResource(int id, uint32_t flags) {
    std::lock_guard<std::mutex> guard(SoundLock());
    const auto found = SoundTable().find(id);
    if (found == SoundTable().end()) {
        return 0;
    }
    static std::unique_ptr<platform::AudioLibrary> audio;
    if (!audio) {
        audio = platform::LoadAudioLibrary();
        if (!audio || !audio->Init(platform::kDefaultAudioDevice, 44100, 0, 0)) {
            audio.reset();
            ZepLog("PlaySoundResource: no audio device for sound %d", id);
            return 0;
        }
    }
    const std::vector<uint8_t>& bytes = found->second;
    const platform::AudioHandle stream =
        audio->StreamCreateFromMemory(bytes.data(), bytes.size(), flags);
    if (stream == 0) {
        return 0;
    }
    return audio->ChannelPlay(stream, true) ? 1 : 0;
}

void FlashMainWindow() {
    const platform::Application* app = platform::Application::Current();
    const platform::WindowId window = app != nullptr ? app->MainWindow() : 0;
    if (window != 0) {
        frame::FlashWindowOnce(window);
    }
}

bool StartFtpUpload(const std::string& localFile, const std::string& host,
                    const std::string& remoteFolder, const std::string& remoteName,
                    const std::string& user, const std::string& password,
                    platform::WindowId notifyWindow, uint32_t notifyMessage) {
    auto job = std::make_unique<FtpUploadJob>();
    job->notifyWindow = notifyWindow;
    job->notifyMessage = notifyMessage;
    job->host = Cut(host, 63);
    job->remoteFolder = Cut(remoteFolder, 259);
    job->remoteName = Cut(remoteName, 259);
    job->localFile = Cut(localFile, 259);
    job->user = Cut(user, 31);
    job->password = Cut(password, 31);
    try {
        std::thread(FinishFtpJob, std::move(job)).detach();
    } catch (const std::system_error&) {
        ZepLog("StartFtpUpload: no thread for the upload to %s", host.c_str());
        return false;
    }
    return true;
}

void FreeFtpUploadJob(platform::WParam job) {
    delete reinterpret_cast<FtpUploadJob*>(job);
}

void SetFtpUploadPortForTesting(uint16_t port) {
    ftpPort.store(port != 0 ? port : kFtpPort);
}

int FtpJobsFreedHere() {
    return jobsFreedHere.load();
}
