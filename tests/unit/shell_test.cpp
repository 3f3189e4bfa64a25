// The shell inside the test process: start-up state, event routing, screen switching,
// the last frame and keyed images, what shut-down leaves; frame pacing and the window
// scale; the pad screens, the keys they show and the states of the loop pads; the
// generated artwork's sizes, transparency and outlined press areas.
#include "app/assets.h"
#include "app/display.h"
#include "app/loop.h"
#include "app/progress.h"
#include "browser/catalogue.h"
#include "sound/decode.h"
#include "sound/loops.h"
#include "sound/mixer.h"
#include "sound/pads.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/wav.h"

#include <array>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace
{
using ShellTest = ProgramTest;

bool quits(SDL_Event e, int button = -1)
{
    if (button >= 0)
        e.jbutton.button = Uint8(button);
    return feed(e);
}

// A sound long enough to still play while the test looks.
void assignSound(int slot)
{
    const std::string name = "s" + std::to_string(slot) + ".wav", path = "kits/" + name;
    writeWav16(path, constantStereo(kTestRate * 2, 1000), 2);
    assignSlot(slot, path.c_str(), name.c_str());
}

// Whether the pad at `at` shows `image`: its middle, where lit and dark differ.
bool shows(SDL_Surface* image, const SDL_Rect& at)
{
    return pixelAt(screen, at.x + 70, at.y + 50) == pixelAt(image, 70, 50);
}

// Frames of screen 2 drawn before the pad at `at` shows dark again.
int litFrames(const SDL_Rect& at)
{
    int lit = 0;
    for (frame(); lit < 100 && shows(boton_s_2, at); frame())
        ++lit;
    return lit;
}

using Image = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// Pixels of the pad's name box that change when the assigned slot is released.
int nameInk(void (*draw)(), int slot, int pad)
{
    draw();
    const Image named(SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE), &SDL_FreeSurface);
    releaseSlot(slot);
    draw();
    const Point at = padNamePoint(pad);
    return differingPixels(named.get(), screen,
                           {at.x, at.y, at.x + 39, std::min(at.y + 11, kScreenHeight - 1)});
}

Image load(const std::string& name)
{
    return Image(SDL_LoadBMP((std::string(PADBOX_TEST_STAGE) + "/img/" + name + ".bmp").c_str()),
                 &SDL_FreeSurface);
}

// Black once reduced to the 16-bit display: the transparent colour of a keyed image.
bool keyedOut(Uint32 c)
{
    return (c & 0xf8fcf8) == 0;
}

// Pixels of `part`, a box in a pad's own pixels, where the screen over pad `pad`
// differs from `image` drawn with its top-left corner at `origin`.
int unlike(int pad, Box part, SDL_Surface* image, Point origin = {0, 0})
{
    const Box b = kPadBoxes[pad];
    int n = 0;
    for (int y = part.y0; y <= part.y1; ++y)
        for (int x = part.x0; x <= part.x1; ++x)
            n += pixelAt(screen, b.x0 + x, b.y0 + y) != pixelAt(image, origin.x + x, origin.y + y);
    return n;
}

// The same against the background's pixels under the pad.
int unlikeBackground(int pad, Box part)
{
    return unlike(pad, part, f_play, {kPadBoxes[pad].x0, kPadBoxes[pad].y0});
}

// Pixels of `part` that differ between the screen over two pads.
int unlikePads(int a, int b, Box part)
{
    return unlike(a, part, screen, {kPadBoxes[b].x0, kPadBoxes[b].y0});
}
} // namespace

TEST_F(ShellTest, StartsOnThePresetScreenKeysSwitchScreensAndEventsQueuedWithTheQuitAreAllHandled)
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

    // Events queued with the quit are handled before the last frame.
    assignSound(0);
    SDL_Event motion = keyEvent(SDL_MOUSEMOTION);
    motion.motion.x = static_cast<Uint16>(midX(kPadBoxes[0]));
    motion.motion.y = static_cast<Uint16>(midY(kPadBoxes[0]));
    for (SDL_Event e : {keyEvent(SDL_KEYDOWN, SDLK_3), keyEvent(SDL_QUIT),
                        keyEvent(SDL_KEYDOWN, SDLK_2), motion, keyEvent(SDL_MOUSEBUTTONDOWN)})
        SDL_PushEvent(&e);
    mainLoop();
    waitUntilHeard();
    // The press played its sound and flashed for one frame, drawn after every event.
    EXPECT_EQ(std::tuple(modo, Mix_Playing(0), t_pulsados[0]),
              std::tuple(kSamplePads, 1, kFlashFrames - 1));
    const Uint32 shown = pixelAt(screen, 160, 120);
    drawImage(f_play, p_rect);
    EXPECT_EQ(pixelAt(screen, 160, 120), shown) << "the last frame shows the sample pads";
}

TEST_F(ShellTest, ShutDownTakesTheProgressWatcherAwaySoALaterDecodeRunsToItsEnd)
{
    writeWav16("kits/after.wav", constantStereo(100, 1000), 2, 44100);
    quitDuringWork = true; // the program's watcher now stops every decode it is told of
    EXPECT_EQ(decodeSound("kits/after.wav"), nullptr) << "the running program watches decodes";
    stopProgram();
    // A decode once the program is gone, as a benchmark makes: nothing draws or stops it.
    SDL_Init(SDL_INIT_AUDIO);
    openMixer();
    Mix_Chunk* chunk = decodeSound("kits/after.wav");
    EXPECT_NE(chunk, nullptr);
    Mix_FreeChunk(chunk);
    closeMixer();
    SDL_Quit();
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
    for (int64_t held = 1400000, last = 16; held < 3600000000; held += held / 7)
    {
        EXPECT_GE(scrollRepeatsDue(held), last) << held;
        last = scrollRepeatsDue(held);
    }
    EXPECT_GE(scrollRepeatsDue(6000000), 100000) << "any folder's end within a few seconds";

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
    // Requests that do not count are said to be ignored; an empty variable asks nothing.
    EXPECT_EQ(scaleComplaints(2, asksTwo, ""),
              "Ignoring --scale: the scale is a whole number from 1 to 4\n");
    EXPECT_EQ(scaleComplaints(3, asksTwo, "3") + scaleComplaints(1, asksTwo, nullptr), "");
}

TEST_F(ShellTest, APadPlaysItsSlotAloneFlashesFor41FramesAMissDarkensAllAndLoopPadsSwitch)
{
    // Hit tests are strict: a pad's first column and row are its border.
    for (int pad = 0; pad < kPadCount; ++pad)
    {
        const Box b = kPadBoxes[pad];
        expectHitsBox(padAt, Box{b.x0 + 1, b.y0 + 1, b.x1, b.y1}, pad, -1);
    }
    for (int slot = 0; slot < kPadCount; ++slot)
        assignSound(slot);
    keyDown(SDLK_2);
    pressIn(kPadBoxes[0]);
    waitUntilHeard();
    EXPECT_TRUE(Mix_Playing(-1) == 1 && Mix_Playing(0)) << "its channel alone plays";
    EXPECT_EQ(litFrames(bp1), 41);

    pressIn(kPadBoxes[3]);
    for (int i = 0; i < 10; ++i)
        frame();
    pressIn(kPadBoxes[3]);
    EXPECT_EQ(litFrames(bp4), 41) << "counted again from the second press";

    pressIn(kPadBoxes[1]);
    pressAt(kPadBoxes[0].x1 + 1, midY(kPadBoxes[0])); // between pads
    waitUntilHeard();
    EXPECT_EQ(pulsados[0] + pulsados[1] + pulsados[2] + pulsados[3], 0);
    EXPECT_TRUE(Mix_Playing(1)) << "a miss stops no sound";
    EXPECT_GT(nameInk(drawSamplePads, 1, 1), 0) << "names show for assigned slots only";

    // Loop pads switch their loop and show whether it runs.
    assignSound(6);
    keyDown(SDLK_3);
    pressAt(kPadBoxes[0].x1 + 1, midY(kPadBoxes[0]));
    EXPECT_EQ(canal_control, kNoControlLoop) << "a press between the pads does nothing";
    pressIn(kPadBoxes[2]);
    EXPECT_EQ(canal_control, 2);
    waitUntilHeard();
    drawLoopPads();
    EXPECT_TRUE(Mix_Playing(6) && shows(boton_p_2, bp3) && shows(boton_p, bp1));
    EXPECT_GT(nameInk(drawLoopPads, 6, 2), 0);

    pressIn(kPadBoxes[2]);
    EXPECT_FALSE(sonando[2] || Mix_Playing(6));
    drawLoopPads();
    EXPECT_TRUE(shows(boton_p, bp3));
}

// Keys hit the pads from every screen, the handheld's face buttons those of the pad
// screen shown; hits from them light their pad and leave the others lit, so chords
// show, where a pointer press darkens the pads it misses.
TEST_F(ShellTest, KeysAndFaceButtonsHitThePadsFromEveryScreenAndChordsShow)
{
    for (int slot : {0, 1, 2, 3, 4, 5})
        assignSound(slot);
    keyDown(SDLK_1);
    keyDown(SDLK_z);
    keyDown(SDLK_x);
    feed(keyEvent(SDL_KEYUP, SDLK_x)); // a release plays nothing
    waitUntilHeard();
    EXPECT_EQ(std::vector<int>({pulsados[0], pulsados[1], pulsados[2], Mix_Playing(-1)}),
              std::vector<int>({1, 1, 0, 2}))
        << "both played, on their channels, on the browser";
    EXPECT_TRUE(feed(keyEvent(SDL_KEYDOWN, SDLK_c, KMOD_LCTRL))) << "Ctrl+C quits";
    EXPECT_EQ(pulsados[2], 0) << "and hits nothing";
    keyDown(SDLK_s);
    EXPECT_EQ(std::pair(int(pulsados2[1]), int(canal_control)), std::pair(1, 1));

    // Joystick buttons through SDL's own event queue.
    const auto button = [](Uint8 which)
    {
        SDL_Event event = {};
        event.type = SDL_JOYBUTTONDOWN;
        event.jbutton.button = which;
        SDL_PushEvent(&event);
        for (SDL_Event taken; SDL_PollEvent(&taken);)
            feed(taken);
    };
    button(kJoyPadButtons[1]); // on the browser: one-shot S2
    button(kJoyPadButtons[3]); // S4
    waitUntilHeard();
    EXPECT_TRUE(pulsados[3] && Mix_Playing(3) && !pulsados2[3]);
    button(5); // forward to the sample pads
    button(5); // and on to the loop pads
    EXPECT_EQ(modo, kLoopPads);
    button(kJoyPadButtons[0]); // loop L1 queued behind L2
    button(kJoyPadButtons[1]); // L2 off: L1 starts at once
    EXPECT_EQ(std::tuple(int(pulsados2[0]), int(pulsados2[1]), int(canal_control)),
              std::tuple(1, 0, 0));

    keyDown(SDLK_2);
    keyDown(SDLK_v);
    pressIn(kPadBoxes[0]);
    EXPECT_EQ(std::pair(int(pulsados[0]), int(pulsados[3])), std::pair(1, 0))
        << "a pointer press darkens the pads it misses";
}

TEST_F(ShellTest, PadsShowTheirKeysAndALoopPlayingWaitingOrOffEachItsOwnWay)
{
    // Each screen shows its own key and note on every pad, from the background, and
    // the other screen's stay hidden.
    for (const auto& [key, shown, hidden] : {std::tuple(SDLK_2, kOneShotLegend, kLoopLegend),
                                             std::tuple(SDLK_3, kLoopLegend, kOneShotLegend)})
    {
        keyDown(key);
        frame();
        SCOPED_TRACE(modo);
        SDL_Surface* pad = modo == kSamplePads ? boton_s : boton_p;
        for (int k = 0; k < kPadCount; ++k)
        {
            EXPECT_EQ(unlikeBackground(k, shown), 0) << k;
            EXPECT_GT(unlike(k, shown, pad), width(shown)) << k;
            EXPECT_EQ(unlike(k, hidden, pad), 0) << k;
            for (int other = 0; other < k; ++other)
                EXPECT_GT(unlikePads(k, other, shown), 20) << k << " " << other;
        }
    }

    // Loop 1 plays and sets the beat, loop 2 waits for its boundary, loop 3 is off.
    // The audio lock keeps the boundary away while the test looks.
    for (int slot : {4, 5, 6})
        assignSound(slot);
    SDL_LockAudio();
    pressIn(kPadBoxes[0]);
    pressIn(kPadBoxes[1]);
    frame();
    EXPECT_EQ(unlike(0, kWaitingSign, boton_p_2), 0) << "playing";
    EXPECT_EQ(unlikeBackground(1, kWaitingSign), 0) << "waiting: the sign";
    EXPECT_EQ(unlike(2, kWaitingSign, boton_p), 0) << "off";
    for (const auto& [a, b] : {std::pair(0, 1), {1, 2}, {0, 2}})
        EXPECT_GT(unlikePads(a, b, kWaitingSign), width(kWaitingSign) * height(kWaitingSign) / 4)
            << a << " " << b;
    EXPECT_EQ(unlikePads(1, 2, {0, 20, width(kPadBoxes[0]) - 1, 70}), 0)
        << "waiting and off, both dark around the sign";

    // The beat bar shows on the pad that sets the beat alone, empty at its boundary.
    const Box bar = moved(kBeatBar, kPadBoxes[0].x0, kPadBoxes[0].y0);
    int track = 0;
    for (int y = bar.y0; y <= bar.y1; ++y)
        for (int x = bar.x0; x <= bar.x1; ++x)
            track += pixelAt(screen, x, y) == shownAs(screen, kWell);
    EXPECT_EQ(track, width(bar) * height(bar));
    for (int k = 1; k < kPadCount; ++k)
        EXPECT_EQ(unlike(k, kBeatBar, boton_p), 0) << k;

    pressIn(kPadBoxes[1]); // switched off while it waits
    frame();
    EXPECT_EQ(unlike(1, kWaitingSign, boton_p), 0);
    SDL_UnlockAudio();
}

TEST(Artwork, ImagesAtTheirSizesKeyedOnBlackAndPressAreasOutlinedOnTheirPixels)
{
    // Per image: the box whose size it has, and for keyed images a pixel that must
    // show what lies beneath and one that must be drawn.
    const Box kNoSize{0, 0, -1, -1}, kPad = kPadBoxes[0];
    const struct
    {
        const char* name;
        Box box;
        int clearX, clearY, drawnX, drawnY;
    } images[] = {
        {"caja_s", kKitsHighlight, 12, 8, 67, 17},  {"boton_p", kPad, 0, 0, 70, 50},
        {"caja_l", kLoopsHighlight, 13, 8, 41, 17}, {"boton_p_2", kPad, 139, 99, 70, 50},
        {"sample_sel", kSlotCursor, 25, 10, 1, 6},  {"boton_s", kPad, 0, 99, 70, 50},
        {"asignado", kSlotMarker, 10, 8, 40, 3},    {"boton_s_2", kPad, 139, 0, 70, 50},
        {"caja_s_2", kHoverBar, 120, 8, 120, 0},    {"dialog", kDialogBox, -1, 0, 0, 0},
        {"caja_p", kHoverBar, 120, 8, 120, 16},     {"f_play", kScreenBox, -1, 0, 0, 0},
        {"teclas", kKeyboardPanel, -1, 0, 0, 0},    {"f_smp", kScreenBox, -1, 0, 0, 0},
        {"f_presets", kScreenBox, -1, 0, 0, 0},     {"rata", kNoSize, 11, 0, 2, 6},
        {"dialog_2", kDialogBox, -1, 0, 0, 0},
    };
    for (const auto& image : images)
    {
        SCOPED_TRACE(image.name);
        Image s = load(image.name);
        if (width(image.box)) // the pointer image, never drawn, has no fixed size
        {
            EXPECT_EQ(std::pair(s->w, s->h), std::pair(width(image.box), height(image.box)));
        }
        if (image.clearX < 0)
            continue;
        EXPECT_TRUE(keyedOut(pixelAt(s.get(), image.clearX, image.clearY)));
        EXPECT_FALSE(keyedOut(pixelAt(s.get(), image.drawnX, image.drawnY)));
    }

    // Press areas are outlined on their pixels.
    const auto key = [](Box b) { return inImage(b, kKeyboardPanel); }; // in the panel's pixels
    const std::pair<const char*, std::vector<Box>> outlined[] = {
        {"f_presets",
         {kListBox, kLoadButtonBox, kKeyboardButtonBox, kPresetScrollUpBox, kPresetScrollDownBox}},
        {"f_smp",
         {kKitsTabBox, kLoopsTabBox, slotBand(0), slotBand(7), kBrowserScrollUpBox,
          kBrowserScrollDownBox, kAssignBox}},
        {"f_play", {kPadBoxes[0], kPadBoxes[1], kPadBoxes[2], kPadBoxes[3]}},
        {"teclas",
         {key(keyBox(0)), key(keyBox(kKeyCount - 1)), key(kDelKeyBox), key(kCancelKeyBox)}},
    };
    for (const auto& [image, boxes] : outlined)
    {
        SCOPED_TRACE(image);
        Image s = load(image);
        for (const Box& b : boxes)
        {
            // The middle pixel of each side is a line: brighter than its neighbours across it.
            const auto luma = [&](int x, int y)
            {
                const Uint32 c =
                    x < 0 || y < 0 || x >= s->w || y >= s->h ? 0 : pixelAt(s.get(), x, y);
                return (2 * int(c >> 16) + 5 * int((c >> 8) & 0xff) + int(c & 0xff)) / 8;
            };
            for (const auto& [x, y, dx, dy] : {std::array{b.x0, midY(b), 1, 0},
                                               {b.x1, midY(b), -1, 0},
                                               {midX(b), b.y0, 0, 1},
                                               {midX(b), b.y1, 0, -1}})
                EXPECT_GE(luma(x, y), std::max(luma(x + dx, y + dy), luma(x - dx, y - dy)) + 20)
                    << x << "," << y;
        }
    }
}
