// The browser game keeps no replay files yet: the replay folder is empty and a finished flight is not kept.
#include "platform/replay_store.h"

bool PlatformWriteReplay(const char*, const uint8_t*, size_t)
{
    return false;
}

void PlatformListReplays(void (*)(const char*, void*), void*)
{
}

bool PlatformDeleteReplay(const char*)
{
    return false;
}

const char* PlatformBackendName()
{
    return "web";
}
