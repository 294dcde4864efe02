// The values of one settings key held in memory, with the registry's read rules.
// Shared by the settings file and the headless backend's in-memory store.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/store.h"

struct StoreValue {
    std::string name;
    uint32_t type;
    std::vector<uint8_t> bytes;
};

struct StoreKeyValues {
    std::string path;
    std::vector<StoreValue> values;
};

// Key paths and value names compare without regard to ASCII case, as in the registry.
inline bool StoreNamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

inline StoreValue* FindStoreValue(StoreKeyValues& key, std::string_view name) {
    for (StoreValue& value : key.values)
        if (StoreNamesEqual(value.name, name)) return &value;
    return nullptr;
}

inline StoreKeyValues* FindStoreKey(std::vector<StoreKeyValues>& keys, std::string_view path) {
    for (StoreKeyValues& key : keys)
        if (StoreNamesEqual(key.path, path)) return &key;
    return nullptr;
}

// Adds or replaces value `name`.
inline void PutStoreValue(StoreKeyValues& key, const char* name, uint32_t type, const void* data, uint32_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    std::vector<uint8_t> copy;
    if (bytes && size) copy.assign(bytes, bytes + size);
    if (StoreValue* existing = FindStoreValue(key, name)) {
        existing->type = type;
        existing->bytes = std::move(copy);
    } else {
        key.values.push_back(StoreValue{name, type, std::move(copy)});
    }
}

// Reads a value the way the registry does: `*size` offers the buffer's room and returns the stored
// size; a buffer too small gives StoreMoreData (nothing copied); a null buffer only reports size and type.
// A null `size` offers no room.
inline int32_t CopyStoreValueOut(const StoreValue* value, void* buffer, uint32_t* size, uint32_t* type) {
    if (!value) return StoreNotFound;
    const uint32_t stored = static_cast<uint32_t>(value->bytes.size());
    const uint32_t offered = size ? *size : 0;
    if (type) *type = value->type;
    if (size) *size = stored;
    if (!buffer) return StoreOk;
    if (stored > offered) return StoreMoreData;
    if (stored) std::memcpy(buffer, value->bytes.data(), stored);
    return StoreOk;
}
