// The flight log of the test hooks: for each frame shown, the craft's state, and the world whenever it is new, so
// that the recording scripts' player can fly by exact instruments while its keys go through the real window.
// Written here in the header so that the pacer's library, which the backends' own tests link without the game,
// does not carry it.
#pragma once
#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/app_entry.h"

struct FlightLog {
    FILE* file = nullptr;
    char world[80000] = {};
    char lastWorld[sizeof world] = {};
};
inline FlightLog flightLog;

// Opens the log at `path` (null or empty: no log); the backends pass the DRAVOLINEX_FLIGHT_LOG test hook's value.
inline void OpenFlightLog(const char* path)
{
    if (!path || !*path || flightLog.file) return;
    flightLog.file = std::fopen(path, "w");
}

// After a frame was shown: "craft SECONDS x y vx vy angle fuel flying" (SECONDS of a steady clock; flying 1 while
// the craft flies), before it "world ..." when the world changed (see AppDescribeWorld). Nothing without a log.
inline void LogFlightFrame()
{
    FlightLog& log = flightLog;
    if (!log.file) return;
    AppDescribeWorld(log.world, sizeof log.world);
    if (std::strcmp(log.world, log.lastWorld) != 0) {
        std::memcpy(log.lastWorld, log.world, sizeof log.world);
        std::fprintf(log.file, "world %s\n", log.world);
    }
    char craft[200];
    AppDescribeCraft(craft, sizeof craft);
    const double now = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    std::fprintf(log.file, "craft %.3f %s\n", now, craft);
    std::fflush(log.file);
}
