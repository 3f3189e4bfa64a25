#include "sound/mixer.h"

#include "sound/loops.h"

#include <SDL/SDL_mixer.h>

int32_t volumen = 250;

namespace
{
constexpr int kAllChannels = -1;
} // namespace

void openMixer()
{
    Mix_OpenAudio(kMixerRate, kMixerFormat, kMixerChannels, kMixerBuffer);
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
