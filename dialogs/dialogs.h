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

int RunGameSettingsDialog();
int RunViewControlsDialog();
int RunPauseDialog();
int RunAboutDialog();
