// MIDI input's pure parts: which events are hits, and which ports the client connects.
#include "app/layout.h"
#include "app/midi.h"

#include <gtest/gtest.h>

namespace
{
constexpr int64_t kStampUs = 123456789;

snd_seq_event_t noteOn(int channel, int note, int velocity)
{
    snd_seq_event_t event{};
    snd_seq_ev_set_noteon(&event, channel, note, velocity);
    return event;
}

snd_seq_port_info_t* port(int client, unsigned capability)
{
    snd_seq_port_info_t* info = nullptr;
    snd_seq_port_info_malloc(&info);
    snd_seq_port_info_set_client(info, client);
    snd_seq_port_info_set_capability(info, capability);
    return info;
}

bool connects(int client, unsigned capability, int self)
{
    snd_seq_port_info_t* info = port(client, capability);
    const bool source = isMidiSource(info, self);
    snd_seq_port_info_free(info);
    return source;
}
} // namespace

TEST(Midi, NotesOfTheMapOnAnyChannelAreHitsWithTheirVelocity)
{
    for (int channel : {0, 9, 15})
        for (int pad = 0; pad < kPadCount; ++pad)
        {
            const auto shot = midiHit(noteOn(channel, kFirstOneShotNote + pad, 1), kStampUs);
            ASSERT_TRUE(shot.has_value());
            EXPECT_EQ(shot->kind, kOneShotHit);
            EXPECT_EQ(shot->index, pad);
            EXPECT_EQ(shot->velocity, 1);
            EXPECT_EQ(shot->stampUs, kStampUs);
            const auto loop = midiHit(noteOn(channel, kFirstLoopNote + pad, 127), kStampUs);
            ASSERT_TRUE(loop.has_value());
            EXPECT_EQ(loop->kind, kLoopHit);
            EXPECT_EQ(loop->index, pad);
            EXPECT_EQ(loop->velocity, 127);
        }
    EXPECT_EQ(midiHit(noteOn(3, 38, 64), kStampUs)->velocity, 64);
}

TEST(Midi, OtherNotesVelocityZeroNoteOffsAndOtherEventsAreNothing)
{
    for (int note : {0, 35, 44, 60, 127})
        EXPECT_FALSE(midiHit(noteOn(0, note, 100), kStampUs)) << note;
    EXPECT_FALSE(midiHit(noteOn(0, 36, 0), kStampUs)) << "a note-on at velocity 0 ends a note";

    snd_seq_event_t event{};
    snd_seq_ev_set_noteoff(&event, 0, 36, 64);
    EXPECT_FALSE(midiHit(event, kStampUs));
    snd_seq_ev_set_keypress(&event, 0, 40, 64);
    EXPECT_FALSE(midiHit(event, kStampUs));
    snd_seq_ev_set_controller(&event, 0, 36, 127);
    EXPECT_FALSE(midiHit(event, kStampUs));
    snd_seq_ev_set_pgmchange(&event, 0, 36);
    EXPECT_FALSE(midiHit(event, kStampUs));
    event = noteOn(0, 36, 100);
    event.type = SND_SEQ_EVENT_PORT_START; // an announcement whose bytes read as a note
    EXPECT_FALSE(midiHit(event, kStampUs));
}

TEST(Midi, ConnectsReadableSubscribablePortsOfOtherClientsButTheSystem)
{
    constexpr int kSelf = 128, kController = 20, kThrough = 14;
    constexpr unsigned kRead = SND_SEQ_PORT_CAP_READ, kSubsRead = SND_SEQ_PORT_CAP_SUBS_READ;
    constexpr unsigned kDuplex = kRead | kSubsRead | SND_SEQ_PORT_CAP_WRITE |
                                 SND_SEQ_PORT_CAP_SUBS_WRITE | SND_SEQ_PORT_CAP_DUPLEX;
    EXPECT_TRUE(connects(kController, kRead | kSubsRead, kSelf));
    EXPECT_TRUE(connects(kThrough, kDuplex, kSelf));
    EXPECT_FALSE(connects(kController, kRead, kSelf)) << "not subscribable";
    EXPECT_FALSE(connects(kController, kSubsRead, kSelf)) << "not readable";
    EXPECT_FALSE(connects(kController, SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE, kSelf))
        << "an output";
    EXPECT_FALSE(connects(SND_SEQ_CLIENT_SYSTEM, kDuplex, kSelf)) << "timer and announcements";
    EXPECT_FALSE(connects(kSelf, kDuplex, kSelf)) << "itself";
}
