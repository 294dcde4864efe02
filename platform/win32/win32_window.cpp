// Program entry, the main window with its menu, painting of the game's finished frames, and the window's placement.
#include "platform/common/flight_log.h"
#include "platform/common/frame_copy.h"
#include "platform/win32/win32_backend.h"
#include "platform/app_entry.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "resources/shell_tables.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int MinimumSize = 120;
constexpr int MaximumSize = 16384;

HINSTANCE appInstance = nullptr;
int showCommand = SW_SHOWDEFAULT;
HWND mainWindow = nullptr;
std::wstring className;

// The last frame presented, in the DIB's byte order (B, G, R, unused).
ShownFrame frame; // what the client area shows, in DIB order
HDC paintDC = nullptr;      // the device context of the WM_PAINT being handled
bool presentedInPaint = false;
std::vector<uint32_t> scaled; // the frame at a fractional display scale, in device pixels

// How far the client area's edges lie inside the outer rectangle (caption, menu and frame), taken while the window
// is shown, so that the client area of a minimised window can be told from the place it will be restored to.
RECT clientInset{0, 0, 0, 0};

// The window's icons at the size its monitor's scale asks for (the system caches nothing for us here).
void SetWindowIcons(HWND window)
{
    int dpi = WindowDpi(window);
    SendMessageW(window, WM_SETICON, ICON_BIG, LPARAM(GameIcon(IconProgram, MulDiv(32, dpi, 96))));
    SendMessageW(window, WM_SETICON, ICON_SMALL, LPARAM(GameIcon(IconProgramSmall, MulDiv(16, dpi, 96))));
}

// The frame is drawn at the display's scale: each game pixel covers dpi/96 device pixels each way. At whole
// multiples (200 %, 300 %) it is a sharp block; in between (125 %, 150 %) the game pixels are spread evenly by
// ScaleFrameSharp instead of being doubled here and there, which would make lines one and two pixels wide.
void DrawFrame(HDC dc)
{
    RECT client;
    GetClientRect(mainWindow, &client);
    const int dpi = WindowDpi(mainWindow);
    int drawnWidth = 0, drawnHeight = 0;
    if (frame.width > 0 && frame.height > 0) {
        drawnWidth = int((long long)frame.width * dpi / 96);
        drawnHeight = int((long long)frame.height * dpi / 96);
        const uint32_t* bits = frame.pixels.data();
        int bitsWidth = frame.width, bitsHeight = frame.height;
        if (dpi % 96 != 0 &&
            ScaleFrameSharp(frame.pixels.data(), frame.width, frame.height, drawnWidth, drawnHeight, scaled)) {
            bits = scaled.data();
            bitsWidth = drawnWidth;
            bitsHeight = drawnHeight;
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = bitsWidth;
        info.bmiHeader.biHeight = -bitsHeight; // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        if (bitsWidth == drawnWidth) {
            SetDIBitsToDevice(dc, 0, 0, DWORD(bitsWidth), DWORD(bitsHeight), 0, 0, 0, UINT(bitsHeight), bits, &info,
                              DIB_RGB_COLORS);
        } else {
            SetStretchBltMode(dc, COLORONCOLOR); // whole multiples: every pixel repeated, none blended
            StretchDIBits(dc, 0, 0, drawnWidth, drawnHeight, 0, 0, bitsWidth, bitsHeight, bits, &info, DIB_RGB_COLORS,
                          SRCCOPY);
        }
    }
    // Whatever the frame does not cover stays black.
    HBRUSH black = HBRUSH(GetStockObject(BLACK_BRUSH));
    RECT right{drawnWidth, 0, client.right, client.bottom};
    RECT below{0, drawnHeight, std::min<LONG>(drawnWidth, client.right), client.bottom};
    if (right.left < right.right && right.top < right.bottom) FillRect(dc, &right, black);
    if (below.left < below.right && below.top < below.bottom) FillRect(dc, &below, black);
}

void Paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(mainWindow, &paint);
    paintDC = dc;
    presentedInPaint = false;
    AppPaint();
    if (!presentedInPaint && mainWindow) DrawFrame(dc);
    paintDC = nullptr;
    if (mainWindow) EndPaint(mainWindow, &paint);
}

void NoteClientInset()
{
    RECT outer;
    ScreenRect inner = PlatformGetClientScreenRect();
    if (!IsIconic(mainWindow) && GetWindowRect(mainWindow, &outer))
        clientInset = RECT{inner.left - outer.left, inner.top - outer.top, outer.right - inner.right,
                           outer.bottom - inner.bottom};
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        AppCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == PumpTimerId) OnPumpTimer();
        return 0;
    case MM_JOY1BUTTONDOWN:
    case MM_JOY2BUTTONDOWN:
        AppJoystickButton();
        return 0;
    case WM_PAINT:
        if (window == mainWindow) {
            Paint();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1; // the frame (or black) covers the whole client area
    case WM_SIZE:
        if (window == mainWindow && wParam != SIZE_MINIMIZED) NoteClientInset();
        break;
    case WM_DPICHANGED:
        // Moved onto a monitor with another scale: take the size Windows suggests, so the menu and frame keep
        // their proportions, and icons drawn for that scale.
        if (window == mainWindow && lParam) {
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
            SetWindowIcons(window);
        }
        return 0;
    case WM_CLOSE:
        AppCloseRequested();
        return 0;
    case WM_DESTROY:
        if (window == mainWindow) {
            StopAllTimers();
            ReleaseJoystickCapture();
            mainWindow = nullptr;
            AppDestroyed();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The menu bar from the menu table: pop-ups nest, "Rocket Lifter" is disabled without being greyed.
HMENU BuildMenuBar()
{
    HMENU bar = CreateMenu();
    std::vector<HMENU> shells{bar};
    std::vector<std::wstring> captions{L""};
    for (int i = 0; i < MainMenuCount; i++) {
        const MenuItemDef& def = MainMenu[i];
        switch (def.kind) {
        case MenuPopupBegin:
            shells.push_back(CreatePopupMenu());
            captions.push_back(Widen(def.text));
            break;
        case MenuPopupEnd:
            if (shells.size() > 1) {
                HMENU popup = shells.back();
                std::wstring caption = captions.back();
                shells.pop_back();
                captions.pop_back();
                AppendMenuW(shells.back(), MF_STRING | MF_POPUP, UINT_PTR(popup), caption.c_str());
            }
            break;
        case MenuSeparator:
            AppendMenuW(shells.back(), MF_SEPARATOR, 0, nullptr);
            break;
        case MenuCommandItem: {
            UINT flags = MF_STRING;
            if (def.flags & MenuChecked) flags |= MF_CHECKED;
            if (def.flags & MenuDisabled) flags |= MF_DISABLED;
            AppendMenuW(shells.back(), flags, UINT_PTR(def.command), Widen(def.text).c_str());
            break;
        }
        }
    }
    return bar;
}

ATOM RegisterMainWindowClass()
{
    className = Widen(LoadGameString(StringClassName));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = appInstance;
    wc.hIcon = GameIcon(IconProgram, GetSystemMetrics(SM_CXICON));
    wc.hIconSm = GameIcon(IconProgramSmall, GetSystemMetrics(SM_CXSMICON));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // the arrow
    wc.hbrBackground = HBRUSH(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = className.c_str();
    return RegisterClassExW(&wc);
}

} // namespace

HINSTANCE AppInstance()
{
    return appInstance;
}

HWND MainWindowHandle()
{
    return mainWindow;
}

bool PlatformCreateMainWindow(const char* title)
{
    if (mainWindow) return true;
    if (!appInstance) appInstance = GetModuleHandleW(nullptr);
    if (className.empty()) RegisterMainWindowClass();
    HMENU menu = BuildMenuBar();
    HWND window = CreateWindowExW(0, className.c_str(), Widen(title).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                  CW_USEDEFAULT, 0, nullptr, menu, appInstance, nullptr);
    if (!window) {
        DestroyMenu(menu);
        return false;
    }
    mainWindow = window;
    SetWindowIcons(window);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    NoteClientInset(); // its first WM_SIZE came before it was the main window
    return true;
}

bool PlatformMainWindowExists()
{
    return mainWindow != nullptr;
}

void PlatformDestroyMainWindow()
{
    if (mainWindow) DestroyWindow(mainWindow);
}

// The client size in the window's logical pixels (device pixels at 100 %): the game lays out its playfield and
// zoom in these, and DrawFrame shows each of them at the display's scale.
void PlatformGetClientSize(int* width, int* height)
{
    RECT client{0, 0, 0, 0};
    if (mainWindow && !IsIconic(mainWindow)) GetClientRect(mainWindow, &client);
    const int dpi = WindowDpi(mainWindow);
    if (width) *width = int((long long)(client.right - client.left) * 96 / dpi);
    if (height) *height = int((long long)(client.bottom - client.top) * 96 / dpi);
}

namespace {

// The outer rectangle the window has, or, minimised or maximised, the one it returns to.
RECT RestoredWindowRect()
{
    RECT rect{0, 0, 0, 0};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if ((IsIconic(mainWindow) || IsZoomed(mainWindow)) && GetWindowPlacement(mainWindow, &placement)) {
        // Minimised (parked at -32000) or maximised, the placement worth keeping is the one the window returns
        // to. Its normal rectangle counts from the work area's corner, not the screen's.
        rect = placement.rcNormalPosition;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor))
            OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    } else {
        GetWindowRect(mainWindow, &rect);
    }
    return rect;
}

} // namespace

// Screen coordinates are device pixels. A minimised window's client area is where it will be when restored, so a
// dialog placed on it (the verdict after a crash in a minimised game) opens where the player will look.
ScreenRect PlatformGetClientScreenRect()
{
    if (!mainWindow) return ScreenRect{0, 0, 0, 0};
    if (IsIconic(mainWindow)) {
        RECT outer = RestoredWindowRect();
        return ScreenRect{outer.left + clientInset.left, outer.top + clientInset.top, outer.right - clientInset.right,
                          outer.bottom - clientInset.bottom};
    }
    RECT client;
    GetClientRect(mainWindow, &client);
    POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
    MapWindowPoints(mainWindow, nullptr, corners, 2);
    return ScreenRect{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

// The stored placement: the top-left corner in screen coordinates, the size in logical pixels, so that a window
// kept at 100 % opens at the same size on the screen at 150 % or 200 % (and the playfield stored with it fits).
ScreenRect PlatformGetWindowRect()
{
    if (!mainWindow) return ScreenRect{0, 0, 0, 0};
    RECT rect = RestoredWindowRect();
    const int dpi = WindowDpi(mainWindow);
    return ScreenRect{rect.left, rect.top, int32_t(rect.left + (long long)(rect.right - rect.left) * 96 / dpi),
                      int32_t(rect.top + (long long)(rect.bottom - rect.top) * 96 / dpi)};
}

ScreenRect FitOntoMonitor(const ScreenRect& rect)
{
    long long width = std::clamp<long long>((long long)rect.right - rect.left, MinimumSize, MaximumSize);
    long long height = std::clamp<long long>((long long)rect.bottom - rect.top, MinimumSize, MaximumSize);
    long long left = rect.left, top = rect.top;
    // A placement stored under another screen layout (a monitor since unplugged) must not leave the window, and
    // the dialogs centred on it, out of sight: it comes onto the work area of the monitor nearest to it.
    RECT wanted{LONG(left), LONG(top), LONG(std::min<long long>(left + width, INT32_MAX)),
                LONG(std::min<long long>(top + height, INT32_MAX))};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& area = monitor.rcWork;
        width = std::min<long long>(width, std::max<long long>(MinimumSize, area.right - area.left));
        height = std::min<long long>(height, std::max<long long>(MinimumSize, area.bottom - area.top));
        left = std::clamp<long long>(left, area.left, std::max<long long>(area.left, area.right - width));
        top = std::clamp<long long>(top, area.top, std::max<long long>(area.top, area.bottom - height));
    }
    return ScreenRect{int32_t(left), int32_t(top), int32_t(left + width), int32_t(top + height)};
}

void PlatformSetWindowRect(const ScreenRect& rect)
{
    if (!mainWindow) return;
    // The size comes in logical pixels: it takes the scale of the monitor the window will be on.
    RECT target{rect.left, rect.top, rect.right, rect.bottom};
    const int dpi = MonitorDpi(MonitorFromRect(&target, MONITOR_DEFAULTTONEAREST), WindowDpi(mainWindow));
    ScreenRect fitted = FitOntoMonitor(ScreenRect{
        rect.left, rect.top,
        int32_t(std::clamp<long long>(rect.left + ((long long)rect.right - rect.left) * dpi / 96, INT32_MIN, INT32_MAX)),
        int32_t(std::clamp<long long>(rect.top + ((long long)rect.bottom - rect.top) * dpi / 96, INT32_MIN, INT32_MAX))});
    MoveWindow(mainWindow, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top, TRUE);
}

void PlatformRequestRepaint()
{
    if (mainWindow) InvalidateRect(mainWindow, nullptr, FALSE);
}

void PlatformPresentFrame(const uint32_t* pixels, int width, int height, const FrameArea* changed, int changedCount)
{
    const FrameUpdate update = UpdateShownFrame(frame, pixels, width, height, MaximumSize, changed, changedCount);
    if (update == FrameRejected || !mainWindow) return;
    LogFlightFrame();
    if (paintDC) {
        DrawFrame(paintDC);
        presentedInPaint = true;
        return;
    }
    // A paused game repaints 20 times a second mostly the same picture: an unchanged frame is already on the
    // screen unless some of the client area waits for a repaint, which this frame then serves as before.
    if (update == FrameUnchanged && !GetUpdateRect(mainWindow, nullptr, FALSE)) return;
    if (HDC dc = GetDC(mainWindow)) {
        DrawFrame(dc);
        ReleaseDC(mainWindow, dc);
    }
    // The whole client area now shows the frame: a repaint requested before it needs no WM_PAINT.
    ValidateRect(mainWindow, nullptr);
}

// --help, --version and refused replays: a message box (the game has no console).
static void ShowCommandLineText(const char* text, bool error)
{
    MessageBoxW(nullptr, Widen(text).c_str(), L"Dravolinex", MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

// The whole file, at most 32 MiB (no replay is larger); false when it cannot be read.
static bool ReadWholeFile(const char* path, uint8_t** bytes, size_t* size)
{
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    constexpr DWORD Limit = (DWORD{32} << 20) + 1;
    uint8_t* buffer = static_cast<uint8_t*>(malloc(Limit));
    DWORD got = 0, total = 0;
    bool ok = buffer != nullptr;
    while (ok && total < Limit && ReadFile(file, buffer + total, Limit - total, &got, nullptr) && got > 0) total += got;
    CloseHandle(file);
    if (!ok) return false;
    *bytes = buffer;
    *size = total;
    return true;
}

// The command line's arguments after the program's name, as UTF-8.
static int ReadCommandLine()
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return -1;
    std::vector<std::string> narrow;
    for (int i = 1; i < count; ++i) narrow.push_back(Narrow(wide[i]));
    LocalFree(wide);
    std::vector<char*> args;
    for (std::string& arg : narrow) args.push_back(arg.data());
    return AppReadCommandLine(int(args.size()), args.data(), ShowCommandLineText, ReadWholeFile);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    if (int code = ReadCommandLine(); code >= 0) return code;
    appInstance = instance;
    showCommand = show;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterMainWindowClass();
    int code = AppMain();
    PlatformPurgeSounds();
    return code;
}
