// Dialogs of the desktop backend in a real (virtual) X display: what reaches the dialog procedure for clicks, keys,
// slider drags and programmatic changes; modal nesting; placement; and timers that go on inside a dialog.
#include "platform/gtk/gtk_backend.h"
#include "platform/dialog.h"
#include "platform/msgbox.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "resources/resources.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Event {
    DialogEvent event;
    int id, code;
    bool operator==(const Event& other) const = default;
};
std::vector<Event> events;
std::function<void(Dialog*)> whenOpen;     // runs once the dialog's loop is running
std::function<bool(Dialog*, int)> onCommand; // true: handled
int timerExpiries = 0;

bool RecordingProc(Dialog* dialog, DialogEvent event, int id, int code)
{
    if (event != DialogInit) events.push_back(Event{event, id, code});
    if (event == DialogInit) {
        g_idle_add(
            [](gpointer d) {
                if (whenOpen) whenOpen(static_cast<Dialog*>(d));
                return G_SOURCE_REMOVE;
            },
            dialog);
        return true;
    }
    if (event == DialogCommand && onCommand) return onCommand(dialog, id);
    if (event == DialogCommand && (id == IdOk || id == IdCancel)) DialogEnd(dialog, id);
    return true;
}

constexpr int Radio1 = 11, Radio2 = 12, Radio3 = 13, Check = 14, Slider = 15, Label = 16, Push = 17;
const ControlDef TestControls[] = {
    {-1, ControlGroupBox, "Group", 0, 4, 4, 150, 60, 0},
    {Slider, ControlSlider, "", 0, 10, 14, 100, 12, StyleTabStop},
    {Radio1, ControlRadio, "&One", 0, 10, 30, 40, 10, StyleGroupStart | StyleTabStop},
    {Radio2, ControlRadio, "&Two", 0, 10, 42, 40, 10, 0},
    {Radio3, ControlRadio, "Th&ree", 0, 60, 30, 40, 10, StyleGroupStart},
    {Check, ControlCheckBox, "&Flip", 0, 60, 42, 40, 10, 0},
    {Label, ControlLabel, "Static", 0, 10, 70, 140, 20, StyleSunken},
    {Push, ControlButton, "E&xit Game", 0, 10, 96, 50, 14, StyleTabStop},
    {IdOk, ControlDefaultButton, "OK", 0, 100, 96, 50, 14, StyleTabStop},
};
const DialogTemplate TestTemplate = {900, "Test Dialog", 160, 116, "MS Shell Dlg", 8, true, 0, 0,
                                     TestControls, int(sizeof TestControls / sizeof TestControls[0])};

void SendKeyTo(GtkWidget* window, guint keyval, GdkEventType type = GDK_KEY_PRESS)
{
    GdkEvent* event = gdk_event_new(type);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    event->key.keyval = keyval;
    event->key.time = GDK_CURRENT_TIME;
    GdkDisplay* display = gtk_widget_get_display(window);
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &count) && count > 0)
        event->key.hardware_keycode = guint16(keys[0].keycode);
    g_free(keys);
    gtk_widget_event(window, event);
    gdk_event_free(event);
}

void SendKey(Dialog* d, guint key, GdkEventType type = GDK_KEY_PRESS) { SendKeyTo(DialogWindowWidget(d), key, type); }

void SendButton(GtkWidget* widget, GdkEventType type)
{
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
    event->button.button = 1;
    gtk_widget_event(widget, event);
    gdk_event_free(event);
}

// Lets the X server and GTK carry out window changes, which take a moment.
void Settle()
{
    for (int i = 0; i < 20; i++) {
        while (gtk_events_pending()) gtk_main_iteration();
        g_usleep(10000);
    }
}

int RunTestDialog() { return PlatformRunDialog(TestTemplate, RecordingProc); }

class GtkDialogs : public ::testing::Test {
protected:
    void SetUp() override { events.clear(), whenOpen = nullptr, onCommand = nullptr; }
};

} // namespace

// The game's side, as far as these dialogs need it.
std::vector<int> commands;
void AppCommand(int id) { commands.push_back(id); }
void AppTimer(int) { timerExpiries++; }
void AppPaint() {}
void AppCloseRequested() {}
void AppDestroyed() {}
void AppDescribeCraft(char* text, size_t size) { if (size) *text = 0; }
void AppDescribeWorld(char* text, size_t size) { if (size) *text = 0; }
void PollJoystickCapture() {}
void ShutdownSound() {}
void StartSoundSoon() {}
ResourceData FindResource(ResourceKind, int) { return ResourceData{nullptr, 0}; }

TEST_F(GtkDialogs, ProgrammaticChangesAreSilentAndClicksNotifyOnce)
{
    whenOpen = [](Dialog* d) {
        DialogSetCheck(d, Radio2, true);
        DialogSetCheck(d, Check, true);
        DialogSetSliderRange(d, Slider, 0, 10);
        DialogSetSliderPos(d, Slider, 4);
        EXPECT_TRUE(events.empty());
        EXPECT_TRUE(DialogGetCheck(d, Radio2));
        EXPECT_FALSE(DialogGetCheck(d, Radio1));
        EXPECT_FALSE(DialogGetCheck(d, Radio3)); // its own group: nothing checked yet
        DialogSetCheck(d, Radio2, false);        // a group can again have nothing checked
        EXPECT_FALSE(DialogGetCheck(d, Radio1) || DialogGetCheck(d, Radio2));

        gtk_button_clicked(GTK_BUTTON(DialogControlWidget(d, Radio1)));
        gtk_button_clicked(GTK_BUTTON(DialogControlWidget(d, Radio2))); // unchecks Radio1: no event for it
        gtk_button_clicked(GTK_BUTTON(DialogControlWidget(d, Check)));
        EXPECT_TRUE(DialogGetCheck(d, Radio2));
        EXPECT_FALSE(DialogGetCheck(d, Radio1));
        EXPECT_FALSE(DialogGetCheck(d, Check));
        DialogEnd(d, 5);
    };
    EXPECT_EQ(RunTestDialog(), 5);
    EXPECT_EQ(events, (std::vector<Event>{{DialogCommand, Radio1, ButtonClicked},
                                          {DialogCommand, Radio2, ButtonClicked},
                                          {DialogCommand, Check, ButtonClicked}}));
}

// A held arrow key moves the slider at every repeat but ends its track once, on release; a drag ends it on release.
TEST_F(GtkDialogs, SliderKeyboardAndDragNotifications)
{
    whenOpen = [](Dialog* d) {
        DialogSetSliderRange(d, Slider, 10, 5); // backwards: collapses to one position
        DialogSetSliderPos(d, Slider, 99);
        EXPECT_EQ(DialogGetSliderPos(d, Slider), 10);
        DialogSetSliderRange(d, Slider, 0, 4);
        DialogSetSliderTicks(d, Slider, 1);
        DialogSetSliderPos(d, Slider, 1);
        GtkWidget* scale = DialogControlWidget(d, Slider);
        gtk_widget_grab_focus(scale);
        SendKey(d, GDK_KEY_Right);
        SendKey(d, GDK_KEY_Right); // auto-repeat
        SendKey(d, GDK_KEY_Right, GDK_KEY_RELEASE);
        SendButton(scale, GDK_BUTTON_PRESS); // then a drag
        gtk_range_set_value(GTK_RANGE(scale), 2);
        SendButton(scale, GDK_BUTTON_RELEASE);
        EXPECT_EQ(DialogGetSliderPos(d, Slider), 2);
        DialogEnd(d, IdOk);
    };
    EXPECT_EQ(RunTestDialog(), IdOk);
    EXPECT_EQ(events, (std::vector<Event>{{DialogSlider, Slider, SliderLineDown},
                                          {DialogSlider, Slider, SliderLineDown},
                                          {DialogSlider, Slider, SliderEndTrack},
                                          {DialogSlider, Slider, SliderThumbTrack},
                                          {DialogSlider, Slider, SliderThumbPosition},
                                          {DialogSlider, Slider, SliderEndTrack}}));
}

// Tab follows the template's order, not the screen's, and lands on a radio group's checked button.
TEST_F(GtkDialogs, TabFollowsTheTemplateOrder)
{
    static const ControlDef controls[] = {
        {Push, ControlButton, "&Push", 0, 10, 96, 50, 14, StyleTabStop},
        {Radio1, ControlRadio, "&One", 0, 10, 30, 40, 10, StyleGroupStart | StyleTabStop},
        {Radio2, ControlRadio, "&Two", 0, 10, 42, 40, 10, 0},
        {Slider, ControlSlider, "", 0, 10, 60, 100, 12, StyleTabStop},
        {Check, ControlCheckBox, "&Flip", 0, 60, 30, 40, 10, 0},
        {IdOk, ControlDefaultButton, "OK", 0, 100, 96, 50, 14, StyleTabStop},
    };
    DialogTemplate scrambled = TestTemplate;
    scrambled.controls = controls;
    scrambled.controlCount = int(std::size(controls));
    static std::vector<int> visited; // four times Tab from Push, then four times Shift+Tab
    whenOpen = [](Dialog* d) {
        DialogSetCheck(d, Radio2, true);
        gtk_widget_grab_focus(DialogControlWidget(d, Push));
        for (guint key : {GDK_KEY_Tab, GDK_KEY_ISO_Left_Tab})
            for (int i = 0; i < 4; i++) {
                SendKey(d, key);
                for (int id : {Push, Radio1, Radio2, Slider, Check, IdOk})
                    if (gtk_window_get_focus(GTK_WINDOW(DialogWindowWidget(d))) == DialogControlWidget(d, id))
                        visited.push_back(id);
            }
        DialogEnd(d, IdOk);
    };
    EXPECT_EQ(PlatformRunDialog(scrambled, RecordingProc), IdOk);
    EXPECT_EQ(visited, (std::vector<int>{Radio2, Slider, IdOk, Push, IdOk, Slider, Radio2, Push}));
}

// The arrow keys steer the craft: they never move the focus off a button (from OK to "Exit Game"); Tab still does.
TEST_F(GtkDialogs, ArrowKeysLeaveTheFocusOnAButton)
{
    static std::vector<int> focused;
    whenOpen = [](Dialog* d) {
        GtkWindow* window = GTK_WINDOW(DialogWindowWidget(d));
        gtk_widget_grab_focus(DialogControlWidget(d, IdOk));
        for (guint key : {GDK_KEY_Left, GDK_KEY_Right, GDK_KEY_Up, GDK_KEY_Down, GDK_KEY_Tab}) {
            SendKey(d, key);
            for (int id : {Push, IdOk, Check, Slider})
                if (gtk_window_get_focus(window) == DialogControlWidget(d, id)) focused.push_back(id);
        }
        DialogEnd(d, IdOk);
    };
    EXPECT_EQ(RunTestDialog(), IdOk);
    EXPECT_EQ(focused, (std::vector<int>{IdOk, IdOk, IdOk, IdOk, Slider}));
}

// Timers go on meanwhile, inside the dialog.
TEST_F(GtkDialogs, EscapeCancelsReturnPressesTheDefaultOrTheFocusedButton)
{
    timerExpiries = 0;
    PlatformSetTimer(1003, 10);
    whenOpen = [](Dialog* d) {
        SendKey(d, GDK_KEY_Escape);
        SendKey(d, GDK_KEY_Return); // focus on the slider, the first tab stop: the default button
        gtk_widget_grab_focus(DialogControlWidget(d, Push));
        SendKey(d, GDK_KEY_Return); // a key-activated button shows itself pressed for a moment, then clicks
        g_timeout_add(500, [](gpointer dialog) {
            DialogEnd(static_cast<Dialog*>(dialog), 9);
            return G_SOURCE_REMOVE;
        }, d);
    };
    onCommand = [](Dialog*, int) { return true; }; // the procedure ends nothing by itself here
    EXPECT_EQ(RunTestDialog(), 9);
    PlatformKillTimer(1003);
    EXPECT_GT(timerExpiries, 5);
    EXPECT_EQ(events, (std::vector<Event>{{DialogCommand, IdCancel, ButtonClicked},
                                          {DialogCommand, IdOk, ButtonClicked},
                                          {DialogCommand, Push, ButtonClicked}}));
}

// A dialog opened from another (the verdict over a settings dialog) is the one in front, and when it closes it hands
// the focus back to the outer one rather than raising the main window over it, out of reach.
TEST_F(GtkDialogs, NestedDialogsAndTheForegroundOne)
{
    static Dialog* outer = nullptr;
    static int innerResult = 0;
    static bool outerActive = false, mainActive = true;
    whenOpen = [](Dialog* d) {
        outer = d;
        EXPECT_EQ(PlatformForegroundDialog(), d);
        DialogSendCommand(d, Push);
    };
    onCommand = [](Dialog* d, int id) {
        if (id == Push && d == outer) {
            whenOpen = [](Dialog* inner) {
                EXPECT_EQ(PlatformForegroundDialog(), inner);
                DialogEnd(inner, 3);
            };
            innerResult = RunTestDialog();
            EXPECT_EQ(PlatformForegroundDialog(), outer);
            g_timeout_add(400, [](gpointer) {
                outerActive = gtk_window_is_active(GTK_WINDOW(DialogWindowWidget(outer)));
                mainActive = gtk_window_is_active(MainGtkWindow());
                DialogEnd(outer, 4);
                return G_SOURCE_REMOVE;
            }, nullptr);
        }
        return true;
    };
    EXPECT_EQ(RunTestDialog(), 4);
    EXPECT_EQ(innerResult, 3);
    EXPECT_TRUE(outerActive);
    EXPECT_FALSE(mainActive);
    EXPECT_EQ(PlatformForegroundDialog(), nullptr);
    DialogSendCommand(outer, IdOk); // a closed dialog: ignored
    DialogSetText(outer, Label, "x");
}

// Moves and rectangles are in screen pixels; long texts wrap inside their rectangles without widening the dialog.
TEST_F(GtkDialogs, MovesAndLongTextsKeepTheDialogsSize)
{
    static int width = 0;
    whenOpen = [](Dialog* d) {
        ScreenRect r = DialogGetRect(d);
        width = r.right - r.left;
        DialogMove(d, 37, 41);
        r = DialogGetRect(d);
        EXPECT_EQ((std::vector<int>{r.left, r.top, r.right - r.left}), (std::vector<int>{37, 41, width}));
        // A place off the screen (the verdict of a minimised window, or of one half past the right edge) is moved
        // onto the screen's area, 1280 x 1024 here.
        for (int x : {-393, 1280 - width / 2}) {
            DialogMove(d, x, 2000);
            r = DialogGetRect(d);
            EXPECT_TRUE(r.left >= 0 && r.right <= 1280 && r.bottom <= 1024 && r.right - r.left == width) << x;
        }
        DialogEnd(d, IdOk);
    };
    EXPECT_EQ(RunTestDialog(), IdOk);
    const int plainWidth = width;
    EXPECT_GT(plainWidth, 160); // dialog units are larger than pixels
    ControlDef controls[std::size(TestControls)];
    std::copy(std::begin(TestControls), std::end(TestControls), controls);
    std::string longText;
    for (int i = 0; i < 12; i++) longText += "Only thing left of you is a bunch of burned pieces. ";
    for (ControlDef& def : controls)
        if (def.id == Label) def.text = longText.c_str();
    DialogTemplate wordy = TestTemplate;
    wordy.controls = controls;
    EXPECT_EQ(PlatformRunDialog(wordy, RecordingProc), IdOk);
    EXPECT_EQ(width, plainWidth);
    for (ControlDef& def : controls) // and a centred label, as the verdict's message is
        if (def.id == Label) def.style = StyleCentred;
    EXPECT_EQ(PlatformRunDialog(wordy, RecordingProc), IdOk);
    EXPECT_EQ(width, plainWidth);
}

// Without a window manager nothing keeps the main window from being squeezed narrower than its menu bar: the bar is
// cut off, and the toolkit reports no broken layout.
TEST(GtkMainWindow, SqueezedBelowTheMenuBarWidthWithoutComplaint)
{
    static int complaints = 0;
    guint handler = g_log_set_handler("Gtk", GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
                                      [](const gchar*, GLogLevelFlags, const gchar*, gpointer) { complaints++; },
                                      nullptr);
    GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(MainGtkWindow()));
    ASSERT_NE(window, nullptr);
    int width = gdk_window_get_width(window), height = gdk_window_get_height(window);
    for (int squeezed : {60, 1}) {
        gdk_window_resize(window, squeezed, squeezed);
        Settle();
    }
    gdk_window_resize(window, width, height);
    Settle();
    g_log_remove_handler("Gtk", handler);
    EXPECT_EQ(complaints, 0);
}

// Keys typed while the window is being set up reach the game only once its message loop runs.
TEST(GtkMainWindow, KeysWaitForTheMessageLoop)
{
    GtkWidget* window = GTK_WIDGET(MainGtkWindow());
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
        event->key.keyval = GDK_KEY_p;
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
        gdk_event_put(event);
        gdk_event_free(event);
    }
    commands.clear();
    Settle();
    EXPECT_TRUE(commands.empty());
    ReleaseHeldKeys();
    Settle();
    EXPECT_EQ(commands, std::vector<int>{32815}); // P: Pause Game
}

// A stored window placement from another screen layout, or a damaged one, keeps the window on the screen, and a
// dialog centred on a small window in a corner opens on the screen too.
TEST(GtkMainWindow, StoredPlacementAndCentredDialogsStayOnTheScreen)
{
    ScreenRect original = PlatformGetWindowRect();
    GdkRectangle screen;
    gdk_monitor_get_workarea(gdk_display_get_monitor(gdk_display_get_default(), 0), &screen);
    auto placed = [](const ScreenRect& r) { // the window manager's part (here the X server's) takes a moment
        PlatformSetWindowRect(r);
        Settle();
        return PlatformGetWindowRect();
    };
    auto onScreen = [&](const ScreenRect& r) {
        return r.left >= screen.x && r.top >= screen.y && r.right <= screen.x + screen.width &&
               r.bottom <= screen.y + screen.height;
    };
    ScreenRect kept = placed({30, 40, 630, 440});
    EXPECT_EQ((std::vector<int>{kept.left, kept.top, kept.right - kept.left}), (std::vector<int>{30, 40, 600}));
    EXPECT_TRUE(onScreen(placed({screen.width + 2000, screen.height + 900, screen.width + 2900, screen.height + 1500})));
    EXPECT_TRUE(onScreen(placed({-100000, 5, 900000, 700000}))); // larger than the screen
    ScreenRect tiny = placed({-100, -100, -50, -60});
    EXPECT_TRUE(onScreen(tiny));
    EXPECT_GT(tiny.right - tiny.left, 50);

    static ScreenRect dialogRect;
    whenOpen = [](Dialog* d) {
        dialogRect = DialogGetRect(d);
        DialogEnd(d, IdOk);
    };
    EXPECT_EQ(RunTestDialog(), IdOk);
    whenOpen = nullptr;
    EXPECT_TRUE(onScreen(dialogRect));
    placed(original);
}

// The New Game question: Yes | No, Yes focused and the default, Y and N answer, Escape and the close box do nothing;
// it takes the keyboard and shows the question sign.
TEST(GtkMessageBoxes, QuestionAnswersLikeAYesNoBox)
{
    static const std::vector<guint>* keys = nullptr;
    static std::string seen; // what the first box showed
    const std::pair<std::vector<guint>, bool> cases[] = {
        {{GDK_KEY_Return}, true}, {{GDK_KEY_y}, true}, {{GDK_KEY_N}, false}, {{GDK_KEY_Escape, GDK_KEY_n}, false}};
    for (const auto& [typed, yes] : cases) {
        keys = &typed;
        g_timeout_add(300, [](gpointer) {
            GList* windows = gtk_window_list_toplevels();
            for (GList* w = windows; w; w = w->next) {
                if (!GTK_IS_MESSAGE_DIALOG(w->data) || !gtk_widget_get_visible(GTK_WIDGET(w->data))) continue;
                GtkWidget* box = GTK_WIDGET(w->data);
                GtkWidget* yesButton = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_YES);
                GList* buttons = gtk_container_get_children(GTK_CONTAINER(gtk_widget_get_parent(yesButton)));
                GtkWidget* text = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box));
                GList* row = gtk_container_get_children(GTK_CONTAINER(gtk_widget_get_parent(text)));
                if (seen.empty())
                    seen = std::string(buttons->data == yesButton ? "yes-first" : "no-first") +
                           (gtk_window_get_focus(GTK_WINDOW(box)) == yesButton ? " yes-focused" : "") +
                           (gtk_window_is_active(GTK_WINDOW(box)) ? " active" : "") +
                           (GTK_IS_IMAGE(row->data) ? " sign" : "");
                g_list_free(row);
                g_list_free(buttons);
                GdkEvent* close = gdk_event_new(GDK_DELETE);
                close->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(box)));
                gtk_widget_event(box, close);
                gdk_event_free(close);
                for (guint key : *keys) SendKeyTo(box, key);
            }
            g_list_free(windows);
            return G_SOURCE_REMOVE;
        }, nullptr);
        EXPECT_EQ(PlatformAskYesNo("Are you sure you want to stop the current game?", "New Game"), yes)
            << gdk_keyval_name(typed[0]);
    }
    bool themed = gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), "dialog-question");
    EXPECT_EQ(seen, std::string("yes-first yes-focused active") + (themed ? " sign" : ""));
}

TEST_F(GtkDialogs, BadTemplatesFail)
{
    DialogTemplate broken = TestTemplate;
    broken.controls = nullptr;
    EXPECT_EQ(PlatformRunDialog(broken, RecordingProc), -1);
    EXPECT_NE(PlatformLastError(), 0);
    EXPECT_STRNE(PlatformErrorText(PlatformLastError()), "");
    EXPECT_EQ(PlatformRunDialog(TestTemplate, nullptr), -1);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!gtk_init_check(&argc, &argv)) {
        fprintf(stderr, "no display\n");
        return 1;
    }
    if (!PlatformCreateMainWindow("Dialog Test")) return 1;
    return RUN_ALL_TESTS();
}
