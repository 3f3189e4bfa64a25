// The preset screen and its keyboard: presses at the edges of every box, the load
// dialog, loading and the failed load, typing, DEL, saving and stray taps.
#include "app/display.h"
#include "app/loop.h"
#include "app/progress.h"
#include "app/shell.h"
#include "browser/browser.h"
#include "preset/keyboard.h"
#include "preset/presetscreen.h"
#include "sound/loops.h"
#include "sound/pads.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <cstring>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>

namespace
{
using PresetScreenTest = ProgramTest;
const char kTail[] = "Oru\nSe supone que no deberias estar leyendo esto.\n";

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

// Every file of the preset folder with its bytes.
std::set<std::string> presetFolder()
{
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator("presets"))
        files.insert(entry.path().filename().string() + "=" + readFile(entry.path().string()));
    return files;
}

// What the presses print on standard output.
std::string printedBy(const std::vector<Point>& presses)
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

// The keyboard's state and what a press on save wrote on standard error.
std::tuple<int, std::string, std::string, std::string> saved()
{
    testing::internal::CaptureStderr();
    pressIn(kSaveKeyBox);
    const std::string err = testing::internal::GetCapturedStderr();
    return {ver_teclado, nombre_archivo, saveFailure, err};
}

// Opens the keyboard unless it shows and types a name of letters and digits.
void typeName(const std::string& name)
{
    if (!ver_teclado)
        pressIn(kKeyboardButtonBox);
    for (char c : name)
        pressIn(keyBoxOf(c));
}
} // namespace

TEST(PresetPressBoxes, KeysAndButtonsKeepToTheirBoxesBothEndsIncluded)
{
    int hits = 0;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            if (const char key = keyAt(x, y))
            {
                ++hits;
                ASSERT_TRUE(inBox(keyBoxOf(key), x, y)) << x << "," << y;
            }
    EXPECT_EQ(hits, kKeyCount * kKeySize * kKeySize);
    const std::pair<bool (*)(int32_t, int32_t), Box> boxes[] = {
        {inScrollUp, kPresetScrollUpBox},
        {inScrollDown, kPresetScrollDownBox},
        {inKeyboardButton, kKeyboardButtonBox},
        {inLoadButton, kLoadButtonBox},
        {inDelKey, kDelKeyBox},
        {inSaveKey, kSaveKeyBox},
        {inCancelKey, kCancelKeyBox}};
    for (const auto& [in, box] : boxes)
        expectHitsBox(in, box, true, false);
}

TEST_F(PresetScreenTest, TheKeyboardTypesDeletesSavesClosesCancelsAndStopsNamesAt195)
{
    snprintf(lista_samples[0], kSlotPathSize, "kits/kick.wav");
    snprintf(lista_samples[4], kSlotPathSize, "loops/beat.wav");
    ct_lista_2 = 1;
    typeName("an2");
    for (int key : {0, 11, 24}) // the gaps right of and under keys
        pressAt(keyBox(key).x1 + 1, keyBox(key).y1 + 1);
    EXPECT_STREQ(nombre_archivo, "an2");
    frame();
    EXPECT_EQ(saved(), std::tuple(0, "an2.trp", "", ""));
    EXPECT_EQ(readFile("presets/an2.trp"), std::string("Tamo Ri Presets\nkits/kick.wav\n\n\n\n"
                                                       "loops/beat.wav\n\n\n\n") +
                                               kTail);
    EXPECT_EQ(ct_lista_2, 1);
    EXPECT_STREQ(catalogueEntry(2), "an2.trp") << "the folder is listed again";

    typeName("ab");
    pressIn(kKeyboardButtonBox);
    EXPECT_EQ(std::tuple(int(ver_teclado), std::string(nombre_archivo)), std::tuple(0, ""));
    typeName("ab1");
    const Point delTopRight = {kDelKeyBox.x1, kDelKeyBox.y0};
    EXPECT_EQ(
        printedBy({middleOf(kDelKeyBox), {kDelKeyBox.x0, kDelKeyBox.y0}, delTopRight, delTopRight}),
        delLines("ab1", "ab") + delLines("ab", "a") + delLines("a", "") + delLines("", ""));
    typeName("x9");
    pressIn(kCancelKeyBox);
    EXPECT_EQ(std::tuple(int(ver_teclado), std::string(nombre_archivo)), std::tuple(0, "x9"));
    EXPECT_EQ(printedBy({middleOf(kDelKeyBox)}), delLines("x9", "x9")) << "hidden: logs alone";

    // The column DEL and save share: DEL logs and stands aside, the whole name is saved.
    typeName("xyz");
    EXPECT_EQ(printedBy({{kSaveKeyBox.x0, midY(kSaveKeyBox)}}), delLines("xyz", "xyz"));
    EXPECT_TRUE(fileExists("presets/xyz.trp"));

    typeName(std::string(200, 'a'));
    EXPECT_EQ(strlen(nombre_archivo), 195u);
    frame();
    pressIn(kSaveKeyBox);
    EXPECT_TRUE(fileExists("presets/" + std::string(195, 'a') + ".trp"));
    typeName("");
    pressIn(kSaveKeyBox);
    EXPECT_TRUE(fileExists("presets/.trp")) << "an empty name saves as asked";
}

TEST_F(PresetScreenTest, ListRowsScrollAndStrayTapsWhileTheKeyboardIsHiddenWriteNothing)
{
    for (const char* name : {"p0.trp", "p1.trp", "p2.trp", "p3.trp", "p4.trp", "p5.trp"})
        writeFile(std::string("presets/") + name, kTail);
    scanCatalogue(kPresetFolder);
    ct_lista_2 = 3;
    pressIn(listRow(1));
    pressAt(kListBox.x0, listRow(0).y1 + 1); // between two rows
    EXPECT_STREQ(nombre_archivo, "p1.trp");
    ct_lista_2 = cantidad - 1;
    pressIn(listRow(1));
    EXPECT_STREQ(nombre_archivo, "") << "rows past the end give an empty name";
    ct_lista_2 = 0;
    pressIn(kPresetScrollDownBox);
    repeatHeldScroll(clockUs() + 2000000);
    EXPECT_EQ(ct_lista_2, cantidad) << "held, down scrolls on until every row is blank";
    ct_lista_2 = 1;
    pressIn(kPresetScrollUpBox);
    pressIn(kPresetScrollUpBox);
    EXPECT_EQ(ct_lista_2, 0);

    const std::set<std::string> before = presetFolder();
    EXPECT_EQ(printedBy({{kListBox.x1, midY(listRow(6))}}), "") << "on the save key too";
    EXPECT_STREQ(nombre_archivo, "p3.trp") << "the row is chosen";
    const Box save = kSaveKeyBox; // its top left corner lies on DEL too
    EXPECT_EQ(
        printedBy(
            {middleOf(save), {save.x1, save.y1}, {save.x0, save.y0}, middleOf(kCancelKeyBox)}),
        delLines("p3.trp", "p3.trp"));
    EXPECT_EQ(presetFolder(), before);
    typeName("an2"); // nor does the name a save leaves behind
    pressIn(kSaveKeyBox);
    const std::set<std::string> written = presetFolder();
    pressIn(kSaveKeyBox);
    EXPECT_EQ(presetFolder(), written);
    pressIn(kKeyboardButtonBox);
    EXPECT_EQ(std::tuple(int(ver_teclado), std::string(nombre_archivo)), std::tuple(1, ""))
        << "the keyboard opens on an empty name";
}

TEST_F(PresetScreenTest, LoadPutsThePlayerAtRestTheDialogTakesThePressAndFailuresChangeNothing)
{
    std::filesystem::create_directory("presets/sub");
    assignSlot(0, "kits/kick.wav", "kick.wav");
    // Pads lit, loops on, a control loop, the browser away from its start.
    pulsados[1] = pulsados2[2] = sonando[2] = pulsados2[3] = 1;
    t_pulsados[1] = 30;
    canal_control = 2;
    modo_samples = 0;
    canal_sel = 5;
    ct_lista = 3;
    for (const char* name : {"", ".", "..", "sub", "gone.trp", "demo"})
    {
        strcpy(nombre_archivo, name);
        const std::string before = playerState();
        EXPECT_EQ(printedBy({middleOf(kLoadButtonBox)}), "") << name;
        EXPECT_EQ(playerState(), before) << name;
    }

    strcpy(nombre_archivo, "demo.trp");
    const std::string printed = printedBy({middleOf(kLoadButtonBox)});
    EXPECT_EQ(readFile("presets/demo.trp").find(printed), 16u) << "the demo's eight lines";
    for (int slot = 0; slot < kSlotCount; ++slot)
        EXPECT_TRUE(samples[slot] && asignados[slot] &&
                    (slot < kFirstLoopSlot || samples[slot]->alen == samples[4]->alen))
            << "demo loops play in step " << slot;
    EXPECT_STREQ(nombres[4], "beat.wav");
    for (int i = 0; i < kPadCount; ++i)
        EXPECT_EQ(pulsados[i] + t_pulsados[i] + pulsados2[i] + sonando[i], 0) << i;
    EXPECT_EQ(std::tuple(canal_control.load(), modo_samples, canal_sel, ct_lista, ct_lista_2,
                         loop_win, ver_teclado),
              std::tuple(kNoControlLoop, 1, 0, 0, 0, 1, 0));

    // The dialog takes the next press alone, wherever it lands.
    for (Box box : {kLoadButtonBox, listRow(1), kKeyboardButtonBox, kDelKeyBox})
    {
        const std::string before = playerState();
        EXPECT_EQ(printedBy({middleOf(box)}), "");
        EXPECT_EQ(loop_win, 0);
        loop_win = 1;
        EXPECT_EQ(playerState(), before);
    }
    loop_win = 0;
    EXPECT_EQ(printedBy({middleOf(kLoadButtonBox)}), printed) << "loading again: the same slots";
}

TEST_F(PresetScreenTest, ReadOnlyPresetsStayAndAFailedSaveSaysWhyWithTheKeyboardOpen)
{
    const std::string demo = readFile("presets/demo.trp");
    chmod("presets/demo.trp", 0444); // no write bit: kept, even from root
    typeName("demo");
    frame();
    SDL_Surface* before = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
    EXPECT_EQ(saved(), std::tuple(1, "demo", "Not saved: read-only",
                                  "Not saved: presets/demo.trp: Permission denied\n"));
    frame();
    // The keys and the typed name are as they were; the text beside DEL gives the reason.
    const int changed = differingPixels(before, screen, kSaveReasonArea);
    EXPECT_EQ(std::pair(differingPixels(before, screen, kKeyboardPanel), changed > 0),
              std::pair(changed, true));
    SDL_FreeSurface(before);
    struct stat info = {};
    stat("presets/demo.trp", &info);
    EXPECT_EQ(std::pair(readFile("presets/demo.trp"), info.st_mode & 0777), std::pair(demo, 0444u));

    chmod("presets/demo.trp", 0640);
    EXPECT_EQ(saved(), std::tuple(0, "demo.trp", "", "")) << "the next try, with the same name";
    stat("presets/demo.trp", &info);
    EXPECT_NE(readFile("presets/demo.trp"), demo);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "a replaced preset keeps its bits";

    // A full disk and a read-only one: a small tmpfs over the preset folder.
    ASSERT_EQ(mount("tmpfs", "presets", "tmpfs", 0, "size=16k"), 0) << "run as root";
    typeName("full");
    pressIn(kSaveKeyBox);
    const std::string full = readFile("presets/full.trp");
    writeFile("presets/filler", std::string(64 * 1024, 'x'));
    snprintf(lista_samples[0], kSlotPathSize, "kits/other.wav");
    typeName("full");
    EXPECT_EQ(saved(), std::tuple(1, "full", "Not saved: disk full",
                                  "Not saved: presets/full.trp: No space left on device\n"));
    EXPECT_EQ(readFile("presets/full.trp"), full) << "the old preset stays whole";
    scanCatalogue(kPresetFolder);
    EXPECT_EQ(cantidad, 4) << "the folder's own entries, the filler and the old preset";
    ASSERT_EQ(mount("tmpfs", "presets", "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    EXPECT_EQ(std::get<2>(saved()), "Not saved: read-only");
    EXPECT_EQ(umount("presets"), 0);
}

TEST_F(PresetScreenTest, ALongLoadShowsItsProgressAndStopsAtTheFileItIsOnWhenAskedToQuit)
{
    // Eight slots of one long 48 kHz loop, each resampled as it loads.
    writeWav16("loops/long.wav", constantStereo(48000 * 30, 1000), 2, 48000);
    std::string layout = "Tamo Ri Presets\n";
    for (int slot = 0; slot < kSlotCount; ++slot)
        layout += "loops/long.wav\n";
    writeFile("presets/long.trp", layout + kTail);
    strcpy(nombre_archivo, "long.trp");
    frame();
    EXPECT_NE(printedBy({middleOf(kLoadButtonBox)}), "");
    ASSERT_NE(samples[kSlotCount - 1], nullptr);
    // The screen still holds the last progress frame drawn during the load.
    SDL_Surface* shown = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
    loop_win = 0;
    drawScreen();
    const Box b = kProgressBox;
    int outline = 0, drawn = 0;
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x)
            if (x == b.x0 || x == b.x1 || y == b.y0 || y == b.y1)
                outline += 1, drawn += pixelAt(shown, x, y) != pixelAt(screen, x, y);
    EXPECT_EQ(drawn, outline) << "the box's outline over the screen";
    SDL_FreeSurface(shown);

    // Escape queued behind a press on Load: read during the load, which stops there.
    SDL_Event events[] = {keyEvent(SDL_MOUSEMOTION), keyEvent(SDL_MOUSEBUTTONDOWN),
                          keyEvent(SDL_KEYDOWN, SDLK_ESCAPE)};
    events[0].motion.x = Uint16(midX(kLoadButtonBox));
    events[0].motion.y = Uint16(midY(kLoadButtonBox));
    for (SDL_Event& event : events)
        SDL_PushEvent(&event);
    testing::internal::CaptureStdout();
    mainLoop();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(quitDuringWork);
    EXPECT_EQ(samples[kSlotCount - 1], nullptr) << "the last slot was never decoded";
}
