// A 48 kHz 24-bit loop previewed and assigned to a slot, heard through the mixer.
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>

namespace
{
using DecodedPlaybackTest = ProgramTest;

constexpr int kLoopRate = 48000;
constexpr double kLevel = 0.25;
constexpr int kLoopSlot = 4;

void playToTheEnd(int channel, Mix_Chunk* chunk)
{
    const int playing = Mix_PlayChannelTimed(channel, chunk, 0, -1);
    ASSERT_GE(playing, 0);
    while (Mix_Playing(playing))
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
    writeWav("loops/loop48.wav", {kLoopRate, 2, WavEncoding::S24, WavLayout::Plain},
             std::vector<double>(2 * kLoopRate, kLevel));

    Mix_Chunk* preview = loadSlotSound("loops/loop48.wav");
    ASSERT_NE(preview, nullptr);
    playToTheEnd(-1, preview);

    assignSlot(kLoopSlot, "loops/loop48.wav", "loop48.wav");
    ASSERT_NE(samples[kLoopSlot], nullptr);
    playToTheEnd(kLoopSlot, samples[kLoopSlot]);

    stopProgram();
    Mix_FreeChunk(preview);
    const std::vector<long> runs = loudRuns(leftChannel(readCapture(audioFile)));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NEAR(runs[0], kTestRate, 1);
    EXPECT_NEAR(runs[1], kTestRate, 1);
}
