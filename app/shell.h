// The program's spine: start-up, the new-game routine and clean-up.
#pragma once

void InitApplication();
// Creates and shows the main window, loads options and graphics, starts the first game; false on failure.
bool CreateMainWindow();
// Ends the flight's animations, resets the round halted, generates a new world and opens the settings dialog.
void StartNewGame();
void CleanupApplication();
