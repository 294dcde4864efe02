// The player's replay folder, where every finished flight is kept as a file: $XDG_DATA_HOME/dravolinex/replays
// (~/.local/share/dravolinex/replays) on Linux, %LOCALAPPDATA%\Dravolinex\Replays on Windows; the environment
// variable DRAVOLINEX_REPLAY_DIR names another folder (tests, recording sessions). The browser game keeps each file
// as an item of the page's local storage.
#pragma once
#include <cstddef>
#include <cstdint>

// Writes the replay file `name` (a plain file name, no folder) with `size` bytes, atomically: afterwards the folder
// holds the complete file or none of that name. False when it cannot be written; the backend says why once per
// run (on standard error, or in the page) and the game goes on.
bool PlatformWriteReplay(const char* name, const uint8_t* data, size_t size);
// Calls `each` with the name of every file in the replay folder, in no particular order.
void PlatformListReplays(void (*each)(const char* name, void* context), void* context);
// Removes the replay file `name`; false when it cannot.
bool PlatformDeleteReplay(const char* name);
// The backend's name, written into each replay file: "gtk", "win32", "web" or "headless".
const char* PlatformBackendName();
