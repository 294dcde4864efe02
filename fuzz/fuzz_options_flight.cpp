// A stored options record and window rectangle of any size, type and contents, loaded by the game's own
// LoadOptions; then a new game, a whole flight (the computer pilot, or the player with arbitrary demands),
// the verdict, one painted frame at an arbitrary small client size, and a save and reload that must give
// back the same record and rectangle.
//
// The input: client width and height, the two stored values (each: present, type, length, bytes), then
// the demands of the flight, a segment of steps at a time, and the painted frame's client size.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sim/options.h"
#include "app/shell.h"
#include "io/sound.h"
#include "platform/headless/headless.h"
#include "render/paint_frame.h"
#include "render/sprites.h"
#include "scoring/landing_report.h"
#include "sim/game_state.h"
#include "sim/pilot.h"
#include "sim/tick.h"
#include "world/world.h"

namespace {

constexpr int MaxSteps = 20000;

void Fail(const char* what)
{
    std::fprintf(stderr, "options and flight: %s\n", what);
    std::abort();
}

// Puts value `name` into the store as the input says: maybe absent, of some type, some length.
std::vector<uint8_t> StoreFuzzedValue(FuzzedDataProvider& in, const char* name, size_t usualSize, bool* exact)
{
    *exact = false;
    if (!in.ConsumeBool())
        return {};
    const uint32_t type = in.ConsumeBool() ? StoreTypeBinary : in.ConsumeIntegralInRange<uint32_t>(0, 11);
    const size_t length = in.ConsumeBool() ? usualSize : in.ConsumeIntegralInRange<size_t>(0, usualSize + 8);
    std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(length);
    bytes.resize(length, 0);
    HeadlessStorePut(SettingsKeyPath, name, type, bytes.data(), uint32_t(bytes.size()));
    *exact = type == StoreTypeBinary && length == usualSize;
    return bytes;
}

bool FlightEnded()
{
    const GameState& g = gameState;
    return g.landed || g.crashed || LandingOutcome() != 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    HeadlessReset();
    PlatformCreateMainWindow("Dravolinex");
    InitMeteorLock();
    LoadGraphics();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    HeadlessReset();
    HeadlessSetClientSize(in.ConsumeIntegralInRange(0, 200), in.ConsumeIntegralInRange(0, 150));
    if (!PlatformCreateMainWindow("Dravolinex"))
        Fail("no window");

    bool optionsExact = false, placementExact = false;
    std::vector<uint8_t> storedOptions = StoreFuzzedValue(in, OptionsValueName, sizeof(GameOptions), &optionsExact);
    std::vector<uint8_t> storedPlacement = StoreFuzzedValue(in, WindowValueName, sizeof(WindowPlacement), &placementExact);

    std::memset(&gameOptions, 0, sizeof gameOptions);
    LoadOptions();
    const GameOptions loaded = gameOptions;
    GameOptions expected;
    if (optionsExact) {
        std::memcpy(&expected, storedOptions.data(), sizeof expected);
        ClampOptions(expected);
    } else {
        std::memset(&gameOptions, 0, sizeof gameOptions);
        SetDefaultOptions();
        expected = gameOptions;
        gameOptions = loaded;
    }
    if (std::memcmp(&loaded, &expected, sizeof expected) != 0)
        Fail("the loaded record is not the stored one brought into range");
    if (placementExact && HeadlessSetWindowRectCount() != 1)
        Fail("a valid stored rectangle did not move the window");
    if (!placementExact && HeadlessSetWindowRectCount() != 0)
        Fail("an invalid stored rectangle moved the window");

    // Small playfields keep thousands of flights a second; the window may have taken any stored size.
    if (gameOptions.gameWidth > 200)
        gameOptions.gameWidth = MinPlayfieldSize + gameOptions.gameWidth % 185;
    if (gameOptions.gameHeight > 150)
        gameOptions.gameHeight = MinPlayfieldSize + gameOptions.gameHeight % 135;
    HeadlessSetClientSize(in.ConsumeIntegralInRange(0, 200), in.ConsumeIntegralInRange(0, 150));

    gameState = {};
    engineSoundOn = tippingSoundOn = false;
    StartNewGame();
    gameState.halted = false;
    ControlInput demand = {0, 0, 0};
    int segmentLeft = 0;
    for (int step = 0; step < MaxSteps && !FlightEnded(); ++step) {
        ControlInput input = {0, 0, 0};
        if (gameOptions.player == 0) {
            ComputerPilot(&input.thrust, &input.left, &input.right);
        } else {
            if (segmentLeft-- <= 0) {
                segmentLeft = in.ConsumeIntegralInRange(1, 400);
                demand = {in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>()};
            }
            input = demand;
        }
        StepFlight(input);
        if (step % 5 == 4 && !FlightEnded())
            RecordFlightFrame();
    }
    for (int guard = 0; LandingOutcome() >= 3 && !gameState.crashed && guard < 100; ++guard)
        StepTipOver();
    std::vector<char> details(ReportBufferSize, 0), title(ReportBufferSize, 0), message(ReportBufferSize, 0);
    BuildLandingReport(details.data(), title.data(), message.data(), LandingOutcome());
    if (title[ReportBufferSize - 1] != 0 || message[ReportBufferSize - 1] != 0 || details[ReportBufferSize - 1] != 0)
        Fail("a report overran its buffer");

    Surface client;
    const int paintWidth = in.ConsumeIntegralInRange(0, 256), paintHeight = in.ConsumeIntegralInRange(0, 256);
    ComposeClientPicture(client, paintWidth, paintHeight, true);
    if (client.pixels.size() != size_t(paintWidth) * size_t(paintHeight))
        Fail("the painted frame is not the client's size");

    const GameOptions saved = gameOptions;
    const ScreenRect window = PlatformGetWindowRect();
    if (SaveOptions() != StoreOk)
        Fail("the save failed");
    std::memset(&gameOptions, 0x5A, sizeof gameOptions);
    LoadOptions();
    const ScreenRect moved = HeadlessLastSetWindowRect();
    if (std::memcmp(&gameOptions, &saved, sizeof saved) != 0)
        Fail("the reloaded record differs from the saved one");
    if (std::memcmp(&moved, &window, sizeof window) != 0)
        Fail("the reloaded window rectangle differs from the saved one");
    return 0;
}
