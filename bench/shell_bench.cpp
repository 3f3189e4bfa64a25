// Start-up time and frames per second of the real program's frame under Xvfb.
#include "app/loop.h"
#include "app/shell.h"
#include "bench/bench.h"
#include "tests/support/stage.h"
#include "tests/support/xsession.h"

#include <cstdlib>
#include <unistd.h>

namespace
{
constexpr int kFramesPerScreen = 300;

// Wall time from starting the process to its window showing, as a user sees it.
void measureProcessStart(const XServer& server)
{
    const std::string dir = makeStageCopy();
    const double started = nowSeconds();
    ProgramRun run = startProgram(server, dir);
    while (!xdo(server, "search --onlyvisible --name '^padbox$'"))
        usleep(2000);
    report("process start to visible window", (nowSeconds() - started) * 1000, "ms");
    xdo(server, "mousemove 160 120 key Escape");
    waitExit(run);
    removeTree(dir);
}

// Start-up and the frames of every screen, inside this process with the X11 driver.
void measureFrames(const XServer& server)
{
    const std::string dir = makeStageCopy();
    char home[4096];
    if (!getcwd(home, sizeof home) || chdir(dir.c_str()) != 0)
        return;
    setenv("DISPLAY", server.display.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    double started = nowSeconds();
    startUp();
    frame();
    report("start-up to first frame shown (in process)", (nowSeconds() - started) * 1000, "ms");

    const char* names[] = {"preset screen", "sample browser", "sample pads", "loop pads"};
    for (int32_t s = kPresetScreen; s <= kLoopPads; ++s)
    {
        switchScreen(s);
        started = nowSeconds();
        for (int i = 0; i < kFramesPerScreen; ++i)
            frame();
        report(std::string("frames per second, ") + names[s],
               kFramesPerScreen / (nowSeconds() - started), "fps");
    }
    shutDown();
    if (chdir(home) != 0)
        return;
    removeTree(dir);
}

void shellBench()
{
    XServer server = startXvfb();
    measureProcessStart(server);
    measureFrames(server);
    stopXvfb(server);
}

const bool registered = registerBench("shell", shellBench);
} // namespace
