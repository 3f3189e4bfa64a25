// A tour of the four screens on the demo content, as a new user takes it; the
// screenshots it leaves in the build folder are the ones the README shows.
#include "tests/support/stage.h"
#include "tests/support/xsession.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{
// Demo content: presets/ holds ".", ".." and demo.trp, so the preset is row 2.
constexpr int kDemoPresetRowY = midY(listRow(2));
// Long enough for one pass of the demo loops, so queued loops have started.
constexpr int kDemoLoopMs = 4800;

// Pixels that differ between two screenshots.
int changedPixels(SDL_Surface* a, SDL_Surface* b)
{
    int changed = 0;
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            changed += pixelAt(a, x, y) != pixelAt(b, x, y);
    return changed;
}
} // namespace

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

    xdo(server, "mousemove 100 " + std::to_string(kDemoPresetRowY));
    clickAt(server, 100, kDemoPresetRowY);
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
    settle(kDemoLoopMs);
    take("loop-pads");

    xdo(server, "key Escape");
    EXPECT_EQ(waitExit(run), 0);
    for (size_t i = 1; i < taken.size(); ++i)
        EXPECT_GT(changedPixels(taken[i - 1], taken[i]), 500) << "screenshot " << i;
    for (SDL_Surface* shot : taken)
        SDL_FreeSurface(shot);
    stopXvfb(server);
    removeTree(dir);
}
