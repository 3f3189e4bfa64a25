// The shell inside the test process: start-up state, event routing, screen
// switching, the last frame and keyed images; frame pacing and the window scale.
#include "app/assets.h"
#include "app/display.h"
#include "app/loop.h"
#include "app/shell.h"
#include "browser/catalogue.h"
#include "sound/pads.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

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

TEST_F(ShellTest, StartsOnThePresetScreenQuitsOnlyWhenAskedAndKeysSwitchScreens)
{
    EXPECT_EQ(std::tuple(modo, mx + my), std::tuple(kPresetScreen, 0));
    for (SDL_Surface* image : {boton_p, boton_p_2, boton_s, boton_s_2, caja_s, caja_l, rata,
                               caja_s_2, sample_sel, asignado, caja_p})
        EXPECT_TRUE(image->flags & SDL_SRCCOLORKEY && image->format->colorkey == 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), kHandheld ? SDL_DISABLE : SDL_ENABLE);

    EXPECT_TRUE(quits(keyEvent(SDL_KEYDOWN, SDLK_ESCAPE)));
    EXPECT_TRUE(quits(keyEvent(SDL_KEYUP, SDLK_ESCAPE)));
    EXPECT_TRUE(quits(keyEvent(SDL_KEYDOWN, SDLK_c, KMOD_RCTRL)));
    EXPECT_FALSE(quits(keyEvent(SDL_KEYDOWN, SDLK_c, KMOD_LSHIFT)));
    EXPECT_FALSE(quits(keyEvent(SDL_KEYUP, SDLK_c, KMOD_LCTRL)));
    EXPECT_TRUE(quits(keyEvent(SDL_JOYBUTTONDOWN), 6));
    EXPECT_FALSE(quits(keyEvent(SDL_JOYBUTTONDOWN), 7));
    EXPECT_TRUE(quits(keyEvent(SDL_QUIT)));
    EXPECT_EQ(modo, kPresetScreen);

    keyDown(SDLK_3);
    ct_lista = 4;
    keyDown(SDLK_1);
    EXPECT_EQ(std::tuple(modo, ct_lista), std::tuple(kSampleBrowser, 0));
    ct_lista = 3;
    quits(keyEvent(SDL_KEYUP, SDLK_1));
    EXPECT_EQ(ct_lista, 0) << "the release repeats the switch";
    keyDown(SDLK_KP0);
    EXPECT_EQ(modo, kSampleBrowser) << "keypad digits are other keys";

    // Joystick: one screen forward or back, no wrapping; the list screens rescan.
    const int steps[][3] = {{5, kSamplePads, 2},   {5, kLoopPads, 2},      {5, kLoopPads, 2},
                            {4, kSamplePads, 2},   {4, kSampleBrowser, 0}, {4, kPresetScreen, 0},
                            {4, kPresetScreen, 2}, {5, kSampleBrowser, 0}};
    for (const auto& [button, shown, list] : steps)
    {
        ct_lista = ct_lista_2 = 2;
        quits(keyEvent(SDL_JOYBUTTONDOWN), button);
        EXPECT_EQ(std::tuple(modo, ct_lista, ct_lista_2), std::tuple(shown, list, list));
    }
}

TEST_F(ShellTest, EventsQueuedWithTheQuitAreHandledBeforeTheLastFrame)
{
    writeWav16("kits/s.wav", constantStereo(kTestRate, 1000), 2);
    assignSlot(0, "kits/s.wav", "s.wav");
    SDL_Event motion = keyEvent(SDL_MOUSEMOTION);
    motion.motion.x = static_cast<Uint16>(midX(kPadBoxes[0]));
    motion.motion.y = static_cast<Uint16>(midY(kPadBoxes[0]));
    for (SDL_Event e : {keyEvent(SDL_KEYDOWN, SDLK_3), keyEvent(SDL_QUIT),
                        keyEvent(SDL_KEYDOWN, SDLK_2), motion, keyEvent(SDL_MOUSEBUTTONDOWN)})
        SDL_PushEvent(&e);
    mainLoop();
    EXPECT_EQ(modo, kSamplePads);
    EXPECT_TRUE(Mix_Playing(0)) << "the press played its sound";
    EXPECT_EQ(t_pulsados[0], kFlashFrames - 1) << "one frame, drawn after every event";
    const Uint32 shown = pixelAt(screen, 160, 120);
    drawImage(f_play, p_rect);
    EXPECT_EQ(pixelAt(screen, 160, 120), shown) << "the last frame shows the sample pads";
}

TEST(Pacing, FramesRepeatsAndTheWindowScale)
{
    // A frame a refresh, none made up after a stall; held arrows repeat after a delay.
    constexpr int64_t t = 5000000, period = kFramePeriodUs;
    EXPECT_EQ(frameWait(t + period - 1000, t, false), 1000);
    EXPECT_EQ(frameWait(t + period + 1000, t, false), 0);
    EXPECT_EQ(frameWait(t + 1000, t, true), 0) << "a display that waited paces the loop itself";
    EXPECT_EQ(frameStart(t + period + 900, t), t + period) << "a late frame keeps the beat";
    EXPECT_EQ(frameStart(t + 3 * period, t), t + 3 * period) << "no burst after a stall";
    EXPECT_EQ(
        std::tuple(scrollRepeatsDue(399999), scrollRepeatsDue(400000), scrollRepeatsDue(1400000)),
        std::tuple(0, 1, 16));

    // The largest scale up to four in three quarters of the desktop, unless asked for.
    const int desktops[][3] = {{1280, 960, 3}, {1920, 1080, 3}, {3840, 2160, 4}, {854, 640, 2},
                               {853, 640, 1},  {320, 240, 1},   {0, 0, 1}};
    for (const auto& [w, h, scale] : desktops)
        EXPECT_EQ(fittingScale(w, h), scale) << w << "x" << h;
    char program[] = "padbox", option[] = "--scale", two[] = "2", five[] = "5";
    char* asksTwo[] = {program, option, two};
    char* asksFive[] = {program, option, five};
    EXPECT_EQ(askedScale(3, asksTwo, "3"), 2) << "the command line comes first";
    EXPECT_EQ(askedScale(3, asksFive, "3"), 3);
    EXPECT_EQ(askedScale(2, asksTwo, nullptr), 0) << "an option without its number";
    for (const char* env : {"0", "12", "x", ""})
        EXPECT_EQ(askedScale(1, asksTwo, env), 0) << env;
}
