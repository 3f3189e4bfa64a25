/* Preloaded into the program to make the display fail to open, so that the
   start-up path for a refused video mode can be exercised on any machine. */
#include <SDL/SDL.h>

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
{
    (void)width;
    (void)height;
    (void)bpp;
    (void)flags;
    SDL_SetError("no video mode in this test");
    return NULL;
}
