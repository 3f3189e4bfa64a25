// The catalogue and the sample browser: scanning and sorting big folders, the cost
// of one frame of the browser, and what many preview presses leave alive.
#include "app/loop.h"
#include "bench/bench.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "sound/preview.h"
#include "sound/slots.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string currentDir()
{
    char cwd[4096];
    return getcwd(cwd, sizeof cwd) ? cwd : ".";
}

// A kits/ folder of `count` files with names in no particular order, then the mean
// time of a scan over it.
void scanFolderOf(int count, int repeats)
{
    const std::string home = currentDir();
    const std::string dir = makeTempDir();
    if (chdir(dir.c_str()) != 0)
        return;
    mkdir(kKitsFolder, 0755);
    for (int i = 0; i < count; ++i)
    {
        char name[64];
        snprintf(name, sizeof name, "kits/%c%c_sample_%06d.wav", 'a' + (i * 7) % 26,
                 'A' + (i * 13) % 26, (i * 7919) % count);
        writeFile(name, "");
    }
    modo = kSampleBrowser;
    modo_samples = 1;
    scanCatalogue(kKitsFolder); // warm the directory cache
    const double start = nowSeconds();
    for (int k = 0; k < repeats; ++k)
        scanCatalogue(kKitsFolder);
    const double perScan = (nowSeconds() - start) / repeats;
    report("scan and sort, " + std::to_string(cantidad) + " entries", perScan * 1e3, "ms");
    clearCatalogue();
    if (chdir(home.c_str()) != 0)
        return;
    removeTree(dir);
}

void scanAndSort()
{
    if (benchShort)
    {
        scanFolderOf(200, 1);
        return;
    }
    scanFolderOf(200, 200);
    scanFolderOf(5000, 20);
    scanFolderOf(50000, 3);
}

// A full list, a name on every row, all eight slots marked, the bar over a row.
void browserFrame()
{
    const std::string stage = enterStage("dummy");
    for (int i = 0; i < 40; ++i)
        writeFile("kits/breakbeat_" + std::to_string(i) + "_170bpm.wav", "");
    switchScreen(kSampleBrowser);
    for (int slot = 0; slot < kSlotCount; ++slot)
        assignSlot(slot, "kits/none.wav", "none"); // marked, though nothing decodes
    canal_sel = 5;
    updateListHover(100, 100);

    constexpr int kFrames = 2000, kShortFrames = 10;
    const int frames = scaled(kFrames, kShortFrames);
    frame();
    const double start = nowSeconds();
    for (int k = 0; k < frames; ++k)
        frame();
    report("one frame of screen 1", (nowSeconds() - start) / frames * 1e6, "us");
    releaseAllSlots();
    leaveStage(stage);
}

// A thousand presses on a long sound, one frame after every ten.
void manyPreviews()
{
    const std::string stage = enterStage("dummy");
    writeWav16("kits/long.wav", constantStereo(22050 * 5, 1000), 2);
    switchScreen(kSampleBrowser);
    int32_t row = 0;
    while (row < cantidad && std::string(catalogueEntry(row)) != "long.wav")
        ++row;
    ct_lista = row;

    const size_t before = mallinfo2().uordblks;
    constexpr int kPresses = 1000, kShortPresses = 20;
    const int presses = scaled(kPresses, kShortPresses);
    for (int k = 0; k < presses; ++k)
    {
        previewEntry(0);
        if (k % 10 == 9)
            frame();
    }
    const std::string after = " after " + std::to_string(presses) + " presses";
    report("live previews" + after, preview.sound ? 1.0 : 0.0, "chunks");
    report("heap growth" + after, static_cast<double>(mallinfo2().uordblks - before) / 1024.0,
           "KiB");
    leaveStage(stage);
}

const bool registered = registerBench("catalogue scan and sort", scanAndSort) &&
                        registerBench("sample browser frame", browserFrame) &&
                        registerBench("sample browser previews", manyPreviews);
} // namespace
