#include "sound/passclock.h"

#include "sound/mixer.h"

#include <algorithm>
#include <cmath>
#include <iterator>

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

// Passes ahead count once a quarter of the requests of a window show them: a layer
// that mixes ahead does so request after request, while a refill after an underrun or
// a catch-up after a late wake-up comes now and then.
constexpr int32_t kWindowRequests = 64;
constexpr int32_t kLeadRequests = kWindowRequests / 4;

PassLine line;
int32_t mostPassesAhead; // of the settled line: never fewer, so hits stay on time
int32_t requestAhead;    // most passes ahead among the passes of the current request
int32_t windowRequests;  // requests of the current window so far
int32_t aheadRequests[kMaxPassesAhead + 1]; // of them, those at least n passes ahead

void clearWindow()
{
    windowRequests = 0;
    std::fill(std::begin(aheadRequests), std::end(aheadRequests), 0);
}

// A request is complete, `ahead` passes ahead at most: counted in the window, which
// when full may raise the lead.
void countRequest(int32_t ahead)
{
    for (int32_t n = 1; n <= ahead; ++n)
        ++aheadRequests[n];
    if (++windowRequests < kWindowRequests)
        return;
    for (int32_t n = kMaxPassesAhead; n > mostPassesAhead; --n)
        if (aheadRequests[n] >= kLeadRequests)
        {
            mostPassesAhead = n;
            break;
        }
    clearWindow();
}
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
    const int32_t requestsBefore = line.requests;
    line = advanceLine(line, mixedFrames, frames, nowUs);
    mixedFrames += frames;
    const int32_t ahead = std::min(line.passesAhead, kMaxPassesAhead);
    if (line.requests == requestsBefore)
    {
        requestAhead = std::max(requestAhead, ahead);
        return;
    }
    if (line.requests > kSettlingRequests)
        countRequest(requestAhead);
    else
        clearWindow();
    requestAhead = ahead;
}

int64_t frameAtUs(int64_t us)
{
    return lineFrameAt(line, us);
}

PassLine passLine()
{
    return line;
}

int64_t passLeadFrames()
{
    return int64_t(mostPassesAhead) * line.frames;
}

int64_t passLeadUs()
{
    return passLeadFrames() * 1000000 / kMixerRate;
}

void resetPassClock()
{
    mixedFrames = 0;
    line = {};
    mostPassesAhead = 0;
    requestAhead = 0;
    clearWindow();
}
