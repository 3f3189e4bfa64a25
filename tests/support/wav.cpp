#include "tests/support/wav.h"

#include "tests/support/diskaudio.h"
#include "tests/support/stage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr uint16_t kTagPcm = 1, kTagFloat = 3, kTagExtensible = 0xfffe;
constexpr int kBits[] = {8, 16, 24, 32, 32}; // in the order of WavEncoding
constexpr int kResampledTolerance = 64;      // 0.3 % of a step of 16384, with room to spare

// v little-endian in `bytes` bytes, as every host the tests run on stores it.
std::string le(uint32_t v, int bytes = 4)
{
    return std::string(reinterpret_cast<const char*>(&v), size_t(bytes));
}

// A chunk with its id, size and body, and the pad byte after an odd-sized body.
std::string chunk(const char* id, const std::string& body)
{
    return id + le(uint32_t(body.size())) + body + std::string(body.size() % 2, '\0');
}

std::string fmtBody(const WavSpec& spec, int bits)
{
    const uint16_t tag = spec.encoding == kFloat32 ? kTagFloat : kTagPcm;
    const uint32_t blockAlign = uint32_t(spec.channels * bits / 8);
    const std::string body = le(spec.layout == kExtensible ? kTagExtensible : tag, 2) +
                             le(uint32_t(spec.channels), 2) + le(uint32_t(spec.rate)) +
                             le(uint32_t(spec.rate) * blockAlign) + le(blockAlign, 2) +
                             le(uint32_t(bits), 2);
    // The extension: its size, the valid bits, the speaker mask and the subformat GUID,
    // which is the tag followed by the fixed WAVE suffix.
    if (spec.layout == kExtensible)
        return body + le(22, 2) + le(uint32_t(bits), 2) +
               le(spec.channels == 1 ? 0x4 : (1u << spec.channels) - 1) + le(tag, 2) +
               std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
    return tag == kTagFloat ? body + le(0, 2) : body; // a float fmt has an empty extension
}

std::string riff(const WavSpec& spec, const std::string& data, size_t frames)
{
    std::string chunks;
    if (spec.layout == kJunkFirst) // as recorders reserve room
        chunks += chunk("JUNK", std::string(28, '\0'));
    if (spec.layout == kBextFirst)
        chunks += chunk("bext", std::string(602, '\0'));
    chunks += chunk("fmt ", fmtBody(spec, kBits[spec.encoding]));
    if (spec.encoding == kFloat32 && spec.layout != kExtensible)
        chunks += chunk("fact", le(uint32_t(frames)));
    if (spec.layout == kOddListAfterFmt)
        chunks += chunk("LIST", std::string("INFOISFT\x0d\x00\x00\x00padbox tests\x00", 25));
    chunks += chunk("data", data);
    return "RIFF" + le(uint32_t(4 + chunks.size())) + "WAVE" + chunks;
}
} // namespace

void writeWav16(const std::string& path, const std::vector<int16_t>& samples, int channels,
                int rate)
{
    // The host's own order is little-endian, as le() takes it.
    const std::string data(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
    writeFile(path, riff({rate, channels, kS16, kPlain}, data, samples.size() / size_t(channels)));
}

std::vector<int16_t> constantStereo(int frames, int16_t level)
{
    return std::vector<int16_t>(size_t(frames) * 2, level);
}

std::vector<int16_t> readCapture(const std::string& path)
{
    const CaptureFormat& format = captureFormat();
    const std::string bytes = readFile(path);
    std::vector<int16_t> raw(bytes.size() / 2), samples;
    std::memcpy(raw.data(), bytes.data(), raw.size() * 2);
    for (size_t frame = size_t(format.phase); 2 * frame + 1 < raw.size();
         frame += size_t(format.rate / kTestRate))
        samples.insert(samples.end(), {raw[2 * frame], raw[2 * frame + 1]});
    return samples;
}

bool heardAs(int16_t sample, int16_t level)
{
    return std::abs(sample - level) <=
           (captureFormat().rate == kTestRate ? 0 : kResampledTolerance);
}

std::vector<int16_t> leftChannel(const std::vector<int16_t>& stereo)
{
    std::vector<int16_t> left;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2)
        left.push_back(stereo[i]);
    return left;
}

std::string wavBytes(const WavSpec& spec, const std::vector<double>& samples)
{
    const int bits = kBits[spec.encoding];
    std::string data;
    for (double x : samples)
    {
        const double v = std::fmax(-1.0, std::fmin(1.0, x));
        const float f = float(v);
        uint32_t word;
        if (spec.encoding == kFloat32)
            std::memcpy(&word, &f, sizeof word);
        else if (spec.encoding == kU8)
            word = uint32_t(128 + std::lround(v * 127));
        else // signed, full scale one step short of the power of two
            word = uint32_t(std::llround(v * (std::ldexp(1.0, bits - 1) - 1)));
        data += le(word, bits / 8);
    }
    return riff(spec, data, samples.size() / size_t(spec.channels));
}

void writeWav(const std::string& path, const WavSpec& spec, const std::vector<double>& samples)
{
    writeFile(path, wavBytes(spec, samples));
}

double toneAmplitude(const int16_t* samples, long frames, int channels, int rate, double hz)
{
    const double coefficient = 2 * std::cos(2 * M_PI * hz / rate);
    double previous = 0, beforeThat = 0, windowSum = 0;
    for (long i = 0; i < frames; ++i)
    {
        const double window = 0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(frames - 1));
        const double now = samples[i * channels] * window + coefficient * previous - beforeThat;
        beforeThat = previous;
        previous = now;
        windowSum += window;
    }
    const double power =
        previous * previous + beforeThat * beforeThat - coefficient * previous * beforeThat;
    return 2 * std::sqrt(std::max(power, 0.0)) / windowSum;
}

std::vector<double> sineFrames(long frames, int channels, double hz, double amplitude, int rate)
{
    std::vector<double> out;
    for (long i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(amplitude / (c + 1) * std::sin(2 * M_PI * hz * double(i) / rate));
    return out;
}
