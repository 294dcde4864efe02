// The main window in the page: the canvas that shows the game's last finished frame, the menu bar and accelerators
// (built by the page from the shell tables), the keys the flight reads, and the window's size.
#include "platform/web/web_backend.h"
#include "platform/app_entry.h"
#include "platform/keys.h"
#include "platform/window.h"
#include "resources/shell_tables.h"

#include <emscripten.h>

#include <string>

namespace {

bool windowExists = false;
bool paintPending = false;
bool keyDown[GameKeyCount];
bool keyPressedSince[GameKeyCount];

EM_JS(void, WebCreateWindow, (const char* title, const char* menu, const char* accelerators), {
    Dravolinex.createWindow(UTF8ToString(title), UTF8ToString(menu), UTF8ToString(accelerators));
});
EM_JS(void, WebDestroyWindow, (), { Dravolinex.destroyWindow(); });
EM_JS(int, WebAreaWidth, (), { return Dravolinex.areaWidth(); });
EM_JS(int, WebAreaHeight, (), { return Dravolinex.areaHeight(); });
EM_JS(int, WebAreaTop, (), { return Dravolinex.areaTop(); });
EM_JS(int, WebPageWidth, (), { return window.innerWidth | 0; });
EM_JS(int, WebPageHeight, (), { return window.innerHeight | 0; });
EM_JS(void, WebPresent, (const uint32_t* pixels, int width, int height), {
    Dravolinex.present(HEAPU32.subarray(pixels >> 2, (pixels >> 2) + width * height), width, height);
});

// The menu table as text for the page: one item per line, fields "kind|flags|command|text" split by 0x1f.
std::string MenuText()
{
    std::string text;
    for (int i = 0; i < MainMenuCount; i++) {
        const MenuItemDef& item = MainMenu[i];
        text += std::to_string(int(item.kind)) + '\x1f' + std::to_string(item.flags) + '\x1f' +
                std::to_string(item.command) + '\x1f' + (item.text ? item.text : "") + '\n';
    }
    return text;
}

// The accelerator table as text: "kind|key|alt|command" per line.
std::string AcceleratorText()
{
    std::string text;
    for (int i = 0; i < MainAcceleratorCount; i++) {
        const AcceleratorDef& accel = MainAccelerators[i];
        text += std::to_string(int(accel.keyKind)) + '\x1f' + std::to_string(accel.key) + '\x1f' +
                (accel.alt ? "1" : "0") + '\x1f' + std::to_string(accel.command) + '\n';
    }
    return text;
}

} // namespace

void HandleKeyEvent(const WebEvent& event)
{
    if (event.kind == WebEventFocusLost) {
        ClearKeyStates();
        return;
    }
    if (event.a < 0 || event.a >= GameKeyCount) return;
    keyDown[event.a] = event.kind == WebEventKeyDown;
    if (event.kind == WebEventKeyDown) keyPressedSince[event.a] = true;
}

void ClearKeyStates()
{
    for (int i = 0; i < GameKeyCount; i++) keyDown[i] = keyPressedSince[i] = false;
}

void NoteResize()
{
    if (windowExists) paintPending = true;
}

bool DeliverPendingPaint()
{
    if (!paintPending || !windowExists) return false;
    paintPending = false;
    AppPaint();
    return true;
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
    if (windowExists) return true;
    WebCreateWindow(title ? title : "", MenuText().c_str(), AcceleratorText().c_str());
    windowExists = true;
    paintPending = true;
    return true;
}

bool PlatformMainWindowExists()
{
    return windowExists;
}

void PlatformDestroyMainWindow()
{
    if (!windowExists) return;
    windowExists = false;
    paintPending = false;
    ClearKeyStates();
    WebDestroyWindow();
    AppDestroyed();
}

void PlatformGetClientSize(int* width, int* height)
{
    int w = windowExists ? WebAreaWidth() : 0;
    int h = windowExists ? WebAreaHeight() : 0;
    if (w <= 0 || h <= 0) w = h = 0;
    if (width) *width = w;
    if (height) *height = h;
}

// The page stands for the screen: the window fills it, the canvas area sits below the menu bar.
ScreenRect PlatformGetClientScreenRect()
{
    int width, height;
    PlatformGetClientSize(&width, &height);
    int top = windowExists ? WebAreaTop() : 0;
    return ScreenRect{0, top, width, top + height};
}

ScreenRect PlatformGetWindowRect()
{
    if (!windowExists) return ScreenRect{0, 0, 0, 0};
    return ScreenRect{0, 0, WebPageWidth(), WebPageHeight()};
}

// The browser window is the player's to size and place: a stored placement changes nothing.
void PlatformSetWindowRect(const ScreenRect&) {}

void PlatformRequestRepaint()
{
    if (windowExists) paintPending = true;
}

void PlatformPresentFrame(const uint32_t* pixels, int width, int height, const FrameArea*, int)
{
    if (!windowExists || !pixels || width <= 0 || height <= 0 || width > 16384 || height > 16384) return;
    paintPending = false;
    WebPresent(pixels, width, height);
    CountFrame();
}
