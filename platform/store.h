// Per-user settings store: binary values under a key path.
#pragma once
#include <cstdint>

constexpr int32_t StoreOk = 0;
constexpr int32_t StoreNotFound = 2;      // key or value missing
constexpr int32_t StoreMoreData = 234;    // value larger than the buffer offered
constexpr int32_t StoreAccessDenied = 5;  // cannot be created or written

constexpr uint32_t StoreTypeNone = 0;
constexpr uint32_t StoreTypeString = 1;
constexpr uint32_t StoreTypeBinary = 3;
constexpr uint32_t StoreTypeDword = 4;

struct StoreKey; // backend-owned

// Opens an existing key (create=false) or creates/opens it (create=true); status StoreOk on success.
int32_t PlatformStoreOpen(const char* keyPath, bool create, StoreKey** key);
// Reads value `name` into `buffer` offering *size bytes; on success *size is the stored size, *type its type.
int32_t PlatformStoreQuery(StoreKey* key, const char* name, void* buffer, uint32_t* size, uint32_t* type);
// Writes value `name` with `type` and `size` bytes.
int32_t PlatformStoreSet(StoreKey* key, const char* name, uint32_t type, const void* data, uint32_t size);
// Closes the key, committing what was written; status StoreOk on success.
int32_t PlatformStoreClose(StoreKey* key);
