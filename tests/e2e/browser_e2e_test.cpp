// The sample browser in the real program under Xvfb: a tab, a preview heard in the
// captured audio, a slot picked and a file assigned to it.
#include "tests/support/stage.h"
#include "tests/support/wav.h"
#include "tests/support/xsession.h"

#include <SDL/SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>

namespace
{
// Visible pixels of a stage image that differ on the screenshot, drawn at (x, y);
// the display keeps 16 bits per pixel, so each channel may be off by a few steps.
int mismatchedPixels(SDL_Surface* shot, const std::string& bmp, int x, int y, int* visible)
{
    SDL_Surface* image = SDL_LoadBMP(bmp.c_str());
    EXPECT_NE(image, nullptr) << bmp;
    if (!image)
        return -1;
    int wrong = 0;
    *visible = 0;
    for (int j = 0; j < image->h; ++j)
        for (int i = 0; i < image->w; ++i)
        {
            const Uint32 want = pixelAt(image, i, j);
            if (want == 0)
                continue; // transparent black
            ++*visible;
            const Uint32 got = pixelAt(shot, x + i, y + j);
            for (int shift : {0, 8, 16})
                if (std::abs(int((want >> shift) & 0xff) - int((got >> shift) & 0xff)) > 8)
                {
                    ++wrong;
                    break;
                }
        }
    SDL_FreeSurface(image);
    return wrong;
}
} // namespace

TEST(BrowserSession, PreviewsAFileAndAssignsItToThePickedSlot)
{
    XServer server = startXvfb();
    const std::string dir = makeStageCopy();
    writeWav16(dir + "/loops/tone.wav", constantStereo(3000, 4321), 2);
    ProgramRun run = startProgram(server, dir);
    ASSERT_NE(waitForWindow(server), 0u) << readFile(run.errFile);

    xdo(server, "mousemove 160 120 key 1");
    settle();
    clickAt(server, 194, 6);           // loops tab: ., .., bass, beat, keys, lead, tone
    clickAt(server, 100, 26 + 15 * 6); // preview tone.wav
    clickAt(server, 280, 145);         // slot 5, the second loop
    clickAt(server, 60, 225);          // assign
    settle();

    SDL_Surface* shot = screenshot(server);
    ASSERT_NE(shot, nullptr);
    int visible = 0;
    EXPECT_EQ(mismatchedPixels(shot, dir + "/img/caja_l.bmp", 184, 4, &visible), 0);
    EXPECT_GT(visible, 0);
    EXPECT_EQ(mismatchedPixels(shot, dir + "/img/asignado.bmp", 271, 32 + 23 * 5, &visible), 0);
    EXPECT_GT(visible, 0);
    SDL_FreeSurface(shot);

    xdo(server, "key Escape");
    EXPECT_EQ(waitExit(run), 0);
    stopXvfb(server);

    size_t loud = 0;
    for (int16_t v : leftChannel(readCapture(run.audioFile)))
        loud += v == 4321;
    EXPECT_EQ(loud, 3000u) << "the preview, played once";
    removeTree(dir);
}
