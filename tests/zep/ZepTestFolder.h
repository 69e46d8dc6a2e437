#pragma once
// A uniquely named folder under the system's temporary folder, removed with
// everything in it when the object goes; and whole-file reading for checks.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace zeptest {

class TempFolder {
public:
    TempFolder() {
        std::random_device entropy;
        const auto base = std::filesystem::temp_directory_path();
        do {
            path_ = base / ("zep-test-" + std::to_string(entropy()) + std::to_string(entropy()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The folder with a trailing '/', as the program folder is given.
    std::string WithSlash() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

}  // namespace zeptest
