// The frame a window manager adds around a window, known before the window is shown: the game places its dialogs by
// their outer rectangle, and under X the window manager tells the frame's size on request (_NET_REQUEST_FRAME_EXTENTS).
#include "platform/gtk/gtk_backend.h"

#include <X11/Xatom.h>
#include <algorithm>
#include <gdk/gdkx.h>

namespace {

constexpr int AnswerWaitMs = 250;
bool managerSilent = false; // a window manager that once left the request unanswered is not asked again

// The window's _NET_FRAME_EXTENTS (left, right, top, bottom); false while it has none.
bool ReadFrameProperty(Display* display, Window window, Atom property, int extents[4])
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    bool found = XGetWindowProperty(display, window, property, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                                    &remaining, &data) == Success &&
                 type == XA_CARDINAL && format == 32 && count == 4;
    if (found) {
        const long* values = reinterpret_cast<const long*>(data);
        for (int i = 0; i < 4; i++) extents[i] = values[i] >= 0 && values[i] < 1000 ? int(values[i]) : 0;
    }
    if (data) XFree(data);
    return found;
}

} // namespace

namespace {

// The window's frame extents (left, right, top, bottom) in screen pixels, asked of the window manager when not yet set.
bool RequestFrameExtents(GtkWidget* widget, int extents[4])
{
    extents[0] = extents[1] = extents[2] = extents[3] = 0;
    GdkDisplay* gdkDisplay = gtk_widget_get_display(widget);
    if (!GDK_IS_X11_DISPLAY(gdkDisplay)) return false;
    GdkScreen* screen = gtk_widget_get_screen(widget);
    if (managerSilent ||
        !gdk_x11_screen_supports_net_wm_hint(screen, gdk_atom_intern_static_string("_NET_REQUEST_FRAME_EXTENTS")))
        return false;
    gtk_widget_realize(widget);
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    if (!gdkWindow) return false;
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    Window window = GDK_WINDOW_XID(gdkWindow);
    Atom property = gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_FRAME_EXTENTS");
    if (ReadFrameProperty(display, window, property, extents)) return true;

    XEvent request = {};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_REQUEST_FRAME_EXTENTS");
    request.xclient.format = 32;
    Window root = GDK_WINDOW_XID(gdk_screen_get_root_window(screen));
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
    XFlush(display);
    for (int waited = 0; waited < AnswerWaitMs; waited += 5) {
        g_usleep(5000);
        if (ReadFrameProperty(display, window, property, extents)) return true;
    }
    managerSilent = true;
    return false;
}

} // namespace

bool RequestFrameSize(GtkWidget* widget, int* width, int* height)
{
    int extents[4];
    *width = *height = 0;
    if (!RequestFrameExtents(widget, extents)) return false;
    // The window manager counts screen pixels, the toolkit's sizes and positions are in units of its scale (2 on a
    // HiDPI screen); both sides together, as the toolkit measures the outer rectangle (a 1-pixel border on each side
    // is one unit at scale 2, not two).
    int scale = std::max(1, gtk_widget_get_scale_factor(widget));
    *width = (extents[0] + extents[1]) / scale;
    *height = (extents[2] + extents[3]) / scale;
    return true;
}
