#include "tests/support/sdlenv.h"

#include "app/loop.h"
#include "app/shell.h"
#include "sound/hits.h"
#include "sound/loops.h"
#include "tests/support/stage.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

void useHeadlessDrivers(const std::string& audioFile, int diskDelayMs)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // The frame's own size, in whose pixels the tests give pointer positions: under the
    // dummy driver classic SDL knows no desktop, but sdl12-compat reports SDL 2's
    // 1024x768, which would double the window.
    setenv("PADBOX_SCALE", "1", 1);
    for (const std::string& entry : diskAudioEnvironment(audioFile, diskDelayMs))
        putenv(strdup(entry.c_str())); // kept: the environment points into it
}

bool feed(SDL_Event event)
{
    bool quit = false;
    handleEvent(event, &quit);
    return quit;
}

SDL_Event keyEvent(Uint8 type, SDLKey sym, SDLMod mod)
{
    SDL_Event event = {};
    event.type = type;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    return event;
}

void waitUntilHeard()
{
    for (;;)
    {
        SDL_LockAudio();
        const bool waiting = hitsPending() || controlStartPending();
        SDL_UnlockAudio();
        if (!waiting)
            return;
        SDL_Delay(1);
    }
}

void pressAt(int x, int y)
{
    SDL_Event event = keyEvent(SDL_MOUSEMOTION);
    event.motion.x = static_cast<Uint16>(x);
    event.motion.y = static_cast<Uint16>(y);
    feed(event);
    event = keyEvent(SDL_MOUSEBUTTONDOWN);
    event.button.button = SDL_BUTTON_LEFT;
    feed(event);
}

void pressIn(Box b)
{
    pressAt(midX(b), midY(b));
}

void release()
{
    feed(keyEvent(SDL_MOUSEBUTTONUP));
}

void keyDown(SDLKey sym, SDLMod mod)
{
    feed(keyEvent(SDL_KEYDOWN, sym, mod));
}

void ProgramTest::SetUp()
{
    home = std::filesystem::current_path();
    stage = makeStageCopy();
    audioFile = stage + "/audio.raw";
    ASSERT_EQ(chdir(stage.c_str()), 0);
    useHeadlessDrivers(audioFile, diskDelayMs);
    startUp();
    running = true;
}

void ProgramTest::stopProgram()
{
    if (running)
        shutDown();
    running = false;
}

void ProgramTest::TearDown()
{
    stopProgram();
    EXPECT_EQ(chdir(home.c_str()), 0);
    removeTree(stage);
}
