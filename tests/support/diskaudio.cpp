#include "tests/support/diskaudio.h"

#include "sound/mixer.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL.h>
#include <atomic>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr int kStereo = kMixerChannels;

// The marks of the measurement: 20 ms apart, a whole number of frames at every rate
// that is a multiple of 50 Hz, the first away from the stream's start.
constexpr long kMarkSpacing = kTestRate / 50;
constexpr long kFirstMark = kMarkSpacing / 2;
constexpr long kMarks = 8;
constexpr int16_t kMarkLevel = 16384;
constexpr int kProbeTimeoutMs = 10000;

std::atomic<long> marksFed{0};

void playMarks(void*, Uint8* stream, int len)
{
    auto* out = reinterpret_cast<int16_t*>(stream);
    const long first = marksFed;
    const long frames = len / long(kStereo * sizeof(int16_t));
    for (long i = 0; i < frames; ++i)
        out[kStereo * i] = out[kStereo * i + 1] =
            (first + i) % kMarkSpacing == kFirstMark ? kMarkLevel : 0;
    marksFed = first + frames;
}

// In a child process: opens audio as the mixer does and plays the marks, and a few
// passes more so that every mark has left the library's converter, into file.
[[noreturn]] void recordMarks(const std::string& file)
{
    useHeadlessDrivers(file, 0);
    SDL_AudioSpec got;
    SDL_AudioSpec spec = {kTestRate, kMixerFormat, kStereo, 0, kMixerBuffer, 0, 0, playMarks, {}};
    if (SDL_Init(SDL_INIT_AUDIO) < 0 || SDL_OpenAudio(&spec, &got) < 0)
        _exit(1);
    SDL_PauseAudio(0);
    const long enough = kFirstMark + kMarks * kMarkSpacing + 4 * kMixerBuffer;
    for (int waited = 0; marksFed < enough && waited < kProbeTimeoutMs; ++waited)
        SDL_Delay(1);
    SDL_CloseAudio();
    SDL_Quit();
    _exit(marksFed < enough ? 1 : 0);
}

CaptureFormat measureCaptureFormat()
{
    const std::string dir = makeTempDir();
    const std::string file = dir + "/marks.raw";
    const pid_t pid = fork();
    if (pid == 0)
        recordMarks(file);
    int status = -1;
    waitpid(pid, &status, 0);
    const std::string bytes = readFile(file);
    removeTree(dir);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the disk audio driver did not play");
    // The frame of each mark: a peak of the left channel above half the marks' level.
    std::vector<int16_t> samples(bytes.size() / sizeof(int16_t));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(int16_t));
    std::vector<long> peaks;
    for (size_t frame = 1; kStereo * (frame + 1) < samples.size(); ++frame)
    {
        const int16_t* at = &samples[kStereo * frame];
        if (at[0] > kMarkLevel / 2 && at[0] >= at[-kStereo] && at[0] > at[kStereo])
            peaks.push_back(long(frame));
    }
    if (peaks.size() < 3)
        throw std::runtime_error("the disk driver's capture holds too few marks");
    const double spacing = double(peaks.back() - peaks.front()) / double(peaks.size() - 1);
    const int rate = int(std::lround(spacing * kTestRate / kMarkSpacing));
    if (rate % kTestRate != 0)
        throw std::runtime_error("the disk driver writes at " + std::to_string(rate) +
                                 " Hz, not a whole multiple of the mixer's rate");
    // Whole passes of silence, as many as the audio thread ran before it was unpaused,
    // come first.
    return {rate, int(peaks.front() % (rate / kTestRate))};
}
} // namespace

const CaptureFormat& captureFormat()
{
    static const CaptureFormat format = measureCaptureFormat();
    return format;
}

std::vector<std::string> diskAudioEnvironment(const std::string& audioFile, int delayMs)
{
    if (delayMs == kRealTimeDiskDelayMs)
        delayMs = kMixerBuffer * 1000 / captureFormat().rate;
    return {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + audioFile,
            "SDL_DISKAUDIODELAY=" + std::to_string(delayMs)};
}
