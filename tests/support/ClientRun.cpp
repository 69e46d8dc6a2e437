#include "tests/support/ClientRun.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/ExportedWindows.h"
#include "platform/Files.h"

namespace test_support {

namespace fs = std::filesystem;

namespace {

std::string Inherited(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string Joined(const std::string& options, const std::string& more) {
    return options.empty() ? more : options + ":" + more;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ClientRun::ClientRun(const fs::path& program, const ClientRunOptions& options)
    : detectLeaks_(options.detectLeaks) {
    if (!MakeFolders()) {
        return;
    }
    if (!program.empty() && PlaceBeside(program, program.filename().string())) {
        program_ = ProgramFolder() / program.filename();
    }
    if (Ok() && !options.skins.empty()) {
        CopySkins(options.skins);
    }
}

ClientRun::~ClientRun() {
    if (!root_.empty()) {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
}

bool ClientRun::MakeFolders() {
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "pvbn-run-XXXXXX").string();
    if (error || ::mkdtemp(pattern.data()) == nullptr) {
        error_ = "cannot make a run folder under the temporary folder";
        return false;
    }
    root_ = pattern;
    for (const fs::path& folder :
         {ProgramFolder(), HallFolder(), LinkFolder(), SystemFolder(), SanitizerFolder()}) {
        if (!fs::create_directory(folder, error)) {
            error_ = folder.string() + ": " + error.message();
            return false;
        }
    }
    // The hall link refuses a folder that others may enter.
    fs::permissions(LinkFolder(), fs::perms::owner_all, error);
    if (error) {
        error_ = LinkFolder().string() + ": " + error.message();
        return false;
    }
    return true;
}

bool PlaceProgram(const fs::path& program, const fs::path& target, std::string& error) {
    std::error_code failure;
    // A link to a symbolic link would name its target relative to the new
    // folder: the file itself is placed.
    const fs::path file = fs::canonical(program, failure);
    if (failure) {
        error = program.string() + ": " + failure.message();
        return false;
    }
    fs::create_hard_link(file, target, failure);
    if (failure) {
        failure.clear();
        fs::copy_file(file, target, failure);
    }
    if (failure) {
        error = program.string() + ": " + failure.message();
        return false;
    }
    return true;
}

bool ClientRun::PlaceBeside(const fs::path& program, const std::string& name) {
    return PlaceProgram(program, ProgramFolder() / name, error_);
}

void ClientRun::CopySkins(const fs::path& skins) {
    std::error_code error;
    const fs::path target = ProgramFolder() / "skins";
    fs::copy(skins, target, fs::copy_options::recursive | fs::copy_options::create_hard_links,
             error);
    if (error) {
        error.clear();
        fs::remove_all(target, error);
        fs::copy(skins, target, fs::copy_options::recursive, error);
    }
    if (error) {
        error_ = skins.string() + ": " + error.message();
    }
}

std::vector<std::string> ClientRun::Environment() const {
    const std::string reports = SanitizerFolder().string();
    const std::string asan = Joined(Inherited("ASAN_OPTIONS"),
                                    std::string("detect_leaks=") + (detectLeaks_ ? "1" : "0") +
                                        ":log_path=" + reports + "/asan");
    const std::string ubsan =
        Joined(Inherited("UBSAN_OPTIONS"),
               "print_stacktrace=1:halt_on_error=1:log_path=" + reports + "/ubsan");
    return {std::string(platform::kSystemFolderVariable) + "=" + SystemFolder().string() + "/",
            std::string(platform::kWindowFolderVariable) + "=" + LinkFolder().string(),
            "ASAN_OPTIONS=" + asan, "UBSAN_OPTIONS=" + ubsan};
}

std::vector<std::string> ClientRun::SanitizerReports() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(SanitizerFolder(), error)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

::testing::AssertionResult ClientRun::CheckEnded(int exitStatus) const {
    const std::vector<std::string> reports = SanitizerReports();
    if (exitStatus == 0 && reports.empty()) {
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "the client ended with status " << exitStatus << " and " << reports.size()
            << " sanitizer report(s)";
    for (const std::string& name : reports) {
        failure << "\n--- " << name << "\n" << ReadText(SanitizerFolder() / name);
    }
    return failure;
}

}  // namespace test_support
