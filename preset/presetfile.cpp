#include "preset/presetfile.h"

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

FILE* archivo;

namespace
{
constexpr mode_t kNewFileMode = 0666; // as a stream opened for writing creates it
constexpr mode_t kNewFolderMode = 0777;
const char kTempSuffix[] = ".XXXXXX";

template <size_t N>
bool putBlock(FILE* out, const char (&text)[N])
{
    return fwrite(text, 1, N - 1, out) == N - 1;
}

// Reads one line into path, without its line feed and without a carriage return
// just before it. A line that does not fit is consumed whole and gives an empty
// path, so the next read starts on the next line.
void readPresetLine(FILE* in, char (&path)[kSlotPathSize])
{
    size_t length = 0;
    int last = EOF;
    int c;
    while ((c = getc(in)) != EOF && c != '\n')
    {
        if (length < kSlotPathSize)
            path[length] = static_cast<char>(c);
        ++length;
        last = c;
    }
    if (last == '\r')
        --length;
    path[length < kSlotPathSize ? length : 0] = '\0';
}

// The folder part of a file path, without its last '/'; "." when there is none.
std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

mode_t currentUmask()
{
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

// Makes the rename itself survive a crash.
void syncFolder(const std::string& folder)
{
    FILE* dir = fopen(folder.c_str(), "r");
    if (!dir)
        return;
    fsync(fileno(dir));
    fclose(dir);
}

// Writes the slot paths to a new temporary file next to target and flushes it to
// disk; returns its name, or an empty string when anything failed.
std::string writeTempPreset(const std::string& target)
{
    std::string temp = target + kTempSuffix;
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return "";
    fchmod(fd, kNewFileMode & ~currentUmask());
    archivo = fdopen(fd, "w+");
    if (!archivo)
    {
        close(fd);
        unlink(temp.c_str());
        return "";
    }
    bool written =
        writePresetLines(archivo, lista_samples) && fflush(archivo) == 0 && fsync(fd) == 0;
    written = fclose(archivo) == 0 && written;
    archivo = nullptr;
    if (!written)
    {
        unlink(temp.c_str());
        return "";
    }
    return temp;
}

void fillSlot(int slot, const char (&path)[kSlotPathSize])
{
    memcpy(lista_samples[slot], path, kSlotPathSize);
    asignados[slot] = path[0] != '\0';
    copyDisplayName(nombres[slot], fileNamePart(path));
    puts(path);
    storeSlotSound(slot, loadSlotSound(path));
}
} // namespace

bool writePresetLines(FILE* out, const SlotPaths& paths)
{
    bool written = putBlock(out, kPresetHeader);
    for (const char* path : paths)
        written = fprintf(out, "%s\n", path) >= 0 && written;
    written = putBlock(out, kPresetAuthor) && written;
    return putBlock(out, kPresetClosing) && written;
}

void readPresetPaths(FILE* in, SlotPaths& paths)
{
    char header[kSlotPathSize];
    readPresetLine(in, header);
    for (char(&path)[kSlotPathSize] : paths)
        readPresetLine(in, path);
}

const char* fileNamePart(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

bool writePreset(const char* path)
{
    const std::string folder = folderOf(path);
    mkdir(folder.c_str(), kNewFolderMode);
    const std::string temp = writeTempPreset(path);
    if (temp.empty())
        return false;
    if (rename(temp.c_str(), path) != 0)
    {
        unlink(temp.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

void readPreset(const char* path)
{
    SlotPaths paths = {};
    archivo = fopen(path, "r");
    if (archivo)
    {
        readPresetPaths(archivo, paths);
        fclose(archivo);
        archivo = nullptr;
    }
    for (int slot = 0; slot < kSlotCount; ++slot)
        fillSlot(slot, paths[slot]);
}
