// Commands to the main window and the message loop.
#pragma once

// Queues command `id` for the main window; delivered later through AppCommand, in posting order.
void PlatformPostCommand(int id);
// Delivers command `id` to the main window now (AppCommand runs before this returns).
void PlatformSendCommand(int id);
// Runs the main message loop until the quit request; returns the quit code.
int PlatformRunMessageLoop();
// Ends the message loop with `code` once the current message has been handled.
void PlatformPostQuit(int code);
// Ends the process at once with `code` (no clean-up).
[[noreturn]] void PlatformExitProcess(int code);
