// The directory catalogue: one folder's sorted listing and the twelve-row list view
// shared by the preset screen and the sample browser.
#pragma once

#include <cstdint>

constexpr int kVisibleRows = 12;

extern int32_t cantidad;   // entries stored by the last scan
extern int32_t ct_lista;   // sample browser: catalogue index of its top row
extern int32_t ct_lista_2; // preset screen: catalogue index of its top row

// Lists the folder that modo and modo_samples choose, sorted.
void scanCatalogue();

// The entry at a catalogue index; an empty string past the end.
const char* catalogueEntry(int32_t index);

// Empties the catalogue.
void clearCatalogue();

// Draws the twelve rows that start at catalogue index offset.
void drawCatalogueRows(int32_t offset);

// Moves the hover bar r_caja to the row under (x, y) when it lies over the list.
void updateListHover(int32_t x, int32_t y);

// The visible row 0-11 that a press at (x, y) hits, or -1.
int catalogueRowAt(int32_t x, int32_t y);

// One row up or down, within 0 to cantidad.
void scrollUp(int32_t* offset);
void scrollDown(int32_t* offset);
