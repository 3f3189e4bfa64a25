// The Debian package made by CPack, unpacked into a temporary root: what it installs,
// and its launcher preparing the user's data folder and starting the program there
// under Xvfb.
#include "tests/support/stage.h"
#include "tests/support/xsession.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
std::string shellWord(const std::string& text)
{
    return "'" + text + "'";
}

class PackageSession : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        server = startXvfb();
        work = makeTempDir();
        root = work + "/package root"; // a space catches unquoted paths in the launcher
        home = work + "/home";
        installed = root + "/usr/share/padbox";
        fs::create_directories(home);
    }
    void TearDown() override
    {
        if (run.pid)
            waitExit(run, 0);
        stopXvfb(server);
        removeTree(work);
    }

    // Starts the launcher, waits for a window of the given size, quits with Escape;
    // the exit status.
    int startAndQuit(const std::string& xdgDataHome, const std::vector<std::string>& args = {},
                     const std::string& size = "320x240")
    {
        run = startProgram(server, work, {"HOME=" + home, "XDG_DATA_HOME=" + xdgDataHome},
                           root + "/usr/bin/padbox", args);
        EXPECT_EQ(windowSize(server, waitForWindow(server)), size) << readFile(run.errFile);
        xdo(server, "mousemove 160 120 key Escape");
        return waitExit(run);
    }

    XServer server;
    ProgramRun run;
    std::string work, root, home, installed;
};
} // namespace

TEST_F(PackageSession, InstallsAndItsLauncherRunsTheProgramInTheUsersOwnFolder)
{
    const std::string packages = work + "/packages", log = work + "/cpack.log";
    ASSERT_EQ(
        system((shellWord(PADBOX_CPACK) + " -G DEB --config " + shellWord(PADBOX_CPACK_CONFIG) +
                " -B " + shellWord(packages) + " >" + shellWord(log) + " 2>&1")
                   .c_str()),
        0)
        << readFile(log);
    std::string deb;
    for (const auto& entry : fs::directory_iterator(packages))
        if (entry.path().extension() == ".deb")
            deb = entry.path().string();
    ASSERT_EQ(system(("dpkg-deb -x " + shellWord(deb) + " " + shellWord(root)).c_str()), 0);
    EXPECT_EQ(access((root + "/usr/bin/padbox").c_str(), X_OK), 0);
    EXPECT_TRUE(fileExists(root + "/usr/share/icons/hicolor/48x48/apps/padbox.png"));
    const std::string entry = readFile(root + "/usr/share/applications/padbox.desktop");
    EXPECT_NE(entry.find("\nExec=padbox\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=padbox\n"), std::string::npos) << entry;

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
    EXPECT_EQ(startAndQuit(""), 0);
    EXPECT_EQ(readFile(data + "/presets/demo.trp"), "mine\n");
    EXPECT_FALSE(fileExists(data + "/loops/bass.wav"));

    // XDG_DATA_HOME names another place for the folder; the launcher passes its
    // arguments on.
    const std::string elsewhere = work + "/xdg data";
    EXPECT_EQ(startAndQuit(elsewhere, {"--scale", "2"}, "640x480"), 0);
    EXPECT_EQ(readFile(elsewhere + "/padbox/presets/demo.trp"),
              readFile(installed + "/presets/demo.trp"));
}
