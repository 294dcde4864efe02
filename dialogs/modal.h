// The game's modal windows (dialogs and the New Game question), counted while they are open, so that the
// result of a flight can wait until the player has closed them.
#pragma once
#include "platform/dialog.h"

// PlatformRunDialog, counted while it runs.
int RunModalDialog(const DialogTemplate& tmpl, DialogProc proc);
// PlatformAskYesNo, counted while the question is up.
bool AskModalQuestion(const char* text, const char* caption);
// Whether a dialog or question of the game is open now (timers go on inside them).
bool ModalWindowOpen();
