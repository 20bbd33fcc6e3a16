#include "platform/FileDialog.h"

#include "platform/ChildEnvironment.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kIdleIntervalMs = 50;


std::vector<std::string> zenityArguments(const std::string& program, const FileDialog::Request& r)
{
    std::vector<std::string> args{program, "--file-selection", "--title=" + r.title};
    if (!r.filterPattern.empty())
        args.push_back("--file-filter=" + r.filterName + " | " + r.filterPattern);
    for (const FileDialog::Request::Filter& f : r.moreFilters)
        args.push_back("--file-filter=" + f.name + " | " + f.pattern);
    if (!r.initialPath.empty())
        args.push_back("--filename=" + r.initialPath);
    return args;
}

std::vector<std::string> kdialogArguments(const std::string& program, const FileDialog::Request& r)
{
    const std::string start = r.initialPath.empty() ? "." : r.initialPath;
    std::vector<std::string> args{program, "--getopenfilename", start};
    // kdialog reads "Name (*.a *.b)" filters, one per line.
    if (!r.filterPattern.empty()) {
        std::string filters = r.filterName;
        for (const FileDialog::Request::Filter& f : r.moreFilters)
            filters += "\n" + f.name;
        args.push_back(filters);
    }
    args.push_back("--title");
    args.push_back(r.title);
    return args;
}

// Runs the dialog program and collects what it prints. Answers false when it
// could not be started or did not exit with status 0.
bool runAndCapture(std::vector<std::string> args, std::string& output, const std::function<void()>& whileWaiting)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;

    const pid_t pid = child_process::spawnDesktopProgram(std::move(args), fds[1]);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return false;
    }

    char buffer[512];
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, kIdleIntervalMs);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0) {
            const ssize_t n = read(fds[0], buffer, sizeof(buffer));
            if (n > 0)
                output.append(buffer, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR)
                break;
        }
        if (whileWaiting)
            whileWaiting();
        if (child_process::waitAbandoned()) {
            close(fds[0]);
            child_process::endAbandoned(pid);
            return false;
        }
    }
    close(fds[0]);

    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited < 0)
        return !output.empty();  // the host reaps children itself (SIGCHLD ignored): trust the output
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::string FileDialog::findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return {};
    const std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        struct stat info{};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

const char* FileDialog::missingProgramHint()
{
    if (!findProgram("zenity").empty() || !findProgram("kdialog").empty())
        return nullptr;
    return "no file dialog: install zenity or kdialog";
}

std::optional<std::string> FileDialog::openFile(const Request& request, const std::function<void()>& whileWaiting)
{
    std::vector<std::string> args;
    if (const std::string zenity = findProgram("zenity"); !zenity.empty())
        args = zenityArguments(zenity, request);
    else if (const std::string kdialog = findProgram("kdialog"); !kdialog.empty())
        args = kdialogArguments(kdialog, request);
    else
        return std::nullopt;

    std::string output;
    if (!runAndCapture(std::move(args), output, whileWaiting))
        return std::nullopt;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    // The dialogs print one path; anything after a line break is not part of it.
    if (const std::size_t eol = output.find('\n'); eol != std::string::npos)
        output.resize(eol);
    if (output.empty())
        return std::nullopt;
    if (request.maxPathLength != 0 && output.size() > request.maxPathLength)
        return std::nullopt;
    return output;
}
