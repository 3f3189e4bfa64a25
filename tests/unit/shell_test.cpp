// The shell inside the test process: start-up state, event routing, screen
// switching, the last frame and keyed images; a missing font.
#include "app/assets.h"
#include "app/loop.h"
#include "app/shell.h"
#include "browser/catalogue.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"

#include <cstdio>
#include <unistd.h>

namespace
{
using ShellTest = ProgramTest;

bool quits(SDL_Event e, int button = -1)
{
    if (button >= 0)
        e.jbutton.button = Uint8(button);
    bool quit = false;
    handleEvent(e, &quit);
    return quit;
}
} // namespace

TEST_F(ShellTest, StartsOnThePresetScreenAndQuitsOnlyWhenAsked)
{
    EXPECT_EQ(modo, kPresetScreen);
    EXPECT_EQ(mx + my, 0) << "a press before any motion acts at (0, 0)";
    for (SDL_Surface* image : {boton_p, boton_p_2, boton_s, boton_s_2, caja_s, caja_l, rata,
                               caja_s_2, sample_sel, asignado, caja_p})
        EXPECT_TRUE(image->flags & SDL_SRCCOLORKEY && image->format->colorkey == 0);

    EXPECT_TRUE(quits(keyEvent(SDL_KEYDOWN, SDLK_ESCAPE)));
    EXPECT_TRUE(quits(keyEvent(SDL_KEYUP, SDLK_ESCAPE)));
    EXPECT_TRUE(quits(keyEvent(SDL_KEYDOWN, SDLK_c, KMOD_RCTRL)));
    EXPECT_FALSE(quits(keyEvent(SDL_KEYDOWN, SDLK_c, KMOD_LSHIFT)));
    EXPECT_FALSE(quits(keyEvent(SDL_KEYUP, SDLK_c, KMOD_LCTRL)));
    EXPECT_TRUE(quits(keyEvent(SDL_JOYBUTTONDOWN), 6));
    EXPECT_FALSE(quits(keyEvent(SDL_JOYBUTTONDOWN), 7));
    EXPECT_TRUE(quits(keyEvent(SDL_QUIT)));
    EXPECT_EQ(modo, kPresetScreen);
}

TEST_F(ShellTest, KeysAndJoystickSwitchScreensAndListScreensGoBackToTheirTop)
{
    keyDown(SDLK_3);
    ct_lista = 4;
    keyDown(SDLK_1);
    EXPECT_EQ(modo, kSampleBrowser);
    EXPECT_EQ(ct_lista, 0);
    ct_lista = 3;
    keyUp(SDLK_1);
    EXPECT_EQ(ct_lista, 0) << "the release repeats the switch";
    keyDown(SDLK_KP0);
    EXPECT_EQ(modo, kSampleBrowser) << "keypad digits are other keys";

    // Joystick: one screen forward or back, no wrapping; the list screens rescan.
    const struct
    {
        Uint8 button;
        int32_t screen, list;
    } steps[] = {{5, kSamplePads, 2},   {5, kLoopPads, 2},      {5, kLoopPads, 2},
                 {4, kSamplePads, 2},   {4, kSampleBrowser, 0}, {4, kPresetScreen, 0},
                 {4, kPresetScreen, 2}, {5, kSampleBrowser, 0}};
    for (const auto& step : steps)
    {
        ct_lista = ct_lista_2 = 2;
        joyButton(step.button);
        EXPECT_EQ(modo, step.screen);
        EXPECT_EQ(ct_lista, step.list) << "into screen " << step.screen;
        EXPECT_EQ(ct_lista_2, step.list) << "into screen " << step.screen;
    }
}

TEST_F(ShellTest, EventsQueuedWithTheQuitAreHandledBeforeTheLastFrame)
{
    for (SDL_Event e :
         {keyEvent(SDL_KEYDOWN, SDLK_2), keyEvent(SDL_QUIT), keyEvent(SDL_KEYDOWN, SDLK_3)})
        SDL_PushEvent(&e);
    mainLoop();
    EXPECT_EQ(modo, kLoopPads);
    const Uint32 shown = pixelAt(screen, 160, 120);
    drawImage(f_play, p_rect);
    EXPECT_EQ(pixelAt(screen, 160, 120), shown) << "the last frame shows the loop pads";
}

TEST(ShellWithoutFont, EveryScreenIsDrawnWithoutText)
{
    const std::string stage = makeStageCopy();
    ASSERT_EQ(chdir(stage.c_str()), 0);
    ASSERT_EQ(std::remove("img/letras.ttf"), 0);
    useHeadlessDrivers(stage + "/audio.raw");
    startUp();
    EXPECT_EQ(fuente, nullptr);
    for (SDLKey sym : {SDLK_0, SDLK_1, SDLK_2, SDLK_3})
    {
        keyDown(sym);
        frame();
    }
    shutDown();
    removeTree(stage);
}
