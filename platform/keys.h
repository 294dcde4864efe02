// Keyboard state for the keys the flight reads.
#pragma once

enum GameKey { KeySpace = 0, KeyLeft = 1, KeyRight = 2, GameKeyCount = 3 };

constexpr int KeyStateDown = 0x8000;    // the key is down now
constexpr int KeyStatePressed = 0x0001; // the key went down since the last query of it

// State of `key`: KeyStateDown and/or KeyStatePressed; querying clears the pressed-since bit.
int PlatformKeyState(GameKey key);
