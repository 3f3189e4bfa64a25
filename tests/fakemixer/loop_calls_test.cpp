// The mixer calls of the loop synchroniser and the slot table, in order, against a
// recording stand-in for the mixer.
#include "sound/loops.h"
#include "sound/mixer.h"
#include "sound/slots.h"
#include "tests/fakemixer/fake_mixer.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>

namespace
{
using Calls = std::vector<std::string>;

class LoopCallsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        resetFakeMixer();
        setUpMixer(); // the program's own registration of its callbacks
        resetLoops();
        for (int s = 0; s < kSlotCount; ++s)
        {
            samples[s] = fakeSound("slot" + std::to_string(s));
            asignados[s] = 1;
        }
    }

    void TearDown() override
    {
        EXPECT_EQ(audioLocks, 0);
    }

    // Switches the loops on through their pads, the first becoming the control
    // loop, and lets one boundary start the others.
    static void run(std::initializer_list<int> loops)
    {
        for (int i : loops)
            toggleLoop(i);
        endPass(kFirstLoopSlot + *loops.begin());
        clearMixerCalls();
    }

    // The calls made since the last look.
    static Calls calls()
    {
        Calls made = mixerCalls;
        clearMixerCalls();
        return made;
    }

    static std::string flags(const std::atomic<uint8_t> (&of)[kLoopCount])
    {
        std::string text;
        for (const auto& flag : of)
            text += flag ? '1' : '0';
        return text;
    }
};

TEST_F(LoopCallsTest, ALoopStartsAtOnceWithoutAControlLoopAndIsQueuedWithOne)
{
    playing[6] = true; // a preview took the loop's channel
    toggleLoop(2);
    EXPECT_EQ(calls(), Calls({"play 6 slot6", "done 6"})) << "the preview's end restarts nothing";
    EXPECT_EQ(canal_control, 2);
    toggleLoop(0);
    toggleLoop(1);
    toggleLoop(1);
    EXPECT_EQ(mixerCalls, Calls({"halt 5"})) << "queued loops sound nothing yet";
    EXPECT_GE(locksAtCall[0], 1) << "a switch is made under the audio lock";
    EXPECT_EQ(flags(pulsados2), "1010");
    EXPECT_EQ(flags(sonando), "0010");
    clearMixerCalls();

    // The control loop restarts inside the report, which the mixer carries on from
    // that frame; loop 0 is started once the pass is mixed: its first frames are
    // mixed in from the boundary's frame and its channel plays the rest.
    endPass(6);
    EXPECT_EQ(calls(),
              Calls({"done 6", "play 6 slot6", "mix slot4[0:24] at 232", "play 4 slot4[24:1000]"}));
    EXPECT_EQ(flags(sonando), "1010");
    endPass(6);
    EXPECT_EQ(calls(), Calls({"done 6", "play 6 slot6", "mix slot4[0:48] at 208",
                              "play 4 slot4[48:1000]", "done 4"}));
    for (int channel : {0, 1, 2, 3, 4, 5, 7})
        endPass(channel);
    EXPECT_EQ(calls(),
              Calls({"done 0", "done 1", "done 2", "done 3", "done 4", "done 5", "done 7"}))
        << "ends other than the control loop's start nothing";
}

TEST_F(LoopCallsTest, SwitchingOffTheControlLoopHandsOverToTheHighestOtherRunningLoop)
{
    samples[5] = fakeSound("slot5", 1200);
    samples[7] = fakeSound("slot7", 1500);
    for (int i : {0, 1, 3})
        toggleLoop(i);
    endPass(4);
    EXPECT_EQ(calls(),
              Calls({"play 4 slot4", "done 4", "play 4 slot4", "mix slot5[0:24] at 232",
                     "play 5 slot5[24:1000]", "mix slot7[0:24] at 232", "play 7 slot7[24:1000]"}))
        << "longer loops end where the control loop's pass ends";
    toggleLoop(0);
    EXPECT_EQ(calls(), Calls({"halt 4", "done 4", "play 5 slot5[24:1200]", "done 5",
                              "play 7 slot7[24:1500]", "done 7"}))
        << "loop 3 plays on to its own end, and loop 1 with it, before loop 3 takes over";
    EXPECT_EQ(canal_control, 3);
    endPass(7);
    EXPECT_EQ(calls(), Calls({"done 7", "play 7 slot7", "mix slot5[0:60] at 196",
                              "play 5 slot5[60:1200]", "done 5"}));

    // A new control loop that has already played out gets its boundary at once.
    toggleLoop(0); // queued
    endPass(5);
    toggleLoop(3);
    EXPECT_EQ(calls(), Calls({"done 5", "halt 7", "done 7", "play 5 slot5", "play 4 slot4"}));
    EXPECT_EQ(canal_control, 1);
    EXPECT_EQ(flags(sonando), "1100");
}

TEST_F(LoopCallsTest, SwitchingOffTheLastRunningLoopLeavesNoControlLoop)
{
    run({2, 0});
    toggleLoop(0);
    EXPECT_EQ(canal_control, 2) << "another loop switched off leaves the control loop";
    toggleLoop(3); // queued, not running: no candidate
    clearMixerCalls();
    toggleLoop(2);
    EXPECT_EQ(calls(), Calls({"halt 6", "done 6"}));
    EXPECT_EQ(canal_control, kNoControlLoop);

    toggleLoop(1);
    EXPECT_EQ(calls(), Calls({"play 5 slot5"})) << "the next loop switched on starts at once";
    endPass(5);
    EXPECT_EQ(calls(),
              Calls({"done 5", "play 5 slot5", "mix slot7[0:24] at 232", "play 7 slot7[24:1000]"}));

    stopLoops();
    EXPECT_EQ(calls(), Calls({"halt 4", "halt 5", "done 5", "halt 6", "halt 7", "done 7"}))
        << "shut-down clears each running flag before it halts the channel";
}

TEST_F(LoopCallsTest, AtRestNoEndStartsAnythingAndReleasedSoundsAreNeverPlayed)
{
    run({1, 2});
    resetLoops();
    EXPECT_EQ(canal_control, kNoControlLoop);
    EXPECT_EQ(flags(pulsados2) + flags(sonando), "00000000");
    asignados[3] = 0;
    releaseAllSlots();
    endPass(5);
    storeSlotSound(5, fakeSound("next5"));
    EXPECT_EQ(calls(), Calls({"free slot0", "free slot1", "free slot2", "free slot4", "free slot5",
                              "halt 6", "done 6", "free slot6", "free slot7", "done 5"}))
        << "the part of slot 6 that loop 2 plays is stopped before the sound is freed";
    freeSlotSounds();
    EXPECT_EQ(calls(), Calls({"free slot3", "free next5"}));
}

TEST_F(LoopCallsTest, AssigningFreesTheOldSoundFirstAndMarksTheSlotWhateverTheDecode)
{
    assignSlot(1, "kits/hihat_open.wav", "hihat_open.wav");
    assignSlot(2, "missing.wav", "missing.wav");
    asignados[3] = 0;
    assignSlot(3, "kits/snare808.wav", "snare808.wav");
    EXPECT_EQ(calls(), Calls({"free slot1", "load kits/hihat_open.wav", "free slot2",
                              "load missing.wav", "load kits/snare808.wav"}));
    EXPECT_STREQ(nombres[1], "hihat_op");
    EXPECT_EQ(samples[2], nullptr);
    EXPECT_EQ(asignados[2], 1);

    const std::string longPath = "loops/" + std::string(300, 'x') + ".wav";
    assignSlot(4, longPath.c_str(), "ab.wav");
    EXPECT_EQ(std::string(lista_samples[4]), longPath.substr(0, kSlotPathSize - 1));
    EXPECT_STREQ(nombres[4], "ab.wav");
}

TEST_F(LoopCallsTest, ReplacingTheRunningControlLoopsSoundStartsABoundaryOnceStored)
{
    run({1, 2});
    assignSlot(5, "loops/new.wav", "new.wav");
    EXPECT_EQ(calls(), Calls({"free slot5", "load loops/new.wav", "play 5 loops/new.wav",
                              "play 6 slot6", "done 6"}));
    assignSlot(6, "loops/other.wav", "other.wav");
    EXPECT_EQ(calls(), Calls({"halt 6", "done 6", "free slot6", "load loops/other.wav"}))
        << "another loop waits for the next boundary";
    endPass(5);
    EXPECT_EQ(calls().back(), "play 6 loops/other.wav[24:1000]");

    // A boundary while the new sound decodes plays nothing from the emptied slot.
    duringNextDecode = [] { endPass(5); };
    assignSlot(6, "loops/third.wav", "third.wav");
    EXPECT_EQ(calls(), Calls({"halt 6", "done 6", "free loops/other.wav", "load loops/third.wav",
                              "done 5", "play 5 loops/new.wav"}));
}
} // namespace
