#pragma once
// Modal message boxes and the application's main window.
//
// A message box runs its own loop until the user answers. Tests and headless
// runs install a sink that records the box and answers at once.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Messages.h"

namespace platform {

inline constexpr uint32_t kBoxOk = 0x0;
inline constexpr uint32_t kBoxOkCancel = 0x1;
inline constexpr uint32_t kBoxYesNo = 0x4;
inline constexpr uint32_t kBoxIconError = 0x10;
inline constexpr uint32_t kBoxIconQuestion = 0x20;
inline constexpr uint32_t kBoxIconWarning = 0x30;
inline constexpr uint32_t kBoxIconInformation = 0x40;

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

struct MessageBoxRequest {
    WindowId owner = 0;
    std::string text;     // GBK
    std::string caption;  // GBK; empty means the default caption
    uint32_t style = kBoxOk;
};

// Shows the box and returns the answer.
int ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption, uint32_t style);

// Replaces how boxes are shown (tests, headless runs); an empty function
// restores the default, which writes the box to standard error and answers
// OK (or Yes).
using MessageBoxSink = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxSink(MessageBoxSink sink);

// Writes the GBK text to standard error as one line in UTF-8, for the
// terminal that started the program.
void WriteStandardErrorLine(std::string_view text);

// The application's main window; 0 when there is none.
WindowId MainWindow();
void SetMainWindow(WindowId window);

}  // namespace platform
