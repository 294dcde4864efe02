// The bytes of the per-user settings file: layout, bounds, writing and reading.
//
// Layout (little-endian):
//   "DRVXSETT"            8 bytes
//   version               u32 (1)
//   key count             u32
//   per key:   path length u32, path bytes, value count u32,
//              per value: name length u32, name bytes, type u32, size u32, data bytes
//   CRC-32 of every byte before it   u32
//
// The game writes one key with two values (about 150 bytes). A file far beyond that is not one the
// game wrote and is rejected as garbled, like a damaged one; the same bounds stop the writer, so a
// file that was written always reads back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/filestore/store_values.h"

constexpr char SettingsMagic[8] = {'D', 'R', 'V', 'X', 'S', 'E', 'T', 'T'};
constexpr size_t SettingsMaxFileBytes = 1u << 20; // the whole file
constexpr uint32_t SettingsMaxKeys = 256;         // keys in the file
constexpr uint32_t SettingsMaxValues = 1024;      // values in the file, all keys together
constexpr uint32_t SettingsMaxValueBytes = 64u << 10;
constexpr uint32_t SettingsMaxNameBytes = 4096; // a key path or a value name

// The file image of `keys`; false (image empty) when they exceed the bounds above.
bool MakeSettingsImage(const std::vector<StoreKeyValues>& keys, std::vector<uint8_t>& image);

// The keys of a file image, in the order stored; a later duplicate of a key or value (names compare
// without regard to ASCII case) is ignored. False (keys empty) when the image is not a whole,
// undamaged settings file within the bounds. Time and memory are linear in `size`.
bool ReadSettingsImage(const uint8_t* data, size_t size, std::vector<StoreKeyValues>& keys);
