// The mixer calls of the loop synchroniser and the slot table, in order, against a
// recording stand-in for the mixer.
#include "sound/loops.h"
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
        resetLoops();
        for (int s = 0; s < kSlotCount; ++s)
        {
            samples[s] = fakeSound("slot" + std::to_string(s));
            asignados[s] = 1;
        }
        clearMixerCalls();
    }

    void TearDown() override
    {
        EXPECT_EQ(lockDepth(), 0);
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
    toggleLoop(2);
    EXPECT_EQ(mixerCalls(), Calls({"play 6 slot6"}));
    EXPECT_EQ(callStates()[0].control, 2) << "control loop set before the play";
    EXPECT_EQ(callStates()[0].running, 0u) << "running flag set after the play";
    EXPECT_GE(callStates()[0].locks, 1);
    EXPECT_EQ(canal_control, 2);
    EXPECT_EQ(flags(sonando), "0010");

    clearMixerCalls();
    toggleLoop(0);
    toggleLoop(1);
    EXPECT_EQ(mixerCalls(), Calls()) << "queued loops sound nothing yet";
    EXPECT_EQ(flags(pulsados2), "1110");
    EXPECT_EQ(flags(sonando), "0010");

    toggleLoop(1);
    EXPECT_EQ(mixerCalls(), Calls({"halt 5"})) << "a queued loop switched off again";

    clearMixerCalls();
    endPass(6);
    EXPECT_EQ(mixerCalls(), Calls({"done 6", "play 6 slot6", "play 4 slot4"}));
    EXPECT_EQ(flags(sonando), "1010");
    EXPECT_EQ(flags(pulsados2), "1010");
}

TEST_F(LoopCallsTest, ALoopStillSoundingAtTheBoundaryIsCutAndStartedAgain)
{
    run({2, 3});
    endPass(6);
    EXPECT_EQ(mixerCalls(), Calls({"done 6", "play 6 slot6", "play 7 slot7", "done 7"}));
    EXPECT_TRUE(fakePlaying(6));
    EXPECT_TRUE(fakePlaying(7));
}

TEST_F(LoopCallsTest, SwitchingOffTheControlLoopHandsOverToTheHighestOtherRunningLoop)
{
    run({0, 1, 3});
    toggleLoop(0);
    EXPECT_EQ(mixerCalls(), Calls({"halt 4", "done 4"})) << "loop 3 plays on, not restarted";
    EXPECT_EQ(callStates()[0].running, 0b1010u) << "running flag cleared before the halt";
    EXPECT_EQ(canal_control, 3);

    clearMixerCalls();
    endPass(7);
    EXPECT_EQ(mixerCalls(), Calls({"done 7", "play 7 slot7", "play 5 slot5", "done 5"}));
}

TEST_F(LoopCallsTest, ANewControlLoopThatHasAlreadyPlayedOutGetsABoundaryAtOnce)
{
    run({1, 3});
    toggleLoop(0); // queued
    endPass(7);
    EXPECT_EQ(mixerCalls(), Calls({"done 7"})) << "the end of another loop starts nothing";

    clearMixerCalls();
    toggleLoop(1);
    EXPECT_EQ(mixerCalls(), Calls({"halt 5", "done 5", "play 7 slot7", "play 4 slot4"}));
    EXPECT_EQ(canal_control, 3);
    EXPECT_EQ(flags(sonando), "1001");
}

TEST_F(LoopCallsTest, SwitchingOffTheLastRunningLoopLeavesNoControlLoop)
{
    run({2, 0});
    toggleLoop(0);
    EXPECT_EQ(mixerCalls(), Calls({"halt 4", "done 4"}));
    EXPECT_EQ(canal_control, 2) << "another loop switched off leaves the control loop";

    toggleLoop(3); // queued, not running: no candidate
    clearMixerCalls();
    toggleLoop(2);
    EXPECT_EQ(mixerCalls(), Calls({"halt 6", "done 6"}));
    EXPECT_EQ(canal_control, kNoControlLoop);

    clearMixerCalls();
    toggleLoop(1);
    EXPECT_EQ(mixerCalls(), Calls({"play 5 slot5"})) << "the next loop switched on starts at once";
    EXPECT_EQ(canal_control, 1);
    clearMixerCalls();
    endPass(5);
    EXPECT_EQ(mixerCalls(), Calls({"done 5", "play 5 slot5", "play 7 slot7"}));
}

TEST_F(LoopCallsTest, EndsOtherThanTheControlLoopsStartNothing)
{
    for (int channel = 0; channel < kSlotCount; ++channel)
        endPass(channel);
    run({2, 0});
    for (int channel : {0, 1, 2, 3, 4, 5, 7})
        endPass(channel);
    EXPECT_EQ(mixerCalls(),
              Calls({"done 0", "done 1", "done 2", "done 3", "done 4", "done 5", "done 7"}));
    EXPECT_EQ(flags(sonando), "1010");
}

TEST_F(LoopCallsTest, ShutDownClearsEachRunningFlagBeforeHaltingItsChannel)
{
    run({3, 0, 2});
    stopLoops();
    EXPECT_EQ(mixerCalls(),
              Calls({"halt 4", "done 4", "halt 5", "halt 6", "done 6", "halt 7", "done 7"}));
    EXPECT_EQ(callStates()[0].running, 0b1100u);
    EXPECT_EQ(callStates()[5].running, 0u);
}

TEST_F(LoopCallsTest, AtRestNoEndStartsAnythingAndReleasedSoundsAreNeverPlayed)
{
    run({1, 2});
    resetLoops();
    EXPECT_EQ(canal_control, kNoControlLoop);
    EXPECT_EQ(flags(pulsados2), "0000");
    EXPECT_EQ(flags(sonando), "0000");
    asignados[3] = 0;
    releaseAllSlots();
    for (int s = 0; s < kSlotCount; ++s)
        EXPECT_EQ(samples[s] == nullptr, s != 3) << "slot " << s;
    endPass(5);
    storeSlotSound(5, fakeSound("next5"));
    EXPECT_EQ(mixerCalls(), Calls({"free slot0", "free slot1", "free slot2", "free slot4",
                                   "free slot5", "free slot6", "free slot7", "done 5"}));

    clearMixerCalls();
    freeSlotSounds();
    EXPECT_EQ(mixerCalls(), Calls({"free slot3", "free next5"}));
}

TEST_F(LoopCallsTest, AssigningFreesTheOldSoundFirstAndMarksTheSlotWhateverTheDecode)
{
    assignSlot(1, "kits/hihat_open.wav", "hihat_open.wav");
    assignSlot(2, "missing.wav", "missing.wav");
    asignados[3] = 0;
    assignSlot(3, "kits/snare808.wav", "snare808.wav");
    EXPECT_EQ(mixerCalls(), Calls({"free slot1", "load kits/hihat_open.wav", "free slot2",
                                   "load missing.wav", "load kits/snare808.wav"}));
    EXPECT_STREQ(lista_samples[1], "kits/hihat_open.wav");
    EXPECT_STREQ(nombres[1], "hihat_op");
    EXPECT_EQ(samples[2], nullptr);
    EXPECT_EQ(asignados[2], 1);
    EXPECT_STREQ(nombres[2], "missing.");
    EXPECT_STREQ(nombres[3], "snare808");

    const std::string longPath = "loops/" + std::string(300, 'x') + ".wav";
    clearMixerCalls();
    assignSlot(4, longPath.c_str(), "ab.wav");
    EXPECT_EQ(mixerCalls(), Calls({"free slot4", "load " + longPath}));
    EXPECT_EQ(std::string(lista_samples[4]), longPath.substr(0, kSlotPathSize - 1));
    EXPECT_STREQ(nombres[4], "ab.wav");
    EXPECT_EQ(nombres[4][kSlotNameLength], '\0');
}

TEST_F(LoopCallsTest, ReplacingTheRunningControlLoopsSoundStartsABoundaryOnceStored)
{
    run({1, 2});
    assignSlot(5, "loops/new.wav", "new.wav");
    EXPECT_EQ(mixerCalls(), Calls({"free slot5", "load loops/new.wav", "play 5 loops/new.wav",
                                   "play 6 slot6", "done 6"}));

    clearMixerCalls();
    assignSlot(6, "loops/other.wav", "other.wav");
    EXPECT_EQ(mixerCalls(), Calls({"free slot6", "load loops/other.wav"}))
        << "another loop waits for the next boundary";
    endPass(5);
    EXPECT_EQ(mixerCalls().back(), "play 6 loops/other.wav");
}

TEST_F(LoopCallsTest, ABoundaryDuringTheDecodeNeverPlaysTheReleasedSound)
{
    run({1, 2});
    duringNextDecode([] { endPass(5); });
    assignSlot(6, "loops/other.wav", "other.wav");
    EXPECT_EQ(mixerCalls(), Calls({"free slot6", "load loops/other.wav", "done 5", "play 5 slot5",
                                   "play 6 null"}));
}
} // namespace
