// Shared state and helpers of the browser backend (only platform/web includes this). The page's scripts
// (page/*.js) own the DOM: the canvas, the menu bar, the dialogs as HTML, sound and the gamepad.
// It queues what the player does as events; the game's thread takes them in PumpMessages, inside the message loop
// and inside every nested modal loop, as a desktop toolkit delivers its messages.
#pragma once
#include <cstdint>

// What the page queues for the game.
enum WebEventKind {
    WebEventNone = 0,
    WebEventKeyDown = 1,    // a: game key
    WebEventKeyUp = 2,      // a: game key
    WebEventFocusLost = 3,  // the page lost the keyboard: every key is up
    WebEventCommand = 4,    // a: command id (menu item or accelerator)
    WebEventDialogCommand = 5, // a: dialog serial, b: control id
    WebEventDialogSlider = 6,  // a: dialog serial, b: control id, c: slider notification
    WebEventBoxAnswer = 7,     // a: message box serial, b: 1 yes/OK, 0 no
    WebEventResize = 8,        // the canvas area changed size
};

struct WebEvent {
    int32_t kind, a, b, c;
};

// Runs one turn of the loop: the page's events, a pending repaint, posted commands, the timers due; then lets the
// browser run (and draw) until the next timer is due or at most a few milliseconds.
void PumpMessages();
// True once the game asked to quit.
bool QuitRequested();

// Window side (web_window.cpp).
void HandleKeyEvent(const WebEvent& event);
void ClearKeyStates();
bool DeliverPendingPaint(); // true when it painted
void NoteResize();

// Dialog side (web_dialog.cpp).
void HandleDialogEvent(const WebEvent& event);
void EndAllDialogs(int code);

// Joystick capture (web_devices.cpp): polled by the loop every `periodMs`.
void StartJoystickPoll(int periodMs);
void PollJoystickCapture();

// Test hook: in a build with the test hooks (DRAVOLINEX_TEST_HOOKS), a page opened with ?test keeps counts the
// browser tests read (steps, frames, dialogs); elsewhere nothing of it is there.
bool TestMode();
void CountStep();
void CountFrame();
