// The desktop game keeps its replays in the per-user replay folder.
#include "platform/filestore/replay_folder.h"
#include "platform/replay_store.h"

bool PlatformWriteReplay(const char* name, const uint8_t* data, size_t size)
{
    return ReplayFolderWrite(name, data, size);
}

void PlatformListReplays(void (*each)(const char* name, void* context), void* context)
{
    ReplayFolderList(each, context);
}

bool PlatformDeleteReplay(const char* name)
{
    return ReplayFolderDelete(name);
}

const char* PlatformBackendName()
{
    return "gtk";
}
