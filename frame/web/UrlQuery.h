#pragma once
// Web address text: adding a query, and the ASCII-only case rules that
// schemes and host names follow (GBK bytes compare as they stand).

#include <string>
#include <string_view>

// The base followed by the query: after '&' when the base already holds a
// '?', else after '?'. An empty query leaves the base as it is.
std::string AppendQuery(std::string_view base, std::string_view query);

// The text with A-Z lowered; every other byte as it stands.
std::string AsciiLower(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
