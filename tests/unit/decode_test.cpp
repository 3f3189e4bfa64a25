// Sound files of every common layout, rate and sample size decoded for the program's
// mixer at their true pitch and length, and corrupt or hostile files refused.
#include "sound/decode.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <cmath>
#include <sndfile.h>
#include <sstream>

namespace
{
using DecodeTest = ProgramTest;

constexpr double kToneHz = 587.33;
constexpr double kAmplitude = 0.5;
constexpr int kEdgeFrames = 220; // 10 ms the resampler's filter may shape at each end

// What is wrong with a decoded sine of sourceFrames frames at sourceRate, channel c at
// kAmplitude / (c + 1); empty when its length (to one frame at the mixer's rate), its
// pitch, its level and its sides are right.
std::string sineFaults(const Mix_Chunk* chunk, long sourceFrames, int sourceRate, int channels)
{
    if (!chunk)
        return "not decoded";
    std::ostringstream faults;
    const long frames = long(chunk->alen / 4);
    const double expected = double(sourceFrames) * kTestRate / sourceRate;
    if (std::fabs(double(frames) - expected) > 1)
        faults << "length " << frames << " frames, not " << expected << "; ";

    // Pitch from the left side's rising zero crossings, levels from each side's RMS.
    const auto* s = reinterpret_cast<const int16_t*>(chunk->abuf);
    double first = -1, last = -1, squares[2] = {0, 0};
    int crossings = 0;
    for (long i = kEdgeFrames; i < frames - kEdgeFrames; ++i)
    {
        const double a = s[2 * i], b = s[2 * i + 2];
        if (a < 0 && b >= 0)
        {
            last = double(i) + a / (a - b);
            first = first < 0 ? last : first;
            ++crossings;
        }
        squares[0] += a * a;
        squares[1] += double(s[2 * i + 1]) * s[2 * i + 1];
    }
    const double hz = crossings > 1 ? (crossings - 1) * kTestRate / (last - first) : 0;
    if (std::fabs(hz / kToneHz - 1) > 0.002)
        faults << "pitch " << hz << " Hz; ";
    const double full = 32768 * kAmplitude / std::sqrt(2.0);
    const double wanted[2] = {full, channels == 1 ? full : full / 2};
    for (int side = 0; side < 2; ++side)
    {
        const double rms = std::sqrt(squares[side] / double(frames - 2 * kEdgeFrames));
        if (std::fabs(rms / wanted[side] - 1) > 0.03)
            faults << "level " << rms << " on side " << side << "; ";
    }
    return faults.str();
}

// A sine at kToneHz written by libsndfile itself.
std::string writeWithSndfile(const std::string& path, int format, int rate, int channels,
                             long frames)
{
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    const std::vector<double> sine = sineFrames(frames, channels, kToneHz, kAmplitude, rate);
    sf_writef_double(file, sine.data(), frames);
    sf_close(file);
    return path;
}

void put32At(std::string& bytes, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(v >> (8 * i));
}
} // namespace

TEST_F(DecodeTest, EveryRateSampleSizeAndLayoutPlaysAtItsTruePitchAndLength)
{
    int correct = 0, total = 0;
    const auto check = [&](const std::string& name, long frames, int rate, int channels)
    {
        Mix_Chunk* chunk = decodeSound(name.c_str());
        const std::string faults = sineFaults(chunk, frames, rate, channels);
        EXPECT_EQ(faults, "") << name;
        correct += faults.empty();
        ++total;
        Mix_FreeChunk(chunk);
    };
    // Every layout and encoding, in the order of their enumerations.
    for (int layout = 0; layout <= int(WavLayout::OddListAfterFmt); ++layout)
        for (int rate : {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000})
            for (int encoding = 0; encoding <= int(WavEncoding::Float32); ++encoding)
                for (int channels = 1; channels <= 2; ++channels)
                {
                    std::ostringstream name;
                    name << "layout" << layout << "_" << rate << "Hz_encoding" << encoding << "_"
                         << channels << "ch.wav";
                    const long frames = rate * 3 / 10 + 7;
                    writeWav(name.str(), {rate, channels, WavEncoding(encoding), WavLayout(layout)},
                             sineFrames(frames, channels, kToneHz, kAmplitude, rate));
                    check(name.str(), frames, rate, channels);
                }
    check(writeWithSndfile("tone.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 48000, 1, 24000), 24000,
          48000, 1);
    check(writeWithSndfile("tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, 22050), 22050,
          44100, 2);
    EXPECT_EQ(correct, total);
    printf("matrix: %d of %d files correct\n", correct, total);
}

// The most common files, 44.1 kHz 16-bit, and 11025 Hz ones are resampled through a
// filter: a tone above the mixer's highest frequency leaves no alias, and a tone
// below it no image above the source's highest.
TEST_F(DecodeTest, ResampledFilesHaveNoAliasNorImage)
{
    struct Case
    {
        int rate, channels;
        double tone, alias;
    };
    for (const Case& c :
         {Case{44100, 2, 15000, kTestRate - 15000}, Case{11025, 1, 3000, 11025 - 3000}})
    {
        writeWav("tone.wav", {c.rate, c.channels, WavEncoding::S16, WavLayout::Plain},
                 sineFrames(c.rate, c.channels, c.tone, kAmplitude, c.rate));
        Mix_Chunk* chunk = loadSlotSound("tone.wav");
        ASSERT_NE(chunk, nullptr);
        const auto* s = reinterpret_cast<const int16_t*>(chunk->abuf) + 2 * kEdgeFrames;
        const long frames = long(chunk->alen / 4) - 2 * kEdgeFrames;
        const double alias = toneAmplitude(s, frames, 2, kTestRate, c.alias);
        EXPECT_LT(20 * std::log10(alias / (32768 * kAmplitude)), -90) << c.rate << " Hz";
        Mix_FreeChunk(chunk);
    }
}

TEST_F(DecodeTest, MoreThanTwoChannelsAreMixedDownKeepingTheirSides)
{
    std::vector<double> six; // a sine on the left channel alone
    for (double v : sineFrames(24000, 1, kToneHz, kAmplitude, 48000))
        six.insert(six.end(), {v, 0, 0, 0, 0, 0});
    writeWav("six.wav", {48000, 6, WavEncoding::S24, WavLayout::Extensible}, six);
    Mix_Chunk* chunk = decodeSound("six.wav");
    ASSERT_NE(chunk, nullptr);
    EXPECT_NEAR(chunk->alen / 4, 11025, 1);
    const auto* s = reinterpret_cast<const int16_t*>(chunk->abuf);
    double left = 0, right = 0;
    for (int i = kEdgeFrames; i < 11025 - kEdgeFrames; ++i)
    {
        left = std::max(left, std::fabs(s[2 * i]));
        right = std::max(right, std::fabs(s[2 * i + 1]));
    }
    EXPECT_NEAR(left, 32768 * kAmplitude / 3, 200) << "scaled so six full channels fit";
    EXPECT_LT(right, 2);
    Mix_FreeChunk(chunk);

    const float quad[] = {1.0f, -1.0f, 0.5f, 0.5f};
    float stereo[2];
    mixDown(quad, 4, 1, stereo, 2);
    EXPECT_FLOAT_EQ(stereo[0], 0.75f) << "further channels go to both sides at half level";
    EXPECT_FLOAT_EQ(stereo[1], -0.25f);
}

TEST_F(DecodeTest, CorruptAndHostileFilesGiveNoSound)
{
    const std::string good = wavBytes({44100, 2, WavEncoding::S16, WavLayout::Plain},
                                      sineFrames(4000, 2, kToneHz, kAmplitude, 44100));
    const std::string resampled = wavBytes({48000, 2, WavEncoding::S24, WavLayout::Plain},
                                           sineFrames(4000, 2, kToneHz, kAmplitude, 48000));
    std::vector<std::string> files = {"",
                                      "R",
                                      "This is a note about the kit, not a sound.\n",
                                      good.substr(0, good.size() / 2),
                                      resampled.substr(0, resampled.size() / 2),
                                      good.substr(0, 36),
                                      std::string("RIFF\x10\0\0\0WAVEJUNK\xff\xff\xff\x7f", 20) +
                                          good.substr(12)};
    // Field at byte offset: data length, fmt length, channels, rate.
    for (auto [at, value] : {std::pair{40, 0xfffffff0u}, {16, 0x7ffffff0u}, {22, 0u}, {24, 0u}})
    {
        files.push_back(good);
        put32At(files.back(), size_t(at), value);
    }
    files.push_back(resampled);
    files.back()[22] = files.back()[23] = '\xff'; // 65535 channels

    std::string flac =
        readFile(writeWithSndfile("base.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1, 4410));
    ASSERT_GT(flac.size(), 26u);
    for (size_t at = 22; at < 26; ++at)
        flac[at] = '\xff'; // STREAMINFO's total sample count: about 2^36 frames
    files.push_back(flac);

    for (size_t i = 0; i < files.size(); ++i)
    {
        writeFile("bad.wav", files[i]);
        Mix_Chunk* chunk = decodeSound("bad.wav");
        EXPECT_EQ(chunk, nullptr) << "file " << i;
        Mix_FreeChunk(chunk);
    }
    EXPECT_EQ(decodeSound("missing.wav"), nullptr);
    EXPECT_EQ(decodeSound("."), nullptr);
}

TEST_F(DecodeTest, TenMinutesIsTheLongestSound)
{
    for (int rate : {8000, kTestRate}) // the decoder's path and the mixer loader's
    {
        const std::vector<double> silence(size_t(rate) * kMaxSoundSeconds, 0.0);
        writeWav("long.wav", {rate, 1, WavEncoding::U8, WavLayout::Plain}, silence);
        Mix_Chunk* chunk = decodeSound("long.wav");
        ASSERT_NE(chunk, nullptr) << rate;
        EXPECT_NEAR(chunk->alen / 4, kTestRate * kMaxSoundSeconds, 1);
        Mix_FreeChunk(chunk);
        writeWav("long.wav", {rate, 1, WavEncoding::U8, WavLayout::Plain},
                 std::vector<double>(silence.size() + 1, 0.0));
        EXPECT_EQ(decodeSound("long.wav"), nullptr) << rate;
    }
}
