// Any bytes as a replay file: the reader refuses what is not a whole, undamaged replay with one line, and a file
// that reads is replayed through the game on the headless window (its log kept short so each trial stays quick)
// to its verdict or to a clear stop, never a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/headless/headless.h"
#include "render/sprites.h"
#include "replay/replayer.h"
#include "sim/game_state.h"
#include "world/world.h"

namespace {

// Longer logs only repeat the same deliveries; a trial must stay within a few milliseconds.
constexpr size_t MaxFuzzedLog = 4096;

bool PrepareOnce()
{
    HeadlessReset();
    HeadlessSetClientSize(320, 200);
    PlatformCreateMainWindow("Dravolinex");
    InitMeteorLock();
    LoadGraphics();
    worldPictures = true;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool prepared = PrepareOnce();
    (void)prepared;
    std::string error;
    if (!LoadReplay(data, size, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) {
            std::fprintf(stderr, "replay: a refusal must be one line: '%s'\n", error.c_str());
            std::abort();
        }
        return 0;
    }
    if (LoadedReplay().events.size() > MaxFuzzedLog)
        return 0;
    gameState = {};
    BeginReplay(HeadlessSetClientSize, nullptr);
    RunReplay();
    EndReplay();
    const ReplayReport& r = ReplayResult();
    if (r.state != ReplayFinished && r.state != ReplayFailed) {
        std::fprintf(stderr, "replay: ended neither finished nor failed\n");
        std::abort();
    }
    return 0;
}
