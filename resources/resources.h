// The game's embedded pictures, icons and sounds, found by kind and resource number.
#pragma once
#include <cstddef>
#include <cstdint>

enum ResourceKind { ResourceBitmap = 0, ResourceIcon = 1, ResourceSound = 2 };

struct ResourceData {
    const uint8_t* data; // null when the resource is missing
    size_t size;
};

// The bytes of resource `id` of `kind` (a BMP, ICO or WAV file image); {nullptr, 0} when missing.
ResourceData FindResource(ResourceKind kind, int id);

// Generated at build time from resources/{bitmaps,icons,sounds}/<id>-<name>.<ext>.
struct EmbeddedResource {
    int kind;
    int id;
    const uint8_t* data;
    size_t size;
};
extern const EmbeddedResource embeddedResources[];
extern const int embeddedResourceCount;
