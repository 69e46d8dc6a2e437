#pragma once
// Files and folders as the client names them.
//
// Rules:
//  - Names may be built with '\' or '/'; both separate folders, and a run of
//    separators counts as one.
//  - When the exact name is missing, a name that differs only in ASCII case
//    (in any component) is found instead.
//  - Names are GBK bytes, used on disk as they stand.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The folder of the running executable, with a trailing '/' (a copy: any
// thread may ask, also while the program ends). Computed once.
std::string ProgramFolder();
// Tests point the program folder at a temporary folder; empty restores it.
void SetProgramFolderForTesting(std::string folder);
// The running executable's file name, without its folder. Computed once.
std::string ProgramFileName();
// Tests give the program another file name; empty restores it.
void SetProgramFileNameForTesting(std::string name);

// An environment variable's value, or empty when it is unset.
std::string Environment(const char* name);

// The environment variable that names the system folder (tests, several
// installations side by side).
inline constexpr char kSystemFolderVariable[] = "PVBN_SYSTEM_FOLDER";

// The per-user folder of the settings the client shares with the hall (the
// system folder that holds "hmbt.ini"), with a trailing '/': the folder the
// variable above names when it is set, else "pvbn/" in the user's config
// folder ($XDG_CONFIG_HOME when absolute, else ~/.config). Made (mode 0700,
// with missing parents) when it is missing; when it cannot be made, the
// name still comes back and files in it fail to open.
std::string SystemFolder();

// '\' becomes '/', runs of separators collapse to one.
std::string NormalisePath(std::string_view path);

// The name as found on disk: the normalised path when it exists, else the
// case-insensitive match, else the normalised path unchanged.
std::string ResolvePath(std::string_view path);

enum class PathKind { Missing, File, Directory };
PathKind GetPathKind(std::string_view path);  // with the case fallback
bool FileExists(std::string_view path);       // a file or a folder

// Creates one folder (its parent must exist). True when it exists afterwards.
bool MakeDirectory(std::string_view path);

// The parts of a path, split on either separator: drive (always empty here),
// folder with its trailing separator, title, extension with its dot.
struct PathParts {
    std::string drive;
    std::string folder;
    std::string title;
    std::string extension;
};
PathParts SplitPath(std::string_view path);

// Whole-file reading and writing. ReadWholeFile is empty on any failure;
// WriteWholeFile creates or truncates, writes every byte, false on failure.
std::optional<std::vector<uint8_t>> ReadWholeFile(std::string_view path);
bool WriteWholeFile(std::string_view path, const void* data, size_t size);

// Appends the bytes with a single write (O_APPEND, created when missing), so
// lines from several writers never interleave. False on failure.
bool AppendToFile(std::string_view path, std::string_view bytes);
// Creates or truncates the file and writes the bytes.
bool ReplaceFile(std::string_view path, std::string_view bytes);
// Writes the bytes to a temporary file in the same folder and renames it over
// the file (keeping its permissions), so a failed write leaves the old
// content whole. False on failure.
bool ReplaceFileAtomically(std::string_view path, std::string_view bytes);

}  // namespace platform
