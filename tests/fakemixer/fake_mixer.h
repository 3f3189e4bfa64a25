// A recording stand-in for the mixer calls of the slot table, the loop synchroniser
// and the mixer set-up, and for the sound decoder. It keeps which channels play and
// reports ends to the channel-finished hook the way SDL_mixer 1.2 does: a halt or a
// new play on a sounding channel reports the end first, while the channel still
// counts as playing. It counts frames in passes of the mixer's size and ends each
// pass with the post-mix hook.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct Mix_Chunk;

constexpr int kFakeChannels = 8;

// Every mixer call and end report, in order: "play 6 slot6", "play 6 null", "halt 6",
// "done 6", "free slot6", "load kits/a.wav"; a part of a sound played or mixed in the
// post-mix hook as "play 4 slot4[24:1000]" and "mix slot4[0:24] at 232" (frames of
// the sound, frame of the pass); and the main thread's audio lock depth at each.
extern std::vector<std::string> mixerCalls;
extern std::vector<int> locksAtCall;

extern int audioLocks;              // the main thread's audio lock depth now
extern bool playing[kFakeChannels]; // the channel sounds

// Runs once inside the next decode: the moment when the audio thread may run while
// the main thread decodes.
extern std::function<void()> duringNextDecode;

// Fresh channels, no calls, no hooks: ends are reported to the channel-finished hook
// and passes end with the post-mix hook that the program registers.
void resetFakeMixer();
void clearMixerCalls();

constexpr int kFakeSoundFrames = 1000;

// A sound that the test puts straight into a slot, named in the call log. Every
// decoded file is one too, named by its path, unless the path starts with "missing".
Mix_Chunk* fakeSound(const std::string& label, int frames = kFakeSoundFrames);

// Passes are mixed until the one in which the channel's sound plays out: there it
// stops, its end is reported, and the pass ends. Other channels' ends are not reported.
void endPass(int channel);
