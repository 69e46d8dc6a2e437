#pragma once
// Starting another program, or this one again, and never waiting for it.
//
// Rules:
//  - No shell: the program gets exactly the arguments given, each one as its
//    bytes stand (blanks, quotes and ';' arrive unchanged).
//  - A name holding a separator ('/' or '\') is a path, found as Files.h
//    finds names; a bare name is looked up in PATH.
//  - The new program inherits standard input, output and error and nothing
//    else: every other descriptor is closed in it, whether or not it was
//    marked close-on-exec, so a relaunched client holds no connection of the
//    old one. Signals start at their defaults with none blocked; the
//    environment is passed on.
//  - StartProgramSharing passes one descriptor more: the child finds it as
//    descriptor 3 (kSharedDescriptor) and nothing else above 2.
//  - The caller does not wait: a started program is reaped when it ends.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

using ProcessId = int;

// Starts the program with the arguments (argv[0] is the program's name as
// given). The new process's id, or 0 when it could not be started.
ProcessId StartProgram(std::string_view program, const std::vector<std::string>& arguments);

inline constexpr int kSharedDescriptor = 3;

// As StartProgram, the descriptor given becoming the child's descriptor 3.
ProcessId StartProgramSharing(std::string_view program, const std::vector<std::string>& arguments,
                              int descriptor);

// Starts the running program's executable (/proc/self/exe) again, its path
// as argv[0]. The new process's id, or 0.
ProcessId StartSelf(const std::vector<std::string>& arguments);

}  // namespace platform
