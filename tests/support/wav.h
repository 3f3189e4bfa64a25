// WAV files written from code, and the raw audio the disk driver captures.
#pragma once

#include "sound/mixer.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int kTestRate = kMixerRate;

// Writes interleaved 16-bit samples as a PCM WAV file.
void writeWav16(const std::string& path, const std::vector<int16_t>& samples, int channels,
                int rate = kTestRate);

// A stereo sound of `frames` frames holding `level` on both channels.
std::vector<int16_t> constantStereo(int frames, int16_t level);

// Interleaved 16-bit stereo samples of a capture file written by the disk driver,
// frame for frame as the mixer played them (one in every rate / 22050 frames).
std::vector<int16_t> readCapture(const std::string& path);

// Whether a sample read from a capture is the level the mixer played: exactly, or,
// where the library resampled the mixer's output, within what resampling moves a
// level of a sound at most 16384 loud (measured: 0.3 % of the step to a neighbour).
bool heardAs(int16_t sample, int16_t level);

// Left-channel value of every frame of interleaved stereo samples.
std::vector<int16_t> leftChannel(const std::vector<int16_t>& stereo);

// Sample encodings and header layouts of the WAV files that writeWav writes.
enum WavEncoding
{
    kU8,
    kS16,
    kS24,
    kS32,
    kFloat32,
};
enum WavLayout
{
    kPlain,           // fmt first (float files with a fact chunk, as editors write them)
    kExtensible,      // WAVE_FORMAT_EXTENSIBLE fmt
    kJunkFirst,       // a JUNK chunk before fmt, as recorders reserve room
    kBextFirst,       // a broadcast-wave bext chunk before fmt
    kOddListAfterFmt, // an odd-sized LIST chunk, with its pad byte, between fmt and data
};

struct WavSpec
{
    int rate;
    int channels;
    WavEncoding encoding;
    WavLayout layout;
};

// A WAV file of interleaved samples between -1 and 1, as bytes.
std::string wavBytes(const WavSpec& spec, const std::vector<double>& samples);
void writeWav(const std::string& path, const WavSpec& spec, const std::vector<double>& samples);

// Interleaved frames of a sine on every channel, channel c at amplitude / (c + 1).
std::vector<double> sineFrames(long frames, int channels, double hz, double amplitude, int rate);

// The amplitude of frequency hz in the first channel of interleaved 16-bit frames at
// `rate`, from a Goertzel filter over a Hann window: a sine of amplitude A gives A.
double toneAmplitude(const int16_t* samples, long frames, int channels, int rate, double hz);
