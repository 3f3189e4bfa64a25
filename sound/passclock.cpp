#include "sound/passclock.h"

#include "sound/mixer.h"

#include <algorithm>
#include <cmath>

int64_t mixedFrames;

namespace
{
// A loop bandwidth of about one hertz at the mixer's pass of 11.6 ms: the line follows
// the device clock's slow drift, not the thread's wobble from one pass to the next.
constexpr double kOmega = 2 * M_PI * 1.0 * 0.0116;
constexpr double kPhaseGain = M_SQRT2 * kOmega;
constexpr double kPeriodGain = kOmega * kOmega;
// A pass this far off the line: the device stopped.
constexpr double kStallPeriods = 4;
constexpr double kStallUs = 100000;
// Passes closer together than this share a request.
constexpr double kRequestPeriods = 0.25;

PassLine line;
int32_t mostPassesAhead; // of the settled line: never fewer, so hits stay on time
} // namespace

PassLine advanceLine(const PassLine& before, int64_t frame, int32_t frames, int64_t nowUs)
{
    const double now = static_cast<double>(nowUs);
    const double error = now - before.due;
    if (before.period <= 0 || std::fabs(error) > std::max(kStallPeriods * before.period, kStallUs))
    {
        const double nominal = 1e6 * frames / kMixerRate;
        return {frame + frames, frames, now + nominal, nominal, now, 1, 0};
    }
    PassLine after = before;
    after.frame = frame + frames;
    after.frames = frames;
    after.lastUs = now;
    after.passesAhead =
        static_cast<int32_t>(std::floor(std::max(-error, 0.0) / before.period + 0.5));
    if (now - before.lastUs < kRequestPeriods * before.period)
    {
        after.due = before.due + before.period;
        return after;
    }
    after.due = before.due + kPhaseGain * error + before.period;
    after.period = before.period + kPeriodGain * error;
    after.requests = before.requests + 1;
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
    if (line.requests > kSettlingRequests)
        mostPassesAhead = std::clamp(line.passesAhead, mostPassesAhead, kMaxPassesAhead);
}

int64_t frameAtUs(int64_t us)
{
    return lineFrameAt(line, us);
}

PassLine passLine()
{
    return line;
}

int64_t passLeadUs()
{
    return int64_t(mostPassesAhead) * line.frames * 1000000 / kMixerRate;
}

void resetPassClock()
{
    mixedFrames = 0;
    line = {};
    mostPassesAhead = 0;
}
