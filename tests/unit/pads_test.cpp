// The pad screens inside the real program: hit tests, the flash, the loop pads,
// and what the screens show.
#include "app/assets.h"
#include "app/loop.h"
#include "app/shell.h"
#include "sound/loops.h"
#include "sound/pads.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

#include <string>

namespace
{
class PadsTest : public ProgramTest
{
  protected:
    // A sound long enough to still play while the test looks.
    static void assignSound(int slot)
    {
        const std::string name = "s" + std::to_string(slot) + ".wav", path = "kits/" + name;
        writeWav16(path, constantStereo(kTestRate * 2, 1000), 2);
        assignSlot(slot, path.c_str(), name.c_str());
    }

    // Whether the pad at `at` shows `image`: its middle, where lit and dark differ.
    static bool shows(SDL_Surface* image, const SDL_Rect& at)
    {
        return pixelAt(screen, at.x + 70, at.y + 50) == pixelAt(image, 70, 50);
    }

    // Frames of screen 2 drawn before the pad at `at` shows dark again.
    static int litFrames(const SDL_Rect& at)
    {
        int lit = 0;
        for (frame(); lit < 100 && shows(boton_s_2, at); frame())
            ++lit;
        return lit;
    }

    // Pixels of the pad's name box that change when the slot counts as assigned.
    static int nameInk(void (*draw)(), int slot, int pad)
    {
        asignados[slot] = 0;
        draw();
        SDL_Surface* bare = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
        asignados[slot] = 1;
        draw();
        const Point at = padNamePoint(pad);
        const int ink = differingPixels(
            bare, screen, {at.x, at.y, at.x + 39, std::min(at.y + 11, kScreenHeight - 1)});
        SDL_FreeSurface(bare);
        return ink;
    }
};
} // namespace

TEST_F(PadsTest, APadPlaysItsSlotAloneFlashesFor41FramesAndAMissDarkensAll)
{
    // Hit tests are strict: a pad's first column and row are its border.
    for (int pad = 0; pad < kPadCount; ++pad)
    {
        const Box b = kPadBoxes[pad];
        expectHitsBox(padAt, Box{b.x0 + 1, b.y0 + 1, b.x1, b.y1}, pad, -1);
    }
    for (int slot = 0; slot < kPadCount; ++slot)
        assignSound(slot);
    keyDown(SDLK_2);
    pressIn(kPadBoxes[0]);
    EXPECT_TRUE(Mix_Playing(-1) == 1 && Mix_Playing(0)) << "its channel alone plays";
    EXPECT_EQ(litFrames(bp1), 41);

    pressIn(kPadBoxes[3]);
    for (int i = 0; i < 10; ++i)
        frame();
    pressIn(kPadBoxes[3]);
    EXPECT_EQ(litFrames(bp4), 41) << "counted again from the second press";

    pressIn(kPadBoxes[1]);
    pressAt(kPadBoxes[0].x1 + 1, midY(kPadBoxes[0])); // between pads
    EXPECT_EQ(pulsados[0] + pulsados[1] + pulsados[2] + pulsados[3], 0);
    EXPECT_TRUE(Mix_Playing(1)) << "a miss stops no sound";
    EXPECT_GT(nameInk(drawSamplePads, 1, 1), 0) << "names show for assigned slots only";
}

TEST_F(PadsTest, LoopPadsSwitchTheirLoopAndShowWhetherItRuns)
{
    ASSERT_NE(pixelAt(boton_p, 70, 50), pixelAt(boton_p_2, 70, 50));
    assignSound(6);
    keyDown(SDLK_3);
    pressAt(kPadBoxes[0].x1 + 1, midY(kPadBoxes[0]));
    EXPECT_EQ(canal_control, kNoControlLoop) << "a press between the pads does nothing";
    pressIn(kPadBoxes[2]);
    EXPECT_EQ(canal_control, 2);
    drawLoopPads();
    EXPECT_TRUE(Mix_Playing(6) && shows(boton_p_2, bp3) && shows(boton_p, bp1));
    EXPECT_GT(nameInk(drawLoopPads, 6, 2), 0);

    pressIn(kPadBoxes[2]);
    EXPECT_FALSE(sonando[2] || Mix_Playing(6));
    drawLoopPads();
    EXPECT_TRUE(shows(boton_p, bp3));
}
