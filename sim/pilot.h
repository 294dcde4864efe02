// The computer pilot: the three control demands of one step from the craft's position, speed and the approach plan.
#pragma once
#include <cstdint>

void ComputerPilot(int32_t* thrust, int32_t* left, int32_t* right);
