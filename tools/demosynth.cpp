#include "demosynth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{

constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 2 * kPi;
constexpr float kKickHz = 55.0f;       // A1: the kick settles on the key's root
constexpr float kClapHz = 1200.0f;     // centre of the clap's noise band
constexpr float kHatLowCut = 6500.0f;  // the hat keeps only what lies above this
constexpr float kHatSheen = 9500.0f;   // and is brightened around this
constexpr float kEchoDarken = 2500.0f; // echoes lose what lies above this
constexpr int kEchoTaps = 3;

uint32_t noise_state = 0x2545f491u;

float wrapPhase(float phase)
{
    return phase - std::floor(phase);
}

// Smooth fade over the last quarter of a drum voice, so it ends on silence
// however slowly its decay was going.
float tailFade(int frame, int frames)
{
    const float start = 0.75f * frames;
    if (frame < start)
        return 1;
    return 0.5f * (1 + std::cos(kPi * (frame - start) / (frames - start)));
}

// Short linear rise that keeps a hard-started voice from clicking.
float rise(float t, float seconds)
{
    return std::min(1.0f, t / seconds);
}

float polyBlep(float phase, float step)
{
    if (phase < step)
    {
        const float x = phase / step;
        return x + x - x * x - 1;
    }
    if (phase > 1 - step)
    {
        const float x = (phase - 1) / step;
        return x * x + x + x + 1;
    }
    return 0;
}

float cents(float amount)
{
    return std::pow(2.0f, amount / 1200);
}

} // namespace

Sound makeSound(int frames)
{
    return Sound{std::vector<float>(frames), std::vector<float>(frames)};
}

int soundFrames(const Sound& sound)
{
    return static_cast<int>(sound.left.size());
}

void mixFrame(Sound& sound, long frame, float left, float right)
{
    const long index = frame % soundFrames(sound);
    sound.left[index] += left;
    sound.right[index] += right;
}

float peakOf(const Sound& sound)
{
    float peak = 0;
    for (int i = 0; i < soundFrames(sound); ++i)
        peak = std::max({peak, std::fabs(sound.left[i]), std::fabs(sound.right[i])});
    return peak;
}

void normalizePeak(Sound& sound, float peakDb)
{
    const float gain = std::pow(10.0f, peakDb / 20) / peakOf(sound);
    for (int i = 0; i < soundFrames(sound); ++i)
    {
        sound.left[i] *= gain;
        sound.right[i] *= gain;
    }
}

void fadeEdges(Sound& sound, int frames)
{
    const int last = soundFrames(sound) - 1;
    for (int i = 0; i < frames; ++i)
    {
        const float gain = static_cast<float>(i) / frames;
        sound.left[i] *= gain;
        sound.right[i] *= gain;
        sound.left[last - i] *= gain;
        sound.right[last - i] *= gain;
    }
}

float noteHz(float midi)
{
    return 440.0f * std::pow(2.0f, (midi - 69) / 12);
}

float whiteNoise()
{
    noise_state ^= noise_state << 13;
    noise_state ^= noise_state >> 17;
    noise_state ^= noise_state << 5;
    return static_cast<float>(noise_state) / 2147483648.0f - 1;
}

SvfOut svfTick(Svf& filter, float in, float cutoff, float q)
{
    const float g = std::tan(kPi * std::min(cutoff, 0.45f * kRate) / kRate);
    const float k = 1 / q;
    const float a1 = 1 / (1 + g * (g + k));
    const float a2 = g * a1;
    const float a3 = g * a2;
    const float v3 = in - filter.ic2;
    const float v1 = a1 * filter.ic1 + a2 * v3;
    const float v2 = filter.ic2 + a2 * filter.ic1 + a3 * v3;
    filter.ic1 = 2 * v1 - filter.ic1;
    filter.ic2 = 2 * v2 - filter.ic2;
    return SvfOut{v2, v1, in - k * v1 - v2};
}

float onePoleLow(OnePole& filter, float in, float cutoff)
{
    filter.z += (1 - std::exp(-kTwoPi * cutoff / kRate)) * (in - filter.z);
    return filter.z;
}

float sawTick(float& phase, float hz)
{
    const float step = hz / kRate;
    const float value = 2 * phase - 1 - polyBlep(phase, step);
    phase = wrapPhase(phase + step);
    return value;
}

float envelopeAt(const Envelope& envelope, float t, float gate)
{
    auto held = [&envelope](float u)
    {
        if (u < envelope.attack)
            return u / envelope.attack;
        return envelope.sustain +
               (1 - envelope.sustain) * std::exp(-(u - envelope.attack) / envelope.decay);
    };
    if (t < gate)
        return held(t);
    const float left = 1 - (t - gate) / envelope.release;
    return left > 0 ? held(gate) * left * left : 0;
}

// Sine whose pitch falls fast from a click to the root, with a filtered noise tick
// on top, driven softly into saturation for punch.
void playKick(Sound& out, long at, float velocity)
{
    float phase = 0;
    Svf tickFilter;
    for (int i = 0; i < kKickFrames; ++i)
    {
        const float t = static_cast<float>(i) / kRate;
        const float hz = kKickHz + 110 * std::exp(-t / 0.03f) + 380 * std::exp(-t / 0.004f);
        const float body = std::sin(kTwoPi * phase) * std::exp(-t / 0.17f);
        phase = wrapPhase(phase + hz / kRate);
        const float tick = svfTick(tickFilter, whiteNoise(), 3000, 0.7f).high * rise(t, 0.0003f) *
                           std::exp(-t / 0.0015f) * 0.4f;
        const float v = std::tanh(1.8f * (body + tick)) * velocity * tailFade(i, kKickFrames);
        mixFrame(out, at + i, v, v);
    }
}

// Four quick noise bursts and a short tail through a band-pass, with separate
// noise per side so the clap is wide.
void playClap(Sound& out, long at, float velocity)
{
    static const float bursts[] = {0, 0.011f, 0.021f, 0.032f};
    Svf leftFilter;
    Svf rightFilter;
    for (int i = 0; i < kClapFrames; ++i)
    {
        const float t = static_cast<float>(i) / kRate;
        float envelope = 0;
        for (float burst : bursts)
            if (t >= burst)
                envelope =
                    std::max(envelope, rise(t - burst, 0.0005f) * std::exp(-(t - burst) / 0.0055f));
        if (t >= bursts[3])
            envelope = std::max(envelope, 0.55f * std::exp(-(t - bursts[3]) / 0.075f));
        const SvfOut l = svfTick(leftFilter, whiteNoise(), kClapHz, 1.2f);
        const SvfOut r = svfTick(rightFilter, whiteNoise(), kClapHz, 1.2f);
        const float gain = 1.4f * envelope * velocity * tailFade(i, kClapFrames);
        mixFrame(out, at + i, (l.band + 0.12f * l.high) * gain, (r.band + 0.12f * r.high) * gain);
    }
}

// High-passed noise with a faint metallic ring of square waves, short when closed.
void playHat(Sound& out, long at, float velocity, bool open, float pan)
{
    static const float metal[] = {317, 471, 572, 809, 836, 1238};
    float phases[6] = {};
    const int frames = open ? kOpenHatFrames : kClosedHatFrames;
    const float decay = open ? 0.11f : 0.022f;
    Svf lowCut;
    Svf sheen;
    const float leftGain = std::cos((pan + 1) * kPi / 4);
    const float rightGain = std::sin((pan + 1) * kPi / 4);
    for (int i = 0; i < frames; ++i)
    {
        const float t = static_cast<float>(i) / kRate;
        float ring = 0;
        for (int k = 0; k < 6; ++k)
        {
            ring += phases[k] < 0.5f ? 1 : -1;
            phases[k] = wrapPhase(phases[k] + metal[k] / kRate);
        }
        const float bright = svfTick(lowCut, whiteNoise() + 0.08f * ring, kHatLowCut, 0.7f).high;
        const float v = (bright + 0.6f * svfTick(sheen, bright, kHatSheen, 1.0f).band) *
                        rise(t, 0.0004f) * std::exp(-t / decay) * velocity * tailFade(i, frames);
        mixFrame(out, at + i, v * leftGain, v * rightGain);
    }
}

// Pitched drum: a falling sine with an inharmonic overtone and a stick tick.
void playTom(Sound& out, long at, float velocity, float hz)
{
    float phase = 0;
    float overtone = 0;
    Svf tickFilter;
    for (int i = 0; i < kTomFrames; ++i)
    {
        const float t = static_cast<float>(i) / kRate;
        const float pitch = hz * (1 + 0.5f * std::exp(-t / 0.06f));
        const float body = (std::sin(kTwoPi * phase) +
                            0.35f * std::sin(kTwoPi * overtone) * std::exp(-t / 0.05f)) *
                           std::exp(-t / 0.2f);
        phase = wrapPhase(phase + pitch / kRate);
        overtone = wrapPhase(overtone + 1.58f * pitch / kRate);
        const float tick = svfTick(tickFilter, whiteNoise(), 2500, 1.0f).band * rise(t, 0.0004f) *
                           std::exp(-t / 0.004f) * 0.5f;
        const float v = std::tanh(1.4f * (body + tick)) * velocity * tailFade(i, kTomFrames);
        mixFrame(out, at + i, v, v);
    }
}

// Two detuned saws through a plucked low-pass over a sine sub, saturated.
void playBass(Sound& out, long at, long gate, int midi, float velocity)
{
    const Envelope envelope{0.004f, 0.3f, 0.65f, 0.035f};
    const float hz = noteHz(midi);
    const float gateSeconds = static_cast<float>(gate) / kRate;
    const long frames = gate + static_cast<long>(envelope.release * kRate) + 1;
    float sawA = 0;
    float sawB = 0.37f;
    float sub = 0;
    Svf filter;
    for (long i = 0; i < frames; ++i)
    {
        const float t = static_cast<float>(i) / kRate;
        const float saws = 0.5f * (sawTick(sawA, hz * cents(5)) + sawTick(sawB, hz * cents(-5)));
        const float cutoff = 170 + 1500 * velocity * std::exp(-t / 0.09f);
        const float tone = svfTick(filter, saws, cutoff, 1.2f).low + 0.7f * std::sin(kTwoPi * sub);
        sub = wrapPhase(sub + hz / kRate);
        const float v = std::tanh(1.8f * tone) * envelopeAt(envelope, t, gateSeconds) * velocity;
        mixFrame(out, at + i, v, v);
    }
}

// Electric-piano tone: a sine phase-modulated by itself with a fading index and a
// short tine, detuned apart on the two sides for a gentle chorus.
void playKeys(Sound& out, long at, long gate, int midi, float velocity)
{
    const Envelope envelope{0.015f, 1.0f, 0.45f, 0.12f};
    const float hz = noteHz(midi);
    const float gateSeconds = static_cast<float>(gate) / kRate;
    const long frames = gate + static_cast<long>(envelope.release * kRate) + 1;
    float left = 0;
    float right = 0;
    for (long i = 0; i < frames; ++i)
    {
        const float t = static_cast<float>(i) / kRate;
        const float index = 0.25f + 1.3f * velocity * std::exp(-t / 0.35f);
        const float tine = 0.12f * std::exp(-t / 0.03f);
        auto tone = [index, tine](float phase)
        {
            return std::sin(kTwoPi * phase + index * std::sin(kTwoPi * phase)) +
                   tine * std::sin(kTwoPi * wrapPhase(7 * phase));
        };
        const float gain = envelopeAt(envelope, t, gateSeconds) * velocity;
        mixFrame(out, at + i, tone(left) * gain, tone(right) * gain);
        left = wrapPhase(left + hz * cents(4) / kRate);
        right = wrapPhase(right + hz * cents(-4) / kRate);
    }
}

// Two detuned saws through a resonant low-pass that opens at each note, with a
// vibrato that fades in on held notes.
void playLead(Sound& out, long at, long gate, int midi, float velocity)
{
    const Envelope envelope{0.008f, 0.25f, 0.7f, 0.08f};
    const float hz = noteHz(midi);
    const float gateSeconds = static_cast<float>(gate) / kRate;
    const long frames = gate + static_cast<long>(envelope.release * kRate) + 1;
    float sawA = 0;
    float sawB = 0.5f;
    Svf filter;
    for (long i = 0; i < frames; ++i)
    {
        const float t = static_cast<float>(i) / kRate;
        const float depth = 20 * std::clamp((t - 0.18f) / 0.25f, 0.0f, 1.0f);
        const float pitch = hz * cents(depth * std::sin(kTwoPi * 5.3f * t));
        const float saws =
            0.5f * (sawTick(sawA, pitch * cents(7)) + sawTick(sawB, pitch * cents(-7)));
        const float cutoff = 1100 + 2600 * velocity * std::exp(-t / 0.15f);
        const float v = svfTick(filter, saws, cutoff, 1.6f).low *
                        envelopeAt(envelope, t, gateSeconds) * velocity;
        mixFrame(out, at + i, v, v);
    }
}

void addEcho(Sound& sound, long delay, float feedback)
{
    const int frames = soundFrames(sound);
    std::vector<float> dark(frames);
    OnePole filter;
    for (int i = 0; i < frames; ++i)
        dark[i] = onePoleLow(filter, 0.5f * (sound.left[i] + sound.right[i]), kEchoDarken);
    float gain = 1;
    for (int tap = 1; tap <= kEchoTaps; ++tap)
    {
        gain *= feedback;
        std::vector<float>& side = tap % 2 ? sound.left : sound.right;
        for (int i = 0; i < frames; ++i)
            side[(i + tap * delay) % frames] += gain * dark[i];
    }
}
