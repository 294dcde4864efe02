// The View & Controls Settings dialog: playfield size, zoom, control device and the two control flips,
// with a text that always describes the resulting controls in words.
#include <cstdio>

#include "resources/commands.h"
#include "sim/options.h"
#include "dialogs/dialogs.h"
#include "io/input.h"
#include "platform/window.h"

enum ViewControlsControl {
    RadioSize320 = 1021,
    RadioSize640 = 1022,
    RadioSize800 = 1023,
    RadioSize1024 = 1024,
    RadioFullWindow = 1025,
    RadioZoomHalf = 1032,
    RadioZoomActual = 1026,
    RadioZoomDouble = 1027,
    RadioZoomBestFit = 1028,
    RadioZoomFullScreen = 1031,
    SliderInputDevice = 1020,
    CheckFlipHorizontal = 1019,
    CheckFlipVertical = 1018,
    TextControls = 1030,
};

static const ControlDef ViewControlsControls[] = {
    {-1, ControlGroupBox, " View ", 0, 9, 7, 164, 89, 0},
    {-1, ControlLabel, "Game Size", 0, 17, 18, 43, 8, 0},
    {RadioSize320, ControlRadio, "&320x200", 0, 24, 31, 44, 10, StyleGroupStart | StyleTabStop},
    {RadioSize640, ControlRadio, "&640x480", 0, 24, 43, 44, 10, 0},
    {RadioSize800, ControlRadio, "&800x600", 0, 24, 55, 44, 10, 0},
    {RadioSize1024, ControlRadio, "102&4x768", 0, 24, 67, 48, 10, 0},
    {RadioFullWindow, ControlRadio, "&Full Window Size", 0, 24, 79, 69, 10, 0},
    {-1, ControlLabel, "Zoom", 0, 104, 18, 43, 8, 0},
    {RadioZoomHalf, ControlRadio, "1&/2x", 0, 111, 32, 31, 10, StyleGroupStart | StyleTabStop},
    {RadioZoomActual, ControlRadio, "&1x", 0, 111, 43, 24, 10, 0},
    {RadioZoomDouble, ControlRadio, "&2x", 0, 111, 55, 24, 10, 0},
    {RadioZoomBestFit, ControlRadio, "&Best Fit", 0, 111, 67, 40, 10, 0},
    {RadioZoomFullScreen, ControlRadio, "Full &Screen", 0, 111, 79, 51, 10, 0},
    {-1, ControlGroupBox, "Controls ", 0, 9, 98, 164, 104, 0},
    {SliderInputDevice, ControlSlider, "", 0, 19, 109, 48, 12, StyleTabStop},
    {-1, ControlIcon, "", 166, 13, 121, 20, 20, 0},
    {JoystickStatusControl, ControlIcon, "", IconJoystick, 49, 120, 20, 20, 0},
    {CheckFlipHorizontal, ControlCheckBox, "Flip &Horizontal Controls", 0, 79, 110, 94, 10,
     StyleGroupStart | StyleTabStop},
    {CheckFlipVertical, ControlCheckBox, "Flip &Vertical Controls", 0, 79, 126, 94, 10, StyleTabStop},
    {TextControls, ControlLabel, "Static", 0, 16, 145, 150, 50, StyleSunken},
    {IdGameSettingsButton, ControlButton, "&Game Feature Settings...", 0, 9, 207, 95, 14, StyleTabStop},
    // "Exit Game" is a group of its own: the arrow keys, which steer the craft, never move the focus onto it.
    {IdExitGame, ControlButton, "E&xit Game", 0, 9, 230, 50, 14, StyleTabStop | StyleGroupStart},
    {IdCancel, ControlButton, "Cancel", 0, 66, 230, 50, 14, StyleTabStop | StyleGroupStart},
    {IdOk, ControlDefaultButton, "OK", 0, 123, 230, 50, 14, StyleTabStop},
};

const DialogTemplate ViewControlsTemplate = {
    165, "View & Controls Settings", 180, 251, "MS Shell Dlg", 8, true, 0, 0,
    ViewControlsControls, sizeof ViewControlsControls / sizeof ViewControlsControls[0],
};

struct GameSizeChoice {
    int controlId;
    int32_t width, height;
};
static const GameSizeChoice FixedGameSizes[] = {
    {RadioSize320, 320, 200},
    {RadioSize640, 640, 480},
    {RadioSize800, 800, 600},
    {RadioSize1024, 1024, 768},
};

struct ZoomChoice {
    int controlId;
    int32_t zoom;
};
static const ZoomChoice ZoomChoices[] = {
    {RadioZoomHalf, -2}, {RadioZoomActual, 1}, {RadioZoomDouble, 2}, {RadioZoomFullScreen, -1}, {RadioZoomBestFit, 0},
};

void FormatControlsDescription(char* buffer, int size)
{
    const GameOptions& o = gameOptions;
    const char* device;
    const char* up;
    const char* left;
    const char* right;
    if (o.inputDevice == 0) {
        // The keyboard's thrust key is never flipped.
        device = "Keyboard";
        up = "Space";
        left = o.flipHorizontal ? "Right Arrow" : "Left Arrow";
        right = o.flipHorizontal ? "Left Arrow" : "Right Arrow";
    } else {
        device = "Joystick";
        up = o.flipVertical ? "Joystick Down" : "Joystick Up";
        left = o.flipHorizontal ? "Joystick Right" : "Joystick Left";
        right = o.flipHorizontal ? "Joystick Left" : "Joystick Right";
    }
    std::snprintf(buffer, size, "You are playing using the %s.\nControls are:\n\tUp: %s\n\tLeft: %s\n\tRight: %s",
                  device, up, left, right);
}

static void DescribeControls(Dialog* dialog)
{
    char text[256];
    FormatControlsDescription(text, sizeof text);
    DialogSetText(dialog, TextControls, text);
}

static void InitViewControls(Dialog* dialog)
{
    DialogSetIcon(dialog, JoystickStatusControl, joystickAvailable ? IconJoystick : IconNoJoystick);

    DialogSetSliderRange(dialog, SliderInputDevice, 0, 1);
    DialogSetSliderTicks(dialog, SliderInputDevice, 1);
    DialogSetSliderPos(dialog, SliderInputDevice, gameOptions.inputDevice);

    DialogSetCheck(dialog, CheckFlipVertical, gameOptions.flipVertical != 0);
    DialogSetCheck(dialog, CheckFlipHorizontal, gameOptions.flipHorizontal != 0);

    // Any size that is none of the four fixed ones (also "no size chosen yet") is the window's size.
    bool fixedSize = false;
    for (const GameSizeChoice& size : FixedGameSizes) {
        bool chosen = gameOptions.gameWidth == size.width && gameOptions.gameHeight == size.height;
        DialogSetCheck(dialog, size.controlId, chosen);
        fixedSize = fixedSize || chosen;
    }
    DialogSetCheck(dialog, RadioFullWindow, !fixedSize);

    for (const ZoomChoice& choice : ZoomChoices)
        DialogSetCheck(dialog, choice.controlId, gameOptions.zoom == choice.zoom);

    DescribeControls(dialog);
}

// The playfield size that "Full Window Size" stands for: the client size within the playfield's limits.
static void FullWindowGameSize(int32_t* width, int32_t* height)
{
    int clientWidth = 0, clientHeight = 0;
    PlatformGetClientSize(&clientWidth, &clientHeight);
    PlayfieldSizeFromClient(clientWidth, clientHeight, width, height);
}

static void SetGameSize(int32_t width, int32_t height)
{
    if (gameOptions.gameWidth == width && gameOptions.gameHeight == height)
        return;
    gameOptions.gameWidth = width;
    gameOptions.gameHeight = height;
    CallOptionsChangedHook();
}

static void OnViewControlsClick(Dialog* dialog, int controlId)
{
    if (controlId == CheckFlipHorizontal) {
        gameOptions.flipHorizontal = DialogGetCheck(dialog, CheckFlipHorizontal) ? 1 : 0;
        return;
    }
    if (controlId == CheckFlipVertical) {
        gameOptions.flipVertical = DialogGetCheck(dialog, CheckFlipVertical) ? 1 : 0;
        return;
    }
    for (const GameSizeChoice& size : FixedGameSizes) {
        if (controlId == size.controlId) {
            SetGameSize(size.width, size.height);
            return;
        }
    }
    if (controlId == RadioFullWindow) {
        int32_t width, height;
        FullWindowGameSize(&width, &height);
        SetGameSize(width, height);
        return;
    }
    for (const ZoomChoice& choice : ZoomChoices) {
        if (controlId == choice.controlId) {
            if (gameOptions.zoom != choice.zoom) {
                gameOptions.zoom = choice.zoom;
                CallOptionsChangedHook();
            }
            return;
        }
    }
}

static bool OnViewControlsSlider(Dialog* dialog, int controlId, int code)
{
    if (controlId == SliderInputDevice && code == SliderEndTrack) {
        int position = DialogGetSliderPos(dialog, SliderInputDevice);
        if (!joystickAvailable && position == 1) {
            // No joystick to play with: the slider snaps back and nothing changes.
            DialogSetSliderPos(dialog, SliderInputDevice, 0);
            return true;
        }
        gameOptions.inputDevice = position;
    }
    DescribeControls(dialog);
    return true;
}

static bool ViewControlsProc(Dialog* dialog, DialogEvent event, int controlId, int code)
{
    switch (event) {
    case DialogInit:
        InitViewControls(dialog);
        return true;
    case DialogSlider:
        return OnViewControlsSlider(dialog, controlId, code);
    case DialogCommand:
        if (controlId == IdOk || controlId == IdCancel || controlId == IdExitGame ||
            controlId == IdGameSettingsButton) {
            DialogEnd(dialog, controlId);
            return true;
        }
        if (code == ButtonClicked)
            OnViewControlsClick(dialog, controlId);
        DescribeControls(dialog);
        return false;
    }
    return false;
}

int RunViewControlsDialog()
{
    // A failure is reported but the program goes on, still paused: the Pause command resumes the game.
    return RunSettingsDialog(ViewControlsTemplate, ViewControlsProc, IdGameSettingsButton, CmdGameSettings, false);
}
