#include "tests/support/sdlenv.h"

#include "app/loop.h"
#include "app/shell.h"
#include "tests/support/stage.h"

#include <cstdlib>
#include <unistd.h>

namespace
{
void feed(const SDL_Event& event)
{
    bool quit = false;
    handleEvent(event, &quit);
}
} // namespace

void useHeadlessDrivers(const std::string& audioFile, int diskDelayMs)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", audioFile.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", std::to_string(diskDelayMs).c_str(), 1);
}

void moveTo(int x, int y)
{
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = static_cast<Uint16>(x);
    event.motion.y = static_cast<Uint16>(y);
    feed(event);
}

void press()
{
    SDL_Event event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_LEFT;
    feed(event);
}

void release()
{
    feed(keyEvent(SDL_MOUSEBUTTONUP));
}

void pressAt(int x, int y)
{
    moveTo(x, y);
    press();
}

void pressIn(Box b)
{
    pressAt(midX(b), midY(b));
}

SDL_Event keyEvent(Uint8 type, SDLKey sym, SDLMod mod)
{
    SDL_Event event = {};
    event.type = type;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    return event;
}

void keyDown(SDLKey sym, SDLMod mod)
{
    feed(keyEvent(SDL_KEYDOWN, sym, mod));
}

void keyUp(SDLKey sym)
{
    feed(keyEvent(SDL_KEYUP, sym));
}

void joyButton(Uint8 button)
{
    SDL_Event event = {};
    event.type = SDL_JOYBUTTONDOWN;
    event.jbutton.button = button;
    feed(event);
}

void waitMs(int ms)
{
    SDL_Delay(static_cast<Uint32>(ms));
}

void ProgramTest::SetUp()
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    home = cwd;
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
    if (!home.empty())
    {
        EXPECT_EQ(chdir(home.c_str()), 0);
    }
    if (!stage.empty())
        removeTree(stage);
}
