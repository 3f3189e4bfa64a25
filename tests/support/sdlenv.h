// The real program brought up inside the test process: headless SDL drivers, a
// fresh copy of the stage folder as working directory, the shell's own start-up.
#pragma once

#include "tests/support/pixel.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <string>

// One mixing pass of 256 frames at 22050 Hz lasts 11.6 ms; the disk driver waits
// this long between passes, so the mixer runs a little ahead of real time.
constexpr int kRealTimeDiskDelayMs = 11;

// Headless drivers for this process: dummy video, disk audio written to audioFile,
// waiting diskDelayMs between mixing passes.
void useHeadlessDrivers(const std::string& audioFile, int diskDelayMs = kRealTimeDiskDelayMs);

// An event of the given type with the key fields set; every other field is zero.
SDL_Event keyEvent(Uint8 type, SDLKey sym = SDLK_UNKNOWN, SDLMod mod = KMOD_NONE);

// Events fed straight to the program's event routing.
void moveTo(int x, int y);
void pressAt(int x, int y);
void pressIn(Box b); // at its middle pixel
void press();
void release();
void keyDown(SDLKey sym, SDLMod mod = KMOD_NONE);
void keyUp(SDLKey sym);
void joyButton(Uint8 button);

// Waits while the mixer plays, in milliseconds of real time.
void waitMs(int ms);

// A started program: the working directory is a fresh stage copy, and start-up has
// run as the real program runs it. Shut-down runs at the end unless the test ran it.
class ProgramTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the shell's shut-down now; the capture file is complete afterwards.
    void stopProgram();

    std::string stage;                      // the stage copy, also the working directory
    std::string audioFile;                  // what the mixer played, 16-bit stereo at 22050 Hz
    std::string home;                       // the working directory before the test
    int diskDelayMs = kRealTimeDiskDelayMs; // a fixture may mix faster than real time
    bool running = false;
};
