// The demo content of the stage folder, decoded by the real mixer: every file
// sounds, the loops run in step and join without a click, and the preset names
// all eight files.
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

const std::string kStage = PADBOX_TEST_STAGE;
const char* const kKits[] = {"kits/kick.wav", "kits/clap.wav", "kits/hat.wav", "kits/tom.wav"};
const char* const kLoops[] = {"loops/beat.wav", "loops/bass.wav", "loops/keys.wav",
                              "loops/lead.wav"};
constexpr int kRate = 22050;
constexpr int kFrameBytes = 4; // 16-bit stereo
constexpr int kFullScale = 32767;

std::vector<int16_t> samplesOf(const Mix_Chunk* chunk)
{
    const int16_t* data = reinterpret_cast<const int16_t*>(chunk->abuf);
    return std::vector<int16_t>(data, data + chunk->alen / 2);
}

int peakOf(const std::vector<int16_t>& samples)
{
    int peak = 0;
    for (int16_t sample : samples)
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    return peak;
}

uint32_t littleEndian(const std::string& bytes, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

// The file must already be in the mixer's format, so that it plays as written.
void expectMixerFormat(const char* file)
{
    std::ifstream in(kStage + "/" + file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GE(bytes.size(), 44u) << file;
    EXPECT_EQ(bytes.substr(0, 4) + bytes.substr(8, 8), "RIFFWAVEfmt ") << file;
    EXPECT_EQ(littleEndian(bytes, 20, 2), 1u) << file << " is not PCM";
    EXPECT_EQ(littleEndian(bytes, 22, 2), 2u) << file << " is not stereo";
    EXPECT_EQ(littleEndian(bytes, 24, 4), static_cast<uint32_t>(kRate)) << file;
    EXPECT_EQ(littleEndian(bytes, 34, 2), 16u) << file << " is not 16-bit";
}

std::vector<int16_t> decode(const char* file)
{
    expectMixerFormat(file);
    Mix_Chunk* chunk = Mix_LoadWAV((kStage + "/" + file).c_str());
    EXPECT_NE(chunk, nullptr) << file << ": " << Mix_GetError();
    if (!chunk)
        return {};
    EXPECT_EQ(chunk->alen % kFrameBytes, 0u) << file;
    std::vector<int16_t> samples = samplesOf(chunk);
    Mix_FreeChunk(chunk);
    return samples;
}

struct DemoContent : ::testing::Test
{
    static void SetUpTestSuite()
    {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(kRate, AUDIO_S16LSB, 2, 256), 0) << Mix_GetError();
    }
    static void TearDownTestSuite()
    {
        Mix_CloseAudio();
        SDL_Quit();
    }
};

TEST_F(DemoContent, KitsAreShortAudibleHitsWithHeadroom)
{
    for (const char* kit : kKits)
    {
        const std::vector<int16_t> samples = decode(kit);
        const size_t frames = samples.size() / 2;
        EXPECT_GT(frames, 0u) << kit;
        EXPECT_LT(frames, static_cast<size_t>(kRate)) << kit << " should last under a second";
        EXPECT_GT(peakOf(samples), kFullScale / 10) << kit << " is nearly silent";
        EXPECT_LT(peakOf(samples), kFullScale / 2) << kit << " leaves the mix no headroom";
    }
}

TEST_F(DemoContent, LoopsHaveOneLengthJoinSmoothlyAndSumWithoutClipping)
{
    std::vector<int> sum;
    for (const char* loop : kLoops)
    {
        const std::vector<int16_t> samples = decode(loop);
        ASSERT_GT(samples.size(), static_cast<size_t>(2 * kRate)) << loop;
        if (sum.empty())
            sum.assign(samples.size(), 0);
        ASSERT_EQ(samples.size(), sum.size()) << loop << " differs in length from the beat";
        EXPECT_GT(peakOf(samples), kFullScale / 10) << loop << " is nearly silent";
        // The mixer restarts a loop right after its last frame: no jump there.
        for (int side = 0; side < 2; ++side)
            EXPECT_LT(std::abs(samples[side] - samples[samples.size() - 2 + side]), kFullScale / 50)
                << loop << " clicks where it restarts";
        for (size_t i = 0; i < samples.size(); ++i)
            sum[i] += samples[i];
    }
    const int loudest = *std::max_element(sum.begin(), sum.end());
    const int deepest = *std::min_element(sum.begin(), sum.end());
    EXPECT_LE(std::max(loudest, -deepest), kFullScale) << "the four loops together clip";
}

TEST(DemoPreset, AssignsTheKitsAndLoopsToTheirSlots)
{
    std::ifstream in(kStage + "/presets/demo.trp", std::ios::binary);
    ASSERT_TRUE(in) << "presets/demo.trp is missing";
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes, "Tamo Ri Presets\n"
                     "kits/kick.wav\nkits/clap.wav\nkits/hat.wav\nkits/tom.wav\n"
                     "loops/beat.wav\nloops/bass.wav\nloops/keys.wav\nloops/lead.wav\n"
                     "Oru\n"
                     "Se supone que no deberias estar leyendo esto.\n");
}

} // namespace
