// End-to-end sessions: an Xvfb server, the real program started in a stage copy,
// xdotool input, screenshots and the captured audio.
#pragma once

#include "tests/support/pixel.h"

#include <SDL/SDL.h>
#include <string>
#include <sys/types.h>
#include <vector>

struct XServer
{
    pid_t pid = 0;
    std::string display; // ":N"
};

struct ProgramRun
{
    pid_t pid = 0;
    std::string outFile;   // standard output
    std::string errFile;   // standard error
    std::string audioFile; // what the program played (disk audio driver)
};

// An Xvfb server whose screen is "WIDTHxHEIGHTxDEPTH".
XServer startXvfb(const std::string& screen = "320x240x24");
void stopXvfb(XServer& server);

// A PulseAudio server of its own whose only sink is a null sink at `rate`: it takes
// frames on the system's monotonic clock, steadily, as a sound card takes them on its
// crystal. Pid 0 when pulseaudio is not installed or does not start.
struct SoundServer
{
    pid_t pid = 0;
    std::string dir;    // its runtime folder
    std::string server; // for PULSE_SERVER
};
SoundServer startPulse(int rate);
void stopPulse(SoundServer& server);

// Starts `program` (default: the stage's padbox) in dir with the server's display.
// Extra environment entries are "NAME=value". The standard descriptors in closedFds
// are closed when it starts, as a launcher's `>&-` leaves them.
ProgramRun startProgram(const XServer& server, const std::string& dir,
                        const std::vector<std::string>& extraEnv = {},
                        const std::string& program = "", const std::vector<std::string>& args = {},
                        const std::vector<int>& closedFds = {});

// The program's standard error without SDL's own log lines (such as the disk audio
// driver's notice), which start with their priority, and the indented lines that go
// on from them.
std::string programErrors(const ProgramRun& run);

// Waits for the program to end; its exit status, or -1 after the timeout (then it
// is killed).
int waitExit(ProgramRun& run, int timeoutMs = 10000);

// Waits until the program's window shows; its X window id, or 0.
unsigned long waitForWindow(const XServer& server, int timeoutMs = 10000);

// The window's size and its top-left corner on the screen, as "WIDTHxHEIGHT+X,Y".
std::string windowGeometry(const XServer& server, unsigned long window);

// Runs xdotool with the given arguments on the server; true when it succeeded.
bool xdo(const XServer& server, const std::string& args);

// Moves the pointer to (x, y) and clicks button 1 there.
void clickAt(const XServer& server, int x, int y);
void clickIn(const XServer& server, Box b); // at its middle pixel

// The whole screen as a 24-bit surface; also saved as PNG when pngPath is given.
SDL_Surface* screenshot(const XServer& server, const std::string& pngPath = "");

// Sleeps so that the program draws a few frames.
void settle(int ms = 300);
