#include "resources/resources.h"

ResourceData FindResource(ResourceKind kind, int id)
{
    for (int i = 0; i < embeddedResourceCount; ++i) {
        const EmbeddedResource& r = embeddedResources[i];
        if (r.kind == kind && r.id == id)
            return {r.data, r.size};
    }
    return {nullptr, 0};
}
