// Shared state and helpers of the Windows backend (only platform/win32 includes this).
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// The game's own FindResource (resources/resources.h) must not become the system's FindResourceW.
#undef FindResource

#include <string>

// The program instance and the main window (null before creation and after destruction).
HINSTANCE AppInstance();
HWND MainWindowHandle();

// UTF-8 to UTF-16 and back; invalid input gives what the system converter makes of it, never a crash.
std::wstring Widen(const char* text);
std::string Narrow(const wchar_t* text);

// Icon resource `iconId` at `size` pixels, made from the embedded icon file; cached for the whole run, null when
// the resource is missing or unreadable. 32516 is the system's information icon.
HICON GameIcon(int iconId, int size);

// Timer pump of the main window: the message that drives it and what it does.
constexpr UINT_PTR PumpTimerId = 1;
void OnPumpTimer();
void StopAllTimers();

// Ends the joystick capture that sends button presses to the main window (the window is going away).
void ReleaseJoystickCapture();
