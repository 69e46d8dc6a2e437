#pragma once
// A temporary program folder for one test: the program folder, the system
// folder (the settings shared with the hall) and the folder of the exported
// windows all point into a fresh folder under the system's temporary
// folder, with the regional test skin's eleven packs under "skins/". The
// folder and everything in it go when the object does, and the three
// settings it changed are put back.
//
// Rules:
//  - One at a time: the settings it changes are process-wide.
//  - Files are named relative to the folder with '/' or '\'; names are used
//    as the bytes given (GBK names stay GBK on disk).

#include <set>
#include <string>
#include <vector>

#include "tests/platform/ScopedEnv.h"

namespace game_test {

struct ProgramFolderOptions {
    bool skin = true;                // write the eleven packs
    std::set<std::string> leaveOut;  // skin names (GBK) the packs lack
    bool drawnSkin = false;          // the skin drawn for players, not the flat one
    bool pointProgramFolder = true;  // the process's program folder is this one
};

class ProgramFolder {
public:
    ProgramFolder() : ProgramFolder(ProgramFolderOptions{}) {}
    explicit ProgramFolder(const ProgramFolderOptions& options);
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    // False when the folder or the skin could not be made; Error() says why.
    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }

    // The folder with a trailing '/'.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& relative) const { return File(relative); }
    std::string File(const std::string& relative) const;
    // The system folder below it (PVBN_SYSTEM_FOLDER while the object lives).
    std::string SystemFolder() const { return path_ + "system/"; }
    // The game's settings file ("pvbn.ini" in the program folder).
    std::string GameIni() const { return path_ + "pvbn.ini"; }

    // Writes a file (and its folders); false when it cannot be written.
    bool Write(const std::string& relative, const std::string& bytes) const;
    // The file's bytes; empty when it is missing.
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // The lines of the program's logs (".log" files in the folder) that hold
    // the text.
    std::vector<std::string> LogLinesWith(const std::string& text) const;

private:
    std::string path_;
    std::string error_;
    bool pointed_ = false;
    ScopedEnv systemFolder_;
    ScopedEnv windowFolder_;
};

}  // namespace game_test
