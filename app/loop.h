// The main loop: event routing, screen switching and the frame.
#pragma once

#include "app/layout.h"

#include <SDL/SDL.h>
#include <cstdint>

// Screens, by the value of modo.
enum Screen : int32_t
{
    kPresetScreen = 0,
    kSampleBrowser = 1,
    kSamplePads = 2,
    kLoopPads = 3,
};

extern int32_t modo;        // the screen that is showing, 0-3
extern int32_t mx, my;      // last pointer position; every press acts here
extern int64_t event_stamp; // when the event being handled was taken from the queue

// Keys that hit the pads from any screen, the layout's kOneShotKeys and kLoopKeys:
// z x c v the one-shots S1-S4, a s d f the loops L1-L4. Handheld face buttons A B X Y
// hit the pads of the pad screen shown: the loops on the loop pads, the one-shots
// everywhere else.
constexpr Uint8 kJoyPadButtons[kPadCount] = {12, 13, 14, 15};

// The pad (0-3) a key or joystick button hits, or -1.
int keyPad(SDLKey sym, const char (&keys)[kPadCount]);
int buttonPad(Uint8 button);

// Handles one event; sets *quit on a quit request and leaves it alone otherwise.
void handleEvent(const SDL_Event& event, bool* quit);

// Whether the event asks the program to quit: Escape, Ctrl+C, joystick button 6 or
// the window's close.
bool asksToQuit(const SDL_Event& event);

// Key table: the screen keys '0'-'3' switch screens (quit keys are asksToQuit's).
void keyAction(SDLKey sym);

// Switches to screen s; screens 0 and 1 go back to the top of their list and rescan.
void switchScreen(int32_t s);

// Joystick buttons 4 and 5: one screen back or forward, without wrapping.
void previousScreen();
void nextScreen();

// Draws the current screen whole into `screen`.
void drawScreen();

// Runs the press operation of the current screen at (mx, my).
void pressScreen();

// One frame: draws the current screen, forgets the texts it no longer draws, ticks
// the pad flash, tidies finished previews and shows the result. Returns whether showing it waited
// for the display.
bool frame();

// Frames are drawn at most once per refresh of a 60 Hz display.
constexpr int64_t kFramePeriodUs = 1000000 / 60;

// Microseconds to wait at `now` before the next frame, when the last frame counted
// from `last`; 0: draw it now. Nothing waits after a frame whose showing already
// waited for the display.
int64_t frameWait(int64_t now, int64_t last, bool displayPaced);

// The time a frame drawn at `now` counts from: one period after the last while
// frames keep time, so the rate holds at 60; `now` after a stall, so missed frames
// are not made up in a burst.
int64_t frameStart(int64_t now, int64_t last);

// Repeats of a held scroll arrow due `heldUs` after its press: none in the first
// 0.4 s, then 15 a second for a second, then ever faster, doubling every quarter
// second (about 100,000 rows 5 s after the press).
int32_t scrollRepeatsDue(int64_t heldUs);

// Scrolls the held arrow's list by the repeats due at `now` and not made yet, at once.
void repeatHeldScroll(int64_t now);

// Runs until a frame ends with a quit requested, or at once when a quit request
// stopped long work. Between frames it waits for input and handles each event as it
// arrives (waitForInput).
void mainLoop();
