// The mixer's audio thread as the program opens it, heard through the disk driver.
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>

using MixerTest = ProgramTest;

TEST_F(MixerTest, PlaysAWavFileExactlyAsWritten)
{
    writeWav16("tone.wav", constantStereo(2000, 1234), 2);
    Mix_Chunk* chunk = loadSlotSound("tone.wav");
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(chunk->alen, 2000u * 4);
    Mix_PlayChannelTimed(0, chunk, 0, -1);
    while (Mix_Playing(0))
        waitMs(10);
    waitMs(50);
    stopProgram();
    Mix_FreeChunk(chunk);

    const std::vector<int16_t> heard = leftChannel(readCapture(audioFile));
    size_t loud = 0;
    for (int16_t v : heard)
        loud += v == 1234;
    EXPECT_EQ(loud, 2000u);
}
