#include "frame/NoticeDownload.h"

#include <system_error>
#include <thread>

#include "platform/Files.h"
#include "platform/Internet.h"
#include "zep/ZepLog.h"

namespace {

constexpr char kNoticeMark[] = "<notify>";
constexpr size_t kNoticeMarkLength = sizeof kNoticeMark - 1;
constexpr size_t kNoticeMaxBytes = 1024 * 1024;
constexpr uint32_t kConnectTimeoutMs = 10000;
constexpr uint32_t kTotalTimeoutMs = 30000;

std::atomic<uint32_t> nextJobId{1};
std::atomic<int> jobsAlive{0};

void RunNoticeDownload(const std::shared_ptr<NoticeDownloadJob>& job) {
    platform::HttpGetOptions options;
    options.maxBodyBytes = kNoticeMaxBytes;
    options.connectTimeoutMs = kConnectTimeoutMs;
    options.totalTimeoutMs = kTotalTimeoutMs;
    const platform::HttpGetResult result = platform::HttpGet(job->url, options);
    if (result.outcome != platform::HttpOutcome::Ok) {
        ZepLog("notice %s: %s", job->url.c_str(), result.error.c_str());
    } else if (!IsNoticeText(result.body)) {
        ZepLog("notice %s: %zu bytes that are no notice", job->url.c_str(), result.body.size());
    } else if (!platform::ReplaceFileAtomically(job->localFile, result.body)) {
        ZepLog("notice %s: %s cannot be written", job->url.c_str(), job->localFile.c_str());
    } else {
        job->done.store(true);
    }
    platform::PostMessage(job->window, kMsgNoticeDownloaded, job->id, 0);
}

}  // namespace

NoticeDownloadJob::NoticeDownloadJob() : id(nextJobId++) {
    ++jobsAlive;
}

NoticeDownloadJob::~NoticeDownloadJob() {
    --jobsAlive;
}

int NoticeDownloadJob::Alive() {
    return jobsAlive.load();
}

bool IsNoticeText(const std::string& body) {
    if (body.size() < kNoticeMarkLength) {
        return false;
    }
    for (size_t i = 0; i < kNoticeMarkLength; ++i) {
        char c = body[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != kNoticeMark[i]) {
            return false;
        }
    }
    return true;
}

bool StartNoticeDownload(std::shared_ptr<NoticeDownloadJob> job) {
    try {
        std::thread([job = std::move(job)] { RunNoticeDownload(job); }).detach();
    } catch (const std::system_error&) {
        ZepLog("notice: no thread for the download");
        return false;
    }
    return true;
}
