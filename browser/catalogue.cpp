#include "browser/catalogue.h"

int32_t cantidad;
int32_t ct_lista;
int32_t ct_lista_2;

void scanCatalogue() {}

const char* catalogueEntry(int32_t)
{
    return "";
}

void clearCatalogue()
{
    cantidad = 0;
}

void drawCatalogueRows(int32_t) {}

void updateListHover(int32_t, int32_t) {}

int catalogueRowAt(int32_t, int32_t)
{
    return -1;
}

void scrollUp(int32_t*) {}

void scrollDown(int32_t*) {}
