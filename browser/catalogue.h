// The directory catalogue: one folder's sorted listing and the twelve-row list view
// shared by the preset screen and the sample browser.
#pragma once

#include "app/layout.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A listed preset name and its terminator: the size of the name a preset row is
// chosen into. Sample entries are limited by the slot path instead.
constexpr int kPresetNameSize = 200;

// A preset is saved under its name followed by this marker and six random
// characters, then renamed; a file left so by a crash is never listed.
constexpr char kSaveTempMarker[] = ".saving-";
constexpr size_t kSaveTempRandomLength = 6;

// The folders the catalogue lists, relative to the working directory; each is also
// the prefix of the paths built from its entries.
constexpr char kPresetFolder[] = "presets/";
constexpr char kKitsFolder[] = "kits/";
constexpr char kLoopsFolder[] = "loops/";

// The listing: every entry of the folder that fitsListing allows, in ascending
// byte order. It grows with the folder; rows past the end read as empty names.
extern std::vector<std::string> lista;
extern int32_t cantidad;   // entries stored by the last scan, the size of lista
extern int32_t ct_lista;   // sample browser: catalogue index of its top row
extern int32_t ct_lista_2; // preset screen: catalogue index of its top row

// Lists the folder, one of the three above, sorted. A folder that cannot be opened
// leaves the catalogue empty.
void scanCatalogue(const char* folder);

// Whether an entry can be listed: a sample's folder and name must fit a slot path,
// a preset's name the preset name it is chosen into, each with its terminator.
// Entries that do not fit are left out of the listing rather than cut, and so are
// the preset folder's leftovers of interrupted saves.
bool fitsListing(const char* folder, const char* name);

// Whether a name is that of a save's temporary file: it ends in kSaveTempMarker and
// six characters.
bool isSaveLeftover(const char* name);

// Sorts the first count rows into ascending unsigned byte order, as strcmp orders.
void sortNames(std::string* rows, int32_t count);

// The entry at a catalogue index; an empty string before the start or past the end.
const char* catalogueEntry(int32_t index);

// Empties the catalogue and gives its storage back.
void clearCatalogue();

// Draws the twelve rows that start at catalogue index offset.
void drawCatalogueRows(int32_t offset);

// The row 0-11 whose hover band holds (x, y), or -1 off the list.
int hoverRowAt(int32_t x, int32_t y);

// Moves the hover bar r_caja to the row under (x, y) when it lies over the list.
void updateListHover(int32_t x, int32_t y);

// The visible row 0-11 that a press at (x, y) hits, or -1.
int catalogueRowAt(int32_t x, int32_t y);

// Rows up or down, within 0 to cantidad.
void scrollUp(int32_t* offset, int32_t rows);
void scrollDown(int32_t* offset, int32_t rows);

// Directions of the scroll arrows.
constexpr int32_t kRowUp = -1;
constexpr int32_t kRowDown = 1;

// The list offset a held scroll arrow moves and its direction; null while no arrow
// is held. A press on an arrow sets it; the pointer button going up clears it.
extern int32_t* held_list;
extern int32_t held_step;

// A press on a scroll arrow: one row at once, and the arrow is held.
void pressScrollArrow(int32_t* offset, int32_t step);

// Rows more in the held arrow's direction, if an arrow is held.
void scrollHeldList(int32_t rows);
