// Shared between the headless backend's files: deliveries to the game and per-area resets.
#pragma once
#include <cstdint>

// Screen coordinates from wide arithmetic, pinned to the 32-bit range: a stored rectangle may hold any numbers.
inline int32_t HeadlessScreenCoordinate(int64_t value) {
    return value < INT32_MIN ? INT32_MIN : (value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value));
}

// Deliveries, through the installed handlers or the App* functions.
void HeadlessDeliverJoystickButton();

// Each area's part of HeadlessReset.
void HeadlessResetDialogs();
void HeadlessResetDevices();
void HeadlessResetReplays();
