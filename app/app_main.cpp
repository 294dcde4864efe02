// The program's spine: start-up, the main window's messages, the new-game routine and clean-up.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resources/commands.h"
#include "sim/options.h"
#include "app/playback.h"
#include "app/shell.h"
#include "dialogs/dialogs.h"
#include "dialogs/modal.h"
#include "io/input.h"
#include "io/sound.h"
#include "platform/app_entry.h"
#include "platform/clock.h"
#include "platform/commands.h"
#include "platform/msgbox.h"
#include "platform/replay_store.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "render/paint_frame.h"
#include "render/sprites.h"
#include "replay/recorder.h"
#include "resources/shell_tables.h"
#include "sim/game_state.h"
#include "sim/random.h"
#include "sim/tick.h"
#include "sim/timers.h"
#include "world/background_scene.h"
#include "world/world.h"

// The window title and class name, each with room for 100 characters.
static char titleText[100 * 4];
static char className[100 * 4];

static void LoadShellStrings()
{
    std::snprintf(titleText, sizeof titleText, "%s", LoadGameString(StringTitle));
    std::snprintf(className, sizeof className, "%s", LoadGameString(StringClassName));
}

void InitApplication()
{
    newGameHook = StartNewGame;
    SeedRandom(PlatformTickCount());
    // Every flight from the first world on is recorded and kept in the player's replay folder (DRAVOLINEX_RECORD=0
    // turns the recorder off, to measure what it costs).
    const char* record = std::getenv("DRAVOLINEX_RECORD");
    if (!PlaybackChosen() && !(record && std::strcmp(record, "0") == 0))
        StartFlightRecorder(PlatformBackendName());
    InitMeteorLock();
    // Engine, tipping and explosion in turn, then silence: the sound player is warmed up before the first round.
    PrimeSounds();
    // The dialogs' controls need no registration on any backend.
}

bool CreateMainWindow()
{
    if (!PlatformCreateMainWindow(PlaybackChosen() ? PlaybackTitle(titleText) : titleText))
        return false;
    LoadOptions();
    LoadGraphics();
    if (PlaybackChosen())
        StartPlayback();
    else
        StartNewGame();
    return true;
}

void StartNewGame()
{
    // End the last flight's result wait and animations; killing an idle timer is harmless.
    PlatformKillTimer(TimerResult);
    PlatformKillTimer(TimerDust);
    PlatformKillTimer(TimerPostLanding);
    PlatformKillTimer(TimerTipOver);
    ResetRound();
    gameState.halted = true;
    RegenerateWorld();
    // Once the message loop runs again the Game Feature Settings dialog opens; the round waits halted until then.
    PlatformPostCommand(CmdGameSettings);
}

void CleanupApplication()
{
    DeleteMeteorLock();
    ReleaseGraphics();
    ReleaseBackgroundScene();
    // The result, animation and engine-stop timers die with the window.
    PlatformKillTimer(TimerRepaint);
    PlatformKillTimer(TimerStarTwinkle);
    PlatformKillTimer(TimerMeteorLaunch);
    PlatformKillTimer(TimerMeteorFlight);
    PlatformKillTimer(TimerStep);
    PlatformKillTimer(TimerJoystick);
}

bool AppStartup()
{
    LoadShellStrings();
    InitApplication();
    return CreateMainWindow();
}

void AppShutdown()
{
    CleanupApplication();
}

int AppMain()
{
    if (!AppStartup())
        return 0;
    int code = PlatformRunMessageLoop();
    AppShutdown();
    return code;
}

// The New Game question: the round stands still while it is asked and goes on where it stood on No.
static void AskNewGame()
{
    gameState.halted = true;
    if (AskModalQuestion("Are you sure you want to stop the current game?", "New Game"))
        StartNewGame();
    else
        gameState.halted = false;
}

void AppCommand(int id)
{
    if (PlaybackChosen()) {
        PlaybackCommand(id);
        return;
    }
    switch (id) {
    case CmdNewGame:
        AskNewGame();
        break;
    case CmdPause:
        RunPauseDialog();
        break;
    case CmdGameSettings: {
        int result = RunGameSettingsDialog();
        if (result == IdOk || result == IdCancel)
            RunPauseDialog();
        break;
    }
    case CmdViewControls: {
        int result = RunViewControlsDialog();
        if (result == IdOk || result == IdCancel)
            RunPauseDialog();
        break;
    }
    case CmdAbout:
        RunAboutDialog();
        break;
    case CmdExit:
        SaveOptions();
        PlatformDestroyMainWindow();
        break;
    default:
        // The "Select Game" items and anything else have no handler.
        break;
    }
}

void AppTimer(int timerId)
{
    if (PlaybackChosen()) {
        PlaybackTimer(timerId);
        return;
    }
    RecordTimer(timerId);
    OnTimer(timerId);
    if (timerId == TimerRepaint)
        RecordFrame();
}

void AppPaint()
{
    if (PlaybackChosen()) {
        PlaybackPaint();
        return;
    }
    RecordPaint();
    PaintFrame();
    RecordFrame();
}

void AppJoystickButton()
{
    OnJoystickButton();
}

void AppCloseRequested()
{
    // The close box leaves without saving; only the Exit command saves.
    PlatformDestroyMainWindow();
}

void AppDestroyed()
{
    PlatformPostQuit(0);
}
