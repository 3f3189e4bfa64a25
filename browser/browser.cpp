#include "browser/browser.h"

#include "app/assets.h"

uint8_t modo_samples;
int32_t canal_sel;
int32_t lista_sel;

void drawSampleBrowser()
{
    drawImage(f_smp, p_rect);
}

void sampleBrowserPress() {}

void assignSelectedEntry() {}

void previewEntry(int) {}

void releaseFinishedPreviews() {}

void releaseAllPreviews() {}
