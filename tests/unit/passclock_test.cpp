// The pass clock's line: the moments of passes that wobble become a steady line from
// frames to time, which follows the device's own rate and starts afresh after a stall.
#include "sound/mixer.h"
#include "sound/passclock.h"

#include <gtest/gtest.h>
#include <random>

TEST(PassClock, WobblingPassesGiveASteadyLineAtTheDevicesRateAndAStallStartsItAfresh)
{
    // A device a little faster than its nominal rate, woken up to 0.5 ms off its beat.
    constexpr double kPeriodUs = 11100;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> wobble(-500, 500);
    PassLine line{};
    EXPECT_EQ(lineFrameAt(line, 123456), 0) << "no line: the next pass";
    int64_t frame = 0;
    const auto pass = [&](double at)
    {
        line = advanceLine(line, frame, kMixerBuffer, int64_t(at));
        frame += kMixerBuffer;
    };
    const double start = 1e6;
    for (int k = 0; k < 2000; ++k)
        pass(start + k * kPeriodUs + wobble(random));
    const double now = start + 2000 * kPeriodUs;
    EXPECT_NEAR(line.period, kPeriodUs, 15);
    // The line puts the next pass's first frame on its beat, to a quarter millisecond,
    // and counts frames at the device's rate from there.
    const double perFrame = kPeriodUs / kMixerBuffer;
    EXPECT_NEAR(double(lineFrameAt(line, int64_t(now))), double(frame), 250 / perFrame);
    EXPECT_NEAR(
        double(lineFrameAt(line, int64_t(now + 100 * perFrame)) - lineFrameAt(line, int64_t(now))),
        100, 1);

    // A stall of ten passes starts the line afresh at the mixer's nominal period.
    const double nominal = 1e6 * kMixerBuffer / kMixerRate;
    pass(now + 10 * kPeriodUs);
    EXPECT_EQ(std::pair(line.period, line.due), std::pair(nominal, now + 10 * kPeriodUs + nominal));
    EXPECT_EQ(lineFrameAt(line, int64_t(line.due)), frame);
}

TEST(PassClock, PassesMixedAheadOfTheirTimeSetTheLeadAndPassesCatchingUpDoNot)
{
    constexpr double kPeriodUs = 1e6 * kMixerBuffer / kMixerRate;
    constexpr int64_t kOnePassUs = int64_t(kMixerBuffer) * 1000000 / kMixerRate;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> wobble(0, 300);
    const auto pass = [](double at) { tickPassClock(kMixerBuffer, int64_t(at)); };

    // A device asked for one pass at a time, whose first request fills its buffer with
    // eight passes at once (the line has not settled: they count for nothing), and
    // whose thread is now and then woken more than a pass late and then mixes the next
    // pass at once, to catch up.
    resetPassClock();
    double at = 5e6;
    for (int k = 0; k < 8; ++k)
        pass(at);
    for (int k = 0; k < 400; ++k)
    {
        at += kPeriodUs;
        const bool late = k % 50 == 49;
        pass(at + wobble(random) + (late ? 12000 : 0));
        if (late) // the next pass, due a period later, mixed right after
            pass(at + 12010), at += kPeriodUs;
    }
    EXPECT_EQ(passLeadUs(), 0);

    // A layer that asks for two passes at once, every two periods.
    resetPassClock();
    int64_t firstFrame = 0;
    for (int request = 0; request < 400; ++request)
    {
        at += 2 * kPeriodUs;
        const double first = at + wobble(random);
        firstFrame = mixedFrames;
        pass(first);
        pass(first + 20);
    }
    const PassLine line = passLine();
    EXPECT_EQ(line.requests, 400);
    EXPECT_NEAR(line.period, kPeriodUs, 5) << "a pass's period, though requests come every two";
    // The line runs through the first passes of the requests, not between the pairs.
    EXPECT_NEAR(double(frameAtUs(int64_t(at))), double(firstFrame), 400 / kPeriodUs * 256);
    EXPECT_EQ(passLeadUs(), kOnePassUs);

    // A single longer request, once settled, raises the lead for good.
    at += 2 * kPeriodUs;
    for (int k = 0; k < 3; ++k)
        pass(at + k * 10);
    pass(at + 3 * kPeriodUs);
    EXPECT_EQ(passLeadUs(), int64_t(2 * kMixerBuffer) * 1000000 / kMixerRate);
    resetPassClock();
    EXPECT_EQ(passLeadUs(), 0);
}
