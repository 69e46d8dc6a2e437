#pragma once
// Listing a folder the way the client adds one: its files in a fixed order.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The names of the files directly in the folder (a link counts as what it
// points at; sub-folders, "." and ".." are left out), sorted in byte order so
// the order never depends on the file system. The folder's name follows the
// rules of Files.h. Empty when the folder cannot be read.
std::vector<std::string> ListFolderFiles(std::string_view folder);

}  // namespace platform
