// TEMPORARY while the game's areas are written in parallel: weak placeholders so every program links.
// Each real definition elsewhere overrides its placeholder. This file is deleted when the areas are in.
#include "app/options.h"
#include "app/shell.h"
#include "dialogs/dialogs.h"
#include "gfx/canvas.h"
#include "io/input.h"
#include "io/sound.h"
#include "platform/app_entry.h"
#include "render/paint_frame.h"
#include "render/sprites.h"
#include "scoring/landing_report.h"
#include "scoring/result_dialog.h"
#include "sim/timers.h"
#include "world/background_scene.h"
#include "world/world.h"

#define WEAK __attribute__((weak))

WEAK GameOptions gameOptions = {};
WEAK void LoadOptions() {}
WEAK int32_t SaveOptions() { return 0; }
WEAK void SetDefaultOptions() {}
WEAK void ClampOptions(GameOptions&) {}
WEAK int AppMain() { return 0; }
WEAK bool AppStartup() { return false; }
WEAK void AppShutdown() {}
WEAK void AppCommand(int) {}
WEAK void AppTimer(int) {}
WEAK void AppPaint() {}
WEAK void AppJoystickButton() {}
WEAK void AppCloseRequested() {}
WEAK void AppDestroyed() {}
WEAK void InitApplication() {}
WEAK bool CreateMainWindow() { return false; }
WEAK void StartNewGame() {}
WEAK void CleanupApplication() {}

extern WEAK const DialogTemplate GameSettingsTemplate = {};
extern WEAK const DialogTemplate ViewControlsTemplate = {};
extern WEAK const DialogTemplate PauseTemplate = {};
extern WEAK const DialogTemplate AboutTemplate = {};
WEAK void (*optionsChangedHook)() = nullptr;
WEAK void ApplyDifficulty(int) {}
WEAK int RunGameSettingsDialog() { return 2; }
WEAK int RunViewControlsDialog() { return 2; }
WEAK int RunPauseDialog() { return 1; }
WEAK int RunAboutDialog() { return 1; }

WEAK int BuildLandingReport(char*, char*, char*, int) { return 0; }
WEAK const char* FormatMultiplier(double) { return ""; }
extern WEAK const DialogTemplate ResultDialogTemplate = {};
WEAK int ShowLandingResult(const char*, const char*, const char*) { return 1; }

WEAK void OnTimer(int) {}

extern WEAK const GameTypeInfo GameTypeTable[2] = {
    {158, 14, 1, 28, 31, false, 15, 40, 8, 8},
    {130, 7, 1, 35, 31, true, 29, 54, 12, 10},
};
WEAK const GameTypeInfo& CurrentGameType() { return GameTypeTable[0]; }
WEAK int32_t TerrainProfile[MaxPlayfieldSize + 1];
WEAK LandingPlatform platforms[MaxPlatforms];
WEAK Star stars[StarCount];
WEAK int32_t terrainStepBias;
WEAK int32_t pilotPlatform;
WEAK int32_t pilotFloor[MaxPlayfieldSize];
WEAK int32_t pilotFunnel[MaxPlayfieldSize];
WEAK void RegenerateWorld() {}
WEAK void PlacePlatforms() {}
WEAK void GenerateTerrain() {}
WEAK void PlaceStars() {}
WEAK void PlanPilotApproach() {}
WEAK void TwinkleStars() {}

WEAK bool engineSoundOn;
WEAK bool tippingSoundOn;
WEAK void StopAllSounds() {}
WEAK void UpdateEngineSound(bool, bool) {}
WEAK void PlayTouchdownSound() {}
WEAK void PlayTippingSound() {}
WEAK void PlayExplosionSound() {}
WEAK void PrimeSounds() {}

WEAK int32_t joystickId = -1;
WEAK JoystickCaps joystickCaps;
WEAK uint32_t stickCentreX, stickCentreY;
WEAK uint32_t deadZoneLeft, deadZoneRight, deadZoneTop, deadZoneBottom;
WEAK bool joystickAvailable;
WEAK bool SetUpJoystick() { return false; }
WEAK void ReadJoystick(int32_t*, int32_t*, int32_t*, int32_t*) {}
WEAK void ReadPlayerInput(int32_t*, int32_t*, int32_t*) {}
WEAK void OnJoystickButton() {}
WEAK bool PollJoystickStatus() { return false; }

WEAK SpriteEntry SpriteTable[SpriteCount];
WEAK SpriteEntry RotatedSprites[RotatedCount];
extern WEAK const int MainFlameRows[4] = {4, 5, 6, 7};
extern WEAK const int PushRightFlameRows[4] = {8, 9, 10, 11};
extern WEAK const int PushLeftFlameRows[4] = {12, 13, 14, 15};
extern WEAK const int DustCloudRows[4] = {27, 28, 29, 30};
extern WEAK const int TouchdownFrameRows[11] = {2, 31, 32, 32, 33, 33, 33, 32, 32, 31, 2};
WEAK int RotatedRowOfAngle(double) { return 30; }
WEAK void LoadGraphics() {}
WEAK void ReleaseGraphics() {}
WEAK void RedrawMeteorPicture(int) {}
WEAK void PaintFrame() {}
WEAK void ComposeClientPicture(Surface&, int, int, bool) {}

WEAK Surface backgroundScene;
WEAK void DrawBackgroundScene() {}
WEAK void ReleaseBackgroundScene() {}
WEAK bool BackgroundSceneExists() { return false; }

WEAK void CreateSurface(Surface&, int, int) {}
WEAK void ReleaseSurface(Surface&) {}
WEAK bool SurfaceExists(const Surface&) { return false; }
WEAK void FillRect(Surface&, int, int, int, int, Color) {}
WEAK void CopySurface(Surface&, int, int, const Surface&, int, int, int, int) {}
WEAK void CopyTransparent(Surface&, int, int, int, int, const Surface&, int, int, int, int) {}
WEAK void StretchCopy(Surface&, int, int, int, int, const Surface&, int, int, int, int) {}
WEAK Color GetPixel(const Surface&, int, int) { return ColorInvalid; }
WEAK void SetPixel(Surface&, int, int, Color) {}
WEAK void FillPolygon(Surface&, const CanvasPoint*, int, Color, Color) {}
WEAK void RegionFromRect(Region&, int, int, int, int) {}
WEAK void RegionFromEllipse(Region&, int, int, int, int) {}
WEAK void RegionFromPolygon(Region&, const CanvasPoint*, int) {}
WEAK void RegionUnion(Region&, const Region&, const Region&) {}
WEAK bool RegionContains(const Region&, int, int) { return false; }
WEAK int MeasureText(const char*) { return 0; }
WEAK int TextHeight() { return 14; }
WEAK void DrawText(Surface&, int, int, const char*, Color) {}
