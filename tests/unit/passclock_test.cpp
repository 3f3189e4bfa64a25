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

TEST(PassClock, LayersThatMixPassesAheadSetTheLeadAndRefillsOrCatchUpsNowAndThenDoNot)
{
    constexpr double kPeriodUs = 1e6 * kMixerBuffer / kMixerRate;
    const auto passesUs = [](int passes)
    { return int64_t(passes) * kMixerBuffer * 1000000 / kMixerRate; };
    std::mt19937 random(11);
    std::uniform_real_distribution<double> wobble(0, 300);
    const auto pass = [](double at) { tickPassClock(kMixerBuffer, int64_t(at)); };
    double at = 5e6;
    // `requests` requests of `passes` passes each, every `passes` periods.
    const auto requests = [&](int count, int passes)
    {
        for (int request = 0; request < count; ++request)
        {
            at += passes * kPeriodUs;
            const double first = at + wobble(random);
            for (int k = 0; k < passes; ++k)
                pass(first + 20 * k);
        }
    };

    // A device asked for one pass at a time, whose first request fills its buffer with
    // eight passes at once (the line has not settled: they count for nothing). Now and
    // then its thread is woken more than a pass late and mixes the next pass at once to
    // catch up, and now and then, after an underrun, it refills three passes at once.
    resetPassClock();
    for (int k = 0; k < 8; ++k)
        pass(at);
    for (int k = 0; k < 1000; ++k)
    {
        at += kPeriodUs;
        if (k % 50 == 49) // the late one, and the next pass, due a period later
            pass(at + 12000), pass(at + 12010), at += kPeriodUs;
        else if (k % 40 == 39) // the refill
            pass(at), pass(at + 10), pass(at + 20), at += 2 * kPeriodUs;
        else
            pass(at + wobble(random));
    }
    EXPECT_EQ(passLeadUs(), 0);

    // A layer that asks for two passes at once, every two periods.
    resetPassClock();
    requests(8, 1);
    const int64_t firstFrame = mixedFrames + 399 * 2 * kMixerBuffer;
    requests(400, 2);
    const PassLine line = passLine();
    EXPECT_EQ(line.requests, 408);
    EXPECT_NEAR(line.period, kPeriodUs, 5) << "a pass's period, though requests come every two";
    // The line runs through the first passes of the requests, not between the pairs.
    EXPECT_NEAR(double(frameAtUs(int64_t(at))), double(firstFrame), 400 / kPeriodUs * 256);
    EXPECT_EQ(passLeadUs(), passesUs(1));

    // Requests of three passes for a while raise the lead for good.
    requests(200, 3);
    EXPECT_EQ(passLeadUs(), passesUs(2));
    requests(200, 2);
    EXPECT_EQ(passLeadUs(), passesUs(2));
    resetPassClock();
    EXPECT_EQ(passLeadUs(), 0);
}
