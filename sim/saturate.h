// Truncation toward zero into the 32-bit range: a craft gone wild pins at the ends instead of overflowing.
#pragma once
#include <cstdint>

inline int32_t SaturatedTrunc(double value)
{
    if (!(value > -2147483648.0))
        return value != value ? 0 : INT32_MIN;
    if (value >= 2147483647.0)
        return INT32_MAX;
    return static_cast<int32_t>(value);
}
