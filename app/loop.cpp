#include "app/loop.h"

#include "app/assets.h"
#include "app/display.h"
#include "app/progress.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "preset/presetscreen.h"
#include "sound/pads.h"
#include "sound/preview.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

int32_t modo;
int32_t mx, my;
int64_t event_stamp;

namespace
{
constexpr Uint8 kJoyPrevious = 4;
constexpr Uint8 kJoyNext = 5;
constexpr Uint8 kJoyQuit = 6;
constexpr SDLMod kControlKeys = static_cast<SDLMod>(KMOD_LCTRL | KMOD_RCTRL);
constexpr int64_t kRepeatDelayUs = 400000;
constexpr int64_t kRepeatsPerSecond = 15;
// The first second of repeats keeps that pace, so a short hold stops where the eye
// follows; then the pace doubles every quarter second, so any folder's end is near.
constexpr int64_t kSteadyRepeatsUs = 1000000;
constexpr double kDoublingSeconds = 0.25;
constexpr int64_t kMicrosecondsPerSecond = 1000000;

int64_t held_since;   // when the held scroll arrow was pressed
int32_t held_repeats; // repeats it has made since

// A held arrow stops scrolling when another screen shows.
void setScreen(int32_t s)
{
    modo = s;
    held_list = nullptr;
}

// Entering a list screen shows its list from the top, freshly read.
void enterScreen(int32_t s)
{
    setScreen(s);
    if (s == kPresetScreen || s == kSampleBrowser)
    {
        ct_lista = 0;
        ct_lista_2 = 0;
        if (s == kPresetScreen)
            scanCatalogue(kPresetFolder);
        else
            listSampleFolder();
    }
}
} // namespace

void switchScreen(int32_t s)
{
    enterScreen(s);
}

void previousScreen()
{
    if (modo > kPresetScreen)
        enterScreen(modo - 1);
}

void nextScreen()
{
    if (modo == kPresetScreen)
        enterScreen(kSampleBrowser);
    else if (modo < kLoopPads)
        setScreen(modo + 1);
}

bool asksToQuit(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_KEYDOWN:
        return event.key.keysym.sym == SDLK_ESCAPE ||
               (event.key.keysym.sym == SDLK_c && event.key.keysym.mod & kControlKeys);
    case SDL_KEYUP:
        return event.key.keysym.sym == SDLK_ESCAPE;
    case SDL_JOYBUTTONDOWN:
        return event.jbutton.button == kJoyQuit;
    case SDL_QUIT:
        return true;
    default:
        return false;
    }
}

void keyAction(SDLKey sym)
{
    if (sym >= SDLK_0 && sym <= SDLK_3)
        switchScreen(sym - SDLK_0);
}

int keyPad(SDLKey sym, const char (&keys)[kPadCount])
{
    for (int pad = 0; pad < kPadCount; ++pad)
        if (static_cast<int>(sym) == keys[pad])
            return pad;
    return -1;
}

int buttonPad(Uint8 button)
{
    const Uint8* pad = std::find(std::begin(kJoyPadButtons), std::end(kJoyPadButtons), button);
    return pad == std::end(kJoyPadButtons) ? -1
                                           : static_cast<int>(pad - std::begin(kJoyPadButtons));
}

namespace
{
void hitPad(HitKind kind, int pad)
{
    if (pad >= 0)
        padHit({kind, pad, kMaxVelocity, event_stamp});
}

void keyHit(SDLKey sym)
{
    hitPad(kOneShotHit, keyPad(sym, kOneShotKeys));
    hitPad(kLoopHit, keyPad(sym, kLoopKeys));
}

void buttonPressed(Uint8 button)
{
    if (button == kJoyPrevious)
        previousScreen();
    else if (button == kJoyNext)
        nextScreen();
    else
        hitPad(modo == kLoopPads ? kLoopHit : kOneShotHit, buttonPad(button));
}
} // namespace

void handleEvent(const SDL_Event& event, bool* quit)
{
    event_stamp = hitClockUs();
    if (asksToQuit(event))
    {
        *quit = true;
        return;
    }
    switch (event.type)
    {
    case SDL_KEYDOWN:
        keyAction(event.key.keysym.sym);
        keyHit(event.key.keysym.sym);
        break;
    case SDL_KEYUP:
        keyAction(event.key.keysym.sym);
        break;
    case SDL_MOUSEMOTION:
        mx = event.motion.x / window_scale;
        my = event.motion.y / window_scale;
        updateListHover(mx, my);
        break;
    case SDL_MOUSEBUTTONDOWN:
        held_list = nullptr;
        pressScreen();
        held_since = clockUs();
        held_repeats = 0;
        break;
    case SDL_MOUSEBUTTONUP:
        held_list = nullptr;
        break;
    case kHitShownEvent:
        showPostedHit(event);
        break;
    case SDL_JOYBUTTONDOWN:
        buttonPressed(event.jbutton.button);
        break;
    default:
        break;
    }
}

void drawScreen()
{
    switch (modo)
    {
    case kPresetScreen:
        drawPresetScreen();
        break;
    case kSampleBrowser:
        drawSampleBrowser();
        break;
    case kSamplePads:
        drawSamplePads();
        break;
    case kLoopPads:
        drawLoopPads();
        break;
    }
}

void pressScreen()
{
    switch (modo)
    {
    case kPresetScreen:
        presetScreenPress();
        break;
    case kSampleBrowser:
        sampleBrowserPress();
        break;
    case kSamplePads:
        samplePadsPress();
        break;
    case kLoopPads:
        loopPadsPress();
        break;
    }
}

bool frame()
{
    drawScreen();
    forgetUndrawnTexts();
    tickPadFlash();
    releaseFinishedPreview();
    const bool displayPaced = showFrame();
    frameShown();
    return displayPaced;
}

int64_t frameWait(int64_t now, int64_t last, bool displayPaced)
{
    if (displayPaced)
        return 0;
    return std::max<int64_t>(0, last + kFramePeriodUs - now);
}

int64_t frameStart(int64_t now, int64_t last)
{
    return now - last < 2 * kFramePeriodUs ? last + kFramePeriodUs : now;
}

int32_t scrollRepeatsDue(int64_t heldUs)
{
    if (heldUs < kRepeatDelayUs)
        return 0;
    const int64_t repeating = heldUs - kRepeatDelayUs;
    if (repeating < kSteadyRepeatsUs)
        return static_cast<int32_t>(1 + repeating * kRepeatsPerSecond / kMicrosecondsPerSecond);
    // Then the speed doubles every kDoublingSeconds: the rows are its integral.
    const double faster =
        static_cast<double>(repeating - kSteadyRepeatsUs) / kMicrosecondsPerSecond;
    const double rows = kRepeatsPerSecond * kDoublingSeconds / std::log(2.0) *
                        (std::exp2(faster / kDoublingSeconds) - 1);
    const int64_t steady = 1 + kSteadyRepeatsUs * kRepeatsPerSecond / kMicrosecondsPerSecond;
    return static_cast<int32_t>(std::min<double>(static_cast<double>(steady) + rows, INT32_MAX));
}

void repeatHeldScroll(int64_t now)
{
    const int32_t due = scrollRepeatsDue(now - held_since);
    if (held_list && held_repeats < due)
        scrollHeldList(due - held_repeats);
    held_repeats = std::max(held_repeats, due);
}

void mainLoop()
{
    bool quit = false;
    bool displayPaced = false;
    int64_t last = clockUs() - kFramePeriodUs; // the first frame is due at once
    for (;;)
    {
        SDL_Event event;
        while (SDL_PollEvent(&event))
        {
            handleEvent(event, &quit);
            if (quitDuringWork)
                return; // the work stopped short; nothing more is done
        }
        const int64_t now = clockUs();
        if (const int64_t wait = frameWait(now, last, displayPaced); wait > 0)
        {
            waitForInput(wait);
            continue;
        }
        last = frameStart(now, last);
        repeatHeldScroll(now);
        displayPaced = frame();
        if (quit)
            return;
    }
}
