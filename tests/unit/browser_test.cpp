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

void assignRow(int row, int slot)
{
    pressIn(listRow(row));
    pressIn(slotBand(slot));
    pressIn(kAssignBox);
}
} // namespace

TEST(BrowserPressBoxes, EachControlKeepsToItsBoxBothEndsIncluded)
{
    const std::pair<Box, BrowserControl> controls[] = {{kKitsTabBox, kKitsTab},
                                                       {kLoopsTabBox, kLoopsTab},
                                                       {kBrowserScrollUpBox, kScrollUp},
                                                       {kBrowserScrollDownBox, kScrollDown},
                                                       {kSlotColumnBox, kSlotColumn},
                                                       {kAssignBox, kAssignButton},
                                                       {kListBox, kListRows}};
    for (const auto& [box, control] : controls)
        expectHitsBox(browserControlAt, box, control, kNoControl);
    for (int slot = 0; slot < kSlotCount; ++slot) // slot bands, with gaps between them
    {
        const Box band = slotBand(slot);
        EXPECT_EQ(std::tuple(slotBandAt(band.y0 - 1), slotBandAt(band.y0), slotBandAt(band.y1),
                             slotBandAt(band.y1 + 1)),
                  std::tuple(-1, slot, slot, -1));
    }
}

TEST_F(BrowserTest, TabsRescanScrollStopsAtTheEndAndOnlyBandsSelectASlotShownByTheMarkers)
{
    EXPECT_EQ(cantidad, 6) << "the stage's four kits and the two folder entries";
    pressIn(kLoopsTabBox);
    EXPECT_EQ(modo_samples, 0);
    writeTone("loops/aaa.wav");
    ct_lista = ct_lista_2 = 3;
    pressIn(kLoopsTabBox);
    EXPECT_EQ(ct_lista + ct_lista_2, 0);
    EXPECT_STREQ(catalogueEntry(2), "aaa.wav") << "the active tab lists its folder again";
    pressAt(kKitsTabBox.x0, kKitsTabBox.y1 + 1); // just below the kits tab
    EXPECT_EQ(modo_samples, 0);
    pressIn(kKitsTabBox);
    EXPECT_EQ(modo_samples, 1);
    pressIn(kBrowserScrollDownBox);
    repeatHeldScroll(clockUs() + 300000);
    EXPECT_EQ(ct_lista, 1) << "a press scrolls one row at once; holding repeats after 0.4 s";
    repeatHeldScroll(clockUs() + 600000);
    EXPECT_EQ(ct_lista, 5) << "then 15 rows a second";
    repeatHeldScroll(clockUs() + 2000000);
    EXPECT_EQ(ct_lista, 6) << "down stops with every row blank";
    ct_lista = 0;
    pressIn(kBrowserScrollDownBox);
    release();
    repeatHeldScroll(clockUs() + 2000000);
    EXPECT_EQ(ct_lista, 1) << "a tap scrolls one row";
    pressIn(kBrowserScrollUpBox);
    EXPECT_EQ(std::pair(ct_lista, ct_lista_2), std::pair(0, 0)) << "up; the preset list apart";

    pressIn(slotBand(2));
    pressAt(kSlotColumnBox.x0, slotBand(1).y0 - 1); // a gap between bands
    EXPECT_EQ(canal_sel, 2);
    EXPECT_FALSE(asignados[2]) << "selecting loads nothing";
    for (int slot : {0, 3, 4, 7})
        asignados[slot] = 1;
    frame();
    SDL_Surface* shown = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
    drawImage(f_smp, p_rect);
    drawImage(sample_sel, rectOf(moved(kSlotCursor, 0, kMarkerPitch * 2)));
    for (int slot : {0, 3, 4, 7})
        drawImage(asignado, rectOf(moved(kSlotMarker, 0, kMarkerPitch * slot)));
    int different = 0;
    for (int y = 22; y < kScreenHeight; ++y)
        for (int x = kSlotCursor.x0; x < kScreenWidth; ++x)
            different += pixelAt(shown, x, y) != pixelAt(screen, x, y);
    EXPECT_EQ(different, 0) << "markers on the selected and exactly the assigned slots";
    canal_sel = 5;
    frame();
    int relabelled = 0;
    for (int y = kSlotLabelRoom.y0; y <= kSlotLabelRoom.y1; ++y)
        for (int x = kSlotLabelRoom.x0; x <= kSlotLabelRoom.x1; ++x)
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
    pressIn(kKitsTabBox);
    ASSERT_STREQ(catalogueEntry(4), "hihat_open.wav");
    const struct
    {
        int row, slot;
        const char *path, *name;
        Uint32 bytes; // of the sound; 0: none
    } assigns[] = {
        {4, 4, "kits/hihat_open.wav", "hihat_op", 300 * 4},
        {2, 5, "kits/clap.wav", "clap.wav", 0},
        {11, 7, "kits/", "", 0}, // an empty row
    };
    for (const auto& a : assigns)
    {
        assignRow(a.row, a.slot);
        EXPECT_EQ(std::tuple(std::string(lista_samples[a.slot]), std::string(nombres[a.slot]),
                             asignados[a.slot], samples[a.slot] ? samples[a.slot]->alen : 0),
                  std::tuple(a.path, a.name, 1, a.bytes));
    }
    ct_lista = 7;
    assignRow(0, 0);
    EXPECT_EQ(lista_samples[0], "kits/" + longName) << "a long name is assigned whole";
    ASSERT_NE(samples[0], nullptr);
    EXPECT_EQ(asignados[1] + asignados[2] + asignados[3] + asignados[6], 0);

    // The last pressed index outlives scrolling, tabs and screens.
    for (const char* name : {"kits/k1.wav", "loops/l1.wav", "loops/l2.wav", "loops/l3.wav"})
        writeTone(name);
    pressIn(kKitsTabBox);
    for (int k = 0; k < 5; ++k)
        pressIn(kBrowserScrollDownBox);
    pressIn(listRow(2));
    EXPECT_EQ(lista_sel, 7);
    pressIn(kLoopsTabBox);
    keyDown(SDLK_2);
    keyDown(SDLK_1);
    ASSERT_STREQ(catalogueEntry(7), "l3.wav");
    pressIn(slotBand(5));
    pressIn(kAssignBox);
    EXPECT_STREQ(lista_samples[5], "loops/l3.wav") << "entry 7 of the new listing";
    removeTree("loops/l1.wav");
    removeTree("loops/l2.wav");
    pressIn(kLoopsTabBox);
    pressIn(kAssignBox);
    EXPECT_STREQ(lista_samples[5], "loops/") << "an index past the end is an empty entry";
}
