#include "platform/Application.h"

#include <atomic>
#include <cstdio>

namespace platform {

namespace {

std::atomic<Application*> g_current{nullptr};

std::string JoinArguments(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i) {
        if (i > 1) {
            line.push_back(' ');
        }
        line += argv[i];
    }
    return line;
}

}  // namespace

Application::Application() {
    Application* none = nullptr;
    if (!g_current.compare_exchange_strong(none, this)) {
        std::fprintf(stderr, "a second application object is not the program's\n");
    }
}

Application::~Application() {
    Application* self = this;
    g_current.compare_exchange_strong(self, nullptr);
    SetMainWindow(0);
}

Application* Application::Current() {
    return g_current.load();
}

int Application::Run(int argc, char** argv) {
    commandLine_ = JoinArguments(argc, argv);
    if (!InitInstance()) {
        const WindowId main = MainWindow();
        SetMainWindow(0);
        DestroyWindow(main);
        return ExitInstance();
    }
    looping_ = true;
    if (mainWindow_ != 0 && !QuitWhenDestroyed(mainWindow_, true)) {
        PostQuitMessage(0);  // destroyed before the loop began
    }
    Message message;
    while (GetMessage(message)) {
        DispatchMessage(message);
    }
    looping_ = false;
    QuitWhenDestroyed(mainWindow_, false);
    quitCode_ = static_cast<int>(static_cast<intptr_t>(message.wParam));
    return ExitInstance();
}

void Application::SetMainWindow(WindowId window) {
    if (mainWindow_ != 0 && mainWindow_ != window) {
        QuitWhenDestroyed(mainWindow_, false);
    }
    mainWindow_ = window;
    if (window != 0 && looping_) {
        QuitWhenDestroyed(window, true);
    }
}

WindowId Application::MainWindow() const {
    return IsWindow(mainWindow_) ? mainWindow_ : 0;
}

bool Application::InitInstance() {
    return true;
}

int Application::ExitInstance() {
    return quitCode_;
}

}  // namespace platform
