#pragma once
// Hands a web address to the desktop's browser, or a folder to its file
// manager: the stand-in for starting the system's browser with the target as
// its parameter.
//
// Rules:
//  - Only two kinds of target leave the program, since targets can come from
//    other players' chat: web addresses ("http://" or "https://", any case,
//    followed by a host, or a host starting with "www.", opened as "http://"
//    + it) and absolute paths of folders that exist. Everything else (files,
//    other programs' schemes, option-like text, control bytes) is refused.
//  - Addresses are GBK inside the program and UTF-8 at the browser; folder
//    paths are handed over as their bytes on disk.
//  - Calls go to the installed back end. The default back end only records
//    the addresses it was given (tests and headless runs); the desktop back
//    end starts "xdg-open" with the address as its one argument, without a
//    shell, and never waits for it. The program installs it at start-up.
//  - Safe from any thread; the back end is called under one lock.

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class BrowserBackend {
public:
    virtual ~BrowserBackend() = default;
    // Opens the checked address (UTF-8) or folder path; false when nothing
    // could be started.
    virtual bool Open(const std::string& target) = 0;
};

// Writes down what it is asked to open; callable from any thread (browser
// jobs open from worker threads).
class RecordingBrowserBackend : public BrowserBackend {
public:
    bool Open(const std::string& target) override;
    // Every target opened, oldest first.
    std::vector<std::string> Opened() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> opened_;  // guarded by mutex_
};

// Starts "xdg-open" for each address.
std::unique_ptr<BrowserBackend> MakeDesktopBrowserBackend();

// The address as it would be opened (GBK), or an empty text when it is not a
// web address.
std::string NormaliseWebAddress(std::string_view gbkAddress);
// Opens a web address; false when it is refused or nothing could be started.
bool OpenWebAddress(std::string_view gbkAddress);
// Opens a folder (names as in Files.h) in the file manager; false when the
// path is not absolute, names no folder, or nothing could be started.
bool OpenFolder(std::string_view path);

// Installs a back end that the caller keeps alive; null restores the default
// recording one.
void SetBrowserBackend(BrowserBackend* backend);
RecordingBrowserBackend& DefaultBrowser();

}  // namespace platform
