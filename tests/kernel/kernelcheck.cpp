// The kernel test's tool, run inside the booted kernel and on the build machine:
//
//   kernelcheck sounds DIR                 the preset and its sounds, in a program folder
//   kernelcheck play MIDIDEV               the checks' MIDI bytes, written to a raw port
//   kernelcheck heard FILE                 what the recording of those bytes must hold
//   kernelcheck bench MIDIDEV PCM PERIOD BUFFER NOTES
//                                          note bytes written to the first frame recorded
//
// Recordings are 16-bit stereo at the mixer's rate, as the loopback card carries them.
#include "tests/kernel/kernel.h"
#include "tests/support/wav.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kNoteOn = 0x90, kNoteOff = 0x80, kController = 0xb0;
constexpr uint8_t kFullVelocity = 127;
constexpr int kFirstNote = 36; // S1; S1-S4 then L1-L4 follow it
constexpr int kNotesPerKind = 4;
constexpr int kPauseMs = 300; // between the one-shot checks' bytes: longer than a sound
// Velocities of S1 in the velocity check, rising; the last is full.
constexpr uint8_t kVelocities[] = {20, 50, 90, kFullVelocity};
// Waits before L2, L3 and L4 are switched on: none a whole number of passes of L1.
constexpr int kLoopWaitsMs[] = {550, 700, 450};
constexpr int kLoopsOnMs = 1000;
constexpr int kSilentGapFrames = kMixerRate / 20; // zeros that end a sound in a recording

int64_t nowUs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

void pauseMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

[[noreturn]] void fail(const std::string& what)
{
    fprintf(stderr, "kernelcheck: %s\n", what.c_str());
    exit(2);
}

int openMidi(const char* device)
{
    const int fd = open(device, O_WRONLY);
    if (fd < 0)
        fail(std::string(device) + ": " + strerror(errno));
    return fd;
}

void send(int fd, const Bytes& bytes)
{
    if (write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        fail(std::string("writing MIDI: ") + strerror(errno));
}

int sounds(const std::string& dir)
{
    namespace fs = std::filesystem;
    for (const char* folder : {"kits", "loops", "presets"})
        fs::create_directories(dir + "/" + folder);
    std::string preset = "Tamo Ri Presets\n";
    for (int k = 0; k < kNotesPerKind; ++k)
    {
        const std::string path = "kits/s" + std::to_string(k + 1) + ".wav";
        writeWav16(dir + "/" + path, constantStereo(kShotFrames, kShotLevels[k]), 2);
        preset += path + "\n";
    }
    for (int k = 0; k < kNotesPerKind; ++k)
    {
        const std::string path = "loops/l" + std::to_string(k + 1) + ".wav";
        writeWav16(dir + "/" + path, constantStereo(kLoopFrames, kLoopLevels[k]), 2);
        preset += path + "\n";
    }
    preset += "Oru\nSe supone que no deberias estar leyendo esto.\n";
    std::ofstream(dir + "/presets/" + kKernelPreset) << preset;
    return 0;
}

int play(const char* device)
{
    const int fd = openMidi(device);
    // S1-S4 on four channels, each followed by bytes that must stay silent.
    const uint8_t channels[kNotesPerKind] = {0, 9, 5, 15};
    const Bytes silent[] = {
        {kNoteOn, kFirstNote - 1, kFullVelocity},                     // below the map
        {kNoteOn | 3, kFirstNote + 2 * kNotesPerKind, kFullVelocity}, // above it
        {kNoteOn, kFirstNote, 0},                                     // velocity 0
        {kNoteOff, kFirstNote, kFullVelocity, kController, kFirstNote, kFullVelocity},
    };
    for (int k = 0; k < kNotesPerKind; ++k)
    {
        send(fd, {uint8_t(kNoteOn | channels[k]), uint8_t(kFirstNote + k), kFullVelocity});
        pauseMs(kPauseMs);
        send(fd, silent[k]);
        pauseMs(kPauseMs);
    }
    for (uint8_t velocity : kVelocities)
    {
        send(fd, {kNoteOn, kFirstNote, velocity});
        pauseMs(kPauseMs);
    }
    // L1 sets the beat; L2-L4 are switched on in the middle of its passes, then all four
    // off again, the last first.
    const uint8_t firstLoop = kFirstNote + kNotesPerKind;
    send(fd, {kNoteOn, firstLoop, kFullVelocity});
    for (int k = 1; k < kNotesPerKind; ++k)
    {
        pauseMs(kLoopWaitsMs[k - 1]);
        send(fd, {kNoteOn, uint8_t(firstLoop + k), kFullVelocity});
    }
    pauseMs(kLoopsOnMs);
    for (int k = kNotesPerKind - 1; k >= 0; --k)
    {
        send(fd, {kNoteOn, uint8_t(firstLoop + k), kFullVelocity});
        pauseMs(kPauseMs);
    }
    close(fd);
    return 0;
}

// A stretch of sound in a recording: where it starts, and its left channel. Short
// runs of zeros inside it are left out: where the program's playback underran, the
// loopback card recorded silence until the program wrote the same frames late.
struct Sound
{
    long start;
    std::vector<int16_t> frames;
};

std::vector<Sound> soundsIn(const std::vector<int16_t>& left)
{
    std::vector<Sound> found;
    long lastLoud = -kSilentGapFrames;
    for (long f = 0; f < long(left.size()); ++f)
    {
        if (left[f] == 0)
            continue;
        if (f - lastLoud >= kSilentGapFrames)
            found.push_back({f, {}});
        found.back().frames.push_back(left[f]);
        lastLoud = f;
    }
    return found;
}

// The levels a sound holds, each with the frame it starts at within the sound.
std::vector<std::pair<int16_t, long>> plateaus(const Sound& sound)
{
    std::vector<std::pair<int16_t, long>> levels;
    for (long f = 0; f < long(sound.frames.size()); ++f)
        if (levels.empty() || levels.back().first != sound.frames[f])
            levels.push_back({sound.frames[f], f});
    return levels;
}

int failures = 0;

void report(bool ok, const std::string& check, const std::string& detail)
{
    printf("kernel check: %s: %s%s\n", check.c_str(),
           ok ? "ok" : "FAILED: ", ok ? "" : detail.c_str());
    failures += !ok;
}

std::string describe(const std::vector<std::pair<int16_t, long>>& levels)
{
    std::string text;
    for (const auto& [level, at] : levels)
        text += std::to_string(level) + " from " + std::to_string(at) + ", ";
    return text;
}

int heard(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty())
        fail(file + ": no recording");
    std::vector<int16_t> stereo(bytes.size() / sizeof(int16_t));
    std::copy_n(bytes.data(), stereo.size() * sizeof(int16_t),
                reinterpret_cast<char*>(stereo.data()));
    const std::vector<int16_t> left = leftChannel(stereo);
    bool sides = true;
    for (size_t f = 0; f < left.size(); ++f)
        sides = sides && stereo[2 * f + 1] == left[f];
    report(sides, "both sides alike", "the right channel differs");

    const std::vector<Sound> found = soundsIn(left);
    const size_t expected = 2 * kNotesPerKind + 1; // S1-S4, S1 four times, the loops
    report(found.size() == expected,
           "notes outside the map, velocity 0, note-off and a controller are silent",
           std::to_string(found.size()) + " sounds heard, " + std::to_string(expected) +
               " expected");
    if (found.size() != expected)
        return 1;

    std::string shots;
    for (int k = 0; k < kNotesPerKind; ++k)
    {
        const auto levels = plateaus(found[k]);
        if (levels.size() != 1 || levels[0].first != kShotLevels[k] ||
            found[k].frames.size() != size_t(kShotFrames))
            shots += "note " + std::to_string(kFirstNote + k) + ": " + describe(levels) +
                     std::to_string(found[k].frames.size()) + " frames; ";
    }
    report(shots.empty(), "notes 36-39 on channels 1, 10, 6, 16 play S1-S4 whole", shots);

    std::string velocities;
    bool rising = true;
    int16_t last = 0;
    for (int k = 0; k < kNotesPerKind; ++k)
    {
        const auto levels = plateaus(found[kNotesPerKind + k]);
        velocities += std::to_string(kVelocities[k]) + " -> " + describe(levels);
        rising = rising && levels.size() == 1 && levels[0].first > last;
        last = levels[0].first;
    }
    report(rising && last == kShotLevels[0], "S1's volume rises with velocity, full at 127",
           velocities);

    // The loops: each switched on starts on a boundary of L1, which started at once.
    const auto levels = plateaus(found.back());
    std::vector<int16_t> sums; // L1, L1+L2, ... all four, then less L4, less L3, ...
    for (int k = 0; k < kNotesPerKind; ++k)
        sums.push_back(int16_t((k ? sums.back() : 0) + kLoopLevels[k]));
    for (int k = kNotesPerKind - 2; k >= 0; --k)
        sums.push_back(sums[k]);
    bool inStep = levels.size() == sums.size();
    for (size_t k = 0; inStep && k < sums.size(); ++k)
        inStep = levels[k].first == sums[k] &&
                 (k >= size_t(kNotesPerKind) || levels[k].second % kLoopFrames == 0);
    report(inStep, "notes 40-43 switch L1-L4, each starting in step on L1's boundary",
           describe(levels));
    return failures ? 1 : 0;
}

double msBetween(int64_t fromUs, double toUs)
{
    return (toUs - fromUs) / 1000.0;
}

void check(int result, const char* what)
{
    if (result < 0)
        fail(std::string(what) + ": " + snd_strerror(result));
}

snd_pcm_t* openCapture(const char* name, snd_pcm_uframes_t period, snd_pcm_uframes_t buffer)
{
    snd_pcm_t* pcm;
    check(snd_pcm_open(&pcm, name, SND_PCM_STREAM_CAPTURE, 0), name);
    snd_pcm_hw_params_t* hw;
    snd_pcm_hw_params_alloca(&hw);
    check(snd_pcm_hw_params_any(pcm, hw), "hw params");
    check(snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED), "access");
    check(snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE), "format");
    check(snd_pcm_hw_params_set_channels(pcm, hw, kMixerChannels), "channels");
    check(snd_pcm_hw_params_set_rate(pcm, hw, kMixerRate, 0), "rate");
    check(snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, nullptr), "period");
    check(snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer), "buffer");
    check(snd_pcm_hw_params(pcm, hw), "hw params");
    snd_pcm_sw_params_t* sw;
    snd_pcm_sw_params_alloca(&sw);
    check(snd_pcm_sw_params_current(pcm, sw), "sw params");
    check(snd_pcm_sw_params_set_tstamp_mode(pcm, sw, SND_PCM_TSTAMP_ENABLE), "time stamps");
    check(snd_pcm_sw_params_set_tstamp_type(pcm, sw, SND_PCM_TSTAMP_TYPE_MONOTONIC), "clock");
    check(snd_pcm_sw_params(pcm, sw), "sw params");
    return pcm;
}

// Each note at a random moment, far enough from the last for its sound to have ended.
constexpr int kBenchNote = kFirstNote + kNotesPerKind - 1; // S4, the loudest
constexpr int kLeastGapMs = 150, kMostGapMs = 300;
constexpr int16_t kLoudLevel = kShotLevels[kNotesPerKind - 1] / 2;
constexpr int kMostLost = 10;              // a tenth of the notes at most lost to underruns
constexpr int kCaptureBuffer = kMixerRate; // frames: one second, so the capture never overruns

int bench(const char* device, const char* pcmName, int period, int buffer, int notes)
{
    const int fd = openMidi(device);
    snd_pcm_t* pcm = openCapture(pcmName, period, kCaptureBuffer);
    std::vector<int64_t> written(notes);
    std::atomic<bool> done{false};
    std::thread writer(
        [&]
        {
            std::mt19937 random(21);
            std::uniform_int_distribution<int> gapMs(kLeastGapMs, kMostGapMs);
            for (int64_t& at : written)
            {
                pauseMs(gapMs(random));
                at = nowUs();
                send(fd, {kNoteOn, kBenchNote, kFullVelocity});
            }
            pauseMs(kMostGapMs * 2);
            done = true;
        });

    // The time each sound's first frame was recorded: the capture's position at the
    // status's time stamp, counted back frame by frame.
    std::vector<double> firstFrames;
    std::vector<int16_t> chunk(period * kMixerChannels);
    bool loud = false;
    snd_pcm_status_t* status;
    snd_pcm_status_alloca(&status);
    while (!done)
    {
        const snd_pcm_sframes_t got = snd_pcm_readi(pcm, chunk.data(), period);
        if (got < 0)
        {
            check(snd_pcm_recover(pcm, int(got), 1), "capture");
            continue;
        }
        check(snd_pcm_status(pcm, status), "status");
        snd_htimestamp_t stamp;
        snd_pcm_status_get_htstamp(status, &stamp);
        const double stampUs = stamp.tv_sec * 1e6 + stamp.tv_nsec / 1e3;
        const long behind = got + snd_pcm_status_get_avail(status);
        for (long f = 0; f < got; ++f)
        {
            const bool now = std::abs(chunk[f * kMixerChannels]) >= kLoudLevel;
            if (now && !loud)
                firstFrames.push_back(stampUs - (behind - f) * 1e6 / kMixerRate);
            loud = now;
        }
    }
    writer.join();
    snd_pcm_close(pcm);
    close(fd);
    // Each note's sound is the first to start after its bytes and before the next note's;
    // a sound broken by an underrun starts once more later, and one whose start the
    // card never recorded is lost.
    std::vector<double> ms;
    size_t next = 0;
    for (int k = 0; k < notes; ++k)
    {
        while (next < firstFrames.size() && firstFrames[next] < written[k])
            ++next;
        if (next < firstFrames.size() && (k + 1 == notes || firstFrames[next] < written[k + 1]))
            ms.push_back(msBetween(written[k], firstFrames[next]));
    }
    const int lost = notes - int(ms.size());
    if (lost > notes / kMostLost)
        fail(std::to_string(lost) + " of " + std::to_string(notes) + " notes not recorded");
    const auto [least, most] = std::minmax_element(ms.begin(), ms.end());
    double sum = 0, squares = 0;
    for (double m : ms)
        sum += m;
    const double mean = sum / ms.size();
    for (double m : ms)
        squares += (m - mean) * (m - mean);
    printf("MIDI note bytes written to the first frame recorded, %zu notes: min %.1f / mean "
           "%.1f / max %.1f ms, spread %.1f ms (max - min), standard deviation %.1f ms; padbox's "
           "ALSA period %d frames (%.1f ms), buffer %d frames (%.1f ms); notes lost to "
           "underruns: %d\n",
           ms.size(), *least, mean, *most, *most - *least, std::sqrt(squares / ms.size()), period,
           period * 1000.0 / kMixerRate, buffer, buffer * 1000.0 / kMixerRate, lost);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "sounds" && argc == 3)
        return sounds(argv[2]);
    if (command == "play" && argc == 3)
        return play(argv[2]);
    if (command == "heard" && argc == 3)
        return heard(argv[2]);
    if (command == "bench" && argc == 7)
        return bench(argv[2], argv[3], atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
    fprintf(stderr, "usage: kernelcheck sounds DIR | play MIDIDEV | heard FILE |\n"
                    "       bench MIDIDEV PCM PERIOD BUFFER NOTES\n");
    return 2;
}
