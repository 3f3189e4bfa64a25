#include "sound/decode.h"

#include "sound/mixer.h"
#include "sound/regularfile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sndfile.h>
#include <soxr.h>
#include <vector>

namespace
{
DecodeWatcher decodeWatcher; // the installed watcher, or null

constexpr int kRiffHeaderBytes = 12; // "RIFF", size, "WAVE"
constexpr int kChunkHeaderBytes = 8; // id, size
constexpr uint32_t kMinFmtBytes = 16;
constexpr uint16_t kWaveFormatPcm = 1;
constexpr long kBlockFrames = 4096;  // frames decoded and resampled per step
constexpr long kResamplerSlack = 64; // output frames beyond the rate ratio, per step
constexpr float kFullScale = 32768.0f;
// The most read at once between two looks of the watcher: the mixer's loader reads
// the whole sample data in one call.
constexpr int64_t kWatchedReadBytes = 256 * 1024;

struct WavFormat
{
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
    bool first = false;     // the fmt chunk comes straight after the RIFF header
    bool evenChunks = true; // no chunk before the data needs a pad byte
    uint32_t dataBytes = 0;
};

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(le16(p)) | static_cast<uint32_t>(le16(p + 2)) << 16;
}

// Files are read with 64-bit offsets: an SDL stream's are 32-bit, and a WAV within
// the ten minutes may pass 2 GiB.
bool readAt(FILE* file, int64_t offset, void* into, size_t bytes)
{
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           fread(into, 1, bytes, file) == bytes;
}

int64_t fileLength(FILE* file)
{
    const off_t here = ftello(file);
    const int64_t end = fseeko(file, 0, SEEK_END) == 0 ? ftello(file) : -1;
    fseeko(file, here, SEEK_SET);
    return end;
}

// 64-bit so that frame counts of 32-bit targets compare without overflow or sign games.
int64_t maxFrames(int64_t rate)
{
    return rate * kMaxSoundSeconds;
}

bool plausible(const WavFormat& format)
{
    return format.channels > 0 && format.rate > 0 && format.blockAlign > 0 && format.dataBytes > 0;
}

// The mixer's loader changes rates by dropping or repeating samples, unfiltered, so
// it keeps only the files that need no change of rate.
bool mixerDecodesExactly(const WavFormat& format, int mixerRate)
{
    const bool exactRate = format.rate == static_cast<uint32_t>(mixerRate);
    const bool plainPcm = format.tag == kWaveFormatPcm && format.first && format.evenChunks;
    const bool sizes = (format.bits == 8 || format.bits == 16) &&
                       (format.channels == 1 || format.channels == 2) &&
                       format.blockAlign == format.channels * format.bits / 8 &&
                       format.dataBytes % format.blockAlign == 0;
    return plainPcm && sizes && exactRate;
}

SoundRoute routeWav(const WavFormat& format, int mixerRate)
{
    if (!plausible(format))
        return kRefused;
    if (!mixerDecodesExactly(format, mixerRate))
        return kDecoder;
    if (int64_t{format.dataBytes / format.blockAlign} > maxFrames(format.rate))
        return kRefused;
    return kMixerLoader;
}

void readFmt(const uint8_t* fmt, WavFormat* format)
{
    format->tag = le16(fmt);
    format->channels = le16(fmt + 2);
    format->rate = le32(fmt + 4);
    format->blockAlign = le16(fmt + 12);
    format->bits = le16(fmt + 14);
}

// A regular file read on behalf of the watcher: it is told how far the reads have
// come, and once it says stop every read comes back short.
struct Watched
{
    FILE* file;
    const char* path;
    int64_t length;
    bool stopped;
};

bool stillWanted(Watched* watched)
{
    if (!watched->stopped)
    {
        const double at = static_cast<double>(ftello(watched->file));
        watched->stopped = !workWanted(
            watched->path, watched->length > 0 ? at / static_cast<double>(watched->length) : 1.0);
    }
    return !watched->stopped;
}

int64_t seekWatched(Watched* watched, int64_t offset, int whence)
{
    if (fseeko(watched->file, static_cast<off_t>(offset), whence) != 0)
        return -1;
    return ftello(watched->file);
}

int64_t readWatched(Watched* watched, void* into, int64_t wanted)
{
    int64_t got = 0;
    while (got < wanted && stillWanted(watched))
    {
        const auto step = static_cast<size_t>(std::min(wanted - got, kWatchedReadBytes));
        const size_t read = fread(static_cast<char*>(into) + got, 1, step, watched->file);
        if (read == 0)
            break;
        got += static_cast<int64_t>(read);
    }
    return got;
}

void closeWatched(Watched* watched)
{
    fclose(watched->file);
    delete watched;
}

// The regular file at path followed by the watcher; null when it is no such file or
// the watcher says stop before it is read.
Watched* openWatched(const char* path)
{
    FILE* file = openRegularFile(path);
    if (!file)
        return nullptr;
    auto* watched = new Watched{file, path, fileLength(file), false};
    if (stillWanted(watched))
        return watched;
    closeWatched(watched);
    return nullptr;
}

// The mixer's own loader reads through an SDL stream over the watched file, which
// it closes; the files it is given are far smaller than 2 GiB.
Watched* watchedOf(SDL_RWops* stream)
{
    return static_cast<Watched*>(stream->hidden.unknown.data1);
}

int SDLCALL watchedSeek(SDL_RWops* stream, int offset, int whence)
{
    const int64_t at = seekWatched(watchedOf(stream), offset, whence);
    return at > INT_MAX ? -1 : static_cast<int>(at);
}

int SDLCALL watchedRead(SDL_RWops* stream, void* into, int size, int count)
{
    if (size <= 0 || count <= 0)
        return 0;
    return static_cast<int>(readWatched(watchedOf(stream), into, int64_t{size} * count) / size);
}

int SDLCALL watchedWrite(SDL_RWops*, const void*, int, int)
{
    return -1;
}

int SDLCALL watchedClose(SDL_RWops* stream)
{
    closeWatched(watchedOf(stream));
    SDL_FreeRW(stream);
    return 0;
}

// The watched file as an SDL stream that closes it; null, with the file closed, when
// no stream can be made.
SDL_RWops* watchedStream(Watched* watched)
{
    SDL_RWops* stream = SDL_AllocRW();
    if (!stream)
    {
        closeWatched(watched);
        return nullptr;
    }
    stream->seek = watchedSeek;
    stream->read = watchedRead;
    stream->write = watchedWrite;
    stream->close = watchedClose;
    stream->hidden.unknown.data1 = watched;
    seekWatched(watched, 0, SEEK_SET);
    return stream;
}

// libsndfile reads the watched file with 64-bit offsets.
sf_count_t streamSize(void* user)
{
    return static_cast<Watched*>(user)->length;
}

sf_count_t streamSeek(sf_count_t offset, int whence, void* user)
{
    return seekWatched(static_cast<Watched*>(user), offset, whence);
}

sf_count_t streamRead(void* into, sf_count_t bytes, void* user)
{
    return readWatched(static_cast<Watched*>(user), into, bytes);
}

sf_count_t streamWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t streamTell(void* user)
{
    return ftello(static_cast<Watched*>(user)->file);
}

// The decoded sound as the mixer wants it, filled a block at a time.
struct Output
{
    int16_t* samples = nullptr;
    long frames = 0;
    long written = 0;
    int channels = 0;
};

int16_t toSample(float value)
{
    const float scaled = std::nearbyint(value * kFullScale);
    return static_cast<int16_t>(std::fmax(-kFullScale, std::fmin(kFullScale - 1, scaled)));
}

void append(Output* out, const float* frames, long count)
{
    const long take = std::min(count, out->frames - out->written);
    int16_t* to = out->samples + out->written * out->channels;
    for (long i = 0; i < take * out->channels; ++i)
        to[i] = toSample(frames[i]);
    out->written += take;
}

// Resamples frames into out; null frames flushes what the resampler holds.
bool resample(soxr_t resampler, const float* frames, long count, std::vector<float>* block,
              Output* out)
{
    const long blockFrames = static_cast<long>(block->size()) / out->channels;
    long used = 0;
    for (;;)
    {
        size_t took = 0;
        size_t made = 0;
        const float* from = frames ? frames + used * out->channels : nullptr;
        if (soxr_process(resampler, from, static_cast<size_t>(count - used), &took, block->data(),
                         static_cast<size_t>(blockFrames), &made))
            return false;
        used += static_cast<long>(took);
        append(out, block->data(), static_cast<long>(made));
        if (frames ? used >= count : made == 0)
            return true;
        if (took == 0 && made == 0)
            return false; // a resampler that neither takes nor gives would spin for ever
    }
}

soxr_t makeResampler(int fromRate, int toRate, int channels)
{
    if (fromRate == toRate)
        return nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    soxr_t resampler = soxr_create(fromRate, toRate, static_cast<unsigned>(channels), &error, &io,
                                   &quality, &runtime);
    return error ? nullptr : resampler;
}

// Reads the frames the header promised, resampled into out, or as many as there are:
// a length guessed from the file's size, as an MP3's without its length frame is,
// may promise more. False when none could be read or the watcher stopped the reading.
bool decodeInto(SNDFILE* file, const SF_INFO& info, int outRate, Watched* watched, Output* out)
{
    soxr_t resampler = makeResampler(info.samplerate, outRate, out->channels);
    if (info.samplerate != outRate && !resampler)
        return false;
    std::vector<float> source(static_cast<size_t>(kBlockFrames * info.channels));
    std::vector<float> mixed(static_cast<size_t>(kBlockFrames * out->channels));
    const long blockOut = kBlockFrames * outRate / info.samplerate + kResamplerSlack;
    std::vector<float> resampled(static_cast<size_t>(blockOut * out->channels));
    bool whole = true;
    for (sf_count_t left = info.frames; left > 0 && whole;)
    {
        const sf_count_t got =
            sf_readf_float(file, source.data(), std::min<sf_count_t>(left, kBlockFrames));
        if (got <= 0)
            break;
        left -= got;
        mixDown(source.data(), info.channels, static_cast<long>(got), mixed.data(), out->channels);
        if (resampler)
            whole =
                whole && resample(resampler, mixed.data(), static_cast<long>(got), &resampled, out);
        else
            append(out, mixed.data(), static_cast<long>(got));
    }
    if (resampler)
    {
        whole = whole && resample(resampler, nullptr, 0, &resampled, out);
        soxr_delete(resampler);
    }
    return whole && !watched->stopped && out->written > 0;
}

Mix_Chunk* ownedChunk(int16_t* samples, long frames, int channels)
{
    auto* chunk = static_cast<Mix_Chunk*>(SDL_malloc(sizeof(Mix_Chunk)));
    if (!chunk)
    {
        SDL_free(samples);
        return nullptr;
    }
    // Mix_FreeChunk frees abuf with SDL_free when allocated is set, then the chunk.
    chunk->allocated = 1;
    chunk->abuf = reinterpret_cast<Uint8*>(samples);
    chunk->alen = static_cast<Uint32>(frames * channels * sizeof(int16_t));
    chunk->volume = MIX_MAX_VOLUME;
    return chunk;
}

bool withinLimits(const SF_INFO& info)
{
    return info.channels > 0 && info.channels <= kMaxSourceChannels &&
           info.samplerate >= kMinSourceRate && info.samplerate <= kMaxSourceRate &&
           info.frames > 0 && info.frames <= maxFrames(info.samplerate);
}

Mix_Chunk* decodeWithSndfile(Watched* watched, int outRate, int outChannels)
{
    SF_VIRTUAL_IO io = {streamSize, streamSeek, streamRead, streamWrite, streamTell};
    SF_INFO info = {};
    seekWatched(watched, 0, SEEK_SET);
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, watched);
    if (!file)
        return nullptr;
    Output out;
    out.channels = outChannels;
    if (withinLimits(info))
        out.frames = std::lround(static_cast<double>(info.frames) * outRate / info.samplerate);
    if (out.frames > 0)
        out.samples = static_cast<int16_t*>(
            SDL_calloc(static_cast<size_t>(out.frames * outChannels), sizeof(int16_t)));
    const bool decoded = out.samples && decodeInto(file, info, outRate, watched, &out);
    sf_close(file);
    if (!decoded)
    {
        SDL_free(out.samples);
        return nullptr;
    }
    return ownedChunk(out.samples, out.written, outChannels);
}
} // namespace

SoundRoute routeSound(FILE* stream, int mixerRate)
{
    const int64_t length = fileLength(stream);
    uint8_t riff[kRiffHeaderBytes];
    if (length < kRiffHeaderBytes || !readAt(stream, 0, riff, kRiffHeaderBytes) ||
        memcmp(riff, "RIFF", 4) != 0 || memcmp(riff + 8, "WAVE", 4) != 0)
        return kDecoder;

    WavFormat format;
    bool haveFmt = false;
    for (int64_t at = kRiffHeaderBytes; at + kChunkHeaderBytes <= length;)
    {
        uint8_t chunk[kChunkHeaderBytes];
        if (!readAt(stream, at, chunk, kChunkHeaderBytes))
            return kRefused;
        const uint32_t size = le32(chunk + 4);
        const int64_t body = at + kChunkHeaderBytes;
        if (size > length - body)
            return kRefused;
        if (memcmp(chunk, "data", 4) == 0)
        {
            format.dataBytes = size;
            return haveFmt ? routeWav(format, mixerRate) : kRefused;
        }
        if (memcmp(chunk, "fmt ", 4) == 0)
        {
            uint8_t fmt[kMinFmtBytes];
            if (haveFmt || size < kMinFmtBytes || !readAt(stream, body, fmt, kMinFmtBytes))
                return kRefused;
            readFmt(fmt, &format);
            format.first = at == kRiffHeaderBytes;
            haveFmt = true;
        }
        format.evenChunks = format.evenChunks && size % 2 == 0;
        at = body + size + size % 2;
    }
    return kRefused; // no sample data
}

void mixDown(const float* in, int inChannels, long frames, float* out, int outChannels)
{
    for (long i = 0; i < frames; ++i, in += inChannels, out += outChannels)
    {
        if (outChannels == 1)
        {
            float sum = 0;
            for (int c = 0; c < inChannels; ++c)
                sum += in[c];
            out[0] = sum / static_cast<float>(inChannels);
            continue;
        }
        if (inChannels <= 2)
        {
            out[0] = in[0];
            out[1] = in[inChannels - 1];
            continue;
        }
        float shared = 0;
        for (int c = 2; c < inChannels; ++c)
            shared += in[c] / 2;
        const float gain = 2.0f / static_cast<float>(inChannels);
        out[0] = (in[0] + shared) * gain;
        out[1] = (in[1] + shared) * gain;
    }
}

bool workWanted(const char* path, double done)
{
    return !decodeWatcher || decodeWatcher(path, done);
}

Mix_Chunk* decodeSound(const char* path)
{
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    if (!Mix_QuerySpec(&rate, &format, &channels) || format != kMixerFormat ||
        (channels != 1 && channels != 2))
        return nullptr;
    Watched* watched = openWatched(path);
    if (!watched)
        return nullptr;
    const SoundRoute route = routeSound(watched->file, rate);
    if (route == kMixerLoader)
    {
        SDL_RWops* stream = watchedStream(watched);
        return stream ? Mix_LoadWAV_RW(stream, 1) : nullptr;
    }
    Mix_Chunk* chunk = route == kDecoder ? decodeWithSndfile(watched, rate, channels) : nullptr;
    closeWatched(watched);
    return chunk;
}

void setDecodeWatcher(DecodeWatcher watcher)
{
    decodeWatcher = watcher;
}
