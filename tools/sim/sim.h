// dravolinex-sim: reproduces worlds and flights from a seed, headlessly, and prints them as JSON.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/options.h"
#include "sim/tick.h"

// The demands of a scripted human pilot from a step on.
struct ScriptLine {
    int64_t step;
    int32_t thrust, left, right;
};

struct SimSettings {
    uint32_t seed = 1;
    uint32_t runs = 1;
    int clientWidth = 640, clientHeight = 480;
    GameOptions options{};
    std::vector<ScriptLine> script;
    int64_t maxSteps = 100000;
    bool world = false;
    bool trace = false;
    // Fly under the game's own timers on the virtual clock: a frame composed at every 50 ms repaint (after
    // every fifth step), with its flame and dust draws, and the stars, meteor and end animations between.
    // Off: physics only, a flight record written after every fifth step and no other draws.
    bool paint = false;
    std::string snapshotPath; // empty: no snapshot
    int64_t snapshotStep = -1; // -1: after the last step
};

// Sets one GameOptions field by name from a decimal text; false with `error` naming the problem.
bool SetOptionField(GameOptions& options, const std::string& field, const std::string& text, std::string& error);
// The options record's fields by name, in record order.
struct OptionField {
    const char* name;
    int32_t GameOptions::*word; // null for the two flip bytes
    uint8_t GameOptions::*byte;
};
extern const OptionField OptionFields[16];
int32_t OptionValue(const GameOptions& options, const OptionField& field);

// The largest client area the simulator accepts: what a screen can show, 16384 a side and 64 Mi pixels in all.
constexpr int MaxClientSide = 16384;
constexpr int64_t MaxClientPixels = int64_t{1} << 26;
// Reads "WxH" (decimal, 0 for a minimised window) within those limits; false with `error` saying why.
bool ParseClientSize(const std::string& text, int& width, int& height, std::string& error);
// Reads a step number of `option`: decimal digits only, 0..INT64_MAX; false with `error` saying why.
bool ParseStepNumber(const std::string& option, const std::string& text, int64_t& value, std::string& error);

// The largest pilot script read, and its longest line (a script has a line per change of the demands).
constexpr size_t MaxScriptBytes = 16u << 20;
constexpr size_t MaxScriptLineBytes = 4096;
// Reads a pilot script (a regular file within those bounds); false with `error` naming the file and line.
bool ReadScript(const std::string& path, std::vector<ScriptLine>& script, std::string& error);

// Prepares the headless window and the game's pictures once.
void PrepareSimulator(const SimSettings& settings);
// Releases the pictures and the scene, as the game does at exit.
void FinishSimulator();
// Runs one flight from `seed` and prints its JSON object on one line of standard output; false with
// `error` when a snapshot could not be written.
bool RunFlight(const SimSettings& settings, uint32_t seed, bool takeSnapshot, std::string& error);

// Flying under the game's own timers (--paint). Begin takes over the headless window's deliveries: every timer but
// the step runs as in the game. Each step then moves the clock to the next simulation step, which takes `input`;
// what falls due meanwhile or with it fires in the game's order (the 50 ms repaint composes a frame after every
// fifth step). End lets a finished flight's end animations run to the verdict, then gives the deliveries back and
// stops the round's timers, so that the next run starts as a newly started program does.
void BeginTimedFlight();
void StepUnderTimers(const ControlInput& input);
void EndTimedFlight();
// Writes `line` and a newline to standard output; false with `error` saying why when not all of it was written.
bool PrintLine(const std::string& line, std::string& error);
// The number of cores this process may run on.
int DefaultJobCount();
// Flies every run of `settings`, spread over `jobs` worker processes, printing in seed order; false at
// the first failing run, with `error` naming it (empty when the failure has already been reported).
bool RunFlights(const SimSettings& settings, int jobs, std::string& error);
