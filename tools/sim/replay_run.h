// The simulator's replay modes.
#pragma once
#include <cstdint>
#include <string>

#include "tools/sim/sim.h"

// Template ids of the dialogs the recording answers.
constexpr int GameSettingsDialogId = 144;
constexpr int PauseDialogId = 166;

// How the recorded game is played besides the pilot's demands: how long the settings dialog and the pause before
// the flight stay open, and one pause in mid-flight.
struct RecordPlan {
    uint64_t settingsMs = 700;
    uint64_t pauseMs = 1300;
    int64_t pauseAtStep = 0; // 0: no pause in flight
    uint64_t midPauseMs = 2000;
};

// Replays `path` headlessly and prints its JSON; every composed frame goes into `frames` as a PNG when it is not
// empty. Returns the exit code: 0 matched, 1 finished but different from the recording, 2 refused (with `error`).
int ReplayFileToJson(const std::string& path, const std::string& frames, std::string& error);
// Plays the whole game on the headless window (seeded by `settings.seed`, its options, the script's demands as
// keys) until the first verdict and writes the recorded replay to `path`.
bool RecordReplayFile(const SimSettings& settings, const RecordPlan& plan, const std::string& path,
                      std::string& error);
