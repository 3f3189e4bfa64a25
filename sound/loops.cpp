#include "sound/loops.h"

#include "sound/slots.h"

#include <SDL/SDL_mixer.h>

std::atomic<int32_t> canal_control{kNoControlLoop};
std::atomic<uint8_t> sonando[kLoopCount];
std::atomic<uint8_t> pulsados2[kLoopCount];

namespace
{
int loopChannel(int loop)
{
    return kFirstLoopSlot + loop;
}

void playLoop(int loop)
{
    playSlot(loopChannel(loop));
}

void switchOn(int loop)
{
    if (canal_control != kNoControlLoop)
        return; // queued for the next boundary
    canal_control = loop;
    playLoop(loop);
    sonando[loop] = 1; // after the play, so a report of what the channel played before is ignored
}

void switchOff(int loop)
{
    sonando[loop] = 0; // before the halt, so the halt's own report restarts nothing
    Mix_HaltChannel(loopChannel(loop));
    if (canal_control == loop)
        pickControlLoop(loop);
}
} // namespace

void toggleLoop(int loop)
{
    SDL_LockAudio(); // a boundary falls before or after the whole switch, never inside it
    const uint8_t wasOn = pulsados2[loop];
    pulsados2[loop] = !wasOn;
    if (wasOn)
        switchOff(loop);
    else
        switchOn(loop);
    SDL_UnlockAudio();
}

void channelDone(int channel)
{
    const int32_t control = canal_control;
    if (control == kNoControlLoop || channel != loopChannel(control) || !sonando[control])
        return;
    playLoop(control); // the channel has stopped, so this play reports nothing
    for (int i = 0; i < kLoopCount; ++i)
    {
        if (pulsados2[i] && i != canal_control)
        {
            playLoop(i);
            sonando[i] = 1;
        }
    }
}

void pickControlLoop(int stopped)
{
    int32_t candidate = kNoControlLoop;
    for (int i = 0; i < kLoopCount; ++i)
        if (sonando[i] && i != stopped)
            candidate = i;
    canal_control = candidate;
    resumeControlLoop(); // a new control loop that already played out would bring no boundary
}

void resumeControlLoop()
{
    SDL_LockAudio();
    const int32_t control = canal_control;
    if (control != kNoControlLoop && sonando[control] && !Mix_Playing(loopChannel(control)))
        channelDone(loopChannel(control));
    SDL_UnlockAudio();
}

void resetLoops()
{
    SDL_LockAudio();
    canal_control = kNoControlLoop;
    for (int i = 0; i < kLoopCount; ++i)
    {
        sonando[i] = 0;
        pulsados2[i] = 0;
    }
    SDL_UnlockAudio();
}

void stopLoops()
{
    SDL_LockAudio();
    for (int i = 0; i < kLoopCount; ++i)
    {
        sonando[i] = 0;
        Mix_HaltChannel(loopChannel(i));
    }
    SDL_UnlockAudio();
}
