// Sound files of every common layout, rate and sample size decoded for the program's
// mixer at their true pitch and length, and corrupt or hostile files refused.
#include "sound/decode.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <cmath>
#include <filesystem>
#include <sndfile.h>

namespace
{
using DecodeTest = ProgramTest;

constexpr double kToneHz = 587.33, kAmplitude = 0.5, kFull = 32768 * kAmplitude;
constexpr int kEdgeFrames = 220; // 10 ms the resampler's filter may shape at each end

// What is wrong with a decoded sine of sourceFrames frames at sourceRate, channel c at
// kAmplitude / (c + 1): its length (to one frame at the mixer's rate) or the level of
// the tone on either side, which a wrong pitch takes away.
std::string sineFaults(const Mix_Chunk* chunk, long sourceFrames, int sourceRate, int channels)
{
    if (!chunk)
        return "not decoded";
    std::string faults;
    const long frames = long(chunk->alen / 4);
    if (std::fabs(double(frames) - double(sourceFrames) * kTestRate / sourceRate) > 1)
        faults += "length " + std::to_string(frames) + "; ";
    const auto* s = reinterpret_cast<const int16_t*>(chunk->abuf) + 2 * kEdgeFrames;
    for (int side = 0; side < 2; ++side)
    {
        const double level =
            toneAmplitude(s + side, frames - 2 * kEdgeFrames, 2, kTestRate, kToneHz);
        if (!(std::fabs(level * (channels == 1 ? 1 : side + 1) / kFull - 1) <= 0.03))
            faults += "level " + std::to_string(level) + " on side " + std::to_string(side) + "; ";
    }
    return faults;
}

// A sine at kToneHz written by libsndfile itself.
std::string writeWithSndfile(const std::string& path, int format, int rate, int channels,
                             long frames)
{
    SF_INFO info = {0, rate, channels, format, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_writef_double(file, sineFrames(frames, channels, kToneHz, kAmplitude, rate).data(), frames);
    sf_close(file);
    return path;
}
} // namespace

TEST_F(DecodeTest, EveryRateSampleSizeAndLayoutPlaysAtItsTruePitchAndLengthWithoutAliasOrImage)
{
    const auto check = [&](const std::string& name, long frames, int rate, int channels)
    {
        Mix_Chunk* chunk = decodeSound(name.c_str());
        EXPECT_EQ(sineFaults(chunk, frames, rate, channels), "") << name;
        Mix_FreeChunk(chunk);
    };
    for (int layout = 0; layout <= int(kOddListAfterFmt); ++layout)
        for (int rate : {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000})
            for (int encoding = 0; encoding <= int(kFloat32); ++encoding)
                for (int channels = 1, frames = rate * 3 / 10 + 7; channels <= 2; ++channels)
                {
                    const std::string name = "l" + std::to_string(layout) + "_" +
                                             std::to_string(rate * 100 + encoding * 10 + channels);
                    writeWav(name, {rate, channels, WavEncoding(encoding), WavLayout(layout)},
                             sineFrames(frames, channels, kToneHz, kAmplitude, rate));
                    check(name, frames, rate, channels);
                }
    check(writeWithSndfile("tone.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 48000, 1, 24000), 24000,
          48000, 1);
    check(writeWithSndfile("tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, 22050), 22050,
          44100, 2);

    // More than two channels: scaled so six full ones fit, kept on their sides; further
    // channels go to both sides at half level.
    std::vector<double> six; // a sine on the left channel alone
    for (double v : sineFrames(24000, 1, kToneHz, kAmplitude, 48000))
        six.insert(six.end(), {v, 0, 0, 0, 0, 0});
    writeWav("six.wav", {48000, 6, kS24, kExtensible}, six);
    Mix_Chunk* chunk = decodeSound("six.wav");
    ASSERT_NE(chunk, nullptr);
    EXPECT_NEAR(chunk->alen / 4, 11025, 1);
    double peak[2] = {0, 0};
    for (int i = 2 * kEdgeFrames; i < 2 * (11025 - kEdgeFrames); ++i)
        peak[i % 2] = std::max(peak[i % 2], std::fabs(reinterpret_cast<int16_t*>(chunk->abuf)[i]));
    EXPECT_NEAR(peak[0], kFull / 3, 200);
    EXPECT_LT(peak[1], 2);
    Mix_FreeChunk(chunk);
    const float quad[] = {1.0f, -1.0f, 0.5f, 0.5f};
    float stereo[2];
    mixDown(quad, 4, 1, stereo, 2);
    EXPECT_EQ(std::pair(stereo[0], stereo[1]), std::pair(0.75f, -0.25f));

    // The most common files, 44.1 kHz 16-bit, and 11025 Hz ones are resampled through a
    // filter: a tone above the mixer's highest frequency leaves no alias, and a tone
    // below it no image above the source's highest.
    for (const auto& [rate, channels, tone, alias] :
         {std::tuple{44100, 2, 15000, kTestRate - 15000}, {11025, 1, 3000, 11025 - 3000}})
    {
        writeWav("tone.wav", {rate, channels, kS16, kPlain},
                 sineFrames(rate, channels, tone, kAmplitude, rate));
        chunk = loadSlotSound("tone.wav");
        ASSERT_NE(chunk, nullptr);
        const auto* s = reinterpret_cast<const int16_t*>(chunk->abuf) + 2 * kEdgeFrames;
        const double level =
            toneAmplitude(s, long(chunk->alen / 4) - 2 * kEdgeFrames, 2, kTestRate, alias);
        EXPECT_LT(20 * std::log10(level / kFull), -90) << rate << " Hz";
        Mix_FreeChunk(chunk);
    }
}

TEST_F(DecodeTest, CorruptHostileAndOverlongFilesGiveNoSound)
{
    const std::string good =
        wavBytes({44100, 2, kS16, kPlain}, sineFrames(4000, 2, kToneHz, kAmplitude, 44100));
    const std::string resampled =
        wavBytes({48000, 2, kS24, kPlain}, sineFrames(4000, 2, kToneHz, kAmplitude, 48000));
    std::vector<std::string> files = {"",
                                      "R",
                                      "A note about the kit, not a sound.\n",
                                      good.substr(0, good.size() / 2),
                                      resampled.substr(0, resampled.size() / 2),
                                      good.substr(0, 36),
                                      std::string("RIFF\x10\0\0\0WAVEJUNK\xff\xff\xff\x7f", 20) +
                                          good.substr(12)};
    // Field at byte offset: data length, fmt length, channels, rate.
    for (auto [at, value] : {std::pair{40, 0xfffffff0u}, {16, 0x7ffffff0u}, {22, 0u}, {24, 0u}})
    {
        files.push_back(good);
        for (int i = 0; i < 4; ++i)
            files.back()[size_t(at + i)] = char(value >> (8 * i));
    }
    files.push_back(resampled);
    files.back()[22] = files.back()[23] = '\xff'; // 65535 channels
    files.push_back(
        readFile(writeWithSndfile("base.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1, 4410)));
    files.back().replace(22, 4, "\xff\xff\xff\xff"); // STREAMINFO's sample count: ~2^36 frames
    for (size_t i = 0; i < files.size(); ++i)
    {
        writeFile("bad.wav", files[i]);
        EXPECT_EQ(decodeSound("bad.wav"), nullptr) << "file " << i;
    }
    EXPECT_FALSE(decodeSound("missing.wav") || decodeSound("."));

    // Ten minutes is the longest sound, through the decoder and the mixer's own loader.
    for (int rate : {8000, kTestRate})
    {
        const std::vector<double> silence(size_t(rate) * kMaxSoundSeconds, 0.0);
        writeWav("long.wav", {rate, 1, kU8, kPlain}, silence);
        Mix_Chunk* chunk = decodeSound("long.wav");
        ASSERT_NE(chunk, nullptr) << rate;
        EXPECT_NEAR(chunk->alen / 4, kTestRate * kMaxSoundSeconds, 1);
        Mix_FreeChunk(chunk);
        writeWav("long.wav", {rate, 1, kU8, kPlain}, std::vector<double>(silence.size() + 1, 0.0));
        EXPECT_EQ(decodeSound("long.wav"), nullptr) << rate;
    }
}

TEST_F(DecodeTest, AnMp3WithoutItsLengthHeaderPlaysToItsEndAndTenMinutesIsTheLimitWhateverTheSize)
{
    // A constant-rate MP3 without the frame that gives its exact length, as common
    // encoders write it: its length is then guessed from its size, some frames long.
    SF_INFO info = {0, 44100, 2, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 0, 0};
    SNDFILE* file = sf_open("with header.mp3", SFM_WRITE, &info);
    int constant = SF_BITRATE_MODE_CONSTANT;
    sf_command(file, SFC_SET_BITRATE_MODE, &constant, sizeof constant);
    sf_writef_double(file, sineFrames(3 * 44100, 2, kToneHz, kAmplitude, 44100).data(), 3 * 44100);
    sf_close(file);
    const std::string mp3 = readFile("with header.mp3");
    // MPEG-1 layer III frames of 128 kbit/s at 44.1 kHz, the first of them the header.
    ASSERT_EQ(mp3.substr(0, 3), "\xff\xfb\x90");
    const size_t frameBytes = 144 * 128000 / 44100;
    ASSERT_EQ(mp3.substr(frameBytes, 3), "\xff\xfb\x90");
    writeFile("t.mp3", mp3.substr(frameBytes));
    Mix_Chunk* chunk = decodeSound("t.mp3");
    EXPECT_NE(chunk, nullptr);
    if (chunk)
    {
        EXPECT_NEAR(chunk->alen / 4, kTestRate * 3, kTestRate / 10);
        const auto* s = reinterpret_cast<const int16_t*>(chunk->abuf) + 2 * kEdgeFrames;
        EXPECT_NEAR(
            toneAmplitude(s, long(chunk->alen / 4) - 4 * kEdgeFrames, 2, kTestRate, kToneHz), kFull,
            kFull / 10);
    }
    Mix_FreeChunk(chunk);

    // 175 s of 8 channels of 32-bit float at 384 kHz: within ten minutes, over 2 GiB.
    // Sparse, its silence takes no room on the disk. The decode is stopped once it has
    // read into the samples: far enough to know that the file is taken.
    const uint32_t dataBytes = 175u * 384000 * 8 * 4;
    ASSERT_GT(dataBytes, 1u << 31);
    std::string head = wavBytes({384000, 8, kFloat32, kExtensible}, {});
    const uint32_t riffBytes = uint32_t(head.size()) - 8 + dataBytes;
    head.replace(4, 4, reinterpret_cast<const char*>(&riffBytes), 4); // host order: little-endian
    head.replace(head.size() - 4, 4, reinterpret_cast<const char*>(&dataBytes), 4);
    writeFile("big.wav", head);
    std::filesystem::resize_file("big.wav", head.size() + dataBytes);
    static double furthest;
    furthest = 0;
    setDecodeWatcher(
        [](const char*, double done)
        {
            furthest = std::max(furthest, done < 1 ? done : 0); // 1: a file of unknown length
            return done < 0.01;
        });
    EXPECT_EQ(decodeSound("big.wav"), nullptr);
    setDecodeWatcher(nullptr);
    EXPECT_GE(furthest, 0.01) << "the samples were read";
}
