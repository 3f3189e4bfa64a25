// The loop synchroniser: loops start together on the control loop's boundary.
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
//
// Threads. The audio thread runs channelDone (from the mixer, mid-pass, at the frame
// where a sound ends) and passMixed (from the post-mix step, once per pass), both
// with SDL's audio lock held. channelDone also runs on whichever thread halts a
// sounding channel or frees its sound, inside Mix_HaltChannel or Mix_FreeChunk: the
// main thread, or a MIDI hit. Every other function here runs on the main thread or,
// for toggleLoop, on any thread that hits a pad, and takes the audio lock itself, so
// a boundary never falls inside a switch. SDL 1.2's audio lock is a recursive mutex:
// the callbacks and the locked functions below call mixer functions that take it
// again (Mix_PlayChannelTimed, Mix_HaltChannel, Mix_Volume), which SDL_mixer 1.2
// allows from inside its callbacks in the version padbox is built on, as they only
// change channel state under that same lock. Nothing here waits on the main thread.
//
// The flags are atomics, one byte per flag and one word for the control loop, so the
// pad screens read them between frames without the lock.
#pragma once

#include <SDL/SDL_mixer.h>
#include <atomic>
#include <cstdint>

constexpr int kLoopCount = 4;
constexpr int kFirstLoopSlot = 4; // loop i is slot and channel 4 + i
constexpr int32_t kNoControlLoop = 128;
constexpr int64_t kNextPass = -1; // a switch heard from the next pass mixed

extern std::atomic<int32_t> canal_control;         // control loop 0-3, or kNoControlLoop
extern std::atomic<uint8_t> sonando[kLoopCount];   // loop is running
extern std::atomic<uint8_t> pulsados2[kLoopCount]; // loop is switched on (running or queued)

// Switches loop 0-3 on or off, as a loop pad press does. A loop switched on while no
// loop holds the beat starts on `frame` (a hit's frame), or with the next pass mixed.
// Takes the audio lock.
void toggleLoop(int loop, int64_t frame = kNextPass);

// The mixer's channel-finished callback: the end of the control loop's pass is a
// boundary, where the control loop and every switched-on loop start again.
// Allocates nothing and touches no file, screen or console.
void channelDone(int channel);

// Post-mix step on the audio thread, for the pass of `frames` frames from mixedFrames
// on: starts the control loop switched on for a frame in it, and the loops
// channelDone marked, each on its boundary's frame. Allocates nothing.
void passMixed(Uint8* stream, int32_t frames);

// Whether the control loop was switched on for a frame not mixed yet. Under the
// audio lock.
bool controlStartPending();

// Stops the slot's channel, without a boundary, if it plays a view into the slot's
// sound. Called before the sound is freed: freeing stops only channels that play
// the sound itself. Takes the audio lock.
void retireLoopView(int slot);

// After a loop slot's sound changed: a control loop left without a sound passes the
// beat on; with no control loop, a loop switched on that now has a sound starts; a
// control loop whose channel is silent without having reported its end (its sound
// was freed, or it had played out before it took control) brings a boundary now.
// Takes the audio lock.
void settleBeat();

// Where the beat is: the control loop, frames of its pass mixed since its boundary,
// and the pass's length, read together. False when no control loop runs or it has no
// sound. Takes the audio lock.
bool beatPosition(int32_t* loop, int64_t* frame, int64_t* length);

// No loop on, none running, no control loop. Sounds still playing are left alone.
// Takes the audio lock.
void resetLoops();

// Shut-down: clears each loop's running flag, then halts its channel. Takes the
// audio lock.
void stopLoops();
