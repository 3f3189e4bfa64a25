#include "sound/hits.h"

#include "sound/loops.h"
#include "sound/mixer.h"
#include "sound/passclock.h"
#include "sound/slots.h"

#include <algorithm>
#include <cstdint>
#include <ctime>

namespace
{
constexpr int kOneShotCount = kFirstLoopSlot; // one-shot slots 0-3, channels 0-3
constexpr int kMaxPendingHits = 64;           // far more than hands and pads make in a pass

struct PendingHit
{
    int32_t slot;
    int64_t frame;
    int32_t volume;
};

// Touched by the audio thread and, under the audio lock, by whoever hits.
PendingHit pending[kMaxPendingHits];
int pendingCount;
Mix_Chunk views[kOneShotCount];    // the part of the slot's sound its channel plays
int64_t soundStart[kOneShotCount]; // frame on which the view's sound began

// Has the channel play frames [from, to) of its slot's sound; a channel whose slot
// has no sound falls silent, as a hit cuts what it played.
void playView(int channel, int64_t from, int64_t to)
{
    if (!samples[channel])
        Mix_HaltChannel(channel);
    playSlotPart(channel, &views[channel], from, to);
}

// The channel's sound, heard through its view, ends on `frame` at the latest.
void cutAt(int channel, int64_t frame)
{
    if (!slotPartPlaying(channel, &views[channel]))
        return; // another sound, or none: the hit's own pass replaces it
    if (frame < soundStart[channel] + slotPartEnd(channel, &views[channel]))
        playView(channel, mixedFrames - soundStart[channel], frame - soundStart[channel]);
}

// A hit due with the next pass is started on its channel at once, the mixer playing it
// from that pass's first frame; a later one waits for the post-mix step of its pass.
void queueHit(const PendingHit& hit)
{
    if (hit.frame <= mixedFrames)
    {
        Mix_Volume(hit.slot, hit.volume);
        soundStart[hit.slot] = mixedFrames;
        playView(hit.slot, 0, slotFrames(hit.slot));
        return;
    }
    if (pendingCount == kMaxPendingHits)
        return; // a flood no player makes: the newest hits are dropped
    cutAt(hit.slot, hit.frame);
    pending[pendingCount++] = hit;
}

// Mixes the channel's hits due in the pass, each cut by the next, and gives the
// channel the rest of the last; returns whether there were any.
bool mixChannelHits(int channel, Uint8* stream, int32_t frames)
{
    const int64_t passEnd = mixedFrames + frames;
    PendingHit due[kMaxPendingHits];
    int count = 0;
    int64_t nextHit = INT64_MAX; // the channel's first hit after this pass cuts the last one
    for (int k = 0; k < pendingCount; ++k)
    {
        if (pending[k].slot != channel)
            continue;
        if (pending[k].frame < passEnd)
            due[count++] = pending[k];
        else
            nextHit = std::min(nextHit, pending[k].frame);
    }
    if (count == 0)
        return false;
    std::sort(due, due + count,
              [](const PendingHit& a, const PendingHit& b) { return a.frame < b.frame; });
    const auto offset = [&](int k) { return std::max(due[k].frame, mixedFrames) - mixedFrames; };
    for (int k = 0; k < count; ++k)
        mixSlotHead(stream, channel, due[k].volume, offset(k),
                    (k + 1 < count ? offset(k + 1) : frames) - offset(k));
    const int64_t last = offset(count - 1);
    Mix_Volume(channel, due[count - 1].volume);
    soundStart[channel] = mixedFrames + last;
    playView(channel, frames - last, std::min(slotFrames(channel), nextHit - soundStart[channel]));
    return true;
}
} // namespace

int64_t hitClockUs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

int32_t hitVolume(int32_t velocity)
{
    return MIX_MAX_VOLUME * std::clamp(velocity, 1, kMaxVelocity) / kMaxVelocity;
}

int64_t hitDelayUs()
{
    return kHitDelayUs + passLeadUs();
}

int64_t hitFrame(int64_t stampUs)
{
    return std::clamp(frameAtUs(stampUs + hitDelayUs()), mixedFrames,
                      mixedFrames + kMaxHitAheadFrames + passLeadFrames());
}

void playHit(const Hit& hit)
{
    SDL_LockAudio();
    const int64_t frame = hitFrame(hit.stampUs);
    if (hit.kind == kLoopHit)
    {
        if (!pulsados2[hit.index]) // switched on: the loop plays at the hit's volume
            Mix_Volume(kFirstLoopSlot + hit.index, hitVolume(hit.velocity));
        toggleLoop(hit.index, frame);
    }
    else
        queueHit({hit.index, frame, hitVolume(hit.velocity)});
    SDL_UnlockAudio();
}

void mixHits(Uint8* stream, int32_t frames)
{
    bool any = false;
    for (int channel = 0; channel < kOneShotCount; ++channel)
        any |= mixChannelHits(channel, stream, frames);
    if (!any)
        return;
    const int64_t passEnd = mixedFrames + frames;
    pendingCount = static_cast<int>(std::remove_if(pending, pending + pendingCount,
                                                   [&](const PendingHit& hit)
                                                   { return hit.frame < passEnd; }) -
                                    pending);
}

void retireHitView(int slot)
{
    if (slot >= kOneShotCount)
        return;
    SDL_LockAudio();
    if (slotPartPlaying(slot, &views[slot]))
        Mix_HaltChannel(slot);
    SDL_UnlockAudio();
}

bool hitsPending()
{
    SDL_LockAudio();
    const bool any = pendingCount > 0;
    SDL_UnlockAudio();
    return any;
}

void clearHits()
{
    SDL_LockAudio();
    pendingCount = 0;
    SDL_UnlockAudio();
}
