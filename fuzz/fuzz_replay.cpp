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
// A short log can still ask for thousands of repaints of a large client area; painting and hashing are what cost,
// so a trial stops once it has composed this many pixels (about a tenth of a second under the sanitizers).
constexpr int64_t MaxFuzzedPixels = 4'000'000;
constexpr int64_t MaxFuzzedArea = 1920 * 1200;

int64_t clientPixels = 0;
int64_t pixelsComposed = 0;

void SetClientCounted(int width, int height)
{
    clientPixels = static_cast<int64_t>(width) * height;
    HeadlessSetClientSize(width, height);
}

void CountFrame(uint32_t)
{
    pixelsComposed += clientPixels;
}

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
    // The world is built and painted at the recorded playfield size: the largest allowed takes seconds under the
    // sanitizers without reaching any other code, so trials keep to a large desktop window.
    const ReplayFile& f = LoadedReplay();
    const int64_t playfield = static_cast<int64_t>(f.options.gameWidth) * f.options.gameHeight;
    const int64_t client = static_cast<int64_t>(f.clientWidth) * f.clientHeight;
    if (f.events.size() > MaxFuzzedLog || playfield > MaxFuzzedArea || client > MaxFuzzedArea)
        return 0;
    gameState = {};
    clientPixels = 320 * 200;
    pixelsComposed = 0;
    BeginReplay(SetClientCounted, CountFrame);
    bool playing = true;
    while (playing && pixelsComposed < MaxFuzzedPixels)
        playing = AdvanceReplay();
    EndReplay();
    const ReplayReport& r = ReplayResult();
    if (!playing && r.state != ReplayFinished && r.state != ReplayFailed) {
        std::fprintf(stderr, "replay: ended neither finished nor failed\n");
        std::abort();
    }
    return 0;
}
