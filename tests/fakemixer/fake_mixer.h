// A recording stand-in for the mixer calls of the slot table and the loop
// synchroniser. It keeps which channels play and reports ends to channelDone the
// way SDL_mixer 1.2 does: a halt or a new play on a sounding channel reports the
// end first, while the channel still counts as playing. It stands in for the sound
// decoder too, which hands every file to its loader.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct Mix_Chunk;

// Every mixer call and every end report, in order: "play 6 slot6", "play 6 null",
// "halt 6", "done 6", "free slot6", "load kits/a.wav".
const std::vector<std::string>& mixerCalls();
void clearMixerCalls();

// The loop state and the main thread's audio lock depth at the time of a call.
struct CallState
{
    int control;
    unsigned running; // bit i: loop i's running flag
    int locks;
};
const std::vector<CallState>& callStates();

// Fresh channels, no calls, no sounds, no hook.
void resetFakeMixer();

// A sound that the test puts straight into a slot, named in the call log.
Mix_Chunk* fakeSound(const std::string& label);

// The channel's sound plays out during mixing: it stops, then its end is reported.
void endPass(int channel);

bool fakePlaying(int channel);

// Runs inside the next decode, after the file is opened: the moment when the
// audio thread may run while the main thread decodes.
void duringNextDecode(std::function<void()> hook);

// Audio lock depth of the main thread right now.
int lockDepth();
