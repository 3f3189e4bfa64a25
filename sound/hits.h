// Hits: a pad played from the pointer, a key, a handheld button or a MIDI note.
//
// Every source ends in the same two steps: playHit, the sound, which may run on any
// thread (the MIDI reader calls it the moment a note arrives), and showHit in the pad
// screens, the light, which runs on the main thread.
//
// A hit is heard hitDelayUs after it was made, on the frame the pass clock gives for
// that moment, whatever part of a pass it fell in. The delay is one pass, which a
// hit may have just missed, and a margin for the audio thread being woken early;
// where the device asks for several passes at once, also the passes mixed ahead.
// In the pass that holds its frame the post-mix step mixes the sound's first frames
// in from that frame on, and the channel plays the rest from the next pass on through
// a view into the slot's sound, as loop starts do. The channel's old sound is cut on
// the hit's own frame.
#pragma once

#include "sound/mixer.h"

#include <SDL/SDL_mixer.h>
#include <cstdint>

constexpr int32_t kMaxVelocity = 127; // pointer, keys and buttons: the channel's full volume
constexpr int64_t kPassUs = int64_t(kMixerBuffer) * 1000000 / kMixerRate; // 11.6 ms
constexpr int64_t kHitMarginUs = 2000;
constexpr int64_t kHitDelayUs = kPassUs + kHitMarginUs;  // with one pass per request
constexpr int64_t kMaxHitAheadFrames = 4 * kMixerBuffer; // beyond the passes mixed ahead

enum HitKind : int32_t
{
    kOneShotHit = 0, // slot 0-3 played from its start on its own channel
    kLoopHit = 1,    // loop 0-3 switched on or off, as a loop pad press does
};

struct Hit
{
    HitKind kind;
    int32_t index;    // slot 0-3 for a one-shot, loop 0-3 for a loop
    int32_t velocity; // 1-127; scales the volume of this hit's sound
    int64_t stampUs;  // when it was made, on hitClockUs's clock
};

// Microseconds on the monotonic clock every hit is stamped with.
int64_t hitClockUs();

// The channel volume of a hit: velocity / 127 of the mixer's full volume.
int32_t hitVolume(int32_t velocity);

// The sound of a hit. Any thread; takes the audio lock itself.
void playHit(const Hit& hit);

// The delay from a hit to its first frame: kHitDelayUs and the pass clock's lead.
// Under the audio lock.
int64_t hitDelayUs();

// The frame a hit stamped `stampUs` is heard from: its moment plus the delay on the
// pass clock, or the next pass if that frame is already mixed, and never more than a
// few passes ahead, whatever a line still settling says. Under the audio lock.
int64_t hitFrame(int64_t stampUs);

// Post-mix step, on the audio thread: mixes into the pass (`frames` frames from
// mixedFrames on) the first frames of every hit due in it and hands each channel the
// rest of its newest hit.
void mixHits(Uint8* stream, int32_t frames);

// Stops the slot's channel if it plays a view into the slot's sound, which is about
// to be freed. Hits not yet heard play the sound the slot holds when they are due.
void retireHitView(int slot);

// Whether some one-shot hit is not heard yet. Takes the audio lock.
bool hitsPending();

// Forgets every hit not yet heard: the player is put at rest.
void clearHits();
