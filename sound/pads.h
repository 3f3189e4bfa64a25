// The two pad screens: one-shot pads (screen 2) and loop pads (screen 3).
#pragma once

#include <cstdint>

constexpr int kPadCount = 4;
constexpr int32_t kFlashFrames = 40; // a pressed pad stays lit for this many frames and one more

extern uint8_t pulsados[kPadCount];   // one-shot pad is lit
extern int32_t t_pulsados[kPadCount]; // frames left before it goes dark

// The pad whose hit box strictly contains (x, y), or -1.
int padAt(int32_t x, int32_t y);

void drawSamplePads();
void drawLoopPads();
void samplePadsPress();
void loopPadsPress();

// Once per frame on every screen: counts the lit pads down and darkens them.
void tickPadFlash();
