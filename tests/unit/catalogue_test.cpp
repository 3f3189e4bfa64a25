// The directory catalogue: sorting, scanning real folders, and the list view's
// hover, press and scroll geometry.
#include "app/assets.h"
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
using Names = std::vector<std::string>;
using CatalogueTest = ProgramTest;

Names scanned(const char* folder = kKitsFolder)
{
    scanCatalogue(folder);
    return Names(lista.begin(), lista.begin() + cantidad);
}

// The three catalogue folders emptied.
void emptyFolders()
{
    for (const char* folder : {kPresetFolder, kKitsFolder, kLoopsFolder})
    {
        removeTree(folder);
        mkdir(folder, 0755);
    }
}
} // namespace

TEST_F(CatalogueTest, ListsTheChosenFolderSortedWholeAndAMissingFolderAsNothing)
{
    emptyFolders();
    EXPECT_EQ(scanned(), (Names{".", ".."})) << "a folder's own and parent entries are rows";
    for (const char* path : {"kits/B.wav", "kits/A.wav", "kits/a.wav", "loops/x.wav"})
        writeFile(path, "");
    mkdir("kits/sub", 0755);
    EXPECT_EQ(scanned(), (Names{".", "..", "A.wav", "B.wav", "a.wav", "sub"}));
    EXPECT_EQ(scanned(kLoopsFolder), (Names{".", "..", "x.wav"}));
    EXPECT_EQ(std::string(catalogueEntry(-1)) + catalogueEntry(3), "");
    removeTree("presets");
    EXPECT_EQ(scanned(kPresetFolder), Names{});
    int32_t offset = 0;
    scrollDown(&offset);
    EXPECT_EQ(offset, 0);
    mkdir("presets", 0755);

    // A big folder is listed whole and scrolls to its end.
    Names expected = {".", ".."};
    for (int i = 0; i < 5000; ++i)
    {
        expected.push_back("s" + std::to_string(10000 + i));
        writeFile("presets/s" + std::to_string(10000 + (4999 - i) * 7919 % 5000), "");
    }
    EXPECT_EQ(scanned(kPresetFolder), expected);
    offset = cantidad - 1;
    scrollDown(&offset);
    scrollDown(&offset);
    EXPECT_EQ(offset, cantidad) << "scrolling stops with every row blank";
    scrollUp(&offset);
    EXPECT_EQ(offset, cantidad - 1);
}

TEST_F(CatalogueTest, LongNamesAreListedWholeOrLeftOutNeverCut)
{
    // A slot path holds 199 bytes: kits/ leaves 194 for the name, loops/ 193; a preset
    // name holds 199 bytes whatever its folder.
    emptyFolders();
    const std::string n193(193, 'c'), n194(194, 'd'), n195(195, 'e'), n200(200, 'f'),
        odd = "\xe9t\xe9 \xff  2.wav";
    for (const std::string& name : {n193, n194, n195, n200, odd})
        for (const char* folder : {kPresetFolder, kKitsFolder, kLoopsFolder})
            writeFile(folder + name, "");
    EXPECT_EQ(scanned(), (Names{".", "..", n193, n194, odd}));
    EXPECT_EQ(scanned(kLoopsFolder), (Names{".", "..", n193, odd}));
    EXPECT_EQ(scanned(kPresetFolder), (Names{".", "..", n193, n194, n195, odd}));
}

TEST(ListView, HoverBandsAndPressRowsEndOnTheirExactPixels)
{
    // Press rows have gaps between them; hover bands meet, the last one ending the area.
    for (int row = 0; row < kVisibleRows; ++row)
    {
        expectHitsBox(catalogueRowAt, listRow(row), row, -1);
        const int top = kHoverArea.y0 + kRowPitch * row;
        EXPECT_EQ(std::tuple(hoverRowAt(kHoverArea.x0, top - 1), hoverRowAt(kHoverArea.x1, top),
                             hoverRowAt(kHoverArea.x0 - 1, top),
                             hoverRowAt(kHoverArea.x1 + 1, top)),
                  std::tuple(row - 1, row, -1, -1));
    }
    EXPECT_EQ(hoverRowAt(kHoverArea.x0, kHoverArea.y1) +
                  hoverRowAt(kHoverArea.x0, kHoverArea.y1 + 1),
              kVisibleRows - 2);
    // The bar sits one pixel into its band and stays where it was off the list.
    const int lastBarY = kHoverBar.y0 + kRowPitch * (kVisibleRows - 1);
    updateListHover(kHoverArea.x1, kHoverArea.y1);
    EXPECT_EQ(std::pair(int(r_caja.x), int(r_caja.y)), std::pair(kHoverBar.x0, lastBarY));
    updateListHover(100, kHoverArea.y1 + 1);
    updateListHover(kHoverArea.x0 - 1, kHoverArea.y0);
    EXPECT_EQ(r_caja.y, lastBarY);
    updateListHover(kHoverArea.x0, kHoverArea.y0);
    EXPECT_EQ(r_caja.y, kHoverBar.y0);
}
