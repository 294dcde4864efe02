// The per-user settings file: byte-exact round trips, damaged and oversized files, registry read rules,
// atomic commits that survive links, failures, rival games and kills.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <random>
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

// A settings file of `keys` keys with `values` values of `bytes` bytes each, under a valid checksum;
// the first key is the game's, and every key's first value is named "v0".
Bytes Forge(uint32_t keys, uint32_t values, uint32_t bytes) {
    Bytes made{'D', 'R', 'V', 'X', 'S', 'E', 'T', 'T'};
    AppendU32(made, 1);
    AppendU32(made, keys);
    auto text = [&made](const std::string& name) {
        AppendU32(made, static_cast<uint32_t>(name.size()));
        made.insert(made.end(), name.begin(), name.end());
    };
    for (uint32_t k = 0; k < keys; ++k) {
        text(k ? "k" + std::to_string(k) : std::string(Key));
        AppendU32(made, values);
        for (uint32_t v = 0; v < values; ++v) {
            text("v" + std::to_string(v));
            AppendU32(made, StoreTypeBinary);
            AppendU32(made, bytes);
            made.resize(made.size() + bytes, 0x5A);
        }
    }
    AppendU32(made, Crc32(made));
    return made;
}

// Runs `body` in a child process (ended by an alarm should it hang); returns the child's id.
template <class Body> pid_t Spawn(Body body, unsigned seconds = 30) {
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(seconds);
        _exit(body());
    }
    return pid;
}

// The child's exit code, or 128 + the signal that ended it.
int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Whether 60 bytes are one whole Pattern(60, seed) for some seed: one complete version of "options".
bool IsWholePattern(const Bytes& bytes) {
    return bytes.size() == 60 && bytes == Pattern(60, bytes[0]);
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
        if (!fs::is_regular_file(FileStorePath())) return {};
        std::ifstream in(FileStorePath(), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // The names in the settings directory, sorted.
    static std::vector<std::string> Entries() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::path(FileStorePath()).parent_path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
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
}

TEST_F(FileStore, FilesBeyondTheBoundsAreGarbled) {
    struct {
        uint32_t keys, values, bytes;
        bool reads;
    } cases[] = {
        {1, 1024, 0, true}, {1, 1025, 0, false},                // values in the whole file
        {256, 1, 0, true},  {257, 1, 0, false},                 // keys
        {1, 1, 64 << 10, true}, {1, 1, (64 << 10) + 1, false},  // bytes of one value
        {1, 16, 64 << 10, false},                               // just over 1 MiB
        {1, 40, 64 << 10, false}, {2, 90000, 0, false},         // a few MB: refused by their size, unread
    };
    fs::create_directories(fs::path(FileStorePath()).parent_path());
    for (const auto& c : cases) {
        SetFileBytes(Forge(c.keys, c.values, c.bytes));
        EXPECT_EQ(Read(Key, "v0", 64 << 10), c.reads ? StoreOk : StoreNotFound)
            << c.keys << " keys, " << c.values << " values of " << c.bytes << " bytes";
    }
}

// Anything but a regular file at the settings path reads as missing without waiting, and a save
// neither waits on it nor replaces it.
TEST_F(FileStore, OnlyARegularFileIsReadOrReplaced) {
    const std::string settings = FileStorePath(), fifo = (dir / "fifo").string();
    fs::create_directories(fs::path(settings).parent_path());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct {
        const char* what;
        int (*make)(const std::string& settings, const std::string& fifo);
    } cases[] = {
        {"fifo", [](const std::string& at, const std::string&) { return mkfifo(at.c_str(), 0600); }},
        {"link to a fifo", [](const std::string& at, const std::string& to) { return symlink(to.c_str(), at.c_str()); }},
        {"directory", [](const std::string& at, const std::string&) { return mkdir(at.c_str(), 0700); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.make(settings, fifo), 0);
        const auto before = fs::symlink_status(settings).type();
        for (bool save : {false, true}) {
            const pid_t game = Spawn([save] {
                StoreKey* key = nullptr;
                if (!save) return FileStoreOpen(Key, false, &key) == StoreNotFound ? 0 : 1;
                return Write(Key, {{"options", Pattern(60, 1)}}) == StoreAccessDenied ? 0 : 2;
            }, 5);
            EXPECT_EQ(Wait(game), 0) << (save ? "save" : "read"); // 142: it waited on the fifo
        }
        EXPECT_EQ(fs::symlink_status(settings).type(), before);
        fs::remove(settings);
    }
}

// A failed save says so on one line naming the file and the reason, and keeps the old settings.
TEST_F(FileStore, FailedSaveSaysWhyAndKeepsTheOldSettings) {
    const std::string settings = FileStorePath();
    struct {
        const char* reason;
        void (*make)(const fs::path& settings);
        FileStoreFault fault;
    } cases[] = {
        {"Is a directory", [](const fs::path& at) { fs::remove(at); fs::create_directory(at); }, FileStoreNoFault},
        {"No space left on device", [](const fs::path&) {}, FileStoreFaultWrite},
        {"", [](const fs::path&) {}, FileStoreFaultBeforeRename},
        {"more settings than the file may hold", [](const fs::path&) { SetFileBytes(Forge(1, 1024, 0)); },
         FileStoreNoFault},
        {"Not a directory", [](const fs::path& at) {
             fs::remove_all(at.parent_path().parent_path());
             std::ofstream(at.parent_path().parent_path()) << "a file where the settings directory goes";
         }, FileStoreNoFault},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        fs::remove_all(dir);
        ASSERT_EQ(Write(Key, {{"options", Pattern(60, 1)}}), StoreOk);
        c.make(settings);
        const Bytes before = FileBytes();
        FileStoreSetFaultForTests(c.fault);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Write(Key, {{"options", Pattern(60, 77)}}), StoreAccessDenied);
        const std::string said = testing::internal::GetCapturedStderr();
        FileStoreSetFaultForTests(FileStoreNoFault);
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said; // one line
        EXPECT_NE(said.find(settings + ": " + c.reason), std::string::npos) << said;
        EXPECT_EQ(FileBytes(), before);
    }
}

// A linked settings file (kept in a dotfiles checkout) keeps its link and receives the saves.
TEST_F(FileStore, SavesReachTheTargetOfALinkedSettingsFile) {
    const fs::path settings = FileStorePath();
    struct {
        const char* link;
        bool targetExists;
        int32_t saved;
    } cases[] = {
        {"../../dotfiles/settings", true, StoreOk},   // relative, through a chain of two links
        {"../../dotfiles/new", false, StoreOk},       // dangling: the target is created
        {"../../missing/settings", false, StoreAccessDenied}, // no directory there: not made
        {"settings", false, StoreAccessDenied},       // a link to itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        fs::remove_all(dir);
        fs::create_directories(settings.parent_path());
        fs::create_directories(dir / "dotfiles");
        fs::create_symlink("settings.real", settings);
        fs::create_symlink(c.link, settings.parent_path() / "settings.real");
        const fs::path target = (settings.parent_path() / c.link).lexically_normal();
        if (c.targetExists) {
            std::ofstream out(target, std::ios::binary);
            const Bytes other = Forge(1, 1, 4);
            out.write(reinterpret_cast<const char*>(other.data()), static_cast<std::streamsize>(other.size()));
        }
        testing::internal::CaptureStderr();
        EXPECT_EQ(Write(Key, {{"options", Pattern(60, 8)}}), c.saved);
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(fs::is_symlink(settings));
        if (c.saved != StoreOk) continue;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target)));
        EXPECT_EQ(Read(Key, "options", 60), StoreOk);
        EXPECT_EQ(read, Pattern(60, 8));
        EXPECT_EQ(Read(Key, "v0", 4), c.targetExists ? StoreOk : StoreNotFound); // merged with the target
    }
}

// Opening and committing remove the new files that games killed while saving left behind, and
// nothing else: not a live writer's, not a user's backup, not another program's.
TEST_F(FileStore, StaleNewFilesAreRemovedAndNothingElse) {
    ASSERT_EQ(Write(Key, {{"options", Pattern(60, 1)}}), StoreOk);
    const Bytes good = FileBytes();
    const std::string whole(good.begin(), good.end());
    struct {
        const char* name;
        std::string content;
        bool locked, removed;
    } cases[] = {
        {"settings.a7Qx0B", "", false, true},         {"settings.Zz9yX1", "DRVXSE", false, true},
        {"settings.P0q9W8", whole, false, true},      {"settings.k3Jd8s", "", true, false},
        {"settings.q1W2e3", "hello", false, false},   {"settings.backup", whole, false, false},
        {"settings.240101", whole, false, false},     {"settings.a7Qx0B7", "", false, false},
        {"other.a7Qx0B", "", false, false},
    };
    const fs::path folder = fs::path(FileStorePath()).parent_path();
    for (bool commit : {false, true}) {
        StoreKey* key = nullptr; // a game that opened the store before the files appeared
        if (commit) { ASSERT_EQ(FileStoreOpen(Key, true, &key), StoreOk); }
        std::vector<int> locks;
        for (const auto& c : cases) {
            std::ofstream(folder / c.name, std::ios::binary) << c.content;
            if (c.locked) {
                locks.push_back(open((folder / c.name).c_str(), O_RDONLY));
                ASSERT_EQ(flock(locks.back(), LOCK_EX), 0);
            }
        }
        if (commit) {
            EXPECT_EQ(FileStoreSet(key, "options", StoreTypeBinary, Pattern(60, 2).data(), 60), StoreOk);
            EXPECT_EQ(FileStoreClose(key), StoreOk);
        } else {
            EXPECT_EQ(Read(Key, "options", 60), StoreOk);
        }
        for (const auto& c : cases) EXPECT_EQ(fs::exists(folder / c.name), !c.removed) << c.name << " " << commit;
        for (int fd : locks) close(fd);
    }
}

// Two games committing at once: every commit succeeds, every read in between finds a whole file, and
// the last complete write wins.
TEST_F(FileStore, RivalGamesCommittingTogetherLeaveOneWholeFile) {
    constexpr int Commits = 150;
    ASSERT_EQ(Write(Key, {{"options", Pattern(60, 0)}}), StoreOk);
    auto rival = [](uint8_t first) {
        for (int i = 0; i < Commits; ++i) {
            if (Write(Key, {{"options", Pattern(60, static_cast<uint8_t>(first + 2 * i))}}) != StoreOk) return 1;
            StoreKey* key = nullptr;
            uint8_t got[60];
            uint32_t size = sizeof got;
            if (FileStoreOpen(Key, false, &key) != StoreOk) return 2;
            const bool whole = FileStoreQuery(key, "options", got, &size, nullptr) == StoreOk &&
                               IsWholePattern(Bytes(got, got + size));
            FileStoreClose(key);
            if (!whole) return 3;
        }
        return 0;
    };
    const pid_t one = Spawn([&] { return rival(1); }), two = Spawn([&] { return rival(2); });
    EXPECT_EQ(Wait(one), 0);
    EXPECT_EQ(Wait(two), 0);
    ASSERT_EQ(Read(Key, "options", 60), StoreOk);
    const Bytes lastOne = Pattern(60, static_cast<uint8_t>(1 + 2 * (Commits - 1)));
    const Bytes lastTwo = Pattern(60, static_cast<uint8_t>(2 + 2 * (Commits - 1)));
    EXPECT_TRUE(read == lastOne || read == lastTwo);
    EXPECT_EQ(Entries(), std::vector<std::string>{"settings"});
}

// A game killed at random moments while saving in a loop: the file is always one whole version, and
// what the killed save left behind is gone after the next opening.
TEST_F(FileStore, KilledWhileSavingTheFileStaysWhole) {
    ASSERT_EQ(Write(Key, {{"options", Pattern(60, 0)}}), StoreOk);
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> moment(0, 20000); // microseconds
    int leftBehind = 0;
    for (int round = 0; round < 150; ++round) {
        const pid_t saver = Spawn([] {
            for (uint8_t seed = 1;; ++seed)
                if (Write(Key, {{"options", Pattern(60, seed)}}) != StoreOk) return 1;
        });
        usleep(static_cast<useconds_t>(moment(random)));
        kill(saver, SIGKILL);
        ASSERT_EQ(Wait(saver), 128 + SIGKILL);
        leftBehind += Entries().size() > 1;
        ASSERT_EQ(Read(Key, "options", 60), StoreOk) << "round " << round;
        ASSERT_TRUE(IsWholePattern(read)) << "round " << round;
        ASSERT_EQ(Entries(), std::vector<std::string>{"settings"}) << "round " << round;
    }
    RecordProperty("killsThatLeftANewFile", leftBehind);
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
