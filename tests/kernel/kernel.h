// What the kernel test's program and its check tool agree on: the preset the program
// starts with and the sounds in it, each one level throughout so the recording tells
// them apart, and the format the loopback card carries.
#pragma once

#include "sound/mixer.h"

#include <cstdint>

constexpr char kKernelPreset[] = "kernel.trp";

// One-shots S1-S4 and loops L1-L4. The loops' levels are powers of two, so every sum of
// loops playing together is a level of its own.
constexpr int16_t kShotLevels[] = {4000, 8000, 12000, 16000};
constexpr int16_t kLoopLevels[] = {1000, 2000, 4000, 8000};
constexpr int kShotFrames = kMixerRate / 20;    // 50 ms
constexpr int kLoopFrames = kMixerRate * 2 / 5; // 400 ms, all four alike
