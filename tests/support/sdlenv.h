// The real program brought up inside the test process: headless SDL drivers, a
// fresh copy of the stage folder as working directory, the shell's own start-up.
#pragma once

#include "tests/support/diskaudio.h"
#include "tests/support/pixel.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <string>

// Headless drivers for this process: dummy video at scale 1, disk audio written to
// audioFile, waiting diskDelayMs for each device buffer.
void useHeadlessDrivers(const std::string& audioFile, int diskDelayMs = kRealTimeDiskDelayMs);

// An event of the given type with the key fields set; every other field is zero.
SDL_Event keyEvent(Uint8 type, SDLKey sym = SDLK_UNKNOWN, SDLMod mod = KMOD_NONE);

// Events fed straight to the program's event routing; feed says whether the event
// asked the program to quit.
bool feed(SDL_Event event);
void pressAt(int x, int y); // motion there, then a left-button press
void pressIn(Box b);        // at its middle pixel
void release();
void keyDown(SDLKey sym, SDLMod mod = KMOD_NONE);

// Waits until every hit made so far is heard: its sound on its channel, a loop
// switched on alone playing. The mixer must be running.
void waitUntilHeard();

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
    std::string audioFile;                  // what the mixer played, as the disk driver wrote it
    std::string home;                       // the working directory before the test
    int diskDelayMs = kRealTimeDiskDelayMs; // a fixture may mix faster than real time
    bool running = false;
};
