#include "app/shell.h"

#include "app/assets.h"
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "preset/presetscreen.h"
#include "sound/loops.h"
#include "sound/mixer.h"
#include "sound/pads.h"
#include "sound/preview.h"
#include "sound/slots.h"

#include <SDL/SDL_ttf.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

SDL_Surface* screen;
SDL_Joystick* joystick;

namespace
{
constexpr Uint32 kSdlSubsystems = SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK;
const char kCaption[] = "padbox";

// sdl12-compat centres a new window where classic SDL leaves it at the screen's
// origin; both put it at the origin, unless the user asks for a place.
void placeWindowAtOrigin()
{
    if (!getenv("SDL_VIDEO_CENTERED"))
        setenv("SDL_VIDEO_WINDOW_POS", "0,0", 0); // a place of the user's own stays
}

// Every screen's state at its start: the preset screen, nothing lit, no loop on, an
// empty catalogue.
void setStartingState()
{
    modo = kPresetScreen;
    resetBrowser();
    resetPads();
    resetLoops();
    resetPresetScreen();
    clearCatalogue();
}
} // namespace

void startUp()
{
    std::fill(std::begin(asignados), std::end(asignados), 0);

    if (SDL_Init(kSdlSubsystems) < 0)
    {
        fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        exit(kExitNoSdl);
    }
    atexit(Terminate);
    SDL_ShowCursor(0);

    placeWindowAtOrigin();
    screen = SDL_SetVideoMode(kScreenWidth, kScreenHeight, kScreenDepth, 0);
    if (!screen)
    {
        fprintf(stderr, "Couldn't set 320x240x16 video mode: %s\n", SDL_GetError());
        exit(kExitNoVideoMode);
    }
    SDL_WM_SetCaption(kCaption, kCaption);
    SDL_ShowCursor(0); // again, now that the display exists

    joystick = SDL_JoystickOpen(0);
    openMixer();
    TTF_Init();

    loadAssets();
    setUpMixer();
    setStartingState();
    scanCatalogue(kPresetFolder);
}

void shutDown()
{
    stopLoops();
    freeAssets();
    freeSlotSounds();
    releaseAllPreviews();
    SDL_FreeSurface(screen);
    closeMixer();
    SDL_JoystickClose(joystick);
    SDL_Quit();
}

int padboxMain()
{
    startUp();
    mainLoop();
    shutDown();
    return 0;
}
