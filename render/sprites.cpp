// The game's pictures: loading the sprite table, pre-turning the craft and flame images, the meteor picture.
#include "render/sprites.h"

#include "gfx/bmp.h"
#include "io/input.h"
#include "platform/timer.h"
#include "render/rotate.h"
#include "resources/resources.h"
#include "sim/game_state.h"
#include "sim/timers.h"

SpriteEntry SpriteTable[SpriteCount] = {
    {109, {}}, {109, {}}, {130, {}}, {158, {}},                           // meteor (upright, as drawn), craft
    {139, {}}, {140, {}}, {141, {}}, {142, {}},                           // main-engine flames
    {131, {}}, {132, {}}, {133, {}}, {134, {}},                           // jets pushing right
    {135, {}}, {136, {}}, {137, {}}, {138, {}},                           // jets pushing left
    {143, {}},                                                            // instrument panel
    {148, {}}, {147, {}}, {149, {}}, {144, {}},                           // down, left arrows (green, red)
    {150, {}}, {145, {}}, {151, {}}, {146, {}},                           // right, up arrows
    {152, {}}, {153, {}},                                                 // turning arrows
    {154, {}}, {155, {}}, {156, {}}, {157, {}},                           // dust clouds
    {159, {}}, {160, {}}, {161, {}},                                      // touch-down frames
};
SpriteEntry RotatedSprites[RotatedCount];

const int MainFlameRows[4] = {4, 5, 6, 7};
const int PushRightFlameRows[4] = {8, 9, 10, 11};
const int PushLeftFlameRows[4] = {12, 13, 14, 15};
const int DustCloudRows[4] = {27, 28, 29, 30};
const int TouchdownFrameRows[11] = {2, 31, 32, 32, 33, 33, 33, 32, 32, 31, 2};

int RotatedRowOfAngle(double angle)
{
    double k = (angle + 90) / 3;
    // Compare before converting so that huge or non-finite angles cannot overflow the conversion.
    if (!(k > 0))
        return 0;
    if (k >= 59)
        return 59;
    return static_cast<int>(k);
}

// Decodes the embedded picture `resourceId` into `picture`; a missing or unreadable one stays empty.
static void LoadPicture(int resourceId, Surface& picture)
{
    ReleaseSurface(picture);
    ResourceData resource = FindResource(ResourceBitmap, resourceId & 0xFFFF);
    if (!resource.data || !DecodeBmp(resource.data, resource.size, picture))
        ReleaseSurface(picture);
}

// Makes `destination` a black picture of the given size holding `source` turned by `degrees` about its centre.
static void MakeTurnedImage(Surface& destination, int width, int height, const Surface& source, int degrees)
{
    CreateSurface(destination, width, height);
    RotateSprite(&destination, source.width / 2, source.height / 2, &source, source.width, source.height, degrees);
}

void LoadGraphics()
{
    joystickAvailable = SetUpJoystick();
    gameState.meteorX = gameState.meteorY = 0;

    for (SpriteEntry& entry : SpriteTable)
        LoadPicture(entry.resourceId, entry.picture);

    // The turned images are made when first drawn (TurnedPicture): most flights never show most of them.
    for (SpriteEntry& entry : RotatedSprites)
        ReleaseSurface(entry.picture);

    PlatformSetTimer(TimerJoystick, 500);
}

const Surface& TurnedPicture(int row)
{
    Surface& picture = RotatedSprites[row].picture;
    if (SurfaceExists(picture))
        return picture;
    // Rows 0..59 the legged craft, 60..119 the rocket, then 60 rows for each main-engine flame; row k of a
    // block is the picture turned by -90 + 3k degrees about its centre, into a picture of its own size.
    const int block = row / 60, degrees = -90 + 3 * (row % 60);
    const Surface& source = block == 0   ? SpriteTable[2].picture
                            : block == 1 ? SpriteTable[3].picture
                                         : SpriteTable[MainFlameRows[block - 2]].picture;
    // Every flame is turned inside a picture the size of the first one.
    const Surface& frame = block < 2 ? source : SpriteTable[MainFlameRows[0]].picture;
    MakeTurnedImage(picture, frame.width, frame.height, source, degrees);
    return picture;
}

void ReleaseGraphics()
{
    for (SpriteEntry& entry : SpriteTable)
        ReleaseSurface(entry.picture);
    for (SpriteEntry& entry : RotatedSprites)
        ReleaseSurface(entry.picture);
}

void RedrawMeteorPicture(int degrees)
{
    Surface& drawn = SpriteTable[1].picture;
    const Surface& upright = SpriteTable[0].picture;
    if (!SurfaceExists(drawn) || !SurfaceExists(upright))
        return;
    FillRect(drawn, 0, 0, drawn.width, drawn.height, GetPixel(upright, 0, 0));
    // The meteor picture is square: one side serves as both (the shorter one, should a picture not be square,
    // so that the turn never reads outside it).
    int side = upright.width < upright.height ? upright.width : upright.height;
    RotateSprite(&drawn, drawn.width / 2, drawn.height / 2, &upright, side, side, degrees);
}
