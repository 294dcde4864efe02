// The landing result dialog: verdict, message and breakdown, placed at the playfield's top-right corner.
#pragma once
#include "platform/dialog.h"

extern const DialogTemplate ResultDialogTemplate; // dialog 164

// Runs the dialog; returns 1 (OK), 2 (Escape, close box) or 3 (Exit Game, after sending the Exit command).
int ShowLandingResult(const char* title, const char* details, const char* message);
