#include "resources/shell_tables.h"
#include "resources/commands.h"

const MenuItemDef MainMenu[] = {
    {MenuPopupBegin, "&File", 0, 0},
    {MenuCommandItem, "&New Game\tN", CmdNewGame, 0},
    {MenuPopupBegin, "Select &Game", 0, 0},
    {MenuCommandItem, "Landing Practice", CmdLandingPractice, 0},
    {MenuCommandItem, "Landing Challenge", CmdLandingChallenge, MenuChecked},
    {MenuCommandItem, "Rocket Lifter", CmdRocketLifter, MenuDisabled},
    {MenuPopupEnd, nullptr, 0, 0},
    {MenuCommandItem, "Pause Game\tP", CmdPause, 0},
    {MenuCommandItem, "E&xit", CmdExit, 0},
    {MenuPopupEnd, nullptr, 0, 0},
    {MenuPopupBegin, "&Settings", 0, 0},
    {MenuCommandItem, "&Game Settings...", CmdGameSettings, 0},
    {MenuCommandItem, "View and Control Settings...", CmdViewControls, 0},
    {MenuPopupEnd, nullptr, 0, 0},
    {MenuPopupBegin, "&Help", 0, 0},
    {MenuCommandItem, "&About ...", CmdAbout, 0},
    {MenuPopupEnd, nullptr, 0, 0},
};
const int MainMenuCount = sizeof MainMenu / sizeof MainMenu[0];

const AcceleratorDef MainAccelerators[] = {
    {AccelVirtualKey, 'N', false, CmdNewGame},
    {AccelVirtualKey, 'P', false, CmdPause},
    {AccelCharacter, '/', true, CmdAbout},
    {AccelCharacter, '?', true, CmdAbout},
    {AccelCharacter, 0x1B, false, CmdLeaveReplay},
};
const int MainAcceleratorCount = sizeof MainAccelerators / sizeof MainAccelerators[0];

const char* LoadGameString(int id)
{
    switch (id) {
    case StringTitle: return "Dravolinex";
    case StringClassName: return "DRAVOLINEX";
    default: return "";
    }
}
