// The Windows backend under test, with the test playing the game's part: it answers the App* calls itself and
// drives the main window, the timers, the dialogs and the registry through the platform API. Runs under Wine.
#include "platform/win32/win32_backend.h"
#include "resources/commands.h"
#include "platform/app_entry.h"
#include "platform/platform.h"
#include "scoring/result_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

// ---- the game's side ----

namespace {

std::vector<int> commands, timerCalls;
int closeRequests = 0, destroyedCalls = 0, paintCalls = 0;
std::function<void(int)> onTimer;
std::vector<std::tuple<DialogEvent, int, int>> events; // what the test dialog's procedure was told, init aside
std::function<void(Dialog*)> onInit;
std::function<void(Dialog*, DialogEvent, int, int)> onEvent;

} // namespace

int AppMain() { return 0; }
int AppReadCommandLine(int, char**, void (*)(const char*, bool), bool (*)(const char*, uint8_t**, size_t*)) { return -1; }
bool AppStartup() { return true; }
void AppShutdown() {}
void AppCommand(int id) { commands.push_back(id); }
void AppTimer(int id) { timerCalls.push_back(id); if (onTimer) onTimer(id); }
void AppPaint() { paintCalls++; }
void AppJoystickButton() {}
void AppCloseRequested() { closeRequests++; PlatformDestroyMainWindow(); }
void AppDestroyed() { destroyedCalls++; PlatformPostQuit(0); }
void AppDescribeCraft(char* text, size_t size) { if (size) *text = 0; }
void AppDescribeWorld(char* text, size_t size) { if (size) *text = 0; }

namespace {

// Runs the thread's messages for `ms` milliseconds (a quit request is dropped).
void Pump(int ms)
{
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
}

int Count(const std::vector<int>& calls, int id) { return int(std::count(calls.begin(), calls.end(), id)); }
auto Corners(ScreenRect r) { return std::tuple(r.left, r.top, r.right, r.bottom); }

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        commands.clear(), timerCalls.clear(), events.clear();
        closeRequests = destroyedCalls = 0;
        onTimer = nullptr, onInit = nullptr, onEvent = nullptr;
        ASSERT_TRUE(PlatformCreateMainWindow("Backend test"));
        Pump(100);
    }
    void TearDown() override
    {
        onTimer = nullptr;
        PlatformDestroyMainWindow();
        Pump(20);
    }
};

TEST_F(MainWindowTest, MenuFollowsTheTable)
{
    HMENU menu = GetMenu(MainWindowHandle());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 3);
    wchar_t text[64];
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&File");
    GetMenuStringW(menu, CmdNewGame, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"&New Game\tN");
    // "Rocket Lifter" cannot be chosen but is not greyed; "Landing Challenge" carries the check mark.
    UINT lifter = GetMenuState(menu, CmdRocketLifter, MF_BYCOMMAND);
    EXPECT_TRUE(lifter & MF_DISABLED);
    EXPECT_FALSE(lifter & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(menu, CmdLandingChallenge, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(MainWindowTest, FrameColoursReachTheScreenAndTheRestIsBlack)
{
    // The game's colours are 0x00BBGGRR, the same order as the screen's COLORREF.
    const uint32_t pixels[] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00123456,
                               0x00FFFFFF, 0x00010203, 0x00808080, 0x00000000};
    PlatformPresentFrame(pixels, 4, 2);
    HDC dc = GetDC(MainWindowHandle());
    for (int i = 0; i < 8; i++) EXPECT_EQ(uint32_t(GetPixel(dc, i % 4, i / 4)), pixels[i]) << "pixel " << i;
    EXPECT_EQ(GetPixel(dc, 20, 20), RGB(0, 0, 0));
    ReleaseDC(MainWindowHandle(), dc);
    PlatformPresentFrame(pixels, -4, 2); // a bad frame is ignored

    // The 50 ms repaint asks for a repaint and presents at once: that frame settles the request.
    Pump(50);
    paintCalls = 0;
    PlatformRequestRepaint();
    PlatformPresentFrame(pixels, 4, 2);
    Pump(50);
    PlatformRequestRepaint();
    Pump(50);
    EXPECT_EQ(paintCalls, 1); // only the request left standing paints
}

TEST_F(MainWindowTest, PlacementAndClientArea)
{
    PlatformSetWindowRect({50, 60, 550, 460});
    ScreenRect window = PlatformGetWindowRect();
    EXPECT_EQ(Corners(window), std::tuple(50, 60, 550, 460));
    int width = 0, height = 0;
    PlatformGetClientSize(&width, &height);
    ScreenRect client = PlatformGetClientScreenRect();
    EXPECT_EQ(client.right - client.left, width);
    EXPECT_EQ(client.bottom - client.top, height);
    EXPECT_GT(width, 400);
    EXPECT_LT(width, 500);
    EXPECT_GT(client.top, window.top + 20); // below the caption and the menu
    EXPECT_LE(client.right, window.right);
    // A stored rectangle that is empty, inside out or on no monitor still leaves a usable window on the screen.
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    for (ScreenRect stored : {ScreenRect{300, 300, 300, 100}, ScreenRect{-30000, -30000, -29500, -29600},
                              ScreenRect{40000, 200, 40500, 600}, ScreenRect{0, 0, 100000, 100000}}) {
        PlatformSetWindowRect(stored);
        window = PlatformGetWindowRect();
        EXPECT_GE(window.right - window.left, 120) << stored.left;
        EXPECT_GE(window.bottom - window.top, 120) << stored.left;
        EXPECT_TRUE(window.left >= screen.left && window.top >= screen.top && window.right <= screen.right &&
                    window.bottom <= screen.bottom)
            << stored.left << ": " << window.left << "," << window.top << "," << window.right << "," << window.bottom;
    }
    // Moved onto a monitor of another scale, the window takes the rectangle Windows suggests.
    RECT suggested{100, 90, 790, 640};
    SendMessageW(MainWindowHandle(), WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(&suggested));
    EXPECT_EQ(Corners(PlatformGetWindowRect()), std::tuple(100, 90, 790, 640));
    // Minimised or maximised, the rectangle kept is the one the window comes back to.
    PlatformSetWindowRect({50, 60, 550, 460});
    for (int show : {SW_MINIMIZE, SW_MAXIMIZE}) {
        ShowWindow(MainWindowHandle(), show);
        Pump(50);
        EXPECT_EQ(Corners(PlatformGetWindowRect()), std::tuple(50, 60, 550, 460)) << "show " << show;
        ShowWindow(MainWindowHandle(), SW_RESTORE);
        Pump(50);
    }
}

TEST_F(MainWindowTest, SentCommandsRunAtOncePostedOnesLaterInOrder)
{
    PlatformPostCommand(CmdPause);
    PlatformPostCommand(CmdAbout);
    PlatformSendCommand(CmdExit);
    EXPECT_EQ(commands, std::vector<int>({CmdExit}));
    Pump(50);
    EXPECT_EQ(commands, std::vector<int>({CmdExit, CmdPause, CmdAbout}));
}

TEST_F(MainWindowTest, TimersStartStopAndRestart)
{
    PlatformKillTimer(1007); // not running: harmless
    PlatformSetTimer(1004, 50);
    EXPECT_FALSE(HoldsFineTimerResolution()); // slow timers do without it
    PlatformSetTimer(1003, 10);
    EXPECT_TRUE(HoldsFineTimerResolution());
    Pump(300);
    EXPECT_GT(Count(timerCalls, 1003), 10);
    EXPECT_GT(Count(timerCalls, 1004), 2);
    EXPECT_LT(Count(timerCalls, 1004), Count(timerCalls, 1003));
    PlatformKillTimer(1003);
    EXPECT_FALSE(HoldsFineTimerResolution());
    PlatformSetTimer(1004, 100000); // restarted with a long period: not due any more
    timerCalls.clear();
    Pump(150);
    EXPECT_EQ(Count(timerCalls, 1003), 0);
    EXPECT_EQ(Count(timerCalls, 1004), 0);
    PlatformKillTimer(1004);
}

TEST_F(MainWindowTest, TimerWithANestedLoopIsNotReenteredWhileOthersGoOn)
{
    int depth = 0, deepest = 0, stepsInside = 0;
    onTimer = [&](int id) {
        if (id == 1003 && depth > 0) stepsInside++;
        if (id != 1005) return;
        depth++;
        deepest = std::max(deepest, depth);
        if (depth == 1) Pump(200); // like the result dialog opened from the result timer
        depth--;
        PlatformKillTimer(1005);
    };
    PlatformSetTimer(1003, 10);
    PlatformSetTimer(1005, 20);
    Pump(400);
    EXPECT_EQ(deepest, 1);
    EXPECT_GT(stepsInside, 5);
    PlatformKillTimer(1003);
}

TEST_F(MainWindowTest, CloseBoxAsksTheGameWhichDestroysTheWindow)
{
    PlatformSetTimer(1003, 10);
    SendMessageW(MainWindowHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(destroyedCalls, 1);
    EXPECT_FALSE(PlatformMainWindowExists());
    int width = -1, height = -1;
    PlatformGetClientSize(&width, &height);
    EXPECT_EQ(std::pair(width, height), std::pair(0, 0));
    timerCalls.clear();
    Pump(60);
    EXPECT_TRUE(timerCalls.empty()); // the timers died with the window
    PlatformPostCommand(CmdPause);    // nowhere to go: dropped
    PlatformRequestRepaint();
    Pump(20);
    EXPECT_TRUE(commands.empty());
}

// ---- dialogs ----

enum { GroupId = -1, SliderId = 100, RadioA = 201, RadioB = 202, CheckId = 300, RadioC = 203, RadioD = 204,
       LabelId = 400, IconId = 500, MnemonicLabelId = 401 };

const ControlDef TestControls[] = {
    {GroupId, ControlGroupBox, "Group", 0, 4, 4, 150, 40, 0},
    {SliderId, ControlSlider, "", 0, 10, 14, 100, 12, StyleTabStop},
    {RadioA, ControlRadio, "A", 0, 10, 30, 30, 10, StyleGroupStart | StyleTabStop},
    {RadioB, ControlRadio, "B", 0, 40, 30, 30, 10, 0},
    {CheckId, ControlCheckBox, "&Check", 0, 70, 30, 40, 10, StyleTabStop},
    {RadioC, ControlRadio, "C", 0, 10, 50, 30, 10, 0},
    {RadioD, ControlRadio, "D", 0, 40, 50, 30, 10, 0},
    {LabelId, ControlLabel, "label", 0, 10, 64, 100, 8, StyleNoPrefix},
    {MnemonicLabelId, ControlLabel, "&Mnemonic", 0, 10, 72, 100, 8, 0},
    {IconId, ControlIcon, "", 165, 120, 50, 20, 20, 0},
    {IdOk, ControlDefaultButton, "OK", 0, 100, 80, 40, 14, StyleTabStop},
    {IdCancel, ControlButton, "Cancel", 0, 40, 80, 40, 14, StyleTabStop},
};
const DialogTemplate CentredTemplate = {999, "Backend dialog", 160, 100, "MS Shell Dlg", 8, true, 0, 0,
                                        TestControls, sizeof TestControls / sizeof TestControls[0]};
const DialogTemplate PlacedTemplate = {998, "Backend dialog", 160, 100, "System", 8, false, 22, 17,
                                       TestControls, sizeof TestControls / sizeof TestControls[0]};

bool TestDialogProc(Dialog* dialog, DialogEvent event, int id, int code)
{
    if (event == DialogInit) {
        if (onInit) onInit(dialog);
        return true;
    }
    events.emplace_back(event, id, code);
    if (onEvent) onEvent(dialog, event, id, code);
    return true;
}

HWND DialogWindow() { return FindWindowW(L"#32770", L"Backend dialog"); }

using DialogTest = MainWindowTest;

TEST_F(DialogTest, ControlsHoldWhatTheProcedureSetsWithoutNotifying)
{
    onInit = [](Dialog* dialog) {
        DialogSetSliderRange(dialog, SliderId, 0, 50);
        DialogSetSliderTicks(dialog, SliderId, 10);
        DialogSetSliderPos(dialog, SliderId, 80); // beyond the range: the last position
        EXPECT_EQ(DialogGetSliderPos(dialog, SliderId), 50);
        DialogSetCheck(dialog, RadioB, true);
        DialogSetCheck(dialog, CheckId, true);
        DialogSetCheck(dialog, CheckId, false);
        EXPECT_TRUE(DialogGetCheck(dialog, RadioB));
        EXPECT_FALSE(DialogGetCheck(dialog, CheckId));
        DialogSetText(dialog, LabelId, "Gr\xC3\xB6\xC3\x9F" "e & mehr");
        wchar_t text[64];
        GetDlgItemTextW(DialogWindow(), LabelId, text, 64);
        EXPECT_STREQ(text, L"Gr\u00F6\u00DFe & mehr");
        // This label has mnemonics in the table; a text set later still shows its '&' as it is.
        DialogSetText(dialog, MnemonicLabelId, "Fish & Chips");
        EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(DialogWindow(), MnemonicLabelId), GWL_STYLE) & SS_NOPREFIX);
        DialogSetCaption(dialog, "Backend dialog");
        HICON picture = HICON(SendDlgItemMessageW(DialogWindow(), IconId, STM_GETICON, 0, 0));
        EXPECT_EQ(picture, GameIcon(165, 32));
        DialogSetIcon(dialog, IconId, 166);
        EXPECT_EQ(HICON(SendDlgItemMessageW(DialogWindow(), IconId, STM_GETICON, 0, 0)), GameIcon(166, 32));
        // Unknown controls are ignored.
        DialogSetSliderPos(dialog, 12345, 3);
        EXPECT_EQ(DialogGetSliderPos(dialog, 12345), 0);
        EXPECT_FALSE(DialogGetCheck(dialog, 12345));
        DialogEnd(dialog, 7);
    };
    EXPECT_EQ(PlatformRunDialog(CentredTemplate, TestDialogProc), 7);
    EXPECT_TRUE(events.empty());
}

TEST_F(DialogTest, PlayerActionsBecomeCommandsAndSliderCodes)
{
    onInit = [](Dialog* dialog) {
        DialogSetSliderRange(dialog, SliderId, 0, 8);
        DialogSetCheck(dialog, RadioA, true);
        DialogSetCheck(dialog, RadioC, true);
        HWND window = DialogWindow();
        HWND slider = GetDlgItem(window, SliderId);
        HWND check = GetDlgItem(window, CheckId);
        PostMessageW(GetDlgItem(window, RadioB), BM_CLICK, 0, 0);
        PostMessageW(slider, WM_KEYDOWN, VK_END, 0);
        PostMessageW(slider, WM_KEYUP, VK_END, 0);
        PostMessageW(check, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(check, WM_KEYDOWN, VK_RETURN, 0);
    };
    onEvent = [](Dialog* dialog, DialogEvent event, int id, int) {
        if (event == DialogCommand && id == RadioB) {
            // An automatic radio button moves the check within its own group only.
            EXPECT_TRUE(DialogGetCheck(dialog, RadioB));
            EXPECT_FALSE(DialogGetCheck(dialog, RadioA));
            EXPECT_TRUE(DialogGetCheck(dialog, RadioC));
        }
        if (event == DialogCommand && id == IdOk) DialogEnd(dialog, IdOk);
    };
    EXPECT_EQ(PlatformRunDialog(CentredTemplate, TestDialogProc), IdOk);
    std::vector<std::tuple<DialogEvent, int, int>> expected = {
        {DialogCommand, RadioB, ButtonClicked}, {DialogSlider, SliderId, SliderBottom},
        {DialogSlider, SliderId, SliderEndTrack}, {DialogCommand, IdCancel, ButtonClicked},
        {DialogCommand, IdOk, ButtonClicked}};
    EXPECT_EQ(events, expected);
}

TEST_F(DialogTest, PlacementOnTheOwnerAndMoves)
{
    ScreenRect owner = PlatformGetWindowRect();
    ScreenRect centred{}, moved{};
    onInit = [&](Dialog* dialog) {
        centred = DialogGetRect(dialog);
        DialogMove(dialog, 30, 40);
        moved = DialogGetRect(dialog);
        DialogEnd(dialog, IdOk);
    };
    PlatformRunDialog(CentredTemplate, TestDialogProc);
    EXPECT_NEAR((centred.left + centred.right) / 2, (owner.left + owner.right) / 2, 2);
    EXPECT_NEAR((centred.top + centred.bottom) / 2, (owner.top + owner.bottom) / 2, 2);
    EXPECT_EQ(Corners(moved), std::tuple(30, 40, 30 + centred.right - centred.left, moved.bottom));
    // An owner hanging off the screen's top-left corner: the dialog stays on the screen.
    MoveWindow(MainWindowHandle(), -300, -300, 400, 300, TRUE);
    onInit = [&](Dialog* dialog) {
        centred = DialogGetRect(dialog);
        DialogEnd(dialog, IdOk);
    };
    PlatformRunDialog(CentredTemplate, TestDialogProc);
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(std::tuple(centred.left, centred.top), std::tuple(area.left, area.top));
    PlatformSetWindowRect({owner.left, owner.top, owner.right, owner.bottom});

    ScreenRect client = PlatformGetClientScreenRect();
    RECT offset{22, 17, 0, 0};
    POINT inner{0, 0};
    onInit = [&](Dialog* dialog) {
        MapDialogRect(DialogWindow(), &offset);
        ClientToScreen(DialogWindow(), &inner);
        DialogEnd(dialog, IdOk);
    };
    PlatformRunDialog(PlacedTemplate, TestDialogProc);
    // The dialog's own client area starts (22, 17) dialog units from the main window's client corner.
    EXPECT_EQ(std::pair(inner.x, inner.y), std::pair(client.left + offset.left, client.top + offset.top));
    EXPECT_GT(offset.left, 0);
}

TEST_F(DialogTest, ForegroundDialogTakesCommandsFromTimers)
{
    // Like the joystick button: a timer finds the dialog in front and presses its OK button.
    int seen = 0;
    onTimer = [&](int id) {
        if (id == 1009) { // a box nobody answered would hold the test for ever: fail instead
            if (HWND box = FindWindowW(L"#32770", L"New Game")) PostMessageW(box, WM_COMMAND, IDNO, 0);
            return;
        }
        if (id != 1008) return;
        if (Dialog* dialog = PlatformForegroundDialog()) {
            seen++;
            DialogSendCommand(dialog, IdOk);
        }
    };
    onEvent = [](Dialog* dialog, DialogEvent event, int id, int) {
        if (event == DialogCommand && id == IdOk) DialogEnd(dialog, 3);
    };
    PlatformSetTimer(1008, 50);
    EXPECT_EQ(PlatformRunDialog(CentredTemplate, TestDialogProc), 3);
    EXPECT_EQ(seen, 1);
    // A message box in front (the New Game question) is answered too: its OK is not a Yes.
    PlatformSetTimer(1009, 3000);
    EXPECT_FALSE(PlatformAskYesNo("Are you sure?", "New Game"));
    PlatformKillTimer(1008);
    PlatformKillTimer(1009);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(PlatformForegroundDialog(), nullptr);
}

TEST_F(DialogTest, BadTemplatesFailWithAnErrorText)
{
    DialogTemplate broken = CentredTemplate;
    broken.controls = nullptr;
    EXPECT_EQ(PlatformRunDialog(broken, TestDialogProc), -1);
    const int code = PlatformLastError();
    EXPECT_NE(code, 0);
    const std::string text = PlatformErrorText(code);
    EXPECT_TRUE(!text.empty() && text.back() != '\n') << text;
    EXPECT_EQ(PlatformRunDialog(CentredTemplate, nullptr), -1);
    EXPECT_STRNE(PlatformErrorText(0x7FFFFFF0), "");
}

// ---- the verdict (the game's own dialog and procedure) ----

// Runs the verdict titled "Verdict"; `act` runs on each 20 ms tick of timer 1008 with the verdict's window until
// it returns true, then the verdict is closed by OK if still open. Returns the verdict's end code.
int RunVerdict(const std::function<bool(HWND)>& act)
{
    bool done = false;
    onTimer = [&](int id) {
        HWND verdict = FindWindowW(L"#32770", L"Verdict");
        // One step at a time: a tick caught up at once with the last one waits until its keys have been handled.
        if (id != 1008 || !verdict || HIWORD(GetQueueStatus(QS_POSTMESSAGE))) return;
        if (!done) done = act(verdict);
        else PostMessageW(verdict, WM_COMMAND, IDOK, 0);
    };
    PlatformSetTimer(1008, 20);
    int result = ShowLandingResult("Verdict", "    details", "message");
    PlatformKillTimer(1008);
    onTimer = nullptr;
    return result;
}

TEST_F(DialogTest, SteeringKeysOnTheVerdictNeverReachExitGame)
{
    // Keys go to the control that has the focus, one tick apart; the arrows steer the craft, so they must leave the
    // focus on OK, while Tab and Alt+X still reach "Exit Game".
    constexpr WPARAM AltX = 'X';
    const std::pair<std::vector<WPARAM>, int> cases[] = {
        {{VK_RIGHT, VK_SPACE}, IdOk},
        {{VK_DOWN, VK_LEFT, VK_UP, VK_RETURN}, IdOk},
        {{VK_TAB, VK_SPACE}, IdExitGame},
        {{AltX}, IdExitGame},
    };
    for (const auto& [keys, expected] : cases) {
        commands.clear();
        size_t next = 0;
        int result = RunVerdict([&](HWND) {
            HWND focus = GetFocus();
            WPARAM key = keys[next++];
            if (key == AltX) PostMessageW(focus, WM_SYSCHAR, 'x', 1 << 29);
            else PostMessageW(focus, WM_KEYDOWN, key, 0);
            if (key == VK_SPACE) PostMessageW(focus, WM_KEYUP, key, 0);
            return next >= keys.size();
        });
        EXPECT_EQ(result, expected) << "first key " << keys[0];
        EXPECT_EQ(Count(commands, CmdExit), expected == IdExitGame ? 1 : 0);
    }
}

TEST_F(DialogTest, VerdictInThePlayfieldsCornerOrElseOnTheScreen)
{
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    // The window where it is wholly on the screen, then partly past the right edge, then minimised.
    const std::pair<ScreenRect, int> cases[] = {
        {{100, 100, 700, 600}, SW_SHOWNORMAL},
        {{area.right - 200, 100, area.right + 400, 600}, SW_SHOWNORMAL},
        {{100, 100, 700, 600}, SW_MINIMIZE},
    };
    for (const auto& [window, show] : cases) {
        ShowWindow(MainWindowHandle(), SW_RESTORE);
        MoveWindow(MainWindowHandle(), window.left, window.top, window.right - window.left, window.bottom - window.top,
                   TRUE);
        Pump(20);
        const ScreenRect client = PlatformGetClientScreenRect();
        ShowWindow(MainWindowHandle(), show);
        Pump(20);
        EXPECT_EQ(Corners(PlatformGetClientScreenRect()), Corners(client)) << "show " << show;
        RECT verdict{};
        RunVerdict([&](HWND dialog) { return GetWindowRect(dialog, &verdict); });
        const int width = verdict.right - verdict.left;
        const bool cornerOnScreen = client.right <= area.right;
        EXPECT_EQ(std::pair(verdict.left, verdict.top),
                  std::pair(cornerOnScreen ? client.right - width : LONG(area.right - width), LONG(client.top)))
            << window.left << " show " << show;
    }
    ShowWindow(MainWindowHandle(), SW_RESTORE);
}

// ---- the playfield at a display scale ----

TEST(Win32Scale, EveryGamePixelCoversTheSameAreaAndWholeMultiplesStaySharp)
{
    // One white pixel at each place of a 4 x 4 frame: at 125 % and 150 % it covers 1.25 or 1.5 device pixels each
    // way wherever it lies (weights are in 256ths, so the sum may be off by a little); at 200 % it is a 2 x 2 block.
    for (auto [target, share] : {std::pair{5, 1.25}, {6, 1.5}, {8, 2.0}})
        for (int at = 0; at < 16; at++) {
            uint32_t pixels[16] = {};
            pixels[at] = 0xFFFFFF;
            std::vector<uint32_t> out;
            ASSERT_TRUE(ScaleFrameSharp(pixels, 4, 4, target, target, out));
            double covered = 0;
            for (uint32_t c : out) covered += (c & 0xFF) / 255.0;
            EXPECT_NEAR(covered, share * share, 0.06) << target << " at " << at;
            for (int i = 0; target == 8 && i < 64; i++) EXPECT_EQ(out[size_t(i)], pixels[i / 16 * 4 + i % 8 / 2]) << at;
        }
    std::vector<uint32_t> out;
    const uint32_t one = 0;
    EXPECT_FALSE(ScaleFrameSharp(&one, 1, 1, 0, 1, out)); // a target smaller than the frame
    EXPECT_FALSE(ScaleFrameSharp(nullptr, 1, 1, 2, 2, out));
}

// ---- settings store ----

class StoreTest : public testing::Test {
protected:
    static constexpr const char* Path = "Software\\Orv\\DravolinexBackendTest";
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, Widen(Path).c_str()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Widen(Path).c_str()); }
};

TEST_F(StoreTest, StatusesFollowTheRegistry)
{
    StoreKey* key = nullptr;
    EXPECT_EQ(PlatformStoreOpen(Path, false, &key), StoreNotFound);
    EXPECT_EQ(key, nullptr);
    ASSERT_EQ(PlatformStoreOpen(Path, true, &key), StoreOk);
    uint8_t record[60], back[60] = {};
    for (int i = 0; i < 60; i++) record[i] = uint8_t(i * 7);
    EXPECT_EQ(PlatformStoreSet(key, "options", StoreTypeBinary, record, sizeof record), StoreOk);
    EXPECT_EQ(PlatformStoreClose(key), StoreOk);

    ASSERT_EQ(PlatformStoreOpen(Path, false, &key), StoreOk);
    uint32_t size = 16, type = StoreTypeNone; // too little room offered
    EXPECT_EQ(PlatformStoreQuery(key, "options", back, &size, &type), StoreMoreData);
    EXPECT_EQ(size, 60u);
    size = sizeof back;
    EXPECT_EQ(PlatformStoreQuery(key, "options", back, &size, &type), StoreOk);
    EXPECT_EQ(std::pair(size, type), std::pair(60u, uint32_t(StoreTypeBinary)));
    EXPECT_EQ(memcmp(back, record, 60), 0);
    size = sizeof back;
    EXPECT_EQ(PlatformStoreQuery(key, "wndsize", back, &size, &type), StoreNotFound);
    EXPECT_EQ(PlatformStoreClose(key), StoreOk);
    EXPECT_NE(PlatformStoreClose(nullptr), StoreOk);
    EXPECT_NE(PlatformStoreQuery(nullptr, "options", back, &size, &type), StoreOk);
}

// ---- icons ----

TEST(Win32Icons, IconsAtTheAskedSizeMissingOnesNull)
{
    // 107 comes from the program file's own icon (up to 256 pixels), 165 from the embedded icon file.
    for (auto [id, size] : {std::pair{107, 16}, {107, 24}, {107, 48}, {107, 256}, {165, 16}, {165, 32}}) {
        HICON icon = GameIcon(id, size);
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP picture{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof picture, &picture);
        EXPECT_EQ(picture.bmWidth, size) << id;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    EXPECT_EQ(GameIcon(9999, 32), nullptr);
    EXPECT_NE(GameIcon(32516, 32), nullptr); // the system's information icon
}

TEST(Win32Joystick, EmptySlotsAreNotAskedOnEveryPoll)
{
    // No joystick here: ten polls over every slot in a row ask each empty slot once, not ten times.
    int slots = PlatformJoystickCount(), before = JoystickQueryCount();
    JoystickPosition position;
    for (int poll = 0; poll < 10; poll++)
        for (int slot = 0; slot < slots; slot++) EXPECT_FALSE(PlatformJoystickGetPosition(slot, &position));
    EXPECT_LE(JoystickQueryCount() - before, slots);
}

} // namespace

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
