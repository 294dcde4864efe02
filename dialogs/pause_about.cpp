// The Game Paused dialog, where every pause ends, and the About box.
#include "dialogs/dialogs.h"
#include "dialogs/modal.h"
#include "resources/shell_tables.h"
#include "sim/game_state.h"

// The system's stock information icon; backends show their own for it.
constexpr int IconSystemInformation = 32516;

static const ControlDef PauseControls[] = {
    {IdOk, ControlDefaultButton, "Continue", 0, 70, 34, 50, 14, StyleTabStop},
    {-1, ControlLabel, "Game is being paused. Click the button bellow to continue.", 0, 47, 7, 132, 24, 0},
    {-1, ControlIcon, "", IconSystemInformation, 7, 7, 20, 20, 0},
};

const DialogTemplate PauseTemplate = {
    166, "Game Paused", 186, 55, "MS Shell Dlg", 8, true, 0, 0,
    PauseControls, sizeof PauseControls / sizeof PauseControls[0],
};

static const ControlDef AboutControls[] = {
    {2, ControlIcon, "", IconProgram, 14, 9, 16, 16, 0},
    {-1, ControlLabel, "Dravolinex Version 1.0", 0, 49, 10, 119, 8, StyleNoPrefix},
    {IdOk, ControlDefaultButton, "OK", 0, 195, 6, 30, 11, StyleTabStop},
};

// Not centred: it opens at (22, 17) relative to the main window.
const DialogTemplate AboutTemplate = {
    103, "About", 230, 75, "System", 8, false, 22, 17,
    AboutControls, sizeof AboutControls / sizeof AboutControls[0],
};

// Both boxes end on OK/Continue or Cancel (Escape, the close box).
static bool SimpleBoxProc(Dialog* dialog, DialogEvent event, int controlId, int)
{
    if (event == DialogInit)
        return true;
    if (event == DialogCommand && (controlId == IdOk || controlId == IdCancel)) {
        DialogEnd(dialog, controlId);
        return true;
    }
    return false;
}

int RunPauseDialog()
{
    gameState.halted = true;
    int result = RunModalDialog(PauseTemplate, SimpleBoxProc);
    gameState.halted = false;
    return result;
}

int RunAboutDialog()
{
    // The round goes on behind the About box.
    return RunModalDialog(AboutTemplate, SimpleBoxProc);
}
