#include "sound/hits.h"

#include "sound/loops.h"
#include "sound/slots.h"

#include <SDL/SDL_mixer.h>
#include <ctime>

int64_t hitClockUs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

void playHit(const Hit& hit)
{
    if (hit.kind == kLoopHit)
    {
        toggleLoop(hit.index);
        return;
    }
    SDL_LockAudio();
    Mix_Volume(hit.index, MIX_MAX_VOLUME * hit.velocity / kMaxVelocity);
    playSlot(hit.index);
    SDL_UnlockAudio();
}
