// The replay file: one recorded flight, from the building of its world to its verdict (docs/replay-format.md).
// A fixed header (the game that recorded it, the options record, client size, generator and the few parts of the
// round that outlive a new world), the recorded end (verdict, score, final craft, frame hashes) and the event
// log, packed, all under a CRC-32.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/options.h"

// Format 2 hashes frames row by row (replay/frame_hash.h); format 1 files are still read.
constexpr uint16_t ReplayFormatVersion = 2;
constexpr char ReplayMagic[8] = {'D', 'R', 'V', 'X', 'R', 'P', 'L', 'Y'};
constexpr const char* ReplayExtension = ".dvreplay";
// Bounds that keep a damaged or hostile file from asking for unbounded memory.
constexpr uint32_t MaxReplayEvents = 16u << 20;   // bytes of unpacked event log
constexpr uint32_t MaxReplayCheckpoints = 1u << 20;
constexpr uint32_t MaxReplayFileSize = 32u << 20;

// Event log codes: one byte each, some followed by their values (LEB128 varints unless said otherwise).
enum ReplayEventCode : uint8_t {
    EventTimerFirst = 0x00, // 0x00..0x0A: timer 1000 + code expired and was delivered
    EventTimerLast = 0x0A,
    EventPaint = 0x10,       // the window asked for a repaint
    EventInput = 0x11,       // the player's demands changed: thrust, left, right
    EventRunning = 0x12,     // the round runs again (a dialog that halted it closed)
    EventHalted = 0x13,      // the round stands still (a dialog is open)
    EventOptions = 0x14,     // the options record changed: 60 bytes as stored
    EventClient = 0x15,      // the painted client size changed: width, height
    EventClock = 0x16,       // the painter read the clock: zigzag difference from the last reading
    EventResultHeld = 0x17,  // the verdict waited (Space held or a dialog open)
    EventResultShown = 0x18, // the verdict was due and not held
    EventVerdict = 0x19,     // the verdict: the end of the log
};

// A frame hash is kept every this many frames (and the last one at the end).
constexpr uint32_t ReplayCheckpointEvery = 64;

struct ReplayCraftState {
    double x, y, vx, vy, angle, fuel;
};

struct ReplayFile {
    uint16_t version = ReplayFormatVersion;
    std::string gameVersion;  // the game that recorded it
    std::string backend;      // "gtk", "win32", "web", "headless"
    int64_t recordedAt = 0;   // seconds since 1970 (UTC)
    // The round's start: what was in force just before its world was built.
    GameOptions options{};
    int32_t clientWidth = 0, clientHeight = 0;
    uint32_t generator = 0;
    bool halted = false;
    bool engineIdle = false;
    int32_t meteorX = 0, meteorY = 0, meteorDx = 0, meteorDy = 0;
    // The recorded end.
    int32_t outcome = 0;
    int32_t score = 0;
    uint32_t flightSteps = 0; // simulation steps the craft flew
    uint32_t eventCount = 0;
    ReplayCraftState craft{};
    uint32_t frameCount = 0;
    uint64_t frameChain = 0; // hash of every frame in turn
    std::vector<uint32_t> checkpoints; // low 32 bits of the chain after frames 64, 128, ...
    std::vector<uint8_t> events;       // the event log, unpacked
};

// The file's bytes.
std::vector<uint8_t> EncodeReplay(const ReplayFile& replay);
// Reads a replay; false with `error` saying in one line what is wrong (not a replay, newer format, truncated,
// damaged).
bool DecodeReplay(const uint8_t* data, size_t size, ReplayFile& replay, std::string& error);

// The CRC-32 (IEEE) that closes a replay file, of the bytes before it.
uint32_t ReplayChecksum(const uint8_t* data, size_t size);

// LEB128 varints and the zigzag mapping of signed values, for the event log.
void PutVarint(std::vector<uint8_t>& out, uint64_t value);
// Reads a varint at `pos`, moving it on; false when the bytes run out or it is longer than 10 bytes.
bool GetVarint(const uint8_t* data, size_t size, size_t& pos, uint64_t& value);
inline uint64_t ZigZag(int64_t v) { return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63); }
inline int64_t UnZigZag(uint64_t v) { return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1); }
