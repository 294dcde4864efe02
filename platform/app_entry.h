// What a backend delivers to the game: the window procedure's messages and the program entry.
#pragma once

// Program entry: start-up, message loop, clean-up. Returns the exit code.
int AppMain();
// Start-up up to (not including) the message loop; false when the main window could not be created.
bool AppStartup();
// Clean-up after the message loop ended.
void AppShutdown();

void AppCommand(int id);    // a menu command, accelerator or posted/sent command
void AppTimer(int timerId); // a timer expiry
void AppPaint();            // the client area needs painting
void AppJoystickButton();   // a captured joystick's button went down
void AppCloseRequested();   // the close box: destroy without saving
void AppDestroyed();        // the main window was destroyed
