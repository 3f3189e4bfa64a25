// The Debian package made by CPack, unpacked into a temporary root: what it installs,
// and its launcher preparing the user's data folder and starting the program there
// under Xvfb.
#include "tests/support/stage.h"
#include "tests/support/xsession.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(PackageSession, InstallsAndItsLauncherRunsTheProgramInTheUsersOwnFolder)
{
    const std::string work = makeTempDir(), home = work + "/home", packages = work + "/packages";
    const std::string root = work + "/package root"; // a space catches unquoted paths
    const std::string installed = root + "/usr/share/padbox";
    ASSERT_EQ(system(("'" PADBOX_CPACK "' -G DEB --config '" PADBOX_CPACK_CONFIG "' -B '" +
                      packages + "' >'" + work + "/cpack.log' 2>&1")
                         .c_str()),
              0)
        << readFile(work + "/cpack.log");
    for (const auto& deb : fs::directory_iterator(packages))
        if (deb.path().extension() == ".deb")
            system(("dpkg-deb -x '" + deb.path().string() + "' '" + root + "'").c_str());
    EXPECT_EQ(access((root + "/usr/bin/padbox").c_str(), X_OK), 0);
    EXPECT_TRUE(fileExists(root + "/usr/share/icons/hicolor/48x48/apps/padbox.png"));
    const std::string entry = readFile(root + "/usr/share/applications/padbox.desktop");
    EXPECT_NE(entry.find("\nExec=padbox\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=padbox\n"), std::string::npos) << entry;

    // Starts the launcher, waits for a window of the given size and quits with Escape.
    fs::create_directories(home);
    XServer server = startXvfb();
    auto startAndQuit = [&](const std::string& xdgDataHome, const std::string& size = "320x240",
                            const std::vector<std::string>& args = {})
    {
        ProgramRun run =
            startProgram(server, work, {"HOME=" + home, "XDG_DATA_HOME=" + xdgDataHome},
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
    stopXvfb(server);
    removeTree(work);
}
