#include "app/progress.h"

#include "app/assets.h"
#include "app/display.h"
#include "app/loop.h"
#include "sound/decode.h"

#include <algorithm>
#include <cmath>
#include <string>

bool quitDuringWork;
Uint32 shownAt;

namespace
{
constexpr Uint32 kFirstBoxMs = 200; // a frame missing this long brings the box
constexpr Uint32 kBoxEveryMs = 50;  // then it is drawn again this often

const char kLoading[] = "Loading ";

bool boxShown; // a progress box is on the screen since the last frame

bool progressDue(Uint32 now, Uint32 lastShown, bool shown)
{
    return now - lastShown >= (shown ? kBoxEveryMs : kFirstBoxMs);
}

// The width of the filled part of a bar `width` pixels wide at `done` (0 to 1).
int barFill(double done, int width)
{
    return static_cast<int>(std::lround(std::clamp(done, 0.0, 1.0) * width));
}

// The box's outline, face, the file's path and the bar, over the current screen.
void drawBox(const char* path, double done)
{
    drawScreen();
    fillBox(screen, kProgressBox, kEdge);
    fillBox(screen,
            {kProgressBox.x0 + 1, kProgressBox.y0 + 1, kProgressBox.x1 - 1, kProgressBox.y1 - 1},
            kPanel);
    const std::string line = kLoading + std::string(path);
    drawTextIn(screen, line.c_str(), kProgressTextAt, kText, width(kProgressBar), kKeepStart);
    fillBox(screen, kProgressBar, kWell);
    const int filled = barFill(done, width(kProgressBar));
    if (filled > 0)
        fillBox(screen,
                {kProgressBar.x0, kProgressBar.y0, kProgressBar.x0 + filled - 1, kProgressBar.y1},
                kAmber);
    showFrame();
}

// Reads every pending event: quit requests, pointer motion and releases count, the
// rest is dropped, so no press acts in the middle of the work.
void readPendingEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
    {
        if (asksToQuit(event))
            quitDuringWork = true;
        else if (event.type == SDL_MOUSEMOTION || event.type == SDL_MOUSEBUTTONUP)
        {
            bool ignored = false;
            handleEvent(event, &ignored);
        }
    }
}
} // namespace

void watchLongWork()
{
    setDecodeWatcher(watchWork);
    quitDuringWork = false;
    frameShown();
}

void stopWatchingWork()
{
    setDecodeWatcher(nullptr);
}

void frameShown()
{
    shownAt = SDL_GetTicks();
    boxShown = false;
}

bool watchWork(const char* path, double done)
{
    if (quitDuringWork)
        return false;
    const Uint32 now = SDL_GetTicks();
    if (!progressDue(now, shownAt, boxShown))
        return true;
    readPendingEvents();
    if (quitDuringWork)
        return false;
    drawBox(path, done);
    shownAt = now;
    boxShown = true;
    return true;
}
