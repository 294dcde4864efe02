// Build tool: writes the program icon (an ICO file) as a PNG of the given size for the desktop's icon theme.
//   icon-to-png ICON_FILE SIZE OUTPUT_PNG
#include "resources/icon_decode.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: icon-to-png ICON_FILE SIZE OUTPUT_PNG\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int size = atoi(argv[2]);
    std::vector<uint32_t> argb;
    int width = 0, height = 0;
    if (size <= 0 || size > 1024 || !DecodeIcon(data.data(), data.size(), size, argb, &width, &height)) {
        fprintf(stderr, "icon-to-png: cannot read an icon from %s\n", argv[1]);
        return 1;
    }
    std::vector<guchar> rgba(argb.size() * 4);
    for (size_t i = 0; i < argb.size(); i++) {
        rgba[i * 4 + 0] = guchar(argb[i] >> 16);
        rgba[i * 4 + 1] = guchar(argb[i] >> 8);
        rgba[i * 4 + 2] = guchar(argb[i]);
        rgba[i * 4 + 3] = guchar(argb[i] >> 24);
    }
    GdkPixbuf* picture = gdk_pixbuf_new_from_data(rgba.data(), GDK_COLORSPACE_RGB, TRUE, 8, width, height, width * 4,
                                                  nullptr, nullptr);
    if (width != size || height != size) {
        GdkPixbuf* scaled = gdk_pixbuf_scale_simple(picture, size, size, GDK_INTERP_HYPER);
        g_object_unref(picture);
        picture = scaled;
    }
    GError* error = nullptr;
    bool saved = gdk_pixbuf_save(picture, argv[3], "png", &error, nullptr);
    g_object_unref(picture);
    if (!saved) {
        fprintf(stderr, "icon-to-png: %s\n", error ? error->message : "cannot write the picture");
        return 1;
    }
    return 0;
}
