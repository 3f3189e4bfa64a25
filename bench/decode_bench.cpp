// Decoding speed per second of audio on both loaders, the alias that resampling
// leaves, and the memory that loading a preset's eight files takes at its peak.
#include "bench/bench.h"
#include "sound/decode.h"
#include "sound/mixer.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <vector>

namespace
{
constexpr int kSeconds = 10, kShortSeconds = 1; // length of the file decoded for speed
constexpr int kRuns = 10, kShortRuns = 1;
constexpr int kPresetWords = 3; // the preset header's words before the eight paths
constexpr int kPresetSlots = 8;

void openDummyMixer()
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_AUDIO);
    openMixer();
}

void closeMixer()
{
    Mix_CloseAudio();
    SDL_Quit();
}

void timeDecode(const char* label, const WavSpec& spec)
{
    const std::string dir = makeTempDir();
    const std::string path = dir + "/bench.wav";
    const int seconds = scaled(kSeconds, kShortSeconds), runs = scaled(kRuns, kShortRuns);
    writeWav(path, spec, sineFrames(long(spec.rate) * seconds, spec.channels, 440, 0.5, spec.rate));
    const double start = nowSeconds();
    for (int run = 0; run < runs; ++run)
        Mix_FreeChunk(decodeSound(path.c_str()));
    report(std::string(label) + ", per second of audio",
           (nowSeconds() - start) * 1000 / (runs * seconds), "ms");
    removeTree(dir);
}

void decodeSpeed()
{
    openDummyMixer();
    timeDecode("22.05 kHz 16-bit stereo (mixer's loader)", {kTestRate, 2, kS16, kPlain});
    timeDecode("44.1 kHz 16-bit stereo (libsndfile, soxr)", {44100, 2, kS16, kPlain});
    timeDecode("48 kHz 24-bit stereo (libsndfile, soxr)", {48000, 2, kS24, kPlain});
    closeMixer();
}

// The level of the alias or image of a tone at half of full scale that decoding a
// 16-bit file at `rate` leaves at `alias` Hz, relative to the tone.
void aliasLevel(const char* label, int rate, double tone, double alias)
{
    constexpr double kAmplitude = 0.5;
    constexpr long kEdgeFrames = 220; // the resampler's filter may shape each end
    const std::string dir = makeTempDir();
    const std::string path = dir + "/tone.wav";
    writeWav(path, {rate, 1, kS16, kPlain}, sineFrames(rate, 1, tone, kAmplitude, rate));
    Mix_Chunk* chunk = decodeSound(path.c_str());
    const auto* samples = reinterpret_cast<const int16_t*>(chunk->abuf) + 2 * kEdgeFrames;
    const double amplitude =
        toneAmplitude(samples, long(chunk->alen / 4) - 2 * kEdgeFrames, 2, kTestRate, alias);
    report(label, 20 * std::log10(amplitude / (32768 * kAmplitude)), "dB");
    Mix_FreeChunk(chunk);
    removeTree(dir);
}

void aliasing()
{
    openDummyMixer();
    aliasLevel("15 kHz tone at 44.1 kHz: alias at 7050 Hz", 44100, 15000, kTestRate - 15000);
    aliasLevel("3 kHz tone at 11025 Hz: image at 8025 Hz", 11025, 3000, 11025 - 3000);
    closeMixer();
}

// A figure of /proc/self/status in kB, such as "VmRSS:" or "VmHWM:".
long statusKb(const char* field)
{
    long kb = 0;
    FILE* status = fopen("/proc/self/status", "r");
    char line[256];
    while (status && fgets(line, sizeof line, status))
        if (strncmp(line, field, strlen(field)) == 0)
            kb = atol(line + strlen(field));
    if (status)
        fclose(status);
    return kb;
}

// Resets the peak resident size to the present one, with the heap's free pages given
// back first, so that the next peak is the loading's own.
void resetPeakMemory()
{
    malloc_trim(0);
    FILE* clear = fopen("/proc/self/clear_refs", "w");
    if (clear)
    {
        fputs("5", clear);
        fclose(clear);
    }
}

// Loads the files and prints how far the resident size rose above its level before
// and how much the sounds hold.
void measureLoading(const std::string& label, const std::vector<std::string>& paths)
{
    resetPeakMemory();
    const long before = statusKb("VmRSS:");
    std::vector<Mix_Chunk*> chunks;
    for (const std::string& path : paths)
        chunks.push_back(decodeSound(path.c_str()));
    const long peak = statusKb("VmHWM:");
    double held = 0;
    int decoded = 0;
    for (Mix_Chunk* chunk : chunks)
    {
        held += chunk ? chunk->alen : 0;
        decoded += chunk != nullptr;
        Mix_FreeChunk(chunk);
    }
    report(label + ": files decoded", decoded, "files");
    report(label + ": sound data held", held / (1024 * 1024), "MB");
    report(label + ": peak memory growth while loading", (peak - before) / 1024.0, "MB");
}

// The eight slot paths of a preset file, relative to the stage folder.
std::vector<std::string> presetPaths(const std::string& stage, const char* preset)
{
    std::vector<std::string> paths;
    FILE* file = fopen((stage + "/" + preset).c_str(), "r");
    char word[200];
    for (int i = 0; file && i < kPresetWords + kPresetSlots && fscanf(file, "%199s", word) == 1;
         ++i)
        if (i >= kPresetWords)
            paths.push_back(stage + "/" + word);
    if (file)
        fclose(file);
    return paths;
}

void loadingMemory()
{
    openDummyMixer();
    measureLoading("demo preset", presetPaths(PADBOX_TEST_STAGE, "presets/demo.trp"));

    // A preset of four one-second kit hits at 44.1 kHz 16-bit and four four-second
    // loops at 48 kHz 24-bit, in stereo.
    const std::string dir = makeTempDir();
    std::vector<std::string> paths;
    for (int slot = 0; slot < kPresetSlots; ++slot)
    {
        const bool loop = slot >= kPresetSlots / 2;
        const WavSpec spec =
            loop ? WavSpec{48000, 2, kS24, kPlain} : WavSpec{44100, 2, kS16, kPlain};
        const long frames = long(spec.rate) * (loop ? 4 : 1);
        paths.push_back(dir + "/" + std::to_string(slot) + ".wav");
        writeWav(paths.back(), spec, sineFrames(frames, 2, 220.0 * (slot + 1), 0.5, spec.rate));
    }
    measureLoading("four hits and four loops", paths);
    removeTree(dir);
    closeMixer();
}

const bool registered = registerBench("decode speed", decodeSpeed) &&
                        registerBench("aliasing", aliasing) &&
                        registerBench("decode memory", loadingMemory);
} // namespace
