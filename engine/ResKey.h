#pragma once
// Resource keys: a resource is found by three 32-bit hashes of its name, and
// its name is the file title followed by the suffix of its category.
//
// Rules:
//  - The RS and JS hashes take each byte as a signed char and are masked to
//    31 bits; the x31 hash takes each byte unsigned and is not masked.
//  - A name is the title, case kept, plus the category suffix chosen by the
//    lower-cased extension (with its dot), compared byte for byte; an
//    extension no category lists stands for itself.
//  - Keys order by RS, then JS, then x31, each compared unsigned.

#include <cstdint>
#include <string>
#include <string_view>

struct ResKey {
    uint32_t rs = 0;
    uint32_t js = 0;
    uint32_t x31 = 0;

    bool IsNull() const { return rs == 0 && js == 0 && x31 == 0; }
    friend bool operator==(const ResKey&, const ResKey&) = default;
};

struct ResKeyLess {
    bool operator()(const ResKey& a, const ResKey& b) const {
        if (a.rs != b.rs) {
            return a.rs < b.rs;
        }
        if (a.js != b.js) {
            return a.js < b.js;
        }
        return a.x31 < b.x31;
    }
};

// The RS hash of a text; also the hash of extensions and category suffixes.
constexpr uint32_t GetNameHash(std::string_view text) {
    uint32_t h = 0;
    uint32_t a = 63689;
    for (const char c : text) {
        h = h * a + static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(c)));
        a *= 378551;
    }
    return h & 0x7FFFFFFF;
}

constexpr uint32_t GetJsHash(std::string_view text) {
    uint32_t h = 1315423911;
    for (const char c : text) {
        const auto signedByte = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(c)));
        h ^= (h << 5) + (h >> 2) + signedByte;
    }
    return h & 0x7FFFFFFF;
}

constexpr uint32_t GetX31Hash(std::string_view text) {
    uint32_t h = 0;
    for (const char c : text) {
        h = h * 31 + static_cast<uint8_t>(c);
    }
    return h;
}

constexpr ResKey GetResKey(std::string_view name) {
    return ResKey{GetNameHash(name), GetJsHash(name), GetX31Hash(name)};
}

// The category hash paired with an extension hash, or the extension hash
// itself when the extension has no category row.
uint32_t GetCategoryHash(uint32_t extensionHash);

// Appends the category suffix of the lower-cased extension (".png" gives
// ".imge") to the name and answers 1; an extension that no category lists is
// appended itself and answers 0.
int AppendCategorySuffix(std::string_view extension, std::string& name);

// The resource name of a file: "dir\Logo.PNG" gives "Logo.imge".
std::string GetResourceName(std::string_view path);
// The same with another title in place of the file's: ("x.wav", "click")
// gives "click.sound".
std::string GetResourceName(std::string_view path, std::string_view title);
// GetResKey of GetResourceName.
ResKey GetResourceKey(std::string_view path);
// GetNameHash of the lower-cased extension with its dot ("" without one).
uint32_t GetExtensionHash(std::string_view path);
