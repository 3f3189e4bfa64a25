// The window every frame is shown in. The program draws each frame at 320x240 into
// `screen`; a desktop window shows it enlarged a whole number of times, pixel for pixel.
#pragma once

#include <SDL/SDL.h>
#include <cstdint>
#include <string>

// The handheld build: touch screen without a pointer, a display of the frame's size.
constexpr bool kHandheld = PADBOX_HANDHELD != 0;

constexpr int32_t kMaxScale = 4;

extern int32_t window_scale; // the window is this many times the frame; 1 on a handheld

// The 320x240x16 surface every screen draws into; set by openWindow. It is the
// display itself unless the window shows it enlarged.
extern SDL_Surface* screen;
// Joystick 0, kept open so its button events arrive; null without a joystick.
extern SDL_Joystick* joystick;

// Microseconds since an arbitrary start, from a monotonic clock.
int64_t clockUs();

// The largest scale up to 4 whose window fits in three quarters of a desktop of
// width x height; 1 when none does or the size is unknown.
int32_t fittingScale(int width, int height);

// The scale "--scale N" asks for in the arguments, else the one `env` (the value of
// PADBOX_SCALE) asks for; only whole numbers from 1 to 4 count. 0 when neither asks.
int32_t askedScale(int argc, char** argv, const char* env);

// One line for each scale request that askedScale does not count, saying it is
// ignored; empty when there is none. An empty PADBOX_SCALE asks for nothing.
std::string scaleComplaints(int argc, char** argv, const char* env);

// Opens the window at the scale asked for or fitting the desktop (always 1 on a
// handheld) and sets `screen`, the surface frames are drawn into; false without a
// video mode. Requests that do not count are reported on standard error.
bool openWindow(int argc, char** argv);

// Shut-down: frees `screen` (at scale 1 the display's own surface, which only
// SDL_Quit frees) and forgets it.
void freeScreen();

// Opens joystick 0 into `joystick`, or leaves it null when there is none.
void openJoystick();

// Closes the joystick, if open.
void closeJoystick();

// Waits up to `us` microseconds for input. Under X11 it wakes as soon as the X
// connection has something to read; elsewhere, and while a joystick is open (its
// buttons are only seen by polling), it waits one millisecond at most.
void waitForInput(int64_t us);

// Shows the frame drawn into `screen`. On a desktop a frame equal to the one on
// display is not sent again. Returns whether showing it waited for the display's
// refresh.
bool showFrame();
