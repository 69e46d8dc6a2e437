#include "frame/web/BrowserJob.h"

#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "frame/PostedJob.h"
#include "platform/Browser.h"
#include "zep/ZepLog.h"

namespace {

std::atomic<int> jobsFreedByWorker{0};
std::atomic<int> jobsAlive{0};

void RunBrowserJob(std::unique_ptr<BrowserJob> job) {
    job->opened = platform::OpenWebAddress(job->url);
    if (!job->opened) {
        ZepLog("OpenUrlInBrowser: the browser did not open \"%s\"", job->url.c_str());
    }
    const platform::WindowId window = job->window;
    if (!PostJobToWindow(window, kMsgBrowserOpened, std::move(job))) {
        ZepLog("OpenUrlInBrowser: window %u is gone, the job is freed", window);
        ++jobsFreedByWorker;
    }
}

}  // namespace

BrowserJob::BrowserJob() {
    ++jobsAlive;
}

BrowserJob::~BrowserJob() {
    --jobsAlive;
}

int BrowserJob::Alive() {
    return jobsAlive.load();
}

bool StartBrowserJob(platform::WindowId window, const std::string& url) {
    auto job = std::make_unique<BrowserJob>();
    job->window = window;
    job->url = url.substr(0, BrowserJob::kUrlMax);
    try {
        std::thread(RunBrowserJob, std::move(job)).detach();
    } catch (const std::system_error&) {
        ZepLog("OpenUrlInBrowser: no thread to open \"%s\"", url.c_str());
        return false;
    }
    return true;
}

void FreeBrowserJob(platform::WParam job) {
    delete reinterpret_cast<BrowserJob*>(job);
}

int BrowserJobsFreedByWorker() {
    return jobsFreedByWorker.load();
}
