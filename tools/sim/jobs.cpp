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

// Copies the rest of file `from` to standard output.
static bool CopyToOutput(int from)
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
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(STDOUT_FILENO, buffer + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += w;
        }
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
    int file = -1; // its output, for every block after the first (which writes to standard output itself)
    uint32_t first = 0, count = 0;
};

} // namespace

// The worker's side: the block's lines go to `output`; the exit status says whether every run was flown.
[[noreturn]] static void RunWorker(const SimSettings& settings, const Worker& w)
{
    if (w.file >= 0 && dup2(w.file, STDOUT_FILENO) < 0)
        _exit(3);
    std::string error;
    bool ok = FlyBlock(settings, w.first, w.count, error);
    std::cout.flush();
    if (!ok)
        std::fprintf(stderr, "dravolinex-sim: %s\n", error.c_str());
    _exit(ok && std::cout.good() ? 0 : 2);
}

bool RunFlights(const SimSettings& settings, int jobs, std::string& error)
{
    if (jobs > int(settings.runs))
        jobs = int(settings.runs);
    if (jobs <= 1)
        return FlyBlock(settings, 0, settings.runs, error);

    // Contiguous blocks of seeds; the first block streams to standard output, the others wait in files.
    std::cout.flush();
    std::vector<Worker> workers(static_cast<size_t>(jobs));
    uint32_t next = 0;
    for (int j = 0; j < jobs && error.empty(); ++j) {
        Worker& w = workers[size_t(j)];
        w.first = next;
        w.count = settings.runs / uint32_t(jobs) + (uint32_t(j) < settings.runs % uint32_t(jobs) ? 1 : 0);
        next += w.count;
        if (j > 0 && (w.file = AnonymousFile()) < 0) {
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
    // have printed them before stopping), and stop at the first failure.
    bool ok = error.empty();
    for (Worker& w : workers) {
        if (!ok || w.pid <= 0)
            break;
        int status = 0;
        while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
        }
        w.pid = 0;
        if (w.file >= 0 && !CopyToOutput(w.file)) {
            error = std::string("cannot write the output: ") + std::strerror(errno);
            ok = false;
        } else if (WIFSIGNALED(status)) {
            error = "the worker flying seeds " + std::to_string(settings.seed + w.first) + ".." +
                    std::to_string(settings.seed + w.first + w.count - 1) + " was killed by signal " +
                    std::to_string(WTERMSIG(status));
            ok = false;
        } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            ok = false; // the worker has said why on standard error
        }
    }
    // After a failure the later blocks are not wanted: stop their workers and collect them.
    for (Worker& w : workers) {
        if (w.pid > 0) {
            kill(w.pid, SIGTERM);
            waitpid(w.pid, nullptr, 0);
        }
        if (w.file >= 0)
            close(w.file);
    }
    return ok;
}
