// The verdict of a finished flight and its score: planetary, platform, fuel and landing ergonomics parts.
#include "scoring/landing_report.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "sim/options.h"
#include "sim/game_state.h"
#include "world/playfield.h"
#include "world/world.h"

// Truncation toward zero into the 32-bit range.
static int Truncate(double value)
{
    if (!(value > -2147483648.0))
        return value < 0 ? INT32_MIN : 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    return static_cast<int>(value);
}

const char* FormatMultiplier(double value)
{
    static char text[32];
    // A value beyond the 32-bit range is shown as the nearest end of it.
    if (!(value >= -2147483648.0))
        value = -2147483648.0;
    if (value > 2147483647.0)
        value = 2147483647.0;
    const int whole = Truncate(value);
    if (whole == value)
        std::snprintf(text, sizeof text, "%d", whole);
    else
        std::snprintf(text, sizeof text, "%d.%03d", whole, std::abs(Truncate((value - whole) * 1000)));
    return text;
}

struct Verdict {
    const char* title;
    const char* message;
    double factor;
};

static Verdict VerdictOf(int outcome)
{
    static const char* const Unsuccessful = "Unsuccessful Landing Attempt";
    switch (outcome) {
    case 1:
        return {"Successful Landing", "Congratulations!\nYou successfully landed your spaceship.", 1.0};
    case 2:
        return {Unsuccessful,
                "Sorry, you crashed!\nOnly thing left of you is a bunch of burned pieces on the bottom of a big "
                "black crater.",
                0.0};
    case 3:
        return {Unsuccessful,
                "Sorry, you crashed!\nYou landed on the edge of the platform and tipped your spaceship over.", 0.1};
    case 4:
        return {Unsuccessful,
                "Sorry, you crashed!\nYou landed with too much horizontal speed and tipped your spaceship over.",
                0.1};
    case 5:
        return {Unsuccessful,
                "Sorry, you crashed!\nYou landed but your spaceship was rolling to the side too much and tipped over.",
                0.1};
    default:
        return {"Landing Attempt", "What has just happened???", 0.0};
    }
}

// Appends text to a caller's buffer of ReportBufferSize chars, never past its end.
static void Append(char* buffer, const char* text)
{
    size_t used = std::strlen(buffer);
    size_t room = ReportBufferSize - 1 - used;
    size_t length = std::strlen(text);
    if (length > room)
        length = room;
    std::memcpy(buffer + used, text, length);
    buffer[used + length] = '\0';
}

static void AppendLine(char* buffer, const char* format, int value)
{
    char line[100];
    std::snprintf(line, sizeof line, format, value);
    Append(buffer, line);
}

static void AppendLine(char* buffer, const char* format, const char* value)
{
    char line[100];
    std::snprintf(line, sizeof line, format, value);
    Append(buffer, line);
}

// The share of the flight since the craft last rose and since it last turned back horizontally (0..10).
static double ContinuityBase()
{
    const int start = recordWrapped ? recordCount : 0;
    const int frames = recordWrapped ? FlightRecordSize : recordCount;
    if (frames <= 0)
        return 0;
    int previousX = flightRecord[start].x;
    int previousY = flightRecord[start].y;
    int lastRise = start;
    int lastReversal = start;
    int lastStep = 0;
    for (int n = 0; n < frames; ++n) {
        const int index = (start + n) % FlightRecordSize;
        const FlightFrame& f = flightRecord[index];
        const int dx = f.x - previousX;
        const int dy = f.y - previousY;
        if (dy > 0)
            lastRise = index;
        if ((dx < 0 && lastStep > 0) || (dx > 0 && lastStep < 0))
            lastReversal = index;
        if (dx != 0)
            lastStep = dx;
        previousX = f.x;
        previousY = f.y;
    }
    int riseAge = recordCount - lastRise;
    if (riseAge <= 0)
        riseAge += FlightRecordSize;
    int reversalAge = recordCount - lastReversal;
    if (reversalAge <= 0)
        reversalAge += FlightRecordSize;
    return 5.0 * riseAge / frames + 5.0 * reversalAge / frames;
}

static int ScoredPlatform(int outcome)
{
    if (outcome >= 3 && outcome <= 5)
        return ClampPlatformIndex(gameState.tipPlatform);
    return ClampPlatformIndex(gameState.touchdownPlatform);
}

int BuildLandingReport(char* details, char* title, char* message, int outcome)
{
    const GameTypeInfo& type = CurrentGameType();
    const Craft& c = gameState.craft;

    double factor = 0.0;
    if (title && message) {
        Verdict verdict = VerdictOf(outcome);
        std::snprintf(title, ReportBufferSize, "%s", verdict.title);
        std::snprintf(message, ReportBufferSize, "%s", verdict.message);
        factor = verdict.factor;
    }

    const int planetBase = Truncate(CurrentPlanet().points * factor * (type.steersByRotating ? 2 : 1));
    const double surfaceBonus = (gameOptions.surfaceRoughness + 3) * 0.25;
    const double visibilityBonus = (gameOptions.visibility + 100) / 100.0;
    const double windBonus = (gameOptions.windStrength + 100) / 100.0;
    const double planetScore = planetBase * surfaceBonus * visibilityBonus * windBonus;

    const LandingPlatform& platform = platforms[ScoredPlatform(outcome)];
    const int platformBase = Truncate(platform.points * factor);
    const double sizeBonus = (gameOptions.platformSize + 10) / 10.0;
    const double platformScore = platformBase * sizeBonus;

    const int fuelBase = Truncate(c.fuel / 10);
    const int fuelBonus = Truncate(factor * (gameOptions.fuelAmount - 13) / 12);
    const double fuelScore = static_cast<double>(fuelBase) * fuelBonus;

    double continuity = 0, attitudeBonus = 0, softnessBonus = 0, centringBonus = 0, ergonomicsScore = 0;
    if (outcome == 1) {
        continuity = ContinuityBase();
        int final = finalRecord < 0 ? 0 : (finalRecord >= FlightRecordSize ? FlightRecordSize - 1 : finalRecord);
        const FlightFrame& last = flightRecord[final];
        attitudeBonus = 1 + 0.5 * std::cos(last.angle / 180.0 * std::numbers::pi);
        softnessBonus = 1 + std::abs(40 - std::abs(last.vy)) / 40.0;
        const double offCentre = std::fabs((c.x + (type.hitLeft + type.hitRight) / 2) - (platform.x + platform.width / 2));
        const double closeness = (10 - offCentre) / 10;
        centringBonus = closeness > 0 ? 1 + closeness : 1.0;
        ergonomicsScore = continuity * attitudeBonus * softnessBonus * centringBonus;
    }

    const int total = Truncate(fuelScore + platformScore + planetScore + ergonomicsScore);

    if (details) {
        AppendLine(details, "    Total Planetary Score: %d\n", Truncate(planetScore));
        AppendLine(details, "        Planet Base Score: %d\n", planetBase);
        AppendLine(details, "        Requested Planet Surface Bonus: %s x\n", FormatMultiplier(surfaceBonus));
        AppendLine(details, "        Requested Visibility Bonus: %s x\n", FormatMultiplier(visibilityBonus));
        AppendLine(details, "        Requested Wind Bonus: %s x\n", FormatMultiplier(windBonus));
        Append(details, "\n");
        AppendLine(details, "    Total Landing Platform Score: %d\n", Truncate(platformScore));
        AppendLine(details, "        Landing Platform Base Score: %d\n", platformBase);
        AppendLine(details, "        Requested Landing Platform Size Bonus: %s x\n", FormatMultiplier(sizeBonus));
        Append(details, "\n");
        AppendLine(details, "    Total Fuel Score: %d\n", Truncate(fuelScore));
        AppendLine(details, "        Leftover Fuel Base Score: %d\n", fuelBase);
        AppendLine(details, "        Requested Fuel Amount Bonus: %s x\n", FormatMultiplier(fuelBonus));
        Append(details, "\n");
        if (outcome == 1) {
            AppendLine(details, "    Total Landing Ergonomics Score: %d\n", Truncate(ergonomicsScore));
            AppendLine(details, "        Landing Continuity Base Score: %s\n", FormatMultiplier(continuity));
            AppendLine(details, "        Landing Precision Bonus: %s x\n",
                       FormatMultiplier(softnessBonus * attitudeBonus * centringBonus));
            Append(details, "\n");
        }
    }
    if (message)
        AppendLine(message, "\nScore: %d", total);
    return total;
}
