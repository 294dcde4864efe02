// The player's options: the one record, its first-run defaults, the ranges every field is held to,
// and its round trip through the settings store.
#include "sim/options.h"

#include <cstdlib>
#include <cstring>

#include "platform/store.h"
#include "platform/window.h"

GameOptions gameOptions = {};

void SetDefaultOptions()
{
    // Word 13 and the two spare bytes keep whatever they held.
    gameOptions.player = 1;
    gameOptions.inputDevice = 0;
    gameOptions.gameType = 0;
    gameOptions.difficulty = 0;
    gameOptions.surfaceRoughness = 1;
    gameOptions.platformSize = 5;
    gameOptions.fuelAmount = 25;
    gameOptions.windStrength = 0;
    gameOptions.planet = 0;
    gameOptions.visibility = 0;
    gameOptions.flipHorizontal = 0;
    gameOptions.flipVertical = 0;
    gameOptions.zoom = 0;
    gameOptions.gameWidth = 0;
    gameOptions.gameHeight = 0;
}

static int32_t ClampInto(int32_t value, int32_t low, int32_t high)
{
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

// The allowed value nearest to `value` (the lower one on a tie).
static int32_t NearestOf(int32_t value, const int32_t* allowed, int count)
{
    int32_t best = allowed[0];
    int64_t bestDistance = std::llabs(static_cast<int64_t>(value) - best);
    for (int i = 1; i < count; ++i) {
        int64_t distance = std::llabs(static_cast<int64_t>(value) - allowed[i]);
        if (distance < bestDistance) {
            best = allowed[i];
            bestDistance = distance;
        }
    }
    return best;
}

void ClampOptions(GameOptions& o)
{
    static const int32_t fuelSteps[] = {25, 50, 75, 100, 125};
    static const int32_t windSteps[] = {0, 33, 66, 99};
    static const int32_t visibilitySteps[] = {0, 50, 100};

    o.player = ClampInto(o.player, 0, 1);
    o.inputDevice = ClampInto(o.inputDevice, 0, 1);
    o.gameType = ClampInto(o.gameType, 0, 1);
    o.difficulty = ClampInto(o.difficulty, 0, 100);
    o.surfaceRoughness = ClampInto(o.surfaceRoughness, 1, 4);
    o.platformSize = ClampInto(o.platformSize, 0, 10);
    o.fuelAmount = NearestOf(o.fuelAmount, fuelSteps, 5);
    o.windStrength = NearestOf(o.windStrength, windSteps, 4);
    o.planet = ClampInto(o.planet, 0, 3);
    o.visibility = NearestOf(o.visibility, visibilitySteps, 3);
    o.zoom = ClampInto(o.zoom, -2, 2);

    // The playfield size is a pair: both zero means "take the client size"; half a pair is no size at all.
    if (o.gameWidth == 0 || o.gameHeight == 0) {
        o.gameWidth = 0;
        o.gameHeight = 0;
    } else {
        o.gameWidth = ClampInto(o.gameWidth, MinPlayfieldSize, MaxPlayfieldSize);
        o.gameHeight = ClampInto(o.gameHeight, MinPlayfieldSize, MaxPlayfieldSize);
    }

    o.flipVertical = o.flipVertical ? 1 : 0;
    o.flipHorizontal = o.flipHorizontal ? 1 : 0;
}

void PlayfieldSizeFromClient(int clientWidth, int clientHeight, int32_t* width, int32_t* height)
{
    if (clientWidth <= 0 || clientHeight <= 0) {
        clientWidth = 320;
        clientHeight = 200;
    }
    *width = ClampInto(clientWidth, MinPlayfieldSize, MaxPlayfieldSize);
    *height = ClampInto(clientHeight, MinPlayfieldSize, MaxPlayfieldSize);
}

// Reads value `name` into `buffer`; true only for a binary value of exactly `size` bytes.
static bool ReadExactBinary(StoreKey* key, const char* name, void* buffer, uint32_t size)
{
    uint32_t stored = size;
    uint32_t type = StoreTypeNone;
    if (PlatformStoreQuery(key, name, buffer, &stored, &type) != StoreOk)
        return false;
    return stored == size && type == StoreTypeBinary;
}

void LoadOptions()
{
    bool loaded = false;
    StoreKey* key = nullptr;
    if (PlatformStoreOpen(SettingsKeyPath, false, &key) == StoreOk && key) {
        GameOptions stored;
        if (ReadExactBinary(key, OptionsValueName, &stored, sizeof stored)) {
            // A record from elsewhere may hold anything; bring it into range before any table is indexed with it.
            ClampOptions(stored);
            gameOptions = stored;
            loaded = true;
        }

        if (PlatformMainWindowExists()) {
            WindowPlacement placement;
            std::memset(&placement, 0, sizeof placement);
            if (ReadExactBinary(key, WindowValueName, &placement, sizeof placement))
                PlatformSetWindowRect({placement.left, placement.top, placement.right, placement.bottom});
        }

        PlatformStoreClose(key);
        if (loaded)
            return;
    }
    SetDefaultOptions();
}

int32_t SaveOptions()
{
    StoreKey* key = nullptr;
    int32_t status = PlatformStoreOpen(SettingsKeyPath, true, &key);
    if (status != StoreOk || !key)
        return status;

    PlatformStoreSet(key, OptionsValueName, StoreTypeBinary, &gameOptions, sizeof gameOptions);

    if (PlatformMainWindowExists()) {
        WindowPlacement placement;
        std::memset(&placement, 0, sizeof placement);
        ScreenRect rect = PlatformGetWindowRect();
        placement = {rect.left, rect.top, rect.right, rect.bottom};
        PlatformStoreSet(key, WindowValueName, StoreTypeBinary, &placement, sizeof placement);
    }

    PlatformStoreClose(key);
    return StoreOk;
}
