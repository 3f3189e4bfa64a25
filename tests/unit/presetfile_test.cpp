// The preset file: the writer's exact bytes, reading lines back into the slots,
// damaged files, and saving that never leaves a half-written preset.
#include "preset/presetfile.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <array>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{
using PresetFileTest = ProgramTest;
using Paths = std::array<std::string, kSlotCount>;

const char kClosingLines[] = "Oru\nSe supone que no deberias estar leyendo esto.\n";

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
    return bytes + kClosingLines;
}

Paths pathsOf(const SlotPaths& read)
{
    Paths paths;
    for (int slot = 0; slot < kSlotCount; ++slot)
        paths[slot] = read[slot];
    return paths;
}

// What the reader makes of bytes.
Paths parse(const std::string& bytes)
{
    FILE* in = tmpfile();
    fwrite(bytes.data(), 1, bytes.size(), in);
    rewind(in);
    SlotPaths read;
    readPresetPaths(in, read);
    fclose(in);
    return pathsOf(read);
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const Paths kFull = {"kits/a.wav",  "kits/b.wav",  "kits/c.wav",  "kits/d.wav",
                     "loops/e.wav", "loops/f.wav", "loops/g.wav", "loops/h.wav"};
const Paths kSparse = {"kits/kick.wav", "", "", "", "loops/beat.wav", "", "", ""};
} // namespace

TEST_F(PresetFileTest, WritesExactlyTheHeaderEightPathLinesAndClosingLines)
{
    for (const Paths& paths : {kFull, kSparse, Paths{}})
    {
        setSlotPaths(paths);
        ASSERT_TRUE(writePreset("presets/x.trp"));
        EXPECT_EQ(readFile("presets/x.trp"), layout(paths));
    }
    setSlotPaths(kFull);
    writePreset("presets/x.trp");
    EXPECT_EQ(readFile("presets/x.trp").size(), 158u);
    setSlotPaths(kSparse);
    writePreset("presets/x.trp");
    EXPECT_EQ(readFile("presets/x.trp").size(), 101u);
    setSlotPaths(Paths{});
    writePreset("presets/x.trp");
    EXPECT_EQ(readFile("presets/x.trp").size(), 74u);
}

TEST_F(PresetFileTest, EverySlotPatternReadsBackInPlaceIncludingPathsWithSpaces)
{
    const Paths filled = {"kits/my kick.wav", "kits/b.wav",           "kits/a b c.wav",
                          "kits/d.wav",       "loops/break beat.wav", "loops/f.wav",
                          "loops/g  g.wav",   " loops/lead .wav"};
    for (int pattern = 0; pattern < 1 << kSlotCount; ++pattern)
    {
        Paths paths;
        for (int slot = 0; slot < kSlotCount; ++slot)
            paths[slot] = pattern & (1 << slot) ? filled[slot] : "";
        FILE* stream = tmpfile();
        SlotPaths source = {};
        for (int slot = 0; slot < kSlotCount; ++slot)
            snprintf(source[slot], kSlotPathSize, "%s", paths[slot].c_str());
        ASSERT_TRUE(writePresetLines(stream, source));
        rewind(stream);
        SlotPaths read;
        readPresetPaths(stream, read);
        fclose(stream);
        ASSERT_EQ(pathsOf(read), paths) << "pattern " << pattern;
    }
}

TEST_F(PresetFileTest, ReadingFillsSlotsWithSoundsAndFileNamesAndPrintsThePaths)
{
    writeWav16("kits/kick_long_name.wav", constantStereo(100, 500), 2);
    writeWav16("loops/beat.wav", constantStereo(200, 600), 2);
    writeWav16("loops/breakbeat.wav", constantStereo(300, 700), 2);
    writeWav16("noslash.wav", constantStereo(50, 800), 2);
    writeFile("presets/mix.trp",
              layout({"", "loops/beat.wav", "kits/kick_long_name.wav", "noslash.wav", "",
                      "loops/breakbeat.wav", "kits/missing.wav", "kits/"}));

    testing::internal::CaptureStdout();
    readPreset("presets/mix.trp");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\nloops/beat.wav\nkits/kick_long_name.wav\nnoslash.wav\n\n"
              "loops/breakbeat.wav\nkits/missing.wav\nkits/\n");

    const char* names[] = {"", "beat.wav", "kick_lon", "noslash.", "", "breakbea", "missing.", ""};
    const uint8_t assigned[] = {0, 1, 1, 1, 0, 1, 1, 1};
    const Uint32 bytes[] = {0, 200 * 4, 100 * 4, 50 * 4, 0, 300 * 4, 0, 0};
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        EXPECT_STREQ(nombres[slot], names[slot]) << slot;
        EXPECT_EQ(nombres[slot][kSlotNameLength], '\0');
        EXPECT_EQ(asignados[slot], assigned[slot]) << slot;
        if (bytes[slot])
        {
            ASSERT_NE(samples[slot], nullptr) << slot;
            EXPECT_EQ(samples[slot]->alen, bytes[slot]) << slot;
        }
        else
            EXPECT_EQ(samples[slot], nullptr) << slot;
    }
    EXPECT_STREQ(lista_samples[2], "kits/kick_long_name.wav");
    releaseAllSlots();

    // A file that is not there leaves every slot empty.
    testing::internal::CaptureStdout();
    readPreset("presets/gone.trp");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n\n\n\n\n\n\n\n");
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        EXPECT_STREQ(lista_samples[slot], "");
        EXPECT_EQ(asignados[slot], 0);
        EXPECT_EQ(samples[slot], nullptr);
    }
}

TEST_F(PresetFileTest, DamagedFilesReadAsFarAsTheirLinesGo)
{
    EXPECT_EQ(parse(""), Paths{});
    EXPECT_EQ(parse("Tamo Ri Presets"), Paths{});
    EXPECT_EQ(parse("anything at all\nkits/a.wav\n"), (Paths{"kits/a.wav"}));
    EXPECT_EQ(parse("h\nkits/a.wav\n\nkits/c.wav"), (Paths{"kits/a.wav", "", "kits/c.wav"}))
        << "a last line without its line feed still counts";

    std::string crlf = layout(kSparse);
    for (size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2))
        crlf.insert(at, "\r");
    EXPECT_EQ(parse(crlf), kSparse);
    EXPECT_EQ(parse("h\r\nkits/a.wav\r\r\n\r\n"), (Paths{"kits/a.wav\r"}))
        << "only the return right before the line feed goes";

    // A path holds 199 characters: one more leaves the slot empty and the rest aligned.
    const std::string fits = "kits/" + std::string(194, 'x');
    const std::string tooLong = fits + "y";
    EXPECT_EQ(parse("h\n" + fits + "\n" + tooLong + "\nkits/c.wav\n" + fits + "\r\n" +
                    std::string(5000, 'z') + "\nloops/f.wav\n"),
              (Paths{fits, "", "kits/c.wav", fits, "", "loops/f.wav"}));
    EXPECT_EQ(parse(std::string(3000, 'h') + "\nkits/a.wav\n"), (Paths{"kits/a.wav"}))
        << "an over-long header is skipped whole";

    std::string binary;
    unsigned seed = 7;
    for (int i = 0; i < 20000; ++i)
    {
        seed = seed * 1103515245 + 12345;
        binary.push_back(static_cast<char>(seed >> 16));
    }
    for (const std::string& path : parse(binary))
    {
        EXPECT_LT(path.size(), static_cast<size_t>(kSlotPathSize));
        EXPECT_EQ(path.find('\n'), std::string::npos);
    }
    EXPECT_EQ(parse(std::string("h\nkits/a\0b.wav\n", 15)), (Paths{"kits/a"}));
}

TEST_F(PresetFileTest, SavingReplacesAWholeFileOrLeavesTheOldOneAlone)
{
    setSlotPaths(kFull);
    removeTree("presets");
    ASSERT_TRUE(writePreset("presets/keep.trp")) << "the folder is made when missing";
    EXPECT_EQ(readFile("presets/keep.trp"), layout(kFull));
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(static_cast<mode_t>(std::filesystem::status("presets/keep.trp").permissions()),
              0666 & ~mask)
        << "made as a file opened for writing would be";

    setSlotPaths(kSparse);
    ASSERT_TRUE(writePreset("presets/keep.trp"));
    EXPECT_EQ(readFile("presets/keep.trp"), layout(kSparse)) << "overwritten in place";

    // A disk that takes no more than 100 bytes: the new 158-byte preset cannot be
    // written, and the old one stays whole.
    setSlotPaths(kFull);
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlim_t before = limit.rlim_cur;
    limit.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = writePreset("presets/keep.trp");
    limit.rlim_cur = before;
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile("presets/keep.trp"), layout(kSparse));

    // A target that cannot be replaced, a folder, fails the same way.
    std::filesystem::create_directory("presets/folder.trp");
    EXPECT_FALSE(writePreset("presets/folder.trp"));
    EXPECT_TRUE(std::filesystem::is_directory("presets/folder.trp"));

    EXPECT_EQ(folderEntries("presets"), (std::vector<std::string>{"folder.trp", "keep.trp"}))
        << "no temporary file is left behind";
}
