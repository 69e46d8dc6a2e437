#pragma once
// The allowed-domain filter of the embedded browsers: which host a URL names,
// whether a list allows it, and the enciphered list file.
//
// Rules:
//  - The host is what follows an "http://" (any case) up to the first '/',
//    '?', '#' or '\'; a user part up to the last '@' in it is not the host.
//    A port stays attached, and another scheme stays part of the text (an
//    https URL names "https:"), so only lists that hold such texts allow
//    them. A URL that itself begins with "javascript:" (any case) is always
//    allowed; behind "http://" that text is a user part or a host like any
//    other.
//  - A host is allowed when the list holds it, its text after the first
//    dot, or its last two labels; hosts and entries compare lower-cased.
//  - The file is a run of 64-byte records, each enciphered on its own (AES,
//    ECB) under the filter's key block; a record holds one domain up to its
//    NUL, or all 64 bytes when it has none. A short tail is ignored.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kUrlFilterRecordSize = 64;
inline constexpr size_t kUrlFilterDomainMax = kUrlFilterRecordSize - 1;

// What the filter judges a URL by.
struct UrlFilterSubject {
    bool script = false;  // a "javascript:" URL
    std::string host;     // lower-cased; empty: nothing to allow
};
UrlFilterSubject UrlFilterSubjectOf(std::string_view url);

// Whether the lower-cased host, its text after the first dot or its last two
// labels is in the list.
bool IsHostListed(std::string_view host, const std::vector<std::string>& list);

// The key block the records are enciphered under (its first 16 bytes are
// the AES key), laid out when asked.
std::array<uint8_t, 128> UrlFilterKeyBlock();

// One record deciphered: the domain up to its NUL within the 64 bytes,
// lower-cased. Empty when the codec refuses.
std::string DecipherUrlFilterRecord(std::span<const uint8_t, kUrlFilterRecordSize> record);
// One domain as a record; nothing for an empty domain or one of more than
// 63 bytes.
std::optional<std::array<uint8_t, kUrlFilterRecordSize>> EncipherUrlFilterRecord(
    std::string_view domain);

// Appends the file's domains to the list; their count (0 when the file does
// not open or holds no whole record).
int ReadUrlFilterFile(std::string_view path, std::vector<std::string>& list);
// The records of the domains, one after another, as a filter file holds
// them; nothing (and the bad domain in *bad) when a domain does not fit.
std::optional<std::vector<uint8_t>> BuildUrlFilterFile(const std::vector<std::string>& domains,
                                                       std::string* bad = nullptr);
