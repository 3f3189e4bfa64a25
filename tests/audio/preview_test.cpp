// Previews on the sample browser heard through the mixer's audio thread, the release
// of their sounds once their channel is done with them, and a preset load that stops
// them and the loops.
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "sound/loops.h"
#include "sound/preview.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <sys/stat.h>

namespace
{
int playing()
{
    SDL_LockAudio();
    const int channels = Mix_Playing(-1);
    SDL_UnlockAudio();
    return channels;
}

class PreviewTest : public ProgramTest
{
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        keyDown(SDLK_1);
    }

    // Lists kits/ again and presses the row that shows name, or an
    // empty row if none does.
    void pressEntry(const std::string& name)
    {
        pressIn(kKitsTabBox);
        for (ct_lista = 0; ct_lista < cantidad && name != catalogueEntry(ct_lista); ++ct_lista)
            ;
        pressIn(listRow(0));
    }

    // Waits until no channel plays, then shuts down; the capture's left channel.
    std::vector<int16_t> heard()
    {
        for (int k = 0; k < 300 && playing(); ++k)
            waitMs(10);
        waitMs(kPlayOutMs);
        stopProgram();
        return leftChannel(readCapture(audioFile));
    }
};
} // namespace

// A 48 kHz loop is decoded and resampled as every sound is: it is heard for
// exactly its second.
TEST_F(PreviewTest, APreviewIsHeardWholeAndFreedOnlyOnceItsChannelIsDone)
{
    writeWav("kits/loop48.wav", {48000, 2, kS16, kPlain}, std::vector<double>(2 * 48000, 0.25));
    pressEntry("loop48.wav");
    ASSERT_EQ(preview.sound ? preview.sound->alen : 0, 4u * kTestRate); // 16-bit stereo
    // Each frame runs under the audio lock, so the channel cannot end between the look
    // at it and the frame's own.
    for (bool busy = true; busy; waitMs(5))
    {
        SDL_LockAudio();
        busy = preview.sound && Mix_Playing(preview.channel);
        frame();
        const bool kept = preview.sound;
        SDL_UnlockAudio();
        ASSERT_EQ(kept, busy) << (busy ? "freed while it plays" : "kept once done");
    }
    std::vector<long> runs = {0}; // frames louder than half the loop's level, in runs
    for (int16_t v : heard())
        if (v > 4096)
            ++runs.back();
        else if (runs.back())
            runs.push_back(0);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NEAR(runs[0], kTestRate, 1);
}

TEST_F(PreviewTest, OnePreviewAtATimeASlotSoundTakingItsChannelIsNeverFreedAndALoadStopsAll)
{
    writeFile("kits/notes.txt", "not a sound\n");
    writeFile("kits/empty.wav", "");
    mkdir("kits/sub", 0755);
    for (const char* name : {".", "..", "empty.wav", "notes.txt", "sub", "none: an empty row"})
        pressEntry(name);
    EXPECT_EQ(preview.sound, nullptr) << "entries that do not decode are previewed in silence";
    EXPECT_EQ(playing(), 0);

    writeWav16("kits/slot.wav", constantStereo(3000, 500), 2);
    writeWav16("kits/long.wav", constantStereo(22050 * 20, 700), 2);
    pressEntry("slot.wav");
    while (playing())
        waitMs(10);
    pressIn(kAssignBox); // into slot 0
    ASSERT_NE(samples[0], nullptr);
    for (int k = 0; k < 10; ++k)
        pressEntry("long.wav");
    EXPECT_EQ(playing(), 1) << "each preview stops the one before";
    EXPECT_EQ(preview.channel, 0);

    Mix_PlayChannelTimed(0, samples[0], 0, -1); // pad 1 takes channel 0 from the preview
    frame();
    EXPECT_EQ(preview.sound, nullptr);
    EXPECT_EQ(Mix_GetChunk(0), samples[0]);
    while (playing())
        waitMs(10);
    // A preset load with a preview playing and two loops on, one queued for the other's
    // boundary: all stop, and none starts again with the sounds the preset brings.
    assignSlot(4, "kits/long.wav", "long");
    assignSlot(5, "kits/long.wav", "long");
    toggleLoop(0);
    toggleLoop(1);
    pressEntry("long.wav");
    keyDown(SDLK_0);
    pressIn(listRow(2)); // demo.trp
    pressIn(kLoadButtonBox);
    ASSERT_STREQ(lista_samples[4], "loops/beat.wav");
    waitMs(100);
    EXPECT_EQ(playing(), 0) << "the load put the player at rest";
    const std::vector<int16_t> left = heard();
    EXPECT_EQ(std::count_if(left.begin(), left.end(), [](int16_t v) { return heardAs(v, 500); }),
              2 * 3000)
        << "the slot sound, once as preview, once from its pad";
}
