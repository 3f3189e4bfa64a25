// The directory catalogue: sorting, scanning real folders, and the list view's
// hover, press and scroll geometry.
#include "app/assets.h"
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "tests/support/stage.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
// A scratch working directory with the three catalogue folders, the screen and tab
// that list kits/.
class CatalogueTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        home = cwd;
        dir = makeTempDir();
        ASSERT_EQ(chdir(dir.c_str()), 0);
        for (const char* folder : {kPresetFolder, kKitsFolder, kLoopsFolder})
            mkdir(folder, 0755);
        modo = kSampleBrowser;
        modo_samples = 1;
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(home.c_str()), 0);
        removeTree(dir);
    }

    std::vector<std::string> listed() const
    {
        std::vector<std::string> names;
        for (int32_t i = 0; i < cantidad; ++i)
            names.push_back(catalogueEntry(i));
        return names;
    }

    std::string home, dir;
};

void touch(const std::string& path)
{
    writeFile(path, "");
}

using Names = std::vector<std::string>;
} // namespace

TEST(SortNames, AscendingUnsignedByteOrderOfTheFirstCountRows)
{
    Names rows = {"b.wav",   "a.wav", "..", "\xc3\xa9t\xc3\xa9.wav",
                  "A.wav",   "9.wav", ".",  "zz",
                  "a b.wav", "_x",    "Z",  "a"};
    sortNames(rows.data(), static_cast<int32_t>(rows.size()));
    EXPECT_EQ(rows, (Names{".", "..", "9.wav", "A.wav", "Z", "_x", "a", "a b.wav", "a.wav", "b.wav",
                           "zz", "\xc3\xa9t\xc3\xa9.wav"}));

    Names part = {"c", "b", "a", "0"};
    sortNames(part.data(), 3);
    EXPECT_EQ(part, (Names{"a", "b", "c", "0"})) << "rows past count stay where they are";
    sortNames(part.data(), 0);
    sortNames(part.data(), -4);
    EXPECT_EQ(part, (Names{"a", "b", "c", "0"}));
}

TEST_F(CatalogueTest, ListsEveryEntryOfTheChosenFolderSorted)
{
    EXPECT_EQ(catalogueFolder(kPresetScreen, 1), std::string("presets/"));
    EXPECT_EQ(catalogueFolder(kSampleBrowser, 1), std::string("kits/"));
    EXPECT_EQ(catalogueFolder(kSampleBrowser, 0), std::string("loops/"));
    EXPECT_EQ(catalogueFolder(kLoopPads, 0), std::string("loops/"));

    scanCatalogue();
    EXPECT_EQ(listed(), (Names{".", ".."})) << "a folder's own and parent entries are rows";

    for (const char* name : {"b.wav", "A.wav", "a.wav"})
        touch(std::string("kits/") + name);
    mkdir("kits/sub", 0755);
    touch("loops/beat.wav");
    touch("presets/demo.trp");
    scanCatalogue();
    EXPECT_EQ(listed(), (Names{".", "..", "A.wav", "a.wav", "b.wav", "sub"}));

    modo_samples = 0;
    scanCatalogue();
    EXPECT_EQ(listed(), (Names{".", "..", "beat.wav"}));
    modo = kPresetScreen;
    modo_samples = 1;
    scanCatalogue();
    EXPECT_EQ(listed(), (Names{".", "..", "demo.trp"}));
    EXPECT_EQ(catalogueEntry(-1), std::string(""));
    EXPECT_EQ(catalogueEntry(3), std::string(""));
    EXPECT_EQ(catalogueEntry(200), std::string(""));
}

TEST_F(CatalogueTest, AMissingFolderListsNothingAndDoesNotScroll)
{
    touch("kits/a.wav");
    scanCatalogue();
    ASSERT_EQ(cantidad, 3);
    removeTree("kits");
    scanCatalogue();
    EXPECT_EQ(cantidad, 0);
    EXPECT_EQ(catalogueEntry(0), std::string(""));
    int32_t offset = 0;
    scrollDown(&offset);
    EXPECT_EQ(offset, 0);
    scrollUp(&offset);
    EXPECT_EQ(offset, 0);
}

TEST_F(CatalogueTest, ABigFolderIsListedWhole)
{
    constexpr int kFiles = 5000;
    Names expected = {".", ".."};
    for (int i = kFiles - 1; i >= 0; --i)
    {
        char name[32];
        snprintf(name, sizeof name, "s%05d.wav", i * 7919 % kFiles);
        touch(std::string("kits/") + name);
    }
    for (int i = 0; i < kFiles; ++i)
    {
        char name[32];
        snprintf(name, sizeof name, "s%05d.wav", i);
        expected.push_back(name);
    }
    scanCatalogue();
    EXPECT_EQ(cantidad, kFiles + 2);
    EXPECT_EQ(listed(), expected);
    EXPECT_EQ(catalogueEntry(cantidad), std::string(""));

    int32_t offset = cantidad - 1;
    scrollDown(&offset);
    scrollDown(&offset);
    EXPECT_EQ(offset, cantidad) << "scrolling stops with every row blank";
}

TEST_F(CatalogueTest, LongNamesAreListedWholeOrLeftOutNeverCut)
{
    // A slot path holds 199 bytes: kits/ leaves 194 for the name, loops/ 193; a preset
    // name holds 199 bytes whatever its folder.
    const std::string n49(49, 'a'), n50(50, 'b'), n194(194, 'c'), n195(195, 'd'), n200(200, 'e');
    const std::string spaced = "snare  roll 2.wav", latin = "\xe9t\xe9 \xff.wav";
    for (const std::string& name : {n49, n50, n194, n195, n200, spaced, latin})
    {
        touch("kits/" + name);
        touch("loops/" + name);
        touch("presets/" + name);
    }
    const std::string n191(191, 'f'), n192(192, 'g'), n193(193, 'h');
    for (const std::string& name : {n191, n192, n193})
        touch("presets/" + name);
    touch("loops/" + n193);

    scanCatalogue();
    EXPECT_EQ(listed(), (Names{".", "..", n49, n50, n194, spaced, latin}));
    modo_samples = 0;
    scanCatalogue();
    EXPECT_EQ(listed(), (Names{".", "..", n49, n50, n193, spaced, latin}));
    modo = kPresetScreen;
    scanCatalogue();
    EXPECT_EQ(listed(), (Names{".", "..", n49, n50, n194, n195, n191, n192, n193, spaced, latin}));

    EXPECT_TRUE(fitsListing("kits/", n194.c_str()));
    EXPECT_FALSE(fitsListing("kits/", n195.c_str()));
    EXPECT_TRUE(fitsListing("presets/", std::string(199, 'x').c_str()));
    EXPECT_FALSE(fitsListing("presets/", n200.c_str()));
}

TEST(ListView, HoverBandsMoveTheBarAndEverythingElseLeavesIt)
{
    struct Band
    {
        int top, bottom, barY;
    };
    const Band bands[kVisibleRows] = {
        {27, 41, 28},    {42, 56, 43},    {57, 71, 58},    {72, 86, 73},
        {87, 101, 88},   {102, 116, 103}, {117, 131, 118}, {132, 146, 133},
        {147, 161, 148}, {162, 176, 163}, {177, 191, 178}, {192, 212, 193},
    };
    for (int row = 0; row < kVisibleRows; ++row)
        for (int y = bands[row].top; y <= bands[row].bottom; ++y)
            for (int x : {6, 100, 266})
            {
                r_caja = SDL_Rect{0, 0, 241, 17};
                updateListHover(x, y);
                ASSERT_EQ(r_caja.x, 6) << x << "," << y;
                ASSERT_EQ(r_caja.y, bands[row].barY) << x << "," << y;
                ASSERT_EQ(r_caja.w, 241);
                ASSERT_EQ(r_caja.h, 17);
            }

    updateListHover(100, 212);
    EXPECT_EQ(r_caja.y, 193);
    for (auto [x, y] : {std::pair{100, 213}, {267, 100}, {5, 100}, {100, 26}, {-1, 100}, {0, 0}})
    {
        updateListHover(x, y);
        EXPECT_EQ(r_caja.x, 6) << x << "," << y;
        EXPECT_EQ(r_caja.y, 193) << x << "," << y;
        EXPECT_EQ(hoverRowAt(x, y), -1);
    }
}

TEST(ListView, PressesHitRowsFourteenPixelsTallOnePixelAboveTheHoverBands)
{
    for (int y = 0; y < 240; ++y)
    {
        int expected = -1;
        for (int k = 0; k < kVisibleRows; ++k)
            if (y >= 26 + 15 * k && y <= 39 + 15 * k)
                expected = k;
        for (int x : {8, 100, 243})
            ASSERT_EQ(catalogueRowAt(x, y), expected) << x << "," << y;
        ASSERT_EQ(catalogueRowAt(7, y), -1);
        ASSERT_EQ(catalogueRowAt(244, y), -1);
    }
    EXPECT_EQ(catalogueRowAt(100, 40), -1);
    EXPECT_EQ(catalogueRowAt(100, 41), 1);
    EXPECT_EQ(hoverRowAt(100, 41), 0) << "the bar still marks row 0 there";
    EXPECT_EQ(catalogueRowAt(100, 26), 0);
    EXPECT_EQ(hoverRowAt(100, 26), -1);
    EXPECT_EQ(catalogueRowAt(100, 204), 11);
    EXPECT_EQ(catalogueRowAt(100, 205), -1);
    EXPECT_EQ(catalogueRowAt(244, 30), -1);
}
