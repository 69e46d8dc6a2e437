#pragma once
// Test helper: points the program folder at a fresh temporary folder, fixes
// the local clock and records message boxes instead of showing them; all is
// undone when the helper goes away.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/System.h"

class TempProgramFolder {
public:
    explicit TempProgramFolder(platform::LocalDateTime now = {2024, 3, 5, 7, 8, 9}) {
        static std::atomic<int> serial{0};
        m_root = std::filesystem::temp_directory_path() /
                 ("engine_test_" + std::to_string(std::random_device{}()) + "_" +
                  std::to_string(serial++));
        std::filesystem::create_directories(m_root);
        platform::SetProgramFolderForTesting(Path() + "/");
        platform::SetLocalTimeSourceForTesting([now] { return now; });
        platform::SetMessageBoxSink([this](const platform::MessageBoxRequest& box) {
            boxes.push_back(box);
            return platform::kAnswerOk;
        });
    }
    ~TempProgramFolder() {
        platform::SetMessageBoxSink({});
        platform::SetLocalTimeSourceForTesting({});
        platform::SetProgramFolderForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    // The folder, without a trailing separator.
    std::string Path() const { return m_root.string(); }

    std::string Read(const std::string& name) const {
        std::ifstream in(m_root / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_root / name, std::ios::binary) << bytes;
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(m_root / name); }

    std::vector<platform::MessageBoxRequest> boxes;

private:
    std::filesystem::path m_root;
};
