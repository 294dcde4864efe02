// Modal dialogs built by the page as HTML from the same control tables, driving the game's dialog procedures, and the
// message boxes. Each runs its own nested loop (PumpMessages until it ends); the game's timers and painting go on.
#include "platform/web/web_backend.h"
#include "platform/dialog.h"
#include "platform/msgbox.h"
#include "resources/icon_decode.h"
#include "resources/resources.h"

#include <emscripten.h>

#include <algorithm>
#include <string>
#include <vector>

struct Dialog {
    int serial;
    const DialogTemplate* tmpl;
    DialogProc proc;
    bool ended;
    int result;
};

namespace {

constexpr int SystemInformationIcon = 32516;
constexpr int DialogIconSize = 32;
constexpr int ErrorInvalidParameter = 87;

struct MessageBox {
    int serial;
    bool answered;
    int answer;
};

std::vector<Dialog*> openDialogs;
std::vector<MessageBox*> openBoxes;
int nextSerial = 1;
int lastError = 0;

EM_JS(void, WebOpenDialog, (int serial, const char* spec), { Dravolinex.openDialog(serial, UTF8ToString(spec)); });
EM_JS(void, WebShowDialog, (int serial), { Dravolinex.showDialog(serial); });
EM_JS(void, WebCloseDialog, (int serial), { Dravolinex.closeDialog(serial); });
EM_JS(void, WebSetIconAt, (int serial, int index, const uint32_t* argb, int width, int height), {
    Dravolinex.setIcon(serial, index, argb ? HEAPU32.slice(argb >> 2, (argb >> 2) + width * height) : null, width,
                       height);
});
EM_JS(void, WebSetSlider, (int serial, int id, int what, int a, int b), { Dravolinex.setSlider(serial, id, what, a, b); });
EM_JS(int, WebGetSlider, (int serial, int id), { return Dravolinex.getSlider(serial, id); });
EM_JS(void, WebSetCheck, (int serial, int id, int checked), { Dravolinex.setCheck(serial, id, !!checked); });
EM_JS(int, WebGetCheck, (int serial, int id), { return Dravolinex.getCheck(serial, id) ? 1 : 0; });
EM_JS(void, WebSetText, (int serial, int id, const char* text), { Dravolinex.setText(serial, id, UTF8ToString(text)); });
EM_JS(void, WebSetCaption, (int serial, const char* text), { Dravolinex.setCaption(serial, UTF8ToString(text)); });
EM_JS(void, WebDialogRect, (int serial, int32_t* rect), {
    const r = Dravolinex.dialogRect(serial);
    for (let i = 0; i < 4; i++) HEAP32[(rect >> 2) + i] = r[i];
});
EM_JS(void, WebMoveDialog, (int serial, int x, int y), { Dravolinex.moveDialog(serial, x, y); });
EM_JS(void, WebOpenBox, (int serial, int question, const char* text, const char* caption), {
    Dravolinex.openBox(serial, !!question, UTF8ToString(text), UTF8ToString(caption));
});
EM_JS(double, WebPixelRatio, (), { return Math.min(8, Math.max(1, window.devicePixelRatio || 1)); });
EM_JS(void, WebCloseBox, (int serial), { Dravolinex.closeBox(serial); });

bool IsOpen(Dialog* dialog)
{
    return dialog && std::find(openDialogs.begin(), openDialogs.end(), dialog) != openDialogs.end();
}

int IndexOf(Dialog* dialog, int id)
{
    if (!IsOpen(dialog) || id < 0) return -1;
    for (int i = 0; i < dialog->tmpl->controlCount; i++)
        if (dialog->tmpl->controls[i].id == id) return i;
    return -1;
}

void Notify(Dialog* dialog, DialogEvent event, int id, int code)
{
    if (!dialog->ended) dialog->proc(dialog, event, id, code);
}

// Text fields travel in lines of fields split by 0x1f; the templates' texts hold neither.
std::string Field(const char* text)
{
    std::string out = text ? text : "";
    std::replace(out.begin(), out.end(), '\x1f', ' ');
    std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

// The template for the page: the dialog's line, then one line per control, in template order.
std::string DialogSpec(const DialogTemplate& tmpl)
{
    auto number = [](int value) { return std::to_string(value) + '\x1f'; };
    std::string spec = Field(tmpl.title) + '\x1f' + number(tmpl.width) + number(tmpl.height) + Field(tmpl.fontName) +
                       '\x1f' + number(tmpl.fontSize) + number(tmpl.centred ? 1 : 0) + number(tmpl.x) +
                       std::to_string(tmpl.y) + '\n';
    for (int i = 0; i < tmpl.controlCount; i++) {
        const ControlDef& def = tmpl.controls[i];
        spec += number(def.id) + number(int(def.kind)) + number(int(def.style)) + number(def.iconId) + number(def.x) +
                number(def.y) + number(def.width) + number(def.height) + Field(def.text) + '\n';
    }
    return spec;
}

void ShowIcon(Dialog* dialog, int index, int iconId)
{
    if (iconId == SystemInformationIcon) {
        WebSetIconAt(dialog->serial, index, nullptr, 0, 0); // the page draws the information sign itself
        return;
    }
    ResourceData icon = FindResource(ResourceIcon, iconId);
    std::vector<uint32_t> argb;
    int width = 0, height = 0;
    // Drawn from the icon's image nearest to the screen's pixels, so that it stays sharp at any pixel ratio.
    int size = int(DialogIconSize * WebPixelRatio() + 0.5);
    if (!icon.data || !DecodeIcon(icon.data, icon.size, size, argb, &width, &height)) return;
    WebSetIconAt(dialog->serial, index, argb.data(), width, height);
}

} // namespace

void HandleDialogEvent(const WebEvent& event)
{
    if (event.kind == WebEventBoxAnswer) {
        for (MessageBox* box : openBoxes)
            if (box->serial == event.a && !box->answered) {
                box->answered = true;
                box->answer = event.b;
            }
        return;
    }
    Dialog* dialog = nullptr;
    for (Dialog* open : openDialogs)
        if (open->serial == event.a) dialog = open;
    if (!dialog) return;
    if (event.kind == WebEventDialogCommand) Notify(dialog, DialogCommand, event.b, ButtonClicked);
    else Notify(dialog, DialogSlider, event.b, event.c);
}

void EndAllDialogs(int code)
{
    for (Dialog* dialog : openDialogs) DialogEnd(dialog, code);
    for (MessageBox* box : openBoxes) box->answered = true;
}

int PlatformRunDialog(const DialogTemplate& tmpl, DialogProc proc)
{
    if (!proc || tmpl.controlCount < 0 || (tmpl.controlCount > 0 && !tmpl.controls) || tmpl.width <= 0 ||
        tmpl.height <= 0) {
        lastError = ErrorInvalidParameter;
        return -1;
    }
    Dialog* dialog = new Dialog{nextSerial++, &tmpl, proc, false, 0};
    openDialogs.push_back(dialog);
    WebOpenDialog(dialog->serial, DialogSpec(tmpl).c_str());
    for (int i = 0; i < tmpl.controlCount; i++)
        if (tmpl.controls[i].kind == ControlIcon) ShowIcon(dialog, i, tmpl.controls[i].iconId);
    dialog->proc(dialog, DialogInit, 0, 0);
    if (!dialog->ended) {
        WebShowDialog(dialog->serial);
        while (!dialog->ended && !QuitRequested()) PumpMessages();
    }
    int result = dialog->result;
    openDialogs.erase(std::find(openDialogs.begin(), openDialogs.end(), dialog));
    WebCloseDialog(dialog->serial);
    ClearKeyStates(); // a key released while the dialog had the keyboard never reached the game
    delete dialog;
    return result;
}

Dialog* PlatformForegroundDialog()
{
    if (!openBoxes.empty() || openDialogs.empty()) return nullptr;
    return openDialogs.back();
}

void DialogSendCommand(Dialog* dialog, int controlId)
{
    if (IsOpen(dialog)) Notify(dialog, DialogCommand, controlId, ButtonClicked);
}

void DialogEnd(Dialog* dialog, int result)
{
    if (!IsOpen(dialog) || dialog->ended) return;
    dialog->ended = true;
    dialog->result = result;
}

enum SliderField { SliderRange = 0, SliderTicks = 1, SliderPos = 2 };

void DialogSetSliderRange(Dialog* dialog, int id, int minimum, int maximum)
{
    if (IndexOf(dialog, id) >= 0) WebSetSlider(dialog->serial, id, SliderRange, minimum, std::max(minimum, maximum));
}

void DialogSetSliderTicks(Dialog* dialog, int id, int frequency)
{
    if (IndexOf(dialog, id) >= 0) WebSetSlider(dialog->serial, id, SliderTicks, frequency, 0);
}

void DialogSetSliderPos(Dialog* dialog, int id, int position)
{
    if (IndexOf(dialog, id) >= 0) WebSetSlider(dialog->serial, id, SliderPos, position, 0);
}

int DialogGetSliderPos(Dialog* dialog, int id)
{
    return IndexOf(dialog, id) >= 0 ? WebGetSlider(dialog->serial, id) : 0;
}

void DialogSetCheck(Dialog* dialog, int id, bool checked)
{
    if (IndexOf(dialog, id) >= 0) WebSetCheck(dialog->serial, id, checked);
}

bool DialogGetCheck(Dialog* dialog, int id)
{
    return IndexOf(dialog, id) >= 0 && WebGetCheck(dialog->serial, id);
}

void DialogSetText(Dialog* dialog, int id, const char* text)
{
    if (IndexOf(dialog, id) >= 0) WebSetText(dialog->serial, id, text ? text : "");
}

void DialogSetCaption(Dialog* dialog, const char* text)
{
    if (IsOpen(dialog)) WebSetCaption(dialog->serial, text ? text : "");
}

void DialogSetIcon(Dialog* dialog, int id, int iconId)
{
    int index = IndexOf(dialog, id);
    if (index >= 0 && dialog->tmpl->controls[index].kind == ControlIcon) ShowIcon(dialog, index, iconId);
}

ScreenRect DialogGetRect(Dialog* dialog)
{
    if (!IsOpen(dialog)) return ScreenRect{0, 0, 0, 0};
    int32_t rect[4];
    WebDialogRect(dialog->serial, rect);
    return ScreenRect{rect[0], rect[1], rect[2], rect[3]};
}

void DialogMove(Dialog* dialog, int x, int y)
{
    if (IsOpen(dialog)) WebMoveDialog(dialog->serial, x, y);
}

namespace {

int RunMessageBox(bool question, const char* text, const char* caption)
{
    MessageBox box{nextSerial++, false, 0};
    openBoxes.push_back(&box);
    WebOpenBox(box.serial, question, text ? text : "", caption ? caption : "");
    while (!box.answered && !QuitRequested()) PumpMessages();
    openBoxes.erase(std::find(openBoxes.begin(), openBoxes.end(), &box));
    WebCloseBox(box.serial);
    ClearKeyStates();
    return box.answer;
}

} // namespace

bool PlatformAskYesNo(const char* text, const char* caption)
{
    return RunMessageBox(true, text, caption) == 1;
}

void PlatformErrorBox(const char* text, const char* caption)
{
    RunMessageBox(false, text, caption);
}

int PlatformLastError()
{
    return lastError;
}

const char* PlatformErrorText(int code)
{
    return code == ErrorInvalidParameter ? "The parameter is incorrect." : "The page could not build the window.";
}
