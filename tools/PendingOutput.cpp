#include "tools/PendingOutput.h"

#include "tools/FileUtil.h"
#include "tools/ToolError.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tovarine::cli {

namespace {

// Temporary files that exist right now, for removal when the user interrupts
// the run. Plain character arrays: the signal handler may only call unlink.
constexpr std::size_t kMaxPending = 8;
constexpr std::size_t kMaxPathBytes = 4096;
std::array<std::array<char, kMaxPathBytes>, kMaxPending> pendingPaths{};
volatile sig_atomic_t pendingInUse[kMaxPending] = {};

extern "C" void removePendingAndStop(int signalNumber)
{
    for (std::size_t i = 0; i < kMaxPending; ++i)
        if (pendingInUse[i])
            unlink(pendingPaths[i].data());
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void watchForInterrupts()
{
    static const bool installed = [] {
        // A closed pipe after -o - ends the run as usual, without leaving the file behind.
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            signal(signalNumber, removePendingAndStop);
        return true;
    }();
    (void)installed;
}

void remember(const std::string& temporary)
{
    watchForInterrupts();
    if (temporary.size() >= kMaxPathBytes)
        return;
    for (std::size_t i = 0; i < kMaxPending; ++i)
        if (!pendingInUse[i]) {
            std::memcpy(pendingPaths[i].data(), temporary.c_str(), temporary.size() + 1);
            std::atomic_signal_fence(std::memory_order_release);  // the path is whole before the handler may read it
            pendingInUse[i] = 1;
            return;
        }
}

void forget(const std::string& temporary)
{
    for (std::size_t i = 0; i < kMaxPending; ++i)
        if (pendingInUse[i] && temporary == pendingPaths[i].data())
            pendingInUse[i] = 0;
}

std::string temporaryFolder()
{
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

std::string errnoText() { return std::strerror(errno); }

void copyToStandardOutput(const std::string& temporary)
{
    const int in = open(temporary.c_str(), O_RDONLY);
    if (in < 0)
        throw ToolError("cannot write to standard output: " + errnoText());
    char buffer[1 << 16];
    std::string failure;
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            failure = errnoText();
            break;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got && failure.empty();) {
            const ssize_t put = write(STDOUT_FILENO, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno != EINTR)
                failure = errnoText();
            else if (put > 0)
                done += put;
        }
        if (!failure.empty())
            break;
    }
    close(in);
    if (failure.empty() && fsync(STDOUT_FILENO) != 0 && errno != EINVAL && errno != EROFS)
        failure = errnoText();
    if (!failure.empty())
        throw ToolError("cannot write to standard output: " + failure);
}

}  // namespace

PendingOutput::PendingOutput(std::string path) : path_(std::move(path))
{
    if (path_.empty())
        throw usageError("an output file needs a name (-o \"\" names none; -o - writes to standard output)");
    if (!toStandardOutput())
        checkWritableOutput(path_);
    std::string temporary = (toStandardOutput() ? temporaryFolder() + "/tovarine" : path_) + ".tmp-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        throw ToolError("cannot write " + (toStandardOutput() ? std::string("to standard output") : path_) + ": " + errnoText());
    close(fd);
    temporary_ = temporary;
    remember(temporary_);
}

PendingOutput::~PendingOutput()
{
    if (committed_)
        return;
    std::remove(temporary_.c_str());
    forget(temporary_);
}

void PendingOutput::commit()
{
    if (toStandardOutput()) {
        copyToStandardOutput(temporary_);
        std::remove(temporary_.c_str());
    } else {
        // mkstemp makes the file private (0600); give it the usual permissions.
        const mode_t mask = umask(0);
        umask(mask);
        chmod(temporary_.c_str(), 0666 & ~mask);
        if (std::rename(temporary_.c_str(), path_.c_str()) != 0)
            throw ToolError("cannot write " + path_ + ": " + errnoText());
    }
    forget(temporary_);
    committed_ = true;
}

}  // namespace tovarine::cli
