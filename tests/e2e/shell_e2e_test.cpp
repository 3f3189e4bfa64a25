// The real program under Xvfb: start-up, screens, quitting, start-up failures and
// the hand-over to the menu program.
#include "tests/support/stage.h"
#include "tests/support/xsession.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

namespace
{
// The disk audio driver announces itself on standard error; nothing else may appear.
const char kDiskDriverNotice[] = "WARNING: You are using the SDL disk writer audio driver!\n";

std::string programErrors(const ProgramRun& run)
{
    std::string err = readFile(run.errFile);
    const size_t notice = err.find(kDiskDriverNotice);
    if (notice != std::string::npos)
    {
        const size_t lineEnd = err.find('\n', notice + sizeof kDiskDriverNotice - 1);
        err.erase(notice, lineEnd == std::string::npos ? std::string::npos : lineEnd + 1 - notice);
    }
    return err;
}

// Mean distance between a screenshot and a background image over the strip
// between the pads, where no screen draws anything over its background.
double differenceFrom(SDL_Surface* shot, const std::string& bmp)
{
    SDL_Surface* image = SDL_LoadBMP(bmp.c_str());
    EXPECT_NE(image, nullptr) << bmp;
    if (!image)
        return 1e9;
    double total = 0;
    int count = 0;
    for (int y = 0; y < image->h; ++y)
        for (int x = 151; x < 170; ++x)
        {
            const Uint32 a = pixelAt(shot, x, y);
            const Uint32 b = pixelAt(image, x, y);
            for (int shift : {0, 8, 16})
                total += std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff));
            count += 3;
        }
    SDL_FreeSurface(image);
    return total / count;
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

    // Starts the program and waits for its first frames.
    void start(const std::vector<std::string>& env = {})
    {
        run = startProgram(server, dir, env);
        ASSERT_NE(waitForWindow(server), 0u) << readFile(run.errFile);
    }

    // The screen resembles this background more than the other two.
    void expectScreen(const std::string& background)
    {
        SDL_Surface* shot = screenshot(server);
        ASSERT_NE(shot, nullptr);
        const double expected = differenceFrom(shot, dir + "/img/" + background);
        for (const char* other : {"f_presets.bmp", "f_smp.bmp", "f_play.bmp"})
        {
            if (background != other)
            {
                EXPECT_LT(expected, differenceFrom(shot, dir + "/img/" + other)) << background;
            }
        }
        SDL_FreeSurface(shot);
    }

    XServer server;
    std::string dir;
    ProgramRun run;
};
} // namespace

TEST_F(ShellSession, ShowsThePresetScreenSwitchesScreensAndQuitsOnEscape)
{
    start();
    expectScreen("f_presets.bmp");
    xdo(server, "mousemove 160 120 key 1");
    settle();
    expectScreen("f_smp.bmp");
    xdo(server, "key 2");
    settle();
    expectScreen("f_play.bmp");
    xdo(server, "key 3");
    settle();
    expectScreen("f_play.bmp");
    xdo(server, "key 0");
    settle();
    expectScreen("f_presets.bmp");
    xdo(server, "key Escape");
    EXPECT_EQ(waitExit(run), 0);
    EXPECT_EQ(programErrors(run), "");
    EXPECT_EQ(readFile(run.outFile), "");
}

TEST_F(ShellSession, QuitsOnControlCAndOnTheWindowsCloseButton)
{
    start();
    xdo(server, "mousemove 160 120 key c");
    settle();
    xdo(server, "key ctrl+c");
    EXPECT_EQ(waitExit(run), 0);

    start();
    const unsigned long window = waitForWindow(server);
    ASSERT_EQ(system(("DISPLAY=" + server.display + " " PADBOX_WMCLOSE " " + std::to_string(window))
                         .c_str()),
              0);
    EXPECT_EQ(waitExit(run), 0);
}

TEST(StartupFailures, EachMissingImageEndsWithItsOwnMessageAndStatus3)
{
    const char* images[] = {"dialog",  "dialog_2",  "f_play",     "f_presets", "f_smp",  "teclas",
                            "boton_p", "boton_p_2", "boton_s",    "boton_s_2", "caja_s", "caja_l",
                            "rata",    "caja_s_2",  "sample_sel", "asignado",  "caja_p"};
    XServer none;
    for (const char* image : images)
    {
        const std::string dir = makeStageCopy();
        std::remove((dir + "/img/" + image + ".bmp").c_str());
        ProgramRun run =
            startProgram(none, dir, {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"});
        EXPECT_EQ(waitExit(run), 3) << image;
        EXPECT_EQ(readFile(run.errFile), std::string("No encuentro: ") + image + ".bmp\n");
        removeTree(dir);
    }
}

TEST(StartupFailures, NoDisplayEndsWithStatus1AndNoVideoModeWithStatus2)
{
    const std::string dir = makeStageCopy();
    XServer nowhere;
    nowhere.display = ":4999";
    ProgramRun run = startProgram(nowhere, dir, {"SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy"});
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
    removeTree(dir);
}

TEST(MenuHandOver, EveryExitAfterSdlStartsTheMenuFromItsFolder)
{
    const std::string dir = makeStageCopy();
    const std::string record = dir + "/menu-record.txt";
    const std::string expected = std::string("cwd=") + PADBOX_MENU_PROBE_DIR +
                                 "\nargc=0\narg0=" + PADBOX_MENU_PROBE_DIR + "/gp2xmenu\n";
    XServer nowhere;
    nowhere.display = ":4999";
    const std::vector<std::string> env = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy",
                                          "PADBOX_MENU_RECORD=" + record};

    // A start-up that fails once SDL is up hands over as well.
    std::remove((dir + "/img/caja_p.bmp").c_str());
    ProgramRun run = startProgram(nowhere, dir, env, PADBOX_MENU_PROBE);
    EXPECT_EQ(waitExit(run), 0) << "the process became the menu";
    EXPECT_EQ(readFile(record), expected);
    EXPECT_EQ(readFile(run.errFile), "No encuentro: caja_p.bmp\n");

    std::remove(record.c_str());
    run = startProgram(nowhere, dir, {"SDL_VIDEODRIVER=x11", "PADBOX_MENU_RECORD=" + record},
                       PADBOX_MENU_PROBE);
    EXPECT_EQ(waitExit(run), 1);
    EXPECT_FALSE(fileExists(record)) << "no menu when SDL never started";
    removeTree(dir);
}

TEST_F(ShellSession, AnOrderlyQuitHandsOverToTheMenu)
{
    const std::string record = dir + "/menu-record.txt";
    run = startProgram(server, dir, {"PADBOX_MENU_RECORD=" + record}, PADBOX_MENU_PROBE);
    ASSERT_NE(waitForWindow(server), 0u);
    xdo(server, "mousemove 160 120 key Escape");
    EXPECT_EQ(waitExit(run), 0);
    EXPECT_EQ(readFile(record), std::string("cwd=") + PADBOX_MENU_PROBE_DIR +
                                    "\nargc=0\narg0=" + PADBOX_MENU_PROBE_DIR + "/gp2xmenu\n");
}
