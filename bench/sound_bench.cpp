// The sound engine's figures: how far from the control loop's boundary the other
// loops start, in captured streams of a few scenarios, and what one frame of each
// pad screen costs.
#include "app/loop.h"
#include "app/shell.h"
#include "bench/bench.h"
#include "sound/loops.h"
#include "sound/pads.h"
#include "sound/slots.h"
#include "tests/support/mixtap.h"
#include "tests/support/stage.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int kTapFrames = 22050 * 40;
constexpr int kFramesTimed = 2000;
constexpr int kTail = 300;

struct Loop
{
    int index;
    int frames;
};

// The program started in a copy of the stage, with the disk driver running fast.
struct Program
{
    std::string home, stage;

    Program()
    {
        char cwd[4096];
        home = getcwd(cwd, sizeof cwd) ? cwd : ".";
        stage = makeStageCopy();
        if (chdir(stage.c_str()) != 0)
            abort();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", (stage + "/audio.raw").c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
        startUp();
    }

    ~Program()
    {
        shutDown();
        if (chdir(home.c_str()) != 0)
            abort();
        removeTree(stage);
    }
};

void assignLoop(const Loop& loop)
{
    const int slot = kFirstLoopSlot + loop.index;
    const std::string path = "loops/bench" + std::to_string(slot) + ".wav";
    writeMarkedSound(path, slot, loop.frames, kTail);
    assignSlot(slot, path.c_str(), "bench");
}

// Offsets of every start of the loops from the nearest boundary.
void addOffsets(const std::vector<int16_t>& left, const std::vector<int64_t>& boundaries,
                const std::vector<int>& slots, int64_t from, int64_t to,
                std::vector<int64_t>* offsets)
{
    for (int slot : slots)
        for (int64_t start : soundStarts(left, slot))
        {
            if (start < from || start >= to)
                continue;
            int64_t nearest = INT64_MAX;
            for (int64_t b : boundaries)
                if (std::abs(start - b) < std::abs(nearest))
                    nearest = start - b;
            offsets->push_back(nearest);
        }
}

void reportOffsets(const std::string& scenario, const std::vector<int64_t>& offsets)
{
    int64_t largest = 0, sum = 0;
    for (int64_t offset : offsets)
    {
        largest = std::max(largest, std::abs(offset));
        sum += std::abs(offset);
    }
    report(scenario + ": starts measured", double(offsets.size()), "starts");
    report(scenario + ": largest offset", double(largest), "frames");
    report(scenario + ": mean offset", offsets.empty() ? 0.0 : double(sum) / double(offsets.size()),
           "frames");
}

// The first loop is switched on alone and becomes the control loop; the others are
// switched on one after another and start at its boundaries.
void inStep(const std::string& scenario, const Loop& control, const std::vector<Loop>& others,
            int boundaries)
{
    resetLoops();
    assignLoop(control);
    for (const Loop& loop : others)
        assignLoop(loop);
    startMixTap(kTapFrames);
    const int64_t on = atFrame(1000, [&] { toggleLoop(control.index); });
    int64_t at = on;
    for (const Loop& loop : others)
        at = atFrame(at + control.frames / 3, [&] { toggleLoop(loop.index); });
    waitForFrame(on + int64_t(boundaries) * control.frames);
    stopLoops();
    SDL_LockAudio();
    const std::vector<int16_t> left = tappedLeft();
    SDL_UnlockAudio();

    std::vector<int> slots;
    for (const Loop& loop : others)
        slots.push_back(kFirstLoopSlot + loop.index);
    std::vector<int64_t> offsets;
    addOffsets(left, soundStarts(left, kFirstLoopSlot + control.index), slots, 0,
               int64_t(left.size()), &offsets);
    reportOffsets(scenario, offsets);
}

// Loop 1 controls loops 3 and 0 until it is switched off; then loop 3 controls.
void handOver()
{
    const Loop first{1, 5000}, second{3, 6007}, third{0, 2003};
    resetLoops();
    for (const Loop& loop : {first, second, third})
        assignLoop(loop);
    startMixTap(kTapFrames);
    const int64_t on = atFrame(1000, [] { toggleLoop(1); });
    atFrame(on + 1000, [] { toggleLoop(3); });
    atFrame(on + 2000, [] { toggleLoop(0); });
    const int64_t off = atFrame(on + 8 * first.frames + 2500, [] { toggleLoop(1); });
    waitForFrame(off + 10 * second.frames);
    stopLoops();
    SDL_LockAudio();
    const std::vector<int16_t> left = tappedLeft();
    SDL_UnlockAudio();

    std::vector<int64_t> before, after;
    for (int64_t b : soundStarts(left, kFirstLoopSlot + 1))
        before.push_back(b);
    for (int64_t b : soundStarts(left, kFirstLoopSlot + 3))
        if (b >= off)
            after.push_back(b);
    std::vector<int64_t> offsets;
    addOffsets(left, before, {kFirstLoopSlot + 3, kFirstLoopSlot + 0}, 0, off, &offsets);
    addOffsets(left, after, {kFirstLoopSlot + 0}, off, int64_t(left.size()), &offsets);
    reportOffsets("hand-over to loop 3", offsets);
}

double microsecondsPerFrame()
{
    const double start = nowSeconds();
    for (int i = 0; i < kFramesTimed; ++i)
        frame();
    return (nowSeconds() - start) * 1e6 / kFramesTimed;
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
    Program program;
    inStep("2 loops, other channel above", {1, 5000}, {{3, 3001}}, 20);
    inStep("2 loops, other channel below", {2, 5000}, {{0, 7919}}, 20);
    inStep("4 loops, unrelated lengths", {2, 7001}, {{0, 3001}, {1, 5003}, {3, 9007}}, 25);
    handOver();
    padFrames();
}

const bool registered = registerBench("sound", soundBench);
} // namespace
