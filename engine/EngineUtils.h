#pragma once
// The engine's path and file services: the program's folder and names
// relative to it, whole-file load and save, folder creation, file-name
// splitting, and the elapsed-time text. The text and compression helpers
// come with this header.
//
// Paths may be built with '\' or '/'; the caller's text is never changed
// (every function works on a normalised copy). A missing name is also
// found when it differs only in ASCII case.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/Compression.h"
#include "engine/TextHelpers.h"

// The program's folder with a trailing '/'.
std::string GetExeDir();
// GetExeDir joined with a relative name, normalised to '/'.
std::string GetExePath(std::string_view relative);

// Whether a file or folder of that name exists.
bool FileExists(std::string_view path);
bool ExeFileExists(std::string_view relative);

// The whole file in a new[] buffer of size + 1 bytes whose last byte is 0;
// size receives the file's size. Null (size 0) for an empty path or a file
// that cannot be read; the latter also goes to the engine log.
std::unique_ptr<uint8_t[]> LoadFile(std::string_view path, size_t& size);
// Creates or empties the file and writes every byte. False on any failure.
bool SaveFile(std::string_view path, const void* data, size_t size);

// Checks each folder of the path from the top, then the whole path. A
// missing one fails when create is false, else it is made; a folder that
// cannot be made shows "Build   Directory<folder>   Fail!" and fails.
bool CreateDirectoryPath(std::string_view path, bool create);

// "dir\Name.PNG": extension ".png" (lower-cased, empty when none), title
// "Name", file name "Name.png" (only the extension is lower-cased).
std::string GetExtension(std::string_view path);
std::string GetFileTitle(std::string_view path);
std::string GetFileNameLower(std::string_view path);

// "mm:ss" up to one hour inclusive (so 3600000 gives "60:00"), else
// "hh:mm:ss". A negative time counts as 0.
std::string FormatElapsedTime(int64_t milliseconds);
