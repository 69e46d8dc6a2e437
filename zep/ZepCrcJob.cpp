#include "zep/ZepCrcJob.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Thread.h"
#include "zep/ZepCrc32.h"

namespace {

using Table = std::array<uint32_t, ZepCrc32::kTableSize>;

// What a worker needs: its own copy of the table, and where to report.
struct JobSetup {
    Table table{};
    bool standard = false;  // the copy is the built-in table: its quick path serves
    const uint32_t* UpdateTable() const {
        return standard ? ZepCrc32::StandardTable() : table.data();
    }
    platform::WindowId progressWindow = 0;
    platform::WindowId resultWindow = 0;
};

JobSetup MakeSetup(const uint32_t* table, platform::WindowId progressWindow,
                   platform::WindowId resultWindow) {
    JobSetup setup;
    std::memcpy(setup.table.data(), table != nullptr ? table : ZepCrc32::StandardTable(),
                sizeof(setup.table));
    setup.standard =
        std::memcmp(setup.table.data(), ZepCrc32::StandardTable(), sizeof(setup.table)) == 0;
    setup.progressWindow = progressWindow;
    setup.resultWindow = resultWindow;
    return setup;
}

void PostIfWindow(platform::WindowId window, uint32_t id, platform::WParam wParam,
                  platform::LParam lParam) {
    if (window != 0 && platform::IsWindow(window)) {
        platform::PostMessage(window, id, wParam, lParam);
    }
}

void ReportStart(const JobSetup& setup) {
    PostIfWindow(setup.progressWindow, ZepCrcJob::kMsgProgress, 0, 0);
    PostIfWindow(setup.progressWindow, ZepCrcJob::kMsgProgressRange, 0, 100);
}

void ReportProgress(const JobSetup& setup, uint64_t done, uint64_t total) {
    const uint64_t percent = total == 0 ? 100 : std::min<uint64_t>(100, done * 100 / total);
    PostIfWindow(setup.progressWindow, ZepCrcJob::kMsgProgress, percent, 0);
}

void ReportResult(const JobSetup& setup, platform::LParam result) {
    PostIfWindow(setup.resultWindow, ZepCrcJob::kMsgResult, platform::CurrentThreadId(), result);
}

// The workers started so far; finished ones are dropped when the next starts.
std::mutex gJobsMutex;
std::vector<std::unique_ptr<platform::Thread>> gJobs;

uint32_t Launch(std::function<void()> body) {
    std::lock_guard lock(gJobsMutex);
    std::erase_if(gJobs, [](const auto& thread) { return !thread->IsRunning(); });
    auto thread = std::make_unique<platform::Thread>();
    if (!thread->Start(std::move(body))) {
        return 0;
    }
    const uint32_t id = thread->Id();
    gJobs.push_back(std::move(thread));
    return id;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

uint32_t ZepCrcJob::StartMemory(const uint32_t* table, const void* bytes, size_t n,
                                platform::WindowId progressWindow,
                                platform::WindowId resultWindow) {
    if (bytes == nullptr || n == 0) {
        return 0;
    }
    const auto* first = static_cast<const uint8_t*>(bytes);
    auto data = std::make_shared<const std::vector<uint8_t>>(first, first + n);
    const JobSetup setup = MakeSetup(table, progressWindow, resultWindow);
    return Launch([setup, data] {
        ReportStart(setup);
        uint32_t crc = 0xFFFFFFFFu;
        for (size_t done = 0; done < data->size();) {
            const size_t chunk = std::min(kChunk, data->size() - done);
            crc = ZepCrc32::Update(setup.UpdateTable(), data->data() + done, chunk, crc);
            done += chunk;
            ReportProgress(setup, done, data->size());
        }
        ReportResult(setup, static_cast<platform::LParam>(~crc));
    });
}

uint32_t ZepCrcJob::StartFile(const uint32_t* table, std::string_view path,
                              platform::WindowId progressWindow, platform::WindowId resultWindow) {
    std::FILE* opened = std::fopen(platform::ResolvePath(path).c_str(), "rb");
    if (opened == nullptr) {
        return 0;
    }
    const std::shared_ptr<std::FILE> file(opened, FileCloser());
    uint64_t size = 0;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long end = std::ftell(file.get());
        size = end > 0 ? static_cast<uint64_t>(end) : 0;
    }
    if (std::fseek(file.get(), 0, SEEK_SET) != 0) {
        return 0;
    }
    const JobSetup setup = MakeSetup(table, progressWindow, resultWindow);
    return Launch([setup, file, size] {
        ReportStart(setup);
        std::vector<uint8_t> chunk(kChunk);
        uint32_t crc = 0xFFFFFFFFu;
        uint64_t done = 0;
        for (;;) {
            const size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
            if (got == 0) {
                break;
            }
            crc = ZepCrc32::Update(setup.UpdateTable(), chunk.data(), got, crc);
            done += got;
            ReportProgress(setup, done, size);
        }
        if (std::ferror(file.get())) {
            ReportResult(setup, kReadFailed);
            return;
        }
        // An empty file checksums to 0, as an empty block does.
        ReportResult(setup, done == 0 ? 0 : static_cast<platform::LParam>(~crc));
    });
}

void ZepCrcJob::WaitForAll() {
    std::vector<std::unique_ptr<platform::Thread>> jobs;
    {
        std::lock_guard lock(gJobsMutex);
        jobs.swap(gJobs);
    }
    for (const auto& thread : jobs) {
        thread->Join();
    }
}
