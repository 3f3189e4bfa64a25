#include "sound/mixer.h"

#include "sound/loops.h"

#include <SDL/SDL_mixer.h>
#include <cstdio>

int32_t volumen = 250;

namespace
{
constexpr int kAllChannels = -1;
} // namespace

void openMixer()
{
    if (Mix_OpenAudio(kMixerRate, kMixerFormat, kMixerChannels, kMixerBuffer) < 0)
        fprintf(stderr, "Couldn't open audio: %s; running without sound\n", Mix_GetError());
}

void setUpMixer()
{
    Mix_Volume(kAllChannels, volumen);
    Mix_ChannelFinished(channelDone);
    Mix_SetPostMix(passMixed, nullptr);
}

void closeMixer()
{
    Mix_CloseAudio();
}
