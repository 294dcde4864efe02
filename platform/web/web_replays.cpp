// The browser game's replay folder: each kept replay is one item of the page's localStorage, named
// "dravolinex.replay.<file name>" and holding the file's bytes as base64 text (dravolinex-devices.js). The game keeps
// its last 20 flights and 10 best scores there as on the desktop, and the page's Replays panel offers each for
// download. An item is written whole or not at all; storage that is full or switched off refuses the write, the page
// says once that replays will not be kept, and the game goes on.
#include "platform/replay_store.h"

#include <emscripten.h>

#include <cstring>
#include <string>

namespace {

// Far beyond a long flight's file (a few KB a minute), and well within what a browser lets a page keep.
constexpr size_t MaxReplayBytes = 1u << 20;

EM_JS(int, WebReplayWrite, (const char* name, const uint8_t* data, int size), {
    return Dravolinex.replayWrite(UTF8ToString(name), HEAPU8.slice(data, data + size)) ? 1 : 0;
});
// The kept names, one a line, as UTF-8 into `buffer` (at most `room` bytes); returns their length in bytes.
EM_JS(int, WebReplayNames, (char* buffer, int room), {
    const bytes = new TextEncoder().encode(Dravolinex.replayNames().join('\n'));
    if (buffer && bytes.length <= room) HEAPU8.set(bytes, buffer);
    return bytes.length;
});
EM_JS(int, WebReplayDelete, (const char* name), { return Dravolinex.replayDelete(UTF8ToString(name)) ? 1 : 0; });

// A name the game gives: plain, without a folder or a line break, not hidden.
bool PlainName(const char* name)
{
    size_t length = name ? std::strlen(name) : 0;
    return length > 0 && length <= 255 && name[0] != '.' && !std::strpbrk(name, "/\\\n");
}

} // namespace

bool PlatformWriteReplay(const char* name, const uint8_t* data, size_t size)
{
    if (!PlainName(name) || size > MaxReplayBytes || (size && !data))
        return false;
    return WebReplayWrite(name, data, static_cast<int>(size)) != 0;
}

void PlatformListReplays(void (*each)(const char* name, void* context), void* context)
{
    int length = WebReplayNames(nullptr, 0);
    if (length <= 0)
        return;
    std::string names(static_cast<size_t>(length), '\0');
    if (WebReplayNames(names.data(), length) != length)
        return; // another tab changed the list meanwhile: the next flight's keeping sees it
    for (size_t start = 0; start < names.size();) {
        size_t end = names.find('\n', start);
        if (end == std::string::npos)
            end = names.size();
        std::string name = names.substr(start, end - start);
        if (!name.empty())
            each(name.c_str(), context);
        start = end + 1;
    }
}

bool PlatformDeleteReplay(const char* name)
{
    return PlainName(name) && WebReplayDelete(name) != 0;
}

const char* PlatformBackendName()
{
    return "web";
}
