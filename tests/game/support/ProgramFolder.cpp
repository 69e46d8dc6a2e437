#include "tests/game/support/ProgramFolder.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/ExportedWindows.h"
#include "platform/Files.h"
#include "tests/game/support/RegionalSkin.h"

namespace game_test {
namespace {

std::string MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pvbn-game-XXXXXX").string();
    return ::mkdtemp(pattern.data()) != nullptr ? pattern + "/" : std::string();
}

}  // namespace

ProgramFolder::ProgramFolder(const ProgramFolderOptions& options)
    : path_(MakeFolder()),
      systemFolder_(platform::kSystemFolderVariable, path_ + "system/"),
      windowFolder_(platform::kWindowFolderVariable, path_ + "links/") {
    if (path_.empty()) {
        error_ = "no temporary folder";
        return;
    }
    std::error_code made;
    for (const char* folder : {"system", "links", "skins"}) {
        std::filesystem::create_directories(path_ + folder, made);
    }
    std::filesystem::permissions(path_ + "links", std::filesystem::perms::owner_all, made);
    std::filesystem::permissions(path_ + "system", std::filesystem::perms::owner_all, made);
    if (options.pointProgramFolder) {
        platform::SetProgramFolderForTesting(path_);
        pointed_ = true;
    }
    if (options.skin) {
        std::string error;
        const regional_skin::Style style =
            options.drawnSkin ? regional_skin::Style::Drawn : regional_skin::Style::Flat;
        if (!regional_skin::WriteSkinPacks(path_, error, options.leaveOut, style)) {
            error_ = "the skin was not written: " + error;
        }
    }
}

ProgramFolder::~ProgramFolder() {
    if (pointed_) {
        platform::SetProgramFolderForTesting({});
    }
    std::error_code ignored;
    if (!path_.empty()) {
        std::filesystem::remove_all(path_, ignored);
    }
}

std::string ProgramFolder::File(const std::string& relative) const {
    std::string name = relative;
    std::replace(name.begin(), name.end(), '\\', '/');
    return path_ + name;
}

bool ProgramFolder::Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path file = File(relative);
    std::error_code made;
    std::filesystem::create_directories(file.parent_path(), made);
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

std::string ProgramFolder::Read(const std::string& relative) const {
    std::ifstream in(File(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool ProgramFolder::Exists(const std::string& relative) const {
    std::error_code error;
    return std::filesystem::exists(File(relative), error);
}

std::vector<std::string> ProgramFolder::LogLinesWith(const std::string& text) const {
    std::vector<std::string> lines;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path_, error)) {
        if (entry.path().extension() != ".log") {
            continue;
        }
        const std::string content = Read(entry.path().filename().string());
        size_t start = 0;
        while (start < content.size()) {
            size_t end = content.find("\r\n", start);
            end = end == std::string::npos ? content.size() : end;
            const std::string line = content.substr(start, end - start);
            if (line.find(text) != std::string::npos) {
                lines.push_back(line);
            }
            start = end + 2;
        }
    }
    return lines;
}

}  // namespace game_test
