// Files opened for reading only when they are regular files.
//
// Opening a named pipe for reading waits for a writer, and a device may never end;
// either would stop the program for good. The check is made on the open handle,
// so nothing can be swapped in between the check and the read.
#pragma once

#include <SDL/SDL.h>
#include <cstdio>

// The regular file at path as a binary stream; null when it cannot be opened or is
// anything else (a pipe, a device, a socket, a folder).
FILE* openRegularFile(const char* path);

// The same as an SDL stream that closes the file when it is closed.
SDL_RWops* openRegularStream(const char* path);
