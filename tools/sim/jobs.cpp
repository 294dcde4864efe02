// Runs spread over worker processes: the game keeps one thread and its global state, so each worker
// is a forked copy of the prepared simulator that flies a contiguous block of seeds into a pipe. The
// parent prints the blocks in seed order, so the output is the same bytes as flying them all in turn.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sched.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <poll.h>
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

static bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

namespace {

struct Worker {
    pid_t pid = -1;
    int fd = -1; // the read end of its standard output; -1 once at end of file
    uint32_t first = 0, count = 0;
    std::string pending; // output waiting for the blocks before it
};

} // namespace

// The worker's side: standard output goes into the pipe; the exit status says whether every run
// of the block was flown.
[[noreturn]] static void RunWorker(const SimSettings& settings, const Worker& w, int writeEnd)
{
    std::cout.flush();
    if (dup2(writeEnd, STDOUT_FILENO) < 0)
        _exit(3);
    close(writeEnd);
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

    std::cout.flush();
    std::vector<Worker> workers(static_cast<size_t>(jobs));
    uint32_t next = 0;
    bool started = true;
    for (int j = 0; j < jobs; ++j) {
        Worker& w = workers[size_t(j)];
        w.first = next;
        w.count = settings.runs / uint32_t(jobs) + (uint32_t(j) < settings.runs % uint32_t(jobs) ? 1 : 0);
        next += w.count;
        int ends[2];
        if (pipe(ends) != 0) {
            error = std::string("cannot start the workers: ") + std::strerror(errno);
            started = false;
            break;
        }
        w.pid = fork();
        if (w.pid == 0) {
            close(ends[0]);
            for (int k = 0; k < j; ++k)
                close(workers[size_t(k)].fd);
            RunWorker(settings, w, ends[1]);
        }
        close(ends[1]);
        if (w.pid < 0) {
            error = std::string("cannot start the workers: ") + std::strerror(errno);
            close(ends[0]);
            started = false;
            break;
        }
        w.fd = ends[0];
    }

    // Block `shown` goes straight to standard output; later blocks wait in memory for their turn.
    size_t shown = 0;
    bool ok = started;
    std::vector<pollfd> polls;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        polls.clear();
        for (const Worker& w : workers)
            if (w.fd >= 0)
                polls.push_back({w.fd, POLLIN, 0});
        if (polls.empty())
            break;
        if (poll(polls.data(), polls.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        for (const pollfd& p : polls) {
            if (!(p.revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            for (size_t k = 0; k < workers.size(); ++k) {
                Worker& w = workers[k];
                if (w.fd != p.fd)
                    continue;
                ssize_t n = read(w.fd, buffer.data(), buffer.size());
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    close(w.fd);
                    w.fd = -1;
                } else if (k == shown && ok) {
                    ok = WriteAll(STDOUT_FILENO, buffer.data(), size_t(n));
                } else {
                    w.pending.append(buffer.data(), size_t(n));
                }
            }
        }
        // Finished blocks in order: wait for the worker, then pass on what the next one has written.
        while (shown < workers.size() && workers[shown].fd < 0 && workers[shown].pid > 0) {
            Worker& w = workers[shown];
            int status = 0;
            while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
            }
            w.pid = 0;
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                if (ok) {
                    error = "worker for seeds " + std::to_string(settings.seed + w.first) + ".." +
                            std::to_string(settings.seed + w.first + w.count - 1) +
                            (WIFSIGNALED(status) ? " was killed by signal " + std::to_string(WTERMSIG(status))
                                                 : " failed (status " + std::to_string(WEXITSTATUS(status)) + ")");
                    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
                        error.clear(); // the worker has already said why on standard error
                }
                ok = false;
            }
            ++shown;
            if (shown < workers.size() && ok) {
                Worker& after = workers[shown];
                ok = WriteAll(STDOUT_FILENO, after.pending.data(), after.pending.size());
                after.pending.clear();
            }
        }
        if (!ok)
            break;
    }
    // After a failure the later blocks are not printed: stop their workers and collect them.
    for (Worker& w : workers) {
        if (w.pid > 0) {
            kill(w.pid, SIGTERM);
            waitpid(w.pid, nullptr, 0);
        }
        if (w.fd >= 0)
            close(w.fd);
    }
    return ok;
}
