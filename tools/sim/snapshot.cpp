// Snapshots of the game window as PNG files.
#include "tools/sim/snapshot.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

// libpng's complaints are kept for the caller's one line, not printed: the system's reason when a write failed.
[[noreturn]] void KeepPngError(png_structp png, png_const_charp message)
{
    const int reason = errno;
    *static_cast<std::string*>(png_get_error_ptr(png)) = reason ? std::strerror(reason) : message;
    png_longjmp(png, 1);
}

void IgnorePngWarning(png_structp, png_const_charp) {}

// libpng reports errors by long jump; the rows and the file belong to the caller, so nothing leaks.
bool WriteRows(FILE* file, int width, int height, std::vector<png_bytep>& rows, std::string& reason)
{
    PngWriter w;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &reason, KeepPngError, IgnorePngWarning);
    if (w.png)
        w.info = png_create_info_struct(w.png);
    if (!w.png || !w.info) {
        reason = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(w.png)))
        return false;
    errno = 0;
    png_init_io(w.png, file);
    png_set_IHDR(w.png, w.info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(w.png, w.info);
    png_write_image(w.png, rows.data());
    png_write_end(w.png, nullptr);
    return true;
}

// Writes the PNG into a new file beside `target` and renames it over `target` only once it is whole.
bool ReplaceWithPng(const std::string& target, int width, int height, std::vector<png_bytep>& rows,
                    std::string& reason)
{
    struct stat info;
    const bool exists = stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        return false;
    }
    std::string temp = target + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    // A picture replaced keeps its mode; a new one gets the mode any new file would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, exists ? info.st_mode & 07777 : 0666 & ~mask);
    FILE* file = fdopen(fd, "wb");
    bool ok = file && WriteRows(file, width, height, rows, reason);
    if (ok && (std::fflush(file) != 0 || fsync(fd) != 0)) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (file ? std::fclose(file) != 0 : close(fd) != 0) {
        if (ok)
            reason = std::strerror(errno);
        ok = false;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (!ok)
        unlink(temp.c_str());
    return ok;
}

} // namespace

bool WriteSnapshotPng(const char* path, int clientWidth, int clientHeight, std::string& reason)
{
    if (clientWidth <= 0 || clientHeight <= 0) {
        reason = "the client area " + std::to_string(clientWidth) + " x " + std::to_string(clientHeight) +
                 " has no pixels";
        return false;
    }
    Surface client;
    RandomSnapshot generator = SaveRandom();
    ComposeClientPicture(client, clientWidth, clientHeight, false);
    RestoreRandom(generator);

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

    // A link keeps pointing at the picture: its target is what gets replaced.
    std::string target = path;
    if (char* real = realpath(path, nullptr)) {
        target = real;
        std::free(real);
    }
    return ReplaceWithPng(target, clientWidth, clientHeight, rows, reason);
}
