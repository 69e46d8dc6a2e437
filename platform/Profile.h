#pragma once
// Settings files in the private-profile INI form ("[SECTION]", "key=value").
//
// Rules (those of the system functions these stand in for):
//  - Section and key names compare case-insensitively (ASCII); values are GBK
//    bytes as they stand, spaces around names and values trimmed, one pair of
//    surrounding quotes removed from a value.
//  - Reading: a missing file, section or key gives the default. A value longer
//    than the buffer is cut and terminated; the result is the number of bytes
//    copied without the terminator (size - 1 when cut). A null section lists
//    the section names, a null key the keys of the section, each terminated,
//    the list ending with an extra zero (size - 2 when cut).
//  - Integers: optional sign, then the leading decimal digits ("12abc" is 12,
//    "abc" is 0); a missing key gives the default.
//  - Writing creates the file and the section when missing and keeps every
//    other line as it was. A null value deletes the key, a null key the
//    section.
//  - Names may use '\' or '/' and find a file whose name differs in case.

#include <cstdint>

namespace platform {

uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                 char* out, uint32_t size, const char* file);
int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* file);
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* file);

}  // namespace platform
