// Garbled settings files, read through the settings store, against a reader of our own written from the
// file's layout: whatever the store gives back must be exactly what the file holds (the first of equal
// names, compared without regard to ASCII case), and a damaged file gives nothing. Then one save into the
// file must keep every other key and value.
//
// Layout (little-endian): "DRVXSETT", version 1, key count, per key (path length, path, value count, per
// value (name length, name, type, size, data)), CRC-32 of everything before it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/filestore/file_store.h"

namespace {

struct Value {
    std::string name;
    uint32_t type;
    std::vector<uint8_t> bytes;
};
struct Key {
    std::string path;
    std::vector<Value> values;
};

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = char(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

uint32_t Crc(const uint8_t* data, size_t size)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

struct Cursor {
    const uint8_t* at;
    size_t left;
    bool Take(size_t n, const uint8_t** out)
    {
        if (n > left)
            return false;
        *out = at;
        at += n;
        left -= n;
        return true;
    }
    bool Word(uint32_t* v)
    {
        const uint8_t* p;
        if (!Take(4, &p))
            return false;
        *v = p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
        return true;
    }
    bool Text(std::string* s)
    {
        uint32_t n;
        const uint8_t* p;
        if (!Word(&n) || !Take(n, &p))
            return false;
        s->assign(reinterpret_cast<const char*>(p), n);
        return true;
    }
};

// The keys of a whole, undamaged file; false for anything else. `plain` tells whether every path and name
// is free of zero bytes (the store is asked by C strings, so only those can be compared).
bool ReadOurselves(const uint8_t* data, size_t size, std::vector<Key>& keys, bool& plain)
{
    plain = true;
    if (size < 24 || std::memcmp(data, "DRVXSETT", 8) != 0)
        return false;
    Cursor trailer{data + size - 4, 4};
    uint32_t crc, version, keyCount;
    if (!trailer.Word(&crc) || crc != Crc(data, size - 4))
        return false;
    Cursor in{data + 8, size - 12};
    if (!in.Word(&version) || version != 1 || !in.Word(&keyCount))
        return false;
    for (uint32_t k = 0; k < keyCount; ++k) {
        Key key;
        uint32_t valueCount;
        if (!in.Text(&key.path) || !in.Word(&valueCount))
            return false;
        plain = plain && key.path.find('\0') == std::string::npos;
        for (uint32_t v = 0; v < valueCount; ++v) {
            Value value;
            uint32_t bytes;
            const uint8_t* p;
            if (!in.Text(&value.name) || !in.Word(&value.type) || !in.Word(&bytes) || !in.Take(bytes, &p))
                return false;
            plain = plain && value.name.find('\0') == std::string::npos;
            value.bytes.assign(p, p + bytes);
            bool seen = false;
            for (const Value& earlier : key.values)
                seen = seen || SameName(earlier.name, value.name);
            if (!seen)
                key.values.push_back(std::move(value));
        }
        bool seen = false;
        for (const Key& earlier : keys)
            seen = seen || SameName(earlier.path, key.path);
        if (!seen)
            keys.push_back(std::move(key));
    }
    return in.left == 0;
}

void Fail(const char* what)
{
    std::fprintf(stderr, "settings file: %s\n", what);
    std::abort();
}

// Whether the store gives back exactly `value` from the open `storeKey`.
bool ReadsBack(StoreKey* storeKey, const Value& value)
{
    std::vector<uint8_t> buffer(value.bytes.size() + 1);
    uint32_t size = uint32_t(buffer.size()), type = 0;
    if (FileStoreQuery(storeKey, value.name.c_str(), buffer.data(), &size, &type) != StoreOk)
        return false;
    return type == value.type && size == value.bytes.size() &&
           (size == 0 || std::memcmp(buffer.data(), value.bytes.data(), size) == 0);
}


std::string directory;

void WriteFile(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen((directory + "/settings").c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        Fail("cannot write the trial file");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // DRAVOLINEX_FUZZ_DIR names a directory that the caller removes; otherwise one of our own, in memory
    // where there is a memory file system (every save flushes the file to its disk).
    if (const char* given = std::getenv("DRAVOLINEX_FUZZ_DIR")) {
        directory = given;
    } else {
        char pattern[] = "/dev/shm/dravolinex-fuzz-XXXXXX";
        char fallback[] = "/tmp/dravolinex-fuzz-XXXXXX";
        char* made = mkdtemp(pattern);
        if (!made)
            made = mkdtemp(fallback);
        if (!made)
            Fail("no temporary directory");
        directory = made;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(directory, ignored);
        });
    }
    FileStoreSetDirectoryForTests(directory.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t inputSize)
{
    // The first byte's low bit asks for a correct checksum after the rest, so that trials reach the body.
    if (inputSize == 0)
        return 0;
    std::vector<uint8_t> file(input + 1, input + inputSize);
    if (input[0] & 1) {
        const uint32_t crc = Crc(file.data(), file.size());
        for (int i = 0; i < 4; ++i)
            file.push_back(uint8_t(crc >> (8 * i)));
    }
    const uint8_t* data = file.data();
    const size_t size = file.size();
    WriteFile(data, size);
    std::vector<Key> keys;
    bool plain = true;
    const bool whole = ReadOurselves(data, size, keys, plain);
    const char* game = "Software\\Orv\\Dravolinex";

    // The store may refuse a file beyond its own limits, but all of it or nothing.
    // A name with a zero byte in it cannot be asked for by name: such a file is only read, not compared.
    int opened = 0;
    for (const Key& key : keys) {
        if (!plain)
            break;
        StoreKey* storeKey = nullptr;
        if (FileStoreOpen(key.path.c_str(), false, &storeKey) != StoreOk)
            continue;
        ++opened;
        for (const Value& value : key.values)
            if (!ReadsBack(storeKey, value))
                Fail("a value reads back differently from the file");
        FileStoreClose(storeKey);
    }
    if (opened != 0 && opened != int(keys.size()))
        Fail("some keys of one file were read and others not");
    const bool accepted = opened != 0;

    StoreKey* storeKey = nullptr;
    bool gameKeyInFile = false;
    for (const Key& key : keys)
        gameKeyInFile = gameKeyInFile || SameName(key.path, game);
    if (FileStoreOpen(game, false, &storeKey) == StoreOk) {
        if (!whole || !gameKeyInFile)
            Fail("a key was read from a damaged file or one that lacks it");
        FileStoreClose(storeKey);
    }

    // One save of the options: afterwards every key and value of an accepted file is still there.
    const uint8_t record[60] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    if (FileStoreOpen(game, true, &storeKey) != StoreOk)
        Fail("the key cannot be created");
    FileStoreSet(storeKey, "options", StoreTypeBinary, record, sizeof record);
    if (FileStoreClose(storeKey) != StoreOk)
        return 0; // a file the store cannot write back (beyond its limits) is left alone
    if (FileStoreOpen(game, false, &storeKey) != StoreOk || !ReadsBack(storeKey, {"options", StoreTypeBinary, {record, record + 60}}))
        Fail("the saved options do not read back");
    FileStoreClose(storeKey);
    for (const Key& key : keys) {
        if (!accepted)
            break;
        if (FileStoreOpen(key.path.c_str(), false, &storeKey) != StoreOk)
            Fail("a key of the file was lost by a save");
        for (const Value& value : key.values)
            if (!(SameName(key.path, game) && SameName(value.name, "options")) && !ReadsBack(storeKey, value))
                Fail("a value of the file was changed by a save");
        FileStoreClose(storeKey);
    }
    return 0;
}
