// The whole journey of a preset through the real program under Xvfb: assign on the
// sample browser, play the pads, save under a typed name, quit, start again, load it
// and hear the same sounds.
#include "tests/support/stage.h"
#include "tests/support/wav.h"
#include "tests/support/xsession.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Each sound holds one level throughout, so the capture tells them apart.
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
            if (heardAs(v, level))
                v = level;
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

class PresetJourney : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        server = startXvfb();
        dir = makeStageCopy();
        writeWav16(dir + "/kits/a1.wav", constantStereo(kOneShotFrames, kFirstLevel), 2);
        writeWav16(dir + "/kits/a2.wav", constantStereo(kOneShotFrames, kSecondLevel), 2);
        writeWav16(dir + "/loops/a3.wav", constantStereo(kLoopFrames, kLoopLevel), 2);
    }
    void TearDown() override
    {
        if (run.pid)
            waitExit(run, 0);
        stopXvfb(server);
        removeTree(dir);
    }

    void start()
    {
        run = startProgram(server, dir);
        ASSERT_NE(waitForWindow(server), 0u) << readFile(run.errFile);
        xdo(server, "mousemove 160 120");
        settle();
    }

    void key(const char* name)
    {
        xdo(server, std::string("key ") + name);
        settle(150);
    }

    // Screen 2: pads 0 and 2, one after the other; screen 3: loop pad 1 on, then off.
    void playThePads()
    {
        key("2");
        clickIn(server, kPadBoxes[0]);
        settle(400);
        clickIn(server, kPadBoxes[2]);
        settle(400);
        key("3");
        clickIn(server, kPadBoxes[1]);
        settle(1000);
        clickIn(server, kPadBoxes[1]);
        settle(300);
    }

    void quit()
    {
        key("Escape");
        ASSERT_EQ(waitExit(run), 0);
    }

    XServer server;
    std::string dir;
    ProgramRun run;
};
} // namespace

TEST_F(PresetJourney, SavedSlotsComeBackAfterARestartAndSoundTheSame)
{
    start();
    key("1");
    // The test's files sort first after "." and "..".
    clickIn(server, listRow(2)); // a1.wav, previewed
    clickIn(server, slotBand(0));
    clickIn(server, kAssignBox);
    clickIn(server, listRow(3));
    clickIn(server, slotBand(2));
    clickIn(server, kAssignBox);
    clickIn(server, kLoopsTabBox);
    clickIn(server, listRow(2));
    clickIn(server, slotBand(5)); // loop 1
    clickIn(server, kAssignBox);
    settle(400);
    playThePads();

    key("0");
    clickIn(server, kKeyboardButtonBox);
    for (char c : std::string("journey1"))
        clickIn(server, keyBoxOf(c));
    clickIn(server, kSaveKeyBox);
    quit();
    const auto first = levelRuns(run.audioFile);
    EXPECT_EQ(readFile(dir + "/presets/journey1.trp"),
              "Tamo Ri Presets\nkits/a1.wav\n\nkits/a2.wav\n\n\nloops/a3.wav\n\n\n"
              "Oru\nSe supone que no deberias estar leyendo esto.\n");
    EXPECT_EQ(readFile(run.outFile), "");

    start();
    clickIn(server, listRow(3)); // after demo.trp
    clickIn(server, kLoadButtonBox);
    settle(200);
    clickAt(server, 160, 120); // dismisses the dialog
    playThePads();
    quit();
    const auto second = levelRuns(run.audioFile);
    EXPECT_EQ(readFile(run.outFile), "kits/a1.wav\n\nkits/a2.wav\n\n\nloops/a3.wav\n\n\n");

    // The first run also heard the three previews whole; then both runs played the
    // same: the two one-shots whole, and the loop going round.
    EXPECT_EQ(first, (Runs{{kFirstLevel, kOneShotFrames},
                           {kSecondLevel, kOneShotFrames},
                           {kLoopLevel, kLoopFrames},
                           {kFirstLevel, kOneShotFrames},
                           {kSecondLevel, kOneShotFrames},
                           {kLoopLevel, 0}}));
    EXPECT_EQ(
        second,
        (Runs{{kFirstLevel, kOneShotFrames}, {kSecondLevel, kOneShotFrames}, {kLoopLevel, 0}}));
}

TEST_F(PresetJourney, ASaveIntoAReadOnlyFolderSaysWhyAndKeepsTheKeyboardAndTheName)
{
    // As an ordinary user: root may write into any folder. The program then runs as
    // nobody, from a stage copy it owns.
    std::string program = dir + "/padbox";
    if (geteuid() == 0)
    {
        ASSERT_EQ(system(("chown -R 65534:65534 " + dir).c_str()), 0);
        program = dir + "/as-nobody.sh";
        writeFile(program, "#!/bin/sh\nexec setpriv --reuid=65534 --regid=65534 --clear-groups "
                           "./padbox\n");
        chmod(program.c_str(), 0755);
    }
    chmod((dir + "/presets").c_str(), 0555);
    run = startProgram(server, dir, {}, program);
    ASSERT_NE(waitForWindow(server), 0u) << readFile(run.errFile);
    xdo(server, "mousemove 160 120");
    clickIn(server, kKeyboardButtonBox);
    for (char c : std::string("ro1"))
        clickIn(server, keyBoxOf(c));
    settle();
    SDL_Surface* before = screenshot(server);
    clickIn(server, kSaveKeyBox);
    settle();
    SDL_Surface* after = screenshot(server);
    ASSERT_TRUE(before && after);
    // The keys and the field with the typed name are as they were; the panel's text
    // beside DEL now gives the reason.
    int keysChanged = 0, reasonChanged = 0;
    for (int y = kKeyboardPanel.y0; y <= kKeyboardPanel.y1; ++y)
        for (int x = kKeyboardPanel.x0; x <= kKeyboardPanel.x1; ++x)
        {
            const bool changed = pixelAt(before, x, y) != pixelAt(after, x, y);
            (inBox(kSaveReasonArea, x, y) ? reasonChanged : keysChanged) += changed;
        }
    EXPECT_EQ(keysChanged, 0);
    EXPECT_GT(reasonChanged, 0);
    SDL_FreeSurface(before);
    SDL_FreeSurface(after);

    quit();
    EXPECT_EQ(programErrors(run), "Not saved: presets/ro1.trp: Permission denied\n");
    EXPECT_FALSE(fileExists(dir + "/presets/ro1.trp"));
    chmod((dir + "/presets").c_str(), 0755);
}
