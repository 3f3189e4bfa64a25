#include "app/display.h"

#include "app/assets.h"
#include "app/layout.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#if !PADBOX_HANDHELD // a handheld has no X11; its build may not have its headers either
#include <SDL/SDL_syswm.h>
#include <sys/select.h>
#endif

int32_t window_scale = 1;
SDL_Surface* screen;
SDL_Joystick* joystick;

namespace
{
constexpr int kWindowDepth = 32; // one word a pixel: the enlarging copy writes whole words
constexpr int kDesktopShareNumerator = 3, kDesktopShareDenominator = 4;
constexpr Uint32 kRedMask = 0xf800, kGreenMask = 0x07e0, kBlueMask = 0x001f;
// A refresh lasts 16.7 ms at 60 Hz; a show that takes a quarter of that waited for it.
constexpr int64_t kDisplayWaitUs = 4167;
const char kScaleOption[] = "--scale";
constexpr Uint32 kPollMs = 1;

int inputSocket = -1; // the X connection that brings the window's input, or -1

SDL_Surface* window;      // the video surface; `screen` itself at scale 1
std::vector<Uint8> shown; // the frame on display, as `screen` held it; empty before the first
// The window's pixel for each 16-bit pixel of the frame.
std::vector<Uint32> windowPixel;

// sdl12-compat centres a new window where classic SDL leaves it at the screen's
// origin; both put it at the origin, unless the user asks for a place.
void placeWindowAtOrigin()
{
    if (!getenv("SDL_VIDEO_CENTERED"))
        setenv("SDL_VIDEO_WINDOW_POS", "0,0", 0); // a place of the user's own stays
}

int findInputSocket()
{
#if !PADBOX_HANDHELD
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) == 1 && info.subsystem == SDL_SYSWM_X11)
        return ConnectionNumber(info.info.x11.display);
#endif
    return -1;
}

int32_t scaleFrom(const char* text)
{
    if (!text || text[0] < '1' || text[0] > '0' + kMaxScale || text[1] != '\0')
        return 0;
    return text[0] - '0';
}

// Widened by the library's own conversion, the one the display applies to the frame
// at scale 1, so that every scale shows the colours of scale 1: classic SDL shifts
// each channel up with its low bits zero, sdl12-compat fills them from the high bits.
void mapWindowPixels()
{
    constexpr int kSide = 256; // every 16-bit value once
    SDL_Surface* every = SDL_CreateRGBSurface(SDL_SWSURFACE, kSide, kSide, kScreenDepth, kRedMask,
                                              kGreenMask, kBlueMask, 0);
    SDL_LockSurface(every);
    for (int v = 0; v < kSide * kSide; ++v)
        reinterpret_cast<Uint16*>(static_cast<Uint8*>(every->pixels) +
                                  v / kSide * every->pitch)[v % kSide] = static_cast<Uint16>(v);
    SDL_UnlockSurface(every);
    SDL_Surface* widened = SDL_ConvertSurface(every, window->format, SDL_SWSURFACE);
    windowPixel.resize(kSide * kSide);
    SDL_LockSurface(widened);
    for (int v = 0; v < kSide * kSide; ++v)
        windowPixel[v] = reinterpret_cast<const Uint32*>(
            static_cast<const Uint8*>(widened->pixels) + v / kSide * widened->pitch)[v % kSide];
    SDL_UnlockSurface(widened);
    SDL_FreeSurface(widened);
    SDL_FreeSurface(every);
}

// Each pixel of the frame becomes a square of window_scale x window_scale.
void enlargeIntoWindow()
{
    const int n = window_scale;
    const size_t rowBytes = static_cast<size_t>(kScreenWidth * n) * sizeof(Uint32);
    SDL_LockSurface(window);
    for (int y = 0; y < kScreenHeight; ++y)
    {
        const auto* from = reinterpret_cast<const Uint16*>(
            static_cast<const Uint8*>(screen->pixels) + y * screen->pitch);
        Uint8* first = static_cast<Uint8*>(window->pixels) + y * n * window->pitch;
        auto* to = reinterpret_cast<Uint32*>(first);
        for (int x = 0; x < kScreenWidth; ++x)
            for (int k = 0; k < n; ++k)
                *to++ = windowPixel[from[x]];
        for (int k = 1; k < n; ++k)
            memcpy(first + k * window->pitch, first, rowBytes);
    }
    SDL_UnlockSurface(window);
}

// Whether the frame in `screen` differs from the one on display; remembers it if so.
bool frameChanged()
{
    const size_t bytes = static_cast<size_t>(screen->pitch) * kScreenHeight;
    SDL_LockSurface(screen);
    const auto* pixels = static_cast<const Uint8*>(screen->pixels);
    const bool changed = shown.size() != bytes || memcmp(shown.data(), pixels, bytes) != 0;
    if (changed)
        shown.assign(pixels, pixels + bytes);
    SDL_UnlockSurface(screen);
    return changed;
}
} // namespace

int64_t clockUs()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

int32_t fittingScale(int width, int height)
{
    for (int32_t n = kMaxScale; n > 1; --n)
        if (kScreenWidth * n * kDesktopShareDenominator <= width * kDesktopShareNumerator &&
            kScreenHeight * n * kDesktopShareDenominator <= height * kDesktopShareNumerator)
            return n;
    return 1;
}

int32_t askedScale(int argc, char** argv, const char* env)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (strcmp(argv[i], kScaleOption) == 0 && scaleFrom(argv[i + 1]))
            return scaleFrom(argv[i + 1]);
    return scaleFrom(env);
}

std::string scaleComplaints(int argc, char** argv, const char* env)
{
    const std::string range =
        ": the scale is a whole number from 1 to " + std::to_string(kMaxScale) + "\n";
    std::string said;
    for (int i = 1; i < argc; ++i)
        if (strcmp(argv[i], kScaleOption) == 0)
        {
            if (i + 1 == argc)
                said += std::string("Ignoring ") + kScaleOption + range;
            else if (!scaleFrom(argv[i + 1]))
                said += std::string("Ignoring ") + kScaleOption + " " + argv[i + 1] + range;
        }
    if (env && *env && !scaleFrom(env))
        said += std::string("Ignoring PADBOX_SCALE=") + env + range;
    return said;
}

namespace
{
// The surface frames are drawn into: the window's own at scale 1, else one of the
// frame's size that showFrame enlarges into the window.
SDL_Surface* frameSurface(int argc, char** argv)
{
    shown.clear();
    window_scale = 1;
    if (!kHandheld)
    {
        const SDL_VideoInfo* desktop = SDL_GetVideoInfo(); // before a mode is set: the desktop
        fputs(scaleComplaints(argc, argv, getenv("PADBOX_SCALE")).c_str(), stderr);
        window_scale = askedScale(argc, argv, getenv("PADBOX_SCALE"));
        if (window_scale == 0)
            window_scale = desktop ? fittingScale(desktop->current_w, desktop->current_h) : 1;
    }
    placeWindowAtOrigin();
    if (window_scale == 1)
        window = SDL_SetVideoMode(kScreenWidth, kScreenHeight, kScreenDepth, 0);
    else
        window = SDL_SetVideoMode(kScreenWidth * window_scale, kScreenHeight * window_scale,
                                  kWindowDepth, SDL_SWSURFACE);
    inputSocket = window ? findInputSocket() : -1;
    if (!window || window_scale == 1)
        return window;
    mapWindowPixels();
    return SDL_CreateRGBSurface(SDL_SWSURFACE, kScreenWidth, kScreenHeight, kScreenDepth, kRedMask,
                                kGreenMask, kBlueMask, 0);
}
} // namespace

bool openWindow(int argc, char** argv)
{
    screen = frameSurface(argc, argv);
    return screen != nullptr;
}

void freeScreen()
{
    SDL_FreeSurface(screen);
    screen = nullptr;
}

void openJoystick()
{
    joystick = SDL_JoystickOpen(0);
}

void closeJoystick()
{
    SDL_JoystickClose(joystick);
    joystick = nullptr;
}

void waitForInput([[maybe_unused]] int64_t us)
{
#if !PADBOX_HANDHELD
    if (inputSocket >= 0 && !joystick)
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(inputSocket, &readable);
        timeval timeout = {static_cast<time_t>(us / 1000000),
                           static_cast<suseconds_t>(us % 1000000)};
        select(inputSocket + 1, &readable, nullptr, nullptr, &timeout);
        return;
    }
#endif
    SDL_Delay(kPollMs);
}

bool showFrame()
{
    // A handheld's frame may be the display's own memory, slow to read back; a desktop
    // converts every frame it shows to its own pixel layout.
    if (!kHandheld && !frameChanged())
        return false;
    if (window != screen)
        enlargeIntoWindow();
    const int64_t started = clockUs();
    SDL_Flip(window);
    return clockUs() - started >= kDisplayWaitUs;
}
