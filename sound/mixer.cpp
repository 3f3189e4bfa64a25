#include "sound/mixer.h"

#include "sound/hits.h"
#include "sound/loops.h"
#include "sound/passclock.h"

#include <SDL/SDL_mixer.h>
#include <cstdio>

int32_t volumen = 250;

namespace
{
constexpr int kAllChannels = -1;
} // namespace

void openMixer()
{
    resetPassClock();
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
    Mix_SetPostMix(mixPass, nullptr);
}

void mixPass(void*, Uint8* stream, int len)
{
    const int64_t now = hitClockUs(); // the pass's moment, before the work of its post-mix step
    const int32_t frames = len / kMixerFrameBytes;
    passMixed(stream, frames);
    mixHits(stream, frames);
    tickPassClock(frames, now);
}

void closeMixer()
{
    Mix_CloseAudio();
}
