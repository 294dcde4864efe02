// Headless backend: the replay folder, kept in memory.
#include <map>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"

namespace {

std::map<std::string, std::vector<uint8_t>> replayFiles;
bool failReplayWrites = false;

} // namespace

void HeadlessResetReplays()
{
    replayFiles.clear();
    failReplayWrites = false;
}

const std::map<std::string, std::vector<uint8_t>>& HeadlessReplayFiles()
{
    return replayFiles;
}

void HeadlessFailReplayWrites(bool fail)
{
    failReplayWrites = fail;
}

bool PlatformWriteReplay(const char* name, const uint8_t* data, size_t size)
{
    if (failReplayWrites)
        return false;
    replayFiles[name].assign(data, data + size);
    return true;
}

void PlatformListReplays(void (*each)(const char* name, void* context), void* context)
{
    // A copy: `each` may remove files while the list is walked.
    std::vector<std::string> names;
    for (const auto& [name, bytes] : replayFiles)
        names.push_back(name);
    for (const std::string& name : names)
        each(name.c_str(), context);
}

bool PlatformDeleteReplay(const char* name)
{
    return replayFiles.erase(name) == 1;
}

const char* PlatformBackendName()
{
    return "headless";
}
