#include "platform/Browser.h"

#include <mutex>

#include "platform/AsciiCase.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"

namespace platform {

namespace {

std::mutex browserMutex;
BrowserBackend* installed = nullptr;

BrowserBackend& Backend() {
    return installed != nullptr ? *installed : DefaultBrowser();
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           detail::EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// Bytes that never belong in an address handed to another program: control
// bytes, spaces, quotes and the shell's and the URL's own delimiters that a
// browser would read as a second argument.
bool IsForbiddenByte(unsigned char c) {
    return c < 0x21 || c == 0x7F || c == '"' || c == '\'' || c == '`' || c == '\\' || c == '<' ||
           c == '>';
}

class DesktopBrowserBackend : public BrowserBackend {
public:
    bool Open(const std::string& target) override {
        return StartProgram("xdg-open", {target}) != 0;
    }
};

}  // namespace

bool RecordingBrowserBackend::Open(const std::string& target) {
    std::lock_guard lock(mutex_);
    opened_.push_back(target);
    return true;
}

std::vector<std::string> RecordingBrowserBackend::Opened() const {
    std::lock_guard lock(mutex_);
    return opened_;
}

void RecordingBrowserBackend::Clear() {
    std::lock_guard lock(mutex_);
    opened_.clear();
}

std::unique_ptr<BrowserBackend> MakeDesktopBrowserBackend() {
    return std::make_unique<DesktopBrowserBackend>();
}

std::string NormaliseWebAddress(std::string_view gbkAddress) {
    std::string address;
    if (StartsWithIgnoringCase(gbkAddress, "http://") ||
        StartsWithIgnoringCase(gbkAddress, "https://")) {
        address = gbkAddress;
    } else if (StartsWithIgnoringCase(gbkAddress, "www.")) {
        address = "http://" + std::string(gbkAddress);
    } else {
        return {};
    }
    const size_t hostStart = address.find("://") + 3;
    if (hostStart >= address.size() || address[hostStart] == '/' || address[hostStart] == '-') {
        return {};
    }
    for (char c : address) {
        if (IsForbiddenByte(static_cast<unsigned char>(c))) {
            return {};
        }
    }
    return address;
}

bool OpenWebAddress(std::string_view gbkAddress) {
    const std::string address = NormaliseWebAddress(gbkAddress);
    if (address.empty()) {
        return false;
    }
    const std::string utf8 = GbkToUtf8(address);
    std::lock_guard<std::mutex> lock(browserMutex);
    return Backend().Open(utf8);
}

bool OpenFolder(std::string_view path) {
    const std::string normalised = NormalisePath(path);
    if (normalised.empty() || normalised[0] != '/' ||
        GetPathKind(normalised) != PathKind::Directory) {
        return false;
    }
    for (char c : normalised) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    const std::string onDisk = ResolvePath(normalised);
    std::lock_guard<std::mutex> lock(browserMutex);
    return Backend().Open(onDisk);
}

void SetBrowserBackend(BrowserBackend* backend) {
    std::lock_guard<std::mutex> lock(browserMutex);
    installed = backend;
}

RecordingBrowserBackend& DefaultBrowser() {
    static RecordingBrowserBackend fallback;
    return fallback;
}

}  // namespace platform
