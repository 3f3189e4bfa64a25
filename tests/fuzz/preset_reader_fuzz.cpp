// Fuzzes the preset reader with arbitrary bytes. Each input is checked against a
// plain model of the line format, and the paths read are written and read again.
#include "preset/presetfile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
void readFrom(const void* data, size_t size, SlotPaths& paths)
{
    FILE* in = fmemopen(const_cast<void*>(data), size, "r");
    readPresetPaths(in, paths);
    fclose(in);
}

// Slot `slot`'s path as the format gives it: line 0 is the header, lines 1-8 the
// slots; one carriage return before a line feed is dropped; an over-long line is
// empty; a C string ends at its first NUL.
std::string modelPath(const std::string& text, int slot)
{
    size_t start = 0;
    for (int line = 0; line <= slot; ++line, ++start)
        if ((start = text.find('\n', start)) == std::string::npos)
            return "";
    std::string path = text.substr(start, text.find('\n', start) - start);
    if (!path.empty() && path.back() == '\r')
        path.pop_back();
    return path.size() >= kSlotPathSize ? "" : path.c_str();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SlotPaths paths;
    memset(paths, 'x', sizeof paths);
    readFrom(data, size, paths);
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (memchr(paths[slot], '\0', kSlotPathSize) == nullptr ||
            modelPath(text, slot) != paths[slot])
            abort();

    char* written = nullptr;
    size_t writtenSize = 0;
    FILE* out = open_memstream(&written, &writtenSize);
    if (!out || !writePresetLines(out, paths))
        abort();
    fclose(out);
    SlotPaths again;
    readFrom(written, writtenSize, again);
    free(written);
    // A path that still ends in a carriage return loses it on the way back.
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        const size_t length = strlen(paths[slot]);
        if ((length == 0 || paths[slot][length - 1] != '\r') && strcmp(paths[slot], again[slot]))
            abort();
    }
    return 0;
}
