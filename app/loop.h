// The main loop: event routing, screen switching and the frame.
#pragma once

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

extern int32_t modo;   // the screen that is showing, 0-3
extern int32_t mx, my; // last pointer position; every press acts here

// Handles one event; sets *quit on a quit request and leaves it alone otherwise.
void handleEvent(const SDL_Event& event, bool* quit);

// Whether the event asks the program to quit: Escape, Ctrl+C, joystick button 6 or
// the window's close.
bool asksToQuit(const SDL_Event& event);

// Key table: the screen keys '0'-'3' and Escape. Returns true on a quit request.
bool keyAction(SDLKey sym);

// Switches to screen s; screens 0 and 1 go back to the top of their list and rescan.
void switchScreen(int32_t s);

// Joystick buttons 4 and 5: one screen back or forward, without wrapping.
void previousScreen();
void nextScreen();

// Draws the current screen whole into `screen`.
void drawScreen();

// Runs the press operation of the current screen at (mx, my).
void pressScreen();

// One frame: draws the current screen, ticks the pad flash, tidies finished
// previews and shows the result.
void frame();

// Runs until a frame ends with a quit requested, or at once when a quit request
// stopped long work.
void mainLoop();
