// Loading the demo preset (eight decodes) and saving a preset, in the program
// started inside this process with headless drivers; and long files: the memory ten
// previews hold, how long the screen goes without a frame while eight long loops
// load, and how soon Escape ends that load.
#include "app/loop.h"
#include "app/progress.h"
#include "bench/bench.h"
#include "preset/keyboard.h"
#include "preset/presetfile.h"
#include "preset/presetscreen.h"
#include "sound/decode.h"
#include "sound/preview.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace
{
constexpr int kLoads = 20, kShortLoads = 2;
constexpr int kSaves = 50, kShortSaves = 2;

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
    const std::string stage = enterStage("dummy");

    const int loads = scaled(kLoads, kShortLoads), saves = scaled(kSaves, kShortSaves);
    report("load demo preset (eight decodes)", meanMs(loads, loadDemo), "ms");
    report("write preset file (temporary, fsync, rename)", meanMs(saves, writeOnly), "ms");
    report("save from the keyboard (write and rescan)", meanMs(saves, saveFromKeyboard), "ms");

    leaveStage(stage);
}

constexpr int kPreviewRate = 44100;
constexpr int kLoopRate = 48000; // resampled as it loads
constexpr int kLongSeconds = 300, kShortLongSeconds = 2;
constexpr int kPreviews = 10, kShortPreviews = 2;
constexpr double kEscapeAfterSeconds = 1.0, kShortEscapeAfterSeconds = 0;

// Resident memory of this process.
double residentMb()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0);
}

// Follows the progress boxes the real watcher draws: the longest time between two
// things shown. Set to push Escape once the load has run for a while.
Uint32 lastShown;
Uint32 longestGap;
int boxes;
double escapeAt;
double escapePushed;

bool benchWatcher(const char* path, double done)
{
    const bool goOn = watchWork(path, done);
    if (shownAt != lastShown)
    {
        longestGap = std::max(longestGap, shownAt - lastShown);
        lastShown = shownAt;
        ++boxes;
    }
    if (escapeAt > 0 && escapePushed == 0 && nowSeconds() >= escapeAt)
    {
        SDL_Event escape = {};
        escape.type = SDL_KEYDOWN;
        escape.key.keysym.sym = SDLK_ESCAPE;
        SDL_PushEvent(&escape);
        escapePushed = nowSeconds();
    }
    return goOn;
}

// A press on the load button, handled as the main loop handles it, with standard
// output sent nowhere.
void pressLoad()
{
    fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = 50;
    event.motion.y = 230;
    bool quit = false;
    handleEvent(event, &quit);
    event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_LEFT;
    handleEvent(event, &quit);
    fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(null);
}

void longFilesBench()
{
    const std::string stage = enterStage("dummy");
    const int seconds = scaled(kLongSeconds, kShortLongSeconds);
    writeWav16("kits/long.wav", constantStereo(kPreviewRate * seconds, 1000), 2, kPreviewRate);

    const double before = residentMb();
    for (int i = 0; i < scaled(kPreviews, kShortPreviews); ++i)
        playPreview("kits/long.wav");
    report("resident memory after ten previews of a 5-minute 44.1 kHz file", residentMb(), "MB");
    report("  of which the previews", residentMb() - before, "MB");
    stopPreview();
    writeWav16("loops/long.wav", constantStereo(kLoopRate * seconds, 1000), 2, kLoopRate);

    std::string layout = kPresetHeader;
    for (int slot = 0; slot < kSlotCount; ++slot)
        layout += "loops/long.wav\n";
    writeFile("presets/long.trp", layout + kPresetAuthor + kPresetClosing);
    snprintf(nombre_archivo, kPresetNameSize, "long.trp");
    setDecodeWatcher(benchWatcher);
    frame();
    lastShown = shownAt;
    double started = nowSeconds();
    pressLoad();
    frame();
    longestGap = std::max(longestGap, shownAt - lastShown);
    const double loadSeconds = nowSeconds() - started;
    report("load of eight 5-minute 48 kHz loops", loadSeconds, "s");
    report("progress boxes drawn per second during that load", boxes / loadSeconds, "/s");
    report("longest time without a redraw during that load", longestGap, "ms");

    loop_win = 0;
    escapeAt = nowSeconds() + scaled(kEscapeAfterSeconds, kShortEscapeAfterSeconds);
    pressLoad();
    report("Escape during that load to its end (the main loop then ends)",
           (nowSeconds() - escapePushed) * 1000, "ms");

    leaveStage(stage);
}

const bool registered =
    registerBench("preset", presetBench) && registerBench("long files", longFilesBench);
} // namespace
