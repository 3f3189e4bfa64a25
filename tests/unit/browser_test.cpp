// The sample browser screen in the started program: drawing, press boxes, tabs,
// scrolling, slot selection and the assign button.
#include "app/assets.h"
#include "app/loop.h"
#include "app/shell.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
class BrowserTest : public ProgramTest
{
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        keyDown(SDLK_1);
    }
};

Uint32 surfacePixel(SDL_Surface* surface, int x, int y)
{
    SDL_LockSurface(surface);
    const auto* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    const Uint16 pixel = reinterpret_cast<const Uint16*>(row)[x];
    SDL_UnlockSurface(surface);
    Uint8 r, g, b;
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    return (Uint32(r) << 16) | (Uint32(g) << 8) | b;
}

// Every visible (non-black) pixel of a keyed image shows on the display with its
// top-left corner at (x, y), and the image has some.
void expectImageAt(SDL_Surface* image, int x, int y, const char* what)
{
    int visible = 0, wrong = 0;
    for (int j = 0; j < image->h; ++j)
        for (int i = 0; i < image->w; ++i)
        {
            const Uint32 colour = surfacePixel(image, i, j);
            if (colour == 0 || x + i >= kScreenWidth || y + j >= kScreenHeight)
                continue;
            ++visible;
            wrong += screenPixel(x + i, y + j) != colour;
        }
    EXPECT_GT(visible, 0) << what;
    EXPECT_EQ(wrong, 0) << what << " at " << x << "," << y;
}

// The number of pixels in the box that are not black.
int litPixels(int left, int top, int right, int bottom)
{
    int lit = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            lit += screenPixel(x, y) != 0;
    return lit;
}

void writeTone(const std::string& path, int frames)
{
    writeWav16(path, constantStereo(frames, 1000), 2);
}
} // namespace

TEST(SlotLabel, SamplesAndLoopsAreNumberedFromOne)
{
    const char* expected[kSlotCount] = {"Sample: 1", "Sample: 2", "Sample: 3", "Sample: 4",
                                        "Loop: 1",   "Loop: 2",   "Loop: 3",   "Loop: 4"};
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        char label[32];
        formatSlotLabel(label, sizeof label, slot);
        EXPECT_STREQ(label, expected[slot]);
    }
}

TEST(BrowserPressBoxes, EachControlKeepsToItsBoxBothEndsIncluded)
{
    struct Probe
    {
        int x, y;
        BrowserControl control;
    };
    const Probe probes[] = {
        {12, 6, kKitsTab},         {128, 19, kKitsTab},     {11, 6, kNoControl},
        {12, 20, kNoControl},      {12, 5, kNoControl},     {129, 10, kNoControl},
        {194, 6, kLoopsTab},       {256, 19, kLoopsTab},    {193, 6, kNoControl},
        {257, 6, kNoControl},      {247, 31, kScrollUp},    {265, 49, kScrollUp},
        {246, 40, kNoControl},     {247, 50, kNoControl},   {247, 189, kScrollDown},
        {265, 208, kScrollDown},   {265, 209, kNoControl},  {266, 189, kNoControl},
        {270, 30, kSlotColumn},    {319, 209, kSlotColumn}, {270, 29, kNoControl},
        {270, 210, kNoControl},    {269, 100, kNoControl},  {20, 218, kAssignButton},
        {137, 232, kAssignButton}, {19, 225, kNoControl},   {138, 225, kNoControl},
        {20, 233, kNoControl},     {8, 26, kListRows},      {243, 212, kListRows},
        {7, 100, kNoControl},      {244, 100, kNoControl},  {100, 213, kNoControl},
    };
    for (const Probe& probe : probes)
        EXPECT_EQ(browserControlAt(probe.x, probe.y), probe.control) << probe.x << "," << probe.y;
}

TEST(BrowserPressBoxes, SlotBandsStepByTwentyTwoWithGapsBetween)
{
    const int bands[kSlotCount][2] = {{30, 48},   {51, 70},   {73, 92},   {95, 114},
                                      {117, 136}, {139, 158}, {161, 180}, {183, 202}};
    for (int y = 0; y < kScreenHeight; ++y)
    {
        int expected = -1;
        for (int slot = 0; slot < kSlotCount; ++slot)
            if (y >= bands[slot][0] && y <= bands[slot][1])
                expected = slot;
        ASSERT_EQ(slotBandAt(y), expected) << y;
    }
}

TEST_F(BrowserTest, PressesInTheSlotColumnSelectOnlyInsideABand)
{
    pressAt(280, 51);
    EXPECT_EQ(canal_sel, 1);
    for (int y : {49, 50, 205, 207, 209, 210, 29})
    {
        pressAt(280, y);
        EXPECT_EQ(canal_sel, 1) << y;
    }
    pressAt(269, 100);
    EXPECT_EQ(canal_sel, 1) << "left of the column";
    pressAt(319, 202);
    EXPECT_EQ(canal_sel, 7);
    pressAt(270, 30);
    EXPECT_EQ(canal_sel, 0);
    for (int slot = 0; slot < kSlotCount; ++slot)
        EXPECT_FALSE(asignados[slot]) << "selecting loads nothing";
}

TEST_F(BrowserTest, TabsSwitchFolderAndRescanEvenWhenAlreadyActive)
{
    EXPECT_EQ(modo_samples, 1);
    EXPECT_EQ(cantidad, 6) << "the stage's four kits and the two folder entries";

    pressAt(194, 6);
    EXPECT_EQ(modo_samples, 0);
    EXPECT_STREQ(catalogueEntry(2), "bass.wav");

    writeTone("loops/aaa.wav", 10);
    ct_lista = 3;
    ct_lista_2 = 4;
    pressAt(256, 19);
    EXPECT_EQ(ct_lista, 0);
    EXPECT_EQ(ct_lista_2, 0);
    EXPECT_STREQ(catalogueEntry(2), "aaa.wav") << "the active tab lists its folder again";

    writeTone("kits/aaa.wav", 10);
    pressAt(11, 6);
    pressAt(12, 20);
    EXPECT_EQ(modo_samples, 0);
    EXPECT_EQ(cantidad, 7);

    ct_lista = 2;
    pressAt(12, 6);
    EXPECT_EQ(modo_samples, 1);
    EXPECT_EQ(ct_lista, 0);
    EXPECT_EQ(cantidad, 7);
    EXPECT_STREQ(catalogueEntry(2), "aaa.wav");
}

TEST_F(BrowserTest, ScrollButtonsMoveTheListOneRowWithinItsEntries)
{
    ASSERT_EQ(cantidad, 6);
    pressAt(256, 40);
    EXPECT_EQ(ct_lista, 0);
    for (int expected : {1, 2, 3, 4, 5, 6, 6})
    {
        pressAt(247, 189);
        EXPECT_EQ(ct_lista, expected);
    }
    pressAt(265, 209);
    EXPECT_EQ(ct_lista, 6);
    pressAt(265, 49);
    EXPECT_EQ(ct_lista, 5);
    EXPECT_EQ(ct_lista_2, 0) << "the preset list keeps its own offset";
}

TEST_F(BrowserTest, DrawsRowsLabelTabHoverBarAndSlotColumnInOrder)
{
    // A black background lets the drawn parts stand out whatever the artwork.
    SDL_FillRect(f_smp, nullptr, 0);
    ct_lista = 3; // hat.wav, kick.wav, tom.wav, then blank rows
    canal_sel = 5;
    frame();
    for (int row = 0; row < kVisibleRows; ++row)
    {
        const int top = 32 + 15 * row;
        if (row < 3)
            EXPECT_GT(litPixels(10, top, 240, top + 15), 20) << row;
        else
            EXPECT_EQ(litPixels(0, top, 260, top + 15), 0) << row;
    }
    EXPECT_EQ(litPixels(0, 32, 10, 77), 0) << "text starts at x = 10";

    // "Loop: 2" in yellow at (180, 222).
    int yellow = 0, other = 0;
    for (int y = 218; y < kScreenHeight; ++y)
        for (int x = 170; x < 268; ++x)
        {
            const Uint32 c = screenPixel(x, y);
            if (c == 0)
                continue;
            const int red = int(c >> 16), green = int((c >> 8) & 0xff);
            const bool isYellow = (c & 0xff) == 0 && std::abs(red - green) <= 8;
            const bool inside = x >= 180 && y >= 222;
            yellow += isYellow && inside && red > 0xc0;
            other += !isYellow || !inside;
        }
    EXPECT_GT(yellow, 10);
    EXPECT_EQ(other, 0);

    expectImageAt(caja_s_2, 0, 0, "hover bar before any motion over the list");
    expectImageAt(sample_sel, 269, 29 + 23 * 5, "slot cursor");
    moveTo(100, 100); // the bar leaves the tabs
    frame();
    expectImageAt(caja_s, 3, 4, "kits tab");

    pressAt(194, 6);
    keyDown(SDLK_2);
    moveTo(100, 50); // over row 1, moved while a pad screen shows
    keyDown(SDLK_1);
    frame();
    expectImageAt(caja_l, 184, 4, "loops tab");
    expectImageAt(caja_s_2, 6, 43, "hover bar over the text");
}

TEST_F(BrowserTest, MarkersShowExactlyTheAssignedSlots)
{
    canal_sel = 2;
    for (int slot : {0, 3, 4, 7})
        asignados[slot] = 1;
    frame();
    SDL_Surface* shown = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);

    drawImage(f_smp, p_rect);
    drawImage(sample_sel, SDL_Rect{269, 75, 0, 0});
    for (int y : {32, 101, 124, 193})
        drawImage(asignado, SDL_Rect{271, static_cast<Sint16>(y), 0, 0});
    int different = 0;
    for (int y = 22; y < kScreenHeight; ++y)
        for (int x = 269; x < kScreenWidth; ++x)
            different += surfacePixel(shown, x, y) != screenPixel(x, y);
    EXPECT_EQ(different, 0);
    SDL_FreeSurface(shown);
    for (int slot : {0, 3, 4, 7})
        asignados[slot] = 0;
}

TEST_F(BrowserTest, AssignStoresPathFlagNameAndSoundOfTheLastPressedEntry)
{
    writeTone("kits/hihat_open.wav", 300);
    writeTone("kits/ab.wav", 200);
    writeFile("kits/clap.wav", "");
    pressAt(12, 6);
    ASSERT_STREQ(catalogueEntry(5), "hihat_open.wav");

    pressAt(100, 26 + 15 * 5); // row 5
    EXPECT_EQ(lista_sel, 5);
    pressAt(280, 117); // slot 4
    pressAt(20, 218);
    EXPECT_STREQ(lista_samples[4], "kits/hihat_open.wav");
    EXPECT_EQ(asignados[4], 1);
    EXPECT_STREQ(nombres[4], "hihat_op");
    ASSERT_NE(samples[4], nullptr);
    EXPECT_EQ(samples[4]->alen, 300u * 4);

    pressAt(100, 26 + 15 * 2); // ab.wav, assigned over the same slot
    pressAt(137, 232);
    EXPECT_STREQ(lista_samples[4], "kits/ab.wav");
    EXPECT_STREQ(nombres[4], "ab.wav");
    ASSERT_NE(samples[4], nullptr);
    EXPECT_EQ(samples[4]->alen, 200u * 4);

    pressAt(100, 26 + 15 * 3); // clap.wav, an empty file that does not decode
    pressAt(280, 30);
    pressAt(20, 218);
    EXPECT_STREQ(lista_samples[0], "kits/clap.wav");
    EXPECT_EQ(asignados[0], 1);
    EXPECT_EQ(samples[0], nullptr);

    pressAt(100, 26 + 15 * 11); // an empty row
    EXPECT_EQ(lista_sel, 11);
    pressAt(280, 183);
    pressAt(20, 218);
    EXPECT_STREQ(lista_samples[7], "kits/");
    EXPECT_EQ(asignados[7], 1);
    EXPECT_STREQ(nombres[7], "");
    EXPECT_EQ(samples[7], nullptr);
    EXPECT_EQ(asignados[1] + asignados[2] + asignados[3] + asignados[5] + asignados[6], 0);
}

TEST_F(BrowserTest, TheLastPressedIndexOutlivesScrollTabsAndScreens)
{
    for (const char* name : {"k1.wav", "k2.wav", "k3.wav", "k4.wav"})
        writeTone(std::string("kits/") + name, 10);
    writeTone("loops/l1.wav", 10);
    writeTone("loops/l2.wav", 10);
    writeTone("loops/l3.wav", 10);
    pressAt(12, 6);
    ASSERT_EQ(cantidad, 10);

    for (int k = 0; k < 5; ++k)
        pressAt(247, 189);
    pressAt(100, 26 + 15 * 2);
    EXPECT_EQ(lista_sel, 7);
    EXPECT_STREQ(catalogueEntry(7), "k4.wav");

    pressAt(247, 31);
    pressAt(194, 6);
    keyDown(SDLK_2);
    keyDown(SDLK_1);
    EXPECT_EQ(lista_sel, 7);
    ASSERT_EQ(cantidad, 9);
    EXPECT_STREQ(catalogueEntry(7), "l3.wav");
    pressAt(280, 140);
    pressAt(20, 218);
    EXPECT_STREQ(lista_samples[5], "loops/l3.wav") << "entry 7 of the new listing";
    EXPECT_STREQ(nombres[5], "l3.wav");

    removeTree("loops/l3.wav");
    pressAt(194, 6);
    pressAt(20, 218);
    EXPECT_STREQ(lista_samples[5], "loops/lead.wav");

    removeTree("loops/l1.wav");
    removeTree("loops/l2.wav");
    pressAt(194, 6);
    ASSERT_EQ(cantidad, 6);
    pressAt(20, 218);
    EXPECT_STREQ(lista_samples[5], "loops/") << "an index past the end is an empty entry";
    EXPECT_STREQ(nombres[5], "");
}

TEST_F(BrowserTest, ALongNameIsPreviewedAndAssignedWhole)
{
    const std::string name = std::string(180, 'x') + ".wav";
    writeTone("kits/" + name, 100);
    pressAt(12, 6);
    ASSERT_STREQ(catalogueEntry(6), name.c_str());
    ct_lista = 6;
    pressAt(100, 30);
    pressAt(20, 218);
    EXPECT_EQ(lista_samples[0], "kits/" + name);
    EXPECT_STREQ(nombres[0], "xxxxxxxx");
    ASSERT_NE(samples[0], nullptr);

    char path[kSlotPathSize];
    const std::string tooLong(195, 'y');
    EXPECT_STREQ(entryPath(path, sizeof path, "kits/", tooLong.c_str()), "");
    EXPECT_STREQ(path, "kits/") << "a name that does not fit is never cut";
    EXPECT_STREQ(entryPath(path, sizeof path, "kits/", "a.wav"), "a.wav");
    EXPECT_STREQ(path, "kits/a.wav");
}
