// Headless backend: modal dialogs run from test scripts, message boxes and error texts.
#include <algorithm>
#include <cstdio>
#include <deque>

#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"

struct Dialog {
    const DialogTemplate* tmpl;
    DialogProc proc;
    std::vector<HeadlessControl> controls;
    std::string caption;
    ScreenRect rect;
    bool ended;
    int result;
    size_t record;
    int moveCount;
};

namespace {

struct DialogScript {
    int resourceId;
    std::vector<HeadlessStep> steps;
};

struct QueuedAnswer {
    bool yes;
    uint64_t msWhileUp;
};

struct DialogState {
    std::deque<DialogScript> scripts;
    std::vector<HeadlessDialogRecord> records;
    std::vector<Dialog*> open; // innermost last
    bool failNext = false;
    int failCode = 0;
    int lastError = 0;
    std::deque<QueuedAnswer> answers;
    std::vector<HeadlessMessageBox> boxes;
    int boxesOpen = 0;
};

DialogState dialogs;

// Where a dialog without a main window is centred.
constexpr int VirtualScreenWidth = 1280, VirtualScreenHeight = 1024;

int UnitsToPixelsX(int units) { return units * 3 / 2; }
int UnitsToPixelsY(int units) { return units * 13 / 8; }

bool IsOpen(Dialog* dialog) {
    return dialog && std::find(dialogs.open.begin(), dialogs.open.end(), dialog) != dialogs.open.end();
}

HeadlessControl* FindControl(Dialog* dialog, int id) {
    if (!IsOpen(dialog)) return nullptr;
    for (HeadlessControl& control : dialog->controls)
        if (control.id == id) return &control;
    return nullptr;
}

int ClampSlider(const HeadlessControl& slider, int position) {
    if (position > slider.sliderMax) position = slider.sliderMax;
    if (position < slider.sliderMin) position = slider.sliderMin;
    return position;
}

void Notify(Dialog* dialog, DialogEvent event, int controlId, int code) {
    if (dialog->proc) dialog->proc(dialog, event, controlId, code);
}

void Note(Dialog* dialog, const std::string& text) { dialogs.records[dialog->record].notes.push_back(text); }

ScreenRect InitialRect(const DialogTemplate& tmpl) {
    const int width = UnitsToPixelsX(tmpl.width), height = UnitsToPixelsY(tmpl.height);
    // Wide arithmetic, then the dialog kept whole inside the 32-bit screen: the main window may sit anywhere.
    int64_t left, top;
    if (tmpl.centred) {
        int64_t centreX = VirtualScreenWidth / 2, centreY = VirtualScreenHeight / 2;
        if (PlatformMainWindowExists()) {
            const ScreenRect owner = PlatformGetWindowRect();
            centreX = owner.left + (int64_t{owner.right} - owner.left) / 2;
            centreY = owner.top + (int64_t{owner.bottom} - owner.top) / 2;
        }
        left = centreX - width / 2;
        top = centreY - height / 2;
    } else {
        const ScreenRect client = PlatformGetClientScreenRect();
        left = int64_t{client.left} + UnitsToPixelsX(tmpl.x);
        top = int64_t{client.top} + UnitsToPixelsY(tmpl.y);
    }
    left = std::clamp<int64_t>(left, INT32_MIN, int64_t{INT32_MAX} - width);
    top = std::clamp<int64_t>(top, INT32_MIN, int64_t{INT32_MAX} - height);
    return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(left + width),
            static_cast<int32_t>(top + height)};
}

void ClickRadio(Dialog* dialog, size_t index) {
    std::vector<HeadlessControl>& controls = dialog->controls;
    size_t first = index;
    while (first > 0 && !(controls[first].style & StyleGroupStart)) --first;
    size_t last = index + 1;
    while (last < controls.size() && !(controls[last].style & StyleGroupStart)) ++last;
    for (size_t i = first; i < last; ++i)
        if (controls[i].kind == ControlRadio) controls[i].checked = (i == index);
}

void Click(Dialog* dialog, int id) {
    for (size_t i = 0; i < dialog->controls.size(); ++i) {
        HeadlessControl& control = dialog->controls[i];
        if (control.id != id) continue;
        if (control.kind == ControlRadio) ClickRadio(dialog, i);
        else if (control.kind == ControlCheckBox) control.checked = !control.checked;
        Notify(dialog, DialogCommand, id, ButtonClicked);
        return;
    }
    Note(dialog, "click on missing control " + std::to_string(id));
}

void MoveSlider(Dialog* dialog, const HeadlessStep& step) {
    HeadlessControl* slider = FindControl(dialog, step.controlId);
    if (!slider || slider->kind != ControlSlider) {
        Note(dialog, "slider step on missing slider " + std::to_string(step.controlId));
        return;
    }
    int position = step.position;
    if (step.byKey && !step.codes.empty()) {
        const int page = std::max(1, (slider->sliderMax - slider->sliderMin) / 5);
        position = slider->sliderPos;
        switch (step.codes.front()) {
        case SliderLineUp: position -= 1; break;
        case SliderLineDown: position += 1; break;
        case SliderPageUp: position -= page; break;
        case SliderPageDown: position += page; break;
        case SliderTop: position = slider->sliderMin; break;
        case SliderBottom: position = slider->sliderMax; break;
        default: break;
        }
    }
    slider->sliderPos = ClampSlider(*slider, position);
    for (int code : step.codes) Notify(dialog, DialogSlider, step.controlId, code);
}

void RunStep(Dialog* dialog, const HeadlessStep& step) {
    switch (step.kind) {
    case StepSlider: MoveSlider(dialog, step); break;
    case StepClick: Click(dialog, step.controlId); break;
    case StepEscape: Notify(dialog, DialogCommand, IdCancel, ButtonClicked); break;
    case StepEnter: {
        int id = IdOk;
        for (const HeadlessControl& control : dialog->controls)
            if (control.kind == ControlDefaultButton) { id = control.id; break; }
        Click(dialog, id);
        break;
    }
    case StepAdvance: HeadlessAdvance(step.ms); break;
    case StepCall:
        if (step.call) step.call(dialog);
        break;
    }
}

} // namespace

void HeadlessResetDialogs() { dialogs = DialogState{}; }

// ---- script steps ----

HeadlessStep SliderStep(int id, int position, std::vector<int> codes) {
    HeadlessStep step{StepSlider};
    step.controlId = id;
    step.position = position;
    step.codes = std::move(codes);
    return step;
}

HeadlessStep DragSlider(int id, int position) {
    return SliderStep(id, position, {SliderThumbTrack, SliderThumbPosition, SliderEndTrack});
}

HeadlessStep SliderKey(int id, int code) {
    HeadlessStep step = SliderStep(id, 0, {code, SliderEndTrack});
    step.byKey = true;
    return step;
}

HeadlessStep ClickControl(int id) {
    HeadlessStep step{StepClick};
    step.controlId = id;
    return step;
}

HeadlessStep PressEscape() { return HeadlessStep{StepEscape}; }

HeadlessStep PressEnter() { return HeadlessStep{StepEnter}; }

HeadlessStep AdvanceInDialog(uint64_t ms) {
    HeadlessStep step{StepAdvance};
    step.ms = ms;
    return step;
}

HeadlessStep CallInDialog(std::function<void(Dialog*)> call) {
    HeadlessStep step{StepCall};
    step.call = std::move(call);
    return step;
}

void HeadlessQueueDialog(int resourceId, std::vector<HeadlessStep> steps) {
    dialogs.scripts.push_back(DialogScript{resourceId, std::move(steps)});
}

size_t HeadlessQueuedDialogCount() { return dialogs.scripts.size(); }

void HeadlessFailNextDialog(int errorCode) {
    dialogs.failNext = true;
    dialogs.failCode = errorCode;
}

const std::vector<HeadlessDialogRecord>& HeadlessDialogs() { return dialogs.records; }

int HeadlessOpenDialogCount() { return static_cast<int>(dialogs.open.size()); }

const HeadlessControl* HeadlessDialogControl(Dialog* dialog, int id) { return FindControl(dialog, id); }

int HeadlessDialogResourceId(Dialog* dialog) { return IsOpen(dialog) ? dialog->tmpl->resourceId : 0; }

std::string HeadlessDialogCaption(Dialog* dialog) { return IsOpen(dialog) ? dialog->caption : std::string(); }

// ---- running a dialog ----

int PlatformRunDialog(const DialogTemplate& tmpl, DialogProc proc) {
    HeadlessDialogRecord record;
    record.resourceId = tmpl.resourceId;
    record.title = tmpl.title ? tmpl.title : "";
    record.depth = static_cast<int>(dialogs.open.size()) + 1;
    if (dialogs.failNext) {
        dialogs.failNext = false;
        dialogs.lastError = dialogs.failCode;
        record.failed = true;
        record.result = -1;
        dialogs.records.push_back(std::move(record));
        return -1;
    }

    Dialog dialog{&tmpl, proc, {}, record.title, InitialRect(tmpl), false, 0, dialogs.records.size(), 0};
    for (int i = 0; i < tmpl.controlCount && tmpl.controls; ++i) {
        const ControlDef& def = tmpl.controls[i];
        dialog.controls.push_back(HeadlessControl{def.id, def.kind, def.style, def.text ? def.text : "",
                                                  def.iconId, false, 0, 100, 0, 1});
    }
    std::vector<HeadlessStep> steps;
    if (!dialogs.scripts.empty() && dialogs.scripts.front().resourceId == tmpl.resourceId) {
        steps = std::move(dialogs.scripts.front().steps);
        dialogs.scripts.pop_front();
        record.scripted = true;
    }
    dialogs.records.push_back(std::move(record));
    dialogs.open.push_back(&dialog);

    Notify(&dialog, DialogInit, 0, 0);
    for (const HeadlessStep& step : steps) {
        if (dialog.ended) break;
        RunStep(&dialog, step);
    }
    HeadlessDialogRecord& done = dialogs.records[dialog.record];
    if (!dialog.ended) {
        done.abandoned = true;
        dialog.result = IdCancel;
    }
    done.caption = dialog.caption;
    done.rect = dialog.rect;
    done.controls = dialog.controls;
    done.result = dialog.result;
    done.moveCount = dialog.moveCount;
    dialogs.open.erase(std::find(dialogs.open.begin(), dialogs.open.end(), &dialog));
    return dialog.result;
}

Dialog* PlatformForegroundDialog() {
    // A message box in front is not one of the game's dialogs.
    if (dialogs.boxesOpen > 0 || dialogs.open.empty()) return nullptr;
    return dialogs.open.back();
}

void DialogSendCommand(Dialog* dialog, int controlId) {
    if (IsOpen(dialog)) Notify(dialog, DialogCommand, controlId, ButtonClicked);
}

void DialogEnd(Dialog* dialog, int result) {
    if (!IsOpen(dialog) || dialog->ended) return;
    dialog->ended = true;
    dialog->result = result;
}

void DialogSetSliderRange(Dialog* dialog, int id, int minimum, int maximum) {
    HeadlessControl* slider = FindControl(dialog, id);
    if (!slider || slider->kind != ControlSlider) return;
    slider->sliderMin = minimum;
    slider->sliderMax = maximum;
    slider->sliderPos = ClampSlider(*slider, slider->sliderPos);
}

void DialogSetSliderTicks(Dialog* dialog, int id, int frequency) {
    HeadlessControl* slider = FindControl(dialog, id);
    if (slider && slider->kind == ControlSlider) slider->sliderTicks = frequency;
}

void DialogSetSliderPos(Dialog* dialog, int id, int position) {
    HeadlessControl* slider = FindControl(dialog, id);
    if (slider && slider->kind == ControlSlider) slider->sliderPos = ClampSlider(*slider, position);
}

int DialogGetSliderPos(Dialog* dialog, int id) {
    HeadlessControl* slider = FindControl(dialog, id);
    return slider && slider->kind == ControlSlider ? slider->sliderPos : 0;
}

void DialogSetCheck(Dialog* dialog, int id, bool checked) {
    if (HeadlessControl* control = FindControl(dialog, id)) control->checked = checked;
}

bool DialogGetCheck(Dialog* dialog, int id) {
    HeadlessControl* control = FindControl(dialog, id);
    return control && control->checked;
}

void DialogSetText(Dialog* dialog, int id, const char* text) {
    if (HeadlessControl* control = FindControl(dialog, id)) control->text = text ? text : "";
}

void DialogSetCaption(Dialog* dialog, const char* text) {
    if (IsOpen(dialog)) dialog->caption = text ? text : "";
}

void DialogSetIcon(Dialog* dialog, int id, int iconId) {
    HeadlessControl* control = FindControl(dialog, id);
    if (control && control->kind == ControlIcon) control->iconId = iconId;
}

ScreenRect DialogGetRect(Dialog* dialog) { return IsOpen(dialog) ? dialog->rect : ScreenRect{}; }

void DialogMove(Dialog* dialog, int x, int y) {
    if (!IsOpen(dialog)) return;
    ScreenRect& rect = dialog->rect;
    const int64_t width = int64_t{rect.right} - rect.left, height = int64_t{rect.bottom} - rect.top;
    const int64_t left = std::min<int64_t>(x, INT32_MAX - width), top = std::min<int64_t>(y, INT32_MAX - height);
    rect = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(left + width),
            static_cast<int32_t>(top + height)};
    ++dialog->moveCount;
}

// ---- message boxes ----

bool PlatformAskYesNo(const char* text, const char* caption) {
    HeadlessMessageBox box{text ? text : "", caption ? caption : "", true, false, false, HeadlessNow()};
    uint64_t msWhileUp = 0;
    if (!dialogs.answers.empty()) {
        box.answer = dialogs.answers.front().yes;
        box.scripted = true;
        msWhileUp = dialogs.answers.front().msWhileUp;
        dialogs.answers.pop_front();
    }
    const bool answer = box.answer;
    dialogs.boxes.push_back(std::move(box));
    ++dialogs.boxesOpen;
    if (msWhileUp) HeadlessAdvance(msWhileUp);
    --dialogs.boxesOpen;
    return answer;
}

void PlatformErrorBox(const char* text, const char* caption) {
    dialogs.boxes.push_back(
        HeadlessMessageBox{text ? text : "", caption ? caption : "", false, false, false, HeadlessNow()});
}

void HeadlessQueueAnswer(bool yes, uint64_t msWhileUp) { dialogs.answers.push_back({yes, msWhileUp}); }

const std::vector<HeadlessMessageBox>& HeadlessMessageBoxes() { return dialogs.boxes; }

bool HeadlessMessageBoxOpen() { return dialogs.boxesOpen > 0; }

void HeadlessSetLastError(int code) { dialogs.lastError = code; }

int PlatformLastError() { return dialogs.lastError; }

const char* PlatformErrorText(int code) {
    switch (code) {
    case 0: return "The operation completed successfully.";
    case 8: return "Not enough memory resources are available to process this command.";
    case 1813: return "The specified resource type cannot be found in the image file.";
    case 1814: return "The specified resource name cannot be found in the image file.";
    default: break;
    }
    static char unknown[48];
    std::snprintf(unknown, sizeof unknown, "Unknown error %d.", code);
    return unknown;
}
