// Command ids of the main window's menu, accelerators and dialogs.
#pragma once

enum CommandId {
    CmdAbout = 104,
    CmdExit = 105,
    CmdNewGame = 32771,
    CmdLandingChallenge = 32774,
    CmdRocketLifter = 32775,
    CmdLandingPractice = 32807,
    CmdGameSettings = 32814,
    CmdPause = 32815,
    CmdViewControls = 32820,
    CmdLeaveReplay = 32830, // Escape: leaves a replay being watched (nothing in a game)
};

// Dialog end codes beyond OK (1) and Cancel (2).
constexpr int IdExitGame = 3;
constexpr int IdViewControlsButton = 4;
constexpr int IdGameSettingsButton = 1029;
