#include "app/shell.h"

#include "app/assets.h"
#include "app/display.h"
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "sound/loops.h"
#include "sound/slots.h"

#include <SDL/SDL_mixer.h>
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
constexpr int kMixerRate = 22050;
constexpr Uint16 kMixerFormat = AUDIO_S16LSB;
constexpr int kMixerChannels = 2; // stereo output
constexpr int kMixerBuffer = 256; // samples per mixing pass
const char kCaption[] = "padbox";

// A touch screen needs no pointer; a desktop mouse user needs to see where a click lands.
void hidePointerOnHandheld()
{
    if (kHandheld)
        SDL_ShowCursor(SDL_DISABLE);
}
} // namespace

void startUp(int argc, char** argv)
{
    std::fill(std::begin(asignados), std::end(asignados), 0);

    if (SDL_Init(kSdlSubsystems) < 0)
    {
        fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        exit(kExitNoSdl);
    }
    atexit(Terminate);
    hidePointerOnHandheld();

    screen = openWindow(argc, argv);
    if (!screen)
    {
        fprintf(stderr, "Couldn't set 320x240x16 video mode: %s\n", SDL_GetError());
        exit(kExitNoVideoMode);
    }
    SDL_WM_SetCaption(kCaption, kCaption);
    hidePointerOnHandheld(); // again, now that the display exists

    joystick = SDL_JoystickOpen(0);
    Mix_OpenAudio(kMixerRate, kMixerFormat, kMixerChannels, kMixerBuffer);
    TTF_Init();

    loadAssets();
    scanCatalogue();
}

void shutDown()
{
    stopLoops();
    freeAssets();
    freeSlotSounds();
    releaseAllPreviews();
    SDL_FreeSurface(screen);
    Mix_CloseAudio();
    SDL_JoystickClose(joystick);
    SDL_Quit();
}

int padboxMain(int argc, char** argv)
{
    startUp(argc, argv);
    mainLoop();
    shutDown();
    return 0;
}
