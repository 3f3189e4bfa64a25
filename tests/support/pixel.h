// Colours of surfaces as the display shows them.
#pragma once

#include <SDL/SDL.h>

// Colour at (x, y) of a surface of any pixel size, as 0xRRGGBB.
inline Uint32 pixelAt(SDL_Surface* surface, int x, int y)
{
    const int bpp = surface->format->BytesPerPixel;
    SDL_LockSurface(surface);
    const Uint8* p = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * bpp;
    Uint32 value = 0;
    for (int i = 0; i < bpp; ++i)
        value |= Uint32(p[i]) << (8 * i);
    SDL_UnlockSurface(surface);
    Uint8 r, g, b;
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    return Uint32(r) << 16 | Uint32(g) << 8 | b;
}
