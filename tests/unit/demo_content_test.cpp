// The demo content of the stage folder: every sound decodes, the loops are one
// length so they play in step, and the preset names all eight files.
#include "sound/mixer.h"
#include "tests/support/stage.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

TEST(DemoContent, SoundsDecodeLoopsShareOneLengthAndThePresetNamesThemAll)
{
    const std::string stage = PADBOX_TEST_STAGE;
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(kMixerRate, kMixerFormat, kMixerChannels, kMixerBuffer), 0)
        << Mix_GetError();
    Uint32 loopBytes = 0;
    for (const char* file :
         {"kits/kick.wav", "kits/clap.wav", "kits/hat.wav", "kits/tom.wav", "loops/beat.wav",
          "loops/bass.wav", "loops/keys.wav", "loops/lead.wav"})
    {
        Mix_Chunk* chunk = Mix_LoadWAV((stage + "/" + file).c_str());
        ASSERT_NE(chunk, nullptr) << file << ": " << Mix_GetError();
        EXPECT_GT(chunk->alen, 0u) << file;
        if (std::string(file).rfind("loops/", 0) == 0)
        {
            loopBytes = loopBytes ? loopBytes : chunk->alen;
            EXPECT_EQ(chunk->alen, loopBytes) << file << " differs in length from the beat";
        }
        Mix_FreeChunk(chunk);
    }
    Mix_CloseAudio();
    SDL_Quit();

    EXPECT_EQ(readFile(stage + "/presets/demo.trp"),
              "Tamo Ri Presets\n"
              "kits/kick.wav\nkits/clap.wav\nkits/hat.wav\nkits/tom.wav\n"
              "loops/beat.wav\nloops/bass.wav\nloops/keys.wav\nloops/lead.wav\n"
              "Oru\nSe supone que no deberias estar leyendo esto.\n");
}
