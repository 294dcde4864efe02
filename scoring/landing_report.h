// The verdict of a finished flight: title, message and score breakdown.
#pragma once

constexpr int ReportBufferSize = 10000;

// Writes the verdict into title and message (only when both are given) and appends the breakdown to details
// and the score line to message (each only when given). Buffers hold ReportBufferSize chars. Returns the score.
int BuildLandingReport(char* details, char* title, char* message, int outcome);
// A multiplier as text ("1", "1.500", "1.999"): a shared buffer the next call overwrites.
const char* FormatMultiplier(double value);
