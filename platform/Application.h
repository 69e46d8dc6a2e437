#pragma once
// The program's application object: the stand-in for the class library's
// application class. The program derives its own class, makes one object
// of it, and hands main's arguments to Run, which starts the program
// (InitInstance), runs the UI thread's message loop and ends the program
// (ExitInstance).
//
// Rules:
//  - One application object at a time: the first one made is Current()
//    until it goes; one made meanwhile is not (a line on standard error
//    says so).
//  - Run is called once, on the UI thread. It keeps the command line (the
//    arguments after the program's name, joined with one blank) and calls
//    InitInstance. When that fails, the main window (if any) is destroyed,
//    no message is taken, and Run answers ExitInstance. Otherwise messages
//    are taken and dispatched until the quit message, and Run answers
//    ExitInstance, whose default is the quit message's code (SetExitCode's,
//    0 unless set, when the loop never ran).
//  - Destroying the main window while the loop runs (or before it begins)
//    posts the quit message to its thread, which ends the loop; once the
//    loop has ended, destroying it posts nothing.
//  - The main window is held by id: once destroyed, MainWindow() is 0.

#include <string>

#include "platform/Messages.h"

namespace platform {

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The one application object; null when there is none.
    static Application* Current();

    int Run(int argc, char** argv);

    const std::string& CommandLine() const { return commandLine_; }

    // The window whose destruction ends the loop (0: none). A window that
    // stops being the main window no longer ends it.
    void SetMainWindow(WindowId window);
    WindowId MainWindow() const;

    // The quit message's code once the loop has ended, else SetExitCode's
    // (0 by default).
    int QuitCode() const { return quitCode_; }

protected:
    // The code ExitInstance answers by default when the loop does not run
    // (InitInstance failed); the loop's end replaces it.
    void SetExitCode(int code) { quitCode_ = code; }
    // Starts the program; false ends it at once. The default answers true.
    virtual bool InitInstance();
    // Ends the program; its answer is the program's exit code.
    virtual int ExitInstance();

private:
    WindowId mainWindow_ = 0;
    std::string commandLine_;
    int quitCode_ = 0;
    bool looping_ = false;
};

}  // namespace platform
