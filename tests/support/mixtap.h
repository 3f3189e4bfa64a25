// Marked test sounds, the mixed stream as the mixer produced it, and the stream the
// loop synchroniser's rules give.
//
// Every slot's test sound holds a level of its own, a power of two, so the level of
// the mix tells which slots sound in each frame; a short silent head marks where a
// sound starts, so a restart shows even when a sound follows itself.
#pragma once

#include "sound/loops.h"
#include "sound/mixer.h"

#include <SDL/SDL.h>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

constexpr int kMarkFrames = 64; // silent head of every marked sound

// Writes a stereo WAV of `frames` frames for the slot: the silent head, then the slot's level.
void writeMarkedSound(const std::string& path, int slot, int frames);

// Spans [first, last) of frames of a mixed left channel in which the slot sounds.
using Spans = std::vector<std::pair<int64_t, int64_t>>;
Spans soundSpans(const std::vector<int16_t>& left, int slot);

// Records every mixing pass from the mixer's post-mix hook into room made beforehand,
// so the audio thread allocates nothing. The mixer has one post-mix hook, so the tap
// runs the program's, mixPass or the stand-in given, before it records. Call after
// the mixer is open.
void startMixTap(int maxFrames, void (*programHook)(void*, Uint8*, int) = mixPass);

// The frame of the tap that a frame of the mixer's count (mixedFrames) is: the tap
// starts with the pass mixed after it was started.
int64_t tapFrame(int64_t mixerFrame);

// Allocations through operator new on the audio thread, from the tap's first pass on.
long audioThreadAllocations();

// Everything tapped, interleaved stereo; call once the mixer is closed or under the
// audio lock.
std::vector<int16_t> tappedStream();

// Waits in real time until at least `frame` frames are mixed, then runs `action`
// under the audio lock; returns the frame from which its effect is heard.
int64_t atFrame(int64_t frame, const std::function<void()>& action);

// A main-thread action on loop 0-3, heard from `frame` on: a press of its pad or its
// slot given a sound, an empty one when the file given does not decode.
struct LoopAction
{
    int64_t frame;
    int loop;
    std::vector<int16_t> sound;
    bool assigned = false;
};

// Once `frame` frames are mixed, gives the loop's slot an edge-marked sound of
// `frames` frames (the slot's level, its first and last frames marked in the left
// channel by bits slot - 4 and slot), or a file that does not decode when `frames` is
// negative, or presses its pad when it is 0; keeps the action as heard and returns
// its frame.
int64_t actOnLoop(std::vector<LoopAction>* script, int loop, int64_t frame, int frames = 0);

// Plays edge-marked loops of the four lengths through the started program: each set
// of two, three and four loops with each loop in turn as the control loop, the others
// switched on while it runs; in sets of three a running loop's slot re-assigned, in
// sets of four the control loop's, and in every set the control loop switched off,
// each at some frame of a pass. Every loop is off at the end. Odd, unrelated lengths
// put the boundaries on every frame of a pass. Returns the actions as heard.
std::vector<LoopAction> playLoopSets(std::vector<int> lengths, int64_t phaseFrames);

// The runs of playLoopSets that the tests and the benchmark make: loops longer than a
// pass, and loops mostly shorter, which can meet two boundaries in one pass.
struct LoopSetRun
{
    const char* name;
    std::vector<int> lengths;
    int64_t phaseFrames;
};
extern const LoopSetRun kLoopSetRuns[2];

// The frames in which two interleaved stereo streams differ, over the shorter one.
std::vector<int64_t> differingFrames(const std::vector<int16_t>& a, const std::vector<int16_t>& b);

// The stereo stream of `frames` frames that the rules of the loop synchroniser give
// for the actions, exact to the frame, from a start with every loop off and empty. A
// loop without a sound never holds the beat, and while a loop with a sound is on,
// some loop holds it.
std::vector<int16_t> idealLoopStream(const std::vector<LoopAction>& script, int64_t frames);
