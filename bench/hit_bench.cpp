// When hits are heard: keys and pointer presses sent through the X server at random
// moments, and the time from each to the first mixed frame of its sound. The frames'
// times come from a straight line fitted through the moments of every mixing pass,
// as a sound card's steady clock would give them, so the figures show where each hit
// was placed, not the audio thread's wobble.
#include "app/layout.h"
#include "app/loop.h"
#include "bench/bench.h"
#include "bench/xpress.h"
#include "sound/hits.h"
#include "sound/mixer.h"
#include "sound/passclock.h"
#include "sound/slots.h"
#include "tests/support/mixtap.h"
#include "tests/support/wav.h"
#include "tests/support/xsession.h"

#include <SDL/SDL.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int kShotFrames = 200;  // each hit's sound, shorter than the gap between hits
constexpr int kFirstGapMs = 1000; // the pass clock settles before the first hit
constexpr int kMinGapUs = 25000, kMaxGapUs = 60000;
constexpr int kMaxPasses = 1 << 16;
constexpr int kStereo = 2;
constexpr int kLookUs = 20, kTakeTimeoutUs = 100000;

constexpr size_t kFitPasses = 16; // passes on each side of a hit that its line is fitted to

std::vector<int64_t> passMoments;  // hitClockUs at the start of each pass's post-mix step
std::vector<double> passEarliness; // how long before the pass clock's line each pass came

void timedMixPass(void* unused, Uint8* stream, int len)
{
    const int64_t now = hitClockUs();
    const PassLine line = passLine();
    if (passMoments.size() < passMoments.capacity())
    {
        passMoments.push_back(now);
        if (line.period > 0)
            passEarliness.push_back(line.due - double(now));
    }
    mixPass(unused, stream, len);
}

// The moment of a tap frame on the least-squares line through the moments of the
// passes around it: the disk driver's clock drifts, as no sound card's does.
double frameMoment(const std::vector<int64_t>& moments, int64_t frame)
{
    const size_t pass = size_t(frame / kMixerBuffer);
    const size_t from = pass > kFitPasses ? pass - kFitPasses : 0;
    const size_t to = std::min(moments.size(), pass + kFitPasses);
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t k = from; k < to; ++k)
    {
        const double x = double(k) * kMixerBuffer - double(frame);
        const double y = double(moments[k] - moments[from]);
        n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    return double(moments[from]) + (sy - slope * sx) / n;
}

// First frames of the hits' sounds: a frame that sounds after one that did not.
std::vector<int64_t> onsets(const std::vector<int16_t>& stream)
{
    std::vector<int64_t> found;
    for (size_t f = 1; f * kStereo < stream.size(); ++f)
        if (stream[f * kStereo] != 0 && stream[(f - 1) * kStereo] == 0)
            found.push_back(int64_t(f));
    return found;
}

void reportDelays(const std::string& path, const std::vector<double>& delaysMs)
{
    if (delaysMs.empty())
        return;
    const auto [low, high] = std::minmax_element(delaysMs.begin(), delaysMs.end());
    double sum = 0;
    for (double d : delaysMs)
        sum += d;
    const std::string name = path;
    report(name + ", min", *low, "ms");
    report(name + ", mean", sum / double(delaysMs.size()), "ms");
    report(name + ", max", *high, "ms");
    report(name + ", spread", *high - *low, "ms");
}

void hitTiming()
{
    const int hits = scaled(1000, 10);
    XServer server = startXvfb();
    setenv("DISPLAY", server.display.c_str(), 1);
    // The dummy driver paces the mixer at real time. Classic SDL asks for one pass at
    // a time; sdl12-compat for several at once, ahead of their time, as the figures show.
    const std::string stage = enterStage("x11", "dummy");
    writeWav16("kits/hit.wav", constantStereo(kShotFrames, 4000), kStereo);
    assignSlot(0, "kits/hit.wav", "hit");
    switchScreen(kSamplePads);
    pointAtFirstPad();
    if (!openPresser(server.display))
    {
        leaveStage(stage);
        stopXvfb(server);
        return;
    }
    passMoments.clear();
    passMoments.reserve(kMaxPasses);
    passEarliness.clear();
    passEarliness.reserve(kMaxPasses);
    startMixTap(kMaxPasses * kMixerBuffer, timedMixPass);
    std::vector<int64_t> sent, stamped;
    std::thread hitter(
        [&]
        {
            std::mt19937 random(20261208);
            std::uniform_int_distribution<int> gap(kMinGapUs, kMaxGapUs);
            usleep(kFirstGapMs * 1000);
            for (int i = 0; i < hits; ++i)
            {
                const bool key = i % 2 == 0;
                const int64_t at = hitClockUs();
                key ? sendKey(XK_z, true) : sendButton(true);
                // The main loop's stamp of the press, once it has taken it from the queue.
                int64_t taken = 0;
                for (int waited = 0; waited < kTakeTimeoutUs && taken < at; waited += kLookUs)
                {
                    usleep(kLookUs);
                    taken = __atomic_load_n(&event_stamp, __ATOMIC_RELAXED);
                }
                sent.push_back(at);
                stamped.push_back(taken);
                usleep(static_cast<useconds_t>(gap(random) / 2));
                key ? sendKey(XK_z, false) : sendButton(false);
                usleep(static_cast<useconds_t>(gap(random) / 2));
            }
            usleep(kFirstGapMs * 1000);
            SDL_Event quit = {};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        });
    mainLoop();
    hitter.join();
    closePresser();
    SDL_LockAudio();
    const std::vector<int16_t> stream = tappedStream();
    const std::vector<int64_t> moments = passMoments;
    const std::vector<double> earliness = passEarliness;
    SDL_UnlockAudio();
    leaveStage(stage);
    stopXvfb(server);

    std::vector<double> early = earliness;
    std::sort(early.begin(), early.end());
    if (!early.empty())
    {
        report("pass before the pass clock's line, 99th pct", early[early.size() * 99 / 100] / 1000,
               "ms");
        report("pass before the pass clock's line, most", early.back() / 1000, "ms");
    }
    report("hit delay D", double(kHitDelayUs) / 1000, "ms");
    const std::vector<int64_t> heard = onsets(stream);
    report("hits sent", double(sent.size()), "");
    report("hits heard", double(heard.size()), "");
    if (heard.size() != sent.size())
        return;
    std::vector<double> keys, pointer, queued, placed;
    for (size_t i = 0; i < sent.size(); ++i)
    {
        const double heardAt = frameMoment(moments, heard[i]);
        (i % 2 == 0 ? keys : pointer).push_back((heardAt - double(sent[i])) / 1000);
        queued.push_back(double(stamped[i] - sent[i]) / 1000);
        placed.push_back((heardAt - double(stamped[i])) / 1000);
    }
    reportDelays("hit sent to first mixed frame, keys", keys);
    reportDelays("hit sent to first mixed frame, pointer", pointer);
    reportDelays("hit sent to taken from the queue", queued);
    reportDelays("hit taken to first mixed frame", placed);
}

const bool registered = registerBench("hits", hitTiming);
} // namespace
