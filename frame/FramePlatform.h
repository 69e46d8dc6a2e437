#pragma once
// The few services of the machine that the frame needs beyond what every
// platform call site reaches directly: starting programs, the folder shared
// with the hall, copy-data sends with a time-out, the screen's width,
// flashing a window and an FTP upload. Each is one function here, so the
// frame's callers stay the same whichever platform call serves it.
//
// Rules:
//  - A service the platform cannot give answers its failure value (false, 0)
//    and writes one log line; it never pretends to have succeeded.
//  - Tests replace the program starter, the uploader and the screen width
//    through the hooks below; an empty hook restores the default.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Messages.h"

namespace frame {

// Starts a program (a path, or this program when `program` is empty) with
// the arguments after argv[0], without waiting. True when it started.
bool StartProgram(std::string_view program, const std::vector<std::string>& arguments);
using ProgramStarter =
    std::function<bool(std::string_view program, const std::vector<std::string>& arguments)>;
void SetProgramStarterForTesting(ProgramStarter starter);

// The folder that holds the settings shared with the hall ("hmbt.ini"),
// with a trailing '/': $PVBN_SYSTEM_FOLDER when set, else the program folder.
std::string SystemFolder();

// Sends a copy-data record to a window and waits at most timeoutMs for it
// to be handled. True when it was delivered; the handler's result goes to
// *result when given.
bool SendCopyData(platform::WindowId target, platform::WParam wParam, uintptr_t dwData,
                  std::span<const uint8_t> bytes, uint32_t timeoutMs,
                  platform::LResult* result = nullptr);

// The machine's Ethernet addresses one after another (ZepGetEthernetAddresses).
int ReadEthernetAddresses(uint8_t* out, size_t capacity);
using EthernetSource = std::function<int(uint8_t* out, size_t capacity)>;
void SetEthernetSourceForTesting(EthernetSource source);

// The primary screen's width in pixels.
int PrimaryScreenWidth();
void SetPrimaryScreenWidthForTesting(int width);  // 0 restores the default

// Flashes the window once unless it has the focus; false when nothing done.
bool FlashWindowOnce(platform::WindowId window);

// One binary FTP upload, blocking. True when the file arrived.
struct FtpUploadRequest {
    std::string host;
    uint16_t port = 21;
    std::string remoteFolder;
    std::string remoteName;
    std::string localFile;
    std::string user;
    std::string password;
};
bool UploadByFtp(const FtpUploadRequest& request);
using FtpUploader = std::function<bool(const FtpUploadRequest&)>;
void SetFtpUploaderForTesting(FtpUploader uploader);

}  // namespace frame
