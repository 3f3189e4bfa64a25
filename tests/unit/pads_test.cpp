// The pad screens inside the real program: hit tests, the flash, the loop pads,
// and what the screen shows.
#include "app/assets.h"
#include "app/loop.h"
#include "app/shell.h"
#include "sound/loops.h"
#include "sound/pads.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <string>
#include <vector>

namespace
{
constexpr int kSoundFrames = kTestRate * 2; // still playing while a test looks
constexpr Uint32 kTransparent = 0xff000000;

// Raw pixel of a surface of 2, 3 or 4 bytes per pixel.
Uint32 rawPixel(SDL_Surface* surface, int x, int y)
{
    const int bpp = surface->format->BytesPerPixel;
    const auto* p = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * bpp;
    switch (bpp)
    {
    case 2:
        return *reinterpret_cast<const Uint16*>(p);
    case 3:
        return Uint32(p[0]) | Uint32(p[1]) << 8 | Uint32(p[2]) << 16;
    default:
        return *reinterpret_cast<const Uint32*>(p);
    }
}

// An image's pixels as the display shows them (0xRRGGBB), kTransparent where its
// colour key lets the picture beneath show.
struct Shown
{
    int w, h;
    std::vector<Uint32> pixels;

    explicit Shown(SDL_Surface* image) : w(image->w), h(image->h)
    {
        SDL_Surface* converted = SDL_ConvertSurface(image, screen->format, SDL_SWSURFACE);
        const bool keyed = image->flags & SDL_SRCCOLORKEY;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
            {
                Uint8 r, g, b;
                SDL_GetRGB(rawPixel(converted, x, y), converted->format, &r, &g, &b);
                const bool hidden = keyed && rawPixel(image, x, y) == image->format->colorkey;
                pixels.push_back(hidden ? kTransparent : Uint32(r) << 16 | Uint32(g) << 8 | b);
            }
        SDL_FreeSurface(converted);
    }

    Uint32 at(int x, int y) const
    {
        return pixels[size_t(y * w + x)];
    }
};

// Pixels of the pad rectangle at `at` that differ from `pad` drawn over the background.
int mismatches(SDL_Surface* pad, const SDL_Rect& at)
{
    const Shown shown(pad), background(f_play);
    int wrong = 0;
    for (int y = 0; y < at.h; ++y)
        for (int x = 0; x < at.w; ++x)
        {
            const int sx = at.x + x, sy = at.y + y;
            const Uint32 own = shown.at(x, y);
            wrong += screenPixel(sx, sy) != (own == kTransparent ? background.at(sx, sy) : own);
        }
    return wrong;
}

// A pixel at which the two pad images look different, relative to the pad.
SDL_Rect telltale(SDL_Surface* dark, SDL_Surface* lit)
{
    const Shown a(dark), b(lit);
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x)
            if (a.at(x, y) != b.at(x, y) && a.at(x, y) != kTransparent &&
                b.at(x, y) != kTransparent)
                return SDL_Rect{Sint16(x), Sint16(y), 1, 1};
    ADD_FAILURE() << "the lit and the dark pad look alike";
    return SDL_Rect{};
}

std::vector<Uint32> snapshot()
{
    std::vector<Uint32> all;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            all.push_back(screenPixel(x, y));
    return all;
}

// Swaps a pad image for a copy with a square of its own, so that every pad image
// tells itself apart whatever the artwork looks like.
void mark(SDL_Surface*& image, int which)
{
    constexpr int kSide = 20;
    SDL_Surface* copy = SDL_ConvertSurface(image, image->format, image->flags);
    SDL_Rect square = {Sint16(10 + 30 * which), 10, kSide, kSide};
    SDL_FillRect(copy, &square, SDL_MapRGB(copy->format, Uint8(60 + 40 * which), 200, 90));
    SDL_FreeSurface(image);
    image = copy;
}

class PadsTest : public ProgramTest
{
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        mark(boton_s, 0);
        mark(boton_s_2, 1);
        mark(boton_p, 2);
        mark(boton_p_2, 3);
    }

    void assignSound(int slot, const char* name)
    {
        const std::string path = "kits/" + std::string(name);
        writeWav16(path, constantStereo(kSoundFrames, 1000), 2);
        assignSlot(slot, path.c_str(), name);
    }

    // Draws frames until the pad of screen 2 is drawn dark; returns how many were lit.
    int litFrames(int pad)
    {
        const SDL_Rect spot = telltale(boton_s, boton_s_2);
        const SDL_Rect& at = btn_sampler[pad];
        const Uint32 litColour = Shown(boton_s_2).at(spot.x, spot.y);
        constexpr int kEnough = 100;
        int lit = 0;
        while (lit < kEnough)
        {
            frame();
            if (screenPixel(at.x + spot.x, at.y + spot.y) != litColour)
                break;
            ++lit;
        }
        return lit;
    }

    // Where the text drawn over the plain screen differs from it: each assigned
    // slot's name inside its own box at its pad's name point, and nothing else.
    void expectNamesOnlyFor(void (*draw)(), int firstSlot, std::vector<int> named)
    {
        uint8_t saved[kPadCount];
        for (int k = 0; k < kPadCount; ++k)
        {
            saved[k] = asignados[firstSlot + k];
            asignados[firstSlot + k] = 0;
        }
        draw();
        const std::vector<Uint32> plain = snapshot();
        for (int k = 0; k < kPadCount; ++k)
            asignados[firstSlot + k] = saved[k];
        draw();
        const std::vector<Uint32> withNames = snapshot();

        std::vector<SDL_Rect> boxes;
        for (int pad : named)
        {
            int w = 0, h = 0;
            TTF_SizeText(fuente, nombres[firstSlot + pad], &w, &h);
            const SDL_Rect at = padNamePoint(pad);
            boxes.push_back(SDL_Rect{at.x, at.y, Uint16(w), Uint16(h)});
        }
        std::vector<int> leftmost(boxes.size(), kScreenWidth);
        int stray = 0;
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x)
            {
                const size_t i = size_t(y * kScreenWidth + x);
                if (plain[i] == withNames[i])
                    continue;
                bool inBox = false;
                for (size_t n = 0; n < boxes.size(); ++n)
                    if (x >= boxes[n].x && x < boxes[n].x + boxes[n].w && y >= boxes[n].y &&
                        y < boxes[n].y + boxes[n].h)
                    {
                        inBox = true;
                        leftmost[n] = std::min(leftmost[n], x);
                    }
                stray += !inBox;
            }
        EXPECT_EQ(stray, 0) << "text drawn outside the names' places";
        for (size_t n = 0; n < boxes.size(); ++n)
        {
            EXPECT_GE(leftmost[n], boxes[n].x) << "name of pad " << named[n];
            EXPECT_LE(leftmost[n], boxes[n].x + 2) << "name of pad " << named[n];
        }
    }
};

TEST_F(PadsTest, HitTestsAreStrictOnEverySide)
{
    EXPECT_EQ(padAt(10, 50), -1);
    EXPECT_EQ(padAt(11, 50), 0);
    EXPECT_EQ(padAt(149, 50), 0);
    EXPECT_EQ(padAt(150, 50), -1);
    EXPECT_EQ(padAt(50, 10), -1);
    EXPECT_EQ(padAt(50, 11), 0);
    EXPECT_EQ(padAt(50, 109), 0);
    EXPECT_EQ(padAt(50, 110), -1);
    EXPECT_EQ(padAt(171, 11), 1);
    EXPECT_EQ(padAt(11, 229), 2);
    EXPECT_EQ(padAt(309, 229), 3);
    EXPECT_EQ(padAt(310, 229), -1);
    EXPECT_EQ(padAt(309, 230), -1);
    EXPECT_EQ(padAt(160, 60), -1);
    EXPECT_EQ(padAt(-100, 50), -1);
}

TEST_F(PadsTest, APadPlaysItsSlotOnItsChannelAndStaysLitFor41Frames)
{
    for (int slot = 0; slot < kPadCount; ++slot)
        assignSound(slot, ("pad" + std::to_string(slot) + ".wav").c_str());
    keyDown(SDLK_2);
    pressAt(11, 50);
    EXPECT_EQ(pulsados[0], 1);
    EXPECT_EQ(t_pulsados[0], kFlashFrames);
    for (int channel = 0; channel < kSlotCount; ++channel)
        EXPECT_EQ(Mix_Playing(channel), channel == 0) << "channel " << channel;
    EXPECT_EQ(litFrames(0), 41);

    pressAt(300, 200);
    for (int i = 0; i < 10; ++i)
        frame();
    pressAt(300, 200);
    EXPECT_EQ(litFrames(3), 41) << "counted again from the second press";
    EXPECT_TRUE(Mix_Playing(3));
}

TEST_F(PadsTest, APressDarkensEveryPadItMissesAndStopsNoSound)
{
    assignSound(0, "a.wav");
    assignSound(1, "b.wav");
    keyDown(SDLK_2);
    pressAt(100, 100);
    pressAt(200, 100);
    EXPECT_EQ(pulsados[0], 0);
    EXPECT_EQ(pulsados[1], 1);
    EXPECT_TRUE(Mix_Playing(0));
    EXPECT_TRUE(Mix_Playing(1));

    for (const SDL_Rect& miss : {SDL_Rect{10, 50, 0, 0}, SDL_Rect{150, 50, 0, 0}})
    {
        pulsados[2] = 1;
        pressAt(miss.x, miss.y);
        for (int k = 0; k < kPadCount; ++k)
            EXPECT_EQ(pulsados[k], 0) << "pad " << k;
    }
    EXPECT_TRUE(Mix_Playing(1));
    EXPECT_FALSE(Mix_Playing(2));
}

TEST_F(PadsTest, LoopPadsSwitchTheirLoopAndShowWhetherItRuns)
{
    assignSound(6, "loop.wav");
    keyDown(SDLK_3);
    pressAt(160, 60);
    EXPECT_EQ(canal_control, kNoControlLoop) << "a press between the pads does nothing";

    pressAt(20, 140);
    EXPECT_EQ(canal_control, 2);
    EXPECT_EQ(sonando[2], 1);
    EXPECT_TRUE(Mix_Playing(6));
    drawLoopPads();
    EXPECT_EQ(mismatches(boton_p_2, bp3), 0);
    EXPECT_EQ(mismatches(boton_p, bp1), 0);

    pressAt(20, 140);
    EXPECT_EQ(sonando[2], 0);
    EXPECT_FALSE(Mix_Playing(6));
    drawLoopPads();
    EXPECT_EQ(mismatches(boton_p, bp3), 0);
}

TEST_F(PadsTest, ScreensShowLitAndDarkPadsAndTheNamesOfAssignedSlotsOnly)
{
    assignSound(1, "abcdefgh.wav");
    assignSound(3, "snare.wav");
    pulsados[1] = 1;
    pulsados[2] = 1;
    drawSamplePads();
    EXPECT_EQ(mismatches(boton_s, bp1), 0);
    EXPECT_EQ(mismatches(boton_s_2, bp2), 0);
    EXPECT_EQ(mismatches(boton_s_2, bp3), 0);
    EXPECT_EQ(mismatches(boton_s, bp4), 0);
    EXPECT_EQ(padNamePoint(1).x, 172);
    EXPECT_EQ(padNamePoint(1).y, 110);
    expectNamesOnlyFor(drawSamplePads, 0, {1, 3});

    assignSound(4, "kick.wav");
    assignSound(6, "a_very_long_name.wav");
    EXPECT_STREQ(nombres[6], "a_very_l");
    keyDown(SDLK_3);
    pressAt(200, 50); // loop 1 runs though its slot is empty
    drawLoopPads();
    EXPECT_EQ(mismatches(boton_p, bp1), 0);
    EXPECT_EQ(mismatches(boton_p_2, bp2), 0);
    EXPECT_EQ(mismatches(boton_p, bp3), 0);
    EXPECT_EQ(mismatches(boton_p, bp4), 0);
    expectNamesOnlyFor(drawLoopPads, kFirstLoopSlot, {0, 2});
}
} // namespace
