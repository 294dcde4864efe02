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
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
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

// A settings file of `keys` keys with `values` values of `bytes` bytes each (and `extra` bytes left
// over), under a valid checksum; the first key is the game's, every key's first value is "v0".
Bytes Forge(uint32_t keys, uint32_t values, uint32_t bytes, uint32_t extra = 0) {
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
    made.resize(made.size() + extra);
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
        if (const int32_t status = FileStoreOpen(key, true, &handle); status != StoreOk) return status;
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
        if (const int32_t open = FileStoreOpen(key, false, &handle); open != StoreOk) return open;
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
    static void SetFileBytes(const Bytes& bytes, const fs::path& file = FileStorePath()) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
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

    // A damaged file is replaced by the next save.
    ASSERT_EQ(Write(Key, {{"wndsize", Pattern(16, 1)}}), StoreOk);
    EXPECT_EQ(Read(Key, "wndsize", 16), StoreOk);
    EXPECT_EQ(Read(Key, "options", 60), StoreNotFound);
}

// Forged files under a valid checksum: those within the bounds read, those beyond (a few MB included,
// refused by their size alone) or with a byte left over are garbled.
TEST_F(FileStore, ForgedFilesReadOnlyWithinTheBounds) {
    Bytes huge = Forge(0, 0, 0);
    huge.resize(12); // signature and version
    for (int field = 0; field < 3; ++field) AppendU32(huge, 0xFFFFFFFFu); // key count, path length, ...
    AppendU32(huge, Crc32(huge));
    const uint32_t most = 64 << 10; // bytes of one value
    struct {
        Bytes file;
        uint32_t bytes; // of "v0" when it reads
    } cases[] = {
        {Forge(1, 1, 60), 60},       {Forge(1, 1, 60, 1), 0},        {Forge(1, 1024, 0), 0},
        {Forge(1, 1025, 0), 0},      {Forge(256, 1, 1), 1},          {Forge(257, 1, 1), 0},
        {Forge(1, 1, most), most},   {Forge(1, 1, most + 1), 0},     {Forge(1, 16, most), 0},
        {Forge(1, 40, most), 0},     {Forge(2, 90000, 0), 0},        {huge, 0},
    };
    fs::create_directories(fs::path(FileStorePath()).parent_path());
    for (size_t row = 0; row < std::size(cases); ++row) {
        SetFileBytes(cases[row].file);
        const bool reads = cases[row].bytes || row == 2;
        EXPECT_EQ(Read(Key, "v0", most), reads ? StoreOk : StoreNotFound) << "row " << row;
        if (reads) { EXPECT_EQ(read, Bytes(cases[row].bytes, 0x5A)) << "row " << row; }
    }
}

// Anything but a regular file at the settings path reads as missing without waiting, and a save
// neither waits on it nor replaces it but says why, on one line naming the file; so does every failed
// save, and the old settings stay.
TEST_F(FileStore, FailedSaveSaysWhyAndKeepsTheOldSettings) {
    const fs::path settings = FileStorePath(), fifo = dir / "fifo";
    struct {
        const char* reason;
        FileStoreFault fault = FileStoreNoFault;
    } cases[] = {
        {"not a regular file"}, {"not a regular file"}, {"Is a directory"}, // a FIFO, a link to one, a directory
        {"No space left on device", FileStoreFaultWrite}, {"", FileStoreFaultBeforeRename}, // a crash
        {"more settings than the file may hold"}, // 1024 values there already
        {"Not a directory"},                      // a file where the settings directory goes
    };
    for (size_t row = 0; row < std::size(cases); ++row) {
        SCOPED_TRACE(row);
        fs::remove_all(dir);
        fs::create_directories(settings.parent_path());
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        if (row >= 3) { ASSERT_EQ(Write(Key, {{"options", Pattern(60, 1)}}), StoreOk); }
        if (row == 0) mkfifo(settings.c_str(), 0600);
        if (row == 1) fs::create_symlink(fifo, settings);
        if (row == 2) fs::create_directory(settings);
        if (row == 5) SetFileBytes(Forge(1, 1024, 0));
        if (row == 6) {
            fs::remove_all(settings.parent_path().parent_path());
            std::ofstream(settings.parent_path().parent_path()) << "not a directory";
        }
        const auto kind = fs::symlink_status(settings).type();
        const Bytes before = FileBytes();
        const pid_t reader = Spawn([] { StoreKey* key; return FileStoreOpen(Key, false, &key); }, 5);
        const int found = Wait(reader);
        EXPECT_EQ(found, row >= 3 && row <= 5 ? StoreOk : StoreNotFound);
        if (found == 128 + SIGALRM) continue; // it waited on the FIFO
        FileStoreSetFaultForTests(cases[row].fault);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Write(Key, {{"options", Pattern(60, 77)}}), StoreAccessDenied);
        const std::string said = testing::internal::GetCapturedStderr();
        FileStoreSetFaultForTests(FileStoreNoFault);
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said; // one line
        EXPECT_NE(said.find((row == 1 ? fifo : settings).string() + "\": " + cases[row].reason), std::string::npos) << said;
        EXPECT_EQ(FileBytes(), before);
        EXPECT_EQ(fs::symlink_status(settings).type(), kind);
    }
}

// A save keeps the mode and owner of the file it replaces, and a new file is private; a file that is there but
// cannot be read is never replaced: the save is refused in one line saying why. Root reads any file, so as root it
// is the unprivileged "nobody" who saves, into its own directory holding root's 0600 file (as after a game run
// through sudo).
TEST_F(FileStore, SaveKeepsTheModeAndNeverReplacesAFileItCannotRead) {
    constexpr uid_t Nobody = 65534;
    const fs::path settings = FileStorePath();
    const bool root = geteuid() == 0;
    const mode_t modes[] = {0600, 0644, 0644}; // after the save: of a new file, of a file kept, of nobody's file
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        fs::remove_all(dir);
        if (row > 0) { ASSERT_EQ(Write(Key, {{"options", Pattern(60, 1)}, {"wndsize", Pattern(16, 2)}}), StoreOk); }
        if (row == 1 || row == 2) chmod(settings.c_str(), 0644);
        if (row == 2 && (!root || chown(settings.c_str(), Nobody, Nobody) != 0)) continue;
        const Bytes before = FileBytes();
        if (row == 3 && !root) chmod(settings.c_str(), 0);
        for (fs::path up = settings.parent_path(); row == 3 && root && up != dir.parent_path(); up = up.parent_path())
            ASSERT_EQ(chown(up.c_str(), Nobody, Nobody), 0);
        auto save = [] { return Write(Key, {{"options", Pattern(60, 3)}}); };
        testing::internal::CaptureStderr();
        const int32_t saved = row == 3 && root ? Wait(Spawn([&] { return setgid(Nobody) || setuid(Nobody) ? 99 : save(); }))
                                               : save();
        const std::string said = testing::internal::GetCapturedStderr();
        if (row == 3) chmod(settings.c_str(), 0600); // readable again, to compare
        struct stat info;
        ASSERT_EQ(stat(settings.c_str(), &info), 0);
        if (row < 3) {
            EXPECT_EQ(saved, StoreOk) << said;
            EXPECT_EQ(info.st_mode & 07777, modes[row]);
            EXPECT_EQ(info.st_uid, row == 2 ? Nobody : geteuid());
        } else {
            EXPECT_EQ(saved, StoreAccessDenied);
            EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
            EXPECT_NE(said.find("cannot read the file there to keep what it holds: Permission denied"),
                      std::string::npos) << said;
            EXPECT_EQ(FileBytes(), before);
        }
    }
}

// A linked settings file (kept in a dotfiles checkout) keeps its link and receives the saves, merged
// with what it held; a dangling link's target is created, in a directory that exists.
TEST_F(FileStore, SavesReachTheTargetOfALinkedSettingsFile) {
    const fs::path settings = FileStorePath();
    struct {
        const char* link; // from "settings" through "settings.real"
        int32_t saved;
        bool merged; // with the target's own value
    } cases[] = {
        {"../../dotfiles/settings", StoreOk, true}, {"../../dotfiles/new", StoreOk, false},
        {"../../missing/settings", StoreAccessDenied, false}, {"settings", StoreAccessDenied, false}, // a loop
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        fs::remove_all(dir);
        fs::create_directories(dir / "dotfiles");
        SetFileBytes(Forge(1, 1, 4), dir / "dotfiles" / "settings");
        fs::create_directories(settings.parent_path());
        fs::create_symlink("settings.real", settings);
        fs::create_symlink(c.link, settings.parent_path() / "settings.real");
        testing::internal::CaptureStderr();
        EXPECT_EQ(Write(Key, {{"options", Pattern(60, 8)}}), c.saved);
        EXPECT_EQ(testing::internal::GetCapturedStderr().empty(), c.saved == StoreOk);
        EXPECT_TRUE(fs::is_symlink(settings));
        EXPECT_EQ(Read(Key, "options", 60), c.saved == StoreOk ? StoreOk : StoreNotFound);
        EXPECT_EQ(Read(Key, "v0", 4), c.merged ? StoreOk : StoreNotFound);
    }
}

// Opening and committing remove the new files that games killed while saving left behind, and nothing
// else: not a live writer's (locked), a user's backup, another program's.
TEST_F(FileStore, StaleNewFilesAreRemovedAndNothingElse) {
    ASSERT_EQ(Write(Key, {{"options", Pattern(60, 1)}}), StoreOk);
    const Bytes good = FileBytes();
    const std::string whole(good.begin(), good.end());
    struct {
        const char* name;
        std::string content;
        bool removed;
    } cases[] = {
        {"settings.a7Qx0B", "", true},      {"settings.Zz9yX1", "DRVXSE", true}, {"settings.P0q9W8", whole, true},
        {"settings.k3Jd8s", "", false},     {"settings.q1W2e3", "hi", false},    {"settings.backup", whole, false},
        {"settings.240101", whole, false},  {"settings.a7Qx0B7", "", false},     {"other.a7Qx0B", "", false},
    };
    const fs::path folder = fs::path(FileStorePath()).parent_path();
    for (bool commit : {false, true}) {
        StoreKey* key = nullptr; // a game that opened the store before the files appeared
        if (commit) { ASSERT_EQ(FileStoreOpen(Key, true, &key), StoreOk); }
        for (const auto& c : cases) std::ofstream(folder / c.name, std::ios::binary) << c.content;
        const int writer = open((folder / cases[3].name).c_str(), O_RDONLY); // alive, writing it now
        ASSERT_EQ(flock(writer, LOCK_EX), 0);
        if (commit) {
            EXPECT_EQ(FileStoreSet(key, "options", StoreTypeBinary, Pattern(60, 2).data(), 60), StoreOk);
            EXPECT_EQ(FileStoreClose(key), StoreOk);
        } else {
            EXPECT_EQ(Read(Key, "options", 60), StoreOk);
        }
        for (const auto& c : cases) EXPECT_EQ(fs::exists(folder / c.name), !c.removed) << c.name << " " << commit;
        close(writer);
    }
}

// Two games commit at once, and a game saving in a loop is killed at random moments: every commit
// succeeds, the file is always one whole version (the last complete write), and what a killed save
// left behind is gone after the next opening.
TEST_F(FileStore, RivalAndKilledSavesLeaveOneWholeFile) {
    constexpr int Commits = 150;
    ASSERT_EQ(Write(Key, {{"options", Pattern(60, 0)}}), StoreOk);
    auto saver = [](int first, int commits) {
        for (int i = 0; i < commits; ++i)
            if (Write(Key, {{"options", Pattern(60, static_cast<uint8_t>(first + 2 * i))}}) != StoreOk) return 1;
        return 0;
    };
    const pid_t one = Spawn([&] { return saver(1, Commits); }), two = Spawn([&] { return saver(2, Commits); });
    EXPECT_EQ(Wait(one), 0);
    EXPECT_EQ(Wait(two), 0);
    ASSERT_EQ(Read(Key, "options", 60), StoreOk);
    const uint8_t last = static_cast<uint8_t>(2 * (Commits - 1));
    EXPECT_TRUE(read == Pattern(60, last + 1) || read == Pattern(60, last + 2));

    std::mt19937 random(std::random_device{}());
    int leftBehind = 0;
    for (int round = 0; round < 150; ++round) {
        const pid_t killed = Spawn([&] { return saver(round, 1 << 30); });
        usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        kill(killed, SIGKILL);
        ASSERT_EQ(Wait(killed), 128 + SIGKILL);
        leftBehind += Entries().size() > 1;
        ASSERT_EQ(Read(Key, "options", 60), StoreOk) << "round " << round;
        ASSERT_EQ(read, Pattern(60, read[0])) << "round " << round;
        ASSERT_EQ(Entries(), std::vector<std::string>{"settings"}) << "round " << round;
    }
    RecordProperty("killsThatLeftANewFile", leftBehind);
}

TEST_F(FileStore, PathFollowsTheEnvironment) {
    FileStoreSetDirectoryForTests(nullptr);
    const char* saved[] = {std::getenv("HOME"), std::getenv("XDG_CONFIG_HOME")};
    const std::string home = saved[0] ? saved[0] : "", config = saved[1] ? saved[1] : "";
    // XDG_CONFIG_HOME, HOME (null: unset) and the path they give; a relative XDG_CONFIG_HOME is ignored.
    const char* cases[][3] = {{"/cfg", "/home/pilot", "/cfg/dravolinex/settings"},
                              {"relative", "/home/pilot", "/home/pilot/.config/dravolinex/settings"},
                              {nullptr, nullptr, ""}};
    for (const auto& [config, home, path] : cases) {
        config ? setenv("XDG_CONFIG_HOME", config, 1) : unsetenv("XDG_CONFIG_HOME");
        home ? setenv("HOME", home, 1) : unsetenv("HOME");
        EXPECT_EQ(FileStorePath(), path);
    }
    StoreKey* key = nullptr;
    EXPECT_EQ(FileStoreOpen(Key, false, &key), StoreNotFound);
    EXPECT_EQ(FileStoreOpen(Key, true, &key), StoreAccessDenied);
    // A newline in the path does not split the message naming it.
    fs::create_directories(dir);
    std::ofstream(dir / "new\nline") << "a file where a directory goes";
    setenv("XDG_CONFIG_HOME", (dir / "new\nline" / "config").c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(FileStoreOpen(Key, true, &key), StoreAccessDenied);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    EXPECT_NE(said.find("/new\\nline/config/dravolinex/settings\": Not a directory"), std::string::npos) << said;
    saved[1] ? setenv("XDG_CONFIG_HOME", config.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    if (saved[0]) setenv("HOME", home.c_str(), 1);
}

} // namespace
