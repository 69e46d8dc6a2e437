#pragma once
// Screenshots: the whole screen as a baseline JPEG file.
//
// Rules:
//  - The picture is the screen at its size, 24 bits a pixel (the platform's
//    screen capture), three components, the quality given (clamped to
//    1..100).
//  - The file is encoded in memory and written in one go through the
//    platform's file functions; any failure leaves no file.
//  - A file that cannot be written shows the message box
//    "JpegFile :\nCan't open %s\n" with the path and answers 0; success
//    answers 1.

#include <cstdint>
#include <string>

#include "platform/System.h"

int SaveScreenJpeg(const char* path, int quality);

// The screenshot's file name under the program folder:
// "temp\<game>_<user>_<yyyy><mmdd>_<hmmss>.jpg", e.g.
// "temp\pvbn_12345_20261207_93005.jpg" for 2026-12-07 09:30:05.
std::string ScreenshotFileName(const char* gameName, int32_t userId,
                               const platform::LocalDateTime& when);
