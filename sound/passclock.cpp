#include "sound/passclock.h"

#include <cmath>

int64_t mixedFrames;

namespace
{
// A loop bandwidth of about one hertz at the mixer's pass of 11.6 ms: the line follows
// the device clock's slow drift, not the thread's wobble from one pass to the next.
constexpr double kOmega = 2 * M_PI * 1.0 * 0.0116;
constexpr double kPhaseGain = M_SQRT2 * kOmega;
constexpr double kPeriodGain = kOmega * kOmega;
constexpr double kStallPeriods = 4; // a pass this far off the line: the device stopped

PassLine line;
} // namespace

PassLine advanceLine(const PassLine& before, int64_t frame, int32_t frames, int64_t nowUs)
{
    const double now = static_cast<double>(nowUs);
    PassLine after{frame + frames, frames, now, 0};
    if (before.period <= 0)
    {
        if (before.due > 0 && now > before.due) // the second pass gives the first period
        {
            after.period = now - before.due;
            after.due = now + after.period;
        }
        return after;
    }
    const double error = now - before.due;
    if (std::fabs(error) > kStallPeriods * before.period)
        return after;
    after.due = before.due + kPhaseGain * error + before.period;
    after.period = before.period + kPeriodGain * error;
    return after;
}

int64_t lineFrameAt(const PassLine& l, int64_t us)
{
    if (l.period <= 0)
        return l.frame;
    return l.frame + std::llround((static_cast<double>(us) - l.due) * l.frames / l.period);
}

void tickPassClock(int32_t frames, int64_t nowUs)
{
    line = advanceLine(line, mixedFrames, frames, nowUs);
    mixedFrames += frames;
}

int64_t frameAtUs(int64_t us)
{
    return lineFrameAt(line, us);
}

PassLine passLine()
{
    return line;
}

void resetPassClock()
{
    mixedFrames = 0;
    line = {};
}
