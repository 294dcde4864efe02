/* The floor of the desktop game's start-up: a bare GTK window with a menu bar and a drawing area, nothing else. It
 * writes the wall-clock time (microseconds since the epoch) of its first drawing to the file named by
 * DRAVOLINEX_FIRST_FRAME_LOG, as the game does for its first frame, so that tests/desktop/measure_startup.sh times
 * both the same way.
 *   bare-window */
#include <gtk/gtk.h>
#include <stdio.h>
#include <stdlib.h>

static gboolean OnDraw(GtkWidget* area, cairo_t* cr, gpointer data)
{
    static gboolean shown = FALSE;
    const char* log = getenv("DRAVOLINEX_FIRST_FRAME_LOG");
    (void)area;
    (void)data;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    if (!shown && log) {
        FILE* out = fopen(log, "w");
        if (out) {
            fprintf(out, "%lld\n", (long long)g_get_real_time());
            fclose(out);
        }
    }
    shown = TRUE;
    return TRUE;
}

int main(int argc, char** argv)
{
    static const char* menus[] = {"_File", "_Settings", "_Help"};
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Bare window");
    gtk_window_set_default_size(GTK_WINDOW(window), 800, 640);
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GtkWidget* bar = gtk_menu_bar_new();
    for (size_t i = 0; i < sizeof menus / sizeof menus[0]; i++) {
        GtkWidget* item = gtk_menu_item_new_with_mnemonic(menus[i]);
        GtkWidget* menu = gtk_menu_new();
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), gtk_menu_item_new_with_mnemonic("_Item"));
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
        gtk_menu_shell_append(GTK_MENU_SHELL(bar), item);
    }
    gtk_box_pack_start(GTK_BOX(column), bar, FALSE, FALSE, 0);
    GtkWidget* area = gtk_drawing_area_new();
    gtk_box_pack_start(GTK_BOX(column), area, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window), column);
    g_signal_connect(area, "draw", G_CALLBACK(OnDraw), NULL);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
