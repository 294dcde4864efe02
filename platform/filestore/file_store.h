// The per-user settings file of POSIX desktops: the settings store of platform/store.h kept in
// $XDG_CONFIG_HOME/dravolinex/settings (~/.config/dravolinex/settings without XDG_CONFIG_HOME).
// A desktop backend forwards PlatformStoreOpen/Query/Set/Close to these functions.
//
// Reading follows the registry: a missing value gives StoreNotFound, a buffer smaller than the value
// gives StoreMoreData with the stored size. A missing, unreadable, truncated or damaged file reads as
// an empty store. Writes collect on the open key and reach the file at FileStoreClose, atomically
// (a new file is written beside the old one, flushed and renamed over it); every other key and value
// in the file is kept. A failed commit leaves the old file untouched and returns StoreAccessDenied.
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
