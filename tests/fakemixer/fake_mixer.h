// A recording stand-in for the mixer calls of the slot table and the loop
// synchroniser, and for the sound decoder. It keeps which channels play and reports
// ends to channelDone the way SDL_mixer 1.2 does: a halt or a new play on a sounding
// channel reports the end first, while the channel still counts as playing.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct Mix_Chunk;

constexpr int kFakeChannels = 8;

// Every mixer call and end report, in order: "play 6 slot6", "play 6 null", "halt 6",
// "done 6", "free slot6", "load kits/a.wav"; and the main thread's audio lock depth
// at each of them.
extern std::vector<std::string> mixerCalls;
extern std::vector<int> locksAtCall;

extern int audioLocks;              // the main thread's audio lock depth now
extern bool playing[kFakeChannels]; // the channel sounds

// Runs once inside the next decode: the moment when the audio thread may run while
// the main thread decodes.
extern std::function<void()> duringNextDecode;

// Fresh channels, no calls, no hook.
void resetFakeMixer();
void clearMixerCalls();

// A sound that the test puts straight into a slot, named in the call log. Every
// decoded file is one too, named by its path, unless the path starts with "missing".
Mix_Chunk* fakeSound(const std::string& label);

// The channel's sound plays out during mixing: it stops, then its end is reported.
void endPass(int channel);
