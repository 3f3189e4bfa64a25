// Sound files of every common layout, rate and sample size decoded for the program's
// mixer, and corrupt files refused.
#include "sound/decode.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <cmath>
#include <cstring>
#include <iterator>
#include <sndfile.h>
#include <sstream>

namespace
{
using DecodeTest = ProgramTest;

constexpr double kToneHz = 587.33;
constexpr double kAmplitude = 0.5;
constexpr int kEdgeFrames = 220; // 10 ms the resampler's filter may shape at each end

const int kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000};
const WavEncoding kEncodings[] = {WavEncoding::U8, WavEncoding::S16, WavEncoding::S24,
                                  WavEncoding::S32, WavEncoding::Float32};
const char* const kEncodingNames[] = {"u8", "s16", "s24", "s32", "f32"};
const WavLayout kLayouts[] = {WavLayout::Plain, WavLayout::Extensible, WavLayout::JunkFirst,
                              WavLayout::BextFirst, WavLayout::OddListAfterFmt};
const char* const kLayoutNames[] = {"plain", "extensible", "junk", "bext", "oddlist"};

// A decoded chunk as interleaved 16-bit stereo samples.
std::vector<int16_t> samplesOf(const Mix_Chunk* chunk)
{
    std::vector<int16_t> out(chunk->alen / 2);
    std::memcpy(out.data(), chunk->abuf, out.size() * 2);
    return out;
}

long framesOf(const Mix_Chunk* chunk)
{
    return static_cast<long>(chunk->alen / 4);
}

// Frequency of a sine from its rising zero crossings, away from both ends.
double frequency(const std::vector<int16_t>& stereo, int channel)
{
    const long frames = static_cast<long>(stereo.size() / 2);
    double first = -1;
    double last = -1;
    int crossings = 0;
    for (long i = kEdgeFrames; i + 1 < frames - kEdgeFrames; ++i)
    {
        const double a = stereo[2 * i + channel];
        const double b = stereo[2 * (i + 1) + channel];
        if (a < 0 && b >= 0)
        {
            last = static_cast<double>(i) + a / (a - b);
            first = first < 0 ? last : first;
            ++crossings;
        }
    }
    return crossings > 1 ? (crossings - 1) * kTestRate / (last - first) : 0;
}

double rms(const std::vector<int16_t>& stereo, int channel)
{
    const long frames = static_cast<long>(stereo.size() / 2);
    double sum = 0;
    long count = 0;
    for (long i = kEdgeFrames; i < frames - kEdgeFrames; ++i, ++count)
        sum += double(stereo[2 * i + channel]) * stereo[2 * i + channel];
    return count ? std::sqrt(sum / count) : 0;
}

// What is wrong with the decoded sine, or an empty text when it is right: its length
// in frames at the mixer's rate, its pitch, its level, and which side is which.
std::string sineFaults(const Mix_Chunk* chunk, long sourceFrames, int sourceRate, int channels)
{
    if (!chunk)
        return "not decoded";
    std::ostringstream faults;
    const double expected = static_cast<double>(sourceFrames) * kTestRate / sourceRate;
    if (std::fabs(framesOf(chunk) - expected) > 1)
        faults << "length " << framesOf(chunk) << " frames, not " << expected << "; ";
    const std::vector<int16_t> heard = samplesOf(chunk);
    const double hz = frequency(heard, 0);
    if (std::fabs(hz / kToneHz - 1) > 0.002)
        faults << "pitch " << hz << " Hz; ";
    const double fullRms = 32768 * kAmplitude / std::sqrt(2.0);
    const double left = rms(heard, 0);
    const double right = rms(heard, 1);
    if (std::fabs(left / fullRms - 1) > 0.03)
        faults << "left level " << left << ", not " << fullRms << "; ";
    const double rightShare = channels == 1 ? 1.0 : 0.5;
    if (std::fabs(right / (fullRms * rightShare) - 1) > 0.03)
        faults << "right level " << right << ", not " << fullRms * rightShare << "; ";
    return faults.str();
}

std::string matrixName(int rate, size_t e, int channels, size_t l)
{
    std::ostringstream name;
    name << "m" << rate << "_" << kEncodingNames[e] << "_" << (channels == 1 ? "mono" : "stereo")
         << "_" << kLayoutNames[l] << ".wav";
    return name.str();
}

// A file written by libsndfile itself: a sine at kToneHz.
void writeWithSndfile(const std::string& path, int format, int rate, int channels, long frames)
{
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const std::vector<double> sine = sineFrames(frames, channels, kToneHz, kAmplitude, rate);
    sf_writef_double(file, sine.data(), frames);
    sf_close(file);
}

SoundRoute routeOf(const std::string& bytes)
{
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    const SoundRoute route = routeSound(stream, kTestRate);
    SDL_RWclose(stream);
    return route;
}

std::string sineWav(int rate, int channels, WavEncoding encoding, WavLayout layout,
                    long frames = 1000)
{
    return wavBytes({rate, channels, encoding, layout},
                    sineFrames(frames, channels, kToneHz, kAmplitude, rate));
}

void put32At(std::string& bytes, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(v >> (8 * i));
}
} // namespace

TEST_F(DecodeTest, EveryRateSampleSizeAndLayoutPlaysAtItsTruePitchAndLength)
{
    int correct = 0;
    int total = 0;
    for (size_t l = 0; l < std::size(kLayouts); ++l)
        for (int rate : kRates)
            for (size_t e = 0; e < std::size(kEncodings); ++e)
                for (int channels = 1; channels <= 2; ++channels)
                {
                    const std::string name = matrixName(rate, e, channels, l);
                    const long frames = rate * 3 / 10 + 7;
                    writeWav(name, {rate, channels, kEncodings[e], kLayouts[l]},
                             sineFrames(frames, channels, kToneHz, kAmplitude, rate));
                    Mix_Chunk* chunk = decodeSound(name.c_str());
                    const std::string faults = sineFaults(chunk, frames, rate, channels);
                    EXPECT_EQ(faults, "") << name;
                    correct += faults.empty();
                    ++total;
                    Mix_FreeChunk(chunk);
                }
    EXPECT_EQ(correct, total);
    printf("matrix: %d of %d files correct\n", correct, total);
}

TEST_F(DecodeTest, PlainPcmAtPowerOfTwoRatesGoesToTheMixersLoader)
{
    for (int rate : {11025, 22050, 44100, 88200})
        for (WavEncoding encoding : {WavEncoding::U8, WavEncoding::S16})
            EXPECT_EQ(routeOf(sineWav(rate, 2, encoding, WavLayout::Plain)),
                      SoundRoute::MixerLoader)
                << rate;
    EXPECT_EQ(routeOf(sineWav(48000, 2, WavEncoding::S16, WavLayout::Plain)), SoundRoute::Decoder);
    EXPECT_EQ(routeOf(sineWav(44100, 2, WavEncoding::S24, WavLayout::Plain)), SoundRoute::Decoder);
    EXPECT_EQ(routeOf(sineWav(44100, 2, WavEncoding::S16, WavLayout::Extensible)),
              SoundRoute::Decoder);
    EXPECT_EQ(routeOf(sineWav(44100, 2, WavEncoding::S16, WavLayout::JunkFirst)),
              SoundRoute::Decoder);
    EXPECT_EQ(routeOf(sineWav(44100, 2, WavEncoding::S16, WavLayout::OddListAfterFmt)),
              SoundRoute::Decoder);
    EXPECT_EQ(routeOf("FORM....AIFF"), SoundRoute::Decoder);
}

TEST_F(DecodeTest, AiffFlacAndOtherFilesLibsndfileReadsPlayToo)
{
    struct Case
    {
        const char* name;
        int format;
        int rate;
        int channels;
    };
    const Case cases[] = {
        {"tone.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, 2},
        {"tone24.aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 48000, 1},
        {"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, 2},
        {"tone16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1},
        {"tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2},
        {"ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 1},
        {"tone.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 32000, 2},
        {"tone.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2},
        {"tone.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 2},
        {"tone.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_24, 96000, 2},
        {"tone.rf64", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, 48000, 2},
        {"tone.au", SF_FORMAT_AU | SF_FORMAT_PCM_16, 16000, 1},
        {"alaw.wav", SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000, 1},
        {"double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 44100, 2},
        {"aifc.aifc", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 44100, 2},
    };
    for (const Case& c : cases)
    {
        const long frames = c.rate / 2;
        writeWithSndfile(c.name, c.format, c.rate, c.channels, frames);
        Mix_Chunk* chunk = decodeSound(c.name);
        EXPECT_EQ(sineFaults(chunk, frames, c.rate, c.channels), "") << c.name;
        Mix_FreeChunk(chunk);
    }
}

TEST_F(DecodeTest, MoreThanTwoChannelsAreMixedDown)
{
    const float quad[] = {1.0f, -1.0f, 0.5f, 0.5f};
    float stereo[2];
    mixDown(quad, 4, 1, stereo, 2);
    EXPECT_FLOAT_EQ(stereo[0], 0.75f); // (1 + 0.25 + 0.25) / 2
    EXPECT_FLOAT_EQ(stereo[1], -0.25f);
    const float full[] = {1, 1, 1, 1, 1, 1};
    mixDown(full, 6, 1, stereo, 2);
    EXPECT_FLOAT_EQ(stereo[0], 1.0f);
    EXPECT_FLOAT_EQ(stereo[1], 1.0f);
    float mono;
    mixDown(quad, 4, 1, &mono, 1);
    EXPECT_FLOAT_EQ(mono, 0.25f);

    // A six-channel file: left and right keep their own sides.
    const long frames = 24000;
    std::vector<double> six;
    for (long i = 0; i < frames; ++i)
    {
        const double v = kAmplitude * std::sin(2 * M_PI * kToneHz * static_cast<double>(i) / 48000);
        for (double share : {1.0, 0.0, 0.0, 0.0, 0.0, 0.0})
            six.push_back(v * share);
    }
    writeWav("six.wav", {48000, 6, WavEncoding::S24, WavLayout::Extensible}, six);
    Mix_Chunk* chunk = decodeSound("six.wav");
    ASSERT_NE(chunk, nullptr);
    EXPECT_NEAR(framesOf(chunk), 11025, 1);
    const std::vector<int16_t> heard = samplesOf(chunk);
    EXPECT_NEAR(frequency(heard, 0), kToneHz, kToneHz * 0.002);
    EXPECT_NEAR(rms(heard, 0), 32768 * kAmplitude / std::sqrt(2.0) / 3, 100);
    EXPECT_LT(rms(heard, 1), 2);
    Mix_FreeChunk(chunk);
}

TEST_F(DecodeTest, CorruptAndHostileFilesGiveNoSound)
{
    const std::string good = sineWav(44100, 2, WavEncoding::S16, WavLayout::Plain, 4000);
    const std::string resampled = sineWav(48000, 2, WavEncoding::S24, WavLayout::Plain, 4000);
    std::vector<std::pair<std::string, std::string>> files = {
        {"empty.wav", ""},
        {"one.wav", "R"},
        {"text.wav", "This is a note about the kit, not a sound.\n"},
        {"cut_mixer.wav", good.substr(0, good.size() / 2)},
        {"cut_decoder.wav", resampled.substr(0, resampled.size() / 2)},
        {"header_only.wav", good.substr(0, 30)},
        {"no_data.wav", good.substr(0, 36)},
    };
    std::string huge = good;
    put32At(huge, 40, 0xfffffff0); // data length far beyond the file
    files.push_back({"huge_data.wav", huge});
    std::string bigFmt = good;
    put32At(bigFmt, 16, 0x7ffffff0);
    files.push_back({"huge_fmt.wav", bigFmt});
    std::string noChannels = good;
    noChannels[22] = noChannels[23] = 0;
    files.push_back({"zero_channels.wav", noChannels});
    std::string noRate = good;
    put32At(noRate, 24, 0);
    files.push_back({"zero_rate.wav", noRate});
    std::string manyChannels = resampled;
    manyChannels[22] = manyChannels[23] = '\xff';
    files.push_back({"65535_channels.wav", manyChannels});
    const std::string junk("RIFF\x10\x00\x00\x00WAVEJUNK\xff\xff\xff\x7f", 20);
    files.push_back({"huge_junk.wav", junk + good.substr(12)});

    writeWithSndfile("flac_base.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1, 4410);
    std::string flac = readFile("flac_base.flac");
    ASSERT_GT(flac.size(), 26u);
    for (size_t at = 22; at < 26; ++at)
        flac[at] = '\xff'; // STREAMINFO's total sample count: about 2^36 frames
    files.push_back({"absurd_count.flac", flac});

    for (const auto& [name, bytes] : files)
    {
        writeFile(name, bytes);
        Mix_Chunk* chunk = decodeSound(name.c_str());
        EXPECT_EQ(chunk, nullptr) << name;
        Mix_FreeChunk(chunk);
    }
    EXPECT_EQ(decodeSound("missing.wav"), nullptr);
    EXPECT_EQ(decodeSound("."), nullptr);
}

TEST_F(DecodeTest, TenMinutesIsTheLongestSound)
{
    for (int rate : {8000, 11025}) // the decoder's path and the mixer loader's
    {
        const long cap = static_cast<long>(rate) * kMaxSoundSeconds;
        const std::vector<double> silence(static_cast<size_t>(cap) + 1, 0.0);
        const std::vector<double> fits(silence.begin(), silence.end() - 1);
        writeWav("long.wav", {rate, 1, WavEncoding::U8, WavLayout::Plain}, fits);
        Mix_Chunk* chunk = decodeSound("long.wav");
        ASSERT_NE(chunk, nullptr) << rate;
        EXPECT_NEAR(framesOf(chunk), kTestRate * kMaxSoundSeconds, 1);
        Mix_FreeChunk(chunk);
        writeWav("too_long.wav", {rate, 1, WavEncoding::U8, WavLayout::Plain}, silence);
        EXPECT_EQ(decodeSound("too_long.wav"), nullptr) << rate;
    }
}
