// Counting the game's open modal windows.
#include "dialogs/modal.h"

#include "platform/msgbox.h"

static int openModalWindows = 0;

int RunModalDialog(const DialogTemplate& tmpl, DialogProc proc)
{
    ++openModalWindows;
    int result = PlatformRunDialog(tmpl, proc);
    --openModalWindows;
    return result;
}

bool AskModalQuestion(const char* text, const char* caption)
{
    ++openModalWindows;
    bool yes = PlatformAskYesNo(text, caption);
    --openModalWindows;
    return yes;
}

bool ModalWindowOpen()
{
    return openModalWindows > 0;
}
