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

#include "platform/window.h"

#include <cstdint>
#include <string>
#include <vector>

// The program instance and the main window (null before creation and after destruction).
HINSTANCE AppInstance();
HWND MainWindowHandle();

// UTF-8 to UTF-16 and back; invalid input gives what the system converter makes of it, never a crash.
std::wstring Widen(const char* text);
std::string Narrow(const wchar_t* text);

// Icon resource `iconId` at `size` pixels: the program file's own icon when it has one under that number (drawn
// for many sizes), else made from the embedded icon file; cached for the whole run, null when the resource is
// missing or unreadable. 32516 is the system's information icon.
HICON GameIcon(int iconId, int size);

// Dots per inch of the monitor `window` is on (96 is 100 %); the system's when Windows cannot say per window.
int WindowDpi(HWND window);

// Dots per inch of `monitor`; `fallback` when Windows cannot say (before Windows 8.1).
int MonitorDpi(HMONITOR monitor, int fallback);

// `pixels` (width x height) enlarged to targetWidth x targetHeight (each at least as large) into `out`, every pixel
// covering the same area, blended only where a device pixel straddles two (win32_scale.cpp). False for a bad size.
bool ScaleFrameSharp(const uint32_t* pixels, int width, int height, int targetWidth, int targetHeight,
                     std::vector<uint32_t>& out);

// `rect` (an outer window rectangle) at a usable size, moved onto the work area of the monitor nearest to it.
ScreenRect FitOntoMonitor(const ScreenRect& rect);

// Whether the system timer runs at 1 ms resolution for us: only while a timer shorter than the system's default
// tick (the flight's step) runs, since the pump's wake-ups then decide how evenly the steps come.
bool HoldsFineTimerResolution();

// Real joystick queries made so far (a slot found empty is asked again only now and then).
int JoystickQueryCount();

// Timer pump of the main window: the message that drives it and what it does.
constexpr UINT_PTR PumpTimerId = 1;
void OnPumpTimer();
void StopAllTimers();

// Ends the joystick capture that sends button presses to the main window (the window is going away).
void ReleaseJoystickCapture();
