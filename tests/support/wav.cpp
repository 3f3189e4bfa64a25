#include "tests/support/wav.h"

#include "tests/support/stage.h"

#include <cmath>
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
} // namespace

void writeWav16(const std::string& path, const std::vector<int16_t>& samples, int channels,
                int rate)
{
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, static_cast<uint16_t>(channels));
    put32(out, static_cast<uint32_t>(rate));
    put32(out, static_cast<uint32_t>(rate * channels * 2));
    put16(out, static_cast<uint16_t>(channels * 2));
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (int16_t s : samples)
        put16(out, static_cast<uint16_t>(s));
    writeFile(path, out);
}

std::vector<int16_t> constantStereo(int frames, int16_t level)
{
    return std::vector<int16_t>(static_cast<size_t>(frames) * 2, level);
}

std::vector<int16_t> sineStereo(int frames, double hz, double amplitude, int rate)
{
    std::vector<int16_t> out;
    out.reserve(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i)
    {
        const auto v =
            static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate)));
        out.push_back(v);
        out.push_back(v);
    }
    return out;
}

std::vector<int16_t> readCapture(const std::string& path)
{
    const std::string bytes = readFile(path);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

std::vector<int16_t> leftChannel(const std::vector<int16_t>& stereo)
{
    std::vector<int16_t> left;
    left.reserve(stereo.size() / 2);
    for (size_t i = 0; i + 1 < stereo.size(); i += 2)
        left.push_back(stereo[i]);
    return left;
}
