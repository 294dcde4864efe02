// Shared state and helpers of the GTK + SDL2 desktop backend (only platform/gtk includes this).
#pragma once
#include <gtk/gtk.h>
#include <cstdint>

// The main window (null before creation and after destruction).
GtkWindow* MainGtkWindow();

// Whether windows can be placed by the game: true under X (XWayland included), false on a Wayland compositor,
// which places every window itself.
bool WindowSystemPlacesWindows();

// Width and height the window manager's frame adds around `window`, in the toolkit's units, asked before it is shown;
// false (and zeros) without a window manager that answers.
bool RequestFrameSize(GtkWidget* window, int* width, int* height);

// Width and height the window manager adds around the main window (zeros without one).
void MainFrameSize(int* width, int* height);

// Lets the key events held back while the window was being set up go to the game (the message loop starts).
void ReleaseHeldKeys();

// Forgets every held key (a release may have gone to another window).
void ClearKeyStates();

// Dialog bookkeeping the loop needs: ends every open dialog's nested loop with `code` (the quit request).
void EndAllDialogs(int code);

// The GTK widgets of an open dialog and of its control `id` (null when there is none): for tests.
struct Dialog;
GtkWidget* DialogWindowWidget(Dialog* dialog);
GtkWidget* DialogControlWidget(Dialog* dialog, int id);

// Stops and forgets every timer and posted command (the main window is gone).
void ForgetTimersAndCommands();

// Joystick capture polling, run by the timer source every `periodMs`: delivers AppJoystickButton for new presses.
void StartJoystickPoll(int periodMs);
void PollJoystickCapture();

// Holds back (true) or lets go (false) the game's timers and posted commands, e.g. while GTK settles a window.
void HoldGameDelivery(bool hold);

// A dialog's or message box's nested loop starts (true) or ends (false): while one runs, the step, twinkle and
// meteor timers' expiries may wait for a wake that another timer needs (see gtk_loop.cpp).
void NoteModalLoop(bool entering);
// Delivers those expiries that are due and waited for a wake; called before an input event is handled.
void DeliverWaitingTimers();

// Whether the loop's source is delivering game commands or timers now; a repaint asked for meanwhile is settled
// when the delivery ends (SettleRepaintRequest), without an idle callback of its own and the wake that costs.
bool DeliveringGameEvents();
void SettleRepaintRequest();

// Replaces the monotonic microsecond clock that paces the timers (null: the real one again).
void SetLoopClockForTests(gint64 (*clock)());

// The sound device opens (SDL loaded, its sound part started) when the loop is first idle after StartSoundSoon (the
// main window is on the screen). ShutdownSound closes the device; ShutdownSdl also ends SDL, if it was loaded.
void StartSoundSoon();
void ShutdownSound();
void ShutdownSdl();

// The program icon or another icon resource as a pixbuf of about `size` pixels; null when missing.
GdkPixbuf* LoadIconPixbuf(int iconId, int size);

// A menu or control text with '&' mnemonic marks ("&&" is a literal '&') for GTK: with `mnemonics` the marks become
// '_' (a literal '_' is doubled); without, the marks are dropped. The result is freed with g_free.
char* ConvertMnemonics(const char* text, bool mnemonics);

// The test log of scripts that cannot watch the screen (see gtk_test_hooks.cpp); each does nothing without it.
void OpenTestLog();
void LogWindowShown(const char* title);
void LogFramePresented();
