// Start-up time of the real program under Xvfb; frame_bench.cpp measures its frames.
#include "app/loop.h"
#include "app/shell.h"
#include "bench/bench.h"
#include "tests/support/stage.h"
#include "tests/support/xsession.h"

#include <cstdlib>
#include <unistd.h>

namespace
{
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

// Start-up to the first frame shown, inside this process with the X11 driver.
void measureStartUp(const XServer& server)
{
    const std::string dir = makeStageCopy();
    char home[4096];
    if (!getcwd(home, sizeof home) || chdir(dir.c_str()) != 0)
        return;
    setenv("DISPLAY", server.display.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    const double started = nowSeconds();
    startUp();
    frame();
    report("start-up to first frame shown (in process)", (nowSeconds() - started) * 1000, "ms");
    shutDown();
    if (chdir(home) != 0)
        return;
    removeTree(dir);
}

void shellBench()
{
    XServer server = startXvfb();
    measureProcessStart(server);
    measureStartUp(server);
    stopXvfb(server);
}

const bool registered = registerBench("shell", shellBench);
} // namespace
