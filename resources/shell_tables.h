// The main window's menu, accelerators and strings, as data a backend turns into native objects.
#pragma once

enum MenuItemKind { MenuPopupBegin, MenuPopupEnd, MenuCommandItem, MenuSeparator };
constexpr unsigned MenuChecked = 0x1;  // shown with a check mark
constexpr unsigned MenuDisabled = 0x2; // shown normally but cannot be chosen

struct MenuItemDef {
    MenuItemKind kind;
    const char* text; // UTF-8; '&' marks the mnemonic; '\t' separates the shortcut shown at the right
    int command;      // for MenuCommandItem
    unsigned flags;
};
extern const MenuItemDef MainMenu[];
extern const int MainMenuCount;

enum AcceleratorKey { AccelVirtualKey, AccelCharacter };
struct AcceleratorDef {
    AcceleratorKey keyKind;
    int key;       // 'N', 'P' (virtual keys: upper-case letters) or a character ('/', '?')
    bool alt;      // Alt must be held; otherwise no modifier may be held
    int command;
};
extern const AcceleratorDef MainAccelerators[];
extern const int MainAcceleratorCount;

constexpr int StringTitle = 103;
constexpr int StringClassName = 109;
// String resource `id` ("" when unknown).
const char* LoadGameString(int id);

constexpr int IconProgram = 107;
constexpr int IconProgramSmall = 108;
