// The game's 2-D canvas: 32-bit surfaces of colour values 0x00BBGGRR, fills, copies, polygons, clipping, text.
#pragma once
#include <cstdint>
#include <vector>

typedef uint32_t Color; // red in the low byte, then green, then blue
constexpr Color ColorInvalid = 0xFFFFFFFFu;
constexpr Color MakeColor(int r, int g, int b) { return Color(r) | (Color(g) << 8) | (Color(b) << 16); }
constexpr int ColorRed(Color c) { return c & 0xFF; }
constexpr int ColorGreen(Color c) { return (c >> 8) & 0xFF; }
constexpr int ColorBlue(Color c) { return (c >> 16) & 0xFF; }

struct CanvasPoint {
    int x, y;
};

// A set of pixels: per row, sorted non-overlapping [x0, x1) spans. Rows outside [top, top + rows) are empty.
struct Region {
    int top = 0;
    std::vector<int> rowStart;  // index into spans of each row's first span; size rows + 1
    std::vector<int> spans;     // x0, x1 pairs
};

struct Surface {
    int width = 0, height = 0;
    std::vector<Color> pixels; // width * height, row 0 at the top
    const Region* clip = nullptr; // drawing is limited to it when set (the region stays owned by the caller)
};

// Makes `s` a width x height surface filled with black (a zero size gives an empty surface).
void CreateSurface(Surface& s, int width, int height);
void ReleaseSurface(Surface& s);
bool SurfaceExists(const Surface& s);

// Fills [left, right) x [top, bottom) with `color`, clipped.
void FillRect(Surface& s, int left, int top, int right, int bottom, Color color);
// Opaque copy of src's (sx, sy, w, h) to (dx, dy), clipped.
void CopySurface(Surface& dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h);
// Copy that skips black source pixels, stretched from (sx, sy, sw, sh) onto (dx, dy, dw, dh) by nearest pixel.
void CopyTransparent(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy, int sw, int sh);
// Plain nearest-pixel stretch of src's (sx, sy, sw, sh) onto dst's (dx, dy, dw, dh), clipped to dst.
void StretchCopy(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy, int sw, int sh);

Color GetPixel(const Surface& s, int x, int y); // ColorInvalid outside the surface
void SetPixel(Surface& s, int x, int y, Color color); // clipped

// Fills a polygon by the winding rule and outlines it with a one-pixel pen, both clipped.
void FillPolygon(Surface& s, const CanvasPoint* points, int count, Color fill, Color pen);

// Regions (the pixel sets a fill of the same shape would cover).
void RegionFromRect(Region& r, int left, int top, int right, int bottom);
void RegionFromEllipse(Region& r, int left, int top, int right, int bottom); // inscribed in the box
void RegionFromPolygon(Region& r, const CanvasPoint* points, int count);    // winding rule
void RegionUnion(Region& out, const Region& a, const Region& b);
bool RegionContains(const Region& r, int x, int y);

// Bold sans-serif text 14 pixels high: width of `text` in pixels, and drawing with its box's top-left at (x, y).
int MeasureText(const char* text);
int TextHeight();
void DrawText(Surface& s, int x, int y, const char* text, Color color);
