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

namespace {

// The icon's image closest to `size` pixels (a larger one wins a tie), as a pixbuf; null when there is none.
GdkPixbuf* DecodeIconImage(const ResourceData& icon, int size)
{
    GdkPixbuf* picture = nullptr;
#ifdef HAVE_ICON_DECODE
    std::vector<uint32_t> argb;
    int width = 0, height = 0;
    if (DecodeIcon(icon.data, icon.size, size, argb, &width, &height)) picture = PixbufFromArgb(argb, width, height);
#else
    (void)size;
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
    return picture;
}

int Side(GdkPixbuf* picture)
{
    return picture && gdk_pixbuf_get_width(picture) == gdk_pixbuf_get_height(picture) ? gdk_pixbuf_get_width(picture) : 0;
}

} // namespace

// An image of the wanted size is taken as it is. Otherwise the picture stays sharp: a larger image is reduced, or one
// a whole number of times smaller is enlarged with each of its pixels a block (a scaled screen asks for 2 x 32 px);
// only an icon with neither is smoothed up from its nearest image.
GdkPixbuf* LoadIconPixbuf(int iconId, int size)
{
    ResourceData icon = FindResource(ResourceIcon, iconId);
    if (!icon.data || icon.size == 0 || size <= 0) return nullptr;
    GdkPixbuf* picture = DecodeIconImage(icon, size);
    if (!picture || (gdk_pixbuf_get_width(picture) == size && gdk_pixbuf_get_height(picture) == size)) return picture;
    GdkInterpType filter = GDK_INTERP_BILINEAR;
    if (GdkPixbuf* largest = DecodeIconImage(icon, 1 << 16); Side(largest) > size) {
        g_object_unref(picture);
        picture = largest;
    } else {
        if (largest) g_object_unref(largest);
        for (int times = 2; times <= 8 && size / times > 0; times++) {
            if (size % times) continue;
            GdkPixbuf* smaller = DecodeIconImage(icon, size / times);
            if (Side(smaller) == size / times) {
                g_object_unref(picture);
                picture = smaller;
                filter = GDK_INTERP_NEAREST;
                break;
            }
            if (smaller) g_object_unref(smaller);
        }
    }
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(picture, size, size, filter);
    g_object_unref(picture);
    return scaled;
}
