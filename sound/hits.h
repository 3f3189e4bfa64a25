// Hits: a pad played from the pointer, a key, a handheld button or a MIDI note.
//
// Every source ends in the same two steps: playHit, the sound, which may run on any
// thread (the MIDI reader calls it the moment a note arrives), and showHit in the pad
// screens, the light, which runs on the main thread.
#pragma once

#include <cstdint>

constexpr int32_t kMaxVelocity = 127; // pointer, keys and buttons: the channel's full volume

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

// The sound of a hit. Any thread; takes the audio lock itself.
void playHit(const Hit& hit);
