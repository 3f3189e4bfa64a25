// The preset file: a header line, the eight slot paths one per line, two closing lines.
#pragma once

#include "sound/slots.h"

#include <cstdio>
#include <string>

using SlotPaths = char[kSlotCount][kSlotPathSize];

// The fixed lines around the slot paths, exactly as other programs of the format
// expect them.
constexpr char kPresetHeader[] = "Tamo Ri Presets\n";
constexpr char kPresetAuthor[] = "Oru\n";
constexpr char kPresetClosing[] = "Se supone que no deberias estar leyendo esto.\n";

extern FILE* archivo; // the preset file while it is written or read

// Whether a path reads back from its line as itself: it holds no line feed and does
// not end in a carriage return, which the reader drops.
bool fitsPresetLine(const char* path);

// Writes the whole layout of a preset holding paths to out: always eleven lines, a
// path that does not fit its line written as an empty one, so the slots after it
// keep their places. True when every byte was accepted by the stream.
bool writePresetLines(FILE* out, const SlotPaths& paths);

// Reads a preset from in, line by line: the first line is the header, whatever it
// says; then one line per slot, slot 0 first. A carriage return before the line
// feed is dropped. An empty or missing line, or one longer than a slot path can
// hold, gives an empty path; the slots after it stay aligned. While it skips a long
// line it tells the decoder's watcher how far the file at path is read, and a watcher
// that says stop leaves the paths not yet read empty.
void readPresetPaths(FILE* in, SlotPaths& paths, const char* path = "");

// The file-name part of a path: what follows its last '/', or the whole path.
const char* fileNamePart(const char* path);

// Writes the eight slot paths to path without ever leaving a half-written file
// there: the layout goes to a temporary file in the same folder (created when
// missing), named after path and kSaveTempMarker, is flushed to disk and then
// renamed over path. A file it replaces keeps its permission bits; one whose bits
// allow no writing, or that the user may not write, is not replaced. On failure
// path is left as it was and false is returned, with errno telling why.
bool writePreset(const char* path);

// Fills all eight slots from the file at path, each with its path, the display
// name of its file name, its decoded sound and its flag, and prints the eight paths
// on standard output. A file that cannot be opened, or is no regular file, leaves
// every slot empty. The caller has released the slots' old sounds.
void readPreset(const char* path);

// The file a preset name stands for: the preset folder followed by the name.
std::string presetPath(const char* name);

// True when path is a regular file that opens for reading.
bool presetReadable(const std::string& path);
