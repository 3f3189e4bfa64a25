// What the loop synchroniser and the one-shot pads sound like: the real mixer runs
// its audio thread with the program's callbacks, every pass is tapped as mixed, and
// the checks look at where sounds start and stop relative to each other and to the
// frame from which a main-thread action is heard, or at every frame.
#include "app/loop.h"
#include "sound/loops.h"
#include "sound/mixer.h"
#include "sound/slots.h"
#include "tests/support/mixtap.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <cstdlib>

namespace
{
constexpr int64_t kPass = kMixerBuffer;
constexpr int kControlFrames = 5000;
constexpr int kTail = 300;

class HeardTest : public ProgramTest
{
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        startMixTap(tapFrames);
    }

    int tapFrames = kTestRate * 10;

    // Writes a marked sound for the slot into loops/ and returns its path.
    static std::string marked(int slot, int frames, int tail = kTail)
    {
        const std::string path =
            "loops/marked" + std::to_string(slot) + "_" + std::to_string(frames) + ".wav";
        writeMarkedSound(path, slot, frames, tail);
        return path;
    }

    static void sound(int slot, int frames, int tail = kTail)
    {
        assignSlot(slot, marked(slot, frames, tail).c_str(), "marked");
    }

    // The mixed stream, once the program has shut down.
    std::vector<int16_t> heard()
    {
        stopProgram();
        EXPECT_TRUE(captureEndsWithTap(readCapture(audioFile)));
        EXPECT_TRUE(everyPassWhole());
        return tappedLeft();
    }
};

// Each boundary comes exactly one control loop's length after the one before.
void expectPeriod(const std::vector<int64_t>& boundaries, int64_t length)
{
    for (size_t k = 1; k < boundaries.size(); ++k)
        EXPECT_EQ(boundaries[k] - boundaries[k - 1], length) << "boundary " << k;
}

// A loop switched on at `from`: silent until the first boundary after it, then
// started on every boundary until the stream ends.
void expectStartsOnBoundaries(const std::vector<int16_t>& left, int slot, int64_t from,
                              const std::vector<int64_t>& boundaries)
{
    const std::vector<int64_t> starts = soundStarts(left, slot);
    size_t k = 0;
    for (int64_t boundary : boundaries)
    {
        if (boundary < from || boundary + kPass + kMarkFrames >= int64_t(left.size()))
            continue;
        ASSERT_LT(k, starts.size()) << "slot " << slot << " missed the boundary at " << boundary;
        EXPECT_EQ(starts[k], boundary) << "slot " << slot;
        ++k;
    }
    ASSERT_GT(k, 0u);
    EXPECT_GE(starts.front(), from) << "slot " << slot << " sounded before its first boundary";
}

// Mixes about eleven times faster than real time, so thousands of boundaries pass.
class ExactTest : public HeardTest
{
  protected:
    ExactTest()
    {
        diskDelayMs = 1;
        tapFrames = kTestRate * 120;
    }
};
} // namespace

TEST_F(HeardTest, OneShotPadsPlayTheirSlotOnTheirOwnChannel)
{
    constexpr int kShot = 3000;
    for (int slot = 0; slot < 4; ++slot)
        sound(slot, kShot, 0);
    sound(5, kControlFrames);
    keyDown(SDLK_2);
    const int64_t loopOn = atFrame(1000, [] { toggleLoop(1); });
    const int64_t first = atFrame(loopOn + 2000, [] { pressIn(kPadBoxes[0]); });
    const int64_t second = atFrame(first + 500, [] { pressIn(kPadBoxes[1]); });
    const int64_t again = atFrame(second + 1000, [] { pressIn(kPadBoxes[1]); });
    waitForFrame(again + kShot + 2 * kControlFrames);
    const std::vector<int16_t> left = heard();

    // Pad 0 plays once, whole, whatever pad 1 does; a second press starts pad 1 again.
    const std::vector<Span> pad0 = soundSpans(left, 0), pad1 = soundSpans(left, 1);
    ASSERT_EQ(pad0.size(), 1u);
    EXPECT_EQ(pad0[0].first, first + kMarkFrames);
    EXPECT_EQ(pad0[0].last, first + kShot);
    ASSERT_EQ(pad1.size(), 2u);
    EXPECT_EQ(pad1[0].first, second + kMarkFrames);
    EXPECT_EQ(pad1[0].last, again);
    EXPECT_EQ(pad1[1].first, again + kMarkFrames);
    EXPECT_EQ(pad1[1].last, again + kShot);
    for (int slot : {2, 3, 4, 6, 7})
        EXPECT_TRUE(soundSpans(left, slot).empty()) << slot;

    // The ends of the one-shots neither stop nor restart the loop.
    const std::vector<int64_t> boundaries = soundStarts(left, 5);
    expectPeriod(boundaries, kControlFrames);
    EXPECT_GE(boundaries.back() + kControlFrames + kMarkFrames, int64_t(left.size()));
}

// Freeing a sound silences its channel without reporting its end, so a control loop
// whose sound is replaced would never bring another boundary.
TEST_F(HeardTest, ReplacingTheSoundOfARunningLoopNeverStallsTheLoops)
{
    constexpr int kNewControl = 4000;
    sound(5, kControlFrames);
    sound(6, 3000);
    const int64_t on1 = atFrame(1000, [] { toggleLoop(1); });
    atFrame(on1 + 1000, [] { toggleLoop(2); });
    const std::string newControl = marked(5, kNewControl);
    waitForFrame(on1 + 2 * kControlFrames + 1500);
    const int64_t before = mixPosition();
    assignSlot(5, newControl.c_str(), "new");
    const int64_t after = mixPosition();
    waitForFrame(after + 5 * kNewControl + kNewControl / 2); // shut down between boundaries
    const std::vector<int16_t> left = heard();

    const std::vector<int64_t> boundaries = soundStarts(left, 5);
    const auto replaced = std::lower_bound(boundaries.begin(), boundaries.end(), before);
    ASSERT_GE(boundaries.end() - replaced, 5) << "the loops go on after the replacement";
    EXPECT_LE(*replaced, after + kPass) << "a boundary as soon as the new sound is stored";
    expectPeriod(std::vector<int64_t>(replaced, boundaries.end()), kNewControl);
    expectStartsOnBoundaries(left, 6, on1 + 1000, boundaries);
}

TEST_F(ExactTest, EveryLoopStartsOnTheFrameOfItsBoundaryAsTheRulesSay)
{
    std::vector<LoopAction> script;
    for (const LoopSetRun& run : kLoopSetRuns)
    {
        const std::vector<LoopAction> played = playLoopSets(run.lengths, run.phaseFrames);
        script.insert(script.end(), played.begin(), played.end());
    }
    heard();
    const std::vector<int16_t> stream = tappedStream();
    const std::vector<int16_t> ideal = idealLoopStream(script, int64_t(stream.size() / 2));
    const std::vector<int64_t> wrong = differingFrames(stream, ideal);
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " frames differ, the first " << wrong.front();
    EXPECT_EQ(audioThreadAllocations(), 0) << "the callbacks allocate nothing";
}
