// Modal dialogs built from the control tables, placed in dialog units scaled to the dialog font, and the message
// boxes. Each dialog runs its own nested main loop; the game's timers and painting go on inside it.
#include "platform/gtk/gtk_backend.h"
#include "platform/dialog.h"
#include "platform/msgbox.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <vector>

namespace {

constexpr int SystemInformationIcon = 32516;
constexpr int DialogIconSize = 32;
constexpr int MaxTicks = 1000;

struct ControlEntry {
    Dialog* dialog;
    int id;
    ControlKind kind;
    GtkWidget* widget; // the control itself (label, scale, button, image, frame)
    GtkWidget* placed; // what sits in the dialog: the control, or the frame around a sunken label
    int width, height; // the control's rectangle in pixels
    int minimum, maximum, tickFrequency, lastPos;
    bool dragging;
    bool keyHeld;    // a key is down on the slider: its moves end their track when it is released
    bool endPending; // moved by that key, the end of the track not yet told
};

} // namespace

struct Dialog {
    const DialogTemplate* tmpl;
    DialogProc proc;
    GtkWidget* window;
    GtkWidget* fixed;
    GMainLoop* loop;
    bool ended;
    int result;
    int quiet; // programmatic changes in progress: their signals are not the player's
    double unitX, unitY;
    int x, y;
    int frameWidth, frameHeight; // what the window manager adds around the dialog, -1 until known
    std::vector<ControlEntry> controls;
    std::vector<GtkWidget*> hiddenRadios; // one unchecked-state holder per radio group
};

namespace {

std::vector<Dialog*> openDialogs;
std::vector<GtkWidget*> openMessageBoxes;
std::vector<GtkWidget*> modalWindows; // the open dialogs and message boxes, in the order they opened
int lastError = 0;
GtkCssProvider* dialogStyle = nullptr;

// Compact control metrics so that controls fit the rectangles of the tables.
const char* DialogCss =
    ".dravolinex-dialog button { padding: 1px 6px; min-height: 0; min-width: 0; }\n"
    ".dravolinex-dialog radiobutton, .dravolinex-dialog checkbutton { padding: 0; min-height: 0; }\n"
    ".dravolinex-dialog radiobutton radio, .dravolinex-dialog checkbutton check { margin: 0 4px 0 0; }\n"
    ".dravolinex-dialog scale { padding: 0 4px; min-height: 0; }\n"
    ".dravolinex-dialog scale marks.bottom { margin-top: 0; }\n"
    ".dravolinex-dialog frame > border { border-radius: 0; }\n";

void EnsureDialogStyle()
{
    if (dialogStyle) return;
    dialogStyle = gtk_css_provider_new();
    gtk_css_provider_load_from_data(dialogStyle, DialogCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(dialogStyle),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

bool IsOpen(Dialog* dialog)
{
    return dialog && std::find(openDialogs.begin(), openDialogs.end(), dialog) != openDialogs.end();
}

ControlEntry* FindControl(Dialog* dialog, int id)
{
    if (!IsOpen(dialog) || id < 0) return nullptr;
    for (ControlEntry& entry : dialog->controls)
        if (entry.id == id) return &entry;
    return nullptr;
}

// Shows icon resource `iconId` in `image` at the dialog's icon size, drawn for the screen's scale so that it stays
// sharp on a scaled screen.
void ShowIcon(GtkWidget* image, int iconId)
{
    int scale = std::max(1, gtk_widget_get_scale_factor(image));
    GdkPixbuf* picture = LoadIconPixbuf(iconId, DialogIconSize * scale);
    if (!picture) return;
    cairo_surface_t* surface = gdk_cairo_surface_create_from_pixbuf(picture, scale, nullptr);
    gtk_image_set_from_surface(GTK_IMAGE(image), surface);
    cairo_surface_destroy(surface);
    g_object_unref(picture);
}

void Notify(Dialog* dialog, DialogEvent event, int id, int code)
{
    if (dialog->ended) return;
    dialog->proc(dialog, event, id, code);
}

// Dialog units from the dialog font, the way the classic dialog manager measures them: a quarter of the average
// character width across, an eighth of the line height down.
void MeasureDialogUnits(Dialog* dialog)
{
    PangoLayout* layout = gtk_widget_create_pango_layout(dialog->window,
                                                         "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    double averageWidth = (width / 26.0 + 1) / 2;
    dialog->unitX = averageWidth > 2 ? averageWidth / 4 : 1.5;
    dialog->unitY = height > 4 ? height / 8.0 : 1.75;
}

int PixelsX(const Dialog* dialog, int units) { return int(std::lround(units * dialog->unitX)); }
int PixelsY(const Dialog* dialog, int units) { return int(std::lround(units * dialog->unitY)); }

void OnButtonClicked(GtkButton* button, gpointer data)
{
    ControlEntry* entry = static_cast<ControlEntry*>(data);
    Dialog* dialog = entry->dialog;
    if (dialog->quiet) return;
    // GTK also "clicks" the radio button that loses the check; only the one that gained it was used.
    if (entry->kind == ControlRadio && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button))) return;
    Notify(dialog, DialogCommand, entry->id, ButtonClicked);
}

void OnSliderChanged(GtkRange* range, gpointer data)
{
    ControlEntry* entry = static_cast<ControlEntry*>(data);
    Dialog* dialog = entry->dialog;
    int position = int(std::lround(gtk_range_get_value(range)));
    int previous = entry->lastPos;
    entry->lastPos = position;
    if (dialog->quiet || position == previous) return;
    if (entry->dragging) {
        Notify(dialog, DialogSlider, entry->id, SliderThumbTrack);
    } else {
        // Keyboard and wheel: one step each; a held key (auto-repeat) ends the track once, when it is released.
        Notify(dialog, DialogSlider, entry->id, position > previous ? SliderLineDown : SliderLineUp);
        if (entry->keyHeld) entry->endPending = true;
        else Notify(dialog, DialogSlider, entry->id, SliderEndTrack);
    }
}

void EndKeyTrack(ControlEntry* entry)
{
    entry->keyHeld = false;
    if (!entry->endPending) return;
    entry->endPending = false;
    Notify(entry->dialog, DialogSlider, entry->id, SliderEndTrack);
}

gboolean OnSliderKeyPress(GtkWidget*, GdkEventKey*, gpointer data)
{
    static_cast<ControlEntry*>(data)->keyHeld = true;
    return FALSE;
}

gboolean OnSliderKeyRelease(GtkWidget*, GdkEventKey*, gpointer data)
{
    EndKeyTrack(static_cast<ControlEntry*>(data));
    return FALSE;
}

// The release may go elsewhere when the focus leaves the slider with the key still down.
gboolean OnSliderFocusOut(GtkWidget*, GdkEvent*, gpointer data)
{
    EndKeyTrack(static_cast<ControlEntry*>(data));
    return FALSE;
}

gboolean OnSliderPress(GtkWidget*, GdkEventButton* event, gpointer data)
{
    if (event->button == 1) static_cast<ControlEntry*>(data)->dragging = true;
    return FALSE;
}

gboolean OnSliderRelease(GtkWidget*, GdkEventButton* event, gpointer data)
{
    ControlEntry* entry = static_cast<ControlEntry*>(data);
    if (event->button != 1 || !entry->dragging) return FALSE;
    entry->dragging = false;
    Notify(entry->dialog, DialogSlider, entry->id, SliderThumbPosition);
    Notify(entry->dialog, DialogSlider, entry->id, SliderEndTrack);
    return FALSE;
}

void ApplyTicks(ControlEntry* entry)
{
    GtkScale* scale = GTK_SCALE(entry->widget);
    gtk_scale_clear_marks(scale);
    int frequency = entry->tickFrequency;
    if (frequency <= 0) return;
    if ((entry->maximum - entry->minimum) / frequency > MaxTicks) return;
    for (int v = entry->minimum; v <= entry->maximum; v += frequency)
        gtk_scale_add_mark(scale, v, GTK_POS_BOTTOM, nullptr);
    if ((entry->maximum - entry->minimum) % frequency != 0)
        gtk_scale_add_mark(scale, entry->maximum, GTK_POS_BOTTOM, nullptr);
}

GtkWidget* NewWrappingLabel(const char* text, unsigned style, float xalign)
{
    GtkWidget* label;
    if (style & StyleNoPrefix) {
        label = gtk_label_new(text);
    } else {
        char* mnemonic = ConvertMnemonics(text, true);
        label = gtk_label_new_with_mnemonic(mnemonic);
        g_free(mnemonic);
    }
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_xalign(GTK_LABEL(label), xalign);
    gtk_label_set_yalign(GTK_LABEL(label), 0);
    if (xalign > 0) gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
    return label;
}

// A wrapping label asks for the width of its whole text on one line, and the dialog window grows to give it that
// width: the label is limited to as many characters as its rectangle holds, so the window keeps the template's size.
void LimitLabelWidth(ControlEntry* entry)
{
    GtkLabel* label = GTK_LABEL(entry->widget);
    PangoContext* context = gtk_widget_get_pango_context(entry->widget);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, pango_context_get_font_description(context),
                                                          pango_context_get_language(context));
    int charWidth = std::max(pango_font_metrics_get_approximate_char_width(metrics),
                             pango_font_metrics_get_approximate_digit_width(metrics));
    pango_font_metrics_unref(metrics);
    int inner = entry->width - (entry->placed != entry->widget ? 10 : 0); // a sunken frame's border and margins
    gtk_label_set_max_width_chars(label, std::max(1, inner * PANGO_SCALE / std::max(1, charWidth)));
}

// The dialog font is larger than the one the tables were laid out for in some themes: a text that would grow out of
// its rectangle is drawn smaller until it fits (down to 70 %), so that it never runs over the controls below.
void FitLabelText(ControlEntry* entry)
{
    GtkLabel* label = GTK_LABEL(entry->widget);
    LimitLabelWidth(entry);
    gtk_label_set_attributes(label, nullptr);
    for (double scale = 1.0; scale >= 0.7; scale -= 0.05) {
        if (scale < 1.0) {
            PangoAttrList* attributes = pango_attr_list_new();
            pango_attr_list_insert(attributes, pango_attr_scale_new(scale));
            gtk_label_set_attributes(label, attributes);
            pango_attr_list_unref(attributes);
        }
        int minimum = 0, natural = 0;
        gtk_widget_get_preferred_height_for_width(entry->placed, entry->width, &minimum, &natural);
        if (minimum <= entry->height) return;
    }
}

// Builds one control; returns the widget to place (a sunken label's frame, or the control itself).
GtkWidget* BuildControl(Dialog* dialog, const ControlDef& def, ControlEntry& entry, GtkWidget** radioLeader)
{
    const char* text = def.text ? def.text : "";
    int width = std::max(1, PixelsX(dialog, def.width));
    int height = std::max(1, PixelsY(dialog, def.height));
    GtkWidget* placed = nullptr;
    char* mnemonic = nullptr;
    if (def.kind != ControlRadio) *radioLeader = nullptr;
    switch (def.kind) {
    case ControlGroupBox: {
        char* caption = ConvertMnemonics(text, false);
        placed = entry.widget = gtk_frame_new(caption);
        g_free(caption);
        gtk_widget_set_size_request(placed, width, height);
        break;
    }
    case ControlLabel:
        if (def.style & StyleSunken) {
            entry.widget = NewWrappingLabel(text, def.style | StyleNoPrefix, 0);
            gtk_widget_set_margin_start(entry.widget, 3);
            gtk_widget_set_margin_end(entry.widget, 3);
            gtk_widget_set_margin_top(entry.widget, 2);
            gtk_widget_set_valign(entry.widget, GTK_ALIGN_START);
            placed = gtk_frame_new(nullptr);
            gtk_frame_set_shadow_type(GTK_FRAME(placed), GTK_SHADOW_IN);
            gtk_container_add(GTK_CONTAINER(placed), entry.widget);
        } else {
            placed = entry.widget = NewWrappingLabel(text, def.style, (def.style & StyleCentred) ? 0.5f : 0.0f);
        }
        gtk_widget_set_size_request(placed, width, height);
        break;
    case ControlIcon: {
        placed = entry.widget = gtk_image_new();
        if (def.iconId == SystemInformationIcon) {
            // The system's information sign comes from the icon theme; without one the place stays empty.
            if (gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), "dialog-information"))
                gtk_image_set_from_icon_name(GTK_IMAGE(placed), "dialog-information", GTK_ICON_SIZE_DND);
        } else {
            ShowIcon(placed, def.iconId);
        }
        break;
    }
    case ControlSlider: {
        GtkAdjustment* adjustment = gtk_adjustment_new(0, 0, 0, 1, 1, 0);
        placed = entry.widget = gtk_scale_new(GTK_ORIENTATION_HORIZONTAL, adjustment);
        gtk_scale_set_draw_value(GTK_SCALE(placed), FALSE);
        gtk_scale_set_digits(GTK_SCALE(placed), 0);
        gtk_range_set_round_digits(GTK_RANGE(placed), 0);
        gtk_widget_set_size_request(placed, width, height);
        gtk_widget_add_events(placed, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
        g_signal_connect(placed, "value-changed", G_CALLBACK(OnSliderChanged), &entry);
        g_signal_connect(placed, "button-press-event", G_CALLBACK(OnSliderPress), &entry);
        g_signal_connect(placed, "button-release-event", G_CALLBACK(OnSliderRelease), &entry);
        g_signal_connect(placed, "key-press-event", G_CALLBACK(OnSliderKeyPress), &entry);
        g_signal_connect(placed, "key-release-event", G_CALLBACK(OnSliderKeyRelease), &entry);
        g_signal_connect(placed, "focus-out-event", G_CALLBACK(OnSliderFocusOut), &entry);
        break;
    }
    case ControlRadio:
        if (!*radioLeader || (def.style & StyleGroupStart)) {
            // A hidden member holds the group's "nothing checked" state, which GTK radios cannot show otherwise.
            *radioLeader = gtk_radio_button_new(nullptr);
            g_object_ref_sink(*radioLeader);
            dialog->hiddenRadios.push_back(*radioLeader);
        }
        mnemonic = ConvertMnemonics(text, !(def.style & StyleNoPrefix));
        placed = entry.widget = gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(*radioLeader), mnemonic);
        gtk_widget_set_size_request(placed, width, height);
        g_signal_connect(placed, "clicked", G_CALLBACK(OnButtonClicked), &entry);
        break;
    case ControlCheckBox:
        mnemonic = ConvertMnemonics(text, !(def.style & StyleNoPrefix));
        placed = entry.widget = gtk_check_button_new_with_mnemonic(mnemonic);
        gtk_widget_set_size_request(placed, width, height);
        g_signal_connect(placed, "clicked", G_CALLBACK(OnButtonClicked), &entry);
        break;
    case ControlButton:
    case ControlDefaultButton:
        mnemonic = ConvertMnemonics(text, !(def.style & StyleNoPrefix));
        placed = entry.widget = gtk_button_new_with_mnemonic(mnemonic);
        gtk_widget_set_size_request(placed, width, height);
        g_signal_connect(placed, "clicked", G_CALLBACK(OnButtonClicked), &entry);
        if (def.kind == ControlDefaultButton) {
            gtk_widget_set_can_default(placed, TRUE);
            gtk_window_set_default(GTK_WINDOW(dialog->window), placed);
        }
        break;
    }
    g_free(mnemonic);
    return placed;
}

int DefaultButtonId(Dialog* dialog)
{
    for (const ControlEntry& entry : dialog->controls)
        if (entry.kind == ControlDefaultButton) return entry.id;
    return IdOk;
}

// The first control of the radio group that control `index` belongs to (a group runs from a radio that starts one,
// or follows a control of another kind, up to the next such radio); -1 when it is no radio.
int RadioGroupOf(const Dialog* dialog, int index)
{
    const ControlDef* controls = dialog->tmpl->controls;
    if (controls[index].kind != ControlRadio) return -1;
    while (index > 0 && !(controls[index].style & StyleGroupStart) && controls[index - 1].kind == ControlRadio) index--;
    return index;
}

bool CanTakeFocus(GtkWidget* widget)
{
    return widget && gtk_widget_get_can_focus(widget) && gtk_widget_is_sensitive(widget) &&
           gtk_widget_get_visible(widget);
}

// Tab and Shift+Tab go through the tab stops in the order of the template, as the dialog was designed, not in
// screen order. Entering a radio group lands on its checked button. False when no control can take the focus.
bool MoveTabFocus(Dialog* dialog, bool backwards)
{
    int count = int(dialog->controls.size());
    if (count == 0) return false;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(dialog->window));
    int current = -1;
    for (int i = 0; i < count && current < 0; i++)
        if (focus && (dialog->controls[size_t(i)].widget == focus || dialog->controls[size_t(i)].placed == focus))
            current = i;
    int currentGroup = current >= 0 ? RadioGroupOf(dialog, current) : -1;
    int step = backwards ? -1 : 1;
    int i = current >= 0 ? current : (backwards ? 0 : count - 1);
    for (int tries = 0; tries < count; tries++) {
        i = (i + step + count) % count;
        if (!(dialog->tmpl->controls[i].style & StyleTabStop)) continue;
        int group = RadioGroupOf(dialog, i);
        if (group >= 0 && group == currentGroup) continue;
        int target = i;
        for (int j = std::max(group, 0); group >= 0 && j < count && RadioGroupOf(dialog, j) == group; j++)
            if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(dialog->controls[size_t(j)].widget)) &&
                CanTakeFocus(dialog->controls[size_t(j)].widget))
                target = j;
        if (!CanTakeFocus(dialog->controls[size_t(target)].widget)) continue;
        gtk_widget_grab_focus(dialog->controls[size_t(target)].widget);
        return true;
    }
    return false;
}

gboolean OnDialogKey(GtkWidget* window, GdkEventKey* event, gpointer data)
{
    Dialog* dialog = static_cast<Dialog*>(data);
    guint modifiers = event->state & (GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK);
    if ((event->keyval == GDK_KEY_Tab || event->keyval == GDK_KEY_KP_Tab || event->keyval == GDK_KEY_ISO_Left_Tab) &&
        !(modifiers & (GDK_CONTROL_MASK | GDK_MOD1_MASK))) {
        MoveTabFocus(dialog, event->keyval == GDK_KEY_ISO_Left_Tab || (modifiers & GDK_SHIFT_MASK));
        return TRUE;
    }
    // The arrow keys steer the craft: on a push button or a check box they never move the focus (toolkits move it to
    // the next control in that direction, from OK to "Exit Game" in the verdict). Tab, the mouse and the buttons'
    // letters still reach every control; a radio group and a slider keep their own arrow keys.
    switch (event->keyval) {
    case GDK_KEY_Left: case GDK_KEY_Right: case GDK_KEY_Up: case GDK_KEY_Down:
    case GDK_KEY_KP_Left: case GDK_KEY_KP_Right: case GDK_KEY_KP_Up: case GDK_KEY_KP_Down:
        if (GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
            focus && GTK_IS_BUTTON(focus) && !GTK_IS_RADIO_BUTTON(focus))
            return TRUE;
        break;
    default:
        break;
    }
    if (event->keyval == GDK_KEY_Escape && !modifiers) {
        Notify(dialog, DialogCommand, IdCancel, ButtonClicked);
        return TRUE;
    }
    if ((event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter || event->keyval == GDK_KEY_ISO_Enter) &&
        !(modifiers & (GDK_CONTROL_MASK | GDK_MOD1_MASK))) {
        // Return presses a push button that has the focus, and otherwise the default button.
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        if (focus && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus)) return FALSE;
        Notify(dialog, DialogCommand, DefaultButtonId(dialog), ButtonClicked);
        return TRUE;
    }
    return FALSE;
}

gboolean OnDialogDelete(GtkWidget*, GdkEvent*, gpointer data)
{
    Notify(static_cast<Dialog*>(data), DialogCommand, IdCancel, ButtonClicked);
    return TRUE;
}

// The outer size the dialog window will have (or has), with the frame a window manager adds around it: before it is
// shown the window manager is asked for the frame, or, when it does not say, the main window's is taken.
void DialogSize(Dialog* dialog, int* width, int* height)
{
    GtkRequisition natural;
    gtk_widget_get_preferred_size(dialog->window, nullptr, &natural);
    if (dialog->frameWidth < 0) {
        if (!RequestFrameSize(dialog->window, &dialog->frameWidth, &dialog->frameHeight))
            MainFrameSize(&dialog->frameWidth, &dialog->frameHeight);
    }
    *width = natural.width + dialog->frameWidth;
    *height = natural.height + dialog->frameHeight;
    if (gtk_widget_get_mapped(dialog->window)) {
        GdkRectangle outer;
        gdk_window_get_frame_extents(gtk_widget_get_window(dialog->window), &outer);
        *width = outer.width;
        *height = outer.height;
    }
}

void PlaceInitially(Dialog* dialog)
{
    const DialogTemplate& tmpl = *dialog->tmpl;
    int width, height;
    DialogSize(dialog, &width, &height);
    ScreenRect owner;
    if (MainGtkWindow()) {
        owner = tmpl.centred ? PlatformGetWindowRect() : PlatformGetClientScreenRect();
    } else {
        GdkRectangle area{0, 0, 1024, 768};
        if (GdkMonitor* monitor = gdk_display_get_primary_monitor(gdk_display_get_default()))
            gdk_monitor_get_geometry(monitor, &area);
        owner = ScreenRect{area.x, area.y, area.x + area.width, area.y + area.height};
    }
    if (tmpl.centred) {
        dialog->x = owner.left + (owner.right - owner.left - width) / 2;
        dialog->y = owner.top + (owner.bottom - owner.top - height) / 2;
    } else {
        dialog->x = owner.left + PixelsX(dialog, tmpl.x);
        dialog->y = owner.top + PixelsY(dialog, tmpl.y);
    }
    // Centred on a main window that is small or near a screen edge, a dialog would reach off the screen, buttons and
    // all: it opens on the monitor instead (a later move by the game stays where the game puts it).
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor =
        gdk_display_get_monitor_at_point(display, dialog->x + width / 2, dialog->y + height / 2);
    if (monitor) {
        GdkRectangle area;
        gdk_monitor_get_workarea(monitor, &area);
        dialog->x = std::max(area.x, std::min(dialog->x, area.x + area.width - width));
        dialog->y = std::max(area.y, std::min(dialog->y, area.y + area.height - height));
    }
}

// The first tab stop takes the focus (a radio group's checked button), or else the default button.
void FocusFirstControl(Dialog* dialog)
{
    gtk_window_set_focus(GTK_WINDOW(dialog->window), nullptr);
    if (MoveTabFocus(dialog, false)) return;
    if (GtkWidget* chosen = gtk_window_get_default_widget(GTK_WINDOW(dialog->window))) gtk_widget_grab_focus(chosen);
}

bool BuildDialog(Dialog* dialog)
{
    const DialogTemplate& tmpl = *dialog->tmpl;
    EnsureDialogStyle();
    dialog->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (!dialog->window) return false;
    GtkWindow* window = GTK_WINDOW(dialog->window);
    gtk_style_context_add_class(gtk_widget_get_style_context(dialog->window), "dravolinex-dialog");
    gtk_window_set_title(window, tmpl.title ? tmpl.title : "");
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    // Held until the dialog call returns, even if the main window (and with it this dialog) goes away first.
    g_object_ref(dialog->window);
    if (GtkWindow* owner = MainGtkWindow()) gtk_window_set_transient_for(window, owner);
    MeasureDialogUnits(dialog);

    dialog->fixed = gtk_fixed_new();
    gtk_widget_set_size_request(dialog->fixed, PixelsX(dialog, tmpl.width), PixelsY(dialog, tmpl.height));
    gtk_container_add(GTK_CONTAINER(dialog->window), dialog->fixed);

    dialog->controls.reserve(size_t(tmpl.controlCount));
    std::vector<GtkWidget*> placed;
    GtkWidget* radioLeader = nullptr;
    for (int i = 0; i < tmpl.controlCount; i++) {
        const ControlDef& def = tmpl.controls[i];
        dialog->controls.push_back(ControlEntry{dialog, def.id, def.kind, nullptr, nullptr, 0, 0, 0, 0, 0, 0, false, false, false});
        ControlEntry& entry = dialog->controls.back();
        entry.placed = BuildControl(dialog, def, entry, &radioLeader);
        entry.width = std::max(1, PixelsX(dialog, def.width));
        entry.height = std::max(1, PixelsY(dialog, def.height));
        if (def.kind == ControlLabel) FitLabelText(&entry);
        placed.push_back(entry.placed);
    }
    // Group boxes first, so that they lie behind the controls they frame.
    for (int pass = 0; pass < 2; pass++)
        for (int i = 0; i < tmpl.controlCount; i++) {
            const ControlDef& def = tmpl.controls[i];
            if ((def.kind == ControlGroupBox) != (pass == 0) || !placed[size_t(i)]) continue;
            gtk_fixed_put(GTK_FIXED(dialog->fixed), placed[size_t(i)], PixelsX(dialog, def.x), PixelsY(dialog, def.y));
        }
    gtk_widget_show_all(dialog->fixed);
    g_signal_connect(dialog->window, "key-press-event", G_CALLBACK(OnDialogKey), dialog);
    g_signal_connect(dialog->window, "delete-event", G_CALLBACK(OnDialogDelete), dialog);
    return true;
}

void DestroyDialog(Dialog* dialog)
{
    if (dialog->window) {
        gtk_widget_destroy(dialog->window);
        g_object_unref(dialog->window);
    }
    for (GtkWidget* radio : dialog->hiddenRadios) {
        gtk_widget_destroy(radio);
        g_object_unref(radio);
    }
    if (dialog->loop) g_main_loop_unref(dialog->loop);
    delete dialog;
}

// A closed dialog or message box hands the focus back to the window the player returns to: the dialog or box it was
// opened from when one is still open (raising the main window would bury that one behind it, out of reach), and
// otherwise the main window.
void ReturnFocus(GtkWidget* closed)
{
    ClearKeyStates();
    modalWindows.erase(std::remove(modalWindows.begin(), modalWindows.end(), closed), modalWindows.end());
    GtkWindow* next = modalWindows.empty() ? MainGtkWindow() : GTK_WINDOW(modalWindows.back());
    if (next) gtk_window_present(next);
}

} // namespace

GtkWidget* DialogControlWidget(Dialog* dialog, int id)
{
    ControlEntry* entry = FindControl(dialog, id);
    return entry ? entry->widget : nullptr;
}

GtkWidget* DialogWindowWidget(Dialog* dialog)
{
    return IsOpen(dialog) ? dialog->window : nullptr;
}

void EndAllDialogs(int code)
{
    for (Dialog* dialog : openDialogs) DialogEnd(dialog, code);
    for (GtkWidget* box : openMessageBoxes) gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_NONE);
}

int PlatformRunDialog(const DialogTemplate& tmpl, DialogProc proc)
{
    if (!proc || tmpl.controlCount < 0 || (tmpl.controlCount > 0 && !tmpl.controls) || tmpl.width <= 0 ||
        tmpl.height <= 0) {
        lastError = EINVAL;
        return -1;
    }
    Dialog* dialog = new Dialog{&tmpl, proc, nullptr, nullptr, nullptr, false, 0, 0, 1.5, 1.75, 0, 0, -1, -1, {}, {}};
    if (!BuildDialog(dialog)) {
        lastError = ENOMEM;
        DestroyDialog(dialog);
        return -1;
    }
    openDialogs.push_back(dialog);
    PlaceInitially(dialog);
    dialog->proc(dialog, DialogInit, 0, 0);
    if (!dialog->ended) {
        FocusFirstControl(dialog);
        gtk_window_move(GTK_WINDOW(dialog->window), dialog->x, dialog->y);
        gtk_widget_show(dialog->window);
        LogWindowShown(gtk_window_get_title(GTK_WINDOW(dialog->window)));
        modalWindows.push_back(dialog->window);
        gtk_window_present(GTK_WINDOW(dialog->window));
        dialog->loop = g_main_loop_new(nullptr, FALSE);
        if (!dialog->ended) {
            NoteModalLoop(true);
            g_main_loop_run(dialog->loop);
            NoteModalLoop(false);
        }
    }
    int result = dialog->result;
    openDialogs.erase(std::find(openDialogs.begin(), openDialogs.end(), dialog));
    ReturnFocus(dialog->window);
    DestroyDialog(dialog);
    return result;
}

Dialog* PlatformForegroundDialog()
{
    if (!openMessageBoxes.empty() || openDialogs.empty()) return nullptr;
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
    if (dialog->window) gtk_widget_hide(dialog->window);
    if (dialog->loop) g_main_loop_quit(dialog->loop);
}

void DialogSetSliderRange(Dialog* dialog, int id, int minimum, int maximum)
{
    ControlEntry* entry = FindControl(dialog, id);
    if (!entry || entry->kind != ControlSlider) return;
    if (maximum < minimum) maximum = minimum;
    entry->minimum = minimum;
    entry->maximum = maximum;
    dialog->quiet++;
    gtk_range_set_range(GTK_RANGE(entry->widget), minimum, maximum);
    gtk_range_set_increments(GTK_RANGE(entry->widget), 1, std::max(1, (maximum - minimum) / 5));
    entry->lastPos = int(std::lround(gtk_range_get_value(GTK_RANGE(entry->widget))));
    dialog->quiet--;
    ApplyTicks(entry);
}

void DialogSetSliderTicks(Dialog* dialog, int id, int frequency)
{
    ControlEntry* entry = FindControl(dialog, id);
    if (!entry || entry->kind != ControlSlider) return;
    entry->tickFrequency = frequency;
    ApplyTicks(entry);
}

void DialogSetSliderPos(Dialog* dialog, int id, int position)
{
    ControlEntry* entry = FindControl(dialog, id);
    if (!entry || entry->kind != ControlSlider) return;
    position = std::clamp(position, entry->minimum, entry->maximum);
    dialog->quiet++;
    gtk_range_set_value(GTK_RANGE(entry->widget), position);
    entry->lastPos = position;
    dialog->quiet--;
}

int DialogGetSliderPos(Dialog* dialog, int id)
{
    ControlEntry* entry = FindControl(dialog, id);
    if (!entry || entry->kind != ControlSlider) return 0;
    return int(std::lround(gtk_range_get_value(GTK_RANGE(entry->widget))));
}

void DialogSetCheck(Dialog* dialog, int id, bool checked)
{
    ControlEntry* entry = FindControl(dialog, id);
    if (!entry || (entry->kind != ControlRadio && entry->kind != ControlCheckBox)) return;
    GtkToggleButton* toggle = GTK_TOGGLE_BUTTON(entry->widget);
    if (gtk_toggle_button_get_active(toggle) == checked) return;
    dialog->quiet++;
    if (entry->kind == ControlRadio && !checked) {
        // Unchecking a radio button: its group's hidden member takes the check.
        GSList* group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(entry->widget));
        for (GtkWidget* hidden : dialog->hiddenRadios)
            if (g_slist_find(group, hidden)) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(hidden), TRUE);
    } else {
        gtk_toggle_button_set_active(toggle, checked);
    }
    dialog->quiet--;
}

bool DialogGetCheck(Dialog* dialog, int id)
{
    ControlEntry* entry = FindControl(dialog, id);
    if (!entry || (entry->kind != ControlRadio && entry->kind != ControlCheckBox)) return false;
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(entry->widget));
}

void DialogSetText(Dialog* dialog, int id, const char* text)
{
    ControlEntry* entry = FindControl(dialog, id);
    if (!entry) return;
    text = text ? text : "";
    if (GTK_IS_LABEL(entry->widget)) {
        gtk_label_set_text(GTK_LABEL(entry->widget), text);
        FitLabelText(entry);
    }
    else if (GTK_IS_BUTTON(entry->widget)) gtk_button_set_label(GTK_BUTTON(entry->widget), text);
    else if (GTK_IS_FRAME(entry->widget)) gtk_frame_set_label(GTK_FRAME(entry->widget), text);
}

void DialogSetCaption(Dialog* dialog, const char* text)
{
    if (IsOpen(dialog)) gtk_window_set_title(GTK_WINDOW(dialog->window), text ? text : "");
}

void DialogSetIcon(Dialog* dialog, int id, int iconId)
{
    ControlEntry* entry = FindControl(dialog, id);
    if (!entry || entry->kind != ControlIcon) return;
    ShowIcon(entry->widget, iconId);
}

ScreenRect DialogGetRect(Dialog* dialog)
{
    if (!IsOpen(dialog)) return ScreenRect{0, 0, 0, 0};
    int width, height;
    DialogSize(dialog, &width, &height);
    return ScreenRect{dialog->x, dialog->y, dialog->x + width, dialog->y + height};
}

// The dialog goes where the game puts it when it then lies wholly on a monitor's work area; otherwise (the verdict of
// a window that is minimised or partly off the screen) onto the work area of the monitor nearest to that place, so
// that it is never out of reach.
void DialogMove(Dialog* dialog, int x, int y)
{
    if (!IsOpen(dialog)) return;
    int width, height;
    DialogSize(dialog, &width, &height);
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* nearest = nullptr;
    long long nearestDistance = -1;
    bool inside = false;
    for (int i = 0; display && i < gdk_display_get_n_monitors(display) && !inside; i++) {
        GdkMonitor* monitor = gdk_display_get_monitor(display, i);
        GdkRectangle area;
        gdk_monitor_get_workarea(monitor, &area);
        inside = x >= area.x && y >= area.y && (long long)x + width <= (long long)area.x + area.width &&
                 (long long)y + height <= (long long)area.y + area.height;
        long long dx = std::max<long long>({0, (long long)area.x - x, (long long)x + width - area.x - area.width});
        long long dy = std::max<long long>({0, (long long)area.y - y, (long long)y + height - area.y - area.height});
        if (nearestDistance < 0 || dx * dx + dy * dy < nearestDistance) {
            nearest = monitor;
            nearestDistance = dx * dx + dy * dy;
        }
    }
    if (!inside && nearest) {
        GdkRectangle area;
        gdk_monitor_get_workarea(nearest, &area);
        x = int(std::clamp<long long>(x, area.x, std::max<long long>(area.x, (long long)area.x + area.width - width)));
        y = int(std::clamp<long long>(y, area.y, std::max<long long>(area.y, (long long)area.y + area.height - height)));
    }
    dialog->x = x;
    dialog->y = y;
    gtk_window_move(GTK_WINDOW(dialog->window), x, y);
}

// Message boxes of this toolkit no longer show their sign by themselves: the question mark or the error sign is put
// in front of the text, when the icon theme has it.
static void AddMessageSign(GtkWidget* box, const char* iconName)
{
    GtkWidget* textArea = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box));
    GtkWidget* row = textArea ? gtk_widget_get_parent(textArea) : nullptr;
    if (!row || !GTK_IS_BOX(row) || !gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), iconName)) return;
    GtkWidget* sign = gtk_image_new_from_icon_name(iconName, GTK_ICON_SIZE_DIALOG);
    gtk_widget_set_valign(sign, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(row), sign, FALSE, FALSE, 0);
    gtk_box_reorder_child(GTK_BOX(row), sign, 0);
    gtk_widget_show(sign);
}

// Runs a message box modally; timers go on inside gtk_dialog_run's loop. A quit request answers it with "none".
static gint RunMessageBox(GtkWidget* box, const char* caption, const char* iconName)
{
    AddMessageSign(box, iconName);
    gtk_window_set_title(GTK_WINDOW(box), caption ? caption : "");
    g_object_ref(box);
    openMessageBoxes.push_back(box);
    modalWindows.push_back(box);
    LogWindowShown(caption);
    NoteModalLoop(true);
    gint answer = gtk_dialog_run(GTK_DIALOG(box));
    NoteModalLoop(false);
    openMessageBoxes.erase(std::find(openMessageBoxes.begin(), openMessageBoxes.end(), box));
    gtk_widget_destroy(box);
    ReturnFocus(box);
    g_object_unref(box);
    return answer;
}

// The Yes/No question keeps the manners of the system the game was written for: Yes | No from left to right, Yes the
// default with the keyboard focus, Y and N answer it, and neither Escape nor the close box answers it (there is no
// Cancel to stand for).
static gboolean OnQuestionKey(GtkWidget* box, GdkEventKey* event, gpointer)
{
    if (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) return FALSE;
    switch (gdk_keyval_to_lower(event->keyval)) {
    case GDK_KEY_y: gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_YES); return TRUE;
    case GDK_KEY_n: gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_NO); return TRUE;
    case GDK_KEY_Escape: return TRUE;
    default: return FALSE;
    }
}

// The close box turns into a "deleted" answer inside the toolkit, and ends the box's loop with no answer: both are
// stopped before they answer the question.
static void IgnoreClose(GtkDialog* box, gint response, gpointer)
{
    if (response == GTK_RESPONSE_DELETE_EVENT) g_signal_stop_emission_by_name(box, "response");
}

// A box that opens while the main window has the keyboard takes it, so that Enter answers the box.
static void TakeFocusOnMap(GtkWidget* box, gpointer)
{
    gtk_window_present(GTK_WINDOW(box));
}

bool PlatformAskYesNo(const char* text, const char* caption)
{
    GtkWidget* box = gtk_message_dialog_new(MainGtkWindow(), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
                                            "%s", text ? text : "");
    GtkWidget* yes = gtk_dialog_add_button(GTK_DIALOG(box), "_Yes", GTK_RESPONSE_YES);
    gtk_dialog_add_button(GTK_DIALOG(box), "_No", GTK_RESPONSE_NO);
    gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_YES);
    gtk_widget_grab_focus(yes);
    gtk_window_set_deletable(GTK_WINDOW(box), FALSE);
    g_signal_connect(box, "key-press-event", G_CALLBACK(OnQuestionKey), nullptr);
    g_signal_connect(box, "response", G_CALLBACK(IgnoreClose), nullptr);
    g_signal_connect(box, "delete-event", G_CALLBACK(gtk_true), nullptr);
    g_signal_connect_after(box, "map", G_CALLBACK(TakeFocusOnMap), nullptr);
    return RunMessageBox(box, caption, "dialog-question") == GTK_RESPONSE_YES;
}

void PlatformErrorBox(const char* text, const char* caption)
{
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s",
                                            text ? text : "");
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
    RunMessageBox(box, caption, "dialog-error");
}

int PlatformLastError()
{
    return lastError ? lastError : errno;
}

const char* PlatformErrorText(int code)
{
    return g_strerror(code);
}
