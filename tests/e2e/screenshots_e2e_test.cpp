// A tour of the four screens on the demo content, as a new user takes it; the
// screenshots it leaves in the build folder are the ones the README shows.
#include "tests/support/stage.h"
#include "tests/support/xsession.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(ScreenTour, EveryScreenOnTheDemoContent)
{
    XServer server = startXvfb();
    const std::string dir = makeStageCopy();
    const std::string shots = PADBOX_SCREENSHOT_DIR;
    mkdir(shots.c_str(), 0755);
    ProgramRun run = startProgram(server, dir);
    ASSERT_NE(waitForWindow(server), 0u);

    std::vector<SDL_Surface*> taken;
    auto take = [&](const char* name)
    {
        settle(250);
        taken.push_back(screenshot(server, shots + "/" + name + ".png"));
        ASSERT_NE(taken.back(), nullptr) << name;
    };

    // Demo content: presets/ holds ".", ".." and demo.trp, so the preset is row 2.
    clickIn(server, listRow(2));
    take("presets");
    clickIn(server, kLoadButtonBox);
    take("preset-loaded");
    clickAt(server, 160, 120); // the dialog goes
    clickIn(server, kKeyboardButtonBox);
    for (char c : {'r', 'y', 'c', 'z'})
        clickIn(server, keyBoxOf(c));
    take("keyboard");
    clickIn(server, kCancelKeyBox);

    xdo(server, "key 1");
    xdo(server, "mousemove 100 " + std::to_string(midY(listRow(4))));
    clickIn(server, slotBand(5)); // slot L2
    take("browser");

    xdo(server, "key 2");
    take("sample-pads");

    xdo(server, "key 3");
    clickIn(server, kPadBoxes[0]);
    clickIn(server, kPadBoxes[3]);
    settle(4800); // one pass of the demo loops, so queued loops have started
    take("loop-pads");

    xdo(server, "key Escape");
    EXPECT_EQ(waitExit(run), 0);
    for (size_t i = 1; i < taken.size(); ++i)
        EXPECT_GT(differingPixels(taken[i - 1], taken[i], kScreenBox), 500) << "screenshot " << i;
    for (SDL_Surface* shot : taken)
        SDL_FreeSurface(shot);
    stopXvfb(server);
    removeTree(dir);
}
