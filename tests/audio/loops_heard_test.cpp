// What the loop synchroniser and the one-shot pads sound like: the real mixer runs
// its audio thread with the program's callbacks and every pass is tapped as mixed.
#include "app/loop.h"
#include "sound/loops.h"
#include "sound/slots.h"
#include "tests/support/mixtap.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

namespace
{
// Mixes about eleven times faster than real time, so thousands of boundaries pass.
class HeardTest : public ProgramTest
{
  protected:
    HeardTest()
    {
        diskDelayMs = 1;
    }
    void SetUp() override
    {
        ProgramTest::SetUp();
        startMixTap(kTestRate * 120);
    }
};
} // namespace

TEST_F(HeardTest, OneShotPadsPlayTheirSlotOnTheirOwnChannel)
{
    constexpr int kShot = 3000, kControl = 5000;
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        const std::string path = "kits/marked" + std::to_string(slot) + ".wav";
        writeMarkedSound(path, slot, slot == 5 ? kControl : kShot);
        assignSlot(slot, path.c_str(), "marked");
    }
    keyDown(SDLK_2);
    const int64_t loopOn = atFrame(1000, [] { toggleLoop(1); });
    const int64_t first = atFrame(loopOn + 2000, [] { pressIn(kPadBoxes[0]); });
    const int64_t second = atFrame(first + 500, [] { pressIn(kPadBoxes[1]); });
    const int64_t again = atFrame(second + 1000, [] { pressIn(kPadBoxes[1]); });
    waitForFrame(again + kShot + 2 * kControl);
    stopProgram();
    const std::vector<int16_t> left = leftChannel(tappedStream());

    // Pad 0 plays once, whole, whatever pad 1 does; a second press starts pad 1 again.
    EXPECT_EQ(soundSpans(left, 0), (Spans{{first + kMarkFrames, first + kShot}}));
    EXPECT_EQ(soundSpans(left, 1),
              (Spans{{second + kMarkFrames, again}, {again + kMarkFrames, again + kShot}}));
    for (int slot : {2, 3, 4, 6, 7})
        EXPECT_TRUE(soundSpans(left, slot).empty()) << slot;
    // The ends of the one-shots neither stop nor restart the loop.
    const Spans loop = soundSpans(left, 5);
    for (size_t k = 1; k < loop.size(); ++k)
        EXPECT_EQ(loop[k].first - loop[k - 1].first, kControl) << k;
    EXPECT_GE(loop.back().first + kControl, int64_t(left.size()));
}

TEST_F(HeardTest, EveryLoopStartsOnTheFrameOfItsBoundaryAsTheRulesSay)
{
    std::vector<LoopAction> script;
    for (const LoopSetRun& run : kLoopSetRuns)
    {
        const std::vector<LoopAction> played = playLoopSets(run.lengths, run.phaseFrames);
        script.insert(script.end(), played.begin(), played.end());
    }
    stopProgram();
    const std::vector<int16_t> stream = tappedStream();
    const std::vector<int64_t> wrong =
        differingFrames(stream, idealLoopStream(script, int64_t(stream.size() / 2)));
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " frames differ, the first " << wrong.front();
    EXPECT_EQ(audioThreadAllocations(), 0) << "the callbacks allocate nothing";
}
