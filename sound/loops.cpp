#include "sound/loops.h"

#include "sound/mixer.h"
#include "sound/passclock.h"
#include "sound/slots.h"

#include <algorithm>
#include <utility>

std::atomic<int32_t> canal_control{kNoControlLoop};
std::atomic<uint8_t> sonando[kLoopCount];
std::atomic<uint8_t> pulsados2[kLoopCount];

namespace
{
constexpr int kQueryVolume = -1;

// The mixer holds the audio lock while it mixes and calls back, and the main thread
// touches these only under it.
int64_t boundaryAt;            // frame of the last boundary: the control loop's pass began there
int passFrames = kMixerBuffer; // frames of the last pass
int boundaryOffsets[kMixerBuffer]; // boundaries in the pass being mixed, frames from its start
int boundaryCount;
bool marked[kLoopCount];      // starts at the boundaries of the pass being mixed
Mix_Chunk views[kLoopCount];  // the part of the loop's sound that its channel plays
bool retiring;                // a view is being stopped: its end is no boundary
int64_t startsAt = kNextPass; // frame on which the control loop, switched on alone, starts

int loopChannel(int loop)
{
    return kFirstLoopSlot + loop;
}

// Frames of the loop's sound heard in one pass of the control loop: all of them, or
// those before the control loop's end, where the next boundary cuts the loop.
int64_t passLength(int loop, int32_t control)
{
    const int64_t own = slotFrames(loopChannel(loop));
    return control == kNoControlLoop || !samples[loopChannel(control)]
               ? own
               : std::min(own, slotFrames(loopChannel(control)));
}

void playLoop(int loop)
{
    playSlot(loopChannel(loop));
}

// The loop's channel plays frames [from, to) of the slot's sound, or falls silent
// when there are none. An empty slot plays nothing, as the mixer refuses it.
void playPart(int loop, int64_t from, int64_t to)
{
    playSlotPart(loopChannel(loop), &views[loop], from, to);
}

// Mixes the loop's first frames into the pass from each of its boundaries on, as the
// mixer would have mixed them, and has its channel play the rest of the loop's pass
// from the next pass on.
void startInPass(int loop, Uint8* stream)
{
    const int channel = loopChannel(loop);
    if (!samples[channel])
        return;
    const int64_t length = passLength(loop, canal_control);
    const int volume = Mix_Volume(channel, kQueryVolume);
    for (int k = 0; k < boundaryCount; ++k)
    {
        const int from = boundaryOffsets[k];
        const int to = k + 1 < boundaryCount ? boundaryOffsets[k + 1] : passFrames;
        mixSlotHead(stream, channel, volume, from, std::min<int64_t>(to - from, length));
    }
    playPart(loop, passFrames - boundaryOffsets[boundaryCount - 1], length);
}

// A loop holds the beat only with a sound that ends: a loop without one would bring
// no boundary, and every loop waiting for it would wait for ever.
bool hasSound(int loop)
{
    return slotFrames(loopChannel(loop)) > 0;
}

// A boundary between two passes, raised on the main thread: the channels start every
// loop on the first frame of the next pass by themselves. It supersedes the starts
// that a halt's report marked for that same frame.
void boundaryNow(int32_t control)
{
    boundaryAt = mixedFrames;
    boundaryCount = 0;
    playLoop(control);
    sonando[control] = 1;
    for (int i = 0; i < kLoopCount; ++i)
    {
        marked[i] = false;
        if (pulsados2[i] && i != canal_control)
        {
            playPart(i, 0, passLength(i, control));
            sonando[i] = 1;
        }
    }
}

bool viewPlaying(int loop)
{
    return slotPartPlaying(loopChannel(loop), &views[loop]);
}

// The loops' views end where the old control loop's pass ends; after a hand-over
// they play on to where the new control loop's pass ends, as the loops themselves
// would.
void fitViewsTo(int32_t control)
{
    for (int i = 0; i < kLoopCount; ++i)
    {
        if (!sonando[i] || !samples[loopChannel(i)] || marked[i] || !viewPlaying(i))
            continue; // a loop marked at this boundary starts again anyway
        if (slotPartEnd(loopChannel(i), &views[i]) != passLength(i, control))
            playPart(i, mixedFrames - boundaryAt, passLength(i, control));
    }
}

void switchOn(int loop, int64_t frame)
{
    if (canal_control != kNoControlLoop)
        return; // queued for the next boundary
    if (!hasSound(loop))
    {
        sonando[loop] = 1; // on and silent, holding no beat
        return;
    }
    canal_control = loop;
    if (frame > mixedFrames)
    {
        boundaryAt = startsAt = frame; // the post-mix step of that frame's pass starts it
        sonando[loop] = 1;
        return;
    }
    boundaryAt = mixedFrames;
    playLoop(loop);
    sonando[loop] = 1; // after the play, so a report of what the channel played before is ignored
}

// Mixes the control loop in from the frame it was switched on for, again at each of
// its ends within the pass, and has its channel play on from the next pass.
void startControlInPass(Uint8* stream)
{
    const int32_t control = canal_control;
    const int channel = loopChannel(control);
    const int64_t length = slotFrames(channel);
    int64_t from = startsAt - mixedFrames;
    startsAt = kNextPass;
    if (length == 0)
        return;
    const int volume = Mix_Volume(channel, kQueryVolume);
    for (; from < passFrames; from += length)
        mixSlotHead(stream, channel, volume, from, passFrames - from);
    from -= length; // the last start in the pass
    boundaryAt = mixedFrames + from;
    if (passFrames - from == length)
    {
        boundaryAt = mixedFrames + passFrames;
        playLoop(control);
    }
    else
        playPart(control, passFrames - from, length);
}

// A boundary now, if the running control loop's channel is silent without having
// reported its end: its sound was freed, or it had played out before it took control.
void resumeControlLoop()
{
    const int32_t control = canal_control;
    if (control != kNoControlLoop && sonando[control] && startsAt == kNextPass &&
        !Mix_Playing(loopChannel(control)))
        boundaryNow(control);
}

// The highest loop other than `stopped` for which `eligible` holds and that has a
// sound, or kNoControlLoop.
template <typename Flags>
int32_t highestWithSound(const Flags& eligible, int stopped)
{
    int32_t candidate = kNoControlLoop;
    for (int i = 0; i < kLoopCount; ++i)
        if (eligible[i] && i != stopped && hasSound(i))
            candidate = i;
    return candidate;
}

// The beat leaves `stopped`: the highest other running loop with a sound takes it
// and plays on; with none, the loops switched on start together now and the highest
// of them with a sound takes it; with none of those either, there is no control loop.
void pickControlLoop(int stopped)
{
    startsAt = kNextPass;
    const int32_t running = highestWithSound(sonando, stopped);
    if (running != kNoControlLoop)
    {
        fitViewsTo(running); // before the hand-over, so the views' reports restart nothing
        canal_control = running;
        resumeControlLoop(); // a new control loop that already played out brings no boundary
        return;
    }
    canal_control = kNoControlLoop;
    const int32_t waiting = highestWithSound(pulsados2, stopped);
    if (waiting != kNoControlLoop)
    {
        canal_control = waiting;
        boundaryNow(waiting);
    }
}

void switchOff(int loop)
{
    sonando[loop] = 0; // before the halt, so the halt's own report restarts nothing
    Mix_HaltChannel(loopChannel(loop));
    if (canal_control == loop)
        pickControlLoop(loop);
}
} // namespace

void toggleLoop(int loop, int64_t frame)
{
    SDL_LockAudio(); // a boundary falls before or after the whole switch, never inside it
    const uint8_t wasOn = pulsados2[loop];
    pulsados2[loop] = !wasOn;
    if (wasOn)
        switchOff(loop);
    else
        switchOn(loop, frame);
    SDL_UnlockAudio();
}

void channelDone(int channel)
{
    const int32_t control = canal_control;
    if (retiring || control == kNoControlLoop || channel != loopChannel(control) ||
        !sonando[control] || startsAt != kNextPass)
        return; // a control loop yet to start has no pass to end
    // The control loop's pass ends where it was bound to; the mixer carries the
    // control loop on from this very frame.
    const int64_t offset =
        std::clamp<int64_t>(boundaryAt + slotFrames(channel) - mixedFrames, 0, passFrames);
    boundaryAt = mixedFrames + offset;
    playLoop(control); // the channel has stopped, so this play reports nothing
    if (boundaryCount == kMixerBuffer)
        --boundaryCount; // loops this short keep only the pass's latest boundaries
    boundaryOffsets[boundaryCount++] = static_cast<int>(offset);
    for (int i = 0; i < kLoopCount; ++i)
    {
        if (pulsados2[i] && i != canal_control)
        {
            marked[i] = true;
            sonando[i] = 1;
        }
    }
}

void passMixed(Uint8* stream, int32_t frames)
{
    passFrames = frames;
    if (startsAt != kNextPass && startsAt < mixedFrames + passFrames)
        startControlInPass(stream);
    for (int i = 0; i < kLoopCount; ++i)
        if (std::exchange(marked[i], false))
            startInPass(i, stream);
    boundaryCount = 0;
}

bool controlStartPending()
{
    return startsAt != kNextPass;
}

void retireLoopView(int slot)
{
    if (slot < kFirstLoopSlot)
        return;
    SDL_LockAudio();
    retiring = true;
    if (viewPlaying(slot - kFirstLoopSlot))
        Mix_HaltChannel(slot);
    retiring = false;
    SDL_UnlockAudio();
}

void settleBeat()
{
    SDL_LockAudio();
    const int32_t control = canal_control;
    if (control == kNoControlLoop || !hasSound(control))
        pickControlLoop(control);
    else
        resumeControlLoop();
    SDL_UnlockAudio();
}

bool beatPosition(int32_t* loop, int64_t* frame, int64_t* length)
{
    SDL_LockAudio();
    const int32_t control = canal_control;
    const bool running = control != kNoControlLoop && sonando[control] && hasSound(control);
    if (running)
    {
        *loop = control;
        *length = slotFrames(loopChannel(control));
        *frame = std::clamp<int64_t>(mixedFrames - boundaryAt, 0, *length);
    }
    SDL_UnlockAudio();
    return running;
}

void resetLoops()
{
    SDL_LockAudio();
    canal_control = kNoControlLoop;
    startsAt = kNextPass;
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
