// The real program under Xvfb: quitting, start-up failures, the hand-over to the
// menu program, the window on a large desktop; pipes, devices, a closed output and no
// sound device, none of which may hang or stop it; a preset's whole journey; and a
// tour of the screens, whose screenshots in the build folder the README shows; and the
// Debian package made by CPack, unpacked into a temporary root, with its launcher
// preparing the user's data folder and starting the program there.
#include "tests/support/stage.h"
#include "tests/support/wav.h"
#include "tests/support/xsession.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
// Each sound of the journey holds one level throughout, so the capture tells them apart.
constexpr int16_t kFirstLevel = 1111, kSecondLevel = 1212, kLoopLevel = 2222;
constexpr size_t kOneShotFrames = 4000, kLoopFrames = 6000;

using Runs = std::vector<std::pair<int16_t, size_t>>;

// The capture as runs of one level and their lengths in frames, silence left out. A
// loop's run lasts as long as it was on, so a loop that went round counts as 0.
Runs levelRuns(const std::string& audioFile)
{
    Runs runs;
    int16_t last = 0;
    for (int16_t v : leftChannel(readCapture(audioFile)))
    {
        for (int16_t level : {int16_t(0), kFirstLevel, kSecondLevel, kLoopLevel})
            v = heardAs(v, level) ? level : v;
        if (v && v == last)
            ++runs.back().second;
        else if (v)
            runs.push_back({v, 1});
        last = v;
    }
    for (auto& run : runs)
        if (run.first == kLoopLevel && run.second > kLoopFrames)
            run.second = 0;
    return runs;
}

// Standard error without the line a machine with no sequencer gets at every start.
std::string withoutMidiNotice(const std::string& err)
{
    std::istringstream lines(err);
    std::string kept;
    for (std::string line; std::getline(lines, line);)
        if (line.find("; running without MIDI") == std::string::npos)
            kept += line + "\n";
    return kept;
}

// A 24-bit BMP of black pixels, sparse: only its header takes room on the disk.
void writeBlankBmp(const std::string& path, int32_t width, int32_t height)
{
    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) / 4 * 4, dataAt = 54;
    const uint32_t fields[] = {0, 0, dataAt, 40, uint32_t(width), uint32_t(height), 1 | 24 << 16};
    std::string header = "BM";
    for (uint32_t v : fields)
        for (int i = 0; i < 4; ++i)
            header += char(v >> (8 * i));
    header.resize(dataAt, '\0');
    writeFile(path, header);
    fs::resize_file(path, dataAt + uint64_t(rowBytes) * uint32_t(height));
}

// What the menu probe records when it is started from its folder without arguments.
const std::string kMenuStarted = std::string("cwd=") + PADBOX_MENU_PROBE_DIR +
                                 "\nargc=0\narg0=" + PADBOX_MENU_PROBE_DIR + "/gp2xmenu\n";
// No display at all: SDL never starts with the x11 driver.
const XServer kNowhere = {0, ":4999"};

class ShellSession : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        server = startXvfb(), dir = makeStageCopy();
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

    // Runs the program with no display at all and no sound to its end; its exit status.
    int runHeadless(std::vector<std::string> env = {}, const std::string& program = "")
    {
        env.insert(env.end(), {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"});
        run = startProgram(kNowhere, dir, env, program);
        return waitExit(run);
    }

    // Keys typed with the pointer inside the window, and the exit status.
    int typeAndWait(const std::string& keys)
    {
        type(keys);
        return waitExit(run);
    }

    void type(const std::string& keys)
    {
        xdo(server, "mousemove 160 120 key " + keys);
        settle(150);
    }

    // Clicks each box in turn, waiting settleMs after each.
    void clicks(std::initializer_list<Box> boxes, int settleMs = 0)
    {
        for (Box b : boxes)
        {
            clickIn(server, b);
            settle(settleMs);
        }
    }

    XServer server;
    std::string dir;
    ProgramRun run;
};
} // namespace

TEST_F(ShellSession, StartUpFailuresEndWithTheirOwnMessageAndStatus)
{
    for (const auto& entry : fs::directory_iterator(dir + "/img"))
    {
        const std::string path = entry.path().string(), bytes = readFile(path);
        if (entry.path().extension() != ".bmp")
            continue;
        std::remove(path.c_str());
        EXPECT_EQ(runHeadless(), 3) << path;
        EXPECT_EQ(readFile(run.errFile),
                  "No encuentro: " + entry.path().filename().string() + "\n");
        writeFile(path, bytes);
    }

    // An image that is there but cannot be used says what is wrong with it.
    const std::string pad = dir + "/img/boton_s.bmp", padBytes = readFile(pad);
    writeFile(pad, "not a picture\n");
    EXPECT_EQ(runHeadless(), 3);
    EXPECT_EQ(readFile(run.errFile).rfind("Cannot read image boton_s.bmp: ", 0), 0u)
        << readFile(run.errFile);
    // A picture far larger than any screen is refused before its pixels are read
    // (sparse: its rows of black take no room on the disk).
    writeBlankBmp(pad, 4000, 3000);
    EXPECT_EQ(runHeadless(), 3);
    EXPECT_EQ(readFile(run.errFile),
              "Image too large: boton_s.bmp: 4000x3000 pixels, more than 1280x960\n");
    writeFile(pad, padBytes);
    // Memory that runs out for a keyed image's 16-bit copy.
    EXPECT_EQ(
        runHeadless({"LD_PRELOAD=" PADBOX_NOCOPY_LIB, "ASAN_OPTIONS=verify_asan_link_order=0"}), 3);
    EXPECT_EQ(readFile(run.errFile), "Cannot convert image boton_p.bmp: Out of memory\n");

    EXPECT_EQ(
        runHeadless({"LD_PRELOAD=" PADBOX_FAILMODE_LIB, "ASAN_OPTIONS=verify_asan_link_order=0"}),
        2);
    EXPECT_EQ(readFile(run.errFile),
              "Couldn't set 320x240x16 video mode: no video mode in this test\n");

    // A scale out of range is ignored, and said so.
    std::remove((dir + "/img/caja_p.bmp").c_str());
    const std::vector<std::string> headless = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};
    run = startProgram(kNowhere, dir, {headless[0], headless[1], "PADBOX_SCALE=x"}, "",
                       {"--scale", "9"});
    EXPECT_EQ(waitExit(run), 3);
    EXPECT_EQ(programErrors(run),
              "Ignoring --scale 9: the scale is a whole number from 1 to 4\n"
              "Ignoring PADBOX_SCALE=x: the scale is a whole number from 1 to 4\n"
              "No encuentro: caja_p.bmp\n");

    // A sound driver that does not exist: classic SDL starts without it, and the notice
    // gives no stale reason of another part (sdl12-compat refuses to start at all).
    run = startProgram(kNowhere, dir, {headless[0], "SDL_AUDIODRIVER=nonexistent"});
    if (waitExit(run) == 1)
        return;
    const std::string noSound = programErrors(run);
    EXPECT_EQ(noSound.rfind("Couldn't open audio: ", 0), 0u) << noSound;
    EXPECT_EQ(noSound.find("joystick"), std::string::npos) << noSound;
    EXPECT_NE(noSound.find("; running without sound\nNo encuentro: caja_p.bmp\n"),
              std::string::npos)
        << noSound;
}

TEST_F(ShellSession, EveryExitAfterSdlStartsTheMenuFromItsFolderAndQuitsAreQuiet)
{
    // Escape, control-C and the window's close button quit quietly; a machine without a
    // sequencer hears of it in one line.
    start();
    EXPECT_EQ(typeAndWait("1 2 3 0 Escape"), 0);
    const std::string err = programErrors(run);
    EXPECT_EQ(withoutMidiNotice(err) + readFile(run.outFile), "");
    const bool sequencer = access("/dev/snd/seq", R_OK) == 0;
    EXPECT_EQ(err.find('\n'), sequencer ? std::string::npos : err.size() - 1) << err;
    start();
    EXPECT_EQ(typeAndWait("ctrl+c"), 0);
    const std::string close = " " PADBOX_WMCLOSE " " + std::to_string(start());
    EXPECT_EQ(system(("DISPLAY=" + server.display + close).c_str()), 0);
    EXPECT_EQ(waitExit(run), 0);

    const std::string record = dir + "/menu-record.txt";
    start({"PADBOX_MENU_RECORD=" + record}, PADBOX_MENU_PROBE);
    EXPECT_EQ(typeAndWait("Escape"), 0) << "the process became the menu";
    EXPECT_EQ(readFile(record), kMenuStarted);

    // A start-up that fails once SDL is up hands over as well.
    std::remove(record.c_str());
    std::remove((dir + "/img/caja_p.bmp").c_str());
    EXPECT_EQ(runHeadless({"PADBOX_MENU_RECORD=" + record}, PADBOX_MENU_PROBE), 0);
    EXPECT_EQ(readFile(record), kMenuStarted);
    EXPECT_EQ(readFile(run.errFile), "No encuentro: caja_p.bmp\n");

    std::remove(record.c_str());
    run = startProgram(kNowhere, dir, {"SDL_VIDEODRIVER=x11", "PADBOX_MENU_RECORD=" + record},
                       PADBOX_MENU_PROBE);
    EXPECT_EQ(waitExit(run), 1);
    EXPECT_EQ(readFile(run.errFile).rfind("Couldn't initialize SDL: ", 0), 0u);
    EXPECT_FALSE(fileExists(record)) << "no menu when SDL never started";
}

TEST_F(ShellSession, HangupEndsLikeTerminateAndClosedStandardDescriptorsStayClosedToTheDisplay)
{
    // A hang-up, as when the terminal that started it goes, ends as a terminate does:
    // an orderly end that hands the console to the menu.
    const std::string record = dir + "/menu-record.txt";
    for (int signal : {SIGTERM, SIGHUP})
    {
        std::remove(record.c_str());
        start({"PADBOX_MENU_RECORD=" + record}, PADBOX_MENU_PROBE);
        kill(run.pid, signal);
        EXPECT_EQ(waitExit(run), 0) << signal;
        EXPECT_EQ(readFile(record), kMenuStarted) << signal;
    }

    // Started with its standard descriptors closed, the program must not let the X
    // connection take one of them: a preset load's eight lines and a failed save's
    // message would go into the display's socket.
    chmod((dir + "/presets/demo.trp").c_str(), 0444);
    run = startProgram(server, dir, {}, "", {}, {0, 1, 2});
    ASSERT_NE(waitForWindow(server), 0u);
    for (int fd = 0; fd <= 2; ++fd)
    {
        const std::string link = "/proc/" + std::to_string(run.pid) + "/fd/" + std::to_string(fd);
        EXPECT_EQ(fs::read_symlink(link).string(), "/dev/null") << fd;
    }
    for (int load = 0; load < 3; ++load)
        clicks({listRow(2), kLoadButtonBox, kDialogBox}); // demo.trp, after "." and ".."
    clickIn(server, kKeyboardButtonBox);
    for (char c : std::string("demo"))
        clickIn(server, keyBoxOf(c));
    clickIn(server, kSaveKeyBox); // refused: the preset is read-only
    EXPECT_EQ(typeAndWait("Escape"), 0);
}

TEST_F(ShellSession, ALargeDesktopShowsTheFrameEnlargedAtItsOriginWithPressesWhereTheyAreDrawn)
{
    stopXvfb(server);
    server = startXvfb("1280x960x24");
    writeWav16(dir + "/kits/a.wav", constantStereo(kTestRate, 1234), 2);
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
    EXPECT_EQ(windowGeometry(server, start({"PADBOX_SCALE=2"}, "", {"--scale", "1"})),
              "320x240+0,0");
    SDL_Surface* single = showPads(1);
    EXPECT_EQ(typeAndWait("Escape"), 0);
    EXPECT_EQ(windowGeometry(server, start({"PADBOX_SCALE=2", "SDL_VIDEO_WINDOW_POS=10,20"})),
              "640x480+10,20");
    EXPECT_EQ(typeAndWait("Escape"), 0);
    EXPECT_EQ(windowGeometry(server, start()), "960x720+0,0") << "three quarters of the desktop";
    SDL_Surface* tripled = showPads(3);
    int differing = 0;
    for (int y = 0; y < kScreenHeight * 3; ++y)
        for (int x = 0; x < kScreenWidth * 3; ++x)
            differing += pixelAt(tripled, x, y) != pixelAt(single, x / 3, y / 3);
    EXPECT_EQ(differing, 0) << "each pixel of the frame as a 3 x 3 square";

    EXPECT_EQ(typeAndWait("Escape"), 0);
    SDL_FreeSurface(single);
    SDL_FreeSurface(tripled);
}

TEST_F(ShellSession, PipesDevicesAClosedOutputAndNoSoundDeviceNeverHangOrStopIt)
{
    // Named pipes block whoever opens them for reading until a writer comes. Here one
    // is previewed, assigned and loaded from a preset with the terminal's input, and
    // stands in for the font (every screen is then drawn without text) and an image.
    ASSERT_EQ(mkfifo((dir + "/kits/Fifo.wav").c_str(), 0644), 0);
    writeFile(dir + "/presets/Fifo.trp", "Tamo Ri Presets\nkits/Fifo.wav\n/dev/stdin\n\n\n\n\n\n\n"
                                         "Oru\nSe supone que no deberias estar leyendo esto.\n");
    // Fifo.wav and Fifo.trp sort first after "." and "..".
    start();
    xdo(server, "mousemove 160 120 key 1");
    clicks({listRow(2), kAssignBox});
    xdo(server, "key 0");
    clicks({listRow(2), kLoadButtonBox, kDialogBox});
    EXPECT_EQ(typeAndWait("Escape"), 0);
    EXPECT_EQ(readFile(run.outFile), "kits/Fifo.wav\n/dev/stdin\n\n\n\n\n\n\n");

    // Standard output into a pipe whose reader has gone, as with `padbox | head -c 1`,
    // so the load's lines cannot be written; and the disk driver cannot create its
    // file: no audio device.
    const std::string font = dir + "/img/letras.ttf", image = dir + "/img/caja_p.bmp";
    std::remove(font.c_str());
    ASSERT_EQ(mkfifo(font.c_str(), 0644), 0);
    const std::string out = dir + "/stdout.txt";
    std::remove(out.c_str());
    ASSERT_EQ(mkfifo(out.c_str(), 0644), 0);
    const int reader = open(out.c_str(), O_RDONLY | O_NONBLOCK);
    start({"SDL_DISKAUDIOFILE=" + dir + "/no such folder/audio.raw"});
    close(reader);
    clicks({listRow(2), kLoadButtonBox, kDialogBox});
    EXPECT_EQ(typeAndWait("1 2 3 0 Escape"), 0) << "ran without text, sound or output";
    const std::string err = withoutMidiNotice(programErrors(run));
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err; // a single line
    EXPECT_NE(err.find("; running without sound"), std::string::npos) << err;
    std::remove(out.c_str());

    std::remove(image.c_str());
    ASSERT_EQ(mkfifo(image.c_str(), 0644), 0);
    EXPECT_EQ(runHeadless(), 3);
    EXPECT_EQ(readFile(run.errFile), "Cannot open image caja_p.bmp: not a regular file\n");
}

TEST_F(ShellSession, SavedSlotsComeBackAfterARestartAndSoundTheSame)
{
    writeWav16(dir + "/kits/a1.wav", constantStereo(kOneShotFrames, kFirstLevel), 2);
    writeWav16(dir + "/kits/a2.wav", constantStereo(kOneShotFrames, kSecondLevel), 2);
    writeWav16(dir + "/loops/a3.wav", constantStereo(kLoopFrames, kLoopLevel), 2);
    // Screen 2: pads 0 and 2, one after the other; screen 3: loop pad 1 on until it has
    // gone round, then off; then quit.
    const auto playThePadsAndQuit = [&]
    {
        type("2");
        clicks({kPadBoxes[0], kPadBoxes[2]}, 400);
        type("3");
        clicks({kPadBoxes[1], kPadBoxes[1]}, 1000);
        EXPECT_EQ(typeAndWait("Escape"), 0);
    };

    start();
    type("1");
    // The test's files sort first after "." and "..", each previewed as it is chosen.
    clicks({listRow(2), slotBand(0), kAssignBox, listRow(3), slotBand(2), kAssignBox, kLoopsTabBox,
            listRow(2), slotBand(5), kAssignBox});
    settle(400);
    type("0");
    clickIn(server, kKeyboardButtonBox);
    for (char c : std::string("journey1"))
        clickIn(server, keyBoxOf(c));
    clickIn(server, kSaveKeyBox);
    playThePadsAndQuit();
    const Runs first = levelRuns(run.audioFile);
    EXPECT_EQ(readFile(run.outFile), "");

    // The same played from the keyboard, on the sample browser: z and c, then s twice.
    start();
    clicks({listRow(3), kLoadButtonBox, kDialogBox}); // after demo.trp; the dialog goes
    type("1");
    for (const char* key : {"z", "c"})
    {
        type(key);
        settle(400);
    }
    for (int press = 0; press < 2; ++press)
    {
        type("s");
        settle(1000);
    }
    EXPECT_EQ(typeAndWait("Escape"), 0);
    EXPECT_EQ(readFile(run.outFile), "kits/a1.wav\n\nkits/a2.wav\n\n\nloops/a3.wav\n\n\n");

    // The first run also heard the three previews whole; then both runs played the
    // same, from the pads and from the keys: the two one-shots whole, and the loop
    // going round.
    const Runs played = {
        {kFirstLevel, kOneShotFrames}, {kSecondLevel, kOneShotFrames}, {kLoopLevel, 0}};
    Runs heard = {
        {kFirstLevel, kOneShotFrames}, {kSecondLevel, kOneShotFrames}, {kLoopLevel, kLoopFrames}};
    heard.insert(heard.end(), played.begin(), played.end());
    EXPECT_EQ(first, heard);
    EXPECT_EQ(levelRuns(run.audioFile), played);
}

TEST_F(ShellSession, ATourOfEveryScreenOnTheDemoContent)
{
    const std::string shots = PADBOX_SCREENSHOT_DIR;
    mkdir(shots.c_str(), 0755);
    start();
    std::vector<SDL_Surface*> taken;
    auto take = [&](const char* name)
    {
        settle(250);
        taken.push_back(screenshot(server, shots + "/" + name + ".png"));
        ASSERT_NE(taken.back(), nullptr) << name;
    };

    clickIn(server, listRow(2)); // demo.trp, after "." and ".."
    take("presets");
    clickIn(server, kLoadButtonBox);
    take("preset-loaded");
    clickAt(server, 160, 120); // the dialog goes
    clickIn(server, kKeyboardButtonBox);
    for (char c : {'r', 'y', 'c', 'z'})
        clickIn(server, keyBoxOf(c));
    take("keyboard");
    clickIn(server, kCancelKeyBox);
    xdo(server, "key 1 mousemove 100 " + std::to_string(midY(listRow(4))));
    clickIn(server, slotBand(5)); // slot L2
    take("browser");
    xdo(server, "key 2");
    take("sample-pads");
    xdo(server, "key 3");
    // Pad 0 plays and sets the beat, pad 3 waits for the end of its pass, 4.6 s away;
    // the beat bar is about half full.
    clicks({kPadBoxes[0], kPadBoxes[3]});
    settle(2000);
    take("loop-pads");
    // Where a loop pad says its state, playing (pad 0), off (pad 1) and waiting (pad 3)
    // look apart.
    const auto unlikeStates = [&](int a, int b)
    {
        int n = 0;
        for (int y = kWaitingSign.y0; y <= kWaitingSign.y1; ++y)
            for (int x = kWaitingSign.x0; x <= kWaitingSign.x1; ++x)
                n += pixelAt(taken.back(), kPadBoxes[a].x0 + x, kPadBoxes[a].y0 + y) !=
                     pixelAt(taken.back(), kPadBoxes[b].x0 + x, kPadBoxes[b].y0 + y);
        return n;
    };
    for (const auto& [a, b] : {std::pair(0, 1), {1, 3}, {0, 3}})
        EXPECT_GT(unlikeStates(a, b), width(kWaitingSign) * height(kWaitingSign) / 4) << a << b;
    EXPECT_EQ(typeAndWait("Escape"), 0);
    for (size_t i = 1; i < taken.size(); ++i)
        EXPECT_GT(differingPixels(taken[i - 1], taken[i], kScreenBox), 500) << "screenshot " << i;
    for (SDL_Surface* shot : taken)
        SDL_FreeSurface(shot);
}

TEST_F(ShellSession, ThePackageInstallsAndItsLauncherRunsTheProgramInTheUsersOwnFolder)
{
    const std::string work = dir, home = work + "/home", packages = work + "/packages";
    const std::string root = work + "/package root"; // a space catches unquoted paths
    const std::string installed = root + "/usr/share/padbox";
    const std::string cpack = "'" PADBOX_CPACK "' -G DEB --config '" PADBOX_CPACK_CONFIG "' -B '" +
                              packages + "' >'" + work + "/cpack.log' 2>&1";
    ASSERT_EQ(system(cpack.c_str()), 0) << readFile(work + "/cpack.log");
    for (const auto& deb : fs::directory_iterator(packages))
        if (deb.path().extension() == ".deb")
            system(("dpkg-deb -x '" + deb.path().string() + "' '" + root + "'").c_str());
    EXPECT_EQ(access((root + "/usr/bin/padbox").c_str(), X_OK), 0);
    EXPECT_TRUE(fileExists(root + "/usr/share/icons/hicolor/48x48/apps/padbox.png"));
    const std::string entry = readFile(root + "/usr/share/applications/padbox.desktop");
    EXPECT_NE(entry.find("\nExec=padbox\nIcon=padbox\n"), std::string::npos) << entry;

    // Starts the launcher, waits for a window of the given size and quits with Escape.
    fs::create_directories(home);
    auto startAndQuit = [&](const std::string& xdgDataHome, const std::string& size = "320x240",
                            const std::vector<std::string>& args = {})
    {
        run = startProgram(server, work, {"HOME=" + home, "XDG_DATA_HOME=" + xdgDataHome},
                           root + "/usr/bin/padbox", args);
        EXPECT_EQ(windowGeometry(server, waitForWindow(server)), size + "+0,0")
            << readFile(run.errFile);
        xdo(server, "mousemove 160 120 key Escape");
        EXPECT_EQ(waitExit(run), 0);
    };

    // First start, XDG_DATA_HOME unset (empty): the folder under HOME is made.
    const std::string data = home + "/.local/share/padbox";
    startAndQuit("");
    for (const char* file : {"kits/kick.wav", "loops/bass.wav", "presets/demo.trp"})
        EXPECT_EQ(readFile(data + "/" + file), readFile(installed + "/" + file)) << file;
    EXPECT_TRUE(fs::is_symlink(data + "/img") && fs::equivalent(data + "/img", installed + "/img"));

    // The user's changes survive the next start.
    writeFile(data + "/presets/demo.trp", "mine\n");
    fs::remove(data + "/loops/bass.wav");
    startAndQuit("");
    EXPECT_EQ(readFile(data + "/presets/demo.trp"), "mine\n");
    EXPECT_FALSE(fileExists(data + "/loops/bass.wav"));

    // XDG_DATA_HOME names another place for the folder; the launcher passes its
    // arguments on.
    startAndQuit(work + "/xdg data", "640x480", {"--scale", "2"});
    EXPECT_EQ(readFile(work + "/xdg data/padbox/presets/demo.trp"),
              readFile(installed + "/presets/demo.trp"));
}
