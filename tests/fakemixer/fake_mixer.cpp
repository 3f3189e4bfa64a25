#include "tests/fakemixer/fake_mixer.h"

#include "sound/decode.h"
#include "sound/loops.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>

std::vector<std::string> mixerCalls;
std::vector<int> locksAtCall;
int audioLocks;
bool playing[kFakeChannels];
std::function<void()> duringNextDecode;

namespace
{
constexpr int kMaxReportDepth = 2; // a report inside a report of the same channel is a loop

std::map<const Mix_Chunk*, std::string> labels;
std::set<const Mix_Chunk*> freed;
std::vector<std::unique_ptr<Mix_Chunk>> storage;
const Mix_Chunk* playedSound[kFakeChannels];
int reporting[kFakeChannels];

void record(const std::string& call)
{
    mixerCalls.push_back(call);
    locksAtCall.push_back(audioLocks);
}

std::string nameOf(const Mix_Chunk* chunk)
{
    return chunk ? (freed.count(chunk) ? "FREED:" : "") + labels.at(chunk) : "null";
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
    labels[storage.back().get()] = label;
    return storage.back().get();
}

void clearMixerCalls()
{
    mixerCalls.clear();
    locksAtCall.clear();
}

void resetFakeMixer()
{
    clearMixerCalls();
    std::fill(std::begin(playing), std::end(playing), false);
    std::fill(std::begin(playedSound), std::end(playedSound), nullptr);
    audioLocks = 0;
    duringNextDecode = nullptr;
}

void endPass(int channel)
{
    playing[channel] = false;
    report(channel);
}

void SDL_LockAudio()
{
    ++audioLocks;
}

void SDL_UnlockAudio()
{
    EXPECT_GT(audioLocks, 0) << "audio lock released more often than taken";
    --audioLocks;
}

int Mix_Playing(int channel)
{
    return playing[channel];
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks)
{
    EXPECT_EQ(loops, 0) << "a slot plays once";
    EXPECT_EQ(ticks, -1);
    record("play " + std::to_string(channel) + " " + nameOf(chunk));
    if (!chunk)
        return -1; // refused before the channel is touched
    if (freed.count(chunk))
        ADD_FAILURE() << "a freed sound was played on channel " << channel;
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
    if (!freed.insert(chunk).second)
        ADD_FAILURE() << "a sound was freed twice";
    for (int c = 0; c < kFakeChannels; ++c)
        if (playedSound[c] == chunk)
            playing[c] = false; // silenced without a report
}

Mix_Chunk* decodeSound(const char* path)
{
    record(std::string("load ") + path);
    if (duringNextDecode)
        std::exchange(duringNextDecode, nullptr)();
    return std::string(path).rfind("missing", 0) == 0 ? nullptr : fakeSound(path);
}
