// What a backend delivers to the game: the window procedure's messages and the program entry.
#pragma once
#include <cstddef>
#include <cstdint>

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

// The command line, read before anything else (the arguments after the program's name, UTF-8). --help and
// --version print through `print` and end the program (code 0). --replay FILE, or a lone FILE as a file manager
// passes it, watches that replay in the window instead of playing; `readFile` gives the file's bytes (false when
// it cannot be read). An unknown option or a refused file is printed with `error` set and ends the program (code
// 2). Returns -1 when the program goes on to AppMain, else its exit code.
int AppReadCommandLine(int count, char** args, void (*print)(const char* text, bool error),
                       bool (*readFile)(const char* path, uint8_t** bytes, size_t* size));

// The flight in words for a test hook's flight log (the recording scripts' player reads the craft there). The craft:
// x y vx vy angle fuel, then 1 while it flies (0 while the round is halted or after the touch). The world: the
// platform count, each platform's x, y and width, the playfield width and the terrain height of every column.
// Each writes at most `size` bytes, the terminating zero included.
void AppDescribeCraft(char* text, size_t size);
void AppDescribeWorld(char* text, size_t size);
