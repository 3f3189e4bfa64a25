// What the loop synchroniser and the one-shot pads sound like: the real mixer runs
// its audio thread with the program's callback, every pass is tapped as mixed, and
// the checks look only at where sounds start and stop relative to each other and
// to the frame from which a main-thread action is heard.
#include "app/loop.h"
#include "sound/loops.h"
#include "sound/slots.h"
#include "tests/support/mixtap.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <cstdlib>

namespace
{
constexpr int64_t kPass = 256; // frames the mixer mixes at a time
constexpr int kTapFrames = kTestRate * 10;
constexpr int kControlFrames = 5000;
constexpr int kTail = 300;

class HeardTest : public ProgramTest
{
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        startMixTap(kTapFrames);
    }

    // Writes a marked sound for the slot into loops/ and returns its path.
    static std::string marked(int slot, int frames, int tail)
    {
        const std::string path =
            "loops/marked" + std::to_string(slot) + "_" + std::to_string(frames) + ".wav";
        writeMarkedSound(path, slot, frames, tail);
        return path;
    }

    static void sound(int slot, int frames, int tail)
    {
        assignSlot(slot, marked(slot, frames, tail).c_str(), "marked");
    }

    // The mixed stream, once the program has shut down.
    std::vector<int16_t> heard()
    {
        stopProgram();
        EXPECT_TRUE(captureEndsWithTap(readCapture(audioFile)))
            << "the disk driver wrote what was tapped";
        return tappedLeft();
    }
};

// The control loop's boundaries: each pass starts exactly one length after the last.
std::vector<int64_t> controlBoundaries(const std::vector<int16_t>& left, int slot, int length)
{
    const std::vector<int64_t> starts = soundStarts(left, slot);
    for (size_t k = 1; k < starts.size(); ++k)
        EXPECT_EQ(starts[k] - starts[k - 1], length) << "pass " << k << " of slot " << slot;
    return starts;
}

// A loop switched on at `from`: silent until the first boundary after it, then
// started within one mixing pass of every boundary until the stream ends.
void expectStartsOnBoundaries(const std::vector<int16_t>& left, int slot, int64_t from,
                              const std::vector<int64_t>& boundaries)
{
    const std::vector<int64_t> starts = soundStarts(left, slot);
    const int64_t end = int64_t(left.size());
    size_t k = 0;
    for (int64_t boundary : boundaries)
    {
        if (boundary < from || boundary + kPass + kMarkFrames >= end)
            continue;
        ASSERT_LT(k, starts.size()) << "slot " << slot << " missed the boundary at " << boundary;
        EXPECT_LT(std::llabs(starts[k] - boundary), kPass)
            << "slot " << slot << " started at " << starts[k] << ", boundary at " << boundary;
        ++k;
    }
    ASSERT_GT(k, 0u);
    EXPECT_GE(starts.front(), from) << "slot " << slot << " sounded before its first boundary";
}

void expectSilent(const std::vector<int16_t>& left, std::initializer_list<int> slots)
{
    for (int slot : slots)
        EXPECT_TRUE(soundSpans(left, slot).empty()) << "slot " << slot;
}

TEST_F(HeardTest, LoopsStartOnTheControlLoopsBoundariesAndStayInStep)
{
    constexpr int kShort = 3000, kShortTail = 200, kLong = 8000;
    sound(5, kControlFrames, kTail);
    sound(4, kShort, kShortTail);
    sound(7, kLong, kTail);
    const int64_t on1 = atFrame(2000, [] { toggleLoop(1); });
    const int64_t on0 = atFrame(on1 + 7000, [] { toggleLoop(0); });
    const int64_t on3 = atFrame(on0 + 1500, [] { toggleLoop(3); });
    waitForFrame(on1 + 7 * kControlFrames);
    const std::vector<int16_t> left = heard();

    const std::vector<int64_t> boundaries = controlBoundaries(left, 5, kControlFrames);
    ASSERT_GE(boundaries.size(), 7u);
    EXPECT_EQ(boundaries.front(), on1) << "the first loop switched on starts at once";
    expectStartsOnBoundaries(left, 4, on0, boundaries);
    expectStartsOnBoundaries(left, 7, on3, boundaries);

    const std::vector<Span> shortPasses = soundSpans(left, 4);
    for (size_t k = 0; k + 1 < shortPasses.size(); ++k)
        EXPECT_EQ(shortPasses[k].last - shortPasses[k].first, kShort - kMarkFrames - kShortTail)
            << "the shorter loop plays out, then waits for the boundary";

    const std::vector<Span> longPasses = soundSpans(left, 7);
    const std::vector<int64_t> longStarts = soundStarts(left, 7);
    for (size_t k = 0; k + 1 < longPasses.size(); ++k)
    {
        EXPECT_EQ(longPasses[k].last, longStarts[k + 1]) << "sounds until it is started again";
        EXPECT_LT(longPasses[k].last - longStarts[k], kLong - kTail) << "never heard to its end";
    }
    expectSilent(left, {0, 1, 2, 3, 6});
}

TEST_F(HeardTest, OneShotPadsPlayTheirSlotOnceOnTheirOwnChannel)
{
    constexpr int kShot = 3000;
    for (int slot = 0; slot < 4; ++slot)
        sound(slot, kShot, 0);
    sound(5, kControlFrames, kTail);
    keyDown(SDLK_2);
    const int64_t loopOn = atFrame(1000, [] { toggleLoop(1); });
    const int64_t first = atFrame(loopOn + 2000, [] { pressAt(20, 20); });
    const int64_t second = atFrame(first + 500,
                                   []
                                   {
                                       pressAt(200, 20);
                                       EXPECT_TRUE(Mix_Playing(0));
                                       EXPECT_TRUE(Mix_Playing(1));
                                   });
    const int64_t again = atFrame(second + 1000, [] { pressAt(200, 20); });
    waitForFrame(again + kShot + 2 * kControlFrames);
    const std::vector<int16_t> left = heard();

    const std::vector<Span> pad0 = soundSpans(left, 0), pad1 = soundSpans(left, 1);
    ASSERT_EQ(pad0.size(), 1u);
    EXPECT_EQ(pad0[0].first, first + kMarkFrames);
    EXPECT_EQ(pad0[0].last, first + kShot) << "played once, whole, whatever pad 1 did";
    ASSERT_EQ(pad1.size(), 2u);
    EXPECT_EQ(pad1[0].first, second + kMarkFrames);
    EXPECT_EQ(pad1[0].last, again) << "a second press starts the sample again";
    EXPECT_EQ(pad1[1].first, again + kMarkFrames);
    EXPECT_EQ(pad1[1].last, again + kShot);
    expectSilent(left, {2, 3, 4, 6, 7});

    const std::vector<int64_t> boundaries = controlBoundaries(left, 5, kControlFrames);
    EXPECT_GE(boundaries.back() + kControlFrames + kMarkFrames, int64_t(left.size()))
        << "the ends of the one-shots neither stop nor restart the loop";
}

TEST_F(HeardTest, ReplacingTheSoundOfARunningLoopNeverStallsTheLoops)
{
    constexpr int kNewControl = 4000, kOther = 3000, kNewOther = 2000;
    sound(5, kControlFrames, kTail);
    sound(6, kOther, kTail);
    const int64_t on1 = atFrame(1000, [] { toggleLoop(1); });
    atFrame(on1 + 1000, [] { toggleLoop(2); });
    const std::string newControl = marked(5, kNewControl, kTail);
    const std::string newOther = marked(6, kNewOther, kTail);
    waitForFrame(on1 + 2 * kControlFrames + 1500);

    const int64_t before = mixPosition();
    assignSlot(5, newControl.c_str(), "new");
    const int64_t after = mixPosition();
    waitForFrame(after + 1000);
    const int64_t otherBefore = mixPosition();
    assignSlot(6, newOther.c_str(), "new");
    const int64_t otherAfter = mixPosition();
    waitForFrame(otherAfter + 5 * kNewControl);
    const std::vector<int16_t> left = heard();

    std::vector<int64_t> boundaries = soundStarts(left, 5);
    const auto replaced = std::lower_bound(boundaries.begin(), boundaries.end(), before);
    ASSERT_GE(boundaries.end() - replaced, 5) << "the loops go on after the replacement";
    EXPECT_LE(*replaced, after + kPass) << "a boundary as soon as the new sound is stored";
    for (auto b = replaced + 1; b != boundaries.end(); ++b)
        EXPECT_EQ(*b - *(b - 1), kNewControl);
    expectStartsOnBoundaries(left, 6, on1 + 1000, boundaries);

    for (const Span& span : soundSpans(left, 6))
    {
        if (span.first < otherBefore && span.last > otherBefore)
        {
            EXPECT_LE(span.last, otherAfter + kPass) << "the freed sound falls silent";
        }
        if (span.first > otherAfter && span.last < int64_t(left.size()))
        {
            EXPECT_EQ(span.last - span.first, kNewOther - kMarkFrames - kTail);
        }
    }
}

TEST_F(HeardTest, SwitchingOffTheControlLoopHandsOverWithoutLosingABoundary)
{
    constexpr int kLong = 7000, kShort = 2000;
    sound(5, kControlFrames, kTail);
    sound(7, kLong, kTail);
    sound(4, kShort, kTail);
    const int64_t on1 = atFrame(1000, [] { toggleLoop(1); });
    const int64_t on3 = atFrame(on1 + 500, [] { toggleLoop(3); });
    // Loop 3 sounds when loop 1 goes: its pass runs on, and its end is the next boundary.
    const int64_t loop3Starts =
        on1 + (on3 - on1 + kControlFrames - 1) / kControlFrames * kControlFrames;
    const int64_t off1 = atFrame(loop3Starts + 2000, [] { toggleLoop(1); });
    atFrame(off1 + 1000, [] { toggleLoop(0); });
    // Loop 0 has played out its pass when loop 3 goes: it takes over with a boundary at once.
    int64_t off3 = -1;
    while (off3 < 0 && mixPosition() < off1 + 4 * kLong)
    {
        SDL_LockAudio();
        if (sonando[0] && !Mix_Playing(4))
        {
            off3 = mixPosition();
            toggleLoop(3);
        }
        SDL_UnlockAudio();
        SDL_Delay(1);
    }
    ASSERT_GE(off3, 0) << "loop 0 never played out";
    waitForFrame(off3 + 4 * kShort + 1000);
    const std::vector<int16_t> left = heard();

    EXPECT_LE(soundSpans(left, 5).back().last, off1) << "a loop switched off stops at once";
    const std::vector<int64_t> loop3 = soundStarts(left, 7);
    ASSERT_GE(loop3.size(), 2u);
    EXPECT_LT(loop3[0], off1);
    for (size_t k = 1; k < loop3.size(); ++k)
        EXPECT_EQ(loop3[k] - loop3[k - 1], kLong) << "loop 3 not restarted by the hand-over";
    EXPECT_EQ(soundSpans(left, 7).back().last, off3);

    const std::vector<int64_t> loop0 = soundStarts(left, 4);
    const auto tookOver = std::find(loop0.begin(), loop0.end(), off3);
    ASSERT_NE(tookOver, loop0.end()) << "the new control loop starts when it takes over";
    ASSERT_GE(loop0.end() - tookOver, 4);
    for (auto s = tookOver + 1; s != loop0.end(); ++s)
        EXPECT_EQ(*s - *(s - 1), kShort);
}
} // namespace
