// The preset file: the writer's exact bytes, reading lines back into the slots,
// damaged files, and saving that never leaves a half-written preset.
#include "browser/catalogue.h"
#include "preset/presetfile.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <array>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
using PresetFileTest = ProgramTest;
using Paths = std::array<std::string, kSlotCount>;

void setSlotPaths(const Paths& paths)
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        snprintf(lista_samples[slot], kSlotPathSize, "%s", paths[slot].c_str());
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

const Paths kFull = {"kits/a.wav",  "kits/b.wav",  "kits/c.wav",  "kits/d.wav",
                     "loops/e.wav", "loops/f.wav", "loops/g.wav", "loops/h.wav"};
const Paths kSparse = {"kits/kick.wav", "", "", "", "loops/beat.wav", "", "", ""};
} // namespace

TEST_F(PresetFileTest, WritesExactBytesAndEverySlotPatternReadsBackInPlace)
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
    }
    const Paths filled = {"kits/my kick.wav", "kits/b.wav",  "kits/a b c.wav", "kits/d.wav",
                          "loops/break.wav",  "loops/f.wav", "loops/g  g.wav", " loops/h .wav"};
    for (int pattern = 0; pattern < 1 << kSlotCount; ++pattern)
    {
        Paths paths;
        for (int slot = 0; slot < kSlotCount; ++slot)
            paths[slot] = pattern & (1 << slot) ? filled[slot] : "";
        ASSERT_EQ(parse(layout(paths)), paths) << "pattern " << pattern;
    }
}

TEST_F(PresetFileTest, ReadingFillsSlotsWithSoundsAndFileNamesAndPrintsThePaths)
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
    const char* names[] = {"", "beat.wav", "kick_lon", "noslash.", "", "", "missing.", ""};
    const uint8_t assigned[] = {0, 1, 1, 1, 0, 0, 1, 1};
    const bool sounds[] = {0, 1, 1, 1, 0, 0, 0, 0};
    for (int slot = 0; slot < kSlotCount; ++slot)
        EXPECT_EQ(std::tuple(std::string(nombres[slot]), asignados[slot], samples[slot] != nullptr),
                  std::tuple(names[slot], assigned[slot], sounds[slot]))
            << slot;
    EXPECT_EQ(samples[2]->alen, 100u * 4);
}

TEST_F(PresetFileTest, DamagedFilesReadAsFarAsTheirLinesGo)
{
    EXPECT_EQ(parse(""), Paths{});
    EXPECT_EQ(parse("h\nkits/a.wav\n\nkits/c.wav"), (Paths{"kits/a.wav", "", "kits/c.wav"}))
        << "a last line without its line feed still counts";
    std::string crlf = layout(kSparse);
    for (size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2))
        crlf.insert(at, "\r");
    EXPECT_EQ(parse(crlf), kSparse);
    EXPECT_EQ(parse("h\r\nkits/a.wav\r\r\n"), (Paths{"kits/a.wav\r"}))
        << "only the return right before the line feed goes";
    // A path holds 199 characters: one more leaves the slot empty and the rest aligned.
    const std::string fits = "kits/" + std::string(194, 'x');
    EXPECT_EQ(parse(std::string(3000, 'h') + "\n" + fits + "\n" + fits + "y\nkits/c.wav\n" +
                    std::string(5000, 'z') + "\nloops/f.wav\n"),
              (Paths{fits, "", "kits/c.wav", "", "loops/f.wav"}));
}

TEST_F(PresetFileTest, SavingReplacesAWholeFileOrLeavesTheOldOneAlone)
{
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
