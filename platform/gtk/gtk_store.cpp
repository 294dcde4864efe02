// The desktop game keeps its settings in the per-user settings file.
#if __has_include("platform/filestore/file_store.h")
#include "platform/filestore/file_store.h"
#include "platform/store.h"

int32_t PlatformStoreOpen(const char* keyPath, bool create, StoreKey** key)
{
    return FileStoreOpen(keyPath, create, key);
}

int32_t PlatformStoreQuery(StoreKey* key, const char* name, void* buffer, uint32_t* size, uint32_t* type)
{
    return FileStoreQuery(key, name, buffer, size, type);
}

int32_t PlatformStoreSet(StoreKey* key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    return FileStoreSet(key, name, type, data, size);
}

int32_t PlatformStoreClose(StoreKey* key)
{
    return FileStoreClose(key);
}
#endif
