#include "platform/Application.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Messages.h"
#include "platform/SdlWindow.h"
#include "platform/Sync.h"

using namespace platform;

namespace {

constexpr uint32_t kNote = kMsgApp + 7;
constexpr uint32_t kQuitWith = kMsgApp + 8;

std::vector<std::string> g_steps;

class StepWindow : public Window {
public:
    explicit StepWindow(std::string name) : name_(std::move(name)) {}
    ~StepWindow() override { Destroy(); }
    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        if (id == kNote) {
            g_steps.push_back(name_ + " note");
        } else if (id == kQuitWith) {
            PostQuitMessage(static_cast<int>(wParam));
        } else if (id == kMsgDestroy) {
            g_steps.push_back(name_ + " destroyed");
        } else if (id == kMsgClose) {
            g_steps.push_back(name_ + " close");
            return DefaultWindowProc(*this, id, wParam, lParam);
        }
        return Window::WindowProc(id, wParam, lParam);
    }

private:
    std::string name_;
};

// InitInstance runs the script, which makes windows and posts.
class ScriptedApp : public Application {
public:
    std::function<bool(ScriptedApp&)> init = [](ScriptedApp&) { return true; };
    int exitAnswer = -1;  // -1: the default answer

    StepWindow main{"main"};
    StepWindow other{"other"};

protected:
    bool InitInstance() override {
        g_steps.push_back("init");
        RegisterWindowClass("ApplicationTest");
        main.Create("ApplicationTest");
        other.Create("ApplicationTest");
        return init(*this);
    }
    int ExitInstance() override {
        g_steps.push_back("exit");
        return exitAnswer >= 0 ? exitAnswer : Application::ExitInstance();
    }
};

int RunWith(ScriptedApp& app, std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "pvbn");
    arguments.push_back(nullptr);
    g_steps.clear();
    return app.Run(static_cast<int>(arguments.size() - 1), const_cast<char**>(arguments.data()));
}

TEST(Application, RunsInitTheLoopAndExitAndAnswersTheQuitCode) {
    ScriptedApp app;
    app.init = [](ScriptedApp& a) {
        a.SetMainWindow(a.main.Id());
        PostMessage(a.other.Id(), kNote, 0, 0);
        PostMessage(a.main.Id(), kQuitWith, 3, 0);
        return true;
    };
    EXPECT_EQ(RunWith(app, {"\"1|host|3", "a b|9\""}), 3);
    EXPECT_EQ(app.CommandLine(), "\"1|host|3 a b|9\"");
    EXPECT_EQ(app.QuitCode(), 3);
    EXPECT_EQ(g_steps, (std::vector<std::string>{"init", "other note", "exit"}));
    EXPECT_EQ(app.MainWindow(), app.main.Id());  // still there
}

TEST(Application, DestroyingTheMainWindowEndsTheLoop) {
    ScriptedApp app;
    app.init = [](ScriptedApp& a) {
        a.SetMainWindow(a.main.Id());
        PostMessage(a.other.Id(), kMsgClose, 0, 0);  // not the main window: goes on
        PostMessage(a.main.Id(), kMsgClose, 0, 0);
        return true;
    };
    app.exitAnswer = 5;
    EXPECT_EQ(RunWith(app, {}), 5);
    EXPECT_EQ(app.CommandLine(), "");
    EXPECT_EQ(app.QuitCode(), 0);
    EXPECT_EQ(app.MainWindow(), 0u);
    EXPECT_EQ(g_steps, (std::vector<std::string>{"init", "other close", "other destroyed",
                                                 "main close", "main destroyed", "exit"}));
}

TEST(Application, AMainWindowClosedByAnotherThreadsSendEndsTheLoopToo) {
    ScriptedApp app;
    std::thread closer;
    app.init = [&closer](ScriptedApp& a) {
        a.SetMainWindow(a.other.Id());
        a.SetMainWindow(a.main.Id());  // the first one no longer ends the loop
        PostMessage(a.other.Id(), kMsgClose, 0, 0);
        closer = std::thread([id = a.main.Id()] {
            SleepMs(30);
            SendMessage(id, kMsgClose, 0, 0);
        });
        return true;
    };
    EXPECT_EQ(RunWith(app, {}), 0);
    closer.join();
    EXPECT_EQ(g_steps, (std::vector<std::string>{"init", "other close", "other destroyed",
                                                 "main close", "main destroyed", "exit"}));
}

TEST(Application, AMainWindowGoneBeforeTheLoopEndsItAtOnce) {
    ScriptedApp app;
    app.init = [](ScriptedApp& a) {
        a.SetMainWindow(a.main.Id());
        a.main.Destroy();
        return true;
    };
    EXPECT_EQ(RunWith(app, {}), 0);
    EXPECT_EQ(g_steps, (std::vector<std::string>{"init", "main destroyed", "exit"}));
}

TEST(Application, AFailedStartDestroysTheMainWindowAndTakesNoMessage) {
    ScriptedApp app;
    app.init = [](ScriptedApp& a) {
        a.SetMainWindow(a.main.Id());
        PostMessage(a.other.Id(), kNote, 0, 0);
        return false;
    };
    EXPECT_EQ(RunWith(app, {"x"}), 0);
    EXPECT_EQ(g_steps, (std::vector<std::string>{"init", "main destroyed", "exit"}));
    EXPECT_EQ(app.MainWindow(), 0u);
    // The note is still queued, untaken; no quit was posted for the window.
    Message m;
    ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));
    EXPECT_EQ(m.id, kNote);
    EXPECT_FALSE(PeekMessage(m, PeekMode::Remove));
}

// Windows of an application that has finished leave no quit behind.
TEST(Application, TheMainWindowsEndAfterTheLoopPostsNothing) {
    {
        ScriptedApp app;
        app.init = [](ScriptedApp& a) {
            a.SetMainWindow(a.main.Id());
            PostMessage(a.main.Id(), kQuitWith, 0, 0);
            return true;
        };
        RunWith(app, {});
    }
    Message m;
    EXPECT_FALSE(PeekMessage(m, PeekMode::Remove));
}

TEST(Application, OneApplicationObjectAtATime) {
    EXPECT_EQ(Application::Current(), nullptr);
    {
        Application first;
        EXPECT_EQ(Application::Current(), &first);
        {
            Application second;
            EXPECT_EQ(Application::Current(), &first);
        }
        EXPECT_EQ(Application::Current(), &first);
    }
    EXPECT_EQ(Application::Current(), nullptr);
}

TEST(Messages, DestroyWindowByIdRunsOnTheOwnersThread) {
    RegisterWindowClass("ApplicationTest");
    StepWindow window("w");
    ASSERT_TRUE(window.Create("ApplicationTest"));
    const WindowId id = window.Id();
    g_steps.clear();
    std::thread other([id] { EXPECT_TRUE(DestroyWindow(id)); });
    while (IsWindow(id)) {
        WaitMessage(10);  // handles the other thread's request
    }
    other.join();
    EXPECT_EQ(g_steps, std::vector<std::string>{"w destroyed"});
    EXPECT_FALSE(DestroyWindow(id));
    EXPECT_FALSE(QuitWhenDestroyed(id, true));
}

}  // namespace
