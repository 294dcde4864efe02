// Writing and reading the settings file's bytes.
#include "platform/filestore/settings_image.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>

namespace {

constexpr uint32_t FormatVersion = 1;

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> CrcTable = MakeCrcTable();

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = CrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutBytes(std::vector<uint8_t>& out, const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

void PutString(std::vector<uint8_t>& out, const std::string& text) {
    PutU32(out, static_cast<uint32_t>(text.size()));
    PutBytes(out, text.data(), text.size());
}

// A name as the duplicate check compares it: ASCII letters in lower case.
std::string FoldedName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

// Reads fields off the file image; every read checks the bytes left, so nothing is allocated beyond it.
struct Reader {
    const uint8_t* at;
    size_t left;
    bool ok = true;

    uint32_t U32() {
        if (left < 4) return Fail();
        const uint32_t v = uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
        at += 4;
        left -= 4;
        return v;
    }
    const uint8_t* Bytes(size_t n) {
        if (n > left) {
            Fail();
            return nullptr;
        }
        const uint8_t* start = at;
        at += n;
        left -= n;
        return start;
    }
    std::string String() {
        const uint32_t n = U32();
        if (n > SettingsMaxNameBytes) Fail();
        const uint8_t* bytes = ok ? Bytes(n) : nullptr;
        return bytes ? std::string(reinterpret_cast<const char*>(bytes), n) : std::string();
    }
    uint32_t Fail() {
        ok = false;
        left = 0;
        return 0;
    }
};

} // namespace

bool MakeSettingsImage(const std::vector<StoreKeyValues>& keys, std::vector<uint8_t>& image) {
    image.clear();
    if (keys.size() > SettingsMaxKeys) return false;
    size_t values = 0, bytes = sizeof SettingsMagic + 12;
    for (const StoreKeyValues& key : keys) {
        values += key.values.size();
        if (key.path.size() > SettingsMaxNameBytes || values > SettingsMaxValues) return false;
        bytes += 8 + key.path.size();
        for (const StoreValue& value : key.values) {
            if (value.name.size() > SettingsMaxNameBytes || value.bytes.size() > SettingsMaxValueBytes) return false;
            bytes += 12 + value.name.size() + value.bytes.size();
        }
    }
    if (bytes > SettingsMaxFileBytes) return false;

    image.reserve(bytes);
    PutBytes(image, SettingsMagic, sizeof SettingsMagic);
    PutU32(image, FormatVersion);
    PutU32(image, static_cast<uint32_t>(keys.size()));
    for (const StoreKeyValues& key : keys) {
        PutString(image, key.path);
        PutU32(image, static_cast<uint32_t>(key.values.size()));
        for (const StoreValue& value : key.values) {
            PutString(image, value.name);
            PutU32(image, value.type);
            PutU32(image, static_cast<uint32_t>(value.bytes.size()));
            PutBytes(image, value.bytes.data(), value.bytes.size());
        }
    }
    PutU32(image, Crc32(image.data(), image.size()));
    return true;
}

bool ReadSettingsImage(const uint8_t* data, size_t size, std::vector<StoreKeyValues>& keys) {
    keys.clear();
    if (!data || size < sizeof SettingsMagic + 12 || size > SettingsMaxFileBytes ||
        std::memcmp(data, SettingsMagic, sizeof SettingsMagic))
        return false;
    const size_t body = size - 4;
    Reader trailer{data + body, 4};
    if (trailer.U32() != Crc32(data, body)) return false;

    Reader in{data + sizeof SettingsMagic, body - sizeof SettingsMagic};
    if (in.U32() != FormatVersion) return false;
    const uint32_t keyCount = in.U32();
    if (keyCount > SettingsMaxKeys) return false;
    std::unordered_set<std::string> keysSeen;
    uint32_t valuesLeft = SettingsMaxValues;
    for (uint32_t k = keyCount; in.ok && k > 0; --k) {
        StoreKeyValues key{in.String(), {}};
        const uint32_t valueCount = in.U32();
        if (valueCount > valuesLeft) in.Fail();
        valuesLeft -= in.ok ? valueCount : 0;
        std::unordered_set<std::string> valuesSeen;
        for (uint32_t v = in.ok ? valueCount : 0; in.ok && v > 0; --v) {
            std::string name = in.String();
            const uint32_t type = in.U32();
            const uint32_t bytes = in.U32();
            if (bytes > SettingsMaxValueBytes) in.Fail();
            const uint8_t* at = in.ok ? in.Bytes(bytes) : nullptr;
            if (in.ok && valuesSeen.insert(FoldedName(name)).second)
                key.values.push_back(StoreValue{std::move(name), type, std::vector<uint8_t>(at, at + bytes)});
        }
        if (in.ok && keysSeen.insert(FoldedName(key.path)).second) keys.push_back(std::move(key));
    }
    if (!in.ok || in.left != 0) {
        keys.clear();
        return false;
    }
    return true;
}
