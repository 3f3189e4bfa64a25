// The loop synchroniser: loops start together on the control loop's boundary.
//
// The mixer's audio thread runs channelDone while the main thread presses pads, so
// the shared flags are atomics: one byte per flag, one word for the control loop.
#pragma once

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
void channelDone(int channel);

// After the control loop was switched off: the highest other running loop takes over.
void pickControlLoop(int stopped);

// No loop on, none running, no control loop.
void resetLoops();

// Shut-down: clears each loop's running flag, then halts its channel.
void stopLoops();
