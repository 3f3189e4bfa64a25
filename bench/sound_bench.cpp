// The sound engine's figures: how far from their boundaries loops start and how many
// frames differ from the stream the rules give, what the mixer's callbacks cost, and
// what one frame of each pad screen costs.
#include "app/loop.h"
#include "bench/bench.h"
#include "sound/loops.h"
#include "sound/pads.h"
#include "sound/slots.h"
#include "tests/support/mixtap.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <chrono>
#include <climits>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int kTapFrames = 22050 * 120;
constexpr int kFramesTimed = 2000, kShortFramesTimed = 10;
constexpr int64_t kShortPhaseFrames = 1000;
constexpr size_t kTimed = 1 << 16; // callback durations kept per kind

// Durations in microseconds, in room made beforehand so the audio thread allocates
// nothing.
struct Timings
{
    std::vector<double> boundaries, passesWithStarts, passes;
};
Timings timings;
bool startsInPass;

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

void timedChannelDone(int channel)
{
    const int32_t control = canal_control;
    const bool boundary =
        control != kNoControlLoop && channel == kFirstLoopSlot + control && sonando[control];
    const auto start = std::chrono::steady_clock::now();
    channelDone(channel);
    if (boundary && timings.boundaries.size() < kTimed)
        timings.boundaries.push_back(since(start));
    startsInPass |= boundary;
}

void timedPassMixed(void* unused, Uint8* stream, int len)
{
    const auto start = std::chrono::steady_clock::now();
    mixPass(unused, stream, len);
    const double took = since(start);
    std::vector<double>& into = startsInPass ? timings.passesWithStarts : timings.passes;
    if (into.size() < kTimed)
        into.push_back(took);
    startsInPass = false;
}

void reportCost(const std::string& name, std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double share)
    { return micros.empty() ? 0.0 : micros[size_t(share * double(micros.size() - 1))]; };
    report(name + ", median", at(0.5), "us");
    report(name + ", 99th pct", at(0.99), "us");
}

// Frames where the slot's edge-marked loop starts in a mixed left channel.
std::vector<int64_t> loopStarts(const std::vector<int16_t>& left, int slot)
{
    std::vector<int64_t> starts;
    for (size_t i = 0; i < left.size(); ++i)
        if ((left[i] >> (slot - kFirstLoopSlot)) & 1)
            starts.push_back(int64_t(i));
    return starts;
}

// Plays the sets of loops and compares every frame heard with the rules' stream.
void loopSets(const LoopSetRun& run)
{
    const std::string scenario = run.name;
    resetLoops();
    timings = {};
    for (auto* each : {&timings.boundaries, &timings.passesWithStarts, &timings.passes})
        each->reserve(kTimed);
    Mix_ChannelFinished(timedChannelDone);
    startMixTap(kTapFrames, timedPassMixed);
    const std::vector<LoopAction> script = playLoopSets(run.lengths, run.phaseFrames);
    SDL_LockAudio();
    const std::vector<int16_t> heard = tappedStream();
    Mix_ChannelFinished(channelDone);
    SDL_UnlockAudio();
    const std::vector<int16_t> ideal = idealLoopStream(script, int64_t(heard.size() / 2));

    // Each start the rules give against the nearest start heard of the same loop.
    const std::vector<int16_t> heardLeft = leftChannel(heard), idealLeft = leftChannel(ideal);
    int64_t starts = 0, largest = 0;
    double sum = 0;
    for (int slot = kFirstLoopSlot; slot < kSlotCount; ++slot)
    {
        const std::vector<int64_t> got = loopStarts(heardLeft, slot);
        for (int64_t wanted : loopStarts(idealLeft, slot))
        {
            const auto after = std::lower_bound(got.begin(), got.end(), wanted);
            int64_t off = INT64_MAX;
            if (after != got.end())
                off = *after - wanted;
            if (after != got.begin())
                off = std::min(off, wanted - *(after - 1));
            largest = std::max(largest, off);
            sum += double(off);
            ++starts;
        }
    }
    report(scenario + ": frames compared", double(heard.size() / 2), "frames");
    report(scenario + ": loop starts", double(starts), "starts");
    report(scenario + ": starts off their boundary, largest", double(largest), "frames");
    report(scenario + ": starts off their boundary, mean", starts ? sum / double(starts) : 0.0,
           "frames");
    report(scenario + ": frames unlike the rules' stream",
           double(differingFrames(heard, ideal).size()), "frames");
    report(scenario + ": audio-thread allocations", double(audioThreadAllocations()), "");
    reportCost(scenario + ": channelDone at a boundary", timings.boundaries);
    reportCost(scenario + ": post-mix with starts", timings.passesWithStarts);
    reportCost(scenario + ": post-mix, other passes", timings.passes);
}

double microsecondsPerFrame()
{
    const int frames = scaled(kFramesTimed, kShortFramesTimed);
    const double start = nowSeconds();
    for (int i = 0; i < frames; ++i)
        frame();
    return (nowSeconds() - start) * 1e6 / frames;
}

void padFrames()
{
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        const std::string path = "kits/bench" + std::to_string(slot) + ".wav";
        writeMarkedSound(path, slot, 22050);
        assignSlot(slot, path.c_str(), "bench_pad.wav");
    }
    switchScreen(kSamplePads);
    pulsados[0] = pulsados[3] = 1;
    t_pulsados[0] = t_pulsados[3] = kFramesTimed; // lit throughout
    report("one frame of screen 2 (one-shot pads)", microsecondsPerFrame(), "us");
    resetLoops();
    toggleLoop(0);
    toggleLoop(2);
    switchScreen(kLoopPads);
    report("one frame of screen 3 (loop pads)", microsecondsPerFrame(), "us");
    stopLoops();
}

void soundBench()
{
    const std::string stage = enterStage("dummy", "disk");
    if (benchShort) // the loops under a pass, their actions closer together
        loopSets({"short", kLoopSetRuns[1].lengths, kShortPhaseFrames});
    else
        for (const LoopSetRun& run : kLoopSetRuns)
            loopSets(run);
    padFrames();
    leaveStage(stage);
}

const bool registered = registerBench("sound", soundBench);
} // namespace
