// Snapshots of the game window as PNG files.
#include "tools/sim/snapshot.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gfx/canvas.h"
#include "render/paint_frame.h"
#include "sim/random.h"

namespace {

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

// libpng reports errors by long jump; the rows and the file belong to the caller, so nothing leaks.
bool WriteRows(FILE* file, int width, int height, std::vector<png_bytep>& rows)
{
    PngWriter w;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!w.png)
        return false;
    w.info = png_create_info_struct(w.png);
    if (!w.info)
        return false;
    if (setjmp(png_jmpbuf(w.png)))
        return false;
    png_init_io(w.png, file);
    // Fast compression: --frames writes a picture for every frame of a flight.
    png_set_compression_level(w.png, 1);
    png_set_IHDR(w.png, w.info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(w.png, w.info);
    png_write_image(w.png, rows.data());
    png_write_end(w.png, nullptr);
    return true;
}

} // namespace

bool WriteSnapshotPng(const char* path, int clientWidth, int clientHeight)
{
    if (clientWidth <= 0 || clientHeight <= 0) {
        std::fprintf(stderr, "snapshot: the client area %d x %d has no pixels\n", clientWidth, clientHeight);
        return false;
    }
    Surface client;
    RandomSnapshot generator = SaveRandom();
    ComposeClientPicture(client, clientWidth, clientHeight, false);
    RestoreRandom(generator);
    return WriteSurfacePng(path, client);
}

bool WriteSurfacePng(const char* path, const Surface& client)
{
    const int clientWidth = client.width, clientHeight = client.height;
    if (clientWidth <= 0 || clientHeight <= 0)
        return false;

    std::vector<png_byte> rgb(static_cast<size_t>(clientWidth) * clientHeight * 3);
    std::vector<png_bytep> rows(clientHeight);
    for (int y = 0; y < clientHeight; ++y) {
        rows[y] = rgb.data() + static_cast<size_t>(y) * clientWidth * 3;
        for (int x = 0; x < clientWidth; ++x) {
            Color c = client.pixels[static_cast<size_t>(y) * clientWidth + x];
            rows[y][3 * x] = static_cast<png_byte>(ColorRed(c));
            rows[y][3 * x + 1] = static_cast<png_byte>(ColorGreen(c));
            rows[y][3 * x + 2] = static_cast<png_byte>(ColorBlue(c));
        }
    }

    FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::fprintf(stderr, "snapshot: cannot write %s: %s\n", path, std::strerror(errno));
        return false;
    }
    bool ok = WriteRows(file, clientWidth, clientHeight, rows);
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        std::fprintf(stderr, "snapshot: writing %s failed\n", path);
    return ok;
}
