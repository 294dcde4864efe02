// Modal dialogs built from control tables, and the control API their procedures use.
#pragma once
#include "platform/window.h"

enum ControlKind {
    ControlGroupBox,      // frame with a caption around a group of controls
    ControlLabel,         // static text
    ControlIcon,          // static picture of icon resource `iconId`
    ControlSlider,        // horizontal slider, ticks drawn below
    ControlRadio,         // auto radio button: a click checks it and unchecks the rest of its group
    ControlCheckBox,      // auto check box: a click toggles it
    ControlButton,        // push button
    ControlDefaultButton, // push button chosen by Return
};

// Style flags of a control.
constexpr unsigned StyleGroupStart = 0x01; // first control of a radio group
constexpr unsigned StyleCentred = 0x02;    // centred text
constexpr unsigned StyleSunken = 0x04;     // sunken edge around a text
constexpr unsigned StyleNoPrefix = 0x08;   // '&' is shown literally, no mnemonic
constexpr unsigned StyleTabStop = 0x10;

struct ControlDef {
    int id;            // control id; -1 for controls nobody addresses
    ControlKind kind;
    const char* text;  // UTF-8; '&' marks the mnemonic, "&&" is a literal '&'
    int iconId;        // icon resource for ControlIcon, else 0
    int x, y, width, height; // dialog units
    unsigned style;
};

struct DialogTemplate {
    int resourceId;
    const char* title;
    int width, height;  // dialog units
    const char* fontName;
    int fontSize;       // points
    bool centred;       // centred on the owner; otherwise placed at (x, y) relative to it
    int x, y;
    const ControlDef* controls;
    int controlCount;
};

// Button ids shared by every dialog.
constexpr int IdOk = 1;
constexpr int IdCancel = 2;

// Slider notifications delivered with DialogSlider (the classic track-bar codes).
constexpr int SliderLineUp = 0, SliderLineDown = 1, SliderPageUp = 2, SliderPageDown = 3;
constexpr int SliderThumbPosition = 4, SliderThumbTrack = 5, SliderTop = 6, SliderBottom = 7;
constexpr int SliderEndTrack = 8;

// Button notification delivered with DialogCommand for a click.
constexpr int ButtonClicked = 0;

struct Dialog; // backend-owned open dialog

enum DialogEvent {
    DialogInit,    // controls exist; the procedure fills them (controlId, code unused)
    DialogCommand, // a button, radio or check box was used (code ButtonClicked), or Escape/close box (controlId IdCancel)
    DialogSlider,  // a slider moved (code: a Slider* notification)
};

// A dialog procedure: returns true when it handled the event.
typedef bool (*DialogProc)(Dialog* dialog, DialogEvent event, int controlId, int code);

// Runs `tmpl` modally over the main window; timers and painting go on inside. Returns the end code, -1 on failure.
int PlatformRunDialog(const DialogTemplate& tmpl, DialogProc proc);
// The dialog in front of every other window, or null when the main window is in front.
Dialog* PlatformForegroundDialog();
// Delivers a command to an open dialog's procedure as if the button `controlId` were pressed.
void DialogSendCommand(Dialog* dialog, int controlId);

// Control API for dialog procedures.
void DialogEnd(Dialog* dialog, int result);                       // closes it; PlatformRunDialog returns result
void DialogSetSliderRange(Dialog* dialog, int id, int minimum, int maximum);
void DialogSetSliderTicks(Dialog* dialog, int id, int frequency);  // a tick every `frequency` positions
void DialogSetSliderPos(Dialog* dialog, int id, int position);    // sets without notifying
int DialogGetSliderPos(Dialog* dialog, int id);
void DialogSetCheck(Dialog* dialog, int id, bool checked);        // sets without notifying
bool DialogGetCheck(Dialog* dialog, int id);
void DialogSetText(Dialog* dialog, int id, const char* text);     // text of a label (no mnemonics)
void DialogSetCaption(Dialog* dialog, const char* text);
void DialogSetIcon(Dialog* dialog, int id, int iconId);
ScreenRect DialogGetRect(Dialog* dialog);                          // outer rectangle, screen coordinates
// Moves the outer rectangle's top-left to (x, y) when the dialog then lies wholly on a monitor's work area, and
// otherwise onto the work area of the monitor nearest to that place, so that a dialog is never out of reach (a
// backend without monitors, the headless one, moves it as asked).
void DialogMove(Dialog* dialog, int x, int y);
