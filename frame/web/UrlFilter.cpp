#include "frame/web/UrlFilter.h"

#include <algorithm>

#include "frame/web/UrlQuery.h"
#include "platform/FileStream.h"
#include "zep/ZepAes.h"

namespace {

constexpr uint32_t kFilterKeyBits = 128;
constexpr uint32_t kDecipher = ZepAesCodec::kStepFlag | ZepAesCodec::kBackward;
constexpr uint32_t kEncipher = ZepAesCodec::kStepFlag | ZepAesCodec::kForward;
constexpr std::string_view kHttpScheme = "http://";
constexpr std::string_view kScriptScheme = "javascript:";
constexpr std::string_view kHostEnds = "/?#\\";

bool Listed(std::string_view text, const std::vector<std::string>& list) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

}  // namespace

UrlFilterSubject UrlFilterSubjectOf(std::string_view url) {
    UrlFilterSubject subject;
    // Only the URL itself names a script: behind "http://" the same text is a
    // user part or a host, and the browser loads the host.
    if (StartsWithIgnoringCase(url, kScriptScheme)) {
        subject.script = true;
        return subject;
    }
    std::string_view text = url;
    if (StartsWithIgnoringCase(text, kHttpScheme)) {
        text.remove_prefix(kHttpScheme.size());
    }
    text = text.substr(0, text.find_first_of(kHostEnds));
    if (const size_t at = text.rfind('@'); at != std::string_view::npos) {
        text.remove_prefix(at + 1);  // a user part is not the host
    }
    subject.host = AsciiLower(text);
    return subject;
}

bool IsHostListed(std::string_view host, const std::vector<std::string>& list) {
    const std::string lowered = AsciiLower(host);
    if (lowered.empty()) {
        return false;
    }
    if (Listed(lowered, list)) {
        return true;
    }
    const size_t firstDot = lowered.find('.');
    if (firstDot == std::string::npos) {
        return false;
    }
    if (Listed(std::string_view(lowered).substr(firstDot + 1), list)) {
        return true;
    }
    const size_t lastDot = lowered.rfind('.');
    if (lastDot == firstDot) {
        return false;  // one dot: the last two labels are the host itself
    }
    const size_t secondLastDot = lowered.rfind('.', lastDot - 1);
    return Listed(std::string_view(lowered).substr(secondLastDot + 1), list);
}

std::array<uint8_t, 128> UrlFilterKeyBlock() {
    // A xorshift run from fixed seeds: the block is in no table of the
    // program's bytes.
    std::array<uint8_t, 128> block{};
    uint32_t state = 0x2F6B91C3u;
    for (size_t i = 0; i < block.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        block[i] = static_cast<uint8_t>((state >> 11) ^ (0xA5u + 7u * static_cast<uint32_t>(i)));
    }
    return block;
}

std::string DecipherUrlFilterRecord(std::span<const uint8_t, kUrlFilterRecordSize> record) {
    const std::array<uint8_t, 128> key = UrlFilterKeyBlock();
    std::array<uint8_t, kUrlFilterRecordSize> plain{};
    uint32_t length = plain.size();
    if (!ZepAesCodec::Process(key.data(), kFilterKeyBits, record.data(), record.size(),
                              plain.data(), &length, kDecipher) ||
        length != plain.size()) {
        return {};
    }
    const auto end = std::find(plain.begin(), plain.end(), uint8_t{0});
    return AsciiLower(std::string(plain.begin(), end));
}

std::optional<std::array<uint8_t, kUrlFilterRecordSize>> EncipherUrlFilterRecord(
    std::string_view domain) {
    if (domain.empty() || domain.size() > kUrlFilterDomainMax) {
        return std::nullopt;
    }
    const std::array<uint8_t, 128> key = UrlFilterKeyBlock();
    std::array<uint8_t, kUrlFilterRecordSize> plain{};
    std::copy(domain.begin(), domain.end(), plain.begin());
    // The codec adds a block of zero padding after whole blocks; the record
    // is the first 64 bytes.
    std::array<uint8_t, kUrlFilterRecordSize + 16> cipher{};
    uint32_t length = cipher.size();
    if (!ZepAesCodec::Process(key.data(), kFilterKeyBits, plain.data(), plain.size(), cipher.data(),
                              &length, kEncipher) ||
        length < kUrlFilterRecordSize) {
        return std::nullopt;
    }
    std::array<uint8_t, kUrlFilterRecordSize> record{};
    std::copy_n(cipher.begin(), record.size(), record.begin());
    return record;
}

int ReadUrlFilterFile(std::string_view path, std::vector<std::string>& list) {
    platform::FileStream file;
    if (!file.Open(path)) {
        return 0;
    }
    int count = 0;
    std::array<uint8_t, kUrlFilterRecordSize> record{};
    for (uint64_t offset = 0;; offset += record.size()) {
        if (file.ReadAt(offset, record.data(), record.size()) != record.size()) {
            break;
        }
        list.push_back(DecipherUrlFilterRecord(record));
        ++count;
    }
    return count;
}

std::optional<std::vector<uint8_t>> BuildUrlFilterFile(const std::vector<std::string>& domains,
                                                       std::string* bad) {
    std::vector<uint8_t> bytes;
    for (const std::string& domain : domains) {
        const auto record = EncipherUrlFilterRecord(domain);
        if (!record) {
            if (bad != nullptr) {
                *bad = domain;
            }
            return std::nullopt;
        }
        bytes.insert(bytes.end(), record->begin(), record->end());
    }
    return bytes;
}
