// Headless backend: keys, joysticks, the sound player and the in-memory settings store.
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/filestore/store_values.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"
#include "resources/resources.h"

// An open key of the in-memory store.
struct HeadlessStoreKey {
    std::string path;
};

namespace {

struct KeyState {
    bool down = false;
    bool pressed = false;
};

struct JoystickSlot {
    bool plugged = false;
    JoystickPosition position{};
    JoystickCaps caps{};
    uint32_t threshold = 0;
    bool failCaps = false;
    bool failThreshold = false;
};

struct PlayingSound {
    int id = 0;
    uint64_t start = 0;
    bool looping = false;
    uint64_t lengthMs = 0; // 0: unknown, plays until replaced
};

struct DeviceState {
    KeyState keys[GameKeyCount];
    std::vector<JoystickSlot> joysticks = std::vector<JoystickSlot>(HeadlessDefaultJoystickSlots);
    HeadlessJoystickCapture capture;
    std::vector<HeadlessSoundEvent> sounds;
    PlayingSound playing;
    std::vector<StoreKeyValues> store;
    std::vector<std::unique_ptr<HeadlessStoreKey>> openKeys;
    int32_t failOpen = StoreOk, failCreate = StoreOk, failSet = StoreOk;
    int storeWrites = 0;
};

DeviceState devices;

JoystickSlot* PluggedJoystick(int id) {
    if (id < 0 || id >= static_cast<int>(devices.joysticks.size())) return nullptr;
    JoystickSlot& slot = devices.joysticks[static_cast<size_t>(id)];
    return slot.plugged ? &slot : nullptr;
}

uint32_t ReadLittle32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Playing time of a RIFF WAVE image from its byte rate and data size; 0 when it cannot be read.
uint64_t WaveLengthMs(int soundId) {
    const ResourceData wave = FindResource(ResourceSound, soundId);
    if (!wave.data || wave.size < 12 || std::memcmp(wave.data, "RIFF", 4) || std::memcmp(wave.data + 8, "WAVE", 4))
        return 0;
    uint32_t byteRate = 0, dataSize = 0;
    bool haveData = false;
    size_t at = 12;
    while (at + 8 <= wave.size) {
        const uint8_t* chunk = wave.data + at;
        const uint32_t size = ReadLittle32(chunk + 4);
        if (!std::memcmp(chunk, "fmt ", 4) && size >= 16 && at + 8 + 16 <= wave.size) byteRate = ReadLittle32(chunk + 16);
        if (!std::memcmp(chunk, "data", 4)) {
            dataSize = static_cast<uint32_t>(std::min<size_t>(size, wave.size - at - 8));
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    if (!haveData || byteRate == 0) return 0;
    return std::max<uint64_t>(1, uint64_t{dataSize} * 1000 / byteRate);
}

StoreKeyValues* OpenedKeyValues(StoreKey* key) {
    auto* opened = reinterpret_cast<HeadlessStoreKey*>(key);
    for (const auto& live : devices.openKeys)
        if (live.get() == opened) return FindStoreKey(devices.store, opened->path);
    return nullptr;
}

} // namespace

void HeadlessResetDevices() { devices = DeviceState{}; }

// ---- keys ----

int PlatformKeyState(GameKey key) {
    if (key < 0 || key >= GameKeyCount) return 0;
    KeyState& state = devices.keys[key];
    const int result = (state.down ? KeyStateDown : 0) | (state.pressed ? KeyStatePressed : 0);
    state.pressed = false;
    return result;
}

void HeadlessSetKey(GameKey key, bool down) {
    if (key < 0 || key >= GameKeyCount) return;
    KeyState& state = devices.keys[key];
    if (down && !state.down) state.pressed = true;
    state.down = down;
}

void HeadlessTapKey(GameKey key) {
    HeadlessSetKey(key, true);
    HeadlessSetKey(key, false);
}

// ---- joysticks ----

int PlatformJoystickCount() { return static_cast<int>(devices.joysticks.size()); }

bool PlatformJoystickGetPosition(int id, JoystickPosition* position) {
    const JoystickSlot* slot = PluggedJoystick(id);
    if (!slot) return false;
    if (position) *position = slot->position;
    return true;
}

bool PlatformJoystickGetCaps(int id, JoystickCaps* caps) {
    const JoystickSlot* slot = PluggedJoystick(id);
    if (!slot || slot->failCaps) return false;
    if (caps) *caps = slot->caps;
    return true;
}

bool PlatformJoystickGetThreshold(int id, uint32_t* threshold) {
    const JoystickSlot* slot = PluggedJoystick(id);
    if (!slot || slot->failThreshold) return false;
    if (threshold) *threshold = slot->threshold;
    return true;
}

void PlatformJoystickCapture(int id, uint32_t periodMs, bool changedOnly) {
    HeadlessJoystickCapture& capture = devices.capture;
    ++capture.calls;
    capture.id = id;
    capture.periodMs = periodMs;
    capture.changedOnly = changedOnly;
    capture.captured = PluggedJoystick(id) != nullptr;
}

void HeadlessSetJoystickSlots(int count) {
    devices.joysticks.resize(static_cast<size_t>(std::max(count, 0)));
    if (!PluggedJoystick(devices.capture.id)) devices.capture.captured = false;
}

void HeadlessPlugJoystick(int slot, const JoystickCaps& caps, uint32_t threshold) {
    if (slot < 0 || slot >= static_cast<int>(devices.joysticks.size())) return;
    JoystickSlot& joystick = devices.joysticks[static_cast<size_t>(slot)];
    joystick.plugged = true;
    joystick.caps = caps;
    joystick.threshold = threshold;
    joystick.position = {(caps.xMin + caps.xMax) / 2, (caps.yMin + caps.yMax) / 2, 0, 0};
}

void HeadlessUnplugJoystick(int slot) {
    if (!PluggedJoystick(slot)) return;
    devices.joysticks[static_cast<size_t>(slot)].plugged = false;
    if (devices.capture.id == slot) devices.capture.captured = false;
}

void HeadlessSetJoystickPosition(int slot, uint32_t x, uint32_t y, uint32_t buttons) {
    if (JoystickSlot* joystick = PluggedJoystick(slot)) joystick->position = {x, y, 0, buttons};
}

void HeadlessFailJoystickCaps(int slot, bool fail) {
    if (slot >= 0 && slot < static_cast<int>(devices.joysticks.size()))
        devices.joysticks[static_cast<size_t>(slot)].failCaps = fail;
}

void HeadlessFailJoystickThreshold(int slot, bool fail) {
    if (slot >= 0 && slot < static_cast<int>(devices.joysticks.size()))
        devices.joysticks[static_cast<size_t>(slot)].failThreshold = fail;
}

const HeadlessJoystickCapture& HeadlessJoystickCaptureState() { return devices.capture; }

bool HeadlessPressJoystickButton(uint32_t buttons) {
    JoystickSlot* joystick = devices.capture.captured ? PluggedJoystick(devices.capture.id) : nullptr;
    if (!joystick) return false;
    joystick->position.buttons |= buttons;
    HeadlessDeliverJoystickButton();
    return true;
}

void HeadlessReleaseJoystickButtons() {
    for (JoystickSlot& joystick : devices.joysticks) joystick.position.buttons = 0;
}

// ---- sound ----

void PlatformPlaySound(int soundId, unsigned flags) {
    if ((flags & SoundPurge) || soundId == 0) {
        PlatformPurgeSounds();
        return;
    }
    const uint64_t now = HeadlessNow();
    devices.sounds.push_back({now, soundId, flags});
    devices.playing = {soundId, now, (flags & SoundLoop) != 0, WaveLengthMs(soundId)};
}

void PlatformPurgeSounds() {
    devices.sounds.push_back({HeadlessNow(), 0, SoundPurge});
    devices.playing = PlayingSound{};
}

const std::vector<HeadlessSoundEvent>& HeadlessSoundEvents() { return devices.sounds; }

void HeadlessClearSoundEvents() { std::vector<HeadlessSoundEvent>().swap(devices.sounds); }

int HeadlessSoundPlaying() {
    const PlayingSound& sound = devices.playing;
    if (sound.id == 0 || sound.looping || sound.lengthMs == 0) return sound.id;
    return HeadlessNow() - sound.start < sound.lengthMs ? sound.id : 0;
}

// ---- settings store ----

int32_t PlatformStoreOpen(const char* keyPath, bool create, StoreKey** key) {
    if (!keyPath || !key) return StoreNotFound;
    if (create) {
        if (devices.failCreate != StoreOk) return devices.failCreate;
        if (!FindStoreKey(devices.store, keyPath)) devices.store.push_back(StoreKeyValues{keyPath, {}});
    } else {
        if (devices.failOpen != StoreOk) return devices.failOpen;
        if (!FindStoreKey(devices.store, keyPath)) return StoreNotFound;
    }
    devices.openKeys.push_back(std::make_unique<HeadlessStoreKey>(HeadlessStoreKey{keyPath}));
    *key = reinterpret_cast<StoreKey*>(devices.openKeys.back().get());
    return StoreOk;
}

int32_t PlatformStoreQuery(StoreKey* key, const char* name, void* buffer, uint32_t* size, uint32_t* type) {
    StoreKeyValues* values = OpenedKeyValues(key);
    if (!values || !name) return StoreNotFound;
    return CopyStoreValueOut(FindStoreValue(*values, name), buffer, size, type);
}

int32_t PlatformStoreSet(StoreKey* key, const char* name, uint32_t type, const void* data, uint32_t size) {
    StoreKeyValues* values = OpenedKeyValues(key);
    if (!values || !name) return StoreNotFound;
    if (devices.failSet != StoreOk) return devices.failSet;
    PutStoreValue(*values, name, type, data, size);
    ++devices.storeWrites;
    return StoreOk;
}

int32_t PlatformStoreClose(StoreKey* key) {
    auto* opened = reinterpret_cast<HeadlessStoreKey*>(key);
    auto found = std::find_if(devices.openKeys.begin(), devices.openKeys.end(),
                              [opened](const auto& live) { return live.get() == opened; });
    if (found == devices.openKeys.end()) return StoreNotFound;
    devices.openKeys.erase(found);
    return StoreOk;
}

void HeadlessStorePut(const char* keyPath, const char* name, uint32_t type, const void* data, uint32_t size) {
    StoreKeyValues* values = FindStoreKey(devices.store, keyPath);
    if (!values) {
        devices.store.push_back(StoreKeyValues{keyPath, {}});
        values = &devices.store.back();
    }
    PutStoreValue(*values, name, type, data, size);
}

bool HeadlessStoreGet(const char* keyPath, const char* name, uint32_t* type, std::vector<uint8_t>* bytes) {
    StoreKeyValues* values = FindStoreKey(devices.store, keyPath);
    const StoreValue* value = values ? FindStoreValue(*values, name) : nullptr;
    if (!value) return false;
    if (type) *type = value->type;
    if (bytes) *bytes = value->bytes;
    return true;
}

bool HeadlessStoreHasKey(const char* keyPath) { return FindStoreKey(devices.store, keyPath) != nullptr; }

void HeadlessStoreDeleteValue(const char* keyPath, const char* name) {
    StoreKeyValues* values = FindStoreKey(devices.store, keyPath);
    if (!values) return;
    std::erase_if(values->values, [name](const StoreValue& value) { return StoreNamesEqual(value.name, name); });
}

void HeadlessStoreDeleteKey(const char* keyPath) {
    std::erase_if(devices.store, [keyPath](const StoreKeyValues& key) { return StoreNamesEqual(key.path, keyPath); });
}

void HeadlessFailStoreOpen(int32_t status) { devices.failOpen = status; }

void HeadlessFailStoreCreate(int32_t status) { devices.failCreate = status; }

void HeadlessFailStoreSet(int32_t status) { devices.failSet = status; }

int HeadlessOpenStoreKeys() { return static_cast<int>(devices.openKeys.size()); }

int HeadlessStoreWrites() { return devices.storeWrites; }
