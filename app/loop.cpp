#include "app/loop.h"

#include "app/shell.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "preset/presetscreen.h"
#include "sound/pads.h"
#include "sound/preview.h"

int32_t modo;
int32_t mx, my;

namespace
{
constexpr Uint8 kJoyPrevious = 4;
constexpr Uint8 kJoyNext = 5;
constexpr Uint8 kJoyQuit = 6;
constexpr SDLMod kControlKeys = static_cast<SDLMod>(KMOD_LCTRL | KMOD_RCTRL);

// Entering a list screen shows its list from the top, freshly read.
void enterScreen(int32_t s)
{
    modo = s;
    if (s == kPresetScreen || s == kSampleBrowser)
    {
        ct_lista = 0;
        ct_lista_2 = 0;
        scanCatalogue(s == kPresetScreen ? kPresetFolder : sampleFolder());
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
        modo = modo + 1;
}

bool keyAction(SDLKey sym)
{
    switch (sym)
    {
    case SDLK_ESCAPE:
        return true;
    case SDLK_0:
    case SDLK_1:
    case SDLK_2:
    case SDLK_3:
        switchScreen(sym - SDLK_0);
        return false;
    default:
        return false;
    }
}

void handleEvent(const SDL_Event& event, bool* quit)
{
    switch (event.type)
    {
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_c)
        {
            if (event.key.keysym.mod & kControlKeys)
                *quit = true;
        }
        else if (keyAction(event.key.keysym.sym))
            *quit = true;
        break;
    case SDL_KEYUP:
        if (keyAction(event.key.keysym.sym))
            *quit = true;
        break;
    case SDL_MOUSEMOTION:
        mx = event.motion.x;
        my = event.motion.y;
        updateListHover(mx, my);
        break;
    case SDL_MOUSEBUTTONDOWN:
        pressScreen();
        break;
    case SDL_JOYBUTTONDOWN:
        if (event.jbutton.button == kJoyPrevious)
            previousScreen();
        else if (event.jbutton.button == kJoyNext)
            nextScreen();
        else if (event.jbutton.button == kJoyQuit)
            *quit = true;
        break;
    case SDL_QUIT:
        *quit = true;
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

void frame()
{
    drawScreen();
    tickPadFlash();
    releaseFinishedPreviews();
    SDL_Flip(screen);
}

void mainLoop()
{
    bool quit = false;
    for (;;)
    {
        SDL_Event event;
        if (SDL_PollEvent(&event))
        {
            handleEvent(event, &quit);
            continue;
        }
        frame();
        if (quit)
            return;
    }
}
