// The per-user settings file: byte-exact round trips, damaged files, registry read rules, atomic commits.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/filestore/file_store.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr const char* Key = "Software\\Orv\\Dravolinex";

Bytes Pattern(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

uint32_t Crc32(const Bytes& bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (uint8_t b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

void AppendU32(Bytes& bytes, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

class FileStore : public testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::path(testing::TempDir()) / ("filestore-" + std::to_string(getpid()));
        fs::remove_all(dir);
        FileStoreSetDirectoryForTests((dir / "nested" / "dravolinex").c_str());
        FileStoreSetFaultForTests(FileStoreNoFault);
    }
    void TearDown() override {
        FileStoreSetDirectoryForTests(nullptr);
        FileStoreSetFaultForTests(FileStoreNoFault);
        fs::remove_all(dir);
    }
    static int32_t Write(const char* key, std::vector<std::pair<const char*, Bytes>> values,
                         uint32_t type = StoreTypeBinary) {
        StoreKey* handle = nullptr;
        const int32_t status = FileStoreOpen(key, true, &handle);
        if (status != StoreOk) return status;
        for (const auto& [name, bytes] : values)
            EXPECT_EQ(FileStoreSet(handle, name, type, bytes.data(), static_cast<uint32_t>(bytes.size())), StoreOk);
        return FileStoreClose(handle);
    }
    uint32_t size = 0, type = 0; // of the last Read
    Bytes read;                  // its bytes when it succeeded
    // Reads a value offering `offered` bytes; returns the status.
    int32_t Read(const char* key, const char* name, uint32_t offered)
    {
        StoreKey* handle = nullptr;
        const int32_t open = FileStoreOpen(key, false, &handle);
        if (open != StoreOk) return open;
        Bytes buffer(offered);
        size = offered;
        const int32_t status = FileStoreQuery(handle, name, buffer.data(), &size, &type);
        read = status == StoreOk ? Bytes(buffer.begin(), buffer.begin() + size) : Bytes{};
        EXPECT_EQ(FileStoreClose(handle), StoreOk);
        return status;
    }
    static Bytes FileBytes() {
        std::ifstream in(FileStorePath(), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void SetFileBytes(const Bytes& bytes) {
        std::ofstream out(FileStorePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
};

TEST_F(FileStore, RoundTripKeepsBytesSizesTypesAndOtherValues)
{
    ASSERT_EQ(Write(Key, {{"options", Pattern(60, 3)}, {"wndsize", Pattern(16, 200)}, {"short", Pattern(59, 1)},
                          {"long", Pattern(61, 2)}}),
              StoreOk);
    struct stat info;
    ASSERT_EQ(stat((dir / "nested" / "dravolinex").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(Write("Software\\Other", {{"x", Pattern(5, 3)}}), StoreOk);
    ASSERT_EQ(Write(Key, {{"options", Pattern(60, 4)}}), StoreOk); // replaces one value, keeps the others
    ASSERT_EQ(Write(Key, {{"word", Pattern(60, 5)}}, StoreTypeDword), StoreOk);

    ASSERT_EQ(Read(Key, "options", 60), StoreOk);
    EXPECT_EQ(read, Pattern(60, 4));
    EXPECT_EQ(type, StoreTypeBinary);
    ASSERT_EQ(Read("software\\orv\\DRAVOLINEX", "WndSize", 16), StoreOk);
    EXPECT_EQ(read, Pattern(16, 200));
    ASSERT_EQ(Read("Software\\Other", "x", 5), StoreOk);
    EXPECT_EQ(read, Pattern(5, 3));
    EXPECT_EQ(Read(Key, "short", 60), StoreOk);
    EXPECT_EQ(size, 59u);
    EXPECT_EQ(Read(Key, "long", 60), StoreMoreData);
    EXPECT_EQ(size, 61u);
    EXPECT_EQ(Read(Key, "word", 60), StoreOk);
    EXPECT_EQ(type, StoreTypeDword);
    EXPECT_EQ(Read(Key, "missing", 16), StoreNotFound);
    EXPECT_EQ(Read("Software\\Missing", "options", 60), StoreNotFound);
}

TEST_F(FileStore, DamagedFilesReadAsMissing) {
    EXPECT_EQ(Read(Key, "options", 60), StoreNotFound); // no file at all
    ASSERT_EQ(Write(Key, {{"options", Pattern(60, 9)}}), StoreOk);
    const Bytes good = FileBytes();
    ASSERT_EQ(Read(Key, "options", 60), StoreOk);

    for (size_t length = 0; length < good.size(); ++length) { // every truncation
        SetFileBytes(Bytes(good.begin(), good.begin() + static_cast<long>(length)));
        ASSERT_EQ(Read(Key, "options", 60), StoreNotFound) << "truncated to " << length;
    }
    for (size_t at = 0; at < good.size(); ++at) { // every single damaged byte, checksum included
        Bytes bad = good;
        bad[at] ^= 0x41;
        SetFileBytes(bad);
        ASSERT_EQ(Read(Key, "options", 60), StoreNotFound) << "byte " << at;
    }

    // The layout written by hand reads back (so the forged files below pass the checksum); a byte left over
    // before the checksum spoils it.
    for (size_t extra : {0, 1}) {
        Bytes made(good.begin(), good.begin() + 12); // magic and version
        for (const std::string text : {Key, "options"}) { // one key, one value
            AppendU32(made, 1);
            AppendU32(made, static_cast<uint32_t>(text.size()));
            made.insert(made.end(), text.begin(), text.end());
        }
        AppendU32(made, StoreTypeBinary);
        AppendU32(made, 60);
        made.resize(made.size() + 60 + extra, 0x5A);
        AppendU32(made, Crc32(made));
        SetFileBytes(made);
        ASSERT_EQ(Read(Key, "options", 60), extra ? StoreNotFound : StoreOk);
        if (!extra) { EXPECT_EQ(read, Bytes(60, 0x5A)); }
    }

    // Counts and lengths far beyond the file, under a valid checksum: rejected without huge allocations.
    for (uint32_t huge : {0xFFFFFFFFu, 0x7FFFFFF0u, 1000u}) {
        Bytes forged(good.begin(), good.begin() + 12);
        for (int field = 0; field < 3; ++field) AppendU32(forged, huge); // key count, path length, ...
        AppendU32(forged, Crc32(forged));
        SetFileBytes(forged);
        ASSERT_EQ(Read(Key, "options", 60), StoreNotFound) << huge;
    }

    // A damaged file is replaced by the next save.
    ASSERT_EQ(Write(Key, {{"wndsize", Pattern(16, 1)}}), StoreOk);
    EXPECT_EQ(Read(Key, "wndsize", 16), StoreOk);
    EXPECT_EQ(Read(Key, "options", 60), StoreNotFound);

    fs::remove(FileStorePath());
    fs::create_directory(FileStorePath()); // not a file
    EXPECT_EQ(Read(Key, "wndsize", 16), StoreNotFound);
    EXPECT_EQ(Write(Key, {{"wndsize", Pattern(16, 1)}}), StoreAccessDenied);
}

TEST_F(FileStore, FailedCommitLeavesTheOldSettings) {
    const Bytes before = Pattern(60, 1);
    ASSERT_EQ(Write(Key, {{"options", before}}), StoreOk);
    for (FileStoreFault fault : {FileStoreFaultBeforeRename, FileStoreFaultWrite}) {
        FileStoreSetFaultForTests(fault);
        EXPECT_EQ(Write(Key, {{"options", Pattern(60, 77)}}), StoreAccessDenied);
        FileStoreSetFaultForTests(FileStoreNoFault);
        ASSERT_EQ(Read(Key, "options", 60), StoreOk);
        EXPECT_EQ(read, before);
    }
}

TEST_F(FileStore, PathFollowsTheEnvironment) {
    FileStoreSetDirectoryForTests(nullptr);
    const char* savedHome = std::getenv("HOME");
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string home = savedHome ? savedHome : "", config = savedConfig ? savedConfig : "";

    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    setenv("HOME", "/home/pilot", 1);
    EXPECT_EQ(FileStorePath(), "/cfg/dravolinex/settings");
    setenv("XDG_CONFIG_HOME", "relative", 1); // not absolute: ignored
    EXPECT_EQ(FileStorePath(), "/home/pilot/.config/dravolinex/settings");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    EXPECT_EQ(FileStorePath(), "");
    StoreKey* key = nullptr;
    EXPECT_EQ(FileStoreOpen(Key, false, &key), StoreNotFound);
    EXPECT_EQ(FileStoreOpen(Key, true, &key), StoreAccessDenied);

    if (savedHome) setenv("HOME", home.c_str(), 1);
    if (savedConfig) setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

} // namespace
