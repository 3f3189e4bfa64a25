#include "tests/support/mixtap.h"

#include "sound/mixer.h"
#include "tests/support/diskaudio.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <atomic>
#include <cstring>

namespace
{
constexpr int kLevelShift = 6; // slot s sounds at 64 << s: eight slots stay below 16384
constexpr int kStereo = 2;
constexpr size_t kHeldPasses = 8; // sdl12-compat on SDL 2.26 holds three and a half

std::vector<int16_t> tap; // interleaved stereo, sized before the mixer writes
std::atomic<int64_t> tapped{0};
std::atomic<bool> partPass{false};

void record(void*, Uint8* stream, int len)
{
    const int64_t frames = len / int64_t(kStereo * sizeof(int16_t));
    if (frames != kMixerBuffer)
        partPass = true;
    const int64_t at = tapped;
    if ((at + frames) * kStereo <= int64_t(tap.size()))
        memcpy(&tap[size_t(at * kStereo)], stream, size_t(len));
    tapped = at + frames;
}

// Whether the slot's sound is part of a mixed level.
bool slotSounds(int16_t level, int slot)
{
    return (level >> (kLevelShift + slot)) & 1;
}
} // namespace

void writeMarkedSound(const std::string& path, int slot, int frames, int tail)
{
    std::vector<int16_t> sound = constantStereo(frames, int16_t(1 << (kLevelShift + slot)));
    std::fill(sound.begin(), sound.begin() + kMarkFrames * kStereo, 0);
    std::fill(sound.end() - tail * kStereo, sound.end(), 0);
    writeWav16(path, sound, kStereo);
}

std::vector<Span> soundSpans(const std::vector<int16_t>& left, int slot)
{
    std::vector<Span> spans;
    bool on = false;
    for (size_t i = 0; i < left.size(); ++i)
    {
        const bool now = slotSounds(left[i], slot);
        if (now && !on)
            spans.push_back({int64_t(i), int64_t(left.size())});
        if (!now && on)
            spans.back().last = int64_t(i);
        on = now;
    }
    return spans;
}

std::vector<int64_t> soundStarts(const std::vector<int16_t>& left, int slot)
{
    std::vector<int64_t> starts;
    for (const Span& span : soundSpans(left, slot))
        starts.push_back(span.first - kMarkFrames);
    return starts;
}

void startMixTap(int maxFrames)
{
    SDL_LockAudio();
    tap.assign(size_t(maxFrames) * kStereo, 0);
    tapped = 0;
    partPass = false;
    Mix_SetPostMix(record, nullptr);
    SDL_UnlockAudio();
}

int64_t mixPosition()
{
    return tapped;
}

void waitForFrame(int64_t frame)
{
    while (mixPosition() < frame)
        SDL_Delay(1);
}

std::vector<int16_t> tappedLeft()
{
    std::vector<int16_t> stereo(tap.begin(),
                                tap.begin() + std::min<int64_t>(tapped * kStereo, tap.size()));
    return leftChannel(stereo);
}

bool everyPassWhole()
{
    return !partPass;
}

bool captureEndsWithTap(const std::vector<int16_t>& capture)
{
    const size_t n = size_t(tapped * kStereo);
    if (n > tap.size())
        return false;
    // A library that resamples drops what its converter holds when it closes.
    const size_t held =
        captureFormat().rate == kTestRate ? 0 : kHeldPasses * kMixerBuffer * kStereo;
    const auto heard = [](int16_t mixed, int16_t sample) { return heardAs(sample, mixed); };
    for (size_t missing = 0; missing <= std::min(held, n); missing += kStereo)
    {
        const size_t end = n - missing;
        if (capture.size() >= end &&
            std::equal(tap.begin(), tap.begin() + end, capture.end() - end, heard))
            return true;
    }
    return false;
}
