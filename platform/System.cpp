#include "platform/System.h"

#include <dirent.h>
#include <fcntl.h>
#include <net/if.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/TextCodec.h"

namespace platform {
namespace {

// A replaceable function shared by every thread: tests install a fake, an
// empty function means the real source.
template <typename Function>
class Injectable {
public:
    void Set(Function function) {
        std::lock_guard<std::mutex> guard(lock_);
        function_ = std::move(function);
    }
    Function Get() {
        std::lock_guard<std::mutex> guard(lock_);
        return function_;
    }

private:
    std::mutex lock_;
    Function function_;
};

Injectable<std::function<LocalDateTime()>>& LocalTimeSource() {
    static Injectable<std::function<LocalDateTime()>> source;
    return source;
}

Injectable<std::function<bool(void*, size_t)>>& RandomSource() {
    static Injectable<std::function<bool(void*, size_t)>> source;
    return source;
}

bool ReadDeviceRandom(uint8_t* out, size_t size) {
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    while (size > 0) {
        const ssize_t got = ::read(fd, out, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ::close(fd);
            return false;
        }
        out += got;
        size -= static_cast<size_t>(got);
    }
    ::close(fd);
    return true;
}

bool SystemRandomBytes(void* out, size_t size) {
    auto* bytes = static_cast<uint8_t*>(out);
    while (size > 0) {
        const ssize_t got = ::getrandom(bytes, size, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno == ENOSYS && ReadDeviceRandom(bytes, size);
        }
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

// --- Ethernet interfaces from a sysfs "class/net" folder ---

// The first line of a small sysfs attribute file, without its line end.
std::optional<std::string> ReadAttribute(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    char buffer[256];
    ssize_t got;
    do {
        got = ::read(fd, buffer, sizeof(buffer) - 1);
    } while (got < 0 && errno == EINTR);
    ::close(fd);
    if (got < 0) {
        return std::nullopt;
    }
    std::string text(buffer, static_cast<size_t>(got));
    const size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos) {
        text.resize(end);
    }
    return text;
}

// A whole number in the given base, nothing else on the line.
std::optional<long long> ParseNumber(const std::optional<std::string>& text, int base) {
    if (!text || text->empty()) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text->c_str(), &end, base);
    if (errno != 0 || end == text->c_str() || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

using HardwareAddress = EthernetAddress;

std::mutex g_fakeEthernetMutex;
std::optional<std::vector<EthernetAddress>> g_fakeEthernet;

// Writes the addresses one after another into out, stopping at its end;
// answers how many there are.
int CopyAddresses(const std::vector<HardwareAddress>& addresses, uint8_t* out, size_t capacity) {
    size_t written = 0;
    if (out != nullptr) {
        for (const HardwareAddress& address : addresses) {
            const size_t count = std::min(address.size(), capacity - written);
            std::memcpy(out + written, address.data(), count);
            written += count;
            if (written == capacity) {
                break;
            }
        }
    }
    return static_cast<int>(std::min<size_t>(addresses.size(), 0x7FFFFFFF));
}

// "xx:xx:xx:xx:xx:xx"; anything else, or all zeros, is no address.
std::optional<HardwareAddress> ParseHardwareAddress(const std::optional<std::string>& text) {
    if (!text || text->size() != 17) {
        return std::nullopt;
    }
    HardwareAddress address{};
    bool allZero = true;
    for (size_t i = 0; i < address.size(); ++i) {
        const size_t at = i * 3;
        const int high = HexDigit((*text)[at]);
        const int low = HexDigit((*text)[at + 1]);
        if (high < 0 || low < 0 || (i + 1 < address.size() && (*text)[at + 2] != ':')) {
            return std::nullopt;
        }
        address[i] = static_cast<uint8_t>(high * 16 + low);
        allZero = allZero && address[i] == 0;
    }
    if (allZero) {
        return std::nullopt;
    }
    return address;
}

bool HasEntry(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

struct EthernetInterface {
    long long index = 0;
    std::string name;
    HardwareAddress address{};
};

// A wired Ethernet interface: hardware type 1, not loopback, not wireless,
// with a usable address.
std::optional<EthernetInterface> ReadEthernetInterface(const std::string& folder,
                                                       const std::string& name) {
    const std::string base = folder + "/" + name + "/";
    if (name == "lo" || ParseNumber(ReadAttribute(base + "type"), 10) != 1) {
        return std::nullopt;
    }
    const auto flags = ParseNumber(ReadAttribute(base + "flags"), 16);
    if (flags && (*flags & IFF_LOOPBACK) != 0) {
        return std::nullopt;
    }
    if (HasEntry(base + "wireless") || HasEntry(base + "phy80211")) {
        return std::nullopt;
    }
    const auto index = ParseNumber(ReadAttribute(base + "ifindex"), 10);
    const auto address = ParseHardwareAddress(ReadAttribute(base + "address"));
    if (!index || !address) {
        return std::nullopt;
    }
    return EthernetInterface{*index, name, *address};
}

}  // namespace

LocalDateTime LocalNow() {
    if (auto source = LocalTimeSource().Get()) {
        return source();
    }
    const time_t now = ::time(nullptr);
    struct tm parts;
    LocalDateTime result;
    if (::localtime_r(&now, &parts) == nullptr) {
        return result;
    }
    result.year = parts.tm_year + 1900;
    result.month = parts.tm_mon + 1;
    result.day = parts.tm_mday;
    result.hour = parts.tm_hour;
    result.minute = parts.tm_min;
    result.second = parts.tm_sec;
    return result;
}

int64_t UnixTimeNow() {
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec);
}

void SetLocalTimeSourceForTesting(std::function<LocalDateTime()> source) {
    LocalTimeSource().Set(std::move(source));
}

bool RandomBytes(void* out, size_t size) {
    if (size == 0) {
        return true;
    }
    if (out == nullptr) {
        return false;
    }
    if (auto source = RandomSource().Get()) {
        return source(out, size);
    }
    return SystemRandomBytes(out, size);
}

void SetRandomSourceForTesting(std::function<bool(void*, size_t)> source) {
    RandomSource().Set(std::move(source));
}

uint32_t OsVersionCode() {
    return 0x230000;
}

int EthernetAddresses(uint8_t* out, size_t capacity) {
    {
        std::lock_guard<std::mutex> guard(g_fakeEthernetMutex);
        if (g_fakeEthernet) {
            return CopyAddresses(*g_fakeEthernet, out, capacity);
        }
    }
    return EthernetAddressesFrom("/sys/class/net", out, capacity);
}

void SetEthernetAddressesForTesting(std::optional<std::vector<EthernetAddress>> addresses) {
    std::lock_guard<std::mutex> guard(g_fakeEthernetMutex);
    g_fakeEthernet = std::move(addresses);
}

int EthernetAddressesFrom(std::string_view netClassFolder, uint8_t* out, size_t capacity) {
    const std::string folder(netClassFolder);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return -1;
    }
    std::vector<EthernetInterface> interfaces;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        if (auto found = ReadEthernetInterface(folder, name)) {
            interfaces.push_back(std::move(*found));
        }
    }
    ::closedir(dir);

    std::sort(interfaces.begin(), interfaces.end(),
              [](const EthernetInterface& a, const EthernetInterface& b) {
                  return a.index != b.index ? a.index < b.index : a.name < b.name;
              });
    std::vector<HardwareAddress> addresses;
    for (const EthernetInterface& found : interfaces) {
        addresses.push_back(found.address);
    }
    return CopyAddresses(addresses, out, capacity);
}

int LastErrorCode() {
    return errno;
}

std::string LastErrorText() {
    const int code = errno;
    char buffer[256];
    // The GNU strerror_r answers a pointer that may or may not be buffer.
    const char* text = ::strerror_r(code, buffer, sizeof(buffer));
    std::string result = Utf8ToGbk(text != nullptr ? text : "");
    errno = code;
    return result;
}

}  // namespace platform
