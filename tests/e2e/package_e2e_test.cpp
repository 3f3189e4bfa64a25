// The Debian package made by CPack, unpacked into a temporary root: what it installs,
// and its launcher preparing the user's data folder and starting the program there
// under Xvfb.
#include "tests/support/stage.h"
#include "tests/support/xsession.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{
std::string shellQuoted(const std::string& text)
{
    return "'" + text + "'";
}

// Output of a shell command, or "" when it fails.
std::string commandOutput(const std::string& command)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "";
    std::string out;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    return pclose(pipe) == 0 ? out : "";
}

class PackageSession : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        server = startXvfb();
        work = makeTempDir();
        // A space in the root's path catches unquoted paths in the launcher.
        root = work + "/package root";
        home = work + "/home";
        fs::create_directories(home);
        const std::string packages = work + "/packages";
        ASSERT_EQ(system((shellQuoted(PADBOX_CPACK) + " -G DEB --config " +
                          shellQuoted(PADBOX_CPACK_CONFIG) + " -B " + shellQuoted(packages) + " >" +
                          shellQuoted(work + "/cpack.log") + " 2>&1")
                             .c_str()),
                  0)
            << readFile(work + "/cpack.log");
        std::string deb;
        for (const auto& entry : fs::directory_iterator(packages))
            if (entry.path().extension() == ".deb")
                deb = entry.path().string();
        ASSERT_FALSE(deb.empty());
        ASSERT_EQ(system(("dpkg-deb -x " + shellQuoted(deb) + " " + shellQuoted(root)).c_str()), 0);
        installed = root + "/usr/share/padbox";
    }
    void TearDown() override
    {
        if (run.pid)
            waitExit(run, 0);
        stopXvfb(server);
        removeTree(work);
    }

    // Starts the launcher, waits for the window, quits with Escape; the exit status.
    int startAndQuit(const std::string& xdgDataHome)
    {
        run = startProgram(server, work, {"HOME=" + home, "XDG_DATA_HOME=" + xdgDataHome},
                           root + "/usr/bin/padbox");
        if (waitForWindow(server) == 0)
        {
            ADD_FAILURE() << "no window: " << readFile(run.errFile);
            return waitExit(run, 0);
        }
        xdo(server, "mousemove 160 120 key Escape");
        return waitExit(run);
    }

    XServer server;
    ProgramRun run;
    std::string work, root, home, installed;
};
} // namespace

TEST_F(PackageSession, InstallsTheProgramItsDataADesktopEntryAndIcons)
{
    struct stat launcher
    {
    };
    ASSERT_EQ(stat((root + "/usr/bin/padbox").c_str(), &launcher), 0);
    EXPECT_TRUE(launcher.st_mode & S_IXOTH);
    EXPECT_TRUE(fileExists(root + "/usr/lib/padbox/padbox"));
    for (const char* file : {"img/f_presets.bmp", "img/letras.ttf", "kits/kick.wav",
                             "loops/beat.wav", "presets/demo.trp"})
        EXPECT_TRUE(fileExists(installed + "/" + file)) << file;

    const std::string entry = readFile(root + "/usr/share/applications/padbox.desktop");
    EXPECT_NE(entry.find("\nExec=padbox\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=padbox\n"), std::string::npos) << entry;

    // Every icon is a PNG that decodes, as large as its folder says.
    int icons = 0;
    for (const auto& size : fs::directory_iterator(root + "/usr/share/icons/hicolor"))
    {
        const std::string png = size.path().string() + "/apps/padbox.png";
        EXPECT_EQ(commandOutput("identify -format '%wx%h' " + shellQuoted(png) + " 2>&1"),
                  size.path().filename().string())
            << png;
        ++icons;
    }
    EXPECT_GE(icons, 2);
}

TEST_F(PackageSession, TheLauncherCopiesTheDemoOnceAndRunsTheProgramInTheUsersFolder)
{
    // First start, XDG_DATA_HOME unset (empty): the folder under HOME is made.
    const std::string data = home + "/.local/share/padbox";
    EXPECT_EQ(startAndQuit(""), 0);
    for (const char* file : {"kits/kick.wav", "loops/bass.wav", "presets/demo.trp"})
        EXPECT_EQ(readFile(data + "/" + file), readFile(installed + "/" + file)) << file;
    EXPECT_TRUE(fs::is_symlink(data + "/img"));
    EXPECT_TRUE(fs::equivalent(data + "/img", installed + "/img"));

    // The user's changes survive the next start.
    writeFile(data + "/presets/demo.trp", "mine\n");
    fs::remove(data + "/loops/bass.wav");
    writeFile(data + "/kits/snare.wav", "not a sound");
    EXPECT_EQ(startAndQuit(""), 0);
    EXPECT_EQ(readFile(data + "/presets/demo.trp"), "mine\n");
    EXPECT_FALSE(fileExists(data + "/loops/bass.wav"));
    EXPECT_EQ(readFile(data + "/kits/snare.wav"), "not a sound");

    // XDG_DATA_HOME names another place for the folder.
    const std::string elsewhere = work + "/xdg data";
    EXPECT_EQ(startAndQuit(elsewhere), 0);
    EXPECT_EQ(readFile(elsewhere + "/padbox/presets/demo.trp"),
              readFile(installed + "/presets/demo.trp"));
    EXPECT_EQ(readFile(data + "/presets/demo.trp"), "mine\n");
}
