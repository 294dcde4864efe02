// Runs spread over worker processes: the game keeps one thread and its global state, so each worker
// is a forked copy of the prepared simulator that flies a contiguous block of seeds. The first block
// writes to standard output as it goes, the others into files that are passed on in seed order, so the
// output is the same bytes as flying them all in turn.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sched.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tools/sim/sim.h"

int DefaultJobCount()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? int(online) : 1;
}

// Flies runs first .. first+count-1 of `settings`; false with `error` at the first failing run.
static bool FlyBlock(const SimSettings& settings, uint32_t first, uint32_t count, std::string& error)
{
    for (uint32_t i = first; i < first + count; ++i) {
        bool snapshot = i == 0 && !settings.snapshotPath.empty();
        if (!RunFlight(settings, settings.seed + i, snapshot, error))
            return false;
    }
    return true;
}

// Writes all of `size` bytes to `to`; false with errno set when the system refuses some of them.
static bool WriteAll(int to, const char* bytes, size_t size)
{
    for (size_t done = 0; done < size;) {
        ssize_t w = write(to, bytes + done, size - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w == 0)
            errno = ENOSPC;
        if (w <= 0)
            return false;
        done += size_t(w);
    }
    return true;
}

bool PrintLine(const std::string& line, std::string& error)
{
    // Straight to the descriptor: nothing waits in a buffer whose failure would only show at exit.
    std::string text = line + '\n';
    if (WriteAll(STDOUT_FILENO, text.data(), text.size()))
        return true;
    error = std::string("cannot write the output: ") + std::strerror(errno);
    return false;
}

// Copies the rest of file `from` to descriptor `to`.
static bool CopyFile(int from, int to)
{
    char buffer[1 << 16];
    if (lseek(from, 0, SEEK_SET) != 0)
        return false;
    for (;;) {
        ssize_t n = read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        if (!WriteAll(to, buffer, size_t(n)))
            return false;
    }
}

// A file without a name that goes away with its last descriptor; -1 when none can be made.
static int AnonymousFile()
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/dravolinex-sim-XXXXXX";
    int fd = mkstemp(path.data());
    if (fd >= 0)
        unlink(path.c_str());
    return fd;
}

namespace {

struct Worker {
    pid_t pid = -1;
    // For every block after the first (which writes to standard output and error itself): its output and its
    // error line, passed on when the blocks before it have been.
    int file = -1, errors = -1;
    uint32_t first = 0, count = 0;
};

} // namespace

// The worker's side: the block's lines go to its output; the exit status says whether every run was flown and
// printed.
[[noreturn]] static void RunWorker(const SimSettings& settings, const Worker& w)
{
    if ((w.file >= 0 && dup2(w.file, STDOUT_FILENO) < 0) || (w.errors >= 0 && dup2(w.errors, STDERR_FILENO) < 0))
        _exit(3);
    std::string error;
    bool ok = FlyBlock(settings, w.first, w.count, error);
    if (ok && (std::fflush(stdout) != 0 || !std::cout.flush())) {
        error = std::string("cannot write the output: ") + std::strerror(errno);
        ok = false;
    }
    if (!ok)
        std::fprintf(stderr, "dravolinex-sim: %s\n", error.c_str());
    _exit(ok ? 0 : 2);
}

bool RunFlights(const SimSettings& settings, int jobs, std::string& error)
{
    if (jobs > int(settings.runs))
        jobs = int(settings.runs);
    if (jobs <= 1)
        return FlyBlock(settings, 0, settings.runs, error);

    // Contiguous blocks of seeds; the first block streams to standard output, the others wait in files.
    std::cout.flush();
    std::fflush(stdout);
    std::vector<Worker> workers(static_cast<size_t>(jobs));
    uint32_t next = 0;
    for (int j = 0; j < jobs && error.empty(); ++j) {
        Worker& w = workers[size_t(j)];
        w.first = next;
        w.count = settings.runs / uint32_t(jobs) + (uint32_t(j) < settings.runs % uint32_t(jobs) ? 1 : 0);
        next += w.count;
        if (j > 0 && ((w.file = AnonymousFile()) < 0 || (w.errors = AnonymousFile()) < 0)) {
            error = std::string("cannot make a file for the workers: ") + std::strerror(errno);
            break;
        }
        w.pid = fork();
        if (w.pid == 0)
            RunWorker(settings, w);
        if (w.pid < 0)
            error = std::string("cannot start the workers: ") + std::strerror(errno);
    }

    // In seed order: wait for each block, pass its lines on (all a failed block wrote, as one process would
    // have printed them before stopping, and then its error line), and stop at the first failure.
    bool ok = error.empty();
    bool readerGone = false;
    for (Worker& w : workers) {
        if (!ok || w.pid <= 0)
            break;
        int status = 0;
        while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
        }
        w.pid = 0;
        if (w.file >= 0 && !CopyFile(w.file, STDOUT_FILENO)) {
            error = std::string("cannot write the output: ") + std::strerror(errno);
            ok = false;
        } else if (WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) {
            // The reader of the output has gone (`| head`): end as quietly as one process would have.
            readerGone = true;
            ok = false;
        } else if (WIFSIGNALED(status)) {
            error = "the worker flying seeds " + std::to_string(settings.seed + w.first) + ".." +
                    std::to_string(settings.seed + w.first + w.count - 1) + " was killed by signal " +
                    std::to_string(WTERMSIG(status));
            ok = false;
        } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            if (w.errors >= 0) // the first worker has said why itself
                CopyFile(w.errors, STDERR_FILENO);
            ok = false;
        }
    }
    // After a failure the later blocks are not wanted: stop their workers and collect them.
    for (Worker& w : workers) {
        if (w.pid > 0) {
            kill(w.pid, SIGTERM);
            waitpid(w.pid, nullptr, 0);
        }
        for (int fd : {w.file, w.errors})
            if (fd >= 0)
                close(fd);
    }
    if (readerGone) {
        std::signal(SIGPIPE, SIG_DFL);
        std::raise(SIGPIPE);
    }
    return ok;
}
