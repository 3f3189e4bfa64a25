// The sample browser screen and the directory catalogue in the started program:
// press boxes, tabs, scrolling, slot selection, the slot markers, the assign button,
// sorting and scanning real folders, and the list view's hover and press geometry.
#include "app/assets.h"
#include "app/display.h"
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "preset/keyboard.h"
#include "preset/presetscreen.h"
#include "sound/decode.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL_ttf.h>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
using BrowserTest = ProgramTest;

// The font's own rendering of text in white, as UTF-8 or as Latin-1, drawn onto
// `onto` at (x, y); only its columns from `from` on, `width` wide.
void drawExpected(SDL_Surface* onto, const std::string& text, bool utf8, int x, int y, int from,
                  int width)
{
    const SDL_Color white = {255, 255, 255, 0};
    SDL_Surface* rendered = utf8 ? TTF_RenderUTF8_Blended(fuente, text.c_str(), white)
                                 : TTF_RenderText_Blended(fuente, text.c_str(), white);
    // Run-length encoded, as the program keeps its texts: that blit rounds otherwise.
    SDL_SetAlpha(rendered, SDL_SRCALPHA | SDL_RLEACCEL, SDL_ALPHA_OPAQUE);
    SDL_Rect part = {Sint16(from), 0, Uint16(width), Uint16(rendered->h)};
    SDL_Rect at = {Sint16(x), Sint16(y), 0, 0};
    SDL_BlitSurface(rendered, &part, onto, &at);
    SDL_FreeSurface(rendered);
}

using Names = std::vector<std::string>;

Names scanned(const char* folder = kKitsFolder)
{
    scanCatalogue(folder);
    return Names(lista.begin(), lista.begin() + cantidad);
}

} // namespace

TEST(BrowserPressBoxes, EachControlAndListRowKeepsToItsBoxBothEndsIncluded)
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

    // List rows: press rows have gaps between them; hover bands meet, the last one
    // ending the area.
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

TEST_F(BrowserTest, TabsRescanScrollStopsAtTheEndAndOnlyBandsSelectASlotShownByTheMarkers)
{
    keyDown(SDLK_1);
    EXPECT_EQ(cantidad, 6) << "the stage's four kits and the two folder entries";
    pressIn(kLoopsTabBox);
    EXPECT_EQ(modo_samples, 0);
    writeFile("loops/aaa.wav", "");
    ct_lista = ct_lista_2 = 3;
    pressIn(kLoopsTabBox);
    EXPECT_EQ(ct_lista + ct_lista_2, 0);
    EXPECT_STREQ(catalogueEntry(2), "aaa.wav") << "the active tab lists its folder again";
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
    // Held longer, the arrow speeds up: the end of a folder of 100,000 files comes
    // within a few seconds, and then up takes the list back to its top.
    lista.assign(100000, "s.wav");
    cantidad = int32_t(lista.size());
    const int64_t pressed = clockUs();
    pressIn(kBrowserScrollDownBox);
    repeatHeldScroll(pressed + 3000000);
    EXPECT_GT(ct_lista, 100);
    repeatHeldScroll(pressed + 6000000);
    EXPECT_EQ(ct_lista, cantidad);
    release();
    pressIn(kBrowserScrollUpBox);
    repeatHeldScroll(clockUs() + 3600000000); // an hour
    EXPECT_EQ(ct_lista, 0);
    release();

    pressIn(slotBand(2));
    pressAt(kSlotColumnBox.x0, slotBand(1).y0 - 1); // a gap between bands
    EXPECT_EQ(canal_sel, 2);
    EXPECT_FALSE(asignados[2]) << "selecting loads nothing";
    for (int slot : {0, 3, 4, 7})
        assignSlot(slot, "kits/none.wav", "none"); // marked, though nothing decodes
    frame();
    SDL_Surface* shown = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
    drawImage(f_smp, p_rect);
    drawImage(sample_sel, rectOf(moved(kSlotCursor, 0, kMarkerPitch * 2)));
    for (int slot : {0, 3, 4, 7})
        drawImage(asignado, rectOf(moved(kSlotMarker, 0, kMarkerPitch * slot)));
    EXPECT_EQ(
        differingPixels(shown, screen, {kSlotCursor.x0, 22, kScreenWidth - 1, kScreenHeight - 1}),
        0)
        << "markers on the selected and exactly the assigned slots";
    canal_sel = 5;
    frame();
    EXPECT_GT(differingPixels(shown, screen, kSlotLabelRoom), 0) << "the label names the new slot";
    SDL_FreeSurface(shown);
}

TEST_F(BrowserTest, AssignStoresPathFlagNameAndSoundOfTheFileTappedAndNothingWithoutOne)
{
    keyDown(SDLK_1);
    writeWav16("kits/hihat_open.wav", constantStereo(300, 1000), 2);
    writeFile("kits/clap.wav", ""); // does not decode
    const std::string longName = std::string(180, 'x') + ".wav";
    writeWav16("kits/" + longName, constantStereo(100, 1000), 2);
    pressIn(kKitsTabBox);
    pressIn(slotBand(1));
    pressIn(kAssignBox); // nothing tapped yet: nothing to assign
    // The old sound is gone from a slot before the new file decodes: a decode that
    // still sees it is stopped, which leaves the slot without a sound. Row 4 goes to
    // slot 4 twice; row 11 is empty and selects nothing; the long name is assigned whole.
    setDecodeWatcher([](const char*, double) { return samples[canal_sel] == nullptr; });
    for (const auto& [row, slot] : {std::pair{4, 4}, {4, 4}, {2, 5}, {11, 7}, {7, 0}})
    {
        pressIn(listRow(row));
        pressIn(slotBand(slot));
        pressIn(kAssignBox);
    }
    setDecodeWatcher(nullptr);
    Names slots; // path, name, flag and the bytes of the sound
    for (int slot = 0; slot < kSlotCount; ++slot)
        slots.push_back(std::string(lista_samples[slot]) + "|" + nombres[slot] + "|" +
                        std::to_string(asignados[slot]) + "|" +
                        std::to_string(samples[slot] ? samples[slot]->alen : 0));
    EXPECT_EQ(slots, (Names{"kits/" + longName + "|xxxxxxxx|1|400", "||0|0", "||0|0", "||0|0",
                            "kits/hihat_open.wav|hihat_op|1|1200", "kits/clap.wav|clap.wav|1|0",
                            "||0|0", "||0|0"}));

    // The selection is the file tapped, however the list scrolls and whatever the
    // folder gains before it.
    pressIn(listRow(3)); // hat.wav
    writeFile("kits/a0.wav", "");
    writeFile("kits/a1.wav", "");
    for (int k = 0; k < 5; ++k)
        pressIn(kBrowserScrollDownBox);
    keyDown(SDLK_2);
    keyDown(SDLK_1); // listed again, from the top
    pressIn(slotBand(1));
    pressIn(kAssignBox);
    EXPECT_STREQ(lista_samples[1], "kits/hat.wav");
    // A tab switch lists other files: nothing is selected then, even back on the first
    // tab, and assign does nothing.
    pressIn(listRow(3)); // a1.wav
    pressIn(kLoopsTabBox);
    pressIn(slotBand(2));
    pressIn(kAssignBox);
    pressIn(kKitsTabBox);
    pressIn(kAssignBox);
    EXPECT_EQ(std::string(lista_samples[2]) + std::to_string(asignados[2]), "0");
    // So does a rescan that no longer lists the file tapped, and a tap on an empty row.
    pressIn(listRow(2)); // a0.wav
    removeTree("kits/a0.wav");
    keyDown(SDLK_1);
    pressIn(kAssignBox);
    pressIn(listRow(11));
    pressIn(kAssignBox);
    EXPECT_EQ(std::string(lista_samples[2]) + std::to_string(asignados[2]), "0");
}

TEST_F(BrowserTest, NamesAreDrawnAsUtf8OrLatin1AndKeepInsideTheirArea)
{
    keyDown(SDLK_1);
    for (const char* utf8 : {"", "plain", "\xc3\xb1", "\xe2\x82\xac", "\xf4\x8f\xbf\xbf"})
        EXPECT_TRUE(isUtf8(utf8)) << utf8;
    // Latin-1 letters, a stray continuation, cut, overlong and surrogate sequences,
    // a code point past U+10FFFF.
    for (const char* other : {"\xf1", "\xe9t\xe9", "\x80", "\xc3", "\xe2\x82", "\xc0\xaf",
                              "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"})
        EXPECT_FALSE(isUtf8(other)) << other;
    // A display name holds eight bytes: a UTF-8 name is cut before the character that
    // would not fit whole, a Latin-1 one after its eighth letter.
    const std::pair<const char*, const char*> cut[] = {
        {"a\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9.wav", "a\xc3\xa9\xc3\xa9\xc3\xa9"},   // aéééé.wav
        {"\xe3\x83\x89\xe3\x83\xa9\xe3\x83\xa0.wav", "\xe3\x83\x89\xe3\x83\xa9"}, // ドラム.wav
        {"\xf0\x9f\xa5\x81\xf0\x9f\xa5\x81.wav", "\xf0\x9f\xa5\x81\xf0\x9f\xa5\x81"},
        {"\xe9t\xe9\xe9t\xe9\xe9t\xe9.wav", "\xe9t\xe9\xe9t\xe9\xe9t"},
        {"hihat_open.wav", "hihat_op"}};
    for (const auto& [name, shown] : cut)
    {
        assignSlot(3, "kits/none.wav", name);
        EXPECT_STREQ(nombres[3], shown) << name;
    }
    const std::string utf8 = "\xc3\xb1"
                             "and\xc3\xba_\xe2\x82\xac.wav"; // ñandú_€.wav
    const std::string latin1 = "\xf1"
                               "and\xfa.wav"; // ñandú.wav in Latin-1
    const std::string wide = "W" + std::string(60, 'm') + ".wav";
    for (const std::string& name : {utf8, latin1, wide})
        writeFile("kits/" + name, "");
    pressIn(kKitsTabBox);
    frame();
    // Every row as the font renders it, cut at the list's right edge.
    SDL_Surface* expected = SDL_ConvertSurface(f_smp, screen->format, SDL_SWSURFACE);
    for (int32_t i = 0; i < cantidad; ++i)
    {
        const std::string name = catalogueEntry(i);
        drawExpected(expected, name, name != latin1, kRowTextAt.x, kRowTextAt.y + kRowPitch * i, 0,
                     kListBox.x1 - kRowTextAt.x + 1);
    }
    EXPECT_EQ(differingPixels(screen, expected, {0, kRowTextAt.y, kHoverArea.x1, kListBox.y1}), 0);
    SDL_FreeSurface(expected);

    // A typed name longer than its field shows its end, within the field's margins.
    keyDown(SDLK_0);
    pressIn(kKeyboardButtonBox);
    frame();
    expected = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
    const std::string typed = std::string(60, 'w') + "end";
    strcpy(nombre_archivo, typed.c_str());
    frame();
    int width = 0;
    TTF_SizeText(fuente, typed.c_str(), &width, nullptr);
    drawExpected(expected, typed, true, kPresetNameAt.x, kPresetNameAt.y, width - kPresetNameRoom,
                 kPresetNameRoom);
    EXPECT_EQ(differingPixels(screen, expected, kScreenBox), 0);
    SDL_FreeSurface(expected);
}

TEST_F(BrowserTest, TheCatalogueListsAFolderSortedWholeWithLongNamesWholeOrLeftOut)
{
    for (const char* folder : {kPresetFolder, kKitsFolder, kLoopsFolder})
    {
        removeTree(folder);
        mkdir(folder, 0755);
    }
    // A slot path holds 199 bytes: kits/ leaves 194 for the name, loops/ 193; a preset
    // name holds 199 bytes whatever its folder.
    const std::string n193(193, 'c'), n194(194, 'd'), n195(195, 'e'), n200(200, 'f'),
        odd = "\xe9t\xe9 \xff  2.wav";
    for (const std::string& name : {n193, n194, n195, n200, odd})
        for (const char* folder : {kPresetFolder, kKitsFolder, kLoopsFolder})
            writeFile(folder + name, "");
    for (const char* path : {"kits/B.wav", "kits/A.wav", "kits/a.wav", "loops/x.wav"})
        writeFile(path, "");
    mkdir("kits/sub", 0755);
    EXPECT_EQ(scanned(), (Names{".", "..", "A.wav", "B.wav", "a.wav", n193, n194, "sub", odd}));
    EXPECT_EQ(scanned(kLoopsFolder), (Names{".", "..", n193, "x.wav", odd}));
    EXPECT_EQ(scanned(kPresetFolder), (Names{".", "..", n193, n194, n195, odd}));
    EXPECT_EQ(std::string(catalogueEntry(-1)) + catalogueEntry(6), "");

    // A missing folder lists nothing; a big one is listed whole.
    EXPECT_EQ(scanned("big/"), Names{});
    mkdir("big", 0755);
    Names expected = {".", ".."};
    for (int i = 0; i < 5000; ++i)
    {
        expected.push_back("s" + std::to_string(10000 + i));
        writeFile("big/s" + std::to_string(10000 + (4999 - i) * 7919 % 5000), "");
    }
    EXPECT_EQ(scanned("big/"), expected);
}
