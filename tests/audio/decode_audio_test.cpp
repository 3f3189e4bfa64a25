// A 48 kHz 24-bit loop previewed and assigned on the sample browser, heard through
// the mixer at its true length.
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "sound/preview.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <string>

namespace
{
using DecodedPlaybackTest = ProgramTest;

constexpr double kLevel = 0.25;

void waitWhileBusy(int channel)
{
    for (bool busy = true; busy; waitMs(10))
    {
        SDL_LockAudio();
        busy = Mix_Playing(channel);
        SDL_UnlockAudio();
    }
    waitMs(kPlayOutMs);
}
} // namespace

TEST_F(DecodedPlaybackTest, AOneSecondLoopAt48kHzPlaysForOneSecondPreviewedAndAssigned)
{
    writeWav("loops/loop48.wav", {48000, 2, WavEncoding::S24, WavLayout::Plain},
             std::vector<double>(2 * 48000, kLevel));
    keyDown(SDLK_1);
    pressIn(kLoopsTabBox);
    for (int32_t i = 0; i < cantidad; ++i)
        if (std::string("loop48.wav") == catalogueEntry(i))
            ct_lista = i;
    pressIn(listRow(0)); // preview
    ASSERT_NE(preview.sound, nullptr);
    waitWhileBusy(preview.channel);
    pressIn(slotBand(4));
    pressIn(kAssignBox);
    ASSERT_NE(samples[4], nullptr);
    Mix_PlayChannelTimed(4, samples[4], 0, -1);
    waitWhileBusy(4);
    stopProgram();

    // Lengths of the runs of frames louder than half the loop's level.
    std::vector<long> runs = {0};
    for (int16_t v : leftChannel(readCapture(audioFile)))
        if (v > 32768 * kLevel / 2)
            ++runs.back();
        else if (runs.back())
            runs.push_back(0);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_NEAR(runs[0], kTestRate, 1) << "previewed";
    EXPECT_NEAR(runs[1], kTestRate, 1) << "assigned and played on its slot's channel";
}
