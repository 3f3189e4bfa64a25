// The preset file: a header line, the eight slot paths one per line, two closing lines.
#pragma once

#include <cstdio>

extern FILE* archivo; // the preset file while it is written or read

// Writes the eight slot paths to path.
void writePreset(const char* path);

// Fills all eight slots from the file at path and prints their paths.
void readPreset(const char* path);
