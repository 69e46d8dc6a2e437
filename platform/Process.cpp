#include "platform/Process.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/Files.h"

extern char** environ;

namespace platform {

namespace {

bool HasSeparator(std::string_view name) {
    return name.find_first_of("/\\") != std::string_view::npos;
}

// Waits for the child on a thread of its own, so none is left a zombie.
void ReapWhenEnded(pid_t pid) {
    try {
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread: the child stays a zombie until this program ends.
    }
}

// Closes every descriptor above standard error in the child; resets the
// signals a parent may have ignored or blocked.
class SpawnSetup {
public:
    // shared: a descriptor to pass on as kSharedDescriptor, or -1.
    explicit SpawnSetup(int shared) {
        posix_spawn_file_actions_init(&actions_);
        if (shared >= 0) {
            // dup2 onto itself would keep close-on-exec; the caller moved it.
            posix_spawn_file_actions_adddup2(&actions_, shared, kSharedDescriptor);
        }
        posix_spawn_file_actions_addclosefrom_np(&actions_,
                                                 shared >= 0 ? kSharedDescriptor + 1 : 3);
        posix_spawnattr_init(&attributes_);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal : {SIGPIPE, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGCHLD, SIGALRM}) {
            sigaddset(&defaults, signal);
        }
        posix_spawnattr_setsigdefault(&attributes_, &defaults);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    const posix_spawn_file_actions_t* Actions() const { return &actions_; }
    const posix_spawnattr_t* Attributes() const { return &attributes_; }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

// argv for the program: its name, the arguments, the closing null.
std::vector<char*> ArgumentVector(std::string& name, std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(name.data());
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return argv;
}

ProcessId Spawn(const std::string& executable, bool searchPath, std::string name,
                std::vector<std::string> arguments, int shared = -1) {
    const std::vector<char*> argv = ArgumentVector(name, arguments);
    const SpawnSetup setup(shared);
    pid_t pid = 0;
    const int failed = searchPath ? posix_spawnp(&pid, executable.c_str(), setup.Actions(),
                                                 setup.Attributes(), argv.data(), environ)
                                  : posix_spawn(&pid, executable.c_str(), setup.Actions(),
                                                setup.Attributes(), argv.data(), environ);
    if (failed != 0 || pid <= 0) {
        return 0;
    }
    ReapWhenEnded(pid);
    return pid;
}

}  // namespace

ProcessId StartProgram(std::string_view program, const std::vector<std::string>& arguments) {
    if (program.empty() || program.find('\0') != std::string_view::npos) {
        return 0;
    }
    if (HasSeparator(program)) {
        return Spawn(ResolvePath(program), false, std::string(program), arguments);
    }
    return Spawn(std::string(program), true, std::string(program), arguments);
}

ProcessId StartProgramSharing(std::string_view program, const std::vector<std::string>& arguments,
                              int descriptor) {
    if (descriptor < 0 || program.empty() || program.find('\0') != std::string_view::npos) {
        return 0;
    }
    int moved = -1;
    if (descriptor == kSharedDescriptor) {
        moved = ::fcntl(descriptor, F_DUPFD_CLOEXEC, kSharedDescriptor + 1);
        if (moved < 0) {
            return 0;
        }
        descriptor = moved;
    }
    const bool path = HasSeparator(program);
    const ProcessId pid = Spawn(path ? ResolvePath(program) : std::string(program), !path,
                                std::string(program), arguments, descriptor);
    if (moved >= 0) {
        ::close(moved);
    }
    return pid;
}

ProcessId StartSelf(const std::vector<std::string>& arguments) {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return 0;
    }
    return Spawn("/proc/self/exe", false, std::string(path, static_cast<size_t>(length)),
                 arguments);
}

}  // namespace platform
