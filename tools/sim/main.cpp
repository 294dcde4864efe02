// dravolinex-sim: worlds and flights of the game from a seed, one JSON object per run.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/shell.h"
#include "dialogs/dialogs.h"
#include "tools/sim/sim.h"
#include "world/world.h"

bool SnapshotAvailable();

static int Fail(const std::string& message)
{
    std::string line = message;
    for (char& ch : line)
        if (ch == '\n' || ch == '\r')
            ch = ' ';
    std::fprintf(stderr, "dravolinex-sim: %s\n", line.c_str());
    return 2;
}

// Anything still buffered must reach the output too: a full disk is a failure, not a success.
static int FinishOutput(int status)
{
    if (std::fflush(stdout) != 0 || !std::cout.flush())
        return Fail(std::string("cannot write the output: ") + std::strerror(errno));
    return status;
}

int main(int argc, char** argv)
{
    CLI::App app{"Worlds and flights of Dravolinex from a seed, headlessly; one JSON object per run."};
    SimSettings settings;
    std::string client = "640x480";
    int difficulty = -1;
    std::vector<std::string> sets;
    std::string scriptPath;
    std::string maxSteps, snapshotStep;
    int jobs = DefaultJobCount();
    app.add_option("--seed", settings.seed, "seed of the first run (default 1)");
    app.add_option("--runs", settings.runs, "number of runs, seeds N, N+1, ...")->check(CLI::Range(1u, 100000000u));
    app.add_option("--client", client, "client size WxH of the main window, at most 16384 a side (default 640x480)");
    app.add_option("--difficulty", difficulty, "apply the Difficulty slider at P")->check(CLI::Range(0, 100));
    app.add_option("--set", sets, "FIELD=VALUE of the options record, in order")->allow_extra_args(false);
    app.add_option("--script", scriptPath, "the human pilot's demands: lines STEP THRUST LEFT RIGHT");
    app.add_option("--max-steps", maxSteps, "longest flight in steps (default 100000)");
    app.add_option("--jobs", jobs, "worker processes sharing the runs (default: the number of cores)")
        ->check(CLI::Range(1, 1024));
    app.add_flag("--world", settings.world, "print the world's tables");
    app.add_flag("--trace", settings.trace, "print the craft after every step");
    app.add_flag("--paint", settings.paint,
                 "fly under the game's timers, composing a frame at every repaint (the desktop game's flight)");
    app.add_option("--snapshot", settings.snapshotPath, "write the first run's client picture as PNG");
    app.add_option("--snapshot-step", snapshotStep, "take the snapshot after step K (default: last)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return FinishOutput(app.exit(e));
    } catch (const CLI::ParseError& e) {
        return Fail(e.what());
    }

    std::string error;
    if (!ParseClientSize(client, settings.clientWidth, settings.clientHeight, error))
        return Fail(error);
    if (app.count("--max-steps") && !ParseStepNumber("--max-steps", maxSteps, settings.maxSteps, error))
        return Fail(error);
    if (app.count("--snapshot-step") &&
        !ParseStepNumber("--snapshot-step", snapshotStep, settings.snapshotStep, error))
        return Fail(error);
    if (app.count("--snapshot") && settings.snapshotPath.empty())
        return Fail("--snapshot: the file name is empty");

    // The options of a first run, then the Difficulty slider, then each --set in order.
    gameOptions = {};
    SetDefaultOptions();
    if (difficulty >= 0)
        ApplyDifficulty(difficulty);
    for (const std::string& assignment : sets) {
        std::string::size_type eq = assignment.find('=');
        if (eq == std::string::npos)
            return Fail("--set: expected FIELD=VALUE, got '" + assignment + "'");
        if (!SetOptionField(gameOptions, assignment.substr(0, eq), assignment.substr(eq + 1), error))
            return Fail(error);
    }
    if ((gameOptions.gameWidth == 0) != (gameOptions.gameHeight == 0))
        return Fail("--set: gameWidth and gameHeight must both be 0 (the client size) or both 16..5000");
    settings.options = gameOptions;

    if (!scriptPath.empty() && !ReadScript(scriptPath, settings.script, error))
        return Fail(error);
    if (!settings.snapshotPath.empty() && !SnapshotAvailable())
        return Fail("--snapshot: not available in this build");

    PrepareSimulator(settings);
    if (!RunFlights(settings, jobs, error))
        return error.empty() ? 2 : Fail(error);
    FinishSimulator();
    return FinishOutput(0);
}
