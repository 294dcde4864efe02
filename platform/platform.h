// Every service the game needs from the platform. Backends (headless, gtk, win32) implement them.
#pragma once
#include "platform/clock.h"
#include "platform/commands.h"
#include "platform/dialog.h"
#include "platform/joystick.h"
#include "platform/keys.h"
#include "platform/msgbox.h"
#include "platform/sound.h"
#include "platform/store.h"
#include "platform/timer.h"
#include "platform/window.h"
