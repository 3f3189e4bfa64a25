// The disk audio driver of the SDL this process runs with: where what the mixer
// plays lands in its capture file, and its settings for a program's run.
#pragma once

#include <string>
#include <vector>

// How the disk audio driver writes the mixer's output: raw 16-bit stereo frames at
// `rate`, which may be a whole multiple of the mixer's rate (sdl12-compat opens
// SDL 2's device at 44.1 kHz at least and resamples to it). Of each rate / 22050
// frames, the one numbered `phase` holds a frame as the mixer made it.
struct CaptureFormat
{
    int rate;
    int phase;
};

// Measured once per process: a child process plays marks 20 ms apart through the
// disk driver, and where they land in its file gives the rate and phase.
const CaptureFormat& captureFormat();

// The disk driver's delay for each device buffer that paces it at about real time:
// a little under the buffer's length, which holds as many frames as the mixer's pass
// at the capture's rate, so the mixer runs a little ahead of real time.
constexpr int kRealTimeDiskDelayMs = -1;

// Environment entries that send a program's sound to the disk driver writing
// audioFile, waiting delayMs for each device buffer.
std::vector<std::string> diskAudioEnvironment(const std::string& audioFile,
                                              int delayMs = kRealTimeDiskDelayMs);
