// The Game Feature Settings dialog: who flies, the craft, and the six world options, with the Difficulty
// slider that sets all six at once. Every committed change regenerates the world behind the dialog.
#include <cstdio>
#include <cstring>

#include "resources/commands.h"
#include "sim/options.h"
#include "dialogs/dialogs.h"
#include "dialogs/modal.h"
#include "platform/commands.h"
#include "platform/msgbox.h"
#include "sim/game_state.h"
#include "world/world.h"

void (*optionsChangedHook)() = nullptr;

enum GameSettingsControl {
    SliderPlayer = 1018,
    SliderGameType = 1000,
    SliderDifficulty = 1015,
    SliderRoughness = 1027,
    SliderPlatformSize = 1021,
    SliderFuel = 1024,
    SliderWind = 1014,
    SliderPlanet = 1008,
    SliderVisibility = 1011,
};

static const ControlDef GameSettingsControls[] = {
    {-1, ControlGroupBox, "Player", 0, 7, 7, 68, 53, 0},
    {SliderPlayer, ControlSlider, "", 0, 15, 23, 52, 12, StyleTabStop},
    {1017, ControlIcon, "", 165, 11, 36, 20, 20, 0},
    {-1, ControlIcon, "", 181, 46, 36, 20, 20, 0},

    {-1, ControlGroupBox, "Game Type", 0, 78, 7, 69, 53, 0},
    {SliderGameType, ControlSlider, "", 0, 84, 23, 52, 12, StyleTabStop},
    {-1, ControlIcon, "", 169, 82, 36, 20, 20, 0},
    {-1, ControlIcon, "", 168, 112, 36, 20, 20, 0},

    {-1, ControlGroupBox, "Difficulty", 0, 150, 7, 87, 53, 0},
    {SliderDifficulty, ControlSlider, "", 0, 155, 23, 75, 12, StyleTabStop},
    {-1, ControlIcon, "", 174, 159, 36, 20, 20, 0},
    {-1, ControlIcon, "", 175, 213, 35, 20, 20, 0},

    {-1, ControlGroupBox, "Surface Roughness", 0, 7, 62, 113, 59, 0},
    {SliderRoughness, ControlSlider, "", 0, 17, 76, 93, 12, StyleTabStop},
    {-1, ControlIcon, "", 152, 13, 97, 20, 20, 0},
    {-1, ControlIcon, "", 149, 39, 97, 20, 20, 0},
    {-1, ControlIcon, "", 150, 67, 97, 20, 20, 0},
    {-1, ControlIcon, "", 151, 93, 97, 20, 20, 0},

    {-1, ControlGroupBox, "Platform Size", 0, 124, 62, 113, 59, 0},
    {SliderPlatformSize, ControlSlider, "", 0, 134, 76, 93, 12, StyleTabStop},
    {-1, ControlIcon, "", 153, 130, 97, 20, 20, 0},
    {-1, ControlIcon, "", 154, 156, 97, 20, 20, 0},
    {-1, ControlIcon, "", 155, 184, 97, 20, 20, 0},
    {-1, ControlIcon, "", 156, 210, 97, 20, 20, 0},

    {-1, ControlGroupBox, "Fuel Amount", 0, 7, 123, 113, 59, 0},
    {SliderFuel, ControlSlider, "", 0, 16, 137, 93, 12, StyleTabStop},
    {-1, ControlIcon, "", 173, 12, 158, 20, 20, 0},
    {-1, ControlIcon, "", 172, 39, 158, 20, 20, 0},
    {-1, ControlIcon, "", 171, 66, 158, 20, 20, 0},
    {-1, ControlIcon, "", 170, 93, 158, 20, 20, 0},

    {-1, ControlGroupBox, "Wind", 0, 124, 123, 113, 59, 0},
    {SliderWind, ControlSlider, "", 0, 133, 137, 93, 12, StyleTabStop},
    {-1, ControlIcon, "", 161, 129, 158, 20, 20, 0},
    {-1, ControlIcon, "", 162, 155, 158, 20, 20, 0},
    {-1, ControlIcon, "", 163, 183, 158, 20, 20, 0},
    {-1, ControlIcon, "", 164, 209, 158, 20, 20, 0},

    {-1, ControlGroupBox, "Planet", 0, 7, 185, 113, 59, 0},
    {SliderPlanet, ControlSlider, "", 0, 17, 199, 93, 12, StyleTabStop},
    {-1, ControlIcon, "", 160, 13, 220, 20, 20, 0},
    {-1, ControlIcon, "", 159, 39, 220, 20, 20, 0},
    {-1, ControlIcon, "", 157, 67, 220, 20, 20, 0},
    {-1, ControlIcon, "", 158, 93, 220, 20, 20, 0},

    {-1, ControlGroupBox, "Visibility", 0, 124, 185, 113, 59, 0},
    {SliderVisibility, ControlSlider, "", 0, 134, 199, 93, 12, StyleTabStop},
    {-1, ControlIcon, "", 178, 130, 220, 20, 20, 0},
    {-1, ControlIcon, "", 176, 169, 220, 20, 20, 0},
    {-1, ControlIcon, "", 177, 210, 220, 20, 20, 0},

    // "Exit Game" is a group of its own: the arrow keys, which steer the craft, never move the focus onto it.
    {IdExitGame, ControlButton, "E&xit Game", 0, 7, 252, 50, 14, StyleTabStop | StyleGroupStart},
    {IdViewControlsButton, ControlButton, "View&&&Controls...", 0, 62, 252, 62, 14, StyleTabStop | StyleGroupStart},
    {IdCancel, ControlButton, "Cancel", 0, 130, 252, 50, 14, StyleTabStop},
    {IdOk, ControlDefaultButton, "OK", 0, 187, 252, 50, 14, StyleTabStop},
};

const DialogTemplate GameSettingsTemplate = {
    144, "Game Feature Settings", 244, 273, "MS Shell Dlg", 8, true, 0, 0,
    GameSettingsControls, sizeof GameSettingsControls / sizeof GameSettingsControls[0],
};

// The six world sliders bound to option fields: slider position = value / step, value = position * step.
struct SettingsTrackbar {
    int controlId;
    int32_t GameOptions::*field;
    int32_t minimum, maximum, step;
};

static const SettingsTrackbar SettingsTrackbarTable[] = {
    {SliderRoughness, &GameOptions::surfaceRoughness, 1, 4, 1},
    {SliderPlatformSize, &GameOptions::platformSize, 0, 10, 1},
    {SliderFuel, &GameOptions::fuelAmount, 25, 100, 25},
    {SliderWind, &GameOptions::windStrength, 0, 100, 33},
    {SliderPlanet, &GameOptions::planet, 0, 3, 1},
    {SliderVisibility, &GameOptions::visibility, 0, 100, 50},
};

void ApplyDifficulty(int p)
{
    if (p < 0)
        p = 0;
    if (p > 100)
        p = 100;
    GameOptions& o = gameOptions;
    o.difficulty = p;
    o.fuelAmount = 25 * (p / 21 + 1);
    o.planet = static_cast<int32_t>(p / 25.1);
    o.platformSize = static_cast<int32_t>(p / 9.2);
    o.surfaceRoughness = 1 + static_cast<int32_t>(p / 25.1);
    o.visibility = 50 * (p / 50);
    o.windStrength = 33 * (p / 40);
}

// Sets all nine sliders from the options. A fuel setting of 125 shows as the slider's last position.
static void ShowSettingsPositions(Dialog* dialog)
{
    DialogSetSliderPos(dialog, SliderDifficulty, gameOptions.difficulty);
    DialogSetSliderPos(dialog, SliderGameType, gameOptions.gameType);
    DialogSetSliderPos(dialog, SliderPlayer, gameOptions.player);
    for (const SettingsTrackbar& row : SettingsTrackbarTable) {
        int position = gameOptions.*row.field / row.step;
        int last = row.maximum / row.step;
        if (position > last)
            position = last;
        DialogSetSliderPos(dialog, row.controlId, position);
    }
}

void CallOptionsChangedHook()
{
    if (optionsChangedHook)
        optionsChangedHook();
}

static const SettingsTrackbar* FindSettingsTrackbar(int controlId)
{
    for (const SettingsTrackbar& row : SettingsTrackbarTable)
        if (row.controlId == controlId)
            return &row;
    return nullptr;
}

static void InitGameSettings(Dialog* dialog)
{
    DialogSetSliderRange(dialog, SliderPlayer, 0, 1);
    DialogSetSliderTicks(dialog, SliderPlayer, 1);
    DialogSetSliderRange(dialog, SliderGameType, 0, 1);
    DialogSetSliderTicks(dialog, SliderGameType, 1);
    DialogSetSliderRange(dialog, SliderDifficulty, 0, 100);
    DialogSetSliderTicks(dialog, SliderDifficulty, 10);
    for (const SettingsTrackbar& row : SettingsTrackbarTable) {
        DialogSetSliderRange(dialog, row.controlId, row.minimum / row.step, row.maximum / row.step);
        DialogSetSliderTicks(dialog, row.controlId, 1);
    }
    ShowSettingsPositions(dialog);
}

static bool OnGameSettingsSlider(Dialog* dialog, int controlId, int code)
{
    bool endTrack = code == SliderEndTrack;
    if (controlId == SliderDifficulty) {
        // The six world sliders follow the drag; the world is rebuilt once, on release.
        ApplyDifficulty(DialogGetSliderPos(dialog, SliderDifficulty));
        ShowSettingsPositions(dialog);
        if (endTrack)
            CallOptionsChangedHook();
        return true;
    }
    if (!endTrack)
        return false;
    if (controlId == SliderGameType) {
        gameOptions.gameType = DialogGetSliderPos(dialog, SliderGameType);
    } else if (controlId == SliderPlayer) {
        gameOptions.player = DialogGetSliderPos(dialog, SliderPlayer);
    } else if (const SettingsTrackbar* row = FindSettingsTrackbar(controlId)) {
        gameOptions.*row->field = DialogGetSliderPos(dialog, controlId) * row->step;
    } else {
        return false;
    }
    CallOptionsChangedHook();
    return true;
}

static bool GameSettingsProc(Dialog* dialog, DialogEvent event, int controlId, int code)
{
    switch (event) {
    case DialogInit:
        InitGameSettings(dialog);
        return true;
    case DialogSlider:
        return OnGameSettingsSlider(dialog, controlId, code);
    case DialogCommand:
        if (controlId == IdOk || controlId == IdCancel || controlId == IdExitGame ||
            controlId == IdViewControlsButton) {
            DialogEnd(dialog, controlId);
            return true;
        }
        return false;
    }
    return false;
}

int ReportDialogFailure()
{
    int code = PlatformLastError();
    char text[512];
    std::snprintf(text, sizeof text, "DialogBox failed with error %d: %s", code, PlatformErrorText(code));
    PlatformErrorBox(text, "Error");
    return code;
}

int RunSettingsDialog(const DialogTemplate& tmpl, DialogProc proc, int otherButton, int otherCommand,
                      bool failureEnds)
{
    GameOptions before;
    std::memcpy(&before, &gameOptions, sizeof before);
    optionsChangedHook = RegenerateWorld;
    gameState.halted = true;

    int result = RunModalDialog(tmpl, proc);
    if (result == -1) {
        int code = ReportDialogFailure();
        if (failureEnds)
            PlatformExitProcess(code);
        return result;
    }
    if (result == IdOk) {
        if (std::memcmp(&before, &gameOptions, sizeof before) == 0)
            return IdCancel;
        SaveOptions();
        return IdOk;
    }
    if (result == IdExitGame) {
        PlatformSendCommand(CmdExit);
        return IdExitGame;
    }
    if (result == otherButton)
        PlatformPostCommand(otherCommand);
    // Cancel keeps whatever the controls changed while the dialog was open.
    return result;
}

int RunGameSettingsDialog()
{
    // Without this dialog no game can start: a failure to create it ends the program.
    return RunSettingsDialog(GameSettingsTemplate, GameSettingsProc, IdViewControlsButton, CmdViewControls, true);
}
