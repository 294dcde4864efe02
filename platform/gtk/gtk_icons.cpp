// Icon resources as GDK pictures.
#include "platform/gtk/gtk_backend.h"
#include "resources/resources.h"

#include <vector>

#if __has_include("resources/icon_decode.h")
#include "resources/icon_decode.h"
#define HAVE_ICON_DECODE 1
#endif

namespace {

void FreePixels(guchar* pixels, gpointer)
{
    g_free(pixels);
}

#ifdef HAVE_ICON_DECODE
// 0xAARRGGBB words into a non-premultiplied RGBA pixbuf.
GdkPixbuf* PixbufFromArgb(const std::vector<uint32_t>& argb, int width, int height)
{
    if (width <= 0 || height <= 0 || argb.size() < size_t(width) * size_t(height)) return nullptr;
    guchar* bytes = static_cast<guchar*>(g_malloc(size_t(width) * size_t(height) * 4));
    for (size_t i = 0; i < size_t(width) * size_t(height); i++) {
        uint32_t c = argb[i];
        bytes[i * 4 + 0] = guchar(c >> 16);
        bytes[i * 4 + 1] = guchar(c >> 8);
        bytes[i * 4 + 2] = guchar(c);
        bytes[i * 4 + 3] = guchar(c >> 24);
    }
    return gdk_pixbuf_new_from_data(bytes, GDK_COLORSPACE_RGB, TRUE, 8, width, height, width * 4, FreePixels,
                                    nullptr);
}
#endif

} // namespace

GdkPixbuf* LoadIconPixbuf(int iconId, int size)
{
    ResourceData icon = FindResource(ResourceIcon, iconId);
    if (!icon.data || icon.size == 0) return nullptr;
    GdkPixbuf* picture = nullptr;
#ifdef HAVE_ICON_DECODE
    std::vector<uint32_t> argb;
    int width = 0, height = 0;
    if (DecodeIcon(icon.data, icon.size, size, argb, &width, &height))
        picture = PixbufFromArgb(argb, width, height);
#else
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("ico", nullptr);
    if (loader) {
        if (gdk_pixbuf_loader_write(loader, icon.data, icon.size, nullptr) && gdk_pixbuf_loader_close(loader, nullptr)) {
            picture = gdk_pixbuf_loader_get_pixbuf(loader);
            if (picture) g_object_ref(picture);
        }
        g_object_unref(loader);
    }
#endif
    (void)FreePixels;
    if (picture && (gdk_pixbuf_get_width(picture) != size || gdk_pixbuf_get_height(picture) != size)) {
        // Enlarged a whole number of times (a scaled screen), each icon pixel becomes a sharp block.
        int width = gdk_pixbuf_get_width(picture);
        bool whole = width == gdk_pixbuf_get_height(picture) && width < size && size % width == 0;
        GdkPixbuf* scaled = gdk_pixbuf_scale_simple(picture, size, size, whole ? GDK_INTERP_NEAREST : GDK_INTERP_BILINEAR);
        g_object_unref(picture);
        picture = scaled;
    }
    return picture;
}
