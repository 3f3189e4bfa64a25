#include "sound/loops.h"

#include <SDL/SDL_mixer.h>

std::atomic<int32_t> canal_control{kNoControlLoop};
std::atomic<uint8_t> sonando[kLoopCount];
std::atomic<uint8_t> pulsados2[kLoopCount];

void toggleLoop(int) {}

void channelDone(int) {}

void pickControlLoop(int) {}

void resetLoops()
{
    canal_control = kNoControlLoop;
    for (int i = 0; i < kLoopCount; ++i)
    {
        sonando[i] = 0;
        pulsados2[i] = 0;
    }
}

void stopLoops()
{
    for (int i = 0; i < kLoopCount; ++i)
    {
        sonando[i] = 0;
        Mix_HaltChannel(kFirstLoopSlot + i);
    }
}
