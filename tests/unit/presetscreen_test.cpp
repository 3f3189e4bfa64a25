// The preset file and the preset screen: the writer's exact bytes, reading lines back
// into the slots, damaged files, saving that never leaves a half-written preset; presses
// at the edges of every box, the load dialog, loading and the failed load, typing, DEL,
// saving and stray taps.
#include "app/display.h"
#include "app/loop.h"
#include "app/progress.h"
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
#include "tests/support/wav.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
using PresetScreenTest = ProgramTest;

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

using Paths = std::array<std::string, kSlotCount>;

// A user other than root and the owner of the test's files.
constexpr uid_t kSomeoneElse = 65534;

// Set back by this much, the last frame is old enough for the progress box at once.
constexpr Uint32 kLongAgoMs = 10000;

void setSlotPaths(const Paths& paths)
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        assignSlot(slot, paths[slot].c_str(), "");
}

std::string layout(const Paths& paths)
{
    std::string bytes = "Tamo Ri Presets\n";
    for (const std::string& path : paths)
        bytes += path + "\n";
    return bytes + "Oru\nSe supone que no deberias estar leyendo esto.\n";
}

// What the reader makes of bytes.
Paths parse(const std::string& bytes)
{
    FILE* in = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
    SlotPaths read;
    readPresetPaths(in, read);
    fclose(in);
    Paths paths;
    std::copy(std::begin(read), std::end(read), paths.begin());
    return paths;
}

// Spaces inside and at either end of a path are part of it.
const Paths kFull = {"kits/my kick.wav", "kits/b.wav",  "kits/a b c.wav", "kits/d.wav",
                     "loops/break.wav",  "loops/f.wav", "loops/g  g.wav", " loops/h .wav"};
const Paths kSparse = {"kits/kick.wav", "", "", "", "loops/beat.wav", "", "", ""};
} // namespace

TEST(PresetPressBoxes, KeysAndButtonsKeepToTheirBoxesBothEndsIncluded)
{
    for (int key = 0; key < kKeyCount; ++key) // keys have gaps between them
        expectHitsBox(keyAt, keyBox(key), kKeyCharacters[key], '\0');
    expectHitsBox(inScrollUp, kPresetScrollUpBox, true, false);
    expectHitsBox(inScrollDown, kPresetScrollDownBox, true, false);
    expectHitsBox(inKeyboardButton, kKeyboardButtonBox, true, false);
    expectHitsBox(inLoadButton, kLoadButtonBox, true, false);
    expectHitsBox(inDelKey, kDelKeyBox, true, false);
    expectHitsBox(inSaveKey, kSaveKeyBox, true, false);
    expectHitsBox(inCancelKey, kCancelKeyBox, true, false);
}

TEST_F(PresetScreenTest, TheKeyboardTypesDeletesSavesClosesCancelsAndStopsNamesAt195)
{
    setSlotPaths(kSparse);
    ct_lista_2 = 1;
    typeName("an2");
    for (int key : {0, 11, 24}) // the gaps right of and under keys
        pressAt(keyBox(key).x1 + 1, keyBox(key).y1 + 1);
    EXPECT_STREQ(nombre_archivo, "an2");
    frame();
    EXPECT_EQ(saved(), std::tuple(0, "an2.trp", "", ""));
    EXPECT_EQ(std::pair(readFile("presets/an2.trp"), ct_lista_2), std::pair(layout(kSparse), 1));
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
        writeFile(std::string("presets/") + name, layout({}));
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
    const auto mode = [] { return int(std::filesystem::status("presets/demo.trp").permissions()); };
    EXPECT_EQ(std::pair(readFile("presets/demo.trp"), mode()), std::pair(demo, 0444));

    chmod("presets/demo.trp", 0640);
    EXPECT_EQ(saved(), std::tuple(0, "demo.trp", "", "")) << "the next try, with the same name";
    EXPECT_NE(readFile("presets/demo.trp"), demo);
    EXPECT_EQ(mode(), 0640) << "a replaced preset keeps its bits";

    // A preset folder that cannot be made for want of permission: read-only too. Root
    // may write anywhere, so the save is tried as another user.
    removeTree("presets");
    chmod(".", 0555);
    const bool root = geteuid() == 0;
    ASSERT_TRUE(!root || seteuid(kSomeoneElse) == 0);
    typeName("denied");
    const std::string denied = std::get<2>(saved());
    ASSERT_TRUE(!root || seteuid(0) == 0);
    chmod(".", 0755);
    EXPECT_EQ(denied, "Not saved: read-only");
    mkdir("presets", 0755);

    // A full disk and a read-only one: a small tmpfs over the preset folder.
    if (mount("tmpfs", "presets", "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here: the full and read-only disks are not tried";
    typeName("full");
    pressIn(kSaveKeyBox);
    const std::string full = readFile("presets/full.trp");
    writeFile("presets/filler", std::string(64 * 1024, 'x'));
    assignSlot(0, "kits/other.wav", "other.wav");
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

// A press on Load with Escape queued behind it, for the main loop to take.
void queueLoadThenEscape()
{
    SDL_Event events[] = {keyEvent(SDL_MOUSEMOTION), keyEvent(SDL_MOUSEBUTTONDOWN),
                          keyEvent(SDL_KEYDOWN, SDLK_ESCAPE)};
    events[0].motion.x = Uint16(midX(kLoadButtonBox));
    events[0].motion.y = Uint16(midY(kLoadButtonBox));
    for (SDL_Event& event : events)
        SDL_PushEvent(&event);
}

// The screen still holds the last progress frame drawn during the work: the box's
// outline lies over the screen drawn afresh.
void expectProgressBoxShown()
{
    SDL_Surface* shown = SDL_ConvertSurface(screen, screen->format, SDL_SWSURFACE);
    loop_win = 0;
    drawScreen();
    const Box b = kProgressBox, inside = {b.x0 + 1, b.y0 + 1, b.x1 - 1, b.y1 - 1};
    EXPECT_EQ(differingPixels(shown, screen, b) - differingPixels(shown, screen, inside),
              2 * (width(b) + height(b)) - 4)
        << "the box's outline over the screen";
    SDL_FreeSurface(shown);
}

TEST_F(PresetScreenTest, ALongLoadShowsItsProgressAndStopsAtTheFileItIsOnWhenAskedToQuit)
{
    // Eight slots of one long 48 kHz loop, each resampled as it loads.
    writeWav16("loops/long.wav", constantStereo(48000 * 30, 1000), 2, 48000);
    Paths paths;
    paths.fill("loops/long.wav");
    writeFile("presets/long.trp", layout(paths));
    strcpy(nombre_archivo, "long.trp");
    frame();
    // However fast the machine decodes, the screen has gone without a frame too long.
    shownAt -= kLongAgoMs;
    printedBy({middleOf(kLoadButtonBox)});
    ASSERT_NE(samples[kSlotCount - 1], nullptr);
    expectProgressBoxShown();

    // Escape queued behind a press on Load: read during the load, which stops there.
    queueLoadThenEscape();
    shownAt -= kLongAgoMs;
    testing::internal::CaptureStdout();
    mainLoop();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(quitDuringWork);
    EXPECT_EQ(samples[kSlotCount - 1], nullptr) << "the last slot was never decoded";
}

TEST_F(PresetScreenTest, AHugeLineShowsTheProgressBoxAndEscapeStopsTheReadingThere)
{
    // The line of slot 2 is made of NULs; sparse, they take no room on the disk. The
    // files named around it do not exist, so only the reading can bring the box.
    const auto writeLongLine = [](const std::string& name, uint64_t bytes)
    {
        const std::string head = "h\nkits/none.wav\n";
        writeFile("presets/" + name, head);
        std::filesystem::resize_file("presets/" + name, head.size() + bytes);
        std::ofstream("presets/" + name, std::ios::app) << "\nloops/gone.wav\n";
        strcpy(nombre_archivo, name.c_str());
        frame();
        shownAt -= kLongAgoMs;
    };
    // 64 MiB: skipped with the box up, and the slots after it keep their places.
    writeLongLine("long.trp", uint64_t(1) << 26);
    printedBy({middleOf(kLoadButtonBox)});
    EXPECT_STREQ(lista_samples[2], "loops/gone.wav");
    expectProgressBoxShown();

    // 1 GiB, with Escape behind the press on Load: the reading stops in the line.
    writeLongLine("huge.trp", uint64_t(1) << 30);
    queueLoadThenEscape();
    testing::internal::CaptureStdout();
    mainLoop();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(quitDuringWork);
    EXPECT_EQ(std::tuple(std::string(lista_samples[0]), std::string(lista_samples[2])),
              std::tuple("kits/none.wav", ""));
}

TEST_F(PresetScreenTest, WritesExactBytesThatReadBackInPlaceAndReplacesAWholeFileOrNone)
{
    // A file name may hold a line feed; written as it is, it would push every later
    // slot one line down. Such a path is saved as an empty line instead.
    Paths odd = kFull, oddWritten = kFull;
    odd[1] = "kits/line\nbreak.wav";
    oddWritten[3] = odd[3] = "kits/cr.wav\r";
    oddWritten[5] = odd[5] = "loops/mid\rcr.wav";
    oddWritten[1] = oddWritten[3] = "";
    for (const auto& [paths, written] :
         {std::pair{kFull, kFull}, {kSparse, kSparse}, {odd, oddWritten}})
    {
        setSlotPaths(paths);
        ASSERT_TRUE(writePreset("presets/x.trp"));
        EXPECT_EQ(readFile("presets/x.trp"), layout(written));
        EXPECT_EQ(parse(layout(written)), written);
    }

    // Saving replaces a whole file or leaves the old one alone.
    setSlotPaths(kSparse);
    removeTree("presets");
    ASSERT_TRUE(writePreset("presets/keep.trp")) << "the folder is made when missing";
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(mode_t(std::filesystem::status("presets/keep.trp").permissions()), 0666 & ~mask)
        << "made as a file opened for writing would be";
    std::filesystem::create_directory("presets/folder.trp");
    EXPECT_FALSE(writePreset("presets/folder.trp"));
    EXPECT_TRUE(std::filesystem::is_directory("presets/folder.trp"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("presets"), {}), 2)
        << "no temporary file is left behind";

    // A save killed midway, here by the signal of a 100-byte file size limit, leaves
    // the old preset whole and its temporary file behind, which no listing shows.
    setSlotPaths(kFull);
    if (fork() == 0)
    {
        const rlimit limit = {100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        writePreset("presets/keep.trp");
        _exit(0);
    }
    int status = 0;
    wait(&status);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(readFile("presets/keep.trp"), layout(kSparse));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("presets"), {}), 3);
    scanCatalogue(kPresetFolder);
    EXPECT_EQ(std::vector<std::string>(lista.begin(), lista.end()),
              (std::vector<std::string>{".", "..", "folder.trp", "keep.trp"}));
}

TEST_F(PresetScreenTest, ReadingFillsSlotsPrintsThePathsAndReadsDamagedFilesAsFarAsTheirLinesGo)
{
    writeWav16("kits/kick_long_name.wav", constantStereo(100, 500), 2);
    writeWav16("noslash.wav", constantStereo(50, 800), 2);
    writeFile("presets/mix.trp", layout({"", "loops/beat.wav", "kits/kick_long_name.wav",
                                         "noslash.wav", "", "", "kits/missing.wav", "kits/"}));
    testing::internal::CaptureStdout();
    readPreset("presets/mix.trp");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nloops/beat.wav\nkits/kick_long_name.wav\nnoslash.wav\n\n\nkits/missing.wav\n"
              "kits/\n");
    // Per slot: its name, whether it counts as assigned, whether it holds a sound.
    std::string slots;
    for (int slot = 0; slot < kSlotCount; ++slot)
        slots += nombres[slot] + std::to_string(asignados[slot]) + (samples[slot] ? "+ " : " ");
    EXPECT_EQ(slots, "0 beat.wav1+ kick_lon1+ noslash.1+ 0 0 missing.1 1 ");
    EXPECT_EQ(samples[2]->alen, 100u * 4);

    // Damaged files read as far as their lines go.
    EXPECT_EQ(parse(""), Paths{});
    EXPECT_EQ(parse("h\nkits/a.wav\n\nkits/c.wav"), (Paths{"kits/a.wav", "", "kits/c.wav"}))
        << "a last line without its line feed still counts";
    EXPECT_EQ(parse("h\r\nkits/kick.wav\r\n\r\n\r\n\r\nloops/beat.wav\r\n\r\n"), kSparse);
    EXPECT_EQ(parse("h\r\nkits/a.wav\r\r\n"), (Paths{"kits/a.wav\r"}))
        << "only the return right before the line feed goes";
    // A path holds 199 characters: one more leaves the slot empty and the rest aligned.
    const std::string fits = "kits/" + std::string(194, 'x');
    EXPECT_EQ(parse(std::string(3000, 'h') + "\n" + fits + "\n" + fits + "y\nkits/c.wav\n" +
                    std::string(5000, 'z') + "\nloops/f.wav\n"),
              (Paths{fits, "", "kits/c.wav", "", "loops/f.wav"}));
}
