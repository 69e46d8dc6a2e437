#pragma once
// Questions about the machine and the moment: local date and time, random
// bytes, the operating-system version code, Ethernet addresses, the text of
// the last system error.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct LocalDateTime {
    int year = 0;    // e.g. 2026
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..60
};

// The local date and time (localtime_r of the current time).
LocalDateTime LocalNow();
// Seconds since 1970-01-01 UTC.
int64_t UnixTimeNow();

// Tests fix the clock; an empty function restores the real one.
void SetLocalTimeSourceForTesting(std::function<LocalDateTime()> source);

// Fills the buffer from the system's random source. False when it fails.
bool RandomBytes(void* out, size_t size);
// Tests replace the source; an empty function restores the system's.
void SetRandomSourceForTesting(std::function<bool(void*, size_t)> source);

// The operating-system version code: this build answers 0x230000
// (version 10.0, workstation).
uint32_t OsVersionCode();

// The hardware addresses of the machine's wired Ethernet interfaces (type 1,
// not loopback, not wireless), in interface-index order, written one after
// another into out, stopping at its end. Returns how many interfaces qualify,
// 0 when none, -1 when the list cannot be read.
int EthernetAddresses(uint8_t* out, size_t capacity);
// Tests make the machine's wired Ethernet interfaces these, in this order;
// nullopt restores the machine's own.
using EthernetAddress = std::array<uint8_t, 6>;
void SetEthernetAddressesForTesting(std::optional<std::vector<EthernetAddress>> addresses);
// The same, read from another sysfs "class/net" folder (tests).
int EthernetAddressesFrom(std::string_view netClassFolder, uint8_t* out, size_t capacity);

// The calling thread's last system error (errno) and its text in GBK.
int LastErrorCode();
std::string LastErrorText();

}  // namespace platform
