// Composing one frame: the scene, crater, stars, meteor, panel, craft, flames, dust and landing lights at
// playfield size, then scaled into the main window's client area by the zoom mode.
#include "render/paint_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

#include "sim/options.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "render/composed_frame.h"
#include "render/panel.h"
#include "render/sprites.h"
#include "sim/game_state.h"
#include "sim/flight_taps.h"
#include "sim/random.h"
#include "world/background_scene.h"
#include "world/world.h"

namespace {

constexpr Color MarginColor = 0x404040; // dark grey around the shown playfield
constexpr int PanelWidth = 76, PanelHeight = 44; // the panel's size should its picture be missing
constexpr long long MaxOutputSide = 1 << 16;

// Truncation toward zero that cannot overflow: far-off values are pinned well outside any picture.
int Trunc(double v)
{
    constexpr double limit = 1 << 30;
    if (!(v > -limit))
        return v != v ? 0 : -(1 << 30);
    if (v > limit)
        return 1 << 30;
    return static_cast<int>(v);
}

// What the last frame drew over its base (the scene, or black outside the visible area when visibility is
// limited). Putting back only these parts is far cheaper than starting each frame from a whole copy; a new
// frame size, a new scene or a change of base makes the next frame start afresh.
struct Damage {
    std::vector<FrameView> rects;
    bool whole = true;      // nothing is known of the frame's contents
    bool blackBase = false; // the last frame was black outside its visible area
    int sceneVersion = -1;
};
Damage damage;
std::vector<FrameView> previousDamage; // what the frame before the current one drew over its base
bool frameStartedAfresh = true;        // the current frame was started from a whole copy of its base
uint64_t compositions = 0;
std::vector<uint64_t> rowStamps;       // the composition that last changed each row of the frame
std::vector<uint32_t> lastPixels;      // the frame as composed last: a row is stamped only when a pixel changed

void Mark(int left, int top, int right, int bottom)
{
    if (left < right && top < bottom)
        damage.rects.push_back({left, top, right, bottom});
}

void Fill(Surface& frame, int left, int top, int right, int bottom, Color color)
{
    FillRect(frame, left, top, right, bottom, color);
    Mark(left, top, right, bottom);
}

// Draws a picture with black transparent, with its top-left at (x, y) at its own size.
void DrawPicture(Surface& frame, int x, int y, const Surface& picture)
{
    CopyTransparent(frame, x, y, picture.width, picture.height, picture, 0, 0, picture.width, picture.height);
    Mark(x, y, x + picture.width, y + picture.height);
}

struct FrameLayout {
    int w, h;             // playfield size
    double cx;            // craft centre column
    int nearest;          // nearest platform, or NoPlatform
    int offsetFromPlatform;
    int heightAbovePlatform;
    FrameView view;
    int px, py;           // panel origin
};

int PlatformTableCount()
{
    return std::clamp(gameState.platformCount, 0, MaxPlatforms);
}

// Of equally near platforms the earlier one in the table wins.
void FindNearestPlatform(FrameLayout& f, const GameTypeInfo& type)
{
    const Craft& craft = gameState.craft;
    int best = 100000, height = 0;
    f.nearest = NoPlatform;
    for (int i = 0; i < PlatformTableCount(); ++i) {
        const LandingPlatform& p = platforms[i];
        int d = Trunc(f.cx - (p.x + p.width / 2));
        if (std::abs(d) < std::abs(best)) {
            best = d;
            f.nearest = i;
            height = Trunc(craft.y - type.hitBottom - (p.y + 5));
        }
    }
    f.offsetFromPlatform = best;
    f.heightAbovePlatform = height;
}

// The full playfield, or a close-up of the nearest platform while the craft is about to land on it.
void ChooseView(FrameLayout& f)
{
    int w = f.w, h = f.h;
    f.view = {0, 0, w, h};
    if (f.nearest == NoPlatform)
        return;
    int zh = Trunc(0.3 * h);
    int m = Trunc(0.2 * zh);
    int mg = Trunc(0.75 * m);
    if (!(-mg < f.heightAbovePlatform && f.heightAbovePlatform < Trunc(0.75 * zh)))
        return;
    const LandingPlatform& n = platforms[f.nearest];
    FrameView v;
    v.top = h - n.y - zh;
    v.bottom = h - n.y + m;
    int vw = Trunc((zh + m) / (static_cast<double>(h) / w)); // the close-up keeps the playfield's proportions
    int q = n.x + n.width / 2;
    v.left = q - vw / 2;
    v.right = q + vw / 2;
    if (v.right > w) {
        v.right = w - 1;
        v.left = w - vw;
    } else if (v.left < 0) {
        v.left = 0;
        v.right = vw;
    }
    if (v.top < 0) {
        v.top = 0;
        v.bottom = zh + m;
    } else if (v.bottom > h) {
        v.top = h - (zh + m);
        v.bottom = h - 1;
    }
    if (f.cx < v.left + mg || f.cx > v.right - mg)
        return;
    f.view = v;
}

// The crater under a destroyed craft: a bowl deepest under its centre, never digging column 0.
void DrawCrater(Surface& frame, const FrameLayout& f, const GameTypeInfo& type)
{
    const Craft& craft = gameState.craft;
    int half = type.craterHalfWidth;
    for (int i = -half; i < half; ++i) {
        int col = Trunc(craft.x + i + (type.hitLeft + type.hitRight) / 2);
        if (col < 1 || col >= f.w)
            continue;
        int depth = Trunc(std::cos(std::numbers::pi * i / half / 2.5) * type.craterDepth);
        int surface = f.h - TerrainProfile[col];
        Fill(frame, col, surface, col + 1, surface + depth, CraterColor);
    }
}

void DrawStars(Surface& frame, int h)
{
    for (const Star& star : stars)
        Fill(frame, star.x, h - star.y, star.x + star.size, h - star.y + star.size, static_cast<Color>(star.color));
}

void DrawCraft(Surface& frame, int x, int y, const GameTypeInfo& type)
{
    const Craft& craft = gameState.craft;
    int landingFrame = gameState.postLandingFrame;
    if (landingFrame > 0) {
        DrawPicture(frame, x, y, SpriteTable[TouchdownFrameRows[std::min(landingFrame, 10)]].picture);
        return;
    }
    int k = RotatedRowOfAngle(craft.angle);
    DrawPicture(frame, x, y, TurnedPicture(k + (type.steersByRotating ? 0 : 60)));
}

// A random variant of each burning flame every frame makes them flicker; the draws come in this order.
void DrawFlames(Surface& frame, int x, int y, const GameTypeInfo& type)
{
    const Craft& craft = gameState.craft;
    if (craft.jetRightOn)
        DrawPicture(frame, x, y, SpriteTable[PushRightFlameRows[RandomBelow(4)]].picture);
    if (craft.jetLeftOn)
        DrawPicture(frame, x, y, SpriteTable[PushLeftFlameRows[RandomBelow(4)]].picture);
    if (craft.mainEngineOn) {
        int j = RandomBelow(4);
        // A wrecked legged craft's flame burns upright.
        int k = RotatedRowOfAngle(gameState.crashed ? 0 : craft.angle);
        if (type.steersByRotating)
            DrawPicture(frame, x, y, TurnedPicture(120 + 60 * j + k));
        else
            DrawPicture(frame, x, y, SpriteTable[MainFlameRows[j]].picture);
    }
}

// The touch-down dust: a cloud of wobbling size centred on the craft's feet.
void DrawDust(Surface& frame, const FrameLayout& f, const GameTypeInfo& type)
{
    if (!gameState.landed || gameState.dustSize <= 0)
        return;
    int s = RandomBelow(8) + gameState.dustSize - 4;
    if (s < 0)
        s = 1;
    const Surface& cloud = SpriteTable[DustCloudRows[RandomBelow(4)]].picture;
    int x = Trunc(f.cx - s / 2);
    int y = Trunc(f.h - (gameState.craft.y - type.hitBottom + s / 2));
    CopyTransparent(frame, x, y, s, s, cloud, 0, 0, cloud.width, cloud.height);
    Mark(x, y, x + s, y + s);
}

// Green and red lights at the platform's ends, lit in one of every three 250 ms phases while the craft is near.
void DrawLandingLights(Surface& frame, const FrameLayout& f)
{
    GameState& g = gameState;
    if (f.nearest == NoPlatform || std::abs(f.offsetFromPlatform) >= 50 || std::abs(f.heightAbovePlatform) >= 50) {
        g.blinkPhase = -1;
        return;
    }
    // Elapsed time in the tick count's own 32 bits, so that the lights keep blinking across its wrap.
    uint32_t now = paintClockTap ? paintClockTap(PlatformTickCount) : PlatformTickCount();
    if (now - static_cast<uint32_t>(g.blinkTime) > 250) {
        g.blinkTime = static_cast<int32_t>(now);
        g.blinkPhase = g.blinkPhase + 1 > 2 ? 0 : g.blinkPhase + 1;
    }
    if (g.blinkPhase != 0)
        return;
    const LandingPlatform& n = platforms[f.nearest];
    int top = f.h - n.y - 5;
    Fill(frame, n.x, top, n.x + 2, top + 2, LightGreen);
    Fill(frame, n.x + n.width - 2, top, n.x + n.width, top + 2, LightRed);
}

struct OutputRect {
    int x0, y0, dw, dh;
    bool operator==(const OutputRect&) const = default;
};

OutputRect ChooseOutput(int w, int h, int clientWidth, int clientHeight)
{
    long long zoom = gameOptions.zoom;
    long long dw, dh;
    if (zoom >= 2) {
        dw = w * zoom;
        dh = h * zoom;
    } else if (zoom <= -2) {
        dw = w / -zoom;
        dh = h / -zoom;
    } else if (zoom == -1) {
        dw = clientWidth;
        dh = clientHeight;
    } else if (zoom == 0) {
        double s = std::min(static_cast<double>(clientWidth) / w, static_cast<double>(clientHeight) / h);
        dw = static_cast<long long>(w * s);
        dh = static_cast<long long>(h * s);
    } else {
        dw = w;
        dh = h;
    }
    dw = std::min(dw, MaxOutputSide);
    dh = std::min(dh, MaxOutputSide);
    OutputRect out;
    out.dw = static_cast<int>(dw);
    out.dh = static_cast<int>(dh);
    out.x0 = (clientWidth - out.dw) / 2;
    out.y0 = (clientHeight - out.dh) / 2;
    return out;
}

// Dark grey around the output rectangle, leaving the rectangle itself untouched.
void FillMargins(Surface& client, const OutputRect& o)
{
    int cw = client.width, ch = client.height;
    FillRect(client, 0, 0, cw, o.y0, MarginColor);
    FillRect(client, 0, o.y0 + o.dh, cw, ch, MarginColor);
    FillRect(client, 0, o.y0, o.x0, o.y0 + o.dh, MarginColor);
    FillRect(client, o.x0 + o.dw, o.y0, cw, o.y0 + o.dh, MarginColor);
}

// The panel's pictures and gauges all lie within its plate (or the largest of its pictures).
void MarkPanel(int px, int py)
{
    int w = PanelWidth, h = PanelHeight;
    for (int row = 16; row <= 26; ++row) {
        w = std::max(w, SpriteTable[row].picture.width);
        h = std::max(h, SpriteTable[row].picture.height);
    }
    Mark(px, py, px + w, py + h);
}

Surface frame;       // the playfield-size frame, kept between frames to spare an allocation each time
Surface presented;   // the client-size picture that PaintFrame shows
// The parts of the window's picture that the last composition of it copied again, when that was all it changed
// (else it changed as a whole): the backend then compares only these with what it shows.
std::vector<FrameArea> presentedChanges;
bool presentedChangesKnown = false;
Region visibleArea;  // the limited-visibility clip
FrameView shownView;

// Puts the scene under the frame (black where there is none, and outside the clip): only what the last frame
// drew over it when that is enough, else the whole of it. True when only the parts the last frame drew changed
// (the scene is shown whole and was already there).
bool StartFromScene(Surface& frame)
{
    const Surface& scene = backgroundScene;
    bool covers = scene.width == frame.width && scene.height == frame.height;
    bool blackBase = frame.clip != nullptr || !covers;
    bool reuse = covers && !damage.whole && damage.sceneVersion == BackgroundSceneVersion() &&
                 damage.blackBase == blackBase;
    const Region* clip = frame.clip;
    frame.clip = nullptr;
    if (!reuse && blackBase) {
        FillRect(frame, 0, 0, frame.width, frame.height, 0);
    } else if (reuse) {
        for (const FrameView& r : damage.rects) {
            if (blackBase)
                FillRect(frame, r.left, r.top, r.right, r.bottom, 0);
            else
                CopySurface(frame, r.left, r.top, scene, r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
    }
    frame.clip = clip;
    if (!reuse || blackBase)
        CopySurface(frame, 0, 0, scene, 0, 0, scene.width, scene.height);
    frameStartedAfresh = !reuse;
    damage.rects.clear();
    damage.whole = false;
    damage.blackBase = blackBase;
    damage.sceneVersion = BackgroundSceneVersion();
    return reuse && !blackBase;
}

// Stamps the rows in which this composition changed a pixel. Only what the last frame and this one drew over the
// base can differ from the last frame (a star drawn again in its place changes nothing), unless the frame started
// afresh.
void StampChangedRows(const Surface& frame)
{
    ++compositions;
    const size_t width = static_cast<size_t>(frame.width), height = static_cast<size_t>(frame.height);
    if (frameStartedAfresh || rowStamps.size() != height || lastPixels.size() != frame.pixels.size()) {
        rowStamps.assign(height, compositions);
        lastPixels = frame.pixels;
        return;
    }
    for (const std::vector<FrameView>* rects : {&previousDamage, &damage.rects})
        for (const FrameView& r : *rects) {
            const int left = std::max(r.left, 0), right = std::min(r.right, frame.width);
            for (int y = std::max(r.top, 0); left < right && y < std::min(r.bottom, frame.height); ++y) {
                const size_t at = static_cast<size_t>(y) * width + static_cast<size_t>(left);
                const size_t bytes = static_cast<size_t>(right - left) * sizeof(uint32_t);
                if (std::memcmp(&lastPixels[at], &frame.pixels[at], bytes) != 0) {
                    std::memcpy(&lastPixels[at], &frame.pixels[at], bytes);
                    rowStamps[static_cast<size_t>(y)] = compositions;
                }
            }
        }
}

// Copies the part `r` of the frame that may have changed into the window's picture, as the whole view would be
// copied at its own size: only what lies in the view.
void CopyChangedPart(Surface& client, const OutputRect& o, const FrameView& v, const FrameView& r)
{
    int left = std::max(r.left, v.left), top = std::max(r.top, v.top);
    int right = std::min(r.right, v.right), bottom = std::min(r.bottom, v.bottom);
    if (left < right && top < bottom) {
        int x = o.x0 + (left - v.left), y = o.y0 + (top - v.top);
        CopySurface(client, x, y, frame, left, top, right - left, bottom - top);
        presentedChanges.push_back({x, y, x + (right - left), y + (bottom - top)});
    }
}

void ComposeFrame(Surface& client, int clientWidth, int clientHeight, bool writeRecorder, bool ownPicture)
{
    MeteorLockGuard lock;
    FillPlayfieldSizeFromClient();
    const GameState& g = gameState;
    const Craft& craft = g.craft;
    if (writeRecorder && !g.landed && !g.crashed && !g.halted)
        RecordFlightFrame();

    FrameLayout f;
    f.w = std::clamp(gameOptions.gameWidth, 1, MaxPlayfieldSize);
    f.h = std::clamp(gameOptions.gameHeight, 1, MaxPlayfieldSize);
    if (frame.width != f.w || frame.height != f.h) {
        CreateSurface(frame, f.w, f.h);
        damage.whole = true;
    }

    const GameTypeInfo& type = CurrentGameType();
    f.cx = craft.x + (type.hitLeft + type.hitRight) / 2;
    FindNearestPlatform(f, type);
    ChooseView(f);
    f.px = f.view.left + f.w / 125;
    f.py = f.view.top + f.w / 125;

    frame.clip = nullptr;
    FrameView circleBox = {}, panelBox = {};
    if (g.visibilityMargin != -1) {
        double r = std::max(g.visibilityMargin, 0);
        double sx = f.cx;
        double sy = f.h - craft.y + (type.hitTop + type.hitBottom) / 2;
        circleBox = {Trunc(sx - r), Trunc(sy - r), Trunc(sx + r), Trunc(sy + r)};
        const Surface& picture = SpriteTable[16].picture;
        int pw = SurfaceExists(picture) ? picture.width : PanelWidth;
        int ph = SurfaceExists(picture) ? picture.height : PanelHeight;
        panelBox = {f.px, f.py, f.px + pw, f.py + ph};
        Region circle, panel;
        RegionFromEllipse(circle, circleBox.left, circleBox.top, circleBox.right, circleBox.bottom);
        RegionFromRect(panel, panelBox.left, panelBox.top, panelBox.right, panelBox.bottom);
        RegionUnion(visibleArea, circle, panel);
        frame.clip = &visibleArea;
    }
    previousDamage = damage.rects;
    bool onlyDamageChanged = StartFromScene(frame);
    if (frame.clip) {
        // Everything of steps up to the dust lies in the visible area.
        Mark(circleBox.left, circleBox.top, circleBox.right + 1, circleBox.bottom + 1);
        Mark(panelBox.left, panelBox.top, panelBox.right, panelBox.bottom);
    }
    if (!craft.intact)
        DrawCrater(frame, f, type);
    DrawStars(frame, f.h);
    if (g.meteorX != 0 && g.meteorY != 0)
        DrawPicture(frame, g.meteorX, f.h - g.meteorY, SpriteTable[1].picture);
    DrawInstrumentPanel(frame, f.px, f.py, f.nearest, f.offsetFromPlatform, f.heightAbovePlatform);
    MarkPanel(f.px, f.py);
    int x = Trunc(craft.x), y = Trunc(f.h - craft.y);
    if (craft.intact)
        DrawCraft(frame, x, y, type);
    DrawFlames(frame, x, y, type);
    DrawDust(frame, f, type);
    frame.clip = nullptr;

    DrawLandingLights(frame, f);
    StampChangedRows(frame);

    clientWidth = std::max(clientWidth, 0);
    clientHeight = std::max(clientHeight, 0);
    bool resized = client.width != clientWidth || client.height != clientHeight;
    if (resized)
        CreateSurface(client, clientWidth, clientHeight);
    client.clip = nullptr;
    OutputRect o = ChooseOutput(f.w, f.h, clientWidth, clientHeight);
    // The window's own picture keeps its margins from frame to frame while the layout stays the same.
    static bool marginsKept = false;
    static OutputRect marginsLayout = {};
    bool keep = ownPicture && marginsKept && o == marginsLayout && !resized;
    if (!keep)
        FillMargins(client, o);
    if (ownPicture) {
        marginsKept = true;
        marginsLayout = o;
    }
    const FrameView& v = f.view;
    shownView = v;
    // The window's picture, laid out as for the last frame and showing the same view at its own size, already holds
    // the last frame: only what the last frame and this one drew over the scene is copied again (a paused game's
    // frame is mostly the picture it showed before).
    static bool lastWasOwn = false;
    static FrameView lastOwnView = {};
    bool sameView = v.left == lastOwnView.left && v.top == lastOwnView.top && v.right == lastOwnView.right &&
                    v.bottom == lastOwnView.bottom;
    presentedChanges.clear();
    presentedChangesKnown = false;
    if (keep && lastWasOwn && onlyDamageChanged && sameView && o.dw == v.right - v.left && o.dh == v.bottom - v.top) {
        presentedChangesKnown = true;
        for (const FrameView& r : previousDamage)
            CopyChangedPart(client, o, v, r);
        for (const FrameView& r : damage.rects)
            CopyChangedPart(client, o, v, r);
    } else {
        StretchCopy(client, o.x0, o.y0, o.dw, o.dh, frame, v.left, v.top, v.right - v.left, v.bottom - v.top);
    }
    lastWasOwn = ownPicture;
    if (ownPicture)
        lastOwnView = v;
}

} // namespace

const Surface& ComposedFrame()
{
    return frame;
}

uint64_t ComposedFrameNumber()
{
    return compositions;
}

const uint64_t* ComposedFrameRowStamps()
{
    return rowStamps.data();
}

FrameView ComposedView()
{
    return shownView;
}

void ComposeClientPicture(Surface& client, int clientWidth, int clientHeight, bool writeRecorder)
{
    ComposeFrame(client, clientWidth, clientHeight, writeRecorder, false);
}

uint32_t (*paintClockTap)(uint32_t (*tick)()) = nullptr;
void (*paintClientSizeTap)(int* width, int* height) = nullptr;

void PaintFrame()
{
    int width = 0, height = 0;
    PlatformGetClientSize(&width, &height);
    if (paintClientSizeTap)
        paintClientSizeTap(&width, &height);
    ComposeFrame(presented, width, height, true, true);
    if (presented.width > 0 && presented.height > 0)
        PlatformPresentFrame(presented.pixels.data(), presented.width, presented.height, presentedChanges.data(),
                             presentedChangesKnown ? static_cast<int>(presentedChanges.size()) : -1);
}

void PresentLastFrame()
{
    if (presented.width > 0 && presented.height > 0)
        PlatformPresentFrame(presented.pixels.data(), presented.width, presented.height);
}
