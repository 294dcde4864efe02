// The headless backend: every platform service without a screen, driven by a virtual clock.
// Tests, the simulator and the benchmarks link it; this header is what they use to drive it.
//
// Delivery rules (a message loop in miniature):
// - The clock starts at HeadlessStartTime ms and moves only through HeadlessAdvance (also inside
//   dialog scripts and message-box answers) and PlatformRunMessageLoop.
// - While the clock advances, before every timer expiry the queued posted commands are delivered,
//   then a pending repaint (AppPaint); a timer expiry is then delivered through AppTimer(id).
//   A frame presented meanwhile settles the pending repaint, and a minimised window (client 0 x 0) drops it:
//   nothing is delivered for it.
// - A periodic timer re-arms from its due time, not from the delivery time: a 10 ms timer fires
//   exactly 100 times in 1000 ms. Periods below 10 ms count as 10 ms (the window system's minimum),
//   so no timer can stall the clock.
// - Equal due times: the engine stop (1010) fires just before the step (1003); otherwise the timer whose
//   current period was set earliest (its latest PlatformSetTimer call) fires first. Re-arming after an
//   expiry keeps that order.
// - PlatformSetTimer on a running timer restarts it (next due = now + period); PlatformKillTimer on
//   a stopped timer does nothing. A timer killed or restarted by another handler never delivers a
//   stale expiry.
// - A timer whose handler is still running (it opened a dialog that advances the clock) is not
//   re-entered; other timers keep firing. Expiries it missed meanwhile collapse into one, delivered
//   once its handler has returned, and it then re-arms to its next due time after the clock.
// - Timers and posted commands work before the main window is created; destroying the main window
//   kills every timer and drops the queued commands, and afterwards both are ignored (they belonged
//   to the window), until HeadlessReset.
// - When message handlers are installed (HeadlessSetMessageHandlers) every delivery goes to them
//   instead of the App* functions; an empty handler drops that kind of delivery.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/replay_store.h"

constexpr uint64_t HeadlessStartTime = 1000;

// Back to the initial state: clock, timers, queues, window, dialogs and their scripts, answers,
// recordings, keys, joysticks, sounds, settings store, failure injections, handlers, exit hook.
void HeadlessReset();

// ---- deliveries ----
struct HeadlessHandlers {
    std::function<void(int)> command;     // instead of AppCommand
    std::function<void(int)> timer;       // instead of AppTimer
    std::function<void()> paint;          // instead of AppPaint
    std::function<void()> joystickButton; // instead of AppJoystickButton
    std::function<void()> closeRequested; // instead of AppCloseRequested
    std::function<void()> destroyed;      // instead of AppDestroyed
};
void HeadlessSetMessageHandlers(const HeadlessHandlers& handlers);
void HeadlessClearMessageHandlers(); // back to the App* functions

// ---- clock, timers, commands, message loop ----
uint64_t HeadlessNow(); // the virtual clock (PlatformTickCount is its low 32 bits)
// Moves the clock forward by `ms`, delivering posted commands, repaints and due timers in order.
void HeadlessAdvance(uint64_t ms);
// Sets the clock (e.g. just before the 32-bit wrap); running timers keep their time to run.
void HeadlessSetClock(uint64_t ms);
// Delivers every posted command (also those posted meanwhile), then a pending repaint.
void HeadlessPump();
bool HeadlessTimerRunning(int timerId);
int HeadlessTimerPeriod(int timerId);        // 0 when not running
uint64_t HeadlessTimerDue(int timerId);      // 0 when not running
uint64_t HeadlessTimerExpiries(int timerId); // expiries delivered since the reset
std::vector<int> HeadlessPostedCommands();   // queued, not yet delivered
void HeadlessDropPostedCommands();           // forgets them undelivered (a long run that never pumps)
// PlatformRunMessageLoop returns after `ms` of virtual time without a quit request (default 60000 ms),
// or at once when nothing is queued and no timer runs; it then returns HeadlessLoopLimitCode.
constexpr int HeadlessLoopLimitCode = -1;
void HeadlessSetLoopLimit(uint64_t ms);
bool HeadlessLoopLimitReached(); // the last PlatformRunMessageLoop ended by the limit or idleness
// PlatformExitProcess records the code, then calls the hook; the hook must not return (a test
// longjmps out of it or runs the code in a death test). Default hook, or a hook that returns:
// std::_Exit(code).
void HeadlessSetExitHook(std::function<void(int)> hook);
bool HeadlessExitRequested();
int HeadlessExitCode();

// ---- main window ----
// The outer rectangle is the client area plus a fixed frame; a new window's outer top-left is (100, 100).
constexpr int HeadlessFrameLeft = 8, HeadlessFrameTop = 50, HeadlessFrameRight = 8, HeadlessFrameBottom = 8;
constexpr int HeadlessDefaultClientWidth = 640, HeadlessDefaultClientHeight = 480;
void HeadlessFailWindowCreation(bool fail);
void HeadlessSetClientSize(int width, int height); // 0 x 0 stands for a minimised window
std::string HeadlessWindowTitle();
bool HeadlessWindowWasDestroyed();
int HeadlessSetWindowRectCount();                   // calls of PlatformSetWindowRect
ScreenRect HeadlessLastSetWindowRect();
int HeadlessRepaintRequests();                      // calls of PlatformRequestRepaint
bool HeadlessRepaintPending();
void HeadlessClickCloseBox();                       // delivers AppCloseRequested while the window exists
struct HeadlessFrame {
    std::vector<uint32_t> pixels; // 0x00BBGGRR, row by row
    int width = 0, height = 0;
    int count = 0;                // frames presented since the reset
    bool changedKnown = false;    // the painter named the parts that may differ from the frame before
    std::vector<FrameArea> changed;
};
const HeadlessFrame& HeadlessLastFrame();

// ---- dialogs ----
// Dialog units become pixels at 3/2 horizontally and 13/8 vertically (truncated); the outer
// rectangle is exactly the template's size. A centred template opens centred on the main window's
// outer rectangle, another at the main window's client top-left plus its (x, y) in dialog units.
struct HeadlessControl {
    int id;
    ControlKind kind;
    unsigned style;
    std::string text;
    int iconId;
    bool checked;
    int sliderMin, sliderMax, sliderPos, sliderTicks; // a new slider: 0..100, position 0, tick every 1
};
struct HeadlessDialogRecord {
    int resourceId = 0;
    std::string title;   // the template's title
    std::string caption; // the caption when it closed
    ScreenRect rect{};   // the outer rectangle when it closed
    std::vector<HeadlessControl> controls; // control states when it closed
    int result = 0;      // what PlatformRunDialog returned
    int depth = 0;       // 1 for a dialog over the main window, 2 for one opened inside it, ...
    bool scripted = false;  // a queued script for its resource id was taken
    bool abandoned = false; // the script ran out (or none was queued) before it ended: ended with IdCancel
    bool failed = false;    // creation failed by HeadlessFailNextDialog
    int moveCount = 0;      // calls of DialogMove
    std::vector<std::string> notes; // script steps that could not be carried out
};

enum HeadlessStepKind { StepSlider, StepClick, StepEscape, StepEnter, StepAdvance, StepCall };
struct HeadlessStep {
    HeadlessStepKind kind;
    int controlId = 0;
    int position = 0;
    std::vector<int> codes = {};     // slider notifications, delivered in order after the move
    bool byKey = false;              // the position follows from codes[0] as a key would move it
    uint64_t ms = 0;                 // StepAdvance
    std::function<void(Dialog*)> call = {}; // StepCall
};
// The slider moves to `position` (kept in its range), then each notification of `codes` is delivered.
HeadlessStep SliderStep(int id, int position, std::vector<int> codes);
// A mouse drag released at `position`: SliderThumbTrack, SliderThumbPosition, SliderEndTrack.
HeadlessStep DragSlider(int id, int position);
// A key on a slider: the position moves by the key (LineUp/LineDown 1, PageUp/PageDown a fifth of the
// range, at least 1; Top/Bottom the ends), then `code` and SliderEndTrack are delivered.
HeadlessStep SliderKey(int id, int code);
// A click: an auto radio button is checked and the other radio buttons of its group unchecked (a group
// runs from a StyleGroupStart control to the next one); an auto check box toggles; then DialogCommand
// (id, ButtonClicked) is delivered.
HeadlessStep ClickControl(int id);
HeadlessStep PressEscape(); // the Escape key or the close box: DialogCommand (IdCancel)
HeadlessStep PressEnter();  // clicks the default button (IdOk when the template has none)
HeadlessStep AdvanceInDialog(uint64_t ms);
HeadlessStep CallInDialog(std::function<void(Dialog*)> call);

// Queues the script of the next dialog; dialogs take scripts in order. A dialog whose resource id does
// not match the first queued script takes none. The dialog closes after the step in which its procedure
// called DialogEnd; when the steps run out first it is abandoned and returns IdCancel.
void HeadlessQueueDialog(int resourceId, std::vector<HeadlessStep> steps);
size_t HeadlessQueuedDialogCount();
// The next PlatformRunDialog fails: it returns -1 and PlatformLastError gives `errorCode`.
void HeadlessFailNextDialog(int errorCode);
const std::vector<HeadlessDialogRecord>& HeadlessDialogs(); // every dialog opened, in opening order
int HeadlessOpenDialogCount();
// State of an open dialog (for test callbacks); null when `dialog` or the control does not exist.
const HeadlessControl* HeadlessDialogControl(Dialog* dialog, int id);
int HeadlessDialogResourceId(Dialog* dialog);
std::string HeadlessDialogCaption(Dialog* dialog);

// ---- message boxes ----
struct HeadlessMessageBox {
    std::string text, caption;
    bool question;   // PlatformAskYesNo; false for PlatformErrorBox
    bool answer;     // true for Yes
    bool scripted;   // the answer came from the queue
    uint64_t shownAt;
};
// Answers the next PlatformAskYesNo; the clock advances by `msWhileUp` while the box is up.
// Without a queued answer the box answers No.
void HeadlessQueueAnswer(bool yes, uint64_t msWhileUp = 0);
const std::vector<HeadlessMessageBox>& HeadlessMessageBoxes();
bool HeadlessMessageBoxOpen();
void HeadlessSetLastError(int code);

// ---- keys ----
void HeadlessSetKey(GameKey key, bool down); // going down sets the pressed-since-last-query bit
void HeadlessTapKey(GameKey key);            // down and up again between two queries

// ---- joysticks ----
// Default: 16 slots, none plugged in (what the classic driver reports without a joystick).
constexpr int HeadlessDefaultJoystickSlots = 16;
void HeadlessSetJoystickSlots(int count);
void HeadlessPlugJoystick(int slot, const JoystickCaps& caps, uint32_t threshold);
void HeadlessUnplugJoystick(int slot); // a capture of it ends
void HeadlessSetJoystickPosition(int slot, uint32_t x, uint32_t y, uint32_t buttons);
void HeadlessFailJoystickCaps(int slot, bool fail);
void HeadlessFailJoystickThreshold(int slot, bool fail); // the threshold is then left unset
struct HeadlessJoystickCapture {
    bool captured = false; // a plugged-in device is captured
    int id = -1;
    uint32_t periodMs = 0;
    bool changedOnly = false;
    int calls = 0;         // calls of PlatformJoystickCapture
};
const HeadlessJoystickCapture& HeadlessJoystickCaptureState();
// Holds `buttons` down on the captured device and delivers AppJoystickButton; false (nothing
// delivered) when no device is captured.
bool HeadlessPressJoystickButton(uint32_t buttons = 1);
void HeadlessReleaseJoystickButtons();

// ---- sound ----
struct HeadlessSoundEvent {
    uint64_t time;
    int soundId;    // 0 for a purge
    unsigned flags; // SoundPurge for a purge
};
const std::vector<HeadlessSoundEvent>& HeadlessSoundEvents();
void HeadlessClearSoundEvents(); // empties the log; the sound heard now goes on
// The sound heard now, 0 for silence: a loop plays until replaced or purged; a single sound for the
// length of its WAV data (until replaced when that cannot be read).
int HeadlessSoundPlaying();

// ---- settings store (in memory) ----
void HeadlessStorePut(const char* keyPath, const char* name, uint32_t type, const void* data, uint32_t size);
bool HeadlessStoreGet(const char* keyPath, const char* name, uint32_t* type, std::vector<uint8_t>* bytes);
bool HeadlessStoreHasKey(const char* keyPath);
void HeadlessStoreDeleteValue(const char* keyPath, const char* name);
void HeadlessStoreDeleteKey(const char* keyPath);
// Status returned by the next opens of an existing key (create false) / by creating (create true);
// StoreOk ends the failure.
void HeadlessFailStoreOpen(int32_t status);
void HeadlessFailStoreCreate(int32_t status);
void HeadlessFailStoreSet(int32_t status);
int HeadlessOpenStoreKeys(); // keys opened and not yet closed
int HeadlessStoreWrites();   // successful PlatformStoreSet calls since the reset

// ---- replay folder (in memory) ----
// The files written by PlatformWriteReplay, by name; a failure injected makes the next writes fail.
const std::map<std::string, std::vector<uint8_t>>& HeadlessReplayFiles();
void HeadlessFailReplayWrites(bool fail);
