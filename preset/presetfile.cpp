#include "preset/presetfile.h"

#include "browser/catalogue.h"
#include "sound/decode.h"
#include "sound/regularfile.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

FILE* archivo;

namespace
{
constexpr mode_t kNewFileMode = 0666; // as a stream opened for writing creates it
constexpr mode_t kNewFolderMode = 0777;
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kWriteBits = 0222;
const char kTempRandom[] = "XXXXXX"; // mkstemp's pattern, after kSaveTempMarker

constexpr size_t kSkipBlockBytes = 64 * 1024; // read at once between two looks of the watcher

// A preset being read: its path and size, for the watcher.
struct PresetRead
{
    const char* path;
    off_t size;
};

// Skips to the start of the next line, telling the watcher how far the file is read
// before each block; false when it says stop.
bool skipLine(FILE* in, const PresetRead& read)
{
    std::vector<char> block(kSkipBlockBytes);
    for (;;)
    {
        const double at = static_cast<double>(ftello(in));
        if (!workWanted(read.path, read.size > 0 ? at / static_cast<double>(read.size) : 1.0))
            return false;
        const size_t got = fread(block.data(), 1, block.size(), in);
        if (got == 0)
            return true;
        if (const auto* end = static_cast<const char*>(memchr(block.data(), '\n', got)))
        {
            fseeko(in, static_cast<off_t>(end + 1 - block.data()) - static_cast<off_t>(got),
                   SEEK_CUR);
            return true;
        }
    }
}

template <size_t N>
bool putBlock(FILE* out, const char (&text)[N])
{
    return fwrite(text, 1, N - 1, out) == N - 1;
}

// Reads one line into path, without its line feed and without a carriage return
// just before it. A line too long for a path gives an empty one as soon as that is
// known; the rest of it is skipped a block at a time, so the next read starts on the
// next line. Returns false when the watcher stops the reading in such a line.
bool readPresetLine(FILE* in, char (&path)[kSlotPathSize], const PresetRead& read)
{
    char line[kSlotPathSize + 1]; // one byte more than a path and its return can take
    size_t length = 0;
    int c = EOF;
    while (length < sizeof line && (c = getc(in)) != EOF && c != '\n')
        line[length++] = static_cast<char>(c);
    if (length == sizeof line)
    {
        path[0] = '\0';
        return skipLine(in, read);
    }
    if (length > 0 && line[length - 1] == '\r')
        --length;
    if (length >= kSlotPathSize)
        length = 0;
    memcpy(path, line, length);
    path[length] = '\0';
    return true;
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

// Writes the slot paths to a new temporary file next to target, with the given
// permission bits, and flushes it to disk; returns its name, or an empty string with
// errno telling why when anything failed.
std::string writeTempPreset(const std::string& target, mode_t mode)
{
    std::string temp = target + kSaveTempMarker + kTempRandom;
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return "";
    fchmod(fd, mode);
    archivo = fdopen(fd, "w+");
    int error = errno;
    bool written = archivo != nullptr;
    if (written)
    {
        errno = 0;
        written =
            writePresetLines(archivo, lista_samples) && fflush(archivo) == 0 && fsync(fd) == 0;
        error = errno;
        if (fclose(archivo) != 0 && written)
        {
            written = false;
            error = errno;
        }
        archivo = nullptr;
    }
    else
        close(fd);
    if (written)
        return temp;
    unlink(temp.c_str());
    errno = error ? error : EIO;
    return "";
}

// A preset file whose bits allow no writing is never replaced, even by root, who may
// write anything; one the user may not write is not replaced either.
bool readOnlyPreset(const char* path, const struct stat& info)
{
    if ((info.st_mode & kWriteBits) == 0)
    {
        errno = EACCES;
        return true;
    }
    return access(path, W_OK) != 0;
}
} // namespace

bool fitsPresetLine(const char* path)
{
    const size_t length = strlen(path);
    return !strchr(path, '\n') && (length == 0 || path[length - 1] != '\r');
}

bool writePresetLines(FILE* out, const SlotPaths& paths)
{
    bool written = putBlock(out, kPresetHeader);
    for (const char* path : paths)
        written = fprintf(out, "%s\n", fitsPresetLine(path) ? path : "") >= 0 && written;
    written = putBlock(out, kPresetAuthor) && written;
    return putBlock(out, kPresetClosing) && written;
}

void readPresetPaths(FILE* in, SlotPaths& paths, const char* path)
{
    struct stat info;
    const PresetRead read = {path, fstat(fileno(in), &info) == 0 ? info.st_size : 0};
    char header[kSlotPathSize];
    bool reading = readPresetLine(in, header, read);
    for (char(&slotPath)[kSlotPathSize] : paths)
        reading = reading && readPresetLine(in, slotPath, read);
}

const char* fileNamePart(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

bool writePreset(const char* path)
{
    struct stat old;
    const bool replacing = stat(path, &old) == 0;
    if (replacing && readOnlyPreset(path, old))
        return false;
    const std::string folder = folderOf(path);
    const int folderError = mkdir(folder.c_str(), kNewFolderMode) == 0 ? 0 : errno;
    const mode_t mode = replacing ? old.st_mode & kPermissionBits : kNewFileMode & ~currentUmask();
    const std::string temp = writeTempPreset(path, mode);
    if (temp.empty())
    {
        // No folder to write in: why it could not be made, such as a read-only parent.
        if (errno == ENOENT && folderError && folderError != EEXIST)
            errno = folderError;
        return false;
    }
    if (rename(temp.c_str(), path) != 0)
    {
        const int error = errno;
        unlink(temp.c_str());
        errno = error;
        return false;
    }
    syncFolder(folder);
    return true;
}

void readPreset(const char* path)
{
    SlotPaths paths = {};
    archivo = openRegularFile(path);
    if (archivo)
    {
        readPresetPaths(archivo, paths, path);
        fclose(archivo);
        archivo = nullptr;
    }
    for (int slot = 0; slot < kSlotCount; ++slot)
        fillSlotFromPreset(slot, paths[slot], fileNamePart(paths[slot]));
}

std::string presetPath(const char* name)
{
    return std::string(kPresetFolder) + name;
}

bool presetReadable(const std::string& path)
{
    FILE* probe = openRegularFile(path.c_str());
    if (!probe)
        return false;
    fclose(probe);
    return true;
}
