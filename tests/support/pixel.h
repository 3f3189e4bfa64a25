// Screen pixels: colours of surfaces as the display shows them, and the pixels that
// probe a press area.
#pragma once

#include "app/layout.h"

#include <SDL/SDL.h>
#include <cstring>
#include <gtest/gtest.h>

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

// The colour as a surface of that format shows it, as 0xRRGGBB.
inline Uint32 shownAs(SDL_Surface* surface, Rgb colour)
{
    Uint8 r, g, b;
    SDL_GetRGB(SDL_MapRGB(surface->format, colour.r, colour.g, colour.b), surface->format, &r, &g,
               &b);
    return Uint32(r) << 16 | Uint32(g) << 8 | b;
}

// Pixels of the two surfaces that differ within the box.
inline int differingPixels(SDL_Surface* a, SDL_Surface* b, Box box)
{
    int n = 0;
    for (int y = box.y0; y <= box.y1; ++y)
        for (int x = box.x0; x <= box.x1; ++x)
            n += pixelAt(a, x, y) != pixelAt(b, x, y);
    return n;
}

inline Point middleOf(Box b)
{
    return {midX(b), midY(b)};
}

// Expects hit(x, y) to give `inside` at the two corners of the box and `outside` one
// pixel past the middle of each side.
template <typename Hit, typename Result>
void expectHitsBox(Hit hit, Box b, Result inside, Result outside)
{
    for (const auto& [x, y] : {Point{b.x0, b.y0}, {b.x1, b.y1}})
        EXPECT_EQ(hit(x, y), inside) << x << "," << y;
    for (const auto& [x, y] :
         {Point{b.x0 - 1, midY(b)}, {b.x1 + 1, midY(b)}, {midX(b), b.y0 - 1}, {midX(b), b.y1 + 1}})
        EXPECT_EQ(hit(x, y), outside) << x << "," << y;
}

// The on-screen key that types c, a letter or digit.
inline Box keyBoxOf(char c)
{
    return keyBox(static_cast<int>(strchr(kKeyCharacters, c) - kKeyCharacters));
}
