// Synthesizes the demo kits, loops and preset. Usage: mkdemo <stagedir>
//
// The loops are two bars of 4/4 at 105 BPM in A minor over Am7 - Fmaj7 - Cmaj7 - G,
// two beats per chord, with a light swing on the off-beat sixteenths. They all have
// exactly the same length, so any of them can lead the others in step.
#include "demosynth.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace
{

constexpr int kTempo = 105; // beats per minute
constexpr int kStepsPerBeat = 4;
constexpr int kStepFrames = kRate * 60 / (kTempo * kStepsPerBeat);
static_assert(kStepFrames * kTempo * kStepsPerBeat == kRate * 60, "a step is whole frames");
constexpr int kLoopSteps = 2 * 4 * kStepsPerBeat; // two bars
constexpr int kLoopFrames = kLoopSteps * kStepFrames;
constexpr int kSwingFrames = kStepFrames * 2 / 15; // off-beat sixteenths come this late
constexpr int kStrumFrames = 60;                   // spread of a chord's notes
constexpr int kEdgeFadeFrames = 32;                // about 1.5 ms at each end of a pitched loop

// Peak of each file in dBFS: loops low enough that four of them and a pad hit
// summed by the mixer stay clear of clipping.
constexpr float kBeatPeak = -10;
constexpr float kBassPeak = -10;
constexpr float kKeysPeak = -11;
constexpr float kLeadPeak = -11;
constexpr float kOneShotPeak = -9;

constexpr float kHatPan = 0.3f;
constexpr float kTomHz = 110.0f; // A2
constexpr float kLeadEchoFeedback = 0.35f;
constexpr int kLeadEchoSteps = 3;

constexpr const char* kSlotFiles[] = {"kits/kick.wav",  "kits/clap.wav",  "kits/hat.wav",
                                      "kits/tom.wav",   "loops/beat.wav", "loops/bass.wav",
                                      "loops/keys.wav", "loops/lead.wav"};
constexpr int kSlotCount = sizeof kSlotFiles / sizeof kSlotFiles[0];

struct Hit
{
    int step;
    float velocity;
};

struct Note
{
    int step;
    float length; // in steps
    int midi;
    float velocity;
};

struct Chord
{
    int step;
    float length; // in steps
    int midi[4];
    float velocity;
};

const Hit kKicks[] = {{0, 1.0f}, {7, 0.75f}, {10, 0.95f}, {16, 1.0f}, {22, 0.8f}, {26, 0.95f}};
const Hit kClaps[] = {{4, 1.0f}, {12, 1.0f}, {15, 0.3f}, {20, 1.0f}, {28, 1.0f}, {30, 0.3f}};
const int kOpenHatSteps[] = {14, 30};
const int kGhostHatSteps[] = {3, 11, 19, 23, 29};

const Note kBassLine[] = {{0, 3, 33, 1.0f},     {3, 1, 33, 0.6f},  {6, 2, 45, 0.8f},  // A
                          {8, 3, 29, 1.0f},     {11, 1, 29, 0.6f}, {14, 2, 41, 0.8f}, // F
                          {16, 3, 36, 1.0f},    {19, 1, 36, 0.6f}, {22, 2, 40, 0.8f}, // C
                          {24, 3, 31, 1.0f},    {27, 1, 31, 0.6f}, {28, 2, 43, 0.8f}, // G
                          {30, 1.5f, 35, 0.75f}}; // B leads back to A

// Am7, Fmaj7, Cmaj7 and G: each struck on its first beat and touched again,
// softer, an eighth before the next chord.
const Chord kChords[] = {{0, 5.5f, {57, 60, 64, 67}, 0.8f},  {6, 1.5f, {57, 60, 64, 67}, 0.55f},
                         {8, 5.5f, {53, 57, 60, 64}, 0.8f},  {14, 1.5f, {53, 57, 60, 64}, 0.55f},
                         {16, 5.5f, {55, 59, 64, 67}, 0.8f}, {22, 1.5f, {55, 59, 64, 67}, 0.55f},
                         {24, 5.5f, {55, 59, 62, 67}, 0.8f}, {30, 1.5f, {55, 59, 62, 67}, 0.55f}};

const Note kMelody[] = {{0, 3, 76, 1.0f},   {3, 1, 74, 0.8f},   {4, 2, 72, 0.9f},
                        {6, 2, 69, 0.85f},  {8, 3, 72, 1.0f},   {11, 1, 69, 0.8f},
                        {12, 2, 72, 0.9f},  {14, 2, 74, 0.85f}, {16, 3, 76, 1.0f},
                        {19, 1, 79, 0.85f}, {20, 2, 76, 0.9f},  {22, 2, 74, 0.85f},
                        {24, 3, 74, 1.0f},  {27, 1, 72, 0.8f},  {28, 3, 71, 0.9f}};

// Frame at which a sixteenth step starts, with the swing on odd steps.
long stepFrame(int step)
{
    return static_cast<long>(step) * kStepFrames + (step % 2 ? kSwingFrames : 0);
}

long gateFrames(float steps, float held)
{
    return static_cast<long>(steps * held * kStepFrames);
}

Sound renderKick()
{
    Sound sound = makeSound(kKickFrames);
    playKick(sound, 0, 1);
    return sound;
}

Sound renderClap()
{
    Sound sound = makeSound(kClapFrames);
    playClap(sound, 0, 1);
    return sound;
}

Sound renderHat()
{
    Sound sound = makeSound(kClosedHatFrames);
    playHat(sound, 0, 1, false, 0);
    return sound;
}

Sound renderTom()
{
    Sound sound = makeSound(kTomFrames);
    playTom(sound, 0, 1, kTomHz);
    return sound;
}

// Kick and clap with ghost notes, eighth-note hats accented on the off-beat and
// a few swung sixteenths, open hats before each bar line.
Sound renderBeat()
{
    Sound sound = makeSound(kLoopFrames);
    for (const Hit& hit : kKicks)
        playKick(sound, stepFrame(hit.step), hit.velocity);
    for (const Hit& hit : kClaps)
        playClap(sound, stepFrame(hit.step), hit.velocity);
    for (int step = 0; step < kLoopSteps; step += 2)
    {
        const bool open = std::find(std::begin(kOpenHatSteps), std::end(kOpenHatSteps), step) !=
                          std::end(kOpenHatSteps);
        const float velocity = (step % 4 ? 0.7f : 0.45f) - 0.05f * (step % 8 == 6);
        playHat(sound, stepFrame(step), open ? 0.5f : velocity, open, kHatPan);
    }
    for (int step : kGhostHatSteps)
        playHat(sound, stepFrame(step), 0.3f, false, kHatPan);
    return sound;
}

Sound renderBass()
{
    Sound sound = makeSound(kLoopFrames);
    for (const Note& note : kBassLine)
        playBass(sound, stepFrame(note.step), gateFrames(note.length, 0.85f), note.midi,
                 note.velocity);
    fadeEdges(sound, kEdgeFadeFrames);
    return sound;
}

// The chords with their notes a few milliseconds apart, low to high.
Sound renderKeys()
{
    Sound sound = makeSound(kLoopFrames);
    for (const Chord& chord : kChords)
        for (int k = 0; k < 4; ++k)
            playKeys(sound, stepFrame(chord.step) + k * kStrumFrames, gateFrames(chord.length, 1),
                     chord.midi[k], chord.velocity);
    fadeEdges(sound, kEdgeFadeFrames);
    return sound;
}

Sound renderLead()
{
    Sound sound = makeSound(kLoopFrames);
    for (const Note& note : kMelody)
        playLead(sound, stepFrame(note.step), gateFrames(note.length, 0.9f), note.midi,
                 note.velocity);
    addEcho(sound, static_cast<long>(kLeadEchoSteps) * kStepFrames, kLeadEchoFeedback);
    fadeEdges(sound, kEdgeFadeFrames);
    return sound;
}

// Renders slot's sound at its level, in the order of kSlotFiles.
Sound renderSlot(int slot)
{
    struct Part
    {
        Sound (*render)();
        float peak;
    };
    static const Part parts[] = {{renderKick, kOneShotPeak}, {renderClap, kOneShotPeak},
                                 {renderHat, kOneShotPeak},  {renderTom, kOneShotPeak},
                                 {renderBeat, kBeatPeak},    {renderBass, kBassPeak},
                                 {renderKeys, kKeysPeak},    {renderLead, kLeadPeak}};
    Sound sound = parts[slot].render();
    normalizePeak(sound, parts[slot].peak);
    return sound;
}

void putLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

int16_t toSample(float value)
{
    const float scaled = value * 32767;
    const float clamped = scaled > 32767 ? 32767 : scaled < -32768 ? -32768 : scaled;
    return static_cast<int16_t>(clamped < 0 ? clamped - 0.5f : clamped + 0.5f);
}

// RIFF/WAVE, PCM 16-bit signed little-endian, stereo, at the mixer's rate.
std::vector<uint8_t> wavBytes(const Sound& sound)
{
    constexpr int kChannels = 2;
    constexpr int kFrameBytes = kChannels * 2;
    const uint32_t dataBytes = static_cast<uint32_t>(soundFrames(sound)) * kFrameBytes;
    std::vector<uint8_t> bytes;
    auto tag = [&bytes](const char* text) { bytes.insert(bytes.end(), text, text + 4); };
    tag("RIFF");
    putLittleEndian(bytes, 36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    putLittleEndian(bytes, 16, 4);
    putLittleEndian(bytes, 1, 2); // PCM
    putLittleEndian(bytes, kChannels, 2);
    putLittleEndian(bytes, kRate, 4);
    putLittleEndian(bytes, kRate * kFrameBytes, 4);
    putLittleEndian(bytes, kFrameBytes, 2);
    putLittleEndian(bytes, 16, 2);
    tag("data");
    putLittleEndian(bytes, dataBytes, 4);
    for (int i = 0; i < soundFrames(sound); ++i)
    {
        putLittleEndian(bytes, static_cast<uint16_t>(toSample(sound.left[i])), 2);
        putLittleEndian(bytes, static_cast<uint16_t>(toSample(sound.right[i])), 2);
    }
    return bytes;
}

// The preset that assigns every demo file to its slot.
std::string presetText()
{
    std::string text = "Tamo Ri Presets\n";
    for (const char* path : kSlotFiles)
        text += std::string(path) + "\n";
    return text + "Oru\nSe supone que no deberias estar leyendo esto.\n";
}

bool writeFile(const std::string& path, const void* data, size_t size)
{
    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const bool written = fwrite(data, 1, size, out) == size;
    return fclose(out) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: mkdemo <stagedir>\n");
        return 2;
    }
    const std::string stage = argv[1];
    std::error_code error;
    for (const char* folder : {"/kits", "/loops", "/presets"})
        std::filesystem::create_directories(stage + folder, error);
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        const std::string path = stage + "/" + kSlotFiles[slot];
        const std::vector<uint8_t> bytes = wavBytes(renderSlot(slot));
        if (!writeFile(path, bytes.data(), bytes.size()))
        {
            fprintf(stderr, "mkdemo: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    const std::string preset = stage + "/presets/demo.trp";
    const std::string text = presetText();
    if (!writeFile(preset, text.data(), text.size()))
    {
        fprintf(stderr, "mkdemo: cannot write %s\n", preset.c_str());
        return 1;
    }
    return 0;
}
