// The per-user settings file of POSIX desktops: the settings store of platform/store.h kept in
// $XDG_CONFIG_HOME/dravolinex/settings (~/.config/dravolinex/settings without XDG_CONFIG_HOME).
// A desktop backend forwards PlatformStoreOpen/Query/Set/Close to these functions.
//
// Reading follows the registry: a missing value gives StoreNotFound, a buffer smaller than the value
// gives StoreMoreData with the stored size. A missing, unreadable, truncated, damaged or oversized file
// reads as an empty store, and so does anything at the path that is not a regular file (a FIFO or a
// device is never waited on). Writes collect on the open key and reach the file at FileStoreClose,
// atomically (a new file is written beside the old one, flushed and renamed over it); every other key
// and value in the file is kept; only a regular file (or nothing) at the path is replaced, and never one
// that cannot be read (its other keys would be lost). A file replaced keeps its mode (and, where the
// system allows, its owner); a new one is private to the user (0600). When the
// settings path is a symbolic link the link stays and its target receives the save (a dangling link's
// target is created, in a directory that must exist). Of two games committing at once
// the last complete write wins. Opening and committing remove the new files that a game killed in the
// middle of a save left behind. A failed commit leaves the old file untouched, writes one line naming
// the file (quoted, its control characters escaped) and the reason to standard error, and returns
// StoreAccessDenied.
#pragma once
#include <cstdint>
#include <string>

#include "platform/store.h"

int32_t FileStoreOpen(const char* keyPath, bool create, StoreKey** key);
int32_t FileStoreQuery(StoreKey* key, const char* name, void* buffer, uint32_t* size, uint32_t* type);
int32_t FileStoreSet(StoreKey* key, const char* name, uint32_t type, const void* data, uint32_t size);
int32_t FileStoreClose(StoreKey* key);

// The settings file's path; empty when neither XDG_CONFIG_HOME nor HOME is set.
std::string FileStorePath();

// For tests: keep the file in `directory` instead of the user's config directory (null: back to it).
void FileStoreSetDirectoryForTests(const char* directory);
enum FileStoreFault {
    FileStoreNoFault,
    FileStoreFaultBeforeRename, // the program "dies" after writing the new file, before renaming it
    FileStoreFaultWrite,        // writing the new file fails
};
void FileStoreSetFaultForTests(FileStoreFault fault);
