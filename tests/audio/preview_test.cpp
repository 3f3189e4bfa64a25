// Previews on the sample browser heard through the mixer's audio thread, and the
// release of their sounds once their channel is done with them.
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <string>
#include <sys/stat.h>

namespace
{
class PreviewTest : public ProgramTest
{
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        keyDown(SDLK_1);
    }

    // Lists kits/ again and presses the row that shows name.
    void pressEntry(const std::string& name)
    {
        pressAt(12, 6);
        for (int32_t i = 0; i < cantidad; ++i)
            if (name == catalogueEntry(i))
            {
                ct_lista = i;
                pressAt(100, 30);
                return;
            }
        ADD_FAILURE() << name << " is not listed";
    }

    // Samples of the capture's left channel that hold exactly level.
    size_t heard(int16_t level)
    {
        size_t count = 0;
        for (int16_t v : leftChannel(readCapture(audioFile)))
            count += v == level;
        return count;
    }
};

bool channelBusy(int channel)
{
    SDL_LockAudio();
    const bool busy = Mix_Playing(channel);
    SDL_UnlockAudio();
    return busy;
}

// Waits until no channel plays, at most two seconds.
void waitForSilence()
{
    for (int k = 0; k < 200 && channelBusy(-1); ++k)
        waitMs(10);
}

void writeTone(const std::string& path, int frames, int16_t level)
{
    writeWav16(path, constantStereo(frames, level), 2);
}
} // namespace

TEST_F(PreviewTest, APreviewIsHeardWholeAndFreedOnlyOnceItsChannelIsDone)
{
    writeTone("kits/tone.wav", 4000, 1234);
    pressEntry("tone.wav");
    EXPECT_EQ(lista_sel, ct_lista);
    ASSERT_EQ(previews.size(), 1u);
    EXPECT_EQ(previews[0].channel, 0) << "the first idle channel";
    // Each frame runs under the audio lock, so the channel cannot end between the look
    // at it and the frame's own.
    for (bool busy = true; busy;)
    {
        SDL_LockAudio();
        busy = Mix_Playing(0);
        frame();
        const size_t kept = previews.size();
        SDL_UnlockAudio();
        ASSERT_EQ(kept, busy ? 1u : 0u) << (busy ? "freed while it plays" : "kept once done");
        waitMs(5);
    }
    waitMs(50);
    stopProgram();
    EXPECT_EQ(heard(1234), 4000u);
}

TEST_F(PreviewTest, EntriesThatDoNotDecodeArePreviewedInSilence)
{
    writeFile("kits/notes.txt", "not a sound\n");
    writeFile("kits/empty.wav", "");
    mkdir("kits/sub", 0755);
    for (const char* name : {".", "..", "empty.wav", "notes.txt", "sub"})
    {
        pressEntry(name);
        EXPECT_TRUE(previews.empty()) << name;
    }
    ct_lista = cantidad;
    pressAt(100, 30);
    EXPECT_EQ(lista_sel, cantidad) << "an empty row is still selected";
    EXPECT_TRUE(previews.empty());
    waitMs(100);
    stopProgram();
    const std::vector<int16_t> capture = readCapture(audioFile);
    EXPECT_FALSE(capture.empty());
    for (int16_t v : capture)
        ASSERT_EQ(v, 0);
}

TEST_F(PreviewTest, ASlotSoundThatTakesOverThePreviewsChannelIsNeverFreed)
{
    writeTone("kits/slot.wav", 3000, 500);
    writeTone("kits/long.wav", 22050, 2000);
    pressEntry("slot.wav");
    waitForSilence();
    pressAt(20, 218); // into slot 0
    ASSERT_NE(samples[0], nullptr);
    frame();
    ASSERT_TRUE(previews.empty());

    pressEntry("long.wav");
    ASSERT_EQ(previews.size(), 1u);
    ASSERT_EQ(previews[0].channel, 0);
    waitMs(30);
    Mix_PlayChannelTimed(0, samples[0], 0, -1); // pad 1 on its own channel
    frame();
    EXPECT_TRUE(previews.empty()) << "the preview lost its channel";
    EXPECT_EQ(Mix_GetChunk(0), samples[0]);
    waitForSilence();
    stopProgram();
    EXPECT_EQ(heard(500), 2u * 3000) << "the slot sound, once as preview, once from its pad";
}

TEST_F(PreviewTest, PressingRowsOverAndOverKeepsOnePreviewPerChannelAtMost)
{
    writeTone("kits/long.wav", 22050, 700);
    for (int k = 0; k < 100; ++k)
        pressEntry("long.wav");
    EXPECT_EQ(previews.size(), static_cast<size_t>(kSlotCount))
        << "presses past the eighth find no idle channel and keep nothing";
    for (int channel = 0; channel < kSlotCount; ++channel)
        EXPECT_TRUE(channelBusy(channel)) << channel;

    Mix_HaltChannel(3);
    frame();
    EXPECT_EQ(previews.size(), static_cast<size_t>(kSlotCount - 1));
    pressEntry("long.wav");
    EXPECT_EQ(previews.size(), static_cast<size_t>(kSlotCount));
    EXPECT_EQ(Mix_GetChunk(3), previews.back().sound);

    // Shut-down frees the previews that still play.
    stopProgram();
    EXPECT_TRUE(previews.empty());
}
