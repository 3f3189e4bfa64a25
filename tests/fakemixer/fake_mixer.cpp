#include "tests/fakemixer/fake_mixer.h"

#include "sound/decode.h"
#include "sound/loops.h"

#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace
{
constexpr int kChannels = 8;
constexpr int kMaxReportDepth = 2; // a report inside a report of the same channel is a loop

struct Sound
{
    std::string label;
    bool freed = false;
};

std::vector<std::string> calls;
std::vector<CallState> states;
bool playing[kChannels];
const Mix_Chunk* playedSound[kChannels];
int reporting[kChannels];
int locks;
std::map<const Mix_Chunk*, Sound> sounds;
std::vector<std::unique_ptr<Mix_Chunk>> storage;
std::function<void()> decodeHook;
SDL_RWops openedFile;
std::string openedPath;

void record(const std::string& call)
{
    unsigned running = 0;
    for (int i = 0; i < kLoopCount; ++i)
        running |= sonando[i] ? 1u << i : 0u;
    calls.push_back(call);
    states.push_back({canal_control, running, locks});
}

std::string nameOf(const Mix_Chunk* chunk)
{
    if (!chunk)
        return "null";
    const Sound& sound = sounds.at(chunk);
    return sound.freed ? "FREED:" + sound.label : sound.label;
}

void report(int channel)
{
    record("done " + std::to_string(channel));
    if (++reporting[channel] > kMaxReportDepth)
        ADD_FAILURE() << "channel " << channel << " reported from inside its own report";
    else
        channelDone(channel);
    --reporting[channel];
}
} // namespace

Mix_Chunk* fakeSound(const std::string& label)
{
    storage.push_back(std::make_unique<Mix_Chunk>());
    sounds[storage.back().get()] = Sound{label};
    return storage.back().get();
}

const std::vector<std::string>& mixerCalls()
{
    return calls;
}

const std::vector<CallState>& callStates()
{
    return states;
}

void clearMixerCalls()
{
    calls.clear();
    states.clear();
}

void resetFakeMixer()
{
    clearMixerCalls();
    for (int c = 0; c < kChannels; ++c)
    {
        playing[c] = false;
        playedSound[c] = nullptr;
        reporting[c] = 0;
    }
    locks = 0;
    decodeHook = nullptr;
}

void endPass(int channel)
{
    playing[channel] = false;
    report(channel);
}

bool fakePlaying(int channel)
{
    return playing[channel];
}

void duringNextDecode(std::function<void()> hook)
{
    decodeHook = std::move(hook);
}

int lockDepth()
{
    return locks;
}

void SDL_LockAudio()
{
    ++locks;
}

void SDL_UnlockAudio()
{
    EXPECT_GT(locks, 0) << "audio lock released more often than taken";
    --locks;
}

int Mix_Playing(int channel)
{
    return playing[channel];
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks)
{
    EXPECT_EQ(loops, 0);
    EXPECT_EQ(ticks, -1);
    record("play " + std::to_string(channel) + " " + nameOf(chunk));
    if (chunk && sounds.at(chunk).freed)
        ADD_FAILURE() << "a freed sound was played on channel " << channel;
    if (!chunk)
        return -1; // refused before the channel is touched
    if (playing[channel])
        report(channel);
    playing[channel] = true;
    playedSound[channel] = chunk;
    return channel;
}

int Mix_HaltChannel(int channel)
{
    record("halt " + std::to_string(channel));
    if (playing[channel])
    {
        report(channel);
        playing[channel] = false;
    }
    return 0;
}

void Mix_FreeChunk(Mix_Chunk* chunk)
{
    if (!chunk)
        return;
    record("free " + nameOf(chunk));
    if (sounds.at(chunk).freed)
        ADD_FAILURE() << "a sound was freed twice";
    sounds.at(chunk).freed = true;
    for (int c = 0; c < kChannels; ++c)
        if (playedSound[c] == chunk)
            playing[c] = false; // silenced without a report
}

SDL_RWops* SDL_RWFromFile(const char* file, const char*)
{
    openedPath = file;
    record("load " + openedPath);
    return openedPath.rfind("missing", 0) == 0 ? nullptr : &openedFile;
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* file, int)
{
    if (decodeHook)
    {
        auto hook = std::move(decodeHook);
        decodeHook = nullptr;
        hook();
    }
    if (!file)
        return nullptr;
    return fakeSound(openedPath);
}

// The decoder stands aside: every file goes straight to the stand-in loader.
Mix_Chunk* decodeSound(const char* path)
{
    return Mix_LoadWAV_RW(SDL_RWFromFile(path, "rb"), 1);
}
