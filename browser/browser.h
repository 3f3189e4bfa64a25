// The sample browser screen: folder tabs, list with preview, slot column, assign.
#pragma once

#include <cstdint>

extern uint8_t modo_samples; // 1: kits/ tab, 0: loops/ tab
extern int32_t canal_sel;    // slot 0-7 the assign button fills
extern int32_t lista_sel;    // catalogue index of the entry last pressed

void drawSampleBrowser();
void sampleBrowserPress();

// Loads the entry lista_sel of the current folder into slot canal_sel.
void assignSelectedEntry();

// Selects visible row `row` and plays its file once on the first idle channel.
void previewEntry(int row);

// Frees the preview sounds whose channel has finished with them.
void releaseFinishedPreviews();

// Shut-down: frees every preview sound that is left.
void releaseAllPreviews();
