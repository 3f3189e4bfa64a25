// Previews on the sample browser heard through the mixer's audio thread, and the
// release of their sounds once their channel is done with them.
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "sound/preview.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
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
        pressIn(kKitsTabBox);
        for (int32_t i = 0; i < cantidad; ++i)
            if (name == catalogueEntry(i))
            {
                ct_lista = i;
                pressIn(listRow(0));
                return;
            }
        ADD_FAILURE() << name << " is not listed";
    }

    // Samples of the capture's left channel that hold level.
    size_t heard(int16_t level)
    {
        const std::vector<int16_t> left = leftChannel(readCapture(audioFile));
        return size_t(
            std::count_if(left.begin(), left.end(), [&](int16_t v) { return heardAs(v, level); }));
    }
};

bool channelBusy(int channel)
{
    SDL_LockAudio();
    const bool busy = Mix_Playing(channel);
    SDL_UnlockAudio();
    return busy;
}

// Channels playing a sound that no slot holds: the previews.
std::vector<int> previewChannels()
{
    std::vector<int> channels;
    SDL_LockAudio();
    for (int channel = 0; channel < kSlotCount; ++channel)
        if (Mix_Playing(channel) && std::find(std::begin(samples), std::end(samples),
                                              Mix_GetChunk(channel)) == std::end(samples))
            channels.push_back(channel);
    SDL_UnlockAudio();
    return channels;
}

void waitForSilence(int channel = -1)
{
    for (int k = 0; k < 200 && channelBusy(channel); ++k)
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
    ASSERT_NE(preview.sound, nullptr);
    // Each frame runs under the audio lock, so the channel cannot end between the look
    // at it and the frame's own.
    for (bool busy = true; busy;)
    {
        SDL_LockAudio();
        busy = preview.sound && Mix_Playing(preview.channel);
        frame();
        const bool kept = preview.sound;
        SDL_UnlockAudio();
        ASSERT_EQ(kept, busy) << (busy ? "freed while it plays" : "kept once done");
        waitMs(5);
    }
    waitMs(kPlayOutMs);
    stopProgram();
    EXPECT_EQ(heard(1234), 4000u);
}

TEST_F(PreviewTest, EntriesThatDoNotDecodeArePreviewedInSilence)
{
    writeFile("kits/notes.txt", "not a sound\n");
    writeFile("kits/empty.wav", "");
    mkdir("kits/sub", 0755);
    for (const char* name : {".", "..", "empty.wav", "notes.txt", "sub"})
        pressEntry(name);
    ct_lista = cantidad; // an empty row
    pressIn(listRow(0));
    EXPECT_EQ(preview.sound, nullptr);
    waitMs(100);
    stopProgram();
    const std::vector<int16_t> capture = readCapture(audioFile);
    EXPECT_FALSE(capture.empty());
    EXPECT_EQ(std::count(capture.begin(), capture.end(), 0), std::ptrdiff_t(capture.size()));
}

TEST_F(PreviewTest, TenPreviewsOfALongFileHoldOneSoundThatAPresetLoadStops)
{
    writeTone("kits/slot.wav", 3000, 500);
    writeTone("kits/long.wav", 22050 * 20, 700);
    pressEntry("slot.wav");
    waitForSilence();
    pressIn(kAssignBox); // into slot 0
    ASSERT_NE(samples[0], nullptr);
    for (int k = 0; k < 10; ++k)
        pressEntry("long.wav");
    EXPECT_EQ(previewChannels(), std::vector<int>{0}) << "each preview stops the one before";

    Mix_PlayChannelTimed(0, samples[0], 0, -1); // pad 1 takes channel 0 from the preview
    frame();
    EXPECT_EQ(Mix_GetChunk(0), samples[0]);
    waitForSilence();
    pressEntry("long.wav");
    EXPECT_EQ(previewChannels().size(), 1u);
    keyDown(SDLK_0);
    pressIn(listRow(2)); // demo.trp
    testing::internal::CaptureStdout();
    pressIn(kLoadButtonBox);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(previewChannels(), std::vector<int>{}) << "the load put the player at rest";
    waitMs(kPlayOutMs);
    stopProgram();
    EXPECT_EQ(heard(500), 2u * 3000) << "the slot sound, once as preview, once from its pad";
}
