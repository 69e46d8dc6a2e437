#pragma once
// Conversion between the GBK text used inside the program and the UTF-8 of
// the outside world (terminal, file names shown to the user, fonts, URLs),
// and the UTF-16 of in-memory dialog templates.
// Bytes that do not convert become '?', or are left out where asked.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
// As Utf8ToGbk, but a character that has no GBK form (or a byte that is not
// UTF-8) is left out instead of becoming '?'; `dropped`, when given, counts
// what was left out.
// GBK and UTF-16 code units (as the system's wide strings hold them).
std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view utf16);
std::string Utf8ToGbkDroppingUnmapped(std::string_view utf8, size_t* dropped = nullptr);

}  // namespace platform
