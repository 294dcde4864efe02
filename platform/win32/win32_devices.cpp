// Keyboard state, joysticks, sound and the settings store: thin layers over the system's own services.
#include "platform/win32/win32_backend.h"
#include "platform/joystick.h"
#include "platform/keys.h"
#include "platform/sound.h"
#include "platform/store.h"
#include "resources/resources.h"

#include <mmsystem.h>

namespace {

constexpr uint32_t MinimumCapturePeriodMs = 10;
int capturedJoystick = -1;

// The game looks for a joystick in every slot twice a second while none is captured, and on Windows asking an empty
// slot can take milliseconds each (the driver looks for new devices): a slot found empty is asked again only after
// a few seconds, the slots' retries spread over that time, so a poll asks one or two slots at most and a joystick
// plugged in is still found within a few seconds (the first slot within about four).
constexpr int CachedSlots = 16;
constexpr uint64_t EmptySlotRetryMs = 4000;
uint64_t emptySlotRetryAt[CachedSlots] = {};
int joystickQueries = 0;

UINT JoystickId(int id)
{
    return UINT(JOYSTICKID1 + id);
}

} // namespace

// ---- keys ----

int PlatformKeyState(GameKey key)
{
    int virtualKey;
    switch (key) {
    case KeySpace: virtualKey = VK_SPACE; break;
    case KeyLeft: virtualKey = VK_LEFT; break;
    case KeyRight: virtualKey = VK_RIGHT; break;
    default: return 0;
    }
    SHORT state = GetAsyncKeyState(virtualKey);
    return ((state & 0x8000) ? KeyStateDown : 0) | ((state & 0x0001) ? KeyStatePressed : 0);
}

// ---- joystick: anything but JOYERR_NOERROR means nothing answers in that slot ----

int PlatformJoystickCount()
{
    return int(joyGetNumDevs());
}

int JoystickQueryCount()
{
    return joystickQueries;
}

bool PlatformJoystickGetPosition(int id, JoystickPosition* position)
{
    if (id < 0 || !position) return false;
    uint64_t now = GetTickCount64();
    if (id < CachedSlots && now < emptySlotRetryAt[id]) return false;
    JOYINFO info{};
    joystickQueries++;
    if (joyGetPos(JoystickId(id), &info) != JOYERR_NOERROR) {
        if (id < CachedSlots)
            emptySlotRetryAt[id] = now + EmptySlotRetryMs + uint64_t(id) * EmptySlotRetryMs / CachedSlots;
        return false;
    }
    if (id < CachedSlots) emptySlotRetryAt[id] = 0;
    *position = JoystickPosition{info.wXpos, info.wYpos, info.wZpos, info.wButtons};
    return true;
}

bool PlatformJoystickGetCaps(int id, JoystickCaps* caps)
{
    if (id < 0 || !caps) return false;
    JOYCAPSW info{};
    if (joyGetDevCapsW(JoystickId(id), &info, sizeof info) != JOYERR_NOERROR) return false;
    *caps = JoystickCaps{info.wXmin, info.wXmax, info.wYmin, info.wYmax, info.wPeriodMin};
    return true;
}

bool PlatformJoystickGetThreshold(int id, uint32_t* threshold)
{
    if (id < 0 || !threshold) return false;
    UINT value = 0;
    if (joyGetThreshold(JoystickId(id), &value) != JOYERR_NOERROR) return false;
    *threshold = value;
    return true;
}

void PlatformJoystickCapture(int id, uint32_t periodMs, bool changedOnly)
{
    HWND window = MainWindowHandle();
    if (id < 0 || !window) return;
    ReleaseJoystickCapture();
    // A driver that reports no shortest period would refuse a zero one.
    if (periodMs < MinimumCapturePeriodMs) periodMs = MinimumCapturePeriodMs;
    if (joySetCapture(window, JoystickId(id), periodMs, changedOnly ? TRUE : FALSE) == JOYERR_NOERROR)
        capturedJoystick = id;
}

void ReleaseJoystickCapture()
{
    if (capturedJoystick >= 0) joyReleaseCapture(JoystickId(capturedJoystick));
    capturedJoystick = -1;
}

// ---- sound: the embedded WAVE images played from memory ----

void PlatformPlaySound(int soundId, unsigned flags)
{
    ResourceData wave = FindResource(ResourceSound, soundId);
    if (!wave.data || wave.size == 0) {
        PlaySoundW(nullptr, nullptr, 0); // a missing sound still silences the one before
        return;
    }
    DWORD systemFlags = SND_MEMORY | (flags & (SoundAsync | SoundLoop | SoundNoWait));
    if (flags & SoundLoop) systemFlags |= SND_ASYNC; // a looping sound must not block the game
    PlaySoundW(reinterpret_cast<LPCWSTR>(wave.data), nullptr, systemFlags);
}

void PlatformPurgeSounds()
{
    // No sound name stops whatever plays, looping or not.
    PlaySoundW(nullptr, nullptr, 0);
}

// ---- settings store: the per-user registry ----

static_assert(StoreNotFound == ERROR_FILE_NOT_FOUND && StoreMoreData == ERROR_MORE_DATA &&
              StoreAccessDenied == ERROR_ACCESS_DENIED && StoreOk == ERROR_SUCCESS);
static_assert(StoreTypeString == REG_SZ && StoreTypeBinary == REG_BINARY && StoreTypeDword == REG_DWORD);

int32_t PlatformStoreOpen(const char* keyPath, bool create, StoreKey** key)
{
    if (!key) return ERROR_INVALID_PARAMETER;
    *key = nullptr;
    std::wstring path = Widen(keyPath);
    HKEY opened = nullptr;
    LONG status = create ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                           nullptr, &opened, nullptr)
                         : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &opened);
    if (status == ERROR_SUCCESS) *key = reinterpret_cast<StoreKey*>(opened);
    return int32_t(status);
}

int32_t PlatformStoreQuery(StoreKey* key, const char* name, void* buffer, uint32_t* size, uint32_t* type)
{
    if (!key) return ERROR_INVALID_HANDLE;
    DWORD stored = size ? DWORD(*size) : 0;
    DWORD storedType = REG_NONE;
    LONG status = RegQueryValueExW(reinterpret_cast<HKEY>(key), Widen(name).c_str(), nullptr, &storedType,
                                   static_cast<BYTE*>(buffer), size ? &stored : nullptr);
    if (size) *size = stored;
    if (type) *type = storedType;
    return int32_t(status);
}

int32_t PlatformStoreSet(StoreKey* key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    if (!key) return ERROR_INVALID_HANDLE;
    return int32_t(RegSetValueExW(reinterpret_cast<HKEY>(key), Widen(name).c_str(), 0, type,
                                  static_cast<const BYTE*>(data), size));
}

int32_t PlatformStoreClose(StoreKey* key)
{
    if (!key) return ERROR_INVALID_HANDLE;
    // No RegFlushKey: the system writes the hive out itself, and a forced write on every close only stalls.
    return int32_t(RegCloseKey(reinterpret_cast<HKEY>(key)));
}
