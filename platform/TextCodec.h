#pragma once
// Conversion between the GBK text used inside the program and the UTF-8 of
// the outside world (terminal, file names shown to the user, fonts, URLs).
// Bytes that do not convert become '?'.

#include <string>
#include <string_view>

namespace platform {

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace platform
