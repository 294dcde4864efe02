// The program's command line: usage, version, and the replay to watch.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/playback.h"
#include "platform/app_entry.h"
#include "replay/replay_file.h"

#ifndef DRAVOLINEX_VERSION
#define DRAVOLINEX_VERSION "1.0"
#endif

namespace {

const char* const UsageText =
    "Usage: dravolinex [--replay FILE | FILE]\n"
    "Land a spacecraft on the Moon, Mars, Earth or Jupiter.\n"
    "\n"
    "  --replay FILE  watch a recorded flight (a .dvreplay file) at its real speed:\n"
    "                 Space or P pauses and resumes, Escape leaves\n"
    "  --help         print this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Every finished flight is kept in the replay folder (the last 20 and the 10 best):\n"
    "  $XDG_DATA_HOME/dravolinex/replays (~/.local/share/dravolinex/replays),\n"
    "  %LOCALAPPDATA%\\Dravolinex\\Replays on Windows.\n";

bool EndsWith(const char* text, const char* end)
{
    const size_t n = std::strlen(text), m = std::strlen(end);
    return n >= m && std::strcmp(text + n - m, end) == 0;
}

} // namespace

int AppReadCommandLine(int count, char** args, void (*print)(const char* text, bool error),
                       bool (*readFile)(const char* path, uint8_t** bytes, size_t* size))
{
    const char* replay = nullptr;
    for (int i = 0; i < count; ++i) {
        const char* arg = args[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            print(UsageText, false);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            print("Dravolinex " DRAVOLINEX_VERSION "\n", false);
            return 0;
        }
        if (std::strcmp(arg, "--replay") == 0 && i + 1 < count && !replay) {
            replay = args[++i];
        } else if (std::strncmp(arg, "--replay=", 9) == 0 && !replay) {
            replay = arg + 9;
        } else if (arg[0] != '-' && !replay && EndsWith(arg, ReplayExtension)) {
            replay = arg;
        } else {
            const std::string line = std::string("dravolinex: unexpected argument '") + arg +
                                     "' (dravolinex --help lists the options)\n";
            print(line.c_str(), true);
            return 2;
        }
    }
    if (!replay)
        return -1;
    uint8_t* bytes = nullptr;
    size_t size = 0;
    if (!readFile(replay, &bytes, &size)) {
        const std::string line = std::string("dravolinex: ") + replay + ": cannot be read\n";
        print(line.c_str(), true);
        return 2;
    }
    std::string error;
    const bool loaded = ChoosePlayback(replay, bytes, size, error);
    std::free(bytes);
    if (!loaded) {
        const std::string line = std::string("dravolinex: ") + replay + ": " + error + "\n";
        print(line.c_str(), true);
        return 2;
    }
    return -1;
}
