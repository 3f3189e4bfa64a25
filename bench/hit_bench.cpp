// When hits are heard: keys and pointer presses sent through the X server at random
// moments, and the time from each to the first frame of its sound as the device takes
// it. The device is a PulseAudio server of the benchmark's own, whose null sink takes
// frames on the system's monotonic clock as a sound card takes them on its crystal. A
// straight line through the moments it asked for frames gives every frame's moment,
// whatever the program's own pass clock made of them.
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
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int kShotFrames = 200;     // each hit's sound, shorter than the gap between hits
constexpr int kSettlingPasses = 300; // the pass clock has settled before the first hit
constexpr int kSettlingTimeoutMs = 20000;
constexpr int kMinGapUs = 25000, kMaxGapUs = 60000;
constexpr int kEndMs = 500;
constexpr int kMaxPasses = 1 << 16;
constexpr int kStereo = 2;
constexpr int kLookUs = 20, kTakeTimeoutUs = 100000;

struct Pass
{
    int64_t moment; // hitClockUs as its post-mix step began
    int64_t frame;  // the mixer's count of frames as it began
};

std::vector<Pass> passes; // room made beforehand: the audio thread allocates nothing
std::atomic<int> passCount;

void timedMixPass(void* unused, Uint8* stream, int len)
{
    if (passes.size() < passes.capacity())
    {
        passes.push_back({hitClockUs(), mixedFrames});
        passCount.store(int(passes.size()), std::memory_order_release);
    }
    mixPass(unused, stream, len);
}

// The device's steady line: moment = at + perFrame * frame, through the first pass of
// every request after the settling passes.
struct DeviceLine
{
    double at, perFrame;
};

double momentOf(const DeviceLine& line, int64_t frame)
{
    return line.at + line.perFrame * double(frame);
}

bool firstOfRequest(size_t k)
{
    const double passUs = 1e6 * double(passes[k].frame - passes[k - 1].frame) / kMixerRate;
    return double(passes[k].moment - passes[k - 1].moment) > passUs / 4;
}

DeviceLine fitDeviceLine()
{
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double x0 = double(passes[kSettlingPasses].frame);
    const double y0 = double(passes[kSettlingPasses].moment);
    for (size_t k = kSettlingPasses; k < passes.size(); ++k)
        if (firstOfRequest(k))
        {
            const double x = double(passes[k].frame) - x0, y = double(passes[k].moment) - y0;
            n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
        }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    return {y0 + (sy - slope * sx) / n - slope * x0, slope};
}

// How far the device's requests came after (positive) or before its line, and how many
// passes it asked for at once.
void reportDevice(const DeviceLine& line)
{
    std::vector<double> off;
    int most = 1, run = 1;
    for (size_t k = kSettlingPasses; k < passes.size(); ++k)
    {
        const bool first = firstOfRequest(k);
        run = first ? 1 : run + 1;
        most = std::max(most, run);
        if (first)
            off.push_back((double(passes[k].moment) - momentOf(line, passes[k].frame)) / 1000);
    }
    std::sort(off.begin(), off.end());
    report("device: frames per pass", double(passes[1].frame - passes[0].frame), "");
    report("device: most passes asked for at once", most, "");
    report("device: requests off its line, earliest", off.front(), "ms");
    report("device: requests off its line, 99.9th pct", off[off.size() * 999 / 1000], "ms");
    report("device: requests off its line, latest", off.back(), "ms");
}

// First frames of the hits' sounds, on the mixer's count: a frame that sounds after
// one that did not.
std::vector<int64_t> onsets(const std::vector<int16_t>& stream)
{
    std::vector<int64_t> found;
    for (size_t f = 1; f * kStereo < stream.size(); ++f)
        if (stream[f * kStereo] != 0 && stream[(f - 1) * kStereo] == 0)
            found.push_back(int64_t(f) - tapFrame(0));
    return found;
}

void reportDelays(const std::string& path, const std::vector<double>& delaysMs)
{
    if (delaysMs.empty())
        return;
    const auto [low, high] = std::minmax_element(delaysMs.begin(), delaysMs.end());
    const double sum = std::accumulate(delaysMs.begin(), delaysMs.end(), 0.0);
    report(path + ", min", *low, "ms");
    report(path + ", mean", sum / double(delaysMs.size()), "ms");
    report(path + ", max", *high, "ms");
    report(path + ", spread", *high - *low, "ms");
}

struct Sent
{
    int64_t at;    // when the press went to the X server
    int64_t taken; // the main loop's stamp of it, once taken from the queue
};

// Presses at random moments once the device has played a while, key and pointer by
// turns, then a quit.
void sendHits(int hits, std::vector<Sent>* sent)
{
    for (int waited = 0;
         passCount.load(std::memory_order_acquire) < kSettlingPasses && waited < kSettlingTimeoutMs;
         ++waited)
        usleep(1000);
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> gap(kMinGapUs, kMaxGapUs);
    for (int i = 0; i < hits && passCount.load() >= kSettlingPasses; ++i)
    {
        const bool key = i % 2 == 0;
        const int64_t at = hitClockUs();
        key ? sendKey(XK_z, true) : sendButton(true);
        int64_t taken = 0;
        for (int waited = 0; waited < kTakeTimeoutUs && taken < at; waited += kLookUs)
        {
            usleep(kLookUs);
            taken = __atomic_load_n(&event_stamp, __ATOMIC_RELAXED);
        }
        sent->push_back({at, taken});
        usleep(static_cast<useconds_t>(gap(random) / 2));
        key ? sendKey(XK_z, false) : sendButton(false);
        usleep(static_cast<useconds_t>(gap(random) / 2));
    }
    usleep(kEndMs * 1000);
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

void reportHits(const std::vector<Sent>& sent, const std::vector<int64_t>& heard,
                const DeviceLine& line)
{
    report("hits sent", double(sent.size()), "");
    report("hits heard", double(heard.size()), "");
    if (heard.size() != sent.size())
        return;
    std::vector<double> keys, pointer, queued, placed;
    for (size_t i = 0; i < sent.size(); ++i)
    {
        const double heardAt = momentOf(line, heard[i]);
        (i % 2 == 0 ? keys : pointer).push_back((heardAt - double(sent[i].at)) / 1000);
        queued.push_back(double(sent[i].taken - sent[i].at) / 1000);
        placed.push_back((heardAt - double(sent[i].taken)) / 1000);
    }
    reportDelays("hit sent to first frame heard, keys", keys);
    reportDelays("hit sent to first frame heard, pointer", pointer);
    reportDelays("hit sent to taken from the queue", queued);
    reportDelays("hit taken to first frame heard", placed);
}

void hitTiming()
{
    SoundServer pulse = startPulse(kMixerRate);
    if (pulse.pid == 0)
    {
        std::printf("  no PulseAudio server (install pulseaudio): hits not timed\n");
        return;
    }
    setenv("PULSE_SERVER", pulse.server.c_str(), 1);
    XServer server = startXvfb();
    setenv("DISPLAY", server.display.c_str(), 1);
    const std::string stage = enterStage("x11", "pulse");
    writeWav16("kits/hit.wav", constantStereo(kShotFrames, 4000), kStereo);
    assignSlot(0, "kits/hit.wav", "hit");
    switchScreen(kSamplePads);
    pointAtFirstPad();
    std::vector<Sent> sent;
    if (openPresser(server.display))
    {
        passes.clear();
        passes.reserve(kMaxPasses);
        passCount = 0;
        startMixTap(kMaxPasses * kMixerBuffer, timedMixPass);
        std::thread hitter(sendHits, scaled(1000, 10), &sent);
        mainLoop();
        hitter.join();
        closePresser();
    }
    SDL_LockAudio();
    const std::vector<int16_t> stream = tappedStream();
    const int64_t delayUs = hitDelayUs();
    SDL_UnlockAudio();
    leaveStage(stage);
    stopXvfb(server);
    stopPulse(pulse);
    unsetenv("PULSE_SERVER");
    if (passes.size() <= kSettlingPasses + 1)
    {
        std::printf("  the PulseAudio server played too little: hits not timed\n");
        return;
    }
    const DeviceLine line = fitDeviceLine();
    reportDevice(line);
    report("hit delay D, as the program settled it", double(delayUs) / 1000, "ms");
    reportHits(sent, onsets(stream), line);
}

const bool registered = registerBench("hits", hitTiming);
} // namespace
