// Millisecond tick count.
#pragma once
#include <cstdint>

// Milliseconds since an arbitrary start, wrapping at 2^32 (like the system tick count).
uint32_t PlatformTickCount();
