#include "platform/common/flight_log.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/app_entry.h"

namespace {

FILE* flightLog = nullptr;
char worldText[80000];
char lastWorldText[sizeof worldText];

} // namespace

void OpenFlightLog(const char* path)
{
    if (!path || !*path || flightLog) return;
    flightLog = std::fopen(path, "w");
    if (flightLog) std::setvbuf(flightLog, nullptr, _IOLBF, 1024);
}

void LogFlightFrame()
{
    if (!flightLog) return;
    AppDescribeWorld(worldText, sizeof worldText);
    if (std::strcmp(worldText, lastWorldText) != 0) {
        std::memcpy(lastWorldText, worldText, sizeof worldText);
        std::fprintf(flightLog, "world %s\n", worldText);
    }
    char craft[200];
    AppDescribeCraft(craft, sizeof craft);
    const double now = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    std::fprintf(flightLog, "craft %.3f %s\n", now, craft);
    std::fflush(flightLog);
}
