// Progress shown while a long load or decode keeps the main loop from drawing, and
// the quit requests read meanwhile.
//
// Decodes run on the main thread. Between blocks the decoder asks its watcher here,
// which, once no frame has been shown for a while, reads the pending events and
// draws a progress box over the current screen.
#pragma once

#include <SDL/SDL.h>

// A quit request came while long work ran: the work stops at the file it is on and
// every later decode gives nothing at once, so the main loop can end.
extern bool quitDuringWork;

// When the last frame or progress box was shown, in SDL ticks.
extern Uint32 shownAt;

// Installs watchWork as the decoder's watcher, with no quit request yet; the time
// counts from now. Start-up calls it once the screen exists.
void watchLongWork();

// Removes the decoder's watcher, so that no later decode draws or reads events:
// shut-down calls it before the screen goes.
void stopWatchingWork();

// The main loop showed a frame: long work, if any, is over.
void frameShown();

// The decoder's watcher: once the screen has gone a fifth of a second without a
// frame, and then every twentieth of a second while the work lasts, reads the
// pending events (a quit request stops the work, pointer motion and releases are
// kept, the rest is dropped) and draws the box with the file and how much of it is read.
bool watchWork(const char* path, double done);
