// Modal dialogs built in memory from the control tables (an extended dialog template in dialog units), the control
// API of the dialog procedures, and the message boxes.
#include "platform/win32/win32_backend.h"
#include "platform/dialog.h"
#include "platform/msgbox.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

struct Dialog {
    const DialogTemplate* tmpl;
    DialogProc proc;
    HWND window;
    bool ended;
    std::vector<HWND> controls; // by table row, in creation order
};

namespace {

// Dialog pictures are 32 pixels at 100 % and grow with the dialog's scale like its font.
int DialogIconSize(HWND window)
{
    return MulDiv(32, WindowDpi(window), 96);
}
constexpr WORD ButtonClass = 0x0080;
constexpr WORD StaticClass = 0x0082;

std::vector<Dialog*> openDialogs;
// A dialog of this thread that the game did not build (a message box such as the New Game question): the joystick
// button presses its OK command too.
Dialog otherDialog{nullptr, nullptr, nullptr, false, {}};
DWORD dialogError = 0;
std::string errorText;

bool IsOpen(Dialog* dialog)
{
    return dialog && dialog->window && std::find(openDialogs.begin(), openDialogs.end(), dialog) != openDialogs.end();
}

HWND Control(Dialog* dialog, int id)
{
    return IsOpen(dialog) ? GetDlgItem(dialog->window, id) : nullptr;
}

// ---- building the template ----

struct TemplateWriter {
    std::vector<uint8_t> bytes;

    void Align(size_t boundary)
    {
        while (bytes.size() % boundary) bytes.push_back(0);
    }
    void Word(uint16_t value)
    {
        bytes.push_back(uint8_t(value));
        bytes.push_back(uint8_t(value >> 8));
    }
    void Dword(uint32_t value)
    {
        Word(uint16_t(value));
        Word(uint16_t(value >> 16));
    }
    void Text(const char* utf8)
    {
        for (wchar_t c : Widen(utf8)) Word(uint16_t(c));
        Word(0);
    }
    void Ordinal(uint16_t value)
    {
        Word(0xFFFF);
        Word(value);
    }
};

int16_t Units(int value)
{
    return int16_t(std::clamp(value, -32768, 32767));
}

bool IsShellFont(const char* name)
{
    return name && strcmp(name, "MS Shell Dlg") == 0;
}

DWORD ControlStyle(const ControlDef& def, bool groupStart)
{
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (def.style & StyleTabStop) style |= WS_TABSTOP;
    if (groupStart) style |= WS_GROUP;
    switch (def.kind) {
    case ControlGroupBox: style |= BS_GROUPBOX; break;
    case ControlLabel:
        style |= (def.style & StyleCentred) ? SS_CENTER : SS_LEFT;
        if (def.style & StyleSunken) style |= SS_SUNKEN;
        if (def.style & StyleNoPrefix) style |= SS_NOPREFIX;
        break;
    case ControlIcon: style |= SS_ICON; break;
    case ControlSlider: style |= TBS_AUTOTICKS | TBS_BOTTOM | TBS_HORZ; break;
    case ControlRadio: style |= BS_AUTORADIOBUTTON; break;
    case ControlCheckBox: style |= BS_AUTOCHECKBOX; break;
    case ControlButton: style |= BS_PUSHBUTTON; break;
    case ControlDefaultButton: style |= BS_DEFPUSHBUTTON; break;
    }
    return style;
}

// An extended dialog template (DLGTEMPLATEEX with DLGITEMTEMPLATEEX items) for `tmpl`. A centred dialog starts at
// (0, 0) and is centred on its owner when it opens; the others are placed by the dialog manager relative to the
// owner's client area.
std::vector<uint8_t> BuildTemplate(const DialogTemplate& tmpl)
{
    TemplateWriter out;
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    if (IsShellFont(tmpl.fontName)) style |= DS_SHELLFONT;
    out.Word(1);      // version
    out.Word(0xFFFF); // extended template
    out.Dword(0);     // help id
    out.Dword(0);     // extended style
    out.Dword(style);
    out.Word(uint16_t(tmpl.controlCount));
    out.Word(uint16_t(tmpl.centred ? 0 : Units(tmpl.x)));
    out.Word(uint16_t(tmpl.centred ? 0 : Units(tmpl.y)));
    out.Word(uint16_t(Units(tmpl.width)));
    out.Word(uint16_t(Units(tmpl.height)));
    out.Word(0); // no menu
    out.Word(0); // the dialog class
    out.Text(tmpl.title);
    out.Word(uint16_t(std::clamp(tmpl.fontSize, 1, 72)));
    out.Word(FW_NORMAL);
    out.bytes.push_back(0);                // not italic
    out.bytes.push_back(DEFAULT_CHARSET);
    out.Text(tmpl.fontName && *tmpl.fontName ? tmpl.fontName : "MS Shell Dlg");

    for (int i = 0; i < tmpl.controlCount; i++) {
        const ControlDef& def = tmpl.controls[i];
        bool radio = def.kind == ControlRadio;
        bool previousRadio = i > 0 && tmpl.controls[i - 1].kind == ControlRadio;
        // A radio group runs from its first button to the next control that starts a group.
        bool groupStart = (def.style & StyleGroupStart) || radio != previousRadio;
        out.Align(4);
        out.Dword(0); // help id
        out.Dword(0); // extended style
        out.Dword(ControlStyle(def, groupStart));
        out.Word(uint16_t(Units(def.x)));
        out.Word(uint16_t(Units(def.y)));
        out.Word(uint16_t(Units(def.width)));
        out.Word(uint16_t(Units(def.height)));
        out.Dword(uint32_t(uint16_t(def.id)));
        switch (def.kind) {
        case ControlSlider: out.Text(TRACKBAR_CLASSA); break;
        case ControlLabel:
        case ControlIcon: out.Ordinal(StaticClass); break;
        default: out.Ordinal(ButtonClass); break;
        }
        out.Text(def.kind == ControlIcon ? "" : def.text);
        out.Word(0); // no creation data
    }
    return out.bytes;
}

// ---- the dialog procedure ----

void CollectControls(Dialog* dialog)
{
    dialog->controls.clear();
    for (HWND child = GetWindow(dialog->window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        dialog->controls.push_back(child);
}

void PlaceOnOwner(Dialog* dialog)
{
    if (!dialog->tmpl->centred) return;
    RECT own, owner;
    GetWindowRect(dialog->window, &own);
    HWND ownerWindow = GetWindow(dialog->window, GW_OWNER);
    if (ownerWindow && ownerWindow == MainWindowHandle()) {
        // Centred on where the main window is, or will be again when it is minimised now.
        ScreenRect client = PlatformGetClientScreenRect();
        owner = RECT{client.left, client.top, client.right, client.bottom};
        if (!IsIconic(ownerWindow)) GetWindowRect(ownerWindow, &owner);
    } else if (!ownerWindow || !GetWindowRect(ownerWindow, &owner)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &owner, 0);
    }
    int width = own.right - own.left, height = own.bottom - own.top;
    int x = owner.left + (owner.right - owner.left - width) / 2;
    int y = owner.top + (owner.bottom - owner.top - height) / 2;
    // A dialog larger than its owner (a small game window on a 200 % display) or an owner partly off the screen
    // must not push the dialog's caption and buttons out of reach: it stays on the owner's monitor.
    DialogMove(dialog, x, y);
}

void Notify(Dialog* dialog, DialogEvent event, int id, int code)
{
    if (!dialog->ended) dialog->proc(dialog, event, id, code);
}

INT_PTR CALLBACK GameDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        Dialog* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, LONG_PTR(dialog));
        dialog->window = window;
        openDialogs.push_back(dialog);
        CollectControls(dialog);
        const DialogTemplate& tmpl = *dialog->tmpl;
        for (int i = 0; i < tmpl.controlCount && size_t(i) < dialog->controls.size(); i++)
            if (tmpl.controls[i].kind == ControlIcon && tmpl.controls[i].iconId)
                SendMessageW(dialog->controls[size_t(i)], STM_SETICON,
                             WPARAM(GameIcon(tmpl.controls[i].iconId, DialogIconSize(window))), 0);
        PlaceOnOwner(dialog);
        dialog->proc(dialog, DialogInit, 0, 0);
        return TRUE;
    }
    Dialog* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog || dialog->window != window) return FALSE;
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        Notify(dialog, DialogCommand, LOWORD(wParam), ButtonClicked);
        return TRUE;
    case WM_HSCROLL:
        if (!lParam) return FALSE;
        // The track-bar codes are the game's slider notifications.
        Notify(dialog, DialogSlider, GetDlgCtrlID(HWND(lParam)), LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

int PlatformRunDialog(const DialogTemplate& tmpl, DialogProc proc)
{
    dialogError = 0;
    if (!proc || tmpl.controlCount < 0 || tmpl.controlCount > 0xFFFF || (tmpl.controlCount > 0 && !tmpl.controls) ||
        tmpl.width <= 0 || tmpl.height <= 0) {
        dialogError = ERROR_INVALID_PARAMETER;
        return -1;
    }
    std::vector<uint8_t> bytes = BuildTemplate(tmpl);
    Dialog* dialog = new Dialog{&tmpl, proc, nullptr, false, {}};
    SetLastError(0);
    INT_PTR result = DialogBoxIndirectParamW(AppInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                             MainWindowHandle(), GameDialogProc, LPARAM(dialog));
    if (result == -1) dialogError = GetLastError() ? GetLastError() : ERROR_CANNOT_MAKE;
    auto found = std::find(openDialogs.begin(), openDialogs.end(), dialog);
    if (found != openDialogs.end()) openDialogs.erase(found);
    delete dialog;
    return int(result);
}

Dialog* PlatformForegroundDialog()
{
    HWND foreground = GetForegroundWindow();
    if (!foreground) return nullptr;
    for (Dialog* dialog : openDialogs)
        if (dialog->window == foreground) return dialog->ended ? nullptr : dialog;
    wchar_t className[16] = L"";
    if (GetWindowThreadProcessId(foreground, nullptr) != GetCurrentThreadId() ||
        !GetClassNameW(foreground, className, 16) || lstrcmpW(className, L"#32770") != 0)
        return nullptr;
    otherDialog.window = foreground;
    return &otherDialog;
}

void DialogSendCommand(Dialog* dialog, int controlId)
{
    if (IsOpen(dialog) || (dialog == &otherDialog && IsWindow(dialog->window)))
        SendMessageW(dialog->window, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED), 0);
}

void DialogEnd(Dialog* dialog, int result)
{
    if (!IsOpen(dialog) || dialog->ended) return;
    dialog->ended = true;
    EndDialog(dialog->window, result);
}

void DialogSetSliderRange(Dialog* dialog, int id, int minimum, int maximum)
{
    HWND slider = Control(dialog, id);
    if (!slider) return;
    if (maximum < minimum) maximum = minimum;
    SendMessageW(slider, TBM_SETRANGEMIN, FALSE, minimum);
    SendMessageW(slider, TBM_SETRANGEMAX, TRUE, maximum);
}

void DialogSetSliderTicks(Dialog* dialog, int id, int frequency)
{
    if (HWND slider = Control(dialog, id)) SendMessageW(slider, TBM_SETTICFREQ, WPARAM(std::max(frequency, 1)), 0);
}

void DialogSetSliderPos(Dialog* dialog, int id, int position)
{
    if (HWND slider = Control(dialog, id)) SendMessageW(slider, TBM_SETPOS, TRUE, position);
}

int DialogGetSliderPos(Dialog* dialog, int id)
{
    HWND slider = Control(dialog, id);
    return slider ? int(SendMessageW(slider, TBM_GETPOS, 0, 0)) : 0;
}

void DialogSetCheck(Dialog* dialog, int id, bool checked)
{
    if (HWND button = Control(dialog, id)) SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool DialogGetCheck(Dialog* dialog, int id)
{
    HWND button = Control(dialog, id);
    return button && SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void DialogSetText(Dialog* dialog, int id, const char* text)
{
    HWND control = Control(dialog, id);
    if (!control) return;
    // A text set by the game is shown as it is: an '&' in a label is not a mnemonic mark.
    wchar_t className[16] = L"";
    GetClassNameW(control, className, 16);
    if (lstrcmpiW(className, L"Static") == 0) {
        LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        if (!(style & SS_NOPREFIX)) SetWindowLongPtrW(control, GWL_STYLE, style | SS_NOPREFIX);
    }
    SetWindowTextW(control, Widen(text).c_str());
}

void DialogSetCaption(Dialog* dialog, const char* text)
{
    if (IsOpen(dialog)) SetWindowTextW(dialog->window, Widen(text).c_str());
}

void DialogSetIcon(Dialog* dialog, int id, int iconId)
{
    HWND control = Control(dialog, id);
    HICON icon = control ? GameIcon(iconId, DialogIconSize(dialog->window)) : nullptr;
    if (control && icon) SendMessageW(control, STM_SETICON, WPARAM(icon), 0);
}

ScreenRect DialogGetRect(Dialog* dialog)
{
    RECT rect{0, 0, 0, 0};
    if (IsOpen(dialog)) GetWindowRect(dialog->window, &rect);
    return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

void DialogMove(Dialog* dialog, int x, int y)
{
    if (!IsOpen(dialog)) return;
    RECT own;
    GetWindowRect(dialog->window, &own);
    // Wholly on a monitor's work area the dialog goes exactly where it is asked to; otherwise (a game window partly
    // off the screen, or minimised) onto the work area of the monitor nearest to that place, caption first.
    long long width = own.right - own.left, height = own.bottom - own.top;
    RECT wanted{x, y, LONG(std::min<long long>(x + width, INT32_MAX)), LONG(std::min<long long>(y + height, INT32_MAX))};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& area = monitor.rcWork;
        x = int(std::clamp<long long>(x, area.left, std::max<long long>(area.left, area.right - width)));
        y = int(std::clamp<long long>(y, area.top, std::max<long long>(area.top, area.bottom - height)));
    }
    SetWindowPos(dialog->window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- message boxes and errors ----

bool PlatformAskYesNo(const char* text, const char* caption)
{
    return MessageBoxW(MainWindowHandle(), Widen(text).c_str(), Widen(caption).c_str(), MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}

void PlatformErrorBox(const char* text, const char* caption)
{
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), MB_OK | MB_ICONERROR);
}

int PlatformLastError()
{
    return int(dialogError ? dialogError : GetLastError());
}

const char* PlatformErrorText(int code)
{
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, DWORD(code), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    errorText = length && buffer ? Narrow(buffer) : std::string();
    if (buffer) LocalFree(buffer);
    while (!errorText.empty() && (errorText.back() == '\n' || errorText.back() == '\r' || errorText.back() == ' '))
        errorText.pop_back();
    if (errorText.empty()) errorText = "Unknown error";
    return errorText.c_str();
}
