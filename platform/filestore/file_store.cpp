// The per-user settings file: reading it without ever waiting, committing it atomically, and saying
// so when a commit fails.
#include "platform/filestore/file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/filestore/settings_image.h"
#include "platform/filestore/settings_temp.h"
#include "platform/filestore/store_values.h"

struct StoreKey {
    std::string directory;
    std::string file;
    StoreKeyValues values;  // the key as read at opening, with this key's writes applied
    StoreKeyValues written; // what this key wrote: merged into the file at closing
    bool created;           // the key was not in the file
};

namespace {

constexpr const char* FileName = "settings";
constexpr int MaxLinkHops = 40; // as the system's own limit for a path

std::string testDirectory;
bool useTestDirectory = false;
FileStoreFault fault = FileStoreNoFault;

// The keys of the settings file; empty when it is missing, not a regular file (a FIFO, a device or a
// directory is never opened in a way that could wait), too big, or garbled. False, with errno saying why,
// when a file is there that cannot be read: a save must not replace what it may hold.
bool LoadFile(const std::string& file, std::vector<StoreKeyValues>& keys) {
    keys.clear();
    struct stat info;
    if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return true;
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT; // gone since: missing
    std::vector<uint8_t> image;
    bool readable = true;
    // Checked again on what was opened: the path may have been replaced in between.
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        static_cast<uint64_t>(info.st_size) <= SettingsMaxFileBytes) {
        image.resize(static_cast<size_t>(info.st_size));
        size_t got = 0;
        while (got < image.size()) {
            const ssize_t n = read(fd, image.data() + got, image.size() - got);
            if (n < 0 && errno == EINTR) continue;
            readable = n >= 0;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        image.resize(got);
    }
    const int reason = errno;
    close(fd);
    errno = reason;
    if (!readable) return false;
    ReadSettingsImage(image.data(), image.size(), keys);
    return true;
}

std::string SettingsDirectory() {
    if (useTestDirectory) return testDirectory;
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::string(config) + "/dravolinex";
    const char* home = std::getenv("HOME");
    if (home && home[0]) return std::string(home) + "/.config/dravolinex";
    return {};
}

// Creates `directory` and its missing parents, private to the user; 0 or the reason it failed.
int MakeDirectories(const std::string& directory) {
    for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string prefix = directory.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) break;
    }
    struct stat info;
    if (stat(directory.c_str(), &info) != 0) return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

// The file a save replaces: the settings path itself, or the end of the chain of symbolic links that
// starts there, so a settings file kept elsewhere (a dotfiles checkout) goes on receiving saves. A
// dangling link leads to its missing target, which the save then creates; the link stays. Empty with
// errno ELOOP when the chain does not end.
std::string ResolveLinks(std::string path) {
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        char target[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), target, sizeof target);
        if (n < 0) return path; // not a link, or nothing there
        if (static_cast<size_t>(n) >= sizeof target) break;
        std::string next(target, static_cast<size_t>(n));
        if (next.empty()) break;
        if (next[0] != '/') {
            const size_t slash = path.rfind('/');
            next = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + next;
        }
        path = std::move(next);
    }
    errno = ELOOP;
    return {};
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Replaces `file` by `bytes` so that a reader sees either the old file or the whole new one;
// 0 or the reason it failed.
int ReplaceFile(const std::string& file, const std::vector<uint8_t>& bytes) {
    std::string temp;
    const int fd = CreateSettingsTemp(file, temp);
    if (fd < 0) return errno;
    // The file replaced keeps its mode, and its owner when the system lets us (a game run by root keeps the
    // player's file the player's); a new file stays private to the user.
    struct stat old;
    if (stat(file.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (old.st_uid != geteuid() || old.st_gid != getegid()) (void)!fchown(fd, old.st_uid, old.st_gid);
        fchmod(fd, old.st_mode & 07777);
    }
    if (fault == FileStoreFaultWrite) errno = ENOSPC;
    if (fault == FileStoreFaultWrite || !WriteAll(fd, bytes) || fsync(fd) != 0) {
        const int reason = errno;
        unlink(temp.c_str());
        close(fd);
        return reason;
    }
    if (fault == FileStoreFaultBeforeRename) { // the new file stays behind, as after a crash
        close(fd);
        return EIO;
    }
    // Renamed while still locked, so that no cleaner takes it first.
    if (rename(temp.c_str(), file.c_str()) != 0) {
        const int reason = errno;
        unlink(temp.c_str());
        close(fd);
        return reason;
    }
    close(fd);
    // Make the rename itself durable.
    const size_t slash = file.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    const int dir = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return 0;
}

// `text` in double quotes, with control characters, quotes and backslashes escaped: a path may hold any of
// them (a newline in XDG_CONFIG_HOME), and a message naming it stays one line.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') quoted += {'\\', c};
        else if (c == '\n') quoted += "\\n";
        else if (c == '\t') quoted += "\\t";
        else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            quoted += escape;
        } else quoted += c;
    }
    return quoted + '"';
}

// One line on standard error; the game goes on with its options in memory.
int32_t ReportSaveFailure(const std::string& file, const std::string& reason) {
    if (file.empty()) std::fprintf(stderr, "dravolinex: settings not saved: %s\n", reason.c_str());
    else std::fprintf(stderr, "dravolinex: settings not saved to %s: %s\n", Quoted(file).c_str(), reason.c_str());
    return StoreAccessDenied;
}

} // namespace

int32_t FileStoreOpen(const char* keyPath, bool create, StoreKey** key) {
    if (!keyPath || !key) return StoreNotFound;
    const std::string directory = SettingsDirectory();
    if (directory.empty()) return create ? ReportSaveFailure({}, "neither XDG_CONFIG_HOME nor HOME is set") : StoreNotFound;
    const std::string file = directory + "/" + FileName;
    const std::string target = ResolveLinks(file);
    if (!target.empty()) RemoveStaleSettingsTemps(target);
    std::vector<StoreKeyValues> keys;
    LoadFile(file, keys); // a file that cannot be read reads as empty: the game starts with its defaults
    StoreKeyValues* found = FindStoreKey(keys, keyPath);
    if (!found && !create) return StoreNotFound;
    if (create) {
        if (const int reason = MakeDirectories(directory)) return ReportSaveFailure(file, std::strerror(reason));
    }
    *key = new StoreKey{directory, file, found ? *found : StoreKeyValues{keyPath, {}},
                        StoreKeyValues{keyPath, {}}, found == nullptr};
    return StoreOk;
}

int32_t FileStoreQuery(StoreKey* key, const char* name, void* buffer, uint32_t* size, uint32_t* type) {
    if (!key || !name) return StoreNotFound;
    return CopyStoreValueOut(FindStoreValue(key->values, name), buffer, size, type);
}

int32_t FileStoreSet(StoreKey* key, const char* name, uint32_t type, const void* data, uint32_t size) {
    if (!key || !name) return StoreNotFound;
    if (size > SettingsMaxValueBytes || std::strlen(name) > SettingsMaxNameBytes || (size && !data))
        return StoreAccessDenied;
    PutStoreValue(key->values, name, type, data, size);
    PutStoreValue(key->written, name, type, data, size);
    return StoreOk;
}

int32_t FileStoreClose(StoreKey* key) {
    if (!key) return StoreNotFound;
    std::unique_ptr<StoreKey> owned(key);
    if (!key->created && key->written.values.empty()) return StoreOk;
    if (const int reason = MakeDirectories(key->directory))
        return ReportSaveFailure(key->file, std::strerror(reason));
    const std::string target = ResolveLinks(key->file);
    if (target.empty()) return ReportSaveFailure(key->file, std::strerror(errno));
    // Only a regular file is replaced: a directory, FIFO or device there is the user's, not ours.
    struct stat info;
    if (lstat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return ReportSaveFailure(target, S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file");
    RemoveStaleSettingsTemps(target);
    // Merge into what the file holds now, keeping every other key and value.
    std::vector<StoreKeyValues> keys;
    if (!LoadFile(target, keys))
        return ReportSaveFailure(target, std::string("cannot read the file there to keep what it holds: ") +
                                             std::strerror(errno));
    StoreKeyValues* merged = FindStoreKey(keys, key->values.path);
    if (!merged) {
        keys.push_back(StoreKeyValues{key->values.path, {}});
        merged = &keys.back();
    }
    for (const StoreValue& value : key->written.values)
        PutStoreValue(*merged, value.name.c_str(), value.type, value.bytes.data(),
                      static_cast<uint32_t>(value.bytes.size()));
    std::vector<uint8_t> image;
    if (!MakeSettingsImage(keys, image)) return ReportSaveFailure(target, "more settings than the file may hold");
    if (const int reason = ReplaceFile(target, image)) return ReportSaveFailure(target, std::strerror(reason));
    return StoreOk;
}

std::string FileStorePath() {
    const std::string directory = SettingsDirectory();
    return directory.empty() ? std::string() : directory + "/" + FileName;
}

void FileStoreSetDirectoryForTests(const char* directory) {
    useTestDirectory = directory != nullptr;
    testDirectory = directory ? directory : "";
}

void FileStoreSetFaultForTests(FileStoreFault newFault) { fault = newFault; }
