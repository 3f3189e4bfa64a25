// WAV files written from code, and the raw audio the disk driver captures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kTestRate = 22050;

// Writes interleaved 16-bit samples as a PCM WAV file.
void writeWav16(const std::string& path, const std::vector<int16_t>& samples, int channels,
                int rate = kTestRate);

// A stereo sound of `frames` frames holding `level` on both channels.
std::vector<int16_t> constantStereo(int frames, int16_t level);

// A stereo sine of `frames` frames.
std::vector<int16_t> sineStereo(int frames, double hz, double amplitude, int rate = kTestRate);

// Interleaved 16-bit stereo samples of a capture file written by the disk driver.
std::vector<int16_t> readCapture(const std::string& path);

// Left-channel value of every frame of interleaved stereo samples.
std::vector<int16_t> leftChannel(const std::vector<int16_t>& stereo);
