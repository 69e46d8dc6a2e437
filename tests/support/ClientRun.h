#pragma once
// The folders of one client run, so that runs side by side share no file or
// socket: a fresh folder under the system's temporary folder holding
//  - "program/": the client binary (hard-linked, or copied across devices)
//    with its skins beside it; the client writes its logs, settings and
//    user files there;
//  - "hall/": the hall's folder (the fake hall's settings and records);
//  - "links/": the runtime folder of the hall link's sockets;
//  - "system/": the settings folder shared with the hall;
//  - "sanitizer/": the sanitizer reports of the run.
// The environment a client of the run is given names these folders and
// sends its sanitizer reports to files; a run fails on a report file or a
// nonzero exit. Everything goes when the object does.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace test_support {

// Places a program file at the target: a hard link to the file itself (a
// symbolic link is followed), or a copy across devices. False, with the
// error, when neither can be made.
bool PlaceProgram(const std::filesystem::path& program, const std::filesystem::path& target,
                  std::string& error);

struct ClientRunOptions {
    // A folder copied (as hard links where it can) to "skins/" beside the
    // binary; empty for none.
    std::filesystem::path skins;
    // Whether leaks are looked for (the X client libraries keep a few
    // allocations to the end, so runs on a real display leave it off).
    bool detectLeaks = true;
};

class ClientRun {
public:
    // Makes the folders and places the binary (empty for none yet).
    explicit ClientRun(const std::filesystem::path& program,
                       const ClientRunOptions& options = ClientRunOptions{});
    ~ClientRun();
    ClientRun(const ClientRun&) = delete;
    ClientRun& operator=(const ClientRun&) = delete;

    // False when a folder or the binary could not be placed; Error() says
    // why.
    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path ProgramFolder() const { return root_ / "program"; }
    std::filesystem::path HallFolder() const { return root_ / "hall"; }
    std::filesystem::path LinkFolder() const { return root_ / "links"; }
    std::filesystem::path SystemFolder() const { return root_ / "system"; }
    std::filesystem::path SanitizerFolder() const { return root_ / "sanitizer"; }
    // The placed binary (empty when none was given).
    const std::filesystem::path& Program() const { return program_; }

    // Places another program beside the binary under the name (a helper it
    // looks for in its own folder); false (with Error()) when it cannot.
    bool PlaceBeside(const std::filesystem::path& program, const std::string& name);

    // "NAME=value" for a client of this run: the system folder, the link
    // folder, and the sanitizers' options (the test's own, then report
    // files in the run's folder, leak detection as asked, UBSan halting).
    std::vector<std::string> Environment() const;
    // The names of the sanitizer report files written so far.
    std::vector<std::string> SanitizerReports() const;
    // Success when the client ended with status 0 and wrote no sanitizer
    // report; else what went wrong, with the reports' text.
    ::testing::AssertionResult CheckEnded(int exitStatus) const;

private:
    bool MakeFolders();
    void CopySkins(const std::filesystem::path& skins);

    std::filesystem::path root_;
    std::filesystem::path program_;
    bool detectLeaks_;
    std::string error_;
};

}  // namespace test_support
