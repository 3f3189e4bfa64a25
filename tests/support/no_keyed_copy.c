/* Preloaded into the program to make the 16-bit copies of the keyed images fail, as
   they do when memory runs out after the image itself has loaded. */
#include <SDL/SDL.h>
#include <dlfcn.h>

SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 rmask,
                                  Uint32 gmask, Uint32 bmask, Uint32 amask)
{
    typedef SDL_Surface* (*Create)(Uint32, int, int, int, Uint32, Uint32, Uint32, Uint32);
    if (flags & SDL_SRCCOLORKEY)
    {
        SDL_SetError("Out of memory");
        return NULL;
    }
    Create create = (Create)dlsym(RTLD_NEXT, "SDL_CreateRGBSurface");
    return create(flags, width, height, depth, rmask, gmask, bmask, amask);
}
