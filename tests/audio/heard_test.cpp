// What the mixer plays, pass by pass as its audio thread mixed it with the program's
// callbacks: the one-shot pads and the loop synchroniser, previews on the sample
// browser and the release of their sounds, and a preset load that stops them all; and
// the beat bar of the loop pads against the passes as they were mixed.
#include "app/display.h"
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "sound/hits.h"
#include "sound/preview.h"
#include "sound/slots.h"
#include "tests/support/mixtap.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <sys/stat.h>

namespace
{
// Mixes about eleven times faster than real time, so thousands of boundaries pass.
class HeardTest : public ProgramTest
{
  protected:
    void SetUp() override
    {
        diskDelayMs = 1;
        ProgramTest::SetUp();
        startMixTap(kTestRate * 120);
        keyDown(SDLK_1);
    }

    // Lists kits/ again and presses the row that shows name, or an empty row if none does.
    static void pressEntry(const std::string& name)
    {
        pressIn(kKitsTabBox);
        for (ct_lista = 0; ct_lista < cantidad && name != catalogueEntry(ct_lista); ++ct_lista)
            ;
        pressIn(listRow(0));
    }
};

// The beat bar over the pad as the screen shows it: its filled columns, or -1 when the
// pad shows no bar. Filled columns come first, then at most one in between, then the
// track.
int beatBarColumns(int pad)
{
    const Box bar = moved(kBeatBar, kPadBoxes[pad].x0, kPadBoxes[pad].y0);
    const Uint32 fill = shownAs(screen, kText), track = shownAs(screen, kWell);
    int filled = 0, tracked = 0;
    for (int x = bar.x0; x <= bar.x1; ++x)
    {
        const Uint32 c = pixelAt(screen, x, midY(bar));
        if (c == fill && tracked > 0)
            return -1;
        filled += c == fill;
        tracked += c == track;
    }
    return filled + tracked >= width(bar) - 1 ? filled : -1;
}
} // namespace

// Every hit is heard on the frame the pass clock gives for its moment plus the delay,
// wherever it falls in a pass: its sound's first frames mixed in from there, the rest
// from its channel, at the hit's velocity; a pad hit again cuts its sound there.
TEST_F(HeardTest, HitsAreHeardOnTheirOwnFrameAtTheirVelocityOnTheirOwnChannel)
{
    constexpr int kShot = 3000, kControl = 5000, kSoft = 64;
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        const std::string path = "kits/marked" + std::to_string(slot) + ".wav";
        writeMarkedSound(path, slot, slot == 5 ? kControl : kShot);
        assignSlot(slot, path.c_str(), "marked");
    }
    keyDown(SDLK_2);
    int64_t loopOn = 0, first = 0, second = 0, again = 0, soft = 0;
    const auto hit = [](HitKind kind, int index, int velocity = kMaxVelocity)
    {
        const int64_t stamp = hitClockUs();
        playHit({kind, index, velocity, stamp});
        return tapFrame(hitFrame(stamp));
    };
    atFrame(1000, [&] { loopOn = hit(kLoopHit, 1); });
    const int64_t pressed = atFrame(
        loopOn + 2000, [&] { pressIn(kPadBoxes[0]), first = tapFrame(hitFrame(event_stamp)); });
    const int64_t delay = first - pressed; // the constant delay, in frames at this pace
    atFrame(first + 500 - delay,
            [&] { pressIn(kPadBoxes[1]), second = tapFrame(hitFrame(event_stamp)); });
    atFrame(second + 1000 - delay,
            [&] { keyDown(SDLK_x), again = tapFrame(hitFrame(event_stamp)); });
    atFrame(again + kShot, [&] { soft = hit(kOneShotHit, 3, kSoft); });
    const int64_t end = atFrame(soft + kShot + 2 * kControl, [] {});
    stopProgram();
    const std::vector<int16_t> left = leftChannel(tappedStream());
    ASSERT_LT(soft + kShot, int64_t(left.size()));
    const std::vector<int16_t> beforeSoft(left.begin(), left.begin() + soft);

    EXPECT_EQ(soundSpans(left, 0), (Spans{{first + kMarkFrames, first + kShot}}));
    EXPECT_EQ(soundSpans(left, 1),
              (Spans{{second + kMarkFrames, again}, {again + kMarkFrames, again + kShot}}));
    for (int slot : {2, 3, 4, 6, 7})
        EXPECT_TRUE(soundSpans(beforeSoft, slot).empty()) << slot;
    // Half the velocity, half the level, in the mixed-in head and from the channel; the
    // loop's own level taken out.
    const int16_t loopLevel = int16_t(1 << (6 + 5)), full = int16_t(1 << (6 + 3));
    const int16_t half = int16_t(full * hitVolume(kSoft) / MIX_MAX_VOLUME);
    std::vector<int16_t> shot(left.begin() + soft - 1, left.begin() + soft + kShot + 1);
    for (int16_t& v : shot)
        v &= int16_t(~loopLevel);
    EXPECT_EQ(shot[kMarkFrames], 0);
    EXPECT_EQ(std::count(shot.begin(), shot.end(), half), kShot - kMarkFrames);
    EXPECT_EQ(shot[kMarkFrames + 1], half) << "heard from its frame";
    // The loop switched on alone starts on its hit's frame; one-shot ends neither stop
    // nor restart it.
    const Spans loop = soundSpans(left, 5);
    ASSERT_FALSE(loop.empty());
    EXPECT_EQ(loop.front().first, loopOn + kMarkFrames);
    for (size_t k = 1; k < loop.size(); ++k)
        EXPECT_EQ(loop[k].first - loop[k - 1].first, kControl) << k;
    EXPECT_GE(loop.back().first + kControl, end) << "it ran until the program stopped";
}

TEST_F(HeardTest, EveryLoopStartsOnTheFrameOfItsBoundaryAsTheRulesSay)
{
    std::vector<LoopAction> script;
    for (const LoopSetRun& run : kLoopSetRuns)
        for (const LoopAction& action : playLoopSets(run.lengths, run.phaseFrames))
            script.push_back(action);
    stopProgram();
    const std::vector<int16_t> stream = tappedStream();
    const std::vector<int64_t> wrong =
        differingFrames(stream, idealLoopStream(script, int64_t(stream.size() / 2)));
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " frames differ, the first " << wrong.front();
    EXPECT_EQ(audioThreadAllocations(), 0) << "the callbacks allocate nothing";
}

// Slots without a sound, never given one or given a file that does not decode, and a
// beat switched off while loops wait for it: every loop with a sound that is switched
// on is heard, in step.
TEST_F(HeardTest, NoLoopWithoutASoundHoldsTheBeatAndNoLoopSwitchedOnWaitsForEver)
{
    constexpr int kNoSound = -1;
    std::vector<LoopAction> s;
    int64_t t = actOnLoop(&s, 0, 1000);  // L1 on, never assigned: no beat
    t = actOnLoop(&s, 1, t + 100, 577);  // L2 given a sound
    t = actOnLoop(&s, 1, t + 100);       // and switched on: it starts at once
    t = actOnLoop(&s, 2, t + 100, 1009); // L3 queued for L2's boundary
    t = actOnLoop(&s, 2, t + 100);
    t = actOnLoop(&s, 1, t + 3000, kNoSound); // the beat's own slot loses its sound: L3 takes it
    t = actOnLoop(&s, 0, t + 2500);           // L1 off and on again: queued, silent
    t = actOnLoop(&s, 0, t + 100);
    t = actOnLoop(&s, 3, t + 2500, 331); // L4 queued, then the beat switched off:
    t = actOnLoop(&s, 3, t + 10);        // L4 starts at once
    t = actOnLoop(&s, 2, t + 100);
    t = actOnLoop(&s, 3, t + 2000);     // nothing with a sound is left on
    t = actOnLoop(&s, 0, t + 500, 211); // L1, on, gets a sound: it starts at once
    t = actOnLoop(&s, 1, t + 1500, 97); // L2, on, gets one: it joins at the boundary
    t = actOnLoop(&s, 0, t + 2000);     // L1 off: the beat passes to L2
    t = actOnLoop(&s, 1, t + 2000);
    atFrame(t + 1000, [] {});
    stopProgram();
    const std::vector<int16_t> stream = tappedStream();
    const std::vector<int64_t> wrong =
        differingFrames(stream, idealLoopStream(s, int64_t(stream.size() / 2)));
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " frames differ, the first " << wrong.front();
    const std::vector<int16_t> left = leftChannel(stream);
    for (int slot : {4, 5, 6, 7})
        EXPECT_FALSE(soundSpans(left, slot).empty()) << "slot " << slot << " is heard";
}

// A 48 kHz loop is decoded and resampled as every sound is: it is heard for exactly
// its second, once as a preview and once from the pad of the slot it is given.
TEST_F(HeardTest, PreviewsAreHeardWholeOneAtATimeTheirSoundsFreedOnlyOnceDoneAndALoadStopsAll)
{
    writeFile("kits/notes.txt", "not a sound\n");
    writeFile("kits/empty.wav", "");
    mkdir("kits/sub", 0755);
    for (const char* name : {".", "..", "empty.wav", "notes.txt", "sub", "none: an empty row"})
        pressEntry(name);
    EXPECT_TRUE(preview.sound == nullptr && Mix_Playing(-1) == 0)
        << "entries that do not decode are previewed in silence";

    writeWav("kits/loop48.wav", {48000, 2, kS16, kPlain}, std::vector<double>(2 * 48000, 0.25));
    writeWav16("kits/long.wav", constantStereo(22050 * 20, 700), 2);
    pressEntry("loop48.wav");
    ASSERT_EQ(preview.sound ? preview.sound->alen : 0, 4u * kTestRate); // 16-bit stereo
    // Each frame runs under the audio lock, so the channel cannot end between the look
    // at it and the frame's own.
    for (bool busy = true; busy; SDL_Delay(5))
    {
        SDL_LockAudio();
        busy = preview.sound && Mix_Playing(preview.channel);
        frame();
        const bool kept = preview.sound;
        SDL_UnlockAudio();
        ASSERT_EQ(kept, busy) << (busy ? "freed while it plays" : "kept once done");
    }
    pressIn(kAssignBox); // into slot 0
    for (int k = 0; k < 10; ++k)
        pressEntry("long.wav");
    EXPECT_EQ(Mix_Playing(-1), 1) << "each preview stops the one before";

    Mix_PlayChannelTimed(0, samples[0], 0, -1); // pad 1 takes channel 0 from the preview
    frame();
    EXPECT_EQ(preview.sound, nullptr);
    while (Mix_Playing(-1))
        SDL_Delay(10);
    // A preset load with a preview playing and two loops on, one queued for the other's
    // boundary: all stop, and none starts again with the sounds the preset brings.
    for (int slot : {4, 5})
        assignSlot(slot, "kits/long.wav", "long");
    toggleLoop(0);
    toggleLoop(1);
    pressEntry("long.wav");
    keyDown(SDLK_0);
    pressIn(listRow(2)); // demo.trp
    pressIn(kLoadButtonBox);
    ASSERT_STREQ(lista_samples[4], "loops/beat.wav");
    SDL_Delay(100);
    EXPECT_EQ(Mix_Playing(-1), 0) << "the load put the player at rest";
    // Frames louder than half the loop's level: fewer if it was cut short, more if it
    // played again.
    stopProgram();
    const std::vector<int16_t> left = leftChannel(tappedStream());
    EXPECT_NEAR(std::count_if(left.begin(), left.end(), [](int16_t v) { return v > 4096; }),
                2 * kTestRate, 2);
}

// The bar fills from each boundary of the loop that sets the beat to the next, as far
// as the mixer has mixed: looked at just after boundaries, in the middle of passes,
// just before a boundary, at a hand-over to a longer loop, which carries on from where
// it is to the end of its own sound, and with no loop playing.
TEST_F(HeardTest, TheBeatBarShowsHowFarThePassHasComeToWithinADisplayFrame)
{
    const int lengths[] = {20000, 29000}; // loops 1 and 2, about a second and more
    for (int loop : {0, 1})
    {
        const std::string path = "loops/marked" + std::to_string(loop) + ".wav";
        writeMarkedSound(path, kFirstLoopSlot + loop, lengths[loop]);
        assignSlot(kFirstLoopSlot + loop, path.c_str(), "marked");
    }
    keyDown(SDLK_3);
    struct Look
    {
        int64_t at;
        int control; // the loop that sets the beat, or -1
        int columns[kPadCount];
    };
    std::vector<Look> looks;
    const auto look = [&](
                          int64_t when, int control, void (*action)() = [] {})
    {
        Look seen{0, control, {}};
        seen.at = atFrame(when,
                          [&]
                          {
                              action();
                              frame();
                              for (int k = 0; k < kPadCount; ++k)
                                  seen.columns[k] = beatBarColumns(k);
                          });
        looks.push_back(seen);
    };
    const int64_t on = atFrame(1000, [] { toggleLoop(0); });
    const int first = lengths[0];
    look(on + 300, 0);
    look(on + first + 1, 0);
    look(on + first + 9000, 0);
    look(on + 2 * first - 600, 0);
    atFrame(on + 2 * first + 5000, [] { toggleLoop(1); }); // starts at the next boundary
    look(on + 3 * first + 1, 0);
    look(on + 3 * first + 6000, 1, [] { toggleLoop(0); });
    look(on + 3 * first + 25000, 1);
    look(on + 3 * first + lengths[1] + 1, 1);
    look(on + 3 * first + lengths[1] + 14000, 1);
    look(on + 3 * first + lengths[1] + 16000, -1, [] { toggleLoop(1); });
    stopProgram();

    // Each pass of a loop begins with its sound's silent head.
    const std::vector<int16_t> left = leftChannel(tappedStream());
    std::vector<int64_t> passStarts[2];
    for (int loop : {0, 1})
        for (const auto& span : soundSpans(left, kFirstLoopSlot + loop))
            passStarts[loop].push_back(span.first - kMarkFrames);
    const double displayFrame = kTestRate / 60.0, columns = width(kBeatBar);
    for (const Look& seen : looks)
    {
        SCOPED_TRACE(seen.at - on);
        for (int k = 0; k < kPadCount; ++k)
            EXPECT_TRUE(k == seen.control || seen.columns[k] == -1) << "a bar over pad " << k;
        if (seen.control < 0)
            continue;
        const std::vector<int64_t>& starts = passStarts[seen.control];
        const auto after = std::upper_bound(starts.begin(), starts.end(), seen.at);
        ASSERT_NE(after, starts.begin());
        const double mixed = double(seen.at - after[-1]), length = lengths[seen.control];
        const int filled = seen.columns[seen.control];
        EXPECT_GE(mixed, filled * length / columns - displayFrame) << filled;
        EXPECT_LT(mixed, (filled + 1) * length / columns + displayFrame) << filled;
    }
}
