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
    SDL_ClearError(); // an earlier failure's text, such as the joystick's, is no reason here
    if (Mix_OpenAudio(kMixerRate, kMixerFormat, kMixerChannels, kMixerBuffer) >= 0)
        return;
    const char* reason = Mix_GetError();
    fprintf(stderr, "Couldn't open audio: %s; running without sound\n",
            *reason ? reason : "no audio device");
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
