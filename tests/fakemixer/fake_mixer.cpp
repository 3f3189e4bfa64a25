#include "tests/fakemixer/fake_mixer.h"

#include "sound/decode.h"
#include "sound/loops.h"
#include "sound/mixer.h"

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
std::vector<std::vector<Uint8>> sampleStorage;
Mix_Chunk* playedSound[kFakeChannels];
int reporting[kFakeChannels];
int64_t endsAt[kFakeChannels];
int64_t passStart; // frames of the passes before the one being mixed
int64_t inPass;    // frames of this pass mixed before the report or hook being run
Uint8 pass[kMixerBuffer * kMixerFrameBytes];
void (*postMix)(void*, Uint8*, int);
void (*channelFinished)(int);

void record(const std::string& call)
{
    mixerCalls.push_back(call);
    locksAtCall.push_back(audioLocks);
}

int64_t frames(size_t bytes)
{
    return int64_t(bytes) / kMixerFrameBytes;
}

// A slot's sound by its label; a view into one as "label[first:end)" in its frames.
std::string nameOf(const Uint8* data, Uint32 bytes)
{
    for (const auto& [sound, label] : labels)
        if (data >= sound->abuf && data < sound->abuf + sound->alen)
        {
            const std::string name = (freed.count(sound) ? "FREED:" : "") + label;
            if (data == sound->abuf && bytes == sound->alen)
                return name;
            const int64_t first = frames(size_t(data - sound->abuf));
            return name + "[" + std::to_string(first) + ":" +
                   std::to_string(first + frames(bytes)) + "]";
        }
    return "unknown";
}

std::string nameOf(const Mix_Chunk* chunk)
{
    return chunk ? nameOf(chunk->abuf, chunk->alen) : "null";
}

void report(int channel)
{
    record("done " + std::to_string(channel));
    if (++reporting[channel] > kMaxReportDepth)
        ADD_FAILURE() << "channel " << channel << " reported from inside its own report";
    else if (channelFinished)
        channelFinished(channel);
    --reporting[channel];
}

void finishPass()
{
    inPass = kMixerBuffer; // what the hook starts is heard from the next pass on
    if (postMix)
        postMix(nullptr, pass, sizeof pass);
    inPass = 0;
    passStart += kMixerBuffer;
}
} // namespace

Mix_Chunk* fakeSound(const std::string& label, int frames)
{
    sampleStorage.emplace_back(size_t(frames * kMixerFrameBytes));
    storage.push_back(std::make_unique<Mix_Chunk>());
    Mix_Chunk* sound = storage.back().get();
    *sound = {1, sampleStorage.back().data(), Uint32(sampleStorage.back().size()), MIX_MAX_VOLUME};
    labels[sound] = label;
    return sound;
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
    std::fill(std::begin(endsAt), std::end(endsAt), 0);
    audioLocks = 0;
    duringNextDecode = nullptr;
    postMix = nullptr;
    channelFinished = nullptr;
}

void endPass(int channel)
{
    const int64_t end = std::max(endsAt[channel], passStart + 1);
    while (end > passStart + kMixerBuffer)
        finishPass();
    inPass = end - passStart;
    playing[channel] = false;
    report(channel);
    finishPass();
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
    if (nameOf(chunk).rfind("FREED:", 0) == 0)
        ADD_FAILURE() << "a freed sound was played on channel " << channel;
    if (playing[channel])
        report(channel);
    playing[channel] = true;
    playedSound[channel] = chunk;
    endsAt[channel] = passStart + inPass + frames(chunk->alen);
    return channel;
}

Mix_Chunk* Mix_GetChunk(int channel)
{
    return playedSound[channel];
}

int Mix_Volume(int, int)
{
    return MIX_MAX_VOLUME;
}

void SDL_MixAudio(Uint8* into, const Uint8* from, Uint32 bytes, int volume)
{
    EXPECT_EQ(volume, MIX_MAX_VOLUME);
    record("mix " + nameOf(from, bytes) + " at " + std::to_string(frames(size_t(into - pass))));
}

void Mix_SetPostMix(void (*hook)(void*, Uint8*, int), void*)
{
    postMix = hook;
}

void Mix_ChannelFinished(void (*hook)(int))
{
    channelFinished = hook;
}

int Mix_OpenAudio(int, Uint16, int, int)
{
    return 0;
}

void Mix_CloseAudio() {}

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
    {
        if (playedSound[c] == chunk)
            playing[c] = false; // silenced without a report
        else if (playing[c] && nameOf(playedSound[c]).rfind("FREED:", 0) == 0)
            ADD_FAILURE() << "channel " << c << " plays on in a freed sound";
    }
}

Mix_Chunk* decodeSound(const char* path)
{
    record(std::string("load ") + path);
    if (duringNextDecode)
        std::exchange(duringNextDecode, nullptr)();
    return std::string(path).rfind("missing", 0) == 0 ? nullptr : fakeSound(path);
}
