// Playing a replay file back through the game: the recorded round's start is put in force and its world built,
// then the recorded deliveries reach the game's handlers in their order and the taps are answered from the log.
// A headless driver runs it to the end at once; the window plays one 10 ms slice per tick of its clock.
#pragma once
#include <cstdint>
#include <string>

#include "replay/replay_file.h"

enum ReplayState { ReplayIdle, ReplayPlaying, ReplayFinished, ReplayFailed };

struct ReplayReport {
    ReplayState state = ReplayIdle;
    std::string error;      // why it failed: one line
    uint32_t events = 0;    // events taken from the log (the same count as the file states when it ends)
    uint32_t flightSteps = 0;
    uint32_t frames = 0;
    uint64_t frameChain = 0;
    int32_t outcome = 0, score = 0;
    std::string title, message, details;
    bool matched = false;   // the verdict, score, steps, final craft and every frame hash are the recorded ones
    std::string mismatch;   // the first difference, when not matched
    uint32_t firstFrameDifference = 0; // 1-based checkpoint frame where the hashes first differ; 0 none
};

// Reads a replay file into the player; false with `error` in one line when it is refused.
bool LoadReplay(const uint8_t* data, size_t size, std::string& error);
const ReplayFile& LoadedReplay();
// Puts the loaded replay's start in force and builds its world. `setClient`, when given, sets the window's client
// size to the recorded one (and to each recorded change); `onFrame`, when given, sees every composed frame.
void BeginReplay(void (*setClient)(int width, int height), void (*onFrame)(uint32_t frameNumber));
// Delivers the recorded events up to and including the next simulation step (10 ms of the flight), or once the
// steps have stopped (the craft is down) up to the next repaint (50 ms); `elapsedMs` tells which. False once the
// replay has finished or failed.
bool AdvanceReplay(int* elapsedMs = nullptr);
// Runs the replay to its end.
void RunReplay();
const ReplayReport& ReplayResult();
// Gives the taps and the new-game hook back.
void EndReplay();
