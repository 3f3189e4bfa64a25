#include "preset/presetfile.h"

FILE* archivo;

void writePreset(const char*) {}

void readPreset(const char*) {}
