#include "sound/preview.h"

#include "sound/mixer.h"
#include "sound/slots.h"

std::vector<Preview> previews;

namespace
{
constexpr int kAnyIdleChannel = -1;

// The channel still holds the preview and has not finished it. The caller holds the
// audio lock, so the mixer cannot end or replace it between the two reads.
bool stillPlaying(const Preview& preview)
{
    return Mix_Playing(preview.channel) && Mix_GetChunk(preview.channel) == preview.sound;
}
} // namespace

void playPreview(const char* path)
{
    // Finished previews go first, so quick presses between two frames keep at most
    // one preview per channel alive.
    releaseFinishedPreviews();
    Mix_Chunk* sound = loadSlotSound(path);
    if (!sound)
        return;
    const int channel = Mix_PlayChannelTimed(kAnyIdleChannel, sound, kPlayOnce, kNoTimeLimit);
    if (channel < 0)
    {
        Mix_FreeChunk(sound); // every channel busy: the mixer declined it
        return;
    }
    previews.push_back({sound, channel});
}

void releaseFinishedPreviews()
{
    if (previews.empty())
        return;
    SDL_LockAudio();
    for (size_t i = 0; i < previews.size();)
    {
        if (stillPlaying(previews[i]))
        {
            ++i;
            continue;
        }
        Mix_FreeChunk(previews[i].sound);
        previews[i] = previews.back();
        previews.pop_back();
    }
    SDL_UnlockAudio();
}

void releaseAllPreviews()
{
    for (const Preview& preview : previews)
        Mix_FreeChunk(preview.sound);
    std::vector<Preview>().swap(previews);
}
