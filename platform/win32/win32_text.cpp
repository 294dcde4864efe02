// UTF-8 / UTF-16 conversion and the game's icons as system icons.
#include "platform/win32/win32_backend.h"
#include "resources/resources.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

namespace {

constexpr int SystemInformationIcon = 32516;

uint32_t ReadLittle(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; i--) value = (value << 8) | p[i];
    return value;
}

// The image inside an icon file whose size is closest to `size` (the larger wins a tie); false when the file's
// directory is damaged or points outside the data.
bool PickIconImage(const uint8_t* data, size_t fileSize, int size, const uint8_t** image, DWORD* imageSize)
{
    if (!data || fileSize < 6 || ReadLittle(data, 2) != 0 || ReadLittle(data + 2, 2) != 1) return false;
    size_t count = ReadLittle(data + 4, 2);
    if (count == 0 || 6 + count * 16 > fileSize) return false;
    int bestDistance = 1 << 30, bestSize = 0;
    for (size_t i = 0; i < count; i++) {
        const uint8_t* entry = data + 6 + i * 16;
        int width = entry[0] ? entry[0] : 256;
        uint32_t bytes = ReadLittle(entry + 8, 4);
        uint32_t offset = ReadLittle(entry + 12, 4);
        if (bytes < 40 || offset > fileSize || bytes > fileSize - offset) continue;
        int distance = width > size ? width - size : size - width;
        if (distance < bestDistance || (distance == bestDistance && width > bestSize)) {
            bestDistance = distance;
            bestSize = width;
            *image = data + offset;
            *imageSize = bytes;
        }
    }
    return bestSize > 0;
}

} // namespace

std::wstring Widen(const char* text)
{
    if (!text || !*text) return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    wide.resize(size_t(length - 1));
    return wide;
}

std::string Narrow(const wchar_t* text)
{
    if (!text || !*text) return std::string();
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(size_t(length - 1));
    return narrow;
}

int WindowDpi(HWND window)
{
    // Asked for by name: Windows before 10 (version 1607) lacks it.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static DpiForWindow dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (window && dpiForWindow) {
        if (UINT dpi = dpiForWindow(window)) return int(dpi);
    }
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int MonitorDpi(HMONITOR monitor, int fallback)
{
    // Asked for by name too: shcore.dll came with Windows 8.1.
    using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static DpiForMonitor dpiForMonitor = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<DpiForMonitor>(
                            reinterpret_cast<void (*)()>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT x = 0, y = 0;
    if (monitor && dpiForMonitor && dpiForMonitor(monitor, 0, &x, &y) == S_OK && y > 0) return int(y); // effective dpi
    return fallback;
}

HICON GameIcon(int iconId, int size)
{
    static std::map<std::pair<int, int>, HICON> icons;
    auto key = std::make_pair(iconId, size);
    auto found = icons.find(key);
    if (found != icons.end()) return found->second;
    HICON icon = nullptr;
    HMODULE program = GetModuleHandleW(nullptr);
    if (iconId == SystemInformationIcon) {
        icon = LoadIconW(nullptr, MAKEINTRESOURCEW(SystemInformationIcon));
    } else if (FindResourceW(program, MAKEINTRESOURCEW(iconId), MAKEINTRESOURCEW(14))) { // RT_GROUP_ICON
        icon = HICON(LoadImageW(program, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    } else {
        ResourceData file = FindResource(ResourceIcon, iconId);
        const uint8_t* image = nullptr;
        DWORD imageSize = 0;
        if (PickIconImage(file.data, file.size, size, &image, &imageSize))
            icon = CreateIconFromResourceEx(const_cast<PBYTE>(image), imageSize, TRUE, 0x00030000, size, size,
                                            LR_DEFAULTCOLOR);
    }
    icons[key] = icon;
    return icon;
}
