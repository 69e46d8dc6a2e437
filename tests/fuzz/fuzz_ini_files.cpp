// Settings files in the INI form, as a user or another program may leave
// them: every section and key the listing names is read back, as text into
// short and long buffers and as a number, and the game's own section gets a
// key written, read and deleted again.

#include <cstring>
#include <string>
#include <vector>

#include "platform/Profile.h"
#include "tests/fuzz/FuzzScratchFile.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

std::string g_path;

// The names of a zero-separated list that ends with an empty name.
std::vector<std::string> NamesOf(const char* list, uint32_t length) {
    std::vector<std::string> names;
    for (uint32_t at = 0; at < length;) {
        const std::string name(list + at);
        if (name.empty()) {
            break;
        }
        at += static_cast<uint32_t>(name.size()) + 1;
        names.push_back(name);
    }
    return names;
}

// Reads into a buffer of `size` bytes and checks the copy is cut and
// terminated as the rules say.
std::string ReadValue(const char* section, const char* key, uint32_t size) {
    std::vector<char> out(size + 8, '\x7F');
    const uint32_t n =
        platform::GetPrivateProfileString(section, key, "dflt", out.data(), size, g_path.c_str());
    if (size > 0 && (n >= size || out[n] != '\0')) {
        FuzzFail("a value overran its buffer or lost its terminator");
    }
    for (size_t i = size; i < out.size(); ++i) {
        if (out[i] != '\x7F') {
            FuzzFail("a read wrote past the buffer's size");
        }
    }
    return size > 0 ? std::string(out.data(), n) : std::string();
}

void ReadEverything() {
    std::vector<char> list(4096);
    const uint32_t listed = platform::GetPrivateProfileString(
        nullptr, nullptr, "", list.data(), static_cast<uint32_t>(list.size()), g_path.c_str());
    const std::vector<std::string> sections = NamesOf(list.data(), listed);
    FuzzNote("sections", sections.size());
    size_t checked = 0;
    for (const std::string& section : sections) {
        if (++checked > 4) {
            break;
        }
        std::vector<char> keyList(4096);
        const uint32_t keysListed = platform::GetPrivateProfileString(
            section.c_str(), nullptr, "", keyList.data(), static_cast<uint32_t>(keyList.size()),
            g_path.c_str());
        const std::vector<std::string> keys = NamesOf(keyList.data(), keysListed);
        FuzzNote("keys", keys.size());
        for (size_t k = 0; k < keys.size() && k < 4; ++k) {
            const std::string whole = ReadValue(section.c_str(), keys[k].c_str(), 1024);
            const std::string cut = ReadValue(section.c_str(), keys[k].c_str(), 4);
            if (whole.size() < 1023 && whole.compare(0, cut.size(), cut) != 0) {
                FuzzFail("a cut value is not the front of the whole value");
            }
            const int number = platform::GetPrivateProfileInt(section.c_str(), keys[k].c_str(), -7,
                                                              g_path.c_str());
            FuzzNote("number sign", number < 0 ? 0 : number == 0 ? 1 : 2);
        }
    }
}

// The game writes its own settings into whatever file it finds.
void WriteReadDelete() {
    const std::string section = "GameSet";
    if (!platform::WritePrivateProfileString(section.c_str(), "FuzzKey", "written",
                                             g_path.c_str())) {
        FuzzNote("write refused");
        return;
    }
    if (ReadValue(section.c_str(), "fuzzkey", 64) != "written") {
        FuzzFail("a written key does not read back");
    }
    platform::WritePrivateProfileString(section.c_str(), "FuzzKey", nullptr, g_path.c_str());
    if (ReadValue(section.c_str(), "FuzzKey", 64) != "dflt") {
        FuzzFail("a deleted key still reads");
    }
    ReadEverything();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_path = FuzzScratchFile::Make("game.ini").Path();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzScratchFile::Make("game.ini").Write(data, size);
    ReadEverything();
    WriteReadDelete();
    return 0;
}
