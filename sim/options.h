// The player's options: one 60-byte record, stored byte for byte in the settings store, and the window rectangle
// stored beside it, and their round trip through the settings store. The shared record at the bottom of the game:
// every part of the game reads it.
#pragma once
#include <bit>
#include <cstdint>

struct GameOptions {
    int32_t player;           // 0 computer pilot, 1 human
    int32_t inputDevice;      // 0 keyboard, 1 joystick
    int32_t gameType;         // 0 rocket, 1 legged craft
    int32_t difficulty;       // 0..100, the Difficulty slider
    int32_t surfaceRoughness; // 1..4
    int32_t platformSize;     // 0..10
    int32_t fuelAmount;       // 25, 50, 75, 100 (125 via difficulty); the tank holds 125 - fuelAmount
    int32_t windStrength;     // 0, 33, 66, 99
    int32_t planet;           // 0 Moon, 1 Mars, 2 Earth, 3 Jupiter
    int32_t visibility;       // 0, 50, 100
    int32_t gameWidth;        // playfield width; 0 with gameHeight 0: the client size
    int32_t gameHeight;
    int32_t zoom;             // -2 half, -1 full screen, 0 best fit, 1 actual, 2 double
    int32_t reserved;         // kept as stored
    uint8_t flipVertical;
    uint8_t flipHorizontal;
    uint8_t spare[2];         // kept as stored
};
static_assert(sizeof(GameOptions) == 60, "the stored options record is 60 bytes");
static_assert(std::endian::native == std::endian::little, "the stored record is little-endian");

struct WindowPlacement {
    int32_t left, top, right, bottom;
};
static_assert(sizeof(WindowPlacement) == 16, "the stored window rectangle is 16 bytes");

extern GameOptions gameOptions;

constexpr const char* SettingsKeyPath = "Software\\Orv\\Dravolinex";
constexpr const char* OptionsValueName = "options";
constexpr const char* WindowValueName = "wndsize";
constexpr int MinPlayfieldSize = 16;
constexpr int MaxPlayfieldSize = 5000;

// Reads the options and the window placement from the settings store (defaults when absent or invalid).
void LoadOptions();
// Writes the options and, when the main window exists, its placement. Returns the store status.
int32_t SaveOptions();
// Writes the first-run defaults (word 13 and the spare bytes untouched).
void SetDefaultOptions();
// The playfield a window's client area stands for: each side held to 16..5000, as a loaded record is;
// a window without a client area (minimised) gives the smallest fixed size, 320 x 200.
void PlayfieldSizeFromClient(int clientWidth, int clientHeight, int32_t* width, int32_t* height);
// Brings every field into its range so that no table is indexed out of range.
void ClampOptions(GameOptions& options);
