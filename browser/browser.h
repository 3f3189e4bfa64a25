// The sample browser screen: folder tabs, list with preview, slot column, assign.
#pragma once

#include "sound/slots.h"

#include <cstddef>
#include <cstdint>

extern uint8_t modo_samples; // 1: kits/ tab, 0: loops/ tab
extern int32_t canal_sel;    // slot 0-7 the assign button fills
// The file last tapped in the list, as its path (folder and name); empty when nothing
// is selected: at the start, after a tap on an empty row, and once a listing of the
// browser no longer shows the file.
extern char lista_sel[kSlotPathSize];

// The controls of the screen, as a press finds them.
enum BrowserControl
{
    kNoControl,
    kKitsTab,
    kLoopsTab,
    kScrollUp,
    kScrollDown,
    kSlotColumn,
    kAssignButton,
    kListRows,
};

void drawSampleBrowser();
void sampleBrowserPress();

// The control whose press box holds (x, y); the boxes do not overlap.
BrowserControl browserControlAt(int32_t x, int32_t y);

// The slot whose band in the slot column holds y, or -1 in a gap or off the bands.
int slotBandAt(int32_t y);

// The label under the list: "Sample: n" for slots 0-3, "Loop: n" for 4-7, n from 1.
void formatSlotLabel(char* out, size_t size, int32_t slot);

// The path of a catalogue entry in a folder; an entry whose path would not fit a slot
// path counts as empty, so the path is the folder alone. Returns the entry name used.
const char* entryPath(char* out, size_t size, const char* folder, const char* name);

// Loads the selected file into slot canal_sel; does nothing when none is selected.
void assignSelectedEntry();

// Selects the file of visible row `row` and previews it; a tap on an empty row
// selects nothing and stops the preview.
void previewEntry(int row);

// Lists the folder the tabs choose, from the top; the selection stays only while the
// new listing shows its file.
void listSampleFolder();

// The folder the sample tabs choose: kits/ or loops/ by modo_samples.
const char* sampleFolder();

// Tab on kits/, slot cursor on slot 0, both lists at their top, nothing selected.
void resetBrowser();
