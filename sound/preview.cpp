#include "sound/preview.h"

#include "sound/mixer.h"
#include "sound/slots.h"

Preview preview;

namespace
{
constexpr int kAnyIdleChannel = -1;

// The channel still holds the preview and has not finished it. The caller holds the
// audio lock, so the mixer cannot end or replace it between the two reads.
bool stillPlaying()
{
    return Mix_Playing(preview.channel) && Mix_GetChunk(preview.channel) == preview.sound;
}
} // namespace

void playPreview(const char* path)
{
    // The old sound goes before the new one is decoded: never two at once.
    stopPreview();
    Mix_Chunk* sound = loadSlotSound(path);
    if (!sound)
        return;
    const int channel = Mix_PlayChannelTimed(kAnyIdleChannel, sound, kPlayOnce, kNoTimeLimit);
    if (channel < 0)
    {
        Mix_FreeChunk(sound); // every channel busy: the mixer declined it
        return;
    }
    preview = {sound, channel};
}

void releaseFinishedPreview()
{
    if (!preview.sound)
        return;
    SDL_LockAudio();
    const bool done = !stillPlaying();
    SDL_UnlockAudio();
    if (done)
        stopPreview();
}

void stopPreview()
{
    // Freeing the sound also silences the channel that still plays it, and only that one.
    Mix_FreeChunk(preview.sound);
    preview = {nullptr, 0};
}
