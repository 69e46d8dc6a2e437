#pragma once
// The machine's services as the frame calls them: starting programs, the
// folder shared with the hall, copy-data sends with a time-out, the screen's
// width, flashing a window and an FTP upload. Each is one function over the
// platform's own service, so the frame's callers read as the frame speaks.
//
// Rules:
//  - A service that fails answers its failure value (false, 0) and writes
//    one log line; it never pretends to have succeeded.
//  - Tests replace the program starter and the uploader through the hooks
//    below (no test starts a real program or needs a server for them); an
//    empty hook restores the platform's service.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Internet.h"
#include "platform/Messages.h"

namespace frame {

// Starts a program (a path, or this program when `program` is empty) with
// the arguments after argv[0], without waiting. True when it started.
bool StartProgram(std::string_view program, const std::vector<std::string>& arguments);
using ProgramStarter =
    std::function<bool(std::string_view program, const std::vector<std::string>& arguments)>;
void SetProgramStarterForTesting(ProgramStarter starter);

// The folder that holds the settings shared with the hall ("hmbt.ini"),
// with a trailing '/'.
std::string SystemFolder();

// Sends a copy-data record to a window (of this process or one the hall
// exported) and waits at most timeoutMs for it to be handled. True when it
// was answered in time; the handler's result goes to *result when given.
bool SendCopyData(platform::WindowId target, platform::WParam wParam, uintptr_t dwData,
                  std::span<const uint8_t> bytes, uint32_t timeoutMs,
                  platform::LResult* result = nullptr);

// The primary screen's width in pixels.
int PrimaryScreenWidth();

// Flashes the window once unless it has the focus; false when nothing done.
bool FlashWindowOnce(platform::WindowId window);

// One binary FTP upload, blocking. True when the file arrived.
bool UploadByFtp(const platform::FtpUpload& upload);
using FtpUploader = std::function<bool(const platform::FtpUpload&)>;
void SetFtpUploaderForTesting(FtpUploader uploader);

}  // namespace frame
