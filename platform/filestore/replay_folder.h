// The replay folder of POSIX desktops: $DRAVOLINEX_REPLAY_DIR when set, else $XDG_DATA_HOME/dravolinex/replays
// (~/.local/share/dravolinex/replays without XDG_DATA_HOME). A desktop backend forwards the replay store of
// platform/replay_store.h to these functions.
//
// A file is written as the settings file is: a new file beside the old one, flushed and renamed over it, so the
// folder holds a complete file or none of that name; the folder is created when missing. Only plain names are
// accepted (no '/', not starting with '.') and at most 32 MiB. A failure writes one line to standard error, the
// first time only, and the game goes on without the file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The folder's path; empty when neither variable nor HOME is set.
std::string ReplayFolderPath();
bool ReplayFolderWrite(const char* name, const uint8_t* data, size_t size);
void ReplayFolderList(void (*each)(const char* name, void* context), void* context);
bool ReplayFolderDelete(const char* name);
