// Message boxes owned by the main window.
#pragma once

// Asks a Yes/No question with a question icon; true for Yes. Timers keep running while it is up.
bool PlatformAskYesNo(const char* text, const char* caption);
// Shows an error box with only an OK button and no owner; returns when it is closed.
void PlatformErrorBox(const char* text, const char* caption);
// The last system error code and its text (for reporting a dialog that could not be created).
int PlatformLastError();
const char* PlatformErrorText(int code);
