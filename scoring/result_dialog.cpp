// The landing result dialog: the verdict in the caption, the message on top and the score breakdown below,
// placed in the playfield's top-right corner.
#include "scoring/result_dialog.h"

#include <algorithm>
#include <cstdint>

#include "resources/commands.h"
#include "dialogs/modal.h"
#include "platform/commands.h"
#include "platform/window.h"

enum ResultControl {
    IconMoon = 1005,
    IconRocket = 1006,
    TextMessage = 1003,
    TextDetails = 1004,
};

static const ControlDef ResultControls[] = {
    {IconMoon, ControlIcon, "", 160, 13, 19, 21, 20, 0},
    {IconRocket, ControlIcon, "", 169, 15, 7, 21, 20, 0},
    {TextMessage, ControlLabel, "Sorry you blew up!", 0, 41, 7, 151, 35, StyleCentred | StyleGroupStart},
    {TextDetails, ControlLabel, "DETAILS", 0, 18, 46, 196, 143, StyleSunken | StyleGroupStart},
    // Each button is a group of its own: the arrow keys, which steer the craft, never move the focus from OK to
    // "Exit Game" (Tab, the mouse and Alt+X still reach it).
    {IdOk, ControlDefaultButton, "OK", 0, 164, 196, 50, 14, StyleTabStop | StyleGroupStart},
    {IdExitGame, ControlButton, "E&xit Game", 0, 7, 196, 50, 14, StyleTabStop | StyleGroupStart},
};

const DialogTemplate ResultDialogTemplate = {
    164, "X", 221, 217, "MS Shell Dlg", 8, true, 0, 0,
    ResultControls, sizeof ResultControls / sizeof ResultControls[0],
};

// The caller's texts, valid while the dialog is open.
static const char* resultTitle = "";
static const char* resultDetails = "";
static const char* resultMessage = "";

static bool ResultDialogProc(Dialog* dialog, DialogEvent event, int controlId, int)
{
    if (event == DialogInit) {
        DialogSetText(dialog, TextDetails, resultDetails);
        DialogSetCaption(dialog, resultTitle);
        DialogSetText(dialog, TextMessage, resultMessage);
        // Right edge flush with the client area's right edge, top with its top (even left of a narrow window's client
        // area); the backend keeps it on the monitor when that corner is not (a window partly off the screen or
        // minimised), so the verdict is always in sight.
        ScreenRect client = PlatformGetClientScreenRect();
        ScreenRect own = DialogGetRect(dialog);
        // Wide arithmetic: a window stored at the far edge of the screen's coordinates must not overflow.
        const int64_t left = int64_t{client.right} - (int64_t{own.right} - own.left);
        DialogMove(dialog, static_cast<int>(std::max<int64_t>(left, INT32_MIN)), client.top);
        return true;
    }
    if (event == DialogCommand && (controlId == IdOk || controlId == IdCancel || controlId == IdExitGame)) {
        DialogEnd(dialog, controlId);
        return true;
    }
    return false;
}

int ShowLandingResult(const char* title, const char* details, const char* message)
{
    resultTitle = title ? title : "";
    resultDetails = details ? details : "";
    resultMessage = message ? message : "";
    int result = RunModalDialog(ResultDialogTemplate, ResultDialogProc);
    if (result == IdExitGame)
        PlatformSendCommand(CmdExit);
    return result;
}
