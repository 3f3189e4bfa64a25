#include "tests/support/mixtap.h"

#include "sound/passclock.h"
#include "sound/slots.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
constexpr int kLevelShift = 6; // slot s sounds at 64 << s: eight slots stay below 16384
constexpr int kStereo = 2;

std::vector<int16_t> tap; // interleaved stereo, sized before the mixer writes
std::atomic<int64_t> tapped{0};
int64_t origin; // mixedFrames when the tap started
thread_local bool onAudioThread = false;
std::atomic<long> audioAllocations{0};
void (*programPostMix)(void*, Uint8*, int);

void record(void* unused, Uint8* stream, int len)
{
    onAudioThread = true;
    programPostMix(unused, stream, len);
    const int64_t frames = len / int64_t(kStereo * sizeof(int16_t));
    const int64_t at = tapped;
    if ((at + frames) * kStereo <= int64_t(tap.size()))
        memcpy(&tap[size_t(at * kStereo)], stream, size_t(len));
    tapped = at + frames;
}
} // namespace

// Every allocation of the test program passes here, so the audio thread's are counted.
void* operator new(size_t size)
{
    if (onAudioThread)
        ++audioAllocations;
    if (void* memory = malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    free(memory);
}

void operator delete(void* memory, size_t) noexcept
{
    free(memory);
}

int64_t tapFrame(int64_t mixerFrame)
{
    return mixerFrame - origin;
}

long audioThreadAllocations()
{
    return audioAllocations;
}

void writeMarkedSound(const std::string& path, int slot, int frames)
{
    std::vector<int16_t> sound = constantStereo(frames, int16_t(1 << (kLevelShift + slot)));
    std::fill(sound.begin(), sound.begin() + kMarkFrames * kStereo, 0);
    writeWav16(path, sound, kStereo);
}

Spans soundSpans(const std::vector<int16_t>& left, int slot)
{
    Spans spans;
    for (size_t i = 0; i < left.size(); ++i)
        if ((left[i] >> (kLevelShift + slot)) & 1)
        {
            if (spans.empty() || spans.back().second != int64_t(i))
                spans.push_back({int64_t(i), int64_t(i)});
            ++spans.back().second;
        }
    return spans;
}

void startMixTap(int maxFrames, void (*programHook)(void*, Uint8*, int))
{
    SDL_LockAudio();
    programPostMix = programHook;
    tap.assign(size_t(maxFrames) * kStereo, 0);
    tapped = 0;
    origin = mixedFrames;
    audioAllocations = 0;
    Mix_SetPostMix(record, nullptr);
    SDL_UnlockAudio();
}

int64_t atFrame(int64_t frame, const std::function<void()>& action)
{
    while (tapped < frame)
        SDL_Delay(1);
    // Under the audio lock the frames mixed so far are the exact frame from which a
    // channel started now is heard.
    SDL_LockAudio();
    const int64_t at = tapped;
    action();
    SDL_UnlockAudio();
    return at;
}

std::vector<int16_t> tappedStream()
{
    return std::vector<int16_t>(tap.begin(),
                                tap.begin() + std::min<int64_t>(tapped * kStereo, tap.size()));
}

int64_t actOnLoop(std::vector<LoopAction>* script, int loop, int64_t frame, int frames)
{
    const int slot = kFirstLoopSlot + loop;
    const std::string path =
        "loops/edge" + std::to_string(slot) + "_" + std::to_string(frames) + ".wav";
    std::vector<int16_t> sound =
        constantStereo(std::max(frames, 0), int16_t(1 << (kLevelShift + slot)));
    if (frames > 0)
    {
        sound.front() |= int16_t(1 << loop);
        sound[sound.size() - kStereo] |= int16_t(1 << slot);
        writeWav16(path, sound, kStereo);
    }
    else if (frames < 0)
        writeFile(path, "\x89PNG\r\n\x1a\n not a sound");
    const auto action = [&] { frames ? assignSlot(slot, path.c_str(), "edge") : toggleLoop(loop); };
    script->push_back({atFrame(frame, action), loop, sound, frames != 0});
    return script->back().frame;
}

const LoopSetRun kLoopSetRuns[2] = {{"2-4 loops", {331, 577, 1009, 1999}, 60000},
                                    {"loops under a pass", {131, 97, 211, 1999}, 10000}};

std::vector<LoopAction> playLoopSets(std::vector<int> lengths, int64_t phaseFrames)
{
    constexpr int kLonger = 256; // a re-assigned slot's sound: still odd, a pass longer
    std::vector<LoopAction> script;
    int64_t t = tapped;
    for (int i = 0; i < kLoopCount; ++i)
        t = actOnLoop(&script, i, t, lengths[size_t(i)]);
    const int longest = *std::max_element(lengths.begin(), lengths.end());
    for (int set = 2; set <= kLoopCount; ++set)
        for (int control = 0; control < set; ++control)
        {
            t = actOnLoop(&script, control, t + longest);
            for (int i = 0; i < set; ++i)
                if (i != control)
                    t = actOnLoop(&script, i, t + 2 * lengths[size_t(control)] + 333);
            const int given = set == 3 ? (control + 1) % set : control;
            if (set > 2)
                t = actOnLoop(&script, given, t + phaseFrames, lengths[size_t(given)] += kLonger);
            t = actOnLoop(&script, control, t + phaseFrames);
            for (int i = 0; i < set; ++i)
                if (i != control)
                    t = actOnLoop(&script, i, t + 3 * longest + 77);
        }
    return script;
}

std::vector<int64_t> differingFrames(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    std::vector<int64_t> frames;
    for (size_t i = 0; i + 1 < std::min(a.size(), b.size()); i += kStereo)
        if (a[i] != b[i] || a[i + 1] != b[i + 1])
            frames.push_back(int64_t(i / kStereo));
    return frames;
}

namespace
{
// The loop synchroniser's rules, frame by frame.
struct IdealLoops
{
    std::vector<int16_t> sounds[kLoopCount];
    bool on[kLoopCount] = {}, running[kLoopCount] = {};
    int64_t next[kLoopCount] = {-1, -1, -1, -1}; // frame of its sound heard next, -1 silent
    int control = -1;

    bool sounding(int i) const
    {
        return !sounds[i].empty();
    }

    // Every loop switched on starts from its beginning.
    void boundary()
    {
        for (int i = 0; i < kLoopCount; ++i)
        {
            running[i] = on[i] || running[i];
            next[i] = on[i] && sounding(i) ? 0 : next[i];
        }
    }

    // The highest running loop with a sound takes the beat; with none, the loops
    // switched on start together and the highest of them with a sound takes it.
    void handOver(int stopped)
    {
        control = -1;
        for (int j = 0; j < kLoopCount; ++j)
            control = running[j] && sounding(j) && j != stopped ? j : control;
        if (control >= 0)
            return;
        for (int j = 0; j < kLoopCount; ++j)
            control = on[j] && sounding(j) ? j : control;
        if (control >= 0)
            boundary();
    }

    void act(const LoopAction& action)
    {
        // A loop switched off falls silent, and so does one given a new sound: the old
        // sound stops when it is freed. A loop that is off is silent already.
        const int i = action.loop;
        next[i] = -1;
        if (action.assigned)
        {
            sounds[i] = action.sound;
            if (control == i && !sounding(i))
                handOver(i); // as if switched off, but it stays on
            else if (control < 0 && on[i])
                handOver(-1);
        }
        else if (!on[i])
        {
            on[i] = true; // queued for the next boundary, unless no loop holds the beat
            if (control < 0)
                running[i] = true;
            if (control < 0 && sounding(i))
            {
                control = i; // it starts at once
                next[i] = 0;
            }
        }
        else
        {
            on[i] = running[i] = false;
            if (control == i)
                handOver(i);
        }
    }

    void mix(int64_t f, std::vector<int16_t>* out)
    {
        // The control loop's channel fell silent: a boundary, on this very frame.
        if (control >= 0 && next[control] < 0)
            boundary();
        for (int i = 0; i < kLoopCount; ++i)
        {
            if (next[i] < 0)
                continue;
            for (int c = 0; c < kStereo; ++c)
                (*out)[size_t(f * kStereo + c)] += sounds[i][size_t(next[i] * kStereo + c)];
            if (++next[i] * kStereo == int64_t(sounds[i].size()))
                next[i] = -1;
        }
    }
};
} // namespace

std::vector<int16_t> idealLoopStream(const std::vector<LoopAction>& script, int64_t frames)
{
    IdealLoops loops;
    std::vector<int16_t> out(size_t(frames) * kStereo, 0);
    auto action = script.begin();
    for (int64_t f = 0; f < frames; ++f)
    {
        for (; action != script.end() && action->frame <= f; ++action)
            loops.act(*action);
        loops.mix(f, &out);
    }
    return out;
}
