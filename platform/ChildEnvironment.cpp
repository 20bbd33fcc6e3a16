#include "platform/ChildEnvironment.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace child_process {

namespace {
thread_local std::function<bool()> abandonCheck;
thread_local bool currentWaitAbandoned = false;
}  // namespace

void abandonWaitsWhen(std::function<bool()> abandoned)
{
    abandonCheck = std::move(abandoned);
}

void abandonCurrentWait()
{
    currentWaitAbandoned = true;
}

bool waitAbandoned()
{
    const bool abandoned = currentWaitAbandoned || (abandonCheck && abandonCheck());
    currentWaitAbandoned = false;
    return abandoned;
}

void endAbandoned(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

std::vector<std::string> cleanEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "LD_LIBRARY_PATH=", 16) == 0 || std::strncmp(*e, "LD_PRELOAD=", 11) == 0)
            continue;
        env.emplace_back(*e);
    }
    return env;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& t : texts)
        pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

pid_t spawnDesktopProgram(std::vector<std::string> args, int outputFd)
{
    if (args.empty())
        return -1;
    std::vector<std::string> env = cleanEnvironment();
    std::vector<char*> argv = pointersTo(args);
    std::vector<char*> envp = pointersTo(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (outputFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

}  // namespace child_process
