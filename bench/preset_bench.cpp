// Loading the demo preset (eight decodes) and saving a preset, in the program
// started inside this process with headless drivers.
#include "app/shell.h"
#include "bench/bench.h"
#include "preset/keyboard.h"
#include "preset/presetfile.h"
#include "preset/presetscreen.h"
#include "tests/support/stage.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace
{
constexpr int kLoads = 20;
constexpr int kSaves = 50;

// Runs step `times` times with standard output sent nowhere (a load prints its
// paths); returns the mean time of one run in milliseconds.
double meanMs(int times, void (*step)())
{
    fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    const double started = nowSeconds();
    for (int i = 0; i < times; ++i)
        step();
    const double elapsed = nowSeconds() - started;
    fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(null);
    return elapsed * 1000 / times;
}

void loadDemo()
{
    snprintf(nombre_archivo, kPresetNameSize, "demo.trp");
    loadPreset();
}

void writeOnly()
{
    writePreset("presets/bench.trp");
}

void saveFromKeyboard()
{
    snprintf(nombre_archivo, kPresetNameSize, "bench");
    ver_teclado = 1;
    savePreset();
}

void presetBench()
{
    const std::string dir = makeStageCopy();
    char home[4096];
    if (!getcwd(home, sizeof home) || chdir(dir.c_str()) != 0)
        return;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    startUp();

    report("load demo preset (eight decodes)", meanMs(kLoads, loadDemo), "ms");
    report("write preset file (temporary, fsync, rename)", meanMs(kSaves, writeOnly), "ms");
    report("save from the keyboard (write and rescan)", meanMs(kSaves, saveFromKeyboard), "ms");

    shutDown();
    if (chdir(home) != 0)
        return;
    removeTree(dir);
}

const bool registered = registerBench("preset", presetBench);
} // namespace
