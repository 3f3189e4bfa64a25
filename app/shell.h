// Process entry, start-up and shut-down, and the hand-over to the menu program.
#pragma once

// Exit statuses of a failed start-up; a missing image's is kExitMissingImage.
constexpr int kExitNoSdl = 1;
constexpr int kExitNoVideoMode = 2;

// The whole run: start-up, main loop, shut-down. Returns 0 after an orderly end;
// exits with one of the statuses above when start-up fails.
int padboxMain(int argc, char** argv);

// Brings the platform up in its fixed order and loads everything the first
// screen needs. Registers Terminate once SDL is up. The arguments may ask for a
// window scale ("--scale N").
void startUp(int argc = 0, char** argv = nullptr);

// Stops MIDI input, removes the decoder's progress watcher and stops the loops, then
// frees images, font, sounds, frame surface, mixer, joystick, SDL.
void shutDown();

// Exit handler: closes SDL and replaces the process with the menu program.
// Returns only when the menu program cannot be started.
void Terminate();
