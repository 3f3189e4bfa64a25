#include "app/progress.h"

#include "app/assets.h"
#include "app/loop.h"
#include "app/shell.h"
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

// Inside the box: the file on one line, the bar under it.
constexpr int kInset = 8;
constexpr int16_t kTextY = kProgressBox.y + 10;
constexpr int16_t kBarY = kProgressBox.y + 34;
constexpr Uint16 kBarHeight = 10;
constexpr int kRoom = kProgressBox.w - 2 * kInset;
const char kLoading[] = "Loading ";

struct Colour
{
    uint8_t r, g, b;
};
constexpr Colour kEdge = {78, 168, 214};
constexpr Colour kPanel = {21, 25, 36};
constexpr Colour kWell = {8, 9, 14};
constexpr Colour kAmber = {255, 178, 52};
constexpr Colour kText = {226, 232, 242};

bool boxShown; // a progress box is on the screen since the last frame

void fill(SDL_Rect area, Colour colour)
{
    SDL_FillRect(screen, &area, SDL_MapRGB(screen->format, colour.r, colour.g, colour.b));
}

SDL_Rect inset(SDL_Rect area, int by)
{
    return {static_cast<Sint16>(area.x + by), static_cast<Sint16>(area.y + by),
            static_cast<Uint16>(area.w - 2 * by), static_cast<Uint16>(area.h - 2 * by)};
}

void drawBox(const char* path, double done)
{
    drawScreen();
    fill(kProgressBox, kEdge);
    fill(inset(kProgressBox, 1), kPanel);
    const std::string line = kLoading + std::string(path);
    drawTextIn(screen, line.c_str(), kProgressBox.x + kInset, kTextY, kText.r, kText.g, kText.b,
               kRoom, TextCut::KeepStart);
    const SDL_Rect bar = {static_cast<Sint16>(kProgressBox.x + kInset), kBarY, kRoom, kBarHeight};
    fill(bar, kWell);
    fill({bar.x, bar.y, static_cast<Uint16>(barFill(done, kRoom)), bar.h}, kAmber);
    SDL_Flip(screen);
}

// Reads every pending event: quit requests and pointer motion count, the rest is
// dropped, so no press acts in the middle of the work.
void readPendingEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
    {
        if (asksToQuit(event))
            quitDuringWork = true;
        else if (event.type == SDL_MOUSEMOTION)
        {
            bool ignored = false;
            handleEvent(event, &ignored);
        }
    }
}
} // namespace

void watchLongWork()
{
    decodeWatcher = watchWork;
    frameShown();
}

void frameShown()
{
    shownAt = SDL_GetTicks();
    boxShown = false;
}

bool progressDue(Uint32 now, Uint32 lastShown, bool shown)
{
    return now - lastShown >= (shown ? kBoxEveryMs : kFirstBoxMs);
}

int barFill(double done, int width)
{
    return static_cast<int>(std::lround(std::clamp(done, 0.0, 1.0) * width));
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
