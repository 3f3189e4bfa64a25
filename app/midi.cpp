#include "app/midi.h"

#include "app/layout.h"
#include "sound/pads.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

snd_seq_t* midiClient;
int midiPort = -1;
SDL_Thread* midiReader;
int midiWake[2] = {-1, -1};

namespace
{
const char kClientName[] = "padbox";
constexpr unsigned kInputCaps = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
constexpr unsigned kSourceCaps = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;

// alsa-lib prints its own line when the sequencer device is missing; the program's
// notice already says why.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

void connectIfSource(int client, int port)
{
    snd_seq_port_info_t* info;
    snd_seq_port_info_alloca(&info);
    // A port gone again before it could be asked about, or one already connected,
    // leaves things as they are.
    if (snd_seq_get_any_port_info(midiClient, client, port, info) == 0 &&
        isMidiSource(info, snd_seq_client_id(midiClient)))
        snd_seq_connect_from(midiClient, midiPort, client, port);
}

void connectEverySource()
{
    snd_seq_client_info_t* client;
    snd_seq_port_info_t* port;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(midiClient, client) == 0)
    {
        snd_seq_port_info_set_client(port, snd_seq_client_info_get_client(client));
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(midiClient, port) == 0)
            connectIfSource(snd_seq_port_info_get_client(port), snd_seq_port_info_get_port(port));
    }
}

void handleEvent(const snd_seq_event_t& event, int64_t stampUs)
{
    if (event.type == SND_SEQ_EVENT_PORT_START)
    {
        connectIfSource(event.data.addr.client, event.data.addr.port);
        return;
    }
    if (const std::optional<Hit> hit = midiHit(event, stampUs))
    {
        playHit(*hit);
        postHitLight(*hit);
    }
}

// Takes every event waiting, each stamped as it is taken.
void drainEvents()
{
    for (;;)
    {
        snd_seq_event_t* event;
        const int got = snd_seq_event_input(midiClient, &event);
        const int64_t stampUs = hitClockUs();
        if (got == -ENOSPC)
            continue; // the input overran and lost events; later ones still count
        if (got < 0)
            return;
        handleEvent(*event, stampUs);
    }
}

int readMidi(void*)
{
    std::vector<pollfd> fds(1 + snd_seq_poll_descriptors_count(midiClient, POLLIN));
    fds[0] = {midiWake[0], POLLIN, 0};
    snd_seq_poll_descriptors(midiClient, &fds[1], fds.size() - 1, POLLIN);
    for (;;)
    {
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return 0;
        if (fds[0].revents)
            return 0;
        drainEvents();
    }
}

// The client with its port, subscribed to the announcements and to every source;
// the reason why not otherwise.
const char* openClient()
{
    snd_lib_error_set_handler(quietAlsa);
    const int opened = snd_seq_open(&midiClient, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK);
    snd_lib_error_set_handler(nullptr);
    if (opened < 0)
    {
        midiClient = nullptr;
        return snd_strerror(opened);
    }
    snd_seq_set_client_name(midiClient, kClientName);
    midiPort =
        snd_seq_create_simple_port(midiClient, kClientName, kInputCaps,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (midiPort < 0)
        return snd_strerror(midiPort);
    const int announced = snd_seq_connect_from(midiClient, midiPort, SND_SEQ_CLIENT_SYSTEM,
                                               SND_SEQ_PORT_SYSTEM_ANNOUNCE);
    if (announced < 0)
        return snd_strerror(announced);
    connectEverySource();
    if (pipe2(midiWake, O_CLOEXEC) < 0)
        return "no pipe to stop its reader";
    midiReader = SDL_CreateThread(readMidi, nullptr);
    return midiReader ? nullptr : SDL_GetError();
}

void closeClient()
{
    if (midiClient)
        snd_seq_close(midiClient);
    midiClient = nullptr;
    midiPort = -1;
    for (int& fd : midiWake)
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}
} // namespace

std::optional<Hit> midiHit(const snd_seq_event_t& event, int64_t stampUs)
{
    if (event.type != SND_SEQ_EVENT_NOTEON || event.data.note.velocity == 0)
        return std::nullopt;
    const int note = event.data.note.note;
    if (note >= kFirstOneShotNote && note < kFirstOneShotNote + kPadCount)
        return Hit{kOneShotHit, note - kFirstOneShotNote, event.data.note.velocity, stampUs};
    if (note >= kFirstLoopNote && note < kFirstLoopNote + kPadCount)
        return Hit{kLoopHit, note - kFirstLoopNote, event.data.note.velocity, stampUs};
    return std::nullopt;
}

bool isMidiSource(const snd_seq_port_info_t* port, int self)
{
    const int client = snd_seq_port_info_get_client(port);
    return (snd_seq_port_info_get_capability(port) & kSourceCaps) == kSourceCaps &&
           client != SND_SEQ_CLIENT_SYSTEM && client != self;
}

void startMidi()
{
    if (const char* why = openClient())
    {
        fprintf(stderr, "Couldn't open the ALSA sequencer: %s; running without MIDI\n", why);
        closeClient();
    }
}

void stopMidi()
{
    if (midiReader)
    {
        const char wake = 0;
        [[maybe_unused]] const ssize_t written = write(midiWake[1], &wake, 1);
        SDL_WaitThread(midiReader, nullptr);
        midiReader = nullptr;
    }
    closeClient();
}
