// Naming and keeping replay files.
#include "replay/replay_keep.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/replay_store.h"
#include "replay/replay_file.h"
#include "sim/game_state.h"

namespace {

const char* const OutcomeNames[] = {"unfinished", "landed", "crashed", "edge-tip", "speed-tip", "roll-tip"};

bool AllDigits(const std::string& text, size_t from, size_t count)
{
    if (from + count > text.size())
        return false;
    for (size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

} // namespace

std::string ReplayFileName(int64_t recordedAt, int planet, int gameType, int outcome, int score)
{
    std::time_t when = static_cast<std::time_t>(recordedAt);
    std::tm local{};
    if (const std::tm* t = std::localtime(&when))
        local = *t;
    const char* planetName = PlanetTable[planet >= 0 && planet < 4 ? planet : 0].name;
    char name[160];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d_%02d-%02d-%02d_%s_%s_%s_%d%s", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, planetName,
                  gameType == 1 ? "legged" : "rocket", OutcomeNames[outcome >= 0 && outcome <= 5 ? outcome : 0],
                  score, ReplayExtension);
    return name;
}

bool ReplayNameScore(const std::string& name, int* score)
{
    const size_t extension = std::strlen(ReplayExtension);
    // The date and time the game writes first: YYYY-MM-DD_hh-mm-ss_
    if (name.size() <= 20 + extension || name.compare(name.size() - extension, extension, ReplayExtension) != 0 ||
        !AllDigits(name, 0, 4) || name[4] != '-' || !AllDigits(name, 5, 2) || name[7] != '-' ||
        !AllDigits(name, 8, 2) || name[10] != '_' || !AllDigits(name, 11, 2) || name[13] != '-' ||
        !AllDigits(name, 14, 2) || name[16] != '-' || !AllDigits(name, 17, 2) || name[19] != '_')
        return false;
    const size_t end = name.size() - extension;
    size_t start = name.rfind('_', end - 1);
    if (start == std::string::npos || start < 19)
        return false;
    ++start;
    bool negative = start < end && name[start] == '-';
    if (negative)
        ++start;
    if (start == end || end - start > 9 || !AllDigits(name, start, end - start))
        return false;
    int value = std::atoi(name.c_str() + start);
    *score = negative ? -value : value;
    return true;
}

std::vector<std::string> ReplaysToRemove(std::vector<std::string> names)
{
    struct Kept {
        std::string name;
        int score;
        bool keep;
    };
    std::vector<Kept> ours;
    for (std::string& name : names) {
        int score = 0;
        if (ReplayNameScore(name, &score))
            ours.push_back({std::move(name), score, false});
    }
    // Newest first: the names begin with the date and time.
    std::sort(ours.begin(), ours.end(), [](const Kept& a, const Kept& b) { return a.name > b.name; });
    for (size_t i = 0; i < ours.size() && i < KeepLatestReplays; ++i)
        ours[i].keep = true;
    std::vector<size_t> byScore(ours.size());
    for (size_t i = 0; i < ours.size(); ++i)
        byScore[i] = i;
    // Best first; of equal scores the newer.
    std::stable_sort(byScore.begin(), byScore.end(),
                     [&](size_t a, size_t b) { return ours[a].score > ours[b].score; });
    for (size_t i = 0; i < byScore.size() && i < KeepBestReplays; ++i)
        ours[byScore[i]].keep = true;
    std::vector<std::string> remove;
    for (const Kept& k : ours)
        if (!k.keep)
            remove.push_back(k.name);
    return remove;
}

bool KeepReplay(const std::string& name, const std::vector<uint8_t>& bytes)
{
    if (!PlatformWriteReplay(name.c_str(), bytes.data(), bytes.size()))
        return false;
    std::vector<std::string> names;
    PlatformListReplays([](const char* each, void* list) { static_cast<std::vector<std::string>*>(list)->push_back(each); },
                        &names);
    for (const std::string& old : ReplaysToRemove(names))
        PlatformDeleteReplay(old.c_str());
    return true;
}
