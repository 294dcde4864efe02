// Shared between the headless backend's files: deliveries to the game and per-area resets.
#pragma once

// Deliveries, through the installed handlers or the App* functions.
void HeadlessDeliverJoystickButton();

// Each area's part of HeadlessReset.
void HeadlessResetDialogs();
void HeadlessResetDevices();
