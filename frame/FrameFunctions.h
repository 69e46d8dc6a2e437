#pragma once
// Free functions of the frame: the machine id, the hall's installation
// paths, wealth titles, colour and text helpers, MD5 text, a sound from the
// program's own table, window flashing and a background FTP upload.
//
// Texts are GBK bytes; a byte above 128 starts a two-byte character.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/Messages.h"

// The text without leading and trailing blanks (only ' ' counts).
std::string TrimSpaces(std::string_view text);

// "hmbt.ini" in the system folder shared with the hall.
std::string GetHallSettingsFile();
// The machine id: the Ethernet addresses as hex, else [SYSTEM] "UniqueID",
// else 30 random hex digits made once and stored there. At most 31 bytes.
std::string GetMachineUniqueID();
// [SYSTEM] "ExePath" of "hmbt.ini"; empty when missing.
std::string GetHallExePath();
// Drive and folder of the hall program, ending with a separator.
std::string GetHallPath();
std::string GetAdvertDomainFile();

// The title of a silver amount ("待业" for 0 to 99).
std::string GetWealthTitle(int64_t silver);
// "r g b" (decimal, blank-separated) as a COLORREF; one number is a grey,
// two repeat the second as blue; an empty text gives the fallback.
uint32_t ParseRGB(std::string_view text, uint32_t fallback);
std::string IntToString(int value);
// 32 lowercase hex digits of the MD5 digest of the bytes.
std::string Md5Hex(std::string_view text);
uint32_t InvertRGB(uint32_t color);
// The source when it is at most max bytes (a trailing lone lead byte
// dropped); else, when max is 5 or more, a cut at a character boundary
// ended with "." or ".." within max - 1 bytes; else empty.
std::string TruncateText(std::string_view source, int max);

// The program's embedded sounds, by resource id.
void RegisterSoundResource(int id, std::span<const uint8_t> bytes);
// Plays the sound of that id; 0 for an unknown id or when it cannot play.
int PlaySoundResource(int id, uint32_t flags);

// Flashes the main window once unless it is in front.
void FlashMainWindow();

// Starts an upload on its own thread and returns at once. With a notify
// window the finished job is posted to it (wParam the FtpUploadJob, lParam
// 1 or 0) and the receiver frees it with FreeFtpUploadJob; when there is no
// window or the post fails, the job is freed here, and a job still queued
// when the window goes is freed with the message (PostedJob.h: the notify
// message carries upload jobs only).
struct FtpUploadJob {
    platform::WindowId notifyWindow = 0;
    uint32_t notifyMessage = 0;
    int32_t reserved = 0;
    int32_t done = 0;
    std::string host;          // at most 63 bytes
    std::string remoteFolder;  // at most 259 bytes
    std::string remoteName;    // at most 259 bytes
    std::string localFile;     // at most 259 bytes
    std::string user;          // at most 31 bytes
    std::string password;      // at most 31 bytes
};
bool StartFtpUpload(const std::string& localFile, const std::string& host,
                    const std::string& remoteFolder, const std::string& remoteName,
                    const std::string& user, const std::string& password,
                    platform::WindowId notifyWindow, uint32_t notifyMessage);
void FreeFtpUploadJob(platform::WParam job);
// Uploads go to port 21; tests point them at their own server (0: 21 again).
void SetFtpUploadPortForTesting(uint16_t port);
// Uploads since the start that were freed here (tests).
int FtpJobsFreedHere();
