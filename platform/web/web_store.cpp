// The settings store in the browser's localStorage: the same settings image as the desktop's settings file
// (signature, bounds, checksum), kept as base64 text under one item. A missing, damaged or foreign item reads as an
// empty store, so the game starts from its defaults; storage that is full or switched off (private browsing) leaves
// the game playable, and the page says once that nothing will be kept.
#include "platform/filestore/settings_image.h"
#include "platform/filestore/store_values.h"
#include "platform/store.h"

#include <emscripten.h>

#include <cstring>
#include <memory>
#include <vector>

struct StoreKey {
    StoreKeyValues values;  // the key as read at opening, with this key's writes applied
    StoreKeyValues written; // what this key wrote: merged into the stored image at closing
    bool created;
};

namespace {

// Copies the stored image into `buffer` (at most `room` bytes) and returns its size; -1 without storage or item.
EM_JS(int, WebStoreRead, (uint8_t* buffer, int room), {
    const bytes = Dravolinex.storeRead();
    if (!bytes) return -1;
    if (buffer && bytes.length <= room) HEAPU8.set(bytes, buffer);
    return bytes.length;
});
EM_JS(int, WebStoreWrite, (const uint8_t* data, int size), {
    return Dravolinex.storeWrite(HEAPU8.slice(data, data + size)) ? 1 : 0;
});

std::vector<StoreKeyValues> LoadStore()
{
    std::vector<StoreKeyValues> keys;
    int size = WebStoreRead(nullptr, 0);
    if (size <= 0 || size_t(size) > SettingsMaxFileBytes) return keys;
    std::vector<uint8_t> image(static_cast<size_t>(size));
    if (WebStoreRead(image.data(), size) != size) return keys;
    ReadSettingsImage(image.data(), image.size(), keys);
    return keys;
}

} // namespace

int32_t PlatformStoreOpen(const char* keyPath, bool create, StoreKey** key)
{
    if (!keyPath || !key) return StoreNotFound;
    std::vector<StoreKeyValues> keys = LoadStore();
    StoreKeyValues* found = FindStoreKey(keys, keyPath);
    if (!found && !create) return StoreNotFound;
    *key = new StoreKey{found ? *found : StoreKeyValues{keyPath, {}}, StoreKeyValues{keyPath, {}}, found == nullptr};
    return StoreOk;
}

int32_t PlatformStoreQuery(StoreKey* key, const char* name, void* buffer, uint32_t* size, uint32_t* type)
{
    if (!key || !name) return StoreNotFound;
    return CopyStoreValueOut(FindStoreValue(key->values, name), buffer, size, type);
}

int32_t PlatformStoreSet(StoreKey* key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    if (!key || !name) return StoreNotFound;
    if (size > SettingsMaxValueBytes || std::strlen(name) > SettingsMaxNameBytes || (size && !data))
        return StoreAccessDenied;
    PutStoreValue(key->values, name, type, data, size);
    PutStoreValue(key->written, name, type, data, size);
    return StoreOk;
}

int32_t PlatformStoreClose(StoreKey* key)
{
    if (!key) return StoreNotFound;
    std::unique_ptr<StoreKey> owned(key);
    if (!key->created && key->written.values.empty()) return StoreOk;
    // Merged into what the storage holds now (another tab may have saved meanwhile), keeping every other value.
    std::vector<StoreKeyValues> keys = LoadStore();
    StoreKeyValues* merged = FindStoreKey(keys, key->values.path);
    if (!merged) {
        keys.push_back(StoreKeyValues{key->values.path, {}});
        merged = &keys.back();
    }
    for (const StoreValue& value : key->written.values)
        PutStoreValue(*merged, value.name.c_str(), value.type, value.bytes.data(), uint32_t(value.bytes.size()));
    std::vector<uint8_t> image;
    if (!MakeSettingsImage(keys, image) || !WebStoreWrite(image.data(), int(image.size()))) return StoreAccessDenied;
    return StoreOk;
}
