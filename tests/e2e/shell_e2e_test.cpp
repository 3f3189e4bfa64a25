// The real program under Xvfb: quitting, start-up failures, the hand-over to the
// menu program, and the window on a large desktop.
#include "tests/support/stage.h"
#include "tests/support/wav.h"
#include "tests/support/xsession.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace
{
// What the menu probe records when it is started from its folder without arguments.
const std::string kMenuStarted = std::string("cwd=") + PADBOX_MENU_PROBE_DIR +
                                 "\nargc=0\narg0=" + PADBOX_MENU_PROBE_DIR + "/gp2xmenu\n";

// Standard error without the disk audio driver's two-line notice.
std::string programErrors(const ProgramRun& run)
{
    std::string err = readFile(run.errFile);
    const size_t notice = err.find("WARNING: You are using the SDL disk writer");
    if (notice != std::string::npos)
        err.erase(notice, err.find('\n', err.find('\n', notice) + 1) + 1 - notice);
    return err;
}

class ShellSession : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        server = startXvfb();
        dir = makeStageCopy();
    }
    void TearDown() override
    {
        if (run.pid)
            waitExit(run, 0);
        stopXvfb(server);
        removeTree(dir);
    }

    // Starts the program and waits for its first frames; its X window id.
    unsigned long start(const std::vector<std::string>& env = {}, const std::string& program = "",
                        const std::vector<std::string>& args = {})
    {
        run = startProgram(server, dir, env, program, args);
        const unsigned long window = waitForWindow(server);
        EXPECT_NE(window, 0u) << readFile(run.errFile);
        return window;
    }

    XServer server;
    std::string dir;
    ProgramRun run;
    // No display at all: SDL never starts with the x11 driver.
    const XServer nowhere = {0, ":4999"};
    const std::vector<std::string> headless = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};
};
} // namespace

TEST_F(ShellSession, QuitsQuietlyOnEscapeControlCAndTheWindowsCloseButton)
{
    start();
    xdo(server, "mousemove 160 120 key 1 2 3 0 Escape");
    EXPECT_EQ(waitExit(run), 0);
    EXPECT_EQ(programErrors(run), "");
    EXPECT_EQ(readFile(run.outFile), "");

    start();
    xdo(server, "mousemove 160 120 key ctrl+c");
    EXPECT_EQ(waitExit(run), 0);

    const unsigned long window = start();
    EXPECT_EQ(system(("DISPLAY=" + server.display + " " PADBOX_WMCLOSE " " + std::to_string(window))
                         .c_str()),
              0);
    EXPECT_EQ(waitExit(run), 0);
}

TEST_F(ShellSession, StartUpFailuresEndWithTheirOwnMessageAndStatus)
{
    for (const char* image : {"dialog", "dialog_2", "f_play", "f_presets", "f_smp", "teclas",
                              "boton_p", "boton_p_2", "boton_s", "boton_s_2", "caja_s", "caja_l",
                              "rata", "caja_s_2", "sample_sel", "asignado", "caja_p"})
    {
        const std::string path = dir + "/img/" + image + ".bmp";
        const std::string bytes = readFile(path);
        std::remove(path.c_str());
        run = startProgram(nowhere, dir, headless);
        EXPECT_EQ(waitExit(run), 3) << image;
        EXPECT_EQ(readFile(run.errFile), std::string("No encuentro: ") + image + ".bmp\n");
        writeFile(path, bytes);
    }

    run = startProgram(nowhere, dir, {"SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy"});
    EXPECT_EQ(waitExit(run), 1);
    EXPECT_EQ(readFile(run.errFile).rfind("Couldn't initialize SDL: ", 0), 0u)
        << readFile(run.errFile);

    run =
        startProgram(nowhere, dir,
                     {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy",
                      "LD_PRELOAD=" PADBOX_FAILMODE_LIB, "ASAN_OPTIONS=verify_asan_link_order=0"});
    EXPECT_EQ(waitExit(run), 2);
    EXPECT_EQ(readFile(run.errFile),
              "Couldn't set 320x240x16 video mode: no video mode in this test\n");
}

TEST_F(ShellSession, EveryExitAfterSdlStartsTheMenuFromItsFolder)
{
    const std::string record = dir + "/menu-record.txt";
    start({"PADBOX_MENU_RECORD=" + record}, PADBOX_MENU_PROBE);
    xdo(server, "mousemove 160 120 key Escape");
    EXPECT_EQ(waitExit(run), 0) << "the process became the menu";
    EXPECT_EQ(readFile(record), kMenuStarted);

    // A start-up that fails once SDL is up hands over as well.
    std::remove(record.c_str());
    std::remove((dir + "/img/caja_p.bmp").c_str());
    std::vector<std::string> env = headless;
    env.push_back("PADBOX_MENU_RECORD=" + record);
    run = startProgram(nowhere, dir, env, PADBOX_MENU_PROBE);
    EXPECT_EQ(waitExit(run), 0);
    EXPECT_EQ(readFile(record), kMenuStarted);
    EXPECT_EQ(readFile(run.errFile), "No encuentro: caja_p.bmp\n");

    std::remove(record.c_str());
    run = startProgram(nowhere, dir, {"SDL_VIDEODRIVER=x11", "PADBOX_MENU_RECORD=" + record},
                       PADBOX_MENU_PROBE);
    EXPECT_EQ(waitExit(run), 1);
    EXPECT_FALSE(fileExists(record)) << "no menu when SDL never started";
}

TEST_F(ShellSession, ALargeDesktopShowsTheFrameEnlargedWithPressesWhereTheyAreDrawn)
{
    stopXvfb(server);
    server = startXvfb("1280x960x24");
    constexpr int16_t kLevel = 1234;
    writeWav16(dir + "/kits/a.wav", constantStereo(kTestRate, kLevel), 2);
    writeFile(dir + "/presets/demo.trp", "Tamo Ri Presets\n\nkits/a.wav\n\n\n\n\n\n\nOru\n"
                                         "Se supone que no deberias estar leyendo esto.\n");
    // Loads the demo preset, which fills slot 1 alone, and shows the sample pads, with
    // clicks at the window's scale; what the screen then shows.
    auto showPads = [&](int scale)
    {
        for (Box b : {listRow(2), kLoadButtonBox, kDialogBox}) // demo.trp, load, dialog
            clickAt(server, midX(b) * scale, midY(b) * scale);
        xdo(server, "key 2");
        settle();
        return screenshot(server);
    };
    auto size = [](int scale)
    { return std::to_string(kScreenWidth * scale) + "x" + std::to_string(kScreenHeight * scale); };
    auto quit = [&]
    {
        xdo(server, "key Escape");
        EXPECT_EQ(waitExit(run), 0);
    };

    EXPECT_EQ(windowSize(server, start({"PADBOX_SCALE=2"}, "", {"--scale", "1"})), size(1));
    SDL_Surface* single = showPads(1);
    quit();
    EXPECT_EQ(windowSize(server, start({"PADBOX_SCALE=2"})), size(2));
    quit();

    EXPECT_EQ(windowSize(server, start()), size(3)) << "three quarters of the desktop";
    SDL_Surface* tripled = showPads(3);
    int differing = 0;
    for (int y = 0; y < kScreenHeight * 3; ++y)
        for (int x = 0; x < kScreenWidth * 3; ++x)
            differing += pixelAt(tripled, x, y) != pixelAt(single, x / 3, y / 3);
    EXPECT_EQ(differing, 0) << "each pixel of the frame as a 3 x 3 square";

    // Pad 1 plays slot 1 and stays lit 41 frames.
    const int padX = midX(kPadBoxes[1]) * 3, padY = midY(kPadBoxes[1]) * 3;
    clickAt(server, padX, padY);
    settle(240);
    SDL_Surface* lit = screenshot(server);
    settle(900);
    SDL_Surface* after = screenshot(server);
    EXPECT_NE(pixelAt(lit, padX, padY), pixelAt(tripled, padX, padY))
        << "lit 0.3 s after the press";
    EXPECT_EQ(pixelAt(after, padX, padY), pixelAt(tripled, padX, padY)) << "dark after 1.2 s";
    quit();
    const std::vector<int16_t> left = leftChannel(readCapture(run.audioFile));
    EXPECT_GT(std::count(left.begin(), left.end(), kLevel), kTestRate / 2);
    for (SDL_Surface* shot : {single, tripled, lit, after})
        SDL_FreeSurface(shot);
}
