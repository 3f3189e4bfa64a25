// MIDI input: an ALSA sequencer client "padbox" with one input port, connected to every
// MIDI source there is and to each one that appears later. A thread of its own blocks
// on the sequencer and turns each note-on of the note map into a hit the moment it
// arrives: its sound at once, its light through the main thread's event queue. The note
// map is the layout's, on any channel, as common 8-pad controllers send by default.
#pragma once

#include "app/layout.h"
#include "sound/hits.h"

#include <SDL/SDL_thread.h>
#include <alsa/asoundlib.h>

#include <optional>

// The open client, or null while the program runs without MIDI; its input port.
extern snd_seq_t* midiClient;
extern int midiPort;
// The reader thread while MIDI runs, and the pipe whose write end wakes it to stop.
extern SDL_Thread* midiReader;
extern int midiWake[2];

// The hit an event makes, stamped stampUs: a note-on of the map with velocity 1-127.
// Nothing for velocity 0, a note-off, a note outside the map or any other event.
std::optional<Hit> midiHit(const snd_seq_event_t& event, int64_t stampUs);

// Whether client `self` connects to this port: readable and subscribable, of a client
// other than the system's and its own.
bool isMidiSource(const snd_seq_port_info_t* port, int self);

// Opens the client, connects it to every source, listens to the sequencer's
// announcements and starts the reader. Without a sequencer one line on standard error
// says why and the program runs on without MIDI.
void startMidi();

// Wakes the reader, waits for it to end and closes the client. Nothing while the
// program runs without MIDI.
void stopMidi();
