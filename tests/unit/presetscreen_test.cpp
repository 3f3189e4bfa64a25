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
#include <vector>

namespace
{
using PresetScreenTest = ProgramTest;

const char kPresetLayout[] = "Tamo Ri Presets\nkits/kick.wav\n\n\n\nloops/beat.wav\n\n\n\n"
                             "Oru\nSe supone que no deberias estar leyendo esto.\n";

// Everything a load may change.
struct PlayerState
{
    std::vector<std::string> paths, names;
    std::vector<Mix_Chunk*> sounds;
    std::vector<int> flags; // assigned, pad, loop and list state, in a fixed order

    bool operator==(const PlayerState& other) const
    {
        return paths == other.paths && names == other.names && sounds == other.sounds &&
               flags == other.flags;
    }
};

PlayerState playerState()
{
    PlayerState state;
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        state.paths.push_back(lista_samples[slot]);
        state.names.push_back(nombres[slot]);
        state.sounds.push_back(samples[slot]);
        state.flags.push_back(asignados[slot]);
    }
    for (int i = 0; i < kPadCount; ++i)
        state.flags.insert(state.flags.end(),
                           {pulsados[i], t_pulsados[i], pulsados2[i].load(), sonando[i].load()});
    state.flags.insert(state.flags.end(), {canal_control.load(), modo, modo_samples, canal_sel,
                                           ct_lista, ct_lista_2, loop_win, ver_teclado});
    return state;
}

// Writes the named presets and lists the preset folder again.
void makePresets(const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        writeFile("presets/" + name, kPresetLayout);
    scanCatalogue();
}

std::vector<std::string> listed()
{
    std::vector<std::string> names;
    for (int32_t i = 0; i < cantidad; ++i)
        names.push_back(catalogueEntry(i));
    return names;
}

std::vector<std::string> presetFolder()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator("presets"))
        files.push_back(entry.path().filename().string() + "=" + readFile(entry.path().string()));
    std::sort(files.begin(), files.end());
    return files;
}

std::string capturedPresses(const std::vector<std::pair<int, int>>& presses)
{
    testing::internal::CaptureStdout();
    for (const auto& [x, y] : presses)
        pressAt(x, y);
    return testing::internal::GetCapturedStdout();
}

std::string delLine(const std::string& name)
{
    return "______DEL:    " + name + " \n";
}

void typeName(const std::string& name)
{
    for (char c : name)
    {
        const int n = c >= 'a' ? c - 'a' : 26 + c - '0';
        pressAt(5 + 26 * (n % 12) + 12, 41 + 25 * (n / 12) + 12);
    }
}

} // namespace

TEST(KeyboardKeys, ThirtySixKeysWithGapsBetween)
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
    EXPECT_EQ(keyAt(10, 50), 'a');
    EXPECT_EQ(keyAt(40, 75), 'n');
    EXPECT_EQ(keyAt(120, 100), '2');
    EXPECT_EQ(keyAt(5, 41), 'a');
    EXPECT_EQ(keyAt(300, 100), '9');
    EXPECT_EQ(keyAt(314, 114), '9');
    for (auto [x, y] :
         {std::pair{29, 50}, {30, 50}, {10, 65}, {10, 90}, {10, 115}, {315, 50}, {4, 50}, {10, 40}})
        EXPECT_EQ(keyAt(x, y), '\0') << x << "," << y;
}

TEST_F(PresetScreenTest, TypingAndSavingWritesThePresetAndListsIt)
{
    snprintf(lista_samples[0], kSlotPathSize, "kits/kick.wav");
    snprintf(lista_samples[4], kSlotPathSize, "loops/beat.wav");
    ct_lista_2 = 1;
    pressAt(300, 230);
    EXPECT_EQ(ver_teclado, 1);
    EXPECT_STREQ(nombre_archivo, "");
    for (auto [x, y] :
         {std::pair{10, 50}, {40, 75}, {120, 100}, {29, 50}, {10, 65}, {10, 115}, {315, 50}})
        pressAt(x, y);
    EXPECT_STREQ(nombre_archivo, "an2");
    frame();

    pressAt(250, 130);
    EXPECT_EQ(readFile("presets/an2.trp"), kPresetLayout);
    EXPECT_EQ(ver_teclado, 0);
    EXPECT_STREQ(nombre_archivo, "an2.trp");
    EXPECT_EQ(ct_lista_2, 1) << "a save leaves the list where it was";
    const std::vector<std::string> names = listed();
    EXPECT_NE(std::find(names.begin(), names.end(), "an2.trp"), names.end());

    // Saving under an existing name replaces that preset.
    lista_samples[0][0] = '\0';
    pressAt(300, 230);
    typeName("an2");
    pressAt(273, 143);
    EXPECT_EQ(readFile("presets/an2.trp").substr(16, 2), "\n\n");
    EXPECT_EQ(presetFolder().size(), 2u) << "demo.trp and an2.trp, nothing else";
}

TEST_F(PresetScreenTest, CloseAreaEmptiesCancelKeepsAndNamesStopAt195)
{
    pressAt(300, 230);
    typeName("ab");
    pressAt(230, 230);
    EXPECT_EQ(ver_teclado, 0);
    EXPECT_STREQ(nombre_archivo, "");
    pressAt(207, 219);
    EXPECT_EQ(ver_teclado, 1);
    EXPECT_STREQ(nombre_archivo, "");

    typeName("x9");
    pressAt(280, 130);
    EXPECT_EQ(ver_teclado, 0);
    EXPECT_STREQ(nombre_archivo, "x9");

    pressAt(300, 230);
    for (int i = 0; i < 200; ++i)
        pressAt(10, 50);
    EXPECT_EQ(strlen(nombre_archivo), 195u);
    frame();
    pressAt(250, 130);
    EXPECT_TRUE(fileExists("presets/" + std::string(195, 'a') + ".trp"));
    EXPECT_EQ(strlen(nombre_archivo), 199u);

    // An empty name saves the file ".trp", as asked.
    pressAt(300, 230);
    pressAt(250, 130);
    EXPECT_TRUE(fileExists("presets/.trp"));
}

TEST_F(PresetScreenTest, DelDeletesWhileShownAndOnlyLogsWhileHidden)
{
    pressAt(300, 230);
    typeName("ab1");
    EXPECT_EQ(capturedPresses({{200, 130}}), delLine("ab1") + delLine("ab"));
    EXPECT_STREQ(nombre_archivo, "ab");
    EXPECT_EQ(capturedPresses({{190, 118}, {190, 118}, {239, 118}}),
              delLine("ab") + delLine("a") + delLine("a") + delLine("") + delLine("") +
                  delLine(""));

    typeName("cd");
    pressAt(280, 130);
    ASSERT_EQ(ver_teclado, 0);
    EXPECT_EQ(capturedPresses({{200, 130}, {189, 130}, {240, 130}, {200, 145}}),
              delLine("cd") + delLine("cd"))
        << "hidden: the log lines alone; then three presses beside the key";
    EXPECT_STREQ(nombre_archivo, "cd");

    // The column DEL and save share: DEL logs and stands aside, the whole name is saved.
    pressAt(300, 230);
    typeName("xyz");
    EXPECT_EQ(capturedPresses({{239, 130}}), delLine("xyz") + delLine("xyz"));
    EXPECT_TRUE(fileExists("presets/xyz.trp"));
    EXPECT_EQ(ver_teclado, 0);
}

TEST_F(PresetScreenTest, StrayTapsWhileTheKeyboardIsHiddenWriteNothing)
{
    makePresets({"a.trp", "b.trp", "c.trp", "d.trp", "e.trp"});
    const std::vector<std::string> before = presetFolder();
    const std::string row6 = catalogueEntry(6);
    ASSERT_NE(row6, "");

    EXPECT_EQ(capturedPresses({{241, 125}}), "");
    EXPECT_EQ(nombre_archivo, row6) << "the row is chosen";
    EXPECT_EQ(capturedPresses({{250, 130}, {273, 143}, {239, 120}, {280, 130}}),
              delLine(row6) + delLine(row6));
    EXPECT_EQ(presetFolder(), before);

    // Nor does the name a save leaves behind.
    pressAt(300, 230);
    typeName("an2");
    pressAt(250, 130);
    const std::vector<std::string> saved = presetFolder();
    pressAt(250, 130);
    EXPECT_EQ(presetFolder(), saved);
    EXPECT_FALSE(fileExists("presets/an2.trp.trp"));
}

TEST_F(PresetScreenTest, ListRowsScrollAndButtonsAtTheirEdges)
{
    makePresets({"p00.trp", "p01.trp", "p02.trp", "p03.trp", "p04.trp", "p05.trp", "p06.trp",
                 "p07.trp", "p08.trp", "p09.trp", "p10.trp", "p11.trp", "p12.trp", "p13.trp"});
    ASSERT_GE(cantidad, 17);
    ct_lista_2 = 3;
    const std::pair<std::pair<int, int>, int> rowPresses[] = {
        {{100, 41}, 4},   {{100, 26}, 3},  {{8, 30}, 3},    {{243, 39}, 3},
        {{100, 204}, 14}, {{100, 40}, -1}, {{7, 30}, -1},   {{244, 30}, -1},
        {{100, 205}, -1}, {{100, 25}, -1}, {{100, 130}, -1}};
    for (const auto& [at, index] : rowPresses)
    {
        strcpy(nombre_archivo, "none");
        pressAt(at.first, at.second);
        EXPECT_STREQ(nombre_archivo, index < 0 ? "none" : catalogueEntry(index))
            << at.first << "," << at.second;
    }

    // A row and the DEL key share a press; between two rows only DEL acts.
    ct_lista_2 = 0;
    const std::string row6 = catalogueEntry(6);
    EXPECT_EQ(capturedPresses({{200, 125}}), delLine(row6) + delLine(row6));
    EXPECT_EQ(nombre_archivo, row6);
    EXPECT_EQ(capturedPresses({{200, 130}}), delLine(row6) + delLine(row6));

    // Rows past the end give an empty name.
    ct_lista_2 = cantidad - 1;
    pressAt(100, 50);
    EXPECT_STREQ(nombre_archivo, "");

    ct_lista_2 = 0;
    pressAt(300, 40);
    EXPECT_EQ(ct_lista_2, 0);
    removeTree("presets");
    std::filesystem::create_directory("presets");
    makePresets({"a.trp", "b.trp", "c.trp"});
    ASSERT_EQ(cantidad, 5);
    for (int i = 0; i < 7; ++i)
        pressAt(300, 200);
    EXPECT_EQ(ct_lista_2, 5);
    for (auto [x, y] : {std::pair{300, 32}, {299, 51}, {319, 40}})
        pressAt(x, y);
    EXPECT_EQ(ct_lista_2, 2);
    for (auto [x, y] :
         {std::pair{298, 40}, {300, 31}, {300, 52}, {300, 189}, {300, 211}, {298, 200}})
        pressAt(x, y);
    EXPECT_EQ(ct_lista_2, 2);
    pressAt(299, 190);
    pressAt(319, 210);
    EXPECT_EQ(ct_lista_2, 4);

    // Buttons along the bottom: only the boxes themselves act.
    strcpy(nombre_archivo, "none");
    for (auto [x, y] : {std::pair{206, 230}, {101, 230}, {50, 239}, {1, 230}, {50, 218}})
        pressAt(x, y);
    EXPECT_EQ(ver_teclado, 0);
    EXPECT_EQ(loop_win, 0);
    EXPECT_STREQ(nombre_archivo, "none");
    pressAt(319, 239);
    EXPECT_EQ(ver_teclado, 1);
    EXPECT_STREQ(nombre_archivo, "");
}

TEST_F(PresetScreenTest, LoadPutsThePlayerAtRestAndTheDialogTakesThePressAlone)
{
    pulsados[1] = 1;
    t_pulsados[1] = 30;
    pulsados2[2] = 1;
    sonando[2] = 1;
    pulsados2[3] = 1;
    canal_control = 2;
    modo_samples = 0;
    canal_sel = 5;
    ct_lista = 3;
    strcpy(nombre_archivo, "demo.trp");
    const std::string demo = readFile("presets/demo.trp");

    testing::internal::CaptureStdout();
    pressAt(2, 219);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(loop_win, 1);
    EXPECT_EQ(ver_teclado, 0);
    EXPECT_STREQ(nombre_archivo, "demo.trp");
    for (int i = 0; i < kPadCount; ++i)
    {
        EXPECT_EQ(pulsados[i], 0);
        EXPECT_EQ(t_pulsados[i], 0);
        EXPECT_EQ(pulsados2[i], 0);
        EXPECT_EQ(sonando[i], 0);
    }
    EXPECT_EQ(canal_control, kNoControlLoop);
    EXPECT_EQ(modo_samples, 1);
    EXPECT_EQ(canal_sel, 0);
    EXPECT_EQ(ct_lista, 0);
    EXPECT_EQ(ct_lista_2, 0);
    std::string expectedPrint;
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        expectedPrint += std::string(lista_samples[slot]) + "\n";
        EXPECT_NE(samples[slot], nullptr) << lista_samples[slot];
        EXPECT_EQ(asignados[slot], 1);
        EXPECT_EQ(std::string(nombres[slot]),
                  std::string(fileNamePart(lista_samples[slot])).substr(0, 8));
    }
    EXPECT_EQ(printed, expectedPrint);
    EXPECT_EQ(demo.find(expectedPrint), 16u) << "the demo's eight lines, in order";
    frame();

    // The dialog takes the next press alone, wherever it lands.
    canal_sel = 3;
    for (auto [x, y] : {std::pair{50, 230}, {100, 41}, {300, 230}, {200, 130}})
    {
        loop_win = 1;
        EXPECT_EQ(capturedPresses({{x, y}}), "");
        EXPECT_EQ(loop_win, 0);
        EXPECT_EQ(canal_sel, 3);
        EXPECT_EQ(ver_teclado, 0);
        EXPECT_STREQ(nombre_archivo, "demo.trp");
    }

    // Loading again releases the first load's sounds and gives the same slots.
    const PlayerState first = playerState();
    testing::internal::CaptureStdout();
    pressAt(100, 238);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expectedPrint);
    EXPECT_EQ(canal_sel, 0);
    EXPECT_EQ(loop_win, 1);
    const PlayerState second = playerState();
    EXPECT_EQ(second.paths, first.paths);
    EXPECT_EQ(second.names, first.names);
}

TEST_F(PresetScreenTest, ALoadThatCannotReadItsFileChangesNothing)
{
    makePresets({"gone.trp"});
    std::filesystem::create_directory("presets/sub");
    scanCatalogue();
    assignSlot(0, "kits/kick.wav", "kick.wav");
    assignSlot(5, "loops/beat.wav", "beat.wav");
    pulsados[2] = 1;
    t_pulsados[2] = 12;
    pulsados2[1] = 1;
    canal_control = 1;
    sonando[1] = 1;
    modo_samples = 0;
    canal_sel = 6;
    ct_lista = 2;
    std::filesystem::remove("presets/gone.trp");

    for (const char* name : {"", ".", "..", "sub", "gone.trp", "x9", "demo"})
    {
        strcpy(nombre_archivo, name);
        const PlayerState before = playerState();
        EXPECT_EQ(capturedPresses({{50, 230}}), "") << name;
        EXPECT_TRUE(playerState() == before) << name;
        EXPECT_EQ(loop_win, 0) << name;
    }
}
