// The settings, pause and About dialogs: templates as data and their portable procedures.
#pragma once
#include "platform/dialog.h"

extern const DialogTemplate GameSettingsTemplate; // 144
extern const DialogTemplate ViewControlsTemplate; // 165
extern const DialogTemplate PauseTemplate;        // 166
extern const DialogTemplate AboutTemplate;        // 103

// Called after every committed change of a world option (set to RegenerateWorld by the openers).
extern void (*optionsChangedHook)();

// Applies the Difficulty slider's mapping of position p (0..100) to the six world options.
void ApplyDifficulty(int p);

// Calls optionsChangedHook when one is set.
void CallOptionsChangedHook();

// Runs a settings dialog the way both settings openers do: the game is halted and the hook set while it is
// open; OK saves a changed record (unchanged counts as Cancel), "E&xit Game" sends the Exit command, and
// `otherButton` posts `otherCommand` so that the other settings dialog follows. A dialog that cannot be
// created is reported; when `failureEnds` the process then ends with the error code.
int RunSettingsDialog(const DialogTemplate& tmpl, DialogProc proc, int otherButton, int otherCommand,
                      bool failureEnds);

// Shows "DialogBox failed with error %d: %s" for the last system error in an "Error" box; returns the code.
int ReportDialogFailure();
// The controls description of the View & Controls dialog for the current options.
void FormatControlsDescription(char* buffer, int size);

int RunGameSettingsDialog();
int RunViewControlsDialog();
int RunPauseDialog();
int RunAboutDialog();
