#include "app/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

std::vector<char*> argumentPointers(const std::vector<std::string>& arguments) {
    std::vector<char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(const_cast<char*>(argument.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// posix_spawnp reports a program that cannot be executed, so a missing program is an error of
// start, not an exit status 127 of a shell.
pid_t spawn(const std::vector<std::string>& arguments, posix_spawn_file_actions_t& actions,
            std::string& error, bool ownGroup = false) {
    pid_t id = -1;
    const std::vector<char*> argv = argumentPointers(arguments);
    // The child starts with no signal blocked, whatever this process holds back meanwhile.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    short flags = POSIX_SPAWN_SETSIGMASK;
    if (ownGroup) {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    posix_spawnattr_setflags(&attributes, flags);
    const int failure =
        posix_spawnp(&id, arguments.front().c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (failure != 0) {
        error = "Cannot run \"" + arguments.front() + "\": " + std::strerror(failure) + ".";
        return -1;
    }
    return id;
}

ChildProcess::Ending endingOf(pid_t id, int status) {
    ChildProcess::Ending ending;
    ending.id = id;
    if (WIFEXITED(status)) {
        ending.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        ending.signal = WTERMSIG(status);
    }
    return ending;
}

}  // namespace

std::string ChildProcess::Ending::describe() const {
    if (signal != 0) {
        return "signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
    }
    return "exit status " + std::to_string(exitStatus);
}

pid_t ChildProcess::start(const std::vector<std::string>& arguments, const std::string& outputPath,
                          std::string& error, bool ownGroup) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0666);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const pid_t id = spawn(arguments, actions, error, ownGroup);
    posix_spawn_file_actions_destroy(&actions);
    return id;
}

ChildProcess::Ending ChildProcess::waitForAny(bool* interrupted) {
    int status = 0;
    pid_t id;
    do {
        id = waitpid(-1, &status, 0);
        if (id < 0 && errno == EINTR && interrupted) {
            *interrupted = true;
            return Ending();
        }
    } while (id < 0 && errno == EINTR);
    return id < 0 ? Ending() : endingOf(id, status);
}

bool ChildProcess::run(const std::vector<std::string>& arguments, std::string& output,
                       Ending& ending, std::string& error) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error = std::string("Cannot make a pipe: ") + std::strerror(errno) + ".";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    const pid_t id = spawn(arguments, actions, error);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (id < 0) {
        close(pipeEnds[0]);
        return false;
    }
    output.clear();
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got > 0) {
            output.append(buffer, static_cast<size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(id, &status, 0) < 0 && errno == EINTR) {
    }
    ending = endingOf(id, status);
    return true;
}
