#include "sound/regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE* openRegularFile(const char* path)
{
    // Without O_NONBLOCK a pipe would block right here, before fstat could look.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info;
    FILE* file = nullptr;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
        file = fdopen(fd, "rb");
    if (!file)
        close(fd);
    return file;
}

SDL_RWops* openRegularStream(const char* path)
{
    FILE* file = openRegularFile(path);
    if (!file)
        return nullptr;
    SDL_RWops* stream = SDL_RWFromFP(file, 1);
    if (!stream)
        fclose(file);
    return stream;
}
