// The main window: menu bar from the menu table, accelerators, the playfield drawing area that shows the game's
// last finished frame, the keys the flight reads, and the window's placement.
#include "platform/common/frame_copy.h"
#include "platform/common/test_hooks.h"
#include "platform/gtk/gtk_backend.h"
#include "platform/app_entry.h"
#include "platform/keys.h"
#include "platform/window.h"
#include "resources/shell_tables.h"

#include <gdk/gdkx.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

namespace {

GtkWidget* mainWindow = nullptr;
GtkWidget* playfield = nullptr;
GtkAccelGroup* menuAccelLabels = nullptr;

// The last frame presented (its pixels in cairo's 0x00RRGGBB order).
ShownFrame frame;
bool inDraw = false;
bool frameWaiting = false; // a frame presented outside a draw that the next draw shows as it is
bool repaintAsked = false; // a repaint asked for that no presented frame has settled yet

// Key events that arrive while the window is being set up wait here until the message loop runs, so that the game
// sees none before its options, pictures and first round exist (GTK is pumped while the window settles).
bool keysHeldBack = true;
std::deque<GdkEvent*> heldKeys;

// Where the window was last asked to be. A Wayland compositor places windows itself and tells nobody where: there
// the stored position is kept as it was read, so that a later session under X finds it again.
int askedLeft = 0, askedTop = 0;

// Key table with the asynchronous key-state rules: down now, and pressed since the last query.
bool keyDown[GameKeyCount];
bool keyPressedSince[GameKeyCount];

// Default outer size of a new main window.
constexpr int DefaultWidth = 800, DefaultHeight = 640;
constexpr int MinimumSize = 120;
constexpr int MaximumSize = 16384;

int GameKeyOf(guint keyval)
{
    switch (keyval) {
    case GDK_KEY_space: return KeySpace;
    case GDK_KEY_Left: case GDK_KEY_KP_Left: return KeyLeft;
    case GDK_KEY_Right: case GDK_KEY_KP_Right: return KeyRight;
    default: return -1;
    }
}

// The main window's accelerator table: plain keys must come without any modifier, Alt keys with Alt.
bool TranslateAccelerator(const GdkEventKey* event)
{
    guint modifiers = event->state & (GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK);
    for (int i = 0; i < MainAcceleratorCount; i++) {
        const AcceleratorDef& accel = MainAccelerators[i];
        bool match;
        if (accel.keyKind == AccelVirtualKey) {
            guint upper = gdk_keyval_to_upper(event->keyval);
            match = upper == guint(accel.key) && modifiers == (accel.alt ? guint(GDK_MOD1_MASK) : 0u);
        } else {
            guint32 character = gdk_keyval_to_unicode(event->keyval);
            bool altHeld = (modifiers & GDK_MOD1_MASK) != 0;
            match = character == guint32(accel.key) && altHeld == accel.alt && !(modifiers & GDK_CONTROL_MASK);
        }
        if (match) {
            AppCommand(accel.command);
            return true;
        }
    }
    return false;
}

gboolean OnMainKeyPress(GtkWidget*, GdkEventKey* event, gpointer)
{
    int key = GameKeyOf(event->keyval);
    if (key >= 0) {
        keyDown[key] = true;
        keyPressedSince[key] = true;
        return TRUE;
    }
    return TranslateAccelerator(event) ? TRUE : FALSE;
}

gboolean OnMainKeyRelease(GtkWidget*, GdkEventKey* event, gpointer)
{
    int key = GameKeyOf(event->keyval);
    if (key < 0) return FALSE;
    keyDown[key] = false;
    return TRUE;
}

gboolean OnMainFocusOut(GtkWidget*, GdkEvent*, gpointer)
{
    ClearKeyStates();
    return FALSE;
}

gboolean OnMainDelete(GtkWidget*, GdkEvent*, gpointer)
{
    AppCloseRequested();
    return TRUE; // the game destroys the window itself (or keeps it)
}

gboolean OnPlayfieldDraw(GtkWidget* widget, cairo_t* cr, gpointer)
{
    if (!frameWaiting && !inDraw) {
        inDraw = true;
        AppPaint();
        inDraw = false;
    }
    frameWaiting = false;
    int width = gtk_widget_get_allocated_width(widget);
    int height = gtk_widget_get_allocated_height(widget);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    if (frame.width > 0 && frame.height > 0) {
        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(frame.pixels.data()), CAIRO_FORMAT_RGB24, frame.width, frame.height,
            frame.width * 4);
        cairo_set_source_surface(cr, surface, 0, 0);
        // On a scaled screen each frame pixel becomes a block of device pixels, never a smoothed blur.
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_rectangle(cr, 0, 0, std::min(width, frame.width), std::min(height, frame.height));
        cairo_fill(cr);
        cairo_surface_destroy(surface);
        // Start-up measurement: DRAVOLINEX_FIRST_FRAME_LOG names a file that gets the wall-clock time (µs since
        // the epoch) at which the first game frame was shown.
        static bool firstShown = false;
        const char* log = firstShown ? nullptr : TEST_HOOK_SETTING("DRAVOLINEX_FIRST_FRAME_LOG");
        if (FILE* out = log ? fopen(log, "w") : nullptr) {
            fprintf(out, "%lld\n", (long long)g_get_real_time());
            fclose(out);
        }
        firstShown = true;
    }
    return TRUE;
}

// A menu item that shows its shortcut ("N", "P") at the right without the label acting on it.
void ShowShortcut(GtkWidget* item, const char* shortcut)
{
    guint key = 0;
    GdkModifierType modifiers = GdkModifierType(0);
    gtk_accelerator_parse(shortcut, &key, &modifiers);
    if (key == 0 && shortcut[0] && !shortcut[1]) key = gdk_unicode_to_keyval(g_unichar_tolower(shortcut[0]));
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
    if (key && GTK_IS_ACCEL_LABEL(label)) gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), key, modifiers);
}

void OnMenuActivate(GtkMenuItem*, gpointer command)
{
    AppCommand(GPOINTER_TO_INT(command));
}

// A checked item keeps its mark: choosing it changes nothing but the command goes to the game as usual.
void OnCheckedActivate(GtkMenuItem* item, gpointer command)
{
    GtkCheckMenuItem* check = GTK_CHECK_MENU_ITEM(item);
    if (!gtk_check_menu_item_get_active(check)) {
        g_signal_handlers_block_by_func(item, reinterpret_cast<gpointer>(OnCheckedActivate), command);
        gtk_check_menu_item_set_active(check, TRUE);
        g_signal_handlers_unblock_by_func(item, reinterpret_cast<gpointer>(OnCheckedActivate), command);
    }
    AppCommand(GPOINTER_TO_INT(command));
}

// A disabled item is drawn like the others but a click on it neither chooses it nor closes the menu.
gboolean SwallowClick(GtkWidget*, GdkEventButton*, gpointer)
{
    return TRUE;
}

GtkWidget* NewMenuItem(const MenuItemDef& def)
{
    const char* text = def.text ? def.text : "";
    const char* tab = strchr(text, '\t');
    char* caption = g_strndup(text, tab ? size_t(tab - text) : strlen(text));
    char* mnemonic = ConvertMnemonics(caption, true);
    g_free(caption);
    GtkWidget* item = (def.flags & MenuChecked) ? gtk_check_menu_item_new_with_mnemonic(mnemonic)
                                                : gtk_menu_item_new_with_mnemonic(mnemonic);
    g_free(mnemonic);
    if (tab) ShowShortcut(item, tab + 1);
    gpointer command = GINT_TO_POINTER(def.command);
    if (def.flags & MenuDisabled) {
        g_signal_connect(item, "button-press-event", G_CALLBACK(SwallowClick), nullptr);
        g_signal_connect(item, "button-release-event", G_CALLBACK(SwallowClick), nullptr);
        gtk_widget_set_can_focus(item, FALSE);
    } else if (def.flags & MenuChecked) {
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
        g_signal_connect(item, "activate", G_CALLBACK(OnCheckedActivate), command);
    } else {
        g_signal_connect(item, "activate", G_CALLBACK(OnMenuActivate), command);
    }
    return item;
}

GtkWidget* BuildMenuBar()
{
    GtkWidget* bar = gtk_menu_bar_new();
    std::vector<GtkWidget*> shells{bar};
    for (int i = 0; i < MainMenuCount; i++) {
        const MenuItemDef& def = MainMenu[i];
        GtkWidget* shell = shells.back();
        switch (def.kind) {
        case MenuPopupBegin: {
            char* mnemonic = ConvertMnemonics(def.text, true);
            GtkWidget* item = gtk_menu_item_new_with_mnemonic(mnemonic);
            g_free(mnemonic);
            GtkWidget* menu = gtk_menu_new();
            gtk_menu_set_accel_group(GTK_MENU(menu), menuAccelLabels);
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
            gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
            shells.push_back(menu);
            break;
        }
        case MenuPopupEnd:
            if (shells.size() > 1) shells.pop_back();
            break;
        case MenuSeparator:
            gtk_menu_shell_append(GTK_MENU_SHELL(shell), gtk_separator_menu_item_new());
            break;
        case MenuCommandItem:
            gtk_menu_shell_append(GTK_MENU_SHELL(shell), NewMenuItem(def));
            break;
        }
    }
    return bar;
}

void SetProgramIcon(GtkWindow* window)
{
    GList* icons = nullptr;
    for (int size : {16, 32, 48}) {
        int id = size == 16 ? IconProgramSmall : IconProgram;
        if (GdkPixbuf* picture = LoadIconPixbuf(id, size)) icons = g_list_append(icons, picture);
        else if (GdkPixbuf* fallback = LoadIconPixbuf(IconProgram, size)) icons = g_list_append(icons, fallback);
    }
    if (icons) gtk_window_set_icon_list(window, icons);
    g_list_free_full(icons, g_object_unref);
}

// Outer size minus inner size: what the window manager adds around the window (nothing without one).
void FrameBorders(int* extraWidth, int* extraHeight, int* offsetX, int* offsetY)
{
    *extraWidth = *extraHeight = *offsetX = *offsetY = 0;
    GdkWindow* gdkWindow = mainWindow ? gtk_widget_get_window(mainWindow) : nullptr;
    if (!gdkWindow || !gtk_widget_get_mapped(mainWindow)) return;
    GdkRectangle outer;
    gdk_window_get_frame_extents(gdkWindow, &outer);
    int x, y;
    gdk_window_get_origin(gdkWindow, &x, &y);
    *extraWidth = std::max(0, outer.width - gdk_window_get_width(gdkWindow));
    *extraHeight = std::max(0, outer.height - gdk_window_get_height(gdkWindow));
    *offsetX = std::max(0, x - outer.x);
    *offsetY = std::max(0, y - outer.y);
}

void RouteEvent(GdkEvent* event, gpointer)
{
    bool key = event->type == GDK_KEY_PRESS || event->type == GDK_KEY_RELEASE;
    if (keysHeldBack && key) {
        heldKeys.push_back(gdk_event_copy(event));
        return;
    }
    // A key, click, drag or wheel turn may end a dialog or change the world (a slider): the timers that waited for a
    // wake and were due before it come first.
    switch (event->type) {
    case GDK_KEY_PRESS: case GDK_KEY_RELEASE: case GDK_BUTTON_PRESS: case GDK_BUTTON_RELEASE: case GDK_MOTION_NOTIFY:
    case GDK_SCROLL: case GDK_TOUCH_BEGIN: case GDK_TOUCH_UPDATE: case GDK_TOUCH_END:
        DeliverWaitingTimers();
        break;
    default:
        break;
    }
    gtk_main_do_event(event);
}

// Lets GTK map, size and paint the window now, like a synchronous window change; the game's timers and posted
// commands wait for the message loop.
void PumpPendingEvents()
{
    HoldGameDelivery(true);
    for (int i = 0; i < 200 && gtk_events_pending(); i++) gtk_main_iteration_do(FALSE);
    HoldGameDelivery(false);
}

} // namespace

bool WindowSystemPlacesWindows()
{
    return GDK_IS_X11_DISPLAY(gdk_display_get_default());
}

void MainFrameSize(int* width, int* height)
{
    int offsetX, offsetY;
    FrameBorders(width, height, &offsetX, &offsetY);
}

void ReleaseHeldKeys()
{
    keysHeldBack = false;
    while (!heldKeys.empty()) {
        gdk_event_put(heldKeys.front());
        gdk_event_free(heldKeys.front());
        heldKeys.pop_front();
    }
}

GtkWindow* MainGtkWindow()
{
    return mainWindow ? GTK_WINDOW(mainWindow) : nullptr;
}

void ClearKeyStates()
{
    for (int i = 0; i < GameKeyCount; i++) keyDown[i] = keyPressedSince[i] = false;
}

int PlatformKeyState(GameKey key)
{
    if (key < 0 || key >= GameKeyCount) return 0;
    int state = (keyDown[key] ? KeyStateDown : 0) | (keyPressedSince[key] ? KeyStatePressed : 0);
    keyPressedSince[key] = false;
    return state;
}

bool PlatformCreateMainWindow(const char* title)
{
    if (mainWindow) return true;
    if (keysHeldBack) gdk_event_handler_set(RouteEvent, nullptr, nullptr);
    mainWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (!mainWindow) return false;
    GtkWindow* window = GTK_WINDOW(mainWindow);
    gtk_window_set_title(window, title ? title : "");
    gtk_window_set_default_size(window, DefaultWidth, DefaultHeight);
    SetProgramIcon(window);
    menuAccelLabels = gtk_accel_group_new();

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    // The menu bar sits in a strip that may be narrower than the bar: a window squeezed below the bar's width (there
    // is no window manager to stop it) cuts the bar off at the right instead of upsetting the toolkit's layout.
    GtkWidget* menuStrip = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(menuStrip), GTK_POLICY_EXTERNAL, GTK_POLICY_NEVER);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(menuStrip), GTK_SHADOW_NONE);
    gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(menuStrip), TRUE);
    gtk_container_add(GTK_CONTAINER(menuStrip), BuildMenuBar());
    gtk_box_pack_start(GTK_BOX(column), menuStrip, FALSE, FALSE, 0);
    playfield = gtk_drawing_area_new();
    gtk_widget_set_size_request(playfield, 1, 1);
    gtk_box_pack_start(GTK_BOX(column), playfield, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(mainWindow), column);

    gtk_widget_add_events(mainWindow, GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK);
    g_signal_connect(mainWindow, "key-press-event", G_CALLBACK(OnMainKeyPress), nullptr);
    g_signal_connect(mainWindow, "key-release-event", G_CALLBACK(OnMainKeyRelease), nullptr);
    g_signal_connect(mainWindow, "focus-out-event", G_CALLBACK(OnMainFocusOut), nullptr);
    g_signal_connect(mainWindow, "delete-event", G_CALLBACK(OnMainDelete), nullptr);
    g_signal_connect(playfield, "draw", G_CALLBACK(OnPlayfieldDraw), nullptr);

    gtk_widget_show_all(mainWindow);
    LogWindowShown(title);
    // Let the window reach the screen and get its size before the game asks for the client size.
    PumpPendingEvents();
    StartSoundSoon();
    return true;
}

bool PlatformMainWindowExists()
{
    return mainWindow != nullptr;
}

void PlatformDestroyMainWindow()
{
    if (!mainWindow) return;
    GtkWidget* window = mainWindow;
    mainWindow = nullptr;
    playfield = nullptr;
    ForgetTimersAndCommands();
    ClearKeyStates();
    gtk_widget_destroy(window);
    if (menuAccelLabels) g_object_unref(menuAccelLabels);
    menuAccelLabels = nullptr;
    AppDestroyed();
}

void PlatformGetClientSize(int* width, int* height)
{
    int w = 0, h = 0;
    if (playfield && gtk_widget_get_mapped(mainWindow)) {
        GdkWindow* gdkWindow = gtk_widget_get_window(mainWindow);
        bool minimised = gdkWindow && (gdk_window_get_state(gdkWindow) & GDK_WINDOW_STATE_ICONIFIED);
        if (!minimised) {
            w = gtk_widget_get_allocated_width(playfield);
            h = gtk_widget_get_allocated_height(playfield);
            if (w <= 1 && h <= 1) w = h = 0;
        }
    }
    if (width) *width = w;
    if (height) *height = h;
}

ScreenRect PlatformGetClientScreenRect()
{
    ScreenRect rect{0, 0, 0, 0};
    if (!playfield) return rect;
    // While the window is minimised the playfield keeps its place and size: the rectangle it returns to.
    int width = 0, height = 0;
    if (gtk_widget_get_mapped(mainWindow) || gtk_widget_get_realized(playfield)) {
        width = gtk_widget_get_allocated_width(playfield);
        height = gtk_widget_get_allocated_height(playfield);
        if (width <= 1 && height <= 1) width = height = 0;
    }
    GdkWindow* gdkWindow = gtk_widget_get_window(mainWindow);
    int originX = 0, originY = 0;
    if (gdkWindow) gdk_window_get_origin(gdkWindow, &originX, &originY);
    int dx = 0, dy = 0;
    gtk_widget_translate_coordinates(playfield, mainWindow, 0, 0, &dx, &dy);
    rect.left = originX + dx;
    rect.top = originY + dy;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

ScreenRect PlatformGetWindowRect()
{
    ScreenRect rect{0, 0, 0, 0};
    if (!mainWindow) return rect;
    GdkWindow* gdkWindow = gtk_widget_get_window(mainWindow);
    if (!WindowSystemPlacesWindows()) {
        int width, height;
        gtk_window_get_size(GTK_WINDOW(mainWindow), &width, &height);
        return ScreenRect{askedLeft, askedTop, askedLeft + width, askedTop + height};
    }
    if (gdkWindow && gtk_widget_get_mapped(mainWindow)) {
        GdkRectangle outer;
        gdk_window_get_frame_extents(gdkWindow, &outer);
        return ScreenRect{outer.x, outer.y, outer.x + outer.width, outer.y + outer.height};
    }
    int x, y, width, height;
    gtk_window_get_position(GTK_WINDOW(mainWindow), &x, &y);
    gtk_window_get_size(GTK_WINDOW(mainWindow), &width, &height);
    return ScreenRect{x, y, x + width, y + height};
}

void PlatformSetWindowRect(const ScreenRect& rect)
{
    if (!mainWindow) return;
    if (!WindowSystemPlacesWindows()) {
        // Only the size is ours to choose; the compositor places the window.
        askedLeft = rect.left;
        askedTop = rect.top;
        long long width = std::clamp<long long>((long long)rect.right - rect.left, MinimumSize, MaximumSize);
        long long height = std::clamp<long long>((long long)rect.bottom - rect.top, MinimumSize, MaximumSize);
        gtk_window_resize(GTK_WINDOW(mainWindow), int(width), int(height));
        PumpPendingEvents();
        return;
    }
    // The stored rectangle is the outer one: the frame comes off it. The window manager is asked for the frame rather
    // than the toolkit, which knows it only once the window is framed and mapped: at start-up that races the window
    // manager, and a window opened before the frame was known would grow by the frame at every restart.
    int extraWidth, extraHeight, offsetX, offsetY;
    if (!RequestFrameSize(mainWindow, &extraWidth, &extraHeight))
        FrameBorders(&extraWidth, &extraHeight, &offsetX, &offsetY);
    long long width = (long long)rect.right - rect.left - extraWidth;
    long long height = (long long)rect.bottom - rect.top - extraHeight;
    width = std::clamp<long long>(width, MinimumSize, MaximumSize);
    height = std::clamp<long long>(height, MinimumSize, MaximumSize);
    long long left = rect.left, top = rect.top;
    // A stored placement from another screen layout (or a damaged one) must not put the window out of sight, where
    // the dialogs centred on it would be out of reach too: it is kept on the monitor nearest to it.
    GdkDisplay* display = gtk_widget_get_display(mainWindow);
    long long centreX = std::clamp<long long>(left + width / 2, INT_MIN, INT_MAX);
    long long centreY = std::clamp<long long>(top + height / 2, INT_MIN, INT_MAX);
    if (GdkMonitor* monitor = gdk_display_get_monitor_at_point(display, int(centreX), int(centreY))) {
        GdkRectangle area;
        gdk_monitor_get_workarea(monitor, &area);
        width = std::min<long long>(width, std::max(MinimumSize, area.width - extraWidth));
        height = std::min<long long>(height, std::max(MinimumSize, area.height - extraHeight));
        left = std::clamp<long long>(left, area.x, std::max<long long>(area.x, area.x + area.width - width - extraWidth));
        top = std::clamp<long long>(top, area.y, std::max<long long>(area.y, area.y + area.height - height - extraHeight));
    }
    gtk_window_move(GTK_WINDOW(mainWindow), int(left), int(top));
    gtk_window_resize(GTK_WINDOW(mainWindow), int(width), int(height));
    PumpPendingEvents();
}

// A repaint asked for and not settled by a presented frame meanwhile: the playfield is drawn, the game painting it.
void SettleRepaintRequest()
{
    if (repaintAsked && playfield) gtk_widget_queue_draw(playfield);
    repaintAsked = false;
}

namespace {

gboolean RepaintIfStillAsked(gpointer)
{
    SettleRepaintRequest();
    return G_SOURCE_REMOVE;
}

} // namespace

void PlatformRequestRepaint()
{
    if (!playfield || repaintAsked) return;
    repaintAsked = true;
    // The repaint timer asks and then paints at once: its request is settled when the loop's delivery ends.
    if (!DeliveringGameEvents()) g_idle_add(RepaintIfStillAsked, nullptr);
}

// The frame replaces what the playfield shows; it goes to the screen only when a pixel changed (a paused game
// repainted 20 times a second mostly shows the same picture again).
void PlatformPresentFrame(const uint32_t* pixels, int width, int height, const FrameArea* changed, int changedCount)
{
    FrameUpdate update = UpdateShownFrame(frame, pixels, width, height, MaximumSize, changed, changedCount);
    if (update == FrameRejected) return;
    repaintAsked = false;
    LogFramePresented();
    if (!inDraw && playfield && update == FrameChanged) {
        frameWaiting = true;
        for (const FrameArea& area : frame.changedAreas)
            gtk_widget_queue_draw_area(playfield, area.left, area.top, area.right - area.left, area.bottom - area.top);
    }
}
