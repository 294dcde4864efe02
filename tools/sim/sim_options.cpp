// Option fields by name with their ranges, and the pilot script reader.
#include <charconv>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/sim/sim.h"

const OptionField OptionFields[16] = {
    {"player", &GameOptions::player, nullptr},
    {"inputDevice", &GameOptions::inputDevice, nullptr},
    {"gameType", &GameOptions::gameType, nullptr},
    {"difficulty", &GameOptions::difficulty, nullptr},
    {"surfaceRoughness", &GameOptions::surfaceRoughness, nullptr},
    {"platformSize", &GameOptions::platformSize, nullptr},
    {"fuelAmount", &GameOptions::fuelAmount, nullptr},
    {"windStrength", &GameOptions::windStrength, nullptr},
    {"planet", &GameOptions::planet, nullptr},
    {"visibility", &GameOptions::visibility, nullptr},
    {"gameWidth", &GameOptions::gameWidth, nullptr},
    {"gameHeight", &GameOptions::gameHeight, nullptr},
    {"zoom", &GameOptions::zoom, nullptr},
    {"reserved", &GameOptions::reserved, nullptr},
    {"flipVertical", nullptr, &GameOptions::flipVertical},
    {"flipHorizontal", nullptr, &GameOptions::flipHorizontal},
};

int32_t OptionValue(const GameOptions& options, const OptionField& field)
{
    return field.word ? options.*field.word : options.*field.byte;
}

// A whole decimal text as a 32-bit integer.
static bool ParseInt32(const std::string& text, int32_t& value)
{
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

static bool OneOf(int32_t value, std::initializer_list<int32_t> allowed)
{
    for (int32_t a : allowed)
        if (value == a)
            return true;
    return false;
}

// Whether `value` lies in the range the game gives field `name`, and that range as text.
static bool InRange(const std::string& name, int32_t value, const char** range)
{
    auto between = [&](int32_t low, int32_t high, const char* text) {
        *range = text;
        return value >= low && value <= high;
    };
    if (name == "player" || name == "inputDevice" || name == "gameType" || name == "flipVertical" ||
        name == "flipHorizontal")
        return between(0, 1, "0..1");
    if (name == "difficulty")
        return between(0, 100, "0..100");
    if (name == "surfaceRoughness")
        return between(1, 4, "1..4");
    if (name == "platformSize")
        return between(0, 10, "0..10");
    if (name == "planet")
        return between(0, 3, "0..3");
    if (name == "zoom")
        return between(-2, 2, "-2..2");
    if (name == "fuelAmount") {
        *range = "25, 50, 75, 100 or 125";
        return OneOf(value, {25, 50, 75, 100, 125});
    }
    if (name == "windStrength") {
        *range = "0, 33, 66 or 99";
        return OneOf(value, {0, 33, 66, 99});
    }
    if (name == "visibility") {
        *range = "0, 50 or 100";
        return OneOf(value, {0, 50, 100});
    }
    if (name == "gameWidth" || name == "gameHeight") {
        *range = "0 or 16..5000";
        return value == 0 || (value >= 16 && value <= MaxPlayfieldSize);
    }
    *range = "any 32-bit integer"; // reserved
    return true;
}

bool SetOptionField(GameOptions& options, const std::string& field, const std::string& text, std::string& error)
{
    for (const OptionField& f : OptionFields) {
        if (field != f.name)
            continue;
        int32_t value = 0;
        if (!ParseInt32(text, value)) {
            error = "--set " + field + ": '" + text + "' is not an integer";
            return false;
        }
        const char* range = "";
        if (!InRange(field, value, &range)) {
            error = "--set " + field + "=" + text + ": out of range (" + range + ")";
            return false;
        }
        if (f.word)
            options.*f.word = value;
        else
            options.*f.byte = static_cast<uint8_t>(value);
        return true;
    }
    error = "--set: unknown field '" + field + "'";
    return false;
}

// Whole decimal digits (no sign, spaces or prefix) into an int64_t; false when they do not fit.
static bool ParseDigits(const std::string& text, int64_t& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool ParseClientSize(const std::string& text, int& width, int& height, std::string& error)
{
    const std::string::size_type x = text.find_first_of("xX");
    int64_t w = -1, h = -1;
    if (x == std::string::npos || !ParseDigits(text.substr(0, x), w) || !ParseDigits(text.substr(x + 1), h)) {
        error = "--client: expected WxH (decimal sizes), got '" + text + "'";
        return false;
    }
    if (w > MaxClientSide || h > MaxClientSide || w * h > MaxClientPixels) {
        error = "--client " + text + ": too large (at most " + std::to_string(MaxClientSide) + " a side and " +
                std::to_string(MaxClientPixels) + " pixels in all)";
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool ParseStepNumber(const std::string& option, const std::string& text, int64_t& value, std::string& error)
{
    if (ParseDigits(text, value))
        return true;
    error = option + ": '" + text + "' is not a step number 0.." + std::to_string(INT64_MAX);
    return false;
}

// The whole of a script file: a regular file only (a FIFO or a device is never waited on or read without end), of
// at most MaxScriptBytes; false with `error` saying why.
static bool ReadScriptFile(const std::string& path, std::string& text, std::string& error)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0) {
        error = "--script: cannot read '" + path + "': " + std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "--script: '" + path + (S_ISDIR(info.st_mode) ? "' is a directory" : "' is not a regular file");
        close(fd);
        return false;
    }
    if (static_cast<uint64_t>(info.st_size) > MaxScriptBytes) {
        error = "--script: '" + path + "' is larger than " + std::to_string(MaxScriptBytes) + " bytes";
        close(fd);
        return false;
    }
    // Read to the end rather than to the size first seen: a file that grows meanwhile still stops at the bound.
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "--script: cannot read '" + path + "': " + std::strerror(errno);
            break;
        }
        if (n == 0)
            break;
        if (text.size() + size_t(n) > MaxScriptBytes) {
            error = "--script: '" + path + "' is larger than " + std::to_string(MaxScriptBytes) + " bytes";
            break;
        }
        text.append(buffer, size_t(n));
    }
    close(fd);
    return error.empty();
}

bool ReadScript(const std::string& path, std::vector<ScriptLine>& script, std::string& error)
{
    std::string text;
    if (!ReadScriptFile(path, text, error))
        return false;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.size() > MaxScriptLineBytes) {
            error = "--script " + path + ":" + std::to_string(number) + ": longer than " +
                    std::to_string(MaxScriptLineBytes) + " bytes";
            return false;
        }
        std::string::size_type hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> parts;
        std::string word;
        while (words >> word)
            parts.push_back(word);
        if (parts.empty())
            continue;
        int32_t values[4];
        bool ok = parts.size() == 4;
        for (size_t i = 0; ok && i < 4; ++i)
            ok = ParseInt32(parts[i], values[i]);
        const std::string where = path + ":" + std::to_string(number);
        if (!ok) {
            error = "--script " + where + ": expected 'STEP THRUST LEFT RIGHT' (integers)";
            return false;
        }
        if (values[0] < 0 || (!script.empty() && values[0] <= script.back().step)) {
            error = "--script " + where + ": steps must be ascending and not negative";
            return false;
        }
        script.push_back({values[0], values[1], values[2], values[3]});
    }
    return true;
}
