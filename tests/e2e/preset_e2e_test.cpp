// The whole journey of a preset through the real program under Xvfb: assign on the
// sample browser, play the pads, save under a typed name, quit, start again, load it
// and hear the same sounds.
#include "tests/support/stage.h"
#include "tests/support/wav.h"
#include "tests/support/xsession.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace
{
// Each sound holds one level throughout, so the capture tells them apart.
constexpr int16_t kFirstLevel = 1111, kSecondLevel = 1212, kLoopLevel = 2222;
constexpr int kOneShotFrames = 4000, kLoopFrames = 6000;

struct LevelRun
{
    int16_t level;
    size_t frames;
    bool operator==(const LevelRun& other) const
    {
        return level == other.level && frames == other.frames;
    }
};

void PrintTo(const LevelRun& run, std::ostream* out)
{
    *out << run.level << " x " << run.frames;
}

// The capture as runs of one level, silence left out.
std::vector<LevelRun> levelRuns(const std::string& audioFile)
{
    std::vector<LevelRun> runs;
    for (int16_t v : leftChannel(readCapture(audioFile)))
    {
        if (!runs.empty() && runs.back().level == v)
            ++runs.back().frames;
        else
            runs.push_back({v, 1});
    }
    runs.erase(
        std::remove_if(runs.begin(), runs.end(), [](const LevelRun& r) { return r.level == 0; }),
        runs.end());
    return runs;
}

// Centre of a visible list row, for an entry of folder as the catalogue sorts it.
int rowY(const std::string& folder, const std::string& name)
{
    std::vector<std::string> names = {".", ".."};
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    const auto row = std::find(names.begin(), names.end(), name) - names.begin();
    return 26 + 15 * static_cast<int>(row) + 7;
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

    void key(const std::string& name)
    {
        xdo(server, "key " + name);
        settle(150);
    }

    // Screen 2: pads 0 and 2, one after the other; screen 3: loop pad 1 on, then off.
    void playThePads()
    {
        key("2");
        clickAt(server, 80, 60);
        settle(400);
        clickAt(server, 80, 180);
        settle(400);
        key("3");
        clickAt(server, 240, 60);
        settle(1000);
        clickAt(server, 240, 60);
        settle(300);
    }

    void typeOnTheKeyboard(const std::string& name)
    {
        for (char c : name)
        {
            const int n = c >= 'a' ? c - 'a' : 26 + c - '0';
            clickAt(server, 5 + 26 * (n % 12) + 12, 41 + 25 * (n / 12) + 12);
        }
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
    clickAt(server, 100, rowY(dir + "/kits", "a1.wav")); // previews it
    clickAt(server, 280, 40);                            // slot 0
    clickAt(server, 50, 225);                            // assign
    clickAt(server, 100, rowY(dir + "/kits", "a2.wav"));
    clickAt(server, 280, 82); // slot 2
    clickAt(server, 50, 225);
    clickAt(server, 220, 12); // loops tab
    clickAt(server, 100, rowY(dir + "/loops", "a3.wav"));
    clickAt(server, 280, 148); // slot 5, loop 1
    clickAt(server, 50, 225);
    settle(400);
    playThePads();

    key("0");
    clickAt(server, 300, 230);
    typeOnTheKeyboard("journey1");
    clickAt(server, 250, 130);
    quit();
    const std::vector<LevelRun> first = levelRuns(run.audioFile);
    EXPECT_EQ(readFile(dir + "/presets/journey1.trp"),
              "Tamo Ri Presets\nkits/a1.wav\n\nkits/a2.wav\n\n\nloops/a3.wav\n\n\n"
              "Oru\nSe supone que no deberias estar leyendo esto.\n");
    EXPECT_EQ(readFile(run.outFile), "");

    start();
    clickAt(server, 100, rowY(dir + "/presets", "journey1.trp"));
    clickAt(server, 50, 228);
    settle(200);
    clickAt(server, 160, 120); // dismisses the dialog
    playThePads();
    quit();
    const std::vector<LevelRun> second = levelRuns(run.audioFile);
    EXPECT_EQ(readFile(run.outFile), "kits/a1.wav\n\nkits/a2.wav\n\n\nloops/a3.wav\n\n\n");

    // The first run also heard the three previews; then both runs played the same.
    const std::vector<LevelRun> previews = {
        {kFirstLevel, kOneShotFrames}, {kSecondLevel, kOneShotFrames}, {kLoopLevel, kLoopFrames}};
    ASSERT_EQ(first.size(), 6u);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(std::vector<LevelRun>(first.begin(), first.begin() + 3), previews);
    for (size_t i = 0; i < 2; ++i)
    {
        EXPECT_EQ(first[3 + i], previews[i]);
        EXPECT_EQ(second[i], previews[i]);
    }
    for (const LevelRun& loop : {first[5], second[2]})
    {
        EXPECT_EQ(loop.level, kLoopLevel);
        EXPECT_GT(loop.frames, static_cast<size_t>(kLoopFrames)) << "the loop went round";
    }
}
