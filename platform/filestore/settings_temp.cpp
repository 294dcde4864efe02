// New settings files beside the old one, and the removal of those that dead writers left behind.
#include "platform/filestore/settings_temp.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/filestore/settings_image.h"

namespace {

constexpr size_t RandomPartLength = 6; // the XXXXXX of mkostemp

std::string DirectoryOf(const std::string& file) {
    const size_t slash = file.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

std::string BaseNameOf(const std::string& file) {
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

// Six letters and digits of at least two of the three kinds: a random name, not a word or a date.
bool IsRandomPart(const char* part) {
    bool lower = false, upper = false, digit = false;
    size_t length = 0;
    for (; part[length]; ++length) {
        const char c = part[length];
        if (c >= 'a' && c <= 'z') lower = true;
        else if (c >= 'A' && c <= 'Z') upper = true;
        else if (c >= '0' && c <= '9') digit = true;
        else return false;
    }
    return length == RandomPartLength && int{lower} + int{upper} + int{digit} >= 2;
}

// Empty, or beginning with the settings file's signature (as far as it goes).
bool HoldsOnlySettingsStart(int fd) {
    char start[sizeof SettingsMagic];
    const ssize_t got = pread(fd, start, sizeof start, 0);
    return got >= 0 && std::memcmp(start, SettingsMagic, static_cast<size_t>(got)) == 0;
}

} // namespace

int CreateSettingsTemp(const std::string& file, std::string& path) {
    // A few tries: a name of one kind of character only is thrown away, and so is a file that a
    // cleaner holds or took between its creation and our lock. Nothing here waits for a lock.
    for (int attempt = 0; attempt < 8; ++attempt) {
        path = file + ".XXXXXX";
        const int fd = mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0) return -1;
        int locked;
        while ((locked = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
        }
        // A filesystem without locks refuses them to cleaners as well, so the file is safe unlocked.
        const bool heldByCleaner = locked != 0 && errno == EWOULDBLOCK;
        struct stat info;
        const bool linked = fstat(fd, &info) == 0 && info.st_nlink > 0;
        if (linked && !heldByCleaner && IsRandomPart(path.c_str() + file.size() + 1)) return fd;
        if (linked && !heldByCleaner) unlink(path.c_str());
        close(fd);
    }
    errno = EEXIST;
    return -1;
}

void RemoveStaleSettingsTemps(const std::string& file) {
    if (file.empty() || file.back() == '/') return;
    const std::string base = BaseNameOf(file) + ".";
    DIR* directory = opendir(DirectoryOf(file).c_str());
    if (!directory) return;
    const int at = dirfd(directory);
    const uid_t user = geteuid();
    while (const dirent* entry = readdir(directory)) {
        const char* name = entry->d_name;
        if (std::strncmp(name, base.c_str(), base.size()) != 0 || !IsRandomPart(name + base.size())) continue;
        const int fd = openat(at, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat opened, named;
        // Unlink only while holding the lock, and only the file that was checked.
        if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == user &&
            flock(fd, LOCK_EX | LOCK_NB) == 0 && HoldsOnlySettingsStart(fd) &&
            fstatat(at, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev &&
            named.st_ino == opened.st_ino)
            unlinkat(at, name, 0);
        close(fd);
    }
    closedir(directory);
}
