#include "platform/Profile.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/Files.h"

namespace platform {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\v\f\r\n";

// --- GBK-aware text helpers. A lead byte and its trail byte form one
// character; a trail byte may look like an ASCII letter or ']', so it is
// never folded or taken for punctuation. ---

bool IsLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x81 && byte <= 0xFE;
}

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
        } else if (detail::FoldAscii(a[i]) != detail::FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Position of the first single-byte character c, skipping double-byte
// characters; npos when there is none.
size_t FindCharacter(std::string_view text, char c) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLeadByte(text[i]) && i + 1 < text.size()) {
            ++i;
        } else if (text[i] == c) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string_view TrimRight(std::string_view text) {
    const size_t last = text.find_last_not_of(kBlanks);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view StripQuotes(std::string_view value) {
    if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// What one line of the file is.
struct ParsedLine {
    enum class Kind { Other, Section, Entry };
    Kind kind = Kind::Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // trimmed, quotes kept
    bool hasValue = false;   // a key line without '=' has no value
};

ParsedLine ParseLine(std::string_view text) {
    ParsedLine parsed;
    const std::string_view content = Trim(text);
    if (content.empty() || content.front() == ';') {
        return parsed;  // blank line or comment
    }
    if (content.front() == '[') {
        const std::string_view inside = content.substr(1);
        parsed.kind = ParsedLine::Kind::Section;
        parsed.name = Trim(inside.substr(0, FindCharacter(inside, ']')));
        return parsed;
    }
    const size_t equals = FindCharacter(content, '=');
    parsed.name = Trim(content.substr(0, equals));
    if (parsed.name.empty()) {
        return parsed;
    }
    parsed.kind = ParsedLine::Kind::Entry;
    if (equals != std::string_view::npos) {
        parsed.value = Trim(content.substr(equals + 1));
        parsed.hasValue = true;
    }
    return parsed;
}

// A settings file held as its lines, each with its own line end, so lines
// that are not touched are written back byte for byte.
class IniDocument {
public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    // Reads the file. A missing file is an empty document; a file that
    // exists but cannot be read is a failure.
    bool Load(const char* file) {
        if (file == nullptr || *file == '\0') {
            return true;
        }
        if (!FileExists(file)) {
            return true;
        }
        const auto bytes = ReadWholeFile(file);
        if (!bytes) {
            return false;
        }
        std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
            mark_ = std::string(kUtf8Mark);
            text.remove_prefix(kUtf8Mark.size());
        }
        while (!text.empty()) {
            const size_t newline = text.find('\n');
            Line line;
            if (newline == std::string_view::npos) {
                line.text = std::string(text);
                text = {};
            } else {
                const bool crlf = newline > 0 && text[newline - 1] == '\r';
                line.text = std::string(text.substr(0, crlf ? newline - 1 : newline));
                line.ending = crlf ? "\r\n" : "\n";
                text.remove_prefix(newline + 1);
            }
            lines_.push_back(std::move(line));
        }
        return true;
    }

    std::string Serialise() const {
        std::string out = mark_;
        for (const Line& line : lines_) {
            out += line.text;
            out += line.ending;
        }
        return out;
    }

    ParsedLine Parse(size_t index) const { return ParseLine(lines_[index].text); }
    size_t LineCount() const { return lines_.size(); }

    bool IsSection(size_t index) const { return Parse(index).kind == ParsedLine::Kind::Section; }

    // The first header of the section at or after from; kNone when missing.
    size_t FindSection(std::string_view name, size_t from = 0) const {
        for (size_t i = from; i < lines_.size(); ++i) {
            const ParsedLine parsed = Parse(i);
            if (parsed.kind == ParsedLine::Kind::Section && NamesEqual(parsed.name, name)) {
                return i;
            }
        }
        return kNone;
    }

    // One past the last line of the section whose header is at header.
    size_t SectionEnd(size_t header) const {
        size_t i = header + 1;
        while (i < lines_.size() && !IsSection(i)) {
            ++i;
        }
        return i;
    }

    // The first line of the key within the section; kNone when missing.
    size_t FindKey(size_t header, std::string_view key) const {
        const size_t end = SectionEnd(header);
        for (size_t i = header + 1; i < end; ++i) {
            const ParsedLine parsed = Parse(i);
            if (parsed.kind == ParsedLine::Kind::Entry && NamesEqual(parsed.name, key)) {
                return i;
            }
        }
        return kNone;
    }

    // The value of the key in the first section of that name.
    std::optional<std::string_view> Lookup(std::string_view section, std::string_view key) const {
        const size_t header = FindSection(section);
        if (header == kNone) {
            return std::nullopt;
        }
        const size_t line = FindKey(header, key);
        if (line == kNone) {
            return std::nullopt;
        }
        const ParsedLine parsed = Parse(line);
        if (!parsed.hasValue) {
            return std::nullopt;
        }
        return StripQuotes(parsed.value);
    }

    // Every section name, in file order, each followed by a zero.
    std::string SectionNameList() const {
        std::string list;
        for (size_t i = 0; i < lines_.size(); ++i) {
            const ParsedLine parsed = Parse(i);
            if (parsed.kind == ParsedLine::Kind::Section) {
                list.append(parsed.name);
                list.push_back('\0');
            }
        }
        return list;
    }

    // The key names of the first section of that name, each followed by a
    // zero.
    std::string KeyNameList(std::string_view section) const {
        std::string list;
        const size_t header = FindSection(section);
        if (header == kNone) {
            return list;
        }
        const size_t end = SectionEnd(header);
        for (size_t i = header + 1; i < end; ++i) {
            const ParsedLine parsed = Parse(i);
            if (parsed.kind == ParsedLine::Kind::Entry) {
                list.append(parsed.name);
                list.push_back('\0');
            }
        }
        return list;
    }

    // Removes every section of that name with all its lines. True when
    // anything was removed.
    bool RemoveSection(std::string_view section) {
        bool removed = false;
        size_t header = FindSection(section);
        while (header != kNone) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                         lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
            removed = true;
            header = FindSection(section, header);
        }
        return removed;
    }

    // Removes the first line of the key in the sections of that name. True
    // when a line was removed.
    bool RemoveKey(std::string_view section, std::string_view key) {
        for (size_t header = FindSection(section); header != kNone;
             header = FindSection(section, header + 1)) {
            const size_t line = FindKey(header, key);
            if (line != kNone) {
                lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
                return true;
            }
        }
        return false;
    }

    // Sets the key in the first section of that name, creating the section
    // at the end of the file when missing. False when nothing changed.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value) {
        const size_t header = FindSection(section);
        if (header == kNone) {
            EndLastLine();
            lines_.push_back(Line{"[" + std::string(section) + "]", std::string(kLineEnd)});
            lines_.push_back(Line{EntryText(key, value), std::string(kLineEnd)});
            return true;
        }
        const size_t line = FindKey(header, key);
        if (line != kNone) {
            const ParsedLine parsed = Parse(line);
            if (parsed.hasValue && parsed.value == value) {
                return false;
            }
            // The key keeps the spelling it has in the file.
            lines_[line] = Line{EntryText(parsed.name, value), std::string(kLineEnd)};
            return true;
        }
        // After the section's last non-blank line, so a blank line that
        // separates it from the next section stays after the new key.
        size_t insertAt = header + 1;
        for (size_t i = header + 1; i < SectionEnd(header); ++i) {
            if (!Trim(lines_[i].text).empty()) {
                insertAt = i + 1;
            }
        }
        if (lines_[insertAt - 1].ending.empty()) {
            lines_[insertAt - 1].ending = std::string(kLineEnd);
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                      Line{EntryText(key, value), std::string(kLineEnd)});
        return true;
    }

private:
    struct Line {
        std::string text;    // without its line end
        std::string ending;  // "\r\n", "\n", or empty on an unterminated last line
    };

    static std::string EntryText(std::string_view key, std::string_view value) {
        return std::string(key) + "=" + std::string(value);
    }

    void EndLastLine() {
        if (!lines_.empty() && lines_.back().ending.empty()) {
            lines_.back().ending = std::string(kLineEnd);
        }
    }

    std::string mark_;
    std::vector<Line> lines_;
};

// Reads and writes of settings files within this process never overlap.
std::mutex& ProfileLock() {
    static std::mutex lock;
    return lock;
}

uint32_t CopyString(std::string_view text, char* out, uint32_t size) {
    const size_t count = std::min<size_t>(text.size(), size - 1);
    if (count > 0) {
        std::memcpy(out, text.data(), count);
    }
    out[count] = '\0';
    return static_cast<uint32_t>(count);
}

// Copies a list of zero-terminated names and the extra zero that ends it.
// When the list does not fit, the last name is cut and followed by two
// zeros, and the result is size - 2.
uint32_t CopyList(const std::string& list, char* out, uint32_t size) {
    if (size < 2) {
        out[0] = '\0';
        return 0;
    }
    if (list.size() + 1 <= size) {
        std::memcpy(out, list.data(), list.size());
        out[list.size()] = '\0';
        if (list.empty()) {
            out[1] = '\0';
        }
        return static_cast<uint32_t>(list.size());
    }
    std::memcpy(out, list.data(), size - 2);
    out[size - 2] = '\0';
    out[size - 1] = '\0';
    return size - 2;
}

// A section name can be written when it fits on its header line; a key when
// it reads back as the same key.
bool IsWritableSection(std::string_view section) {
    return section.find_first_of("\r\n") == std::string_view::npos &&
           FindCharacter(section, ']') == std::string_view::npos;
}

bool IsWritableKey(std::string_view key) {
    return !key.empty() && key.find_first_of("\r\n") == std::string_view::npos &&
           FindCharacter(key, '=') == std::string_view::npos && key.front() != '[' &&
           key.front() != ';';
}

}  // namespace

uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                 char* out, uint32_t size, const char* file) {
    if (out == nullptr || size == 0) {
        return 0;
    }
    IniDocument document;
    {
        std::lock_guard<std::mutex> guard(ProfileLock());
        if (!document.Load(file)) {
            document = IniDocument();
        }
    }
    if (section == nullptr) {
        return CopyList(document.SectionNameList(), out, size);
    }
    if (key == nullptr) {
        return CopyList(document.KeyNameList(Trim(section)), out, size);
    }
    if (const auto value = document.Lookup(Trim(section), Trim(key))) {
        return CopyString(*value, out, size);
    }
    // Trailing blanks of the default are dropped.
    return CopyString(TrimRight(defaultValue != nullptr ? defaultValue : ""), out, size);
}

int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* file) {
    char buffer[30];
    if (GetPrivateProfileString(section, key, "", buffer, sizeof(buffer), file) == 0) {
        return defaultValue;  // missing or empty
    }
    const char* digits = buffer;
    while (*digits == ' ' || *digits == '\t') {
        ++digits;
    }
    const bool negative = *digits == '-';
    if (*digits == '-' || *digits == '+') {
        ++digits;
    }
    // Wraps on overflow, as the 32-bit conversion does.
    uint32_t magnitude = 0;
    for (; *digits >= '0' && *digits <= '9'; ++digits) {
        magnitude = magnitude * 10u + static_cast<uint32_t>(*digits - '0');
    }
    return static_cast<int>(negative ? 0u - magnitude : magnitude);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* file) {
    if (section == nullptr || file == nullptr || *file == '\0') {
        return false;
    }
    const std::string_view sectionName = Trim(section);
    std::lock_guard<std::mutex> guard(ProfileLock());
    IniDocument document;
    if (!document.Load(file)) {
        return false;
    }
    bool changed = false;
    if (key == nullptr) {
        changed = document.RemoveSection(sectionName);
    } else if (value == nullptr) {
        changed = document.RemoveKey(sectionName, Trim(key));
    } else {
        const std::string_view keyName = Trim(key);
        if (!IsWritableSection(sectionName) || !IsWritableKey(keyName)) {
            return false;
        }
        // A value is one line; a line break would start a new entry.
        std::string_view text(value);
        text = text.substr(0, text.find_first_of("\r\n"));
        changed = document.SetValue(sectionName, keyName, text);
    }
    if (!changed) {
        return true;
    }
    return ReplaceFileAtomically(file, document.Serialise());
}

}  // namespace platform
