#include "app/shell.h"

#include "app/assets.h"
#include "app/display.h"
#include "app/loop.h"
#include "app/midi.h"
#include "app/progress.h"
#include "browser/catalogue.h"
#include "preset/presetscreen.h"
#include "sound/loops.h"
#include "sound/mixer.h"
#include "sound/preview.h"
#include "sound/slots.h"

#include <SDL/SDL_ttf.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace
{
constexpr Uint32 kSdlSubsystems = SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK;
const char kCaption[] = "padbox";

// A touch screen needs no pointer; a desktop mouse user needs to see where a click lands.
void hidePointerOnHandheld()
{
    if (kHandheld)
        SDL_ShowCursor(SDL_DISABLE);
}

// A launcher may start the program with standard input, output or error closed. The
// next file opened would take that number, and what the program prints would go into
// it: the display's connection, the captured audio.
void openStandardDescriptors()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            open("/dev/null", O_RDWR); // the lowest free number: this one
}

// SDL turns a terminate into a quit request; a hang-up, as when the terminal that
// started the program goes, ends it the same orderly way, as a terminate.
void terminateOnHangUp(int)
{
    raise(SIGTERM);
}

// One ignored by the launcher stays ignored.
void hangUpAsTerminate()
{
    struct sigaction hangUp = {};
    sigaction(SIGHUP, nullptr, &hangUp);
    if (hangUp.sa_handler == SIG_DFL)
        signal(SIGHUP, terminateOnHangUp);
}

} // namespace

void startUp(int argc, char** argv)
{
    openStandardDescriptors();
    // A write to a pipe whose reader has gone then fails instead of ending the program.
    signal(SIGPIPE, SIG_IGN);
    clearAssignedFlags();

    if (SDL_Init(kSdlSubsystems) < 0)
    {
        fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        exit(kExitNoSdl);
    }
    atexit(Terminate);
    hangUpAsTerminate();
    hidePointerOnHandheld();

    if (!openWindow(argc, argv))
    {
        fprintf(stderr, "Couldn't set 320x240x16 video mode: %s\n", SDL_GetError());
        exit(kExitNoVideoMode);
    }
    SDL_WM_SetCaption(kCaption, kCaption);
    hidePointerOnHandheld(); // again, now that the display exists

    openJoystick();
    openMixer();
    TTF_Init();

    loadAssets();
    setUpMixer();
    putPlayerAtRest();
    clearCatalogue();
    startMidi();
    scanCatalogue(kPresetFolder);
    watchLongWork();
}

void shutDown()
{
    stopMidi(); // its reader plays hits: it ends before anything a hit uses
    stopWatchingWork();
    stopLoops();
    freeAssets();
    freeSlotSounds();
    stopPreview();
    freeScreen();
    closeMixer();
    closeJoystick();
    SDL_Quit();
}

int padboxMain(int argc, char** argv)
{
    startUp(argc, argv);
    mainLoop();
    shutDown();
    return 0;
}
