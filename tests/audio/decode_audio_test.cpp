// A 48 kHz 24-bit loop previewed and assigned on the sample browser, heard through
// the mixer at its true length.
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <string>

namespace
{
using DecodedPlaybackTest = ProgramTest;

constexpr int kLoopRate = 48000;
constexpr double kLevel = 0.25;
constexpr int kLoopSlot = 4;

bool channelBusy(int channel)
{
    SDL_LockAudio();
    const bool busy = Mix_Playing(channel);
    SDL_UnlockAudio();
    return busy;
}

void waitWhileBusy(int channel)
{
    while (channelBusy(channel))
        waitMs(10);
    waitMs(50);
}

// Lengths of the runs of frames louder than half the loop's level.
std::vector<long> loudRuns(const std::vector<int16_t>& left)
{
    std::vector<long> runs;
    long run = 0;
    for (int16_t v : left)
    {
        if (v > 32768 * kLevel / 2)
            ++run;
        else if (run)
        {
            runs.push_back(run);
            run = 0;
        }
    }
    if (run)
        runs.push_back(run);
    return runs;
}
} // namespace

TEST_F(DecodedPlaybackTest, AOneSecondLoopAt48kHzPlaysForOneSecondPreviewedAndAssigned)
{
    const std::string name = "loop48.wav";
    writeWav("loops/" + name, {kLoopRate, 2, WavEncoding::S24, WavLayout::Plain},
             std::vector<double>(2 * kLoopRate, kLevel));
    keyDown(SDLK_1);
    pressAt(200, 10); // the loops tab
    for (int32_t i = 0; i < cantidad; ++i)
        if (name == catalogueEntry(i))
            ct_lista = i;
    pressAt(100, 30); // the top row: preview
    ASSERT_EQ(previews.size(), 1u);
    waitWhileBusy(previews[0].channel);

    pressAt(280, 120); // slot 4
    pressAt(20, 218);  // assign
    ASSERT_STREQ(lista_samples[kLoopSlot], "loops/loop48.wav");
    ASSERT_NE(samples[kLoopSlot], nullptr);
    Mix_PlayChannelTimed(kLoopSlot, samples[kLoopSlot], 0, -1);
    waitWhileBusy(kLoopSlot);

    stopProgram();
    const std::vector<long> runs = loudRuns(leftChannel(readCapture(audioFile)));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NEAR(runs[0], kTestRate, 1) << "previewed";
    EXPECT_NEAR(runs[1], kTestRate, 1) << "assigned and played on its slot's channel";
}
