// The replay folder: atomic writes of whole files, listing and removing them.
#include "platform/filestore/replay_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t MaxReplayBytes = size_t{32} << 20;
bool failureSaid = false;

void SayOnce(const std::string& what, int error)
{
    if (failureSaid)
        return;
    failureSaid = true;
    std::fprintf(stderr, "dravolinex: the flight was not kept as a replay: %s: %s\n", what.c_str(),
                 std::strerror(error));
}

bool PlainName(const char* name)
{
    return name && *name && *name != '.' && !std::strchr(name, '/') && std::strlen(name) < 200;
}

// Creates `path` and the folders above it that are missing.
bool MakeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string ReplayFolderPath()
{
    if (const char* chosen = std::getenv("DRAVOLINEX_REPLAY_DIR"); chosen && *chosen)
        return chosen;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::string(data) + "/dravolinex/replays";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.local/share/dravolinex/replays";
    return {};
}

bool ReplayFolderWrite(const char* name, const uint8_t* data, size_t size)
{
    const std::string folder = ReplayFolderPath();
    if (folder.empty()) {
        SayOnce("no folder for replays (HOME is not set)", ENOENT);
        return false;
    }
    if (!PlainName(name) || size > MaxReplayBytes) {
        SayOnce(folder + "/" + (name ? name : ""), EINVAL);
        return false;
    }
    if (!MakeFolders(folder)) {
        SayOnce(folder, errno);
        return false;
    }
    const std::string target = folder + "/" + name;
    std::string temporary = folder + "/." + name + ".XXXXXX";
    std::vector<char> pattern(temporary.begin(), temporary.end());
    pattern.push_back('\0');
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        SayOnce(target, errno);
        return false;
    }
    temporary = pattern.data();
    bool ok = WriteAll(fd, data, size) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        SayOnce(target, error);
    }
    return ok;
}

void ReplayFolderList(void (*each)(const char* name, void* context), void* context)
{
    const std::string folder = ReplayFolderPath();
    DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.')
            names.push_back(entry->d_name);
    closedir(dir);
    for (const std::string& name : names)
        each(name.c_str(), context);
}

bool ReplayFolderDelete(const char* name)
{
    const std::string folder = ReplayFolderPath();
    return !folder.empty() && PlainName(name) && unlink((folder + "/" + name).c_str()) == 0;
}
