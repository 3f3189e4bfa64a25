// The shell inside the test process: start-up state, event routing, screen
// switching, the frame, images and text.
#include "app/assets.h"
#include "app/loop.h"
#include "app/shell.h"
#include "browser/catalogue.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"

#include <SDL/SDL_mixer.h>
#include <cstdio>
#include <unistd.h>

namespace
{
using ShellTest = ProgramTest;

void pushEvent(Uint8 type)
{
    SDL_Event event = {};
    event.type = type;
    SDL_PushEvent(&event);
}

void pushKey(SDLKey sym)
{
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = sym;
    SDL_PushEvent(&event);
}

// Asks whether the event quits, without the rest of the loop.
bool quits(const SDL_Event& event)
{
    bool quit = false;
    handleEvent(event, &quit);
    return quit;
}

SDL_Event key(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE)
{
    SDL_Event event = {};
    event.type = type;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    return event;
}

SDL_Event joy(Uint8 button)
{
    SDL_Event event = {};
    event.type = SDL_JOYBUTTONDOWN;
    event.jbutton.button = button;
    return event;
}
} // namespace

TEST_F(ShellTest, StartsOnThePresetScreenWithTheMixerAtFullVolume)
{
    EXPECT_EQ(modo, kPresetScreen);
    EXPECT_EQ(screen->w, 320);
    EXPECT_EQ(screen->h, 240);
    EXPECT_EQ(screen->format->BitsPerPixel, 16);
    EXPECT_NE(fuente, nullptr);
    for (int channel = 0; channel < 8; ++channel)
        EXPECT_EQ(Mix_Volume(channel, -1), MIX_MAX_VOLUME);
    EXPECT_EQ(Mix_AllocateChannels(-1), 8);
    EXPECT_EQ(mx, 0);
    EXPECT_EQ(my, 0);
}

TEST_F(ShellTest, QuitRequests)
{
    EXPECT_TRUE(quits(key(SDL_KEYDOWN, SDLK_ESCAPE)));
    EXPECT_TRUE(quits(key(SDL_KEYUP, SDLK_ESCAPE)));
    EXPECT_TRUE(quits(key(SDL_KEYDOWN, SDLK_c, KMOD_LCTRL)));
    EXPECT_TRUE(quits(key(SDL_KEYDOWN, SDLK_c, KMOD_RCTRL)));
    EXPECT_FALSE(quits(key(SDL_KEYDOWN, SDLK_c)));
    EXPECT_FALSE(quits(key(SDL_KEYDOWN, SDLK_c, KMOD_LSHIFT)));
    EXPECT_FALSE(quits(key(SDL_KEYUP, SDLK_c, KMOD_LCTRL)));
    EXPECT_TRUE(quits(joy(6)));
    EXPECT_FALSE(quits(joy(7)));
    SDL_Event quitEvent = {};
    quitEvent.type = SDL_QUIT;
    EXPECT_TRUE(quits(quitEvent));
    EXPECT_EQ(modo, kPresetScreen);
}

TEST_F(ShellTest, ScreenKeysSwitchAndListScreensGoBackToTheirTop)
{
    keyDown(SDLK_2);
    EXPECT_EQ(modo, kSamplePads);
    ct_lista = 4;
    ct_lista_2 = 6;
    keyDown(SDLK_3);
    EXPECT_EQ(modo, kLoopPads);
    EXPECT_EQ(ct_lista, 4) << "the pad screens leave the lists alone";

    keyDown(SDLK_1);
    EXPECT_EQ(modo, kSampleBrowser);
    EXPECT_EQ(ct_lista, 0);
    EXPECT_EQ(ct_lista_2, 0);
    ct_lista = 3;
    keyUp(SDLK_1);
    EXPECT_EQ(modo, kSampleBrowser);
    EXPECT_EQ(ct_lista, 0) << "the release repeats the switch";

    keyDown(SDLK_KP0);
    EXPECT_EQ(modo, kSampleBrowser) << "keypad digits are other keys";
    keyDown(SDLK_0);
    EXPECT_EQ(modo, kPresetScreen);
}

TEST_F(ShellTest, JoystickStepsThroughTheScreensWithoutWrapping)
{
    joyButton(4);
    EXPECT_EQ(modo, kPresetScreen);

    ct_lista = 2;
    joyButton(5);
    EXPECT_EQ(modo, kSampleBrowser);
    EXPECT_EQ(ct_lista, 0) << "entering the browser lists it from the top";

    ct_lista = 2;
    joyButton(5);
    EXPECT_EQ(modo, kSamplePads);
    EXPECT_EQ(ct_lista, 2) << "leaving the browser forward lists nothing";
    joyButton(5);
    EXPECT_EQ(modo, kLoopPads);
    joyButton(5);
    EXPECT_EQ(modo, kLoopPads);

    joyButton(4);
    EXPECT_EQ(modo, kSamplePads);
    EXPECT_EQ(ct_lista, 2);
    joyButton(4);
    EXPECT_EQ(modo, kSampleBrowser);
    EXPECT_EQ(ct_lista, 0);
    ct_lista_2 = 5;
    joyButton(4);
    EXPECT_EQ(modo, kPresetScreen);
    EXPECT_EQ(ct_lista_2, 0);
}

TEST_F(ShellTest, EventsQueuedWithTheQuitAreHandledBeforeTheLastFrame)
{
    pushKey(SDLK_2);
    pushEvent(SDL_QUIT);
    pushKey(SDLK_3);
    mainLoop();
    EXPECT_EQ(modo, kLoopPads);
    // The last frame shows the loop pads' background.
    const Uint32 shown = screenPixel(160, 120);
    drawImage(f_play, p_rect);
    EXPECT_EQ(screenPixel(160, 120), shown);
}

TEST_F(ShellTest, KeyedImagesShowWhatLiesBeneathTheirBlack)
{
    for (SDL_Surface* image : {boton_p, boton_p_2, boton_s, boton_s_2, caja_s, caja_l, rata,
                               caja_s_2, sample_sel, asignado, caja_p})
    {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->format->BitsPerPixel, 16);
        EXPECT_TRUE(image->flags & SDL_SRCCOLORKEY);
        EXPECT_EQ(image->format->colorkey, 0u);
    }
    for (SDL_Surface* image : {dialog, dialog_2, f_play, f_presets, f_smp, teclas})
        EXPECT_FALSE(image->flags & SDL_SRCCOLORKEY);

    // The hover bar over a red screen: its black middle stays red.
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 0, 0));
    drawImage(caja_p, SDL_Rect{0, 0, 0, 0});
    EXPECT_EQ(screenPixel(120, 8), 0xff0000u);
}

TEST_F(ShellTest, TextIsDrawnOnlyWithTargetTextAndFont)
{
    SDL_FillRect(screen, nullptr, 0);
    drawText(nullptr, "x", 10, 10, 255, 255, 255);
    drawText(screen, nullptr, 10, 10, 255, 255, 255);
    drawText(screen, "", 10, 10, 255, 255, 255);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(screenPixel(x, y), 0u);
    drawText(screen, "WWW", 10, 10, 255, 255, 255);
    Uint32 brightest = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 50; ++x)
            brightest = std::max(brightest, screenPixel(x, y) & 0xff);
    EXPECT_GT(brightest, 0xc0u);
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
    drawText(screen, "text", 0, 0, 255, 255, 255);
    shutDown();
    removeTree(stage);
}
