// The sample browser screen in the started program: press boxes, tabs, scrolling,
// slot selection, the slot markers and the assign button.
#include "app/assets.h"
#include "app/display.h"
#include "app/loop.h"
#include "app/shell.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

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

void writeTone(const std::string& path, int frames = 10)
{
    writeWav16(path, constantStereo(frames, 1000), 2);
}

void pressRow(int row)
{
    pressAt(100, 26 + 15 * row);
}
} // namespace

TEST(BrowserPressBoxes, EachControlKeepsToItsBoxBothEndsIncluded)
{
    const struct
    {
        int x, y;
        BrowserControl control;
    } probes[] = {
        {12, 6, kKitsTab},        {128, 19, kKitsTab},       {11, 6, kNoControl},
        {12, 20, kNoControl},     {194, 6, kLoopsTab},       {256, 19, kLoopsTab},
        {193, 6, kNoControl},     {257, 6, kNoControl},      {247, 31, kScrollUp},
        {265, 49, kScrollUp},     {246, 40, kNoControl},     {247, 50, kNoControl},
        {247, 189, kScrollDown},  {265, 208, kScrollDown},   {265, 209, kNoControl},
        {266, 189, kNoControl},   {270, 30, kSlotColumn},    {319, 209, kSlotColumn},
        {270, 29, kNoControl},    {270, 210, kNoControl},    {269, 100, kNoControl},
        {20, 218, kAssignButton}, {137, 232, kAssignButton}, {19, 225, kNoControl},
        {138, 225, kNoControl},   {20, 233, kNoControl},     {8, 26, kListRows},
        {243, 212, kListRows},    {7, 100, kNoControl},      {244, 100, kNoControl},
        {100, 213, kNoControl},
    };
    for (const auto& probe : probes)
        EXPECT_EQ(browserControlAt(probe.x, probe.y), probe.control) << probe.x << "," << probe.y;

    // Slot bands step by 22 pixels with gaps between them.
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

TEST_F(BrowserTest, TabsRescanScrollStopsAtTheEndAndOnlyBandsSelectASlot)
{
    EXPECT_EQ(cantidad, 6) << "the stage's four kits and the two folder entries";
    pressAt(194, 6);
    EXPECT_EQ(modo_samples, 0);
    writeTone("loops/aaa.wav");
    ct_lista = ct_lista_2 = 3;
    pressAt(256, 19);
    EXPECT_EQ(ct_lista + ct_lista_2, 0);
    EXPECT_STREQ(catalogueEntry(2), "aaa.wav") << "the active tab lists its folder again";
    pressAt(12, 20); // just below the kits tab
    EXPECT_EQ(modo_samples, 0);
    pressAt(12, 6);
    EXPECT_EQ(modo_samples, 1);

    pressAt(247, 189);
    repeatHeldScroll(clockUs() + 300000);
    EXPECT_EQ(ct_lista, 1) << "a press scrolls one row at once; holding repeats after 0.4 s";
    repeatHeldScroll(clockUs() + 600000);
    EXPECT_EQ(ct_lista, 5) << "then 15 rows a second";
    repeatHeldScroll(clockUs() + 2000000);
    EXPECT_EQ(ct_lista, 6) << "down stops with every row blank";
    ct_lista = 0;
    pressAt(247, 189);
    release();
    repeatHeldScroll(clockUs() + 2000000);
    EXPECT_EQ(ct_lista, 1) << "a tap scrolls one row";
    ct_lista = 6;
    pressAt(265, 49);
    EXPECT_EQ(ct_lista, 5);
    EXPECT_EQ(ct_lista_2, 0) << "the preset list keeps its own offset";

    pressAt(319, 202);
    pressAt(280, 50); // a gap between bands
    EXPECT_EQ(canal_sel, 7);
    EXPECT_FALSE(asignados[7]) << "selecting loads nothing";
}

TEST_F(BrowserTest, MarkersAndLabelShowTheSelectedAndExactlyTheAssignedSlots)
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
            different += pixelAt(shown, x, y) != pixelAt(screen, x, y);
    EXPECT_EQ(different, 0);

    canal_sel = 5;
    frame();
    int relabelled = 0;
    for (int y = 218; y < kScreenHeight; ++y)
        for (int x = 180; x < 262; ++x)
            relabelled += pixelAt(shown, x, y) != pixelAt(screen, x, y);
    EXPECT_GT(relabelled, 0) << "the next frame's label names the newly selected slot";
    SDL_FreeSurface(shown);
}

TEST_F(BrowserTest, AssignStoresPathFlagNameAndSoundOfTheLastPressedEntry)
{
    writeTone("kits/hihat_open.wav", 300);
    writeFile("kits/clap.wav", ""); // does not decode
    const std::string longName = std::string(180, 'x') + ".wav";
    writeTone("kits/" + longName, 100);
    pressAt(12, 6);
    ASSERT_STREQ(catalogueEntry(4), "hihat_open.wav");

    const struct
    {
        int row, bandY;
        const char *path, *name;
        Uint32 bytes; // of the sound; 0: none
    } assigns[] = {
        {4, 117, "kits/hihat_open.wav", "hihat_op", 300 * 4},
        {2, 139, "kits/clap.wav", "clap.wav", 0},
        {11, 183, "kits/", "", 0}, // an empty row
    };
    for (const auto& a : assigns)
    {
        pressRow(a.row);
        pressAt(280, a.bandY);
        pressAt(20, 218);
        const int slot = slotBandAt(a.bandY);
        EXPECT_STREQ(lista_samples[slot], a.path);
        EXPECT_STREQ(nombres[slot], a.name);
        EXPECT_EQ(asignados[slot], 1);
        EXPECT_EQ(samples[slot] ? samples[slot]->alen : 0, a.bytes) << a.path;
    }
    ct_lista = 7;
    pressRow(0);
    pressAt(280, 30);
    pressAt(137, 232);
    EXPECT_EQ(lista_samples[0], "kits/" + longName) << "a long name is assigned whole";
    ASSERT_NE(samples[0], nullptr);
    EXPECT_EQ(asignados[1] + asignados[2] + asignados[3] + asignados[6], 0);

    char path[kSlotPathSize];
    EXPECT_STREQ(entryPath(path, sizeof path, "kits/", std::string(195, 'y').c_str()), "");
    EXPECT_STREQ(path, "kits/") << "a name that does not fit is never cut";
}

TEST_F(BrowserTest, TheLastPressedIndexOutlivesScrollTabsAndScreens)
{
    for (const char* name : {"kits/k1.wav", "kits/k2.wav", "kits/k3.wav", "kits/k4.wav",
                             "loops/l1.wav", "loops/l2.wav", "loops/l3.wav"})
        writeTone(name);
    pressAt(12, 6);
    for (int k = 0; k < 5; ++k)
        pressAt(247, 189);
    pressRow(2);
    EXPECT_EQ(lista_sel, 7);

    pressAt(194, 6);
    keyDown(SDLK_2);
    keyDown(SDLK_1);
    ASSERT_STREQ(catalogueEntry(7), "l3.wav");
    pressAt(280, 140);
    pressAt(20, 218);
    EXPECT_STREQ(lista_samples[5], "loops/l3.wav") << "entry 7 of the new listing";

    removeTree("loops/l1.wav");
    removeTree("loops/l2.wav");
    pressAt(194, 6);
    pressAt(20, 218);
    EXPECT_STREQ(lista_samples[5], "loops/") << "an index past the end is an empty entry";
}
