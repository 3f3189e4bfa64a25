// The two pad screens: one-shot pads (screen 2) and loop pads (screen 3).
#pragma once

#include "app/layout.h"
#include "sound/hits.h"

#include <SDL/SDL_events.h>

#include <cstdint>

constexpr int32_t kFlashFrames = 40; // a pressed pad stays lit for this many frames and one more

extern uint8_t pulsados[kPadCount];   // one-shot pad is lit
extern int32_t t_pulsados[kPadCount]; // frames left before it goes dark

// The pad whose hit box btn_sampler strictly contains (x, y), or -1.
int padAt(int32_t x, int32_t y);

// Draw screens 2 and 3 whole into `screen`.
void drawSamplePads();
void drawLoopPads();

// A press at (mx, my): screen 2 plays and lights the pad hit and darkens the others;
// screen 3 switches the loop of the pad hit.
void samplePadsPress();
void loopPadsPress();

// The light of a hit: a one-shot hit lights its pad for kFlashFrames and one more,
// leaving the others as they are, so chords show; a loop pad shows its loop running.
void showHit(const Hit& hit);

// The whole hit on the main thread: its sound, then its light.
void padHit(const Hit& hit);

// Another thread's hit, already heard, reaches the main thread as this user event,
// whose handling (showPostedHit) lights its pad.
constexpr int kHitShownEvent = SDL_USEREVENT;
void postHitLight(const Hit& hit);
void showPostedHit(const SDL_Event& event);

// Every one-shot pad dark, its counter at 0: at start-up and when a preset loads.
void resetPads();

// Once per frame on every screen: counts the lit pads down and darkens them.
void tickPadFlash();
