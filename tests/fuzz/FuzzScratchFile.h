#pragma once
// A file in a folder of the process's own under the temporary folder, for
// targets whose parser reads files: each input is written to it before the
// parser runs. The folder goes away when the process ends.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/fuzz/FuzzTarget.h"

class FuzzScratchFile {
public:
    // Made once, in LLVMFuzzerInitialize.
    static const FuzzScratchFile& Make(const std::string& name) {
        static const FuzzScratchFile file(name);
        return file;
    }

    const std::string& Path() const { return path_; }

    // Replaces the file's bytes by the input's.
    void Write(const uint8_t* data, size_t size) const {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size)) {
            FuzzFail("the scratch file cannot be written");
        }
        std::fclose(file);
    }

private:
    explicit FuzzScratchFile(const std::string& name) {
        folder_ = std::filesystem::temp_directory_path() / ("fuzz_" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        path_ = (folder_ / name).string();
    }
    ~FuzzScratchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::filesystem::path folder_;
    std::string path_;
};
