// The sample browser screen: folder tabs, list with preview, slot column, assign.
#pragma once

#include <cstddef>
#include <cstdint>

extern uint8_t modo_samples; // 1: kits/ tab, 0: loops/ tab
extern int32_t canal_sel;    // slot 0-7 the assign button fills
extern int32_t lista_sel;    // catalogue index of the entry last pressed; may be past the end

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

// Loads the entry lista_sel of the current folder into slot canal_sel.
void assignSelectedEntry();

// Selects visible row `row` and previews its file.
void previewEntry(int row);

// The folder the sample tabs choose: kits/ or loops/ by modo_samples.
const char* sampleFolder();

// Tab on kits/, slot cursor on slot 0, both lists at their top.
void resetBrowser();
