#include "tests/support/wav.h"

#include "tests/support/diskaudio.h"
#include "tests/support/stage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{
void put16(std::string& out, uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>(v >> 8));
}

void put32(std::string& out, uint32_t v)
{
    put16(out, static_cast<uint16_t>(v & 0xffff));
    put16(out, static_cast<uint16_t>(v >> 16));
}

// 0.3 % of a step of 16384, with room to spare.
constexpr int kResampledTolerance = 64;

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagExtensible = 0xfffe;
constexpr int kBextBytes = 602;
constexpr int kJunkBytes = 28;

int bitsOf(WavEncoding encoding)
{
    static const int bits[] = {8, 16, 24, 32, 32}; // in the order of WavEncoding
    return bits[static_cast<int>(encoding)];
}

void putSample(std::string& out, WavEncoding encoding, double x)
{
    const double v = std::fmax(-1.0, std::fmin(1.0, x));
    const int bits = bitsOf(encoding);
    uint32_t word;
    if (encoding == WavEncoding::Float32)
    {
        const auto f = static_cast<float>(v);
        std::memcpy(&word, &f, sizeof word);
    }
    else if (encoding == WavEncoding::U8)
        word = static_cast<uint32_t>(128 + std::lround(v * 127));
    else // signed, full scale one step short of the power of two
        word = static_cast<uint32_t>(std::llround(v * (std::ldexp(1.0, bits - 1) - 1)));
    for (int i = 0; i < bits / 8; ++i) // little-endian
        out.push_back(static_cast<char>(word >> (8 * i)));
}

void putChunk(std::string& out, const char* id, const std::string& body)
{
    out += id;
    put32(out, static_cast<uint32_t>(body.size()));
    out += body;
    if (body.size() % 2)
        out.push_back('\0');
}

std::string fmtBody(const WavSpec& spec)
{
    const int bits = bitsOf(spec.encoding);
    const uint16_t tag = spec.encoding == WavEncoding::Float32 ? kTagFloat : kTagPcm;
    const bool extensible = spec.layout == WavLayout::Extensible;
    const int blockAlign = spec.channels * bits / 8;
    std::string body;
    put16(body, extensible ? kTagExtensible : tag);
    put16(body, static_cast<uint16_t>(spec.channels));
    put32(body, static_cast<uint32_t>(spec.rate));
    put32(body, static_cast<uint32_t>(spec.rate * blockAlign));
    put16(body, static_cast<uint16_t>(blockAlign));
    put16(body, static_cast<uint16_t>(bits));
    if (extensible)
    {
        put16(body, 22); // extension size
        put16(body, static_cast<uint16_t>(bits));
        put32(body, spec.channels == 1 ? 0x4 : (1u << spec.channels) - 1); // speaker mask
        put16(body, tag); // the subformat GUID: tag, then the fixed WAVE suffix
        body += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
    }
    else if (tag == kTagFloat)
        put16(body, 0); // extension size
    return body;
}

std::string riff(const std::string& chunks)
{
    std::string out = "RIFF";
    put32(out, static_cast<uint32_t>(4 + chunks.size()));
    return out + "WAVE" + chunks;
}
} // namespace

void writeWav16(const std::string& path, const std::vector<int16_t>& samples, int channels,
                int rate)
{
    std::string chunks;
    putChunk(chunks, "fmt ", fmtBody({rate, channels, WavEncoding::S16, WavLayout::Plain}));
    std::string data;
    for (int16_t s : samples)
        put16(data, static_cast<uint16_t>(s));
    putChunk(chunks, "data", data);
    writeFile(path, riff(chunks));
}

std::vector<int16_t> constantStereo(int frames, int16_t level)
{
    return std::vector<int16_t>(static_cast<size_t>(frames) * 2, level);
}

std::vector<int16_t> readCapture(const std::string& path)
{
    const CaptureFormat& format = captureFormat();
    const size_t step = size_t(format.rate / kTestRate);
    const std::string bytes = readFile(path);
    std::vector<int16_t> raw(bytes.size() / 2);
    std::memcpy(raw.data(), bytes.data(), raw.size() * 2);
    std::vector<int16_t> samples;
    for (size_t frame = size_t(format.phase); 2 * frame + 1 < raw.size(); frame += step)
        samples.insert(samples.end(), {raw[2 * frame], raw[2 * frame + 1]});
    return samples;
}

bool heardAs(int16_t sample, int16_t level)
{
    const int tolerance = captureFormat().rate == kTestRate ? 0 : kResampledTolerance;
    return std::abs(sample - level) <= tolerance;
}

std::vector<int16_t> leftChannel(const std::vector<int16_t>& stereo)
{
    std::vector<int16_t> left;
    left.reserve(stereo.size() / 2);
    for (size_t i = 0; i + 1 < stereo.size(); i += 2)
        left.push_back(stereo[i]);
    return left;
}

std::string wavBytes(const WavSpec& spec, const std::vector<double>& samples)
{
    std::string data;
    for (double x : samples)
        putSample(data, spec.encoding, x);
    std::string chunks;
    if (spec.layout == WavLayout::JunkFirst)
        putChunk(chunks, "JUNK", std::string(kJunkBytes, '\0'));
    if (spec.layout == WavLayout::BextFirst)
        putChunk(chunks, "bext", std::string(kBextBytes, '\0'));
    putChunk(chunks, "fmt ", fmtBody(spec));
    if (spec.encoding == WavEncoding::Float32 && spec.layout != WavLayout::Extensible)
    {
        std::string fact;
        put32(fact, static_cast<uint32_t>(samples.size() / static_cast<size_t>(spec.channels)));
        putChunk(chunks, "fact", fact);
    }
    if (spec.layout == WavLayout::OddListAfterFmt)
        putChunk(chunks, "LIST", std::string("INFOISFT\x0d\x00\x00\x00padbox tests\x00", 25));
    putChunk(chunks, "data", data);
    return riff(chunks);
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
    out.reserve(static_cast<size_t>(frames * channels));
    for (long i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(amplitude / (c + 1) *
                          std::sin(2 * M_PI * hz * static_cast<double>(i) / rate));
    return out;
}
