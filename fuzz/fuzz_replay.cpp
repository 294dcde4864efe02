// Any bytes as a replay file: the reader refuses what is not a whole, undamaged replay with one line, and a file
// that reads is replayed through the game on the headless window (its log kept short so each trial stays quick)
// to its verdict or to a clear stop, never a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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
    // Inputs whose first byte is odd have their checksum mended first, so that mutated headers and event logs
    // reach the replay player instead of stopping at the checksum.
    std::vector<uint8_t> bytes(data, data + size);
    if (size > 16 && (data[0] & 1)) {
        bytes[0] = 'D';
        const uint32_t crc = ReplayChecksum(bytes.data(), size - 4);
        for (int i = 0; i < 4; ++i)
            bytes[size - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
    }
    std::string error;
    if (!LoadReplay(bytes.data(), bytes.size(), error)) {
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
