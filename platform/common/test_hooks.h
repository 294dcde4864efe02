// Test hooks: what the project's test and measuring scripts ask of the game through its environment (the test
// log and File > Exit on SIGUSR2, the moment of the first frame, the pacing log, a virtual joystick pressed by
// SIGUSR1). They are built only into a build configured with DRAVOLINEX_TEST_HOOKS=ON (the test build). Elsewhere,
// the packaged game and the Windows download among them, TEST_HOOK_SETTING is null whatever the environment holds,
// and the variable's name never reaches the program (a macro, so not even an unoptimised build keeps it).
#pragma once
#include <cstdlib>

// The value of the hook's environment variable `name`; null when unset or when the build has no test hooks.
#ifdef DRAVOLINEX_TEST_HOOKS
#define TEST_HOOK_SETTING(name) std::getenv(name)
#else
#define TEST_HOOK_SETTING(name) static_cast<const char*>(nullptr)
#endif
