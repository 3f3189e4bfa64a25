// The whole journey of a preset through the real program under Xvfb: assign on the
// sample browser, play the pads, save under a typed name, quit, start again, load it
// and hear the same sounds.
#include "tests/support/stage.h"
#include "tests/support/wav.h"
#include "tests/support/xsession.h"

#include <gtest/gtest.h>

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
} // namespace

TEST(PresetJourney, SavedSlotsComeBackAfterARestartAndSoundTheSame)
{
    XServer server = startXvfb();
    const std::string dir = makeStageCopy();
    writeWav16(dir + "/kits/a1.wav", constantStereo(kOneShotFrames, kFirstLevel), 2);
    writeWav16(dir + "/kits/a2.wav", constantStereo(kOneShotFrames, kSecondLevel), 2);
    writeWav16(dir + "/loops/a3.wav", constantStereo(kLoopFrames, kLoopLevel), 2);
    ProgramRun run;
    const auto key = [&](const char* name)
    {
        xdo(server, std::string("key ") + name);
        settle(150);
    };
    const auto clicks = [&](std::initializer_list<Box> boxes)
    {
        for (Box b : boxes)
            clickIn(server, b);
    };
    const auto start = [&]
    {
        run = startProgram(server, dir);
        ASSERT_NE(waitForWindow(server), 0u) << readFile(run.errFile);
        xdo(server, "mousemove 160 120");
        settle();
    };
    // Screen 2: pads 0 and 2, one after the other; screen 3: loop pad 1 on, then off;
    // then quit.
    const auto playThePadsAndQuit = [&]
    {
        key("2");
        for (int pad : {0, 2})
            clickIn(server, kPadBoxes[pad]), settle(400);
        key("3");
        clickIn(server, kPadBoxes[1]);
        settle(1000);
        clickIn(server, kPadBoxes[1]);
        settle(300);
        key("Escape");
        ASSERT_EQ(waitExit(run), 0);
    };

    start();
    key("1");
    // The test's files sort first after "." and "..".
    clicks({listRow(2), slotBand(0), kAssignBox, listRow(3), slotBand(2), kAssignBox, kLoopsTabBox,
            listRow(2), slotBand(5), kAssignBox}); // previewed on the way
    settle(400);
    key("0");
    clickIn(server, kKeyboardButtonBox);
    for (char c : std::string("journey1"))
        clickIn(server, keyBoxOf(c));
    clickIn(server, kSaveKeyBox);
    playThePadsAndQuit();
    const auto first = levelRuns(run.audioFile);
    EXPECT_EQ(readFile(dir + "/presets/journey1.trp"),
              "Tamo Ri Presets\nkits/a1.wav\n\nkits/a2.wav\n\n\nloops/a3.wav\n\n\n"
              "Oru\nSe supone que no deberias estar leyendo esto.\n");
    EXPECT_EQ(readFile(run.outFile), "");

    start();
    clicks({listRow(3), kLoadButtonBox}); // after demo.trp
    settle(200);
    clickAt(server, 160, 120); // dismisses the dialog
    playThePadsAndQuit();
    EXPECT_EQ(readFile(run.outFile), "kits/a1.wav\n\nkits/a2.wav\n\n\nloops/a3.wav\n\n\n");

    // The first run also heard the three previews whole; then both runs played the
    // same: the two one-shots whole, and the loop going round.
    const Runs played = {
        {kFirstLevel, kOneShotFrames}, {kSecondLevel, kOneShotFrames}, {kLoopLevel, 0}};
    Runs heard = {
        {kFirstLevel, kOneShotFrames}, {kSecondLevel, kOneShotFrames}, {kLoopLevel, kLoopFrames}};
    heard.insert(heard.end(), played.begin(), played.end());
    EXPECT_EQ(first, heard);
    EXPECT_EQ(levelRuns(run.audioFile), played);
    stopXvfb(server);
    removeTree(dir);
}
