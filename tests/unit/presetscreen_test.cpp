// The preset screen and its keyboard: presses at the edges of every box, the load
// dialog, loading and the failed load, typing, DEL, saving and stray taps.
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "preset/keyboard.h"
#include "preset/presetfile.h"
#include "preset/presetscreen.h"
#include "sound/loops.h"
#include "sound/pads.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"

#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

namespace
{
using PresetScreenTest = ProgramTest;
using Presses = std::vector<std::pair<int, int>>;

const char kPresetLayout[] = "Tamo Ri Presets\nkits/kick.wav\n\n\n\nloops/beat.wav\n\n\n\n"
                             "Oru\nSe supone que no deberias estar leyendo esto.\n";

// Everything a load may change, as text.
std::string playerState()
{
    std::ostringstream state;
    for (int slot = 0; slot < kSlotCount; ++slot)
        state << lista_samples[slot] << '|' << nombres[slot] << '|' << samples[slot] << '|'
              << int(asignados[slot]) << ';';
    for (int i = 0; i < kPadCount; ++i)
        state << int(pulsados[i]) << t_pulsados[i] << int(pulsados2[i]) << int(sonando[i]) << ';';
    state << canal_control << ',' << modo << ',' << int(modo_samples) << ',' << canal_sel << ','
          << ct_lista << ',' << ct_lista_2 << ',' << int(loop_win) << ',' << int(ver_teclado);
    return state.str();
}

// Pads lit, loops on, a control loop, the browser away from its start.
void playerInUse()
{
    pulsados[1] = 1;
    t_pulsados[1] = 30;
    pulsados2[2] = sonando[2] = pulsados2[3] = 1;
    canal_control = 2;
    modo_samples = 0;
    canal_sel = 5;
    ct_lista = 3;
}

// Writes the named presets and lists the preset folder again.
void makePresets(const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        writeFile("presets/" + name, kPresetLayout);
    scanCatalogue(kPresetFolder);
}

// Every file of the preset folder with its bytes.
std::set<std::string> presetFolder()
{
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator("presets"))
        files.insert(entry.path().filename().string() + "=" + readFile(entry.path().string()));
    return files;
}

// What the presses print on standard output.
std::string printedBy(const Presses& presses)
{
    testing::internal::CaptureStdout();
    for (const auto& [x, y] : presses)
        pressAt(x, y);
    return testing::internal::GetCapturedStdout();
}

std::string delLines(const std::string& before, const std::string& after)
{
    return "______DEL:    " + before + " \n______DEL:    " + after + " \n";
}

// Opens the keyboard unless it shows and types a name of letters and digits.
void typeName(const std::string& name)
{
    if (!ver_teclado)
        pressAt(300, 230);
    for (char c : name)
    {
        const int n = c >= 'a' ? c - 'a' : 26 + c - '0';
        pressAt(5 + 26 * (n % 12) + 12, 41 + 25 * (n / 12) + 12);
    }
}
} // namespace

TEST(PresetPressBoxes, KeysAndButtonsKeepToTheirBoxesBothEndsIncluded)
{
    const char rows[3][13] = {"abcdefghijkl", "mnopqrstuvwx", "yz0123456789"};
    int hits = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
        {
            const char key = keyAt(x, y);
            if (!key)
                continue;
            ++hits;
            const int column = (x - 5) / 26, row = (y - 41) / 25;
            ASSERT_TRUE(x - 5 - 26 * column < 24 && y - 41 - 25 * row < 24) << x << "," << y;
            ASSERT_EQ(key, rows[row][column]) << x << "," << y;
        }
    EXPECT_EQ(hits, 36 * 24 * 24);

    // Per box: its two corners, then pixels just past its sides.
    const struct
    {
        bool (*in)(int32_t, int32_t);
        int corners[2][2], outside[4][2];
    } boxes[] = {
        {inScrollUp, {{299, 32}, {319, 51}}, {{298, 40}, {300, 31}, {300, 52}, {298, 32}}},
        {inScrollDown, {{299, 190}, {319, 210}}, {{298, 200}, {300, 189}, {300, 211}, {298, 210}}},
        {inKeyboardButton,
         {{207, 219}, {319, 239}},
         {{206, 230}, {230, 218}, {206, 219}, {319, 218}}},
        {inLoadButton, {{2, 219}, {100, 238}}, {{1, 230}, {101, 230}, {50, 218}, {50, 239}}},
        {inDelKey, {{190, 118}, {239, 142}}, {{189, 130}, {240, 130}, {200, 117}, {200, 143}}},
        {inSaveKey, {{239, 120}, {273, 143}}, {{238, 130}, {274, 130}, {250, 119}, {250, 144}}},
        {inCancelKey, {{275, 120}, {314, 144}}, {{274, 130}, {315, 130}, {280, 119}, {280, 145}}},
    };
    for (const auto& box : boxes)
    {
        for (const auto& [x, y] : box.corners)
            EXPECT_TRUE(box.in(x, y)) << x << "," << y;
        for (const auto& [x, y] : box.outside)
            EXPECT_FALSE(box.in(x, y)) << x << "," << y;
    }
}

TEST_F(PresetScreenTest, TheKeyboardTypesSavesClosesCancelsAndStopsNamesAt195)
{
    snprintf(lista_samples[0], kSlotPathSize, "kits/kick.wav");
    snprintf(lista_samples[4], kSlotPathSize, "loops/beat.wav");
    ct_lista_2 = 1;
    typeName("an2");
    for (auto [x, y] : Presses{{29, 50}, {10, 65}, {10, 115}, {315, 50}}) // gaps between keys
        pressAt(x, y);
    EXPECT_STREQ(nombre_archivo, "an2");
    frame();
    pressAt(250, 130);
    EXPECT_EQ(readFile("presets/an2.trp"), kPresetLayout);
    EXPECT_EQ(ver_teclado, 0);
    EXPECT_STREQ(nombre_archivo, "an2.trp");
    EXPECT_EQ(ct_lista_2, 1) << "a save leaves the list where it was";
    EXPECT_STREQ(catalogueEntry(2), "an2.trp") << "the folder is listed again";

    typeName("ab");
    pressAt(230, 230);
    EXPECT_EQ(ver_teclado, 0);
    EXPECT_STREQ(nombre_archivo, "");
    typeName("x9");
    pressAt(280, 130);
    EXPECT_EQ(ver_teclado, 0);
    EXPECT_STREQ(nombre_archivo, "x9");

    typeName(std::string(200, 'a'));
    EXPECT_EQ(strlen(nombre_archivo), 195u);
    frame();
    pressAt(250, 130);
    EXPECT_TRUE(fileExists("presets/" + std::string(195, 'a') + ".trp"));

    typeName("");
    pressAt(250, 130);
    EXPECT_TRUE(fileExists("presets/.trp")) << "an empty name saves as asked";
}

TEST_F(PresetScreenTest, DelDeletesWhileShownAndOnlyLogsWhileHidden)
{
    typeName("ab1");
    EXPECT_EQ(printedBy({{200, 130}}), delLines("ab1", "ab"));
    EXPECT_EQ(printedBy({{190, 118}, {239, 118}, {239, 118}}),
              delLines("ab", "a") + delLines("a", "") + delLines("", ""));

    typeName("cd");
    pressAt(280, 130);
    EXPECT_EQ(printedBy({{200, 130}}), delLines("cd", "cd")) << "hidden: the log lines alone";
    EXPECT_STREQ(nombre_archivo, "cd");

    // The column DEL and save share: DEL logs and stands aside, the whole name is saved.
    typeName("xyz");
    EXPECT_EQ(printedBy({{239, 130}}), delLines("xyz", "xyz"));
    EXPECT_TRUE(fileExists("presets/xyz.trp"));
}

TEST_F(PresetScreenTest, StrayTapsWhileTheKeyboardIsHiddenWriteNothing)
{
    makePresets({"a.trp", "b.trp", "c.trp", "d.trp", "e.trp"});
    const std::set<std::string> before = presetFolder();
    const std::string row6 = catalogueEntry(6);
    EXPECT_EQ(printedBy({{241, 125}}), "");
    EXPECT_EQ(nombre_archivo, row6) << "the row is chosen";
    EXPECT_EQ(printedBy({{250, 130}, {273, 143}, {239, 120}, {280, 130}}), delLines(row6, row6));
    EXPECT_EQ(presetFolder(), before);

    // Nor does the name a save leaves behind.
    typeName("an2");
    pressAt(250, 130);
    const std::set<std::string> saved = presetFolder();
    pressAt(250, 130);
    EXPECT_EQ(presetFolder(), saved);
}

TEST_F(PresetScreenTest, ListRowsFollowTheScrollThatStopsAtEitherEnd)
{
    makePresets({"p0.trp", "p1.trp", "p2.trp", "p3.trp", "p4.trp", "p5.trp", "p6.trp"});
    ct_lista_2 = 3;
    pressAt(100, 41);
    EXPECT_EQ(nombre_archivo, std::string(catalogueEntry(4)));
    pressAt(100, 40); // between two rows
    EXPECT_EQ(nombre_archivo, std::string(catalogueEntry(4)));
    ct_lista_2 = cantidad - 1;
    pressAt(100, 50);
    EXPECT_STREQ(nombre_archivo, "") << "rows past the end give an empty name";

    for (int k = 0; k < 3; ++k)
        pressAt(300, 200);
    EXPECT_EQ(ct_lista_2, cantidad) << "down stops with every row blank";
    ct_lista_2 = 1;
    pressAt(300, 40);
    pressAt(300, 40);
    EXPECT_EQ(ct_lista_2, 0);
    pressAt(300, 230);
    EXPECT_EQ(ver_teclado, 1);
    EXPECT_STREQ(nombre_archivo, "") << "the keyboard opens on an empty name";
}

TEST_F(PresetScreenTest, LoadPutsThePlayerAtRestAndTheDialogTakesThePressAlone)
{
    playerInUse();
    strcpy(nombre_archivo, "demo.trp");
    const std::string printed = printedBy({{2, 219}});
    EXPECT_EQ(readFile("presets/demo.trp").find(printed), 16u) << "the demo's eight lines";
    for (int slot = 0; slot < kSlotCount; ++slot)
        EXPECT_TRUE(samples[slot] && asignados[slot]) << slot;
    EXPECT_STREQ(nombres[4], "beat.wav");
    for (int i = 0; i < kPadCount; ++i)
        EXPECT_EQ(pulsados[i] + t_pulsados[i] + pulsados2[i] + sonando[i], 0) << i;
    EXPECT_EQ(canal_control, kNoControlLoop);
    EXPECT_EQ(std::tuple(modo_samples, canal_sel, ct_lista, ct_lista_2, loop_win, ver_teclado),
              std::tuple(1, 0, 0, 0, 1, 0));

    // The dialog takes the next press alone, wherever it lands.
    for (auto [x, y] : Presses{{50, 230}, {100, 41}, {300, 230}, {200, 130}})
    {
        const std::string before = playerState();
        EXPECT_EQ(printedBy({{x, y}}), "");
        EXPECT_EQ(loop_win, 0);
        loop_win = 1;
        EXPECT_EQ(playerState(), before);
    }
    loop_win = 0;
    EXPECT_EQ(printedBy({{100, 238}}), printed) << "loading again gives the same slots";
}

TEST_F(PresetScreenTest, ALoadThatCannotReadItsFileChangesNothing)
{
    std::filesystem::create_directory("presets/sub");
    assignSlot(0, "kits/kick.wav", "kick.wav");
    playerInUse();
    for (const char* name : {"", ".", "..", "sub", "gone.trp", "demo"})
    {
        strcpy(nombre_archivo, name);
        const std::string before = playerState();
        EXPECT_EQ(printedBy({{50, 230}}), "") << name;
        EXPECT_EQ(playerState(), before) << name;
    }
}
