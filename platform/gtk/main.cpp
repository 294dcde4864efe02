// Entry of the Linux desktop game: GTK for the window and dialogs, SDL2 for sound and joysticks (no SDL video).
#include "platform/gtk/gtk_backend.h"
#include "platform/app_entry.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

int main(int argc, char** argv)
{
    gtk_init(&argc, &argv);
    InitSdlServices();
    int code = AppMain();
    ShutdownSound();
    SDL_Quit();
    return code;
}
