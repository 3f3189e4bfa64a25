// Fuzzes the preset reader with arbitrary bytes. Each input is checked against a
// plain model of the line format, and the paths read are written and read again.
#include "preset/presetfile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// The paths the format gives: line 0 is the header, lines 1-8 the slots; one
// carriage return before a line feed is dropped; an over-long line is empty; a C
// string ends at its first NUL.
std::vector<std::string> modelPaths(const uint8_t* data, size_t size)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] == '\n')
        {
            lines.push_back(line);
            line.clear();
        }
        else
            line.push_back(static_cast<char>(data[i]));
    }
    if (!line.empty())
        lines.push_back(line);
    std::vector<std::string> paths;
    for (size_t slot = 1; slot <= kSlotCount; ++slot)
    {
        std::string path = slot < lines.size() ? lines[slot] : "";
        if (!path.empty() && path.back() == '\r')
            path.pop_back();
        if (path.size() >= kSlotPathSize)
            path.clear();
        paths.push_back(path.c_str());
    }
    return paths;
}

void readFrom(const void* data, size_t size, SlotPaths& paths)
{
    FILE* in = fmemopen(const_cast<void*>(data), size, "r");
    if (!in)
        abort();
    readPresetPaths(in, paths);
    fclose(in);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SlotPaths paths;
    memset(paths, 'x', sizeof paths);
    readFrom(data, size, paths);
    const std::vector<std::string> expected = modelPaths(data, size);
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (memchr(paths[slot], '\0', kSlotPathSize) == nullptr || expected[slot] != paths[slot])
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
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        // A path that still ends in a carriage return loses it on the way back.
        const size_t length = strlen(paths[slot]);
        const bool endsInReturn = length > 0 && paths[slot][length - 1] == '\r';
        if (!endsInReturn && strcmp(paths[slot], again[slot]) != 0)
            abort();
    }
    return 0;
}
