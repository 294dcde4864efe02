// Writing and reading replay files: little-endian fields, the packed event log and the CRC-32 over it all.
#include "replay/replay_file.h"

#include <cstring>
#include <initializer_list>

namespace {

// A double's bits and back (std::bit_cast is missing from the browser build's C++ library).
uint64_t BitsOf(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double DoubleOf(uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

uint32_t Crc32Of(const uint8_t* data, size_t size)
{
    static uint32_t table[256];
    if (table[1] == 0)
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

struct Writer {
    std::vector<uint8_t> out;
    void Put(uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void PutDouble(double value) { Put(BitsOf(value), 8); }
    void PutText(const std::string& text)
    {
        size_t n = text.size() < 255 ? text.size() : 255;
        Put(n, 1);
        out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    }
};

// Every read checks the bytes left; a read past the end marks the file truncated and gives zeros.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool truncated = false;
    bool Has(size_t n)
    {
        if (size - pos >= n)
            return true;
        truncated = true;
        pos = size;
        return false;
    }
    uint64_t Get(int bytes)
    {
        if (!Has(static_cast<size_t>(bytes)))
            return 0;
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= uint64_t{data[pos++]} << (8 * i);
        return value;
    }
    int32_t GetInt() { return static_cast<int32_t>(Get(4)); }
    double GetDouble() { return DoubleOf(Get(8)); }
    std::string GetText()
    {
        size_t n = Get(1);
        if (!Has(n))
            return {};
        std::string text(reinterpret_cast<const char*>(data + pos), n);
        pos += n;
        return text;
    }
};

void PutOptions(Writer& w, const GameOptions& o)
{
    const int32_t words[] = {o.player,     o.inputDevice, o.gameType, o.difficulty, o.surfaceRoughness,
                             o.platformSize, o.fuelAmount, o.windStrength, o.planet, o.visibility,
                             o.gameWidth,  o.gameHeight,  o.zoom,     o.reserved};
    for (int32_t word : words)
        w.Put(static_cast<uint32_t>(word), 4);
    w.Put(o.flipVertical, 1);
    w.Put(o.flipHorizontal, 1);
    w.Put(o.spare[0], 1);
    w.Put(o.spare[1], 1);
}

GameOptions GetOptions(Reader& r)
{
    GameOptions o{};
    int32_t* words[] = {&o.player,     &o.inputDevice, &o.gameType, &o.difficulty, &o.surfaceRoughness,
                        &o.platformSize, &o.fuelAmount, &o.windStrength, &o.planet, &o.visibility,
                        &o.gameWidth,  &o.gameHeight,  &o.zoom,     &o.reserved};
    for (int32_t* word : words)
        *word = r.GetInt();
    o.flipVertical = static_cast<uint8_t>(r.Get(1));
    o.flipHorizontal = static_cast<uint8_t>(r.Get(1));
    o.spare[0] = static_cast<uint8_t>(r.Get(1));
    o.spare[1] = static_cast<uint8_t>(r.Get(1));
    return o;
}

// Packing: literal runs and copies of earlier bytes (LZ77). The log repeats the timers' cadence for minutes, so a
// copy may overlap itself and run long: one copy of a 200 ms pattern stands for a whole quiet stretch.
constexpr size_t MinCopy = 4;
constexpr int HashBits = 14;

uint32_t HashAt(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return (v * 2654435761u) >> (32 - HashBits);
}

void FlushLiterals(std::vector<uint8_t>& out, const uint8_t* from, size_t count)
{
    if (count == 0)
        return;
    PutVarint(out, count << 1);
    out.insert(out.end(), from, from + count);
}

std::vector<uint8_t> Pack(const std::vector<uint8_t>& in)
{
    std::vector<uint8_t> out;
    const size_t n = in.size();
    if (n == 0)
        return out;
    std::vector<int64_t> last(size_t{1} << HashBits, -1);
    size_t literalStart = 0, i = 0;
    while (i + MinCopy <= n) {
        const uint32_t h = HashAt(&in[i]);
        const int64_t candidate = last[h];
        last[h] = static_cast<int64_t>(i);
        size_t length = 0;
        if (candidate >= 0) {
            const size_t from = static_cast<size_t>(candidate);
            while (i + length < n && in[from + length] == in[i + length])
                ++length;
        }
        if (length < MinCopy) {
            ++i;
            continue;
        }
        FlushLiterals(out, &in[literalStart], i - literalStart);
        PutVarint(out, ((length - MinCopy) << 1) | 1);
        PutVarint(out, i - static_cast<size_t>(candidate) - 1);
        for (size_t k = 1; k < length && i + k + MinCopy <= n && k < 64; ++k)
            last[HashAt(&in[i + k])] = static_cast<int64_t>(i + k);
        i += length;
        literalStart = i;
    }
    FlushLiterals(out, &in[0] + literalStart, n - literalStart);
    return out;
}

bool Unpack(const uint8_t* data, size_t size, uint32_t rawLength, std::vector<uint8_t>& out)
{
    out.clear();
    out.reserve(rawLength);
    size_t pos = 0;
    while (pos < size) {
        uint64_t token = 0;
        if (!GetVarint(data, size, pos, token))
            return false;
        if ((token & 1) == 0) {
            const uint64_t count = token >> 1;
            if (count > size - pos || count > rawLength - out.size())
                return false;
            out.insert(out.end(), data + pos, data + pos + count);
            pos += count;
            continue;
        }
        uint64_t distance = 0;
        if (!GetVarint(data, size, pos, distance))
            return false;
        const uint64_t length = (token >> 1) + MinCopy;
        if (distance >= out.size() || length > rawLength - out.size())
            return false;
        size_t from = out.size() - static_cast<size_t>(distance) - 1;
        for (uint64_t k = 0; k < length; ++k)
            out.push_back(out[from + k]);
    }
    return out.size() == rawLength;
}

} // namespace

uint32_t ReplayChecksum(const uint8_t* data, size_t size)
{
    return Crc32Of(data, size);
}

void PutVarint(std::vector<uint8_t>& out, uint64_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<uint8_t>(value));
}

bool GetVarint(const uint8_t* data, size_t size, size_t& pos, uint64_t& value)
{
    value = 0;
    for (int shift = 0; shift < 70; shift += 7) {
        if (pos >= size)
            return false;
        const uint8_t byte = data[pos++];
        value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

std::vector<uint8_t> EncodeReplay(const ReplayFile& r)
{
    Writer w;
    w.out.assign(ReplayMagic, ReplayMagic + sizeof ReplayMagic);
    w.Put(ReplayFormatVersion, 2);
    w.Put(0, 2);
    w.PutText(r.gameVersion);
    w.PutText(r.backend);
    w.Put(static_cast<uint64_t>(r.recordedAt), 8);
    PutOptions(w, r.options);
    w.Put(static_cast<uint32_t>(r.clientWidth), 4);
    w.Put(static_cast<uint32_t>(r.clientHeight), 4);
    w.Put(r.generator, 4);
    w.Put(r.halted, 1);
    w.Put(r.engineIdle, 1);
    for (int32_t v : {r.meteorX, r.meteorY, r.meteorDx, r.meteorDy})
        w.Put(static_cast<uint32_t>(v), 4);
    w.Put(static_cast<uint32_t>(r.outcome), 4);
    w.Put(static_cast<uint32_t>(r.score), 4);
    w.Put(r.flightSteps, 4);
    w.Put(r.eventCount, 4);
    for (double v : {r.craft.x, r.craft.y, r.craft.vx, r.craft.vy, r.craft.angle, r.craft.fuel})
        w.PutDouble(v);
    w.Put(r.frameCount, 4);
    w.Put(r.frameChain, 8);
    w.Put(r.checkpoints.size(), 4);
    for (uint32_t c : r.checkpoints)
        w.Put(c, 4);
    const std::vector<uint8_t> packed = Pack(r.events);
    w.Put(r.events.size(), 4);
    w.Put(packed.size(), 4);
    w.out.insert(w.out.end(), packed.begin(), packed.end());
    w.Put(ReplayChecksum(w.out.data(), w.out.size()), 4);
    return w.out;
}

bool DecodeReplay(const uint8_t* data, size_t size, ReplayFile& r, std::string& error)
{
    r = ReplayFile{};
    if (size < sizeof ReplayMagic + 2 || std::memcmp(data, ReplayMagic, sizeof ReplayMagic) != 0) {
        error = "not a Dravolinex replay file";
        return false;
    }
    Reader in{data, size, sizeof ReplayMagic};
    r.version = static_cast<uint16_t>(in.Get(2));
    if (r.version > ReplayFormatVersion || r.version == 0) {
        error = "replay format " + std::to_string(r.version) + " is newer than this game reads (format " +
                std::to_string(ReplayFormatVersion) + "): it needs a newer Dravolinex";
        return false;
    }
    if (size > MaxReplayFileSize) {
        error = "replay file larger than " + std::to_string(MaxReplayFileSize >> 20) + " MiB";
        return false;
    }
    in.Get(2);
    r.gameVersion = in.GetText();
    r.backend = in.GetText();
    r.recordedAt = static_cast<int64_t>(in.Get(8));
    r.options = GetOptions(in);
    r.clientWidth = in.GetInt();
    r.clientHeight = in.GetInt();
    r.generator = static_cast<uint32_t>(in.Get(4));
    r.halted = in.Get(1) != 0;
    r.engineIdle = in.Get(1) != 0;
    r.meteorX = in.GetInt();
    r.meteorY = in.GetInt();
    r.meteorDx = in.GetInt();
    r.meteorDy = in.GetInt();
    r.outcome = in.GetInt();
    r.score = in.GetInt();
    r.flightSteps = static_cast<uint32_t>(in.Get(4));
    r.eventCount = static_cast<uint32_t>(in.Get(4));
    for (double* v : {&r.craft.x, &r.craft.y, &r.craft.vx, &r.craft.vy, &r.craft.angle, &r.craft.fuel})
        *v = in.GetDouble();
    r.frameCount = static_cast<uint32_t>(in.Get(4));
    r.frameChain = in.Get(8);
    const uint64_t checkpointCount = in.Get(4);
    if (checkpointCount > MaxReplayCheckpoints || checkpointCount * 4 > size) {
        error = "damaged replay file (impossible checkpoint count)";
        return false;
    }
    for (uint64_t i = 0; i < checkpointCount && !in.truncated; ++i)
        r.checkpoints.push_back(static_cast<uint32_t>(in.Get(4)));
    const uint64_t rawLength = in.Get(4);
    const uint64_t packedLength = in.Get(4);
    if (!in.truncated && packedLength + 4 > size - in.pos)
        in.truncated = true;
    if (in.truncated) {
        error = "truncated replay file (" + std::to_string(size) + " bytes)";
        return false;
    }
    const size_t end = in.pos + static_cast<size_t>(packedLength);
    const uint32_t storedCrc = static_cast<uint32_t>(Reader{data, size, end}.Get(4));
    if (end + 4 != size || storedCrc != ReplayChecksum(data, end)) {
        error = end + 4 < size ? "damaged replay file (bytes after its end)" : "damaged replay file (checksum)";
        return false;
    }
    if (rawLength > MaxReplayEvents || !Unpack(data + in.pos, static_cast<size_t>(packedLength),
                                               static_cast<uint32_t>(rawLength), r.events)) {
        error = "damaged replay file (event log)";
        return false;
    }
    return true;
}
