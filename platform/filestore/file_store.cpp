// The per-user settings file.
//
// Layout (little-endian):
//   "DRVXSETT"            8 bytes
//   version               u32 (1)
//   key count             u32
//   per key:   path length u32, path bytes, value count u32,
//              per value: name length u32, name bytes, type u32, size u32, data bytes
//   CRC-32 of every byte before it   u32
#include "platform/filestore/file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/filestore/store_values.h"

struct StoreKey {
    std::string directory;
    std::string file;
    StoreKeyValues values;  // the key as read at opening, with this key's writes applied
    StoreKeyValues written; // what this key wrote: merged into the file at closing
    bool created;           // the key was not in the file
};

namespace {

constexpr char Magic[8] = {'D', 'R', 'V', 'X', 'S', 'E', 'T', 'T'};
constexpr uint32_t FormatVersion = 1;
constexpr size_t MaxFileBytes = 4u << 20;  // a settings file is a few hundred bytes
constexpr uint32_t MaxValueBytes = 1u << 20;
constexpr size_t MaxNameBytes = 4096;
constexpr const char* FileName = "settings";

std::string testDirectory;
bool useTestDirectory = false;
FileStoreFault fault = FileStoreNoFault;

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> CrcTable = MakeCrcTable();

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = CrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutBytes(std::vector<uint8_t>& out, const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

void PutString(std::vector<uint8_t>& out, const std::string& text) {
    PutU32(out, static_cast<uint32_t>(text.size()));
    PutBytes(out, text.data(), text.size());
}

std::vector<uint8_t> Serialise(const std::vector<StoreKeyValues>& keys) {
    std::vector<uint8_t> out;
    PutBytes(out, Magic, sizeof Magic);
    PutU32(out, FormatVersion);
    PutU32(out, static_cast<uint32_t>(keys.size()));
    for (const StoreKeyValues& key : keys) {
        PutString(out, key.path);
        PutU32(out, static_cast<uint32_t>(key.values.size()));
        for (const StoreValue& value : key.values) {
            PutString(out, value.name);
            PutU32(out, value.type);
            PutU32(out, static_cast<uint32_t>(value.bytes.size()));
            PutBytes(out, value.bytes.data(), value.bytes.size());
        }
    }
    PutU32(out, Crc32(out.data(), out.size()));
    return out;
}

// Reads fields off the file image; every read checks the bytes left, so nothing is allocated beyond it.
struct Reader {
    const uint8_t* at;
    size_t left;
    bool ok = true;

    uint32_t U32() {
        if (left < 4) return Fail();
        const uint32_t v = uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
        at += 4;
        left -= 4;
        return v;
    }
    const uint8_t* Bytes(size_t n) {
        if (n > left) {
            Fail();
            return nullptr;
        }
        const uint8_t* start = at;
        at += n;
        left -= n;
        return start;
    }
    std::string String(size_t limit) {
        const uint32_t n = U32();
        if (n > limit) Fail();
        const uint8_t* bytes = ok ? Bytes(n) : nullptr;
        return bytes ? std::string(reinterpret_cast<const char*>(bytes), n) : std::string();
    }
    uint32_t Fail() {
        ok = false;
        left = 0;
        return 0;
    }
};

// The keys of a file image; empty when the image is not a whole, undamaged settings file.
std::vector<StoreKeyValues> Parse(const std::vector<uint8_t>& image) {
    if (image.size() < sizeof Magic + 12 || std::memcmp(image.data(), Magic, sizeof Magic)) return {};
    const size_t body = image.size() - 4;
    Reader trailer{image.data() + body, 4};
    if (trailer.U32() != Crc32(image.data(), body)) return {};

    Reader in{image.data() + sizeof Magic, body - sizeof Magic};
    if (in.U32() != FormatVersion) return {};
    std::vector<StoreKeyValues> keys;
    for (uint32_t k = in.U32(); in.ok && k > 0; --k) {
        StoreKeyValues key{in.String(MaxNameBytes), {}};
        for (uint32_t v = in.U32(); in.ok && v > 0; --v) {
            std::string name = in.String(MaxNameBytes);
            const uint32_t type = in.U32();
            const uint32_t size = in.U32();
            const uint8_t* data = in.Bytes(size);
            if (in.ok && !FindStoreValue(key, name)) PutStoreValue(key, name.c_str(), type, data, size);
        }
        if (in.ok && !FindStoreKey(keys, key.path)) keys.push_back(std::move(key));
    }
    if (!in.ok || in.left != 0) return {};
    return keys;
}

std::vector<StoreKeyValues> LoadFile(const std::string& file) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::vector<uint8_t> image;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        static_cast<uint64_t>(info.st_size) <= MaxFileBytes) {
        image.resize(static_cast<size_t>(info.st_size));
        size_t got = 0;
        while (got < image.size()) {
            const ssize_t n = read(fd, image.data() + got, image.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        image.resize(got);
    }
    close(fd);
    return Parse(image);
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

// Creates `directory` and its missing parents, private to the user.
bool MakeDirectories(const std::string& directory) {
    for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string prefix = directory.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat info;
    return stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Replaces `file` by `bytes` so that a reader sees either the old file or the whole new one.
bool ReplaceFile(const std::string& directory, const std::string& file, const std::vector<uint8_t>& bytes) {
    std::string temp = directory + "/" + FileName + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fault != FileStoreFaultWrite && WriteAll(fd, bytes) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && fault == FileStoreFaultBeforeRename) return false; // the new file stays behind, as after a crash
    if (!ok || rename(temp.c_str(), file.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    const int dir = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

} // namespace

int32_t FileStoreOpen(const char* keyPath, bool create, StoreKey** key) {
    if (!keyPath || !key) return StoreNotFound;
    const std::string directory = SettingsDirectory();
    if (directory.empty()) return create ? StoreAccessDenied : StoreNotFound;
    const std::string file = directory + "/" + FileName;
    std::vector<StoreKeyValues> keys = LoadFile(file);
    StoreKeyValues* found = FindStoreKey(keys, keyPath);
    if (!found && !create) return StoreNotFound;
    if (create && !MakeDirectories(directory)) return StoreAccessDenied;
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
    if (size > MaxValueBytes || std::strlen(name) > MaxNameBytes || (size && !data)) return StoreAccessDenied;
    PutStoreValue(key->values, name, type, data, size);
    PutStoreValue(key->written, name, type, data, size);
    return StoreOk;
}

int32_t FileStoreClose(StoreKey* key) {
    if (!key) return StoreNotFound;
    std::unique_ptr<StoreKey> owned(key);
    if (!key->created && key->written.values.empty()) return StoreOk;
    if (!MakeDirectories(key->directory)) return StoreAccessDenied;
    // Merge into what the file holds now, keeping every other key and value.
    std::vector<StoreKeyValues> keys = LoadFile(key->file);
    StoreKeyValues* target = FindStoreKey(keys, key->values.path);
    if (!target) {
        keys.push_back(StoreKeyValues{key->values.path, {}});
        target = &keys.back();
    }
    for (const StoreValue& value : key->written.values)
        PutStoreValue(*target, value.name.c_str(), value.type, value.bytes.data(),
                      static_cast<uint32_t>(value.bytes.size()));
    const std::vector<uint8_t> image = Serialise(keys);
    if (image.size() > MaxFileBytes) return StoreAccessDenied;
    return ReplaceFile(key->directory, key->file, image) ? StoreOk : StoreAccessDenied;
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
