// The loop synchroniser: loops start together on the control loop's boundary.
//
// The mixer's audio thread runs channelDone while the main thread presses pads, so
// the shared flags are atomics: one byte per flag, one word for the control loop.
// The main thread changes them only under the audio lock, so a boundary never sees
// a switch half done.
//
// The mixer mixes its channels one after another through each 256-frame pass, so a
// loop started from channelDone would be heard from the start of that pass or of the
// next, not from the boundary's frame. channelDone therefore restarts only the
// control loop, which the mixer carries on from that very frame, and marks the
// others; the boundary's frame follows from the frames mixed so far and the control
// loop's length. passMixed, once the pass is mixed, adds each marked loop's first
// frames to it from the boundary's frame on, and has the loop's channel play the
// rest from the next pass on through a view: a chunk that points into the slot's
// sound and ends where the control loop's pass ends.
#pragma once

#include <SDL/SDL_mixer.h>
#include <atomic>
#include <cstdint>

constexpr int kLoopCount = 4;
constexpr int kFirstLoopSlot = 4; // loop i is slot and channel 4 + i
constexpr int32_t kNoControlLoop = 128;

extern std::atomic<int32_t> canal_control;         // control loop 0-3, or kNoControlLoop
extern std::atomic<uint8_t> sonando[kLoopCount];   // loop is running
extern std::atomic<uint8_t> pulsados2[kLoopCount]; // loop is switched on (running or queued)

// Switches loop 0-3 on or off, from a loop pad press.
void toggleLoop(int loop);

// The mixer's channel-finished callback: the end of the control loop's pass is a
// boundary, where the control loop and every switched-on loop start again.
// Allocates nothing and touches no file, screen or console.
void channelDone(int channel);

// The mixer's post-mix callback: starts the loops channelDone marked, each on the
// boundary's frame, and counts the frames mixed. Allocates nothing.
void passMixed(void* unused, Uint8* stream, int len);

// Stops the slot's channel, without a boundary, if it plays a view into the slot's
// sound. Called before the sound is freed: freeing stops only channels that play
// the sound itself.
void retireLoopView(int slot);

// After a loop slot's sound changed: a control loop left without a sound passes the
// beat on; with no control loop, a loop switched on that now has a sound starts; a
// control loop whose channel is silent without having reported its end (its sound
// was freed, or it had played out before it took control) brings a boundary now.
// Takes the audio lock.
void settleBeat();

// Where the beat is: frames of the control loop's pass mixed since its boundary, and
// the pass's length. False when no control loop runs or it has no sound. Main thread;
// takes the audio lock.
bool beatPosition(int64_t* frame, int64_t* length);

// No loop on, none running, no control loop. Sounds still playing are left alone.
void resetLoops();

// Shut-down: clears each loop's running flag, then halts its channel.
void stopLoops();
