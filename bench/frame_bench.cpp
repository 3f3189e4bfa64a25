// What a frame of each screen costs and how the real program paces its frames under
// Xvfb: instructions per frame (callgrind, when valgrind is installed), time per frame,
// idle CPU of the program, frames per second; the time from a press to its sound; and
// frames that all change, in a 320x240 window and in an enlarged one.
#include "app/layout.h"
#include "app/loop.h"
#include "bench/bench.h"
#include "bench/xpress.h"
#include "preset/keyboard.h"
#include "preset/presetscreen.h"
#include "sound/loops.h"
#include "sound/mixer.h"
#include "sound/pads.h"
#include "sound/slots.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"
#include "tests/support/xsession.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace
{
const char* const kScreenNames[] = {"preset screen", "sample browser", "sample pads", "loop pads"};
// The callgrind run draws each screen as the demo preset leaves it, and then the loop
// pads with their marks: loop 1 playing with its beat bar, loop 4 waiting for it.
constexpr int32_t kLoopsWaiting = kLoopPads + 1;
const char* const kLoopsWaitingName = "loop pads, a loop playing and one waiting";
const char* const kScreenKeys[] = {"0", "1", "2", "3"};
const char kWorkerVariable[] = "PADBOX_BENCH_FRAMES_OF"; // set in the callgrind run
constexpr int kCallgrindFrames = 50;
constexpr int kTimedFrames = 300, kShortTimedFrames = 3;
constexpr double kPacedSeconds = 2.0, kShortPacedSeconds = 0.05;
constexpr useconds_t kIdleUs = 5000000, kShortIdleUs = 10000;
constexpr int kSettleMs = 500, kShortSettleMs = 50;
constexpr int kPresses = 40, kShortPresses = 2;
constexpr int kHearingTimeoutMs = 1000;
constexpr int32_t kLitFrames = 1 << 30; // a flash that outlasts every run: it counts frames

// The program inside this process, in a stage copy, on the demo preset.
std::string enterDemo(const char* videoDriver)
{
    const std::string stage = enterStage(videoDriver);
    snprintf(nombre_archivo, sizeof nombre_archivo, "demo.trp");
    fflush(stdout);
    const int out = dup(1);
    if (!freopen("/dev/null", "w", stdout)) // the slot paths a load prints
        abort();
    loadPreset();
    fflush(stdout);
    dup2(out, 1);
    close(out);
    loop_win = 0;
    return stage;
}

// Pad 3 lit for the whole run: its counter tells how many frames were drawn.
void startCountingFrames()
{
    pulsados[3] = 1;
    t_pulsados[3] = kLitFrames;
}

int32_t framesCounted()
{
    return kLitFrames - t_pulsados[3];
}

// The callgrind run: only the frames of one scenario, drawn on the dummy driver.
void drawFramesForCallgrind(int32_t scenario)
{
    const std::string stage = enterDemo("dummy");
    switchScreen(std::min(scenario, int32_t{kLoopPads}));
    if (scenario == kLoopsWaiting)
    {
        toggleLoop(0);
        toggleLoop(3); // waits for loop 1's boundary, seconds after the run
    }
    startCountingFrames();
    for (int i = 0; i < kCallgrindFrames; ++i)
        frame();
    leaveStage(stage);
}

// Instructions in frame() per frame, from a callgrind run of this program.
double instructionsPerFrame(int32_t scenario)
{
    const std::string dir = makeTempDir(), out = dir + "/callgrind.out";
    const std::string line = std::string(kWorkerVariable) + "=" + std::to_string(scenario) +
                             " valgrind --tool=callgrind --collect-atstart=no" +
                             " --toggle-collect='frame()' --callgrind-out-file=" + out + " /proc/" +
                             std::to_string(getpid()) + "/exe frames >/dev/null 2>&1";
    double total = 0;
    if (system(line.c_str()) == 0)
    {
        std::ifstream in(out);
        for (std::string word; in >> word;)
            if (word == "totals:" || word == "summary:")
                in >> total;
    }
    removeTree(dir);
    return total / kCallgrindFrames;
}

double cpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 15 && in >> field; ++i)
        if (i == 14 || i == 15) // user and system time of all threads
            ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The real program on the demo preset: CPU it uses on each screen while nothing happens.
void idleCpu(const XServer& server)
{
    const std::string dir = makeStageCopy();
    ProgramRun run = startProgram(server, dir, {"SDL_AUDIODRIVER=dummy"});
    if (waitForWindow(server) == 0)
        return;
    for (Box b : {listRow(2), kLoadButtonBox, kDialogBox}) // demo.trp, load, the dialog goes
        clickIn(server, b);
    for (int32_t s = kPresetScreen; s <= kLoopPads; ++s)
    {
        xdo(server, std::string("key ") + kScreenKeys[s]);
        settle(scaled(kSettleMs, kShortSettleMs));
        const double before = cpuSeconds(run.pid), started = nowSeconds();
        usleep(scaled(kIdleUs, kShortIdleUs));
        const double used = cpuSeconds(run.pid) - before;
        report(std::string("idle CPU, ") + kScreenNames[s], 100 * used / (nowSeconds() - started),
               "% of a core");
    }
    xdo(server, "key Escape");
    waitExit(run);
    removeTree(dir);
}

void pushEvent(SDL_Event event)
{
    SDL_PushEvent(&event);
}

void pushQuit()
{
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    pushEvent(quit);
}

// The main loop, as the program runs it, for a while.
double pacedFramesPerSecond()
{
    startCountingFrames();
    std::thread stopper(
        []
        {
            usleep(static_cast<useconds_t>(scaled(kPacedSeconds, kShortPacedSeconds) * 1e6));
            pushQuit();
        });
    const double started = nowSeconds();
    mainLoop();
    const double seconds = nowSeconds() - started;
    stopper.join();
    return framesCounted() / seconds;
}

std::atomic<double> heardAt{0};

// Post-mix hook: the program's own, which mixes hits in, then notes when the mixer
// first mixes anything but silence.
void listen(void* unused, Uint8* stream, int bytes)
{
    mixPass(unused, stream, bytes);
    const auto* samples = reinterpret_cast<const Sint16*>(stream);
    if (heardAt.load() == 0 &&
        std::any_of(samples, samples + bytes / 2, [](Sint16 v) { return v != 0; }))
        heardAt = nowSeconds();
}

// Presses on pad 0 sent through the X server while the main loop runs: the time from
// each to its channel playing (looked at every 50 us), and to the first mixed frame of
// its sound. The mixer works in passes of 256 frames (11.6 ms), so about half a pass
// is the mixer's own share of the latter.
void pressToSound(const XServer& server)
{
    writeWav16("kits/bench.wav", constantStereo(kTestRate / 50, 4000), 2);
    assignSlot(0, "kits/bench.wav", "bench");
    switchScreen(kSamplePads);
    pointAtFirstPad();
    if (!openPresser(server.display))
        return;
    Mix_SetPostMix(listen, nullptr);
    double played = 0, sum = 0, worst = 0;
    const int presses = scaled(kPresses, kShortPresses);
    std::thread presser(
        [&]
        {
            for (int i = 0; i < presses; ++i)
            {
                usleep(50000 + 1237 * i); // the sound is over; presses fall anywhere in a frame
                heardAt = 0;
                const double pressed = nowSeconds();
                sendButton(true);
                for (int waited = 0; !Mix_Playing(0) && waited < kHearingTimeoutMs * 20; ++waited)
                    usleep(50);
                played += nowSeconds() - pressed;
                for (int waited = 0; heardAt.load() == 0 && waited < kHearingTimeoutMs; ++waited)
                    usleep(1000);
                sendButton(false);
                sum += heardAt - pressed;
                worst = std::max(worst, heardAt - pressed);
            }
            pushQuit();
        });
    mainLoop();
    presser.join();
    closePresser();
    Mix_SetPostMix(mixPass, nullptr);
    report("press to its channel playing, mean", played / presses * 1000, "ms");
    report("press to its sound's first mixed frame, mean", sum / presses * 1000, "ms");
    report("press to its sound's first mixed frame, worst", worst * 1000, "ms");
}

// Frames of the sample pads with pad 0 lit and dark by turns, so each one is shown.
double changingFrameUs()
{
    switchScreen(kSamplePads);
    const int frames = scaled(kTimedFrames, kShortTimedFrames);
    const double started = nowSeconds();
    for (int i = 0; i < frames; ++i)
    {
        pulsados[0] = i & 1;
        t_pulsados[0] = kLitFrames;
        frame();
    }
    return (nowSeconds() - started) * 1e6 / frames;
}

// The same with the window three times the frame's size, on a desktop large enough.
void enlargedFrames()
{
    XServer server = startXvfb("1280x960x24");
    setenv("DISPLAY", server.display.c_str(), 1);
    const std::string stage = enterDemo("x11");
    report("time per frame shown, every one changing, sample pads, 960x720 window",
           changingFrameUs(), "us");
    leaveStage(stage);
    stopXvfb(server);
}

void inProcessUnderX(const XServer& server)
{
    setenv("DISPLAY", server.display.c_str(), 1);
    const std::string stage = enterDemo("x11");
    for (int32_t s = kPresetScreen; s <= kLoopPads; ++s)
    {
        switchScreen(s);
        startCountingFrames();
        const int frames = scaled(kTimedFrames, kShortTimedFrames);
        const double started = nowSeconds();
        for (int i = 0; i < frames; ++i)
            frame();
        report(std::string("time per frame, ") + kScreenNames[s],
               (nowSeconds() - started) * 1e6 / frames, "us");
        report(std::string("frames per second, ") + kScreenNames[s], pacedFramesPerSecond(), "fps");
    }
    report("time per frame shown, every one changing, sample pads", changingFrameUs(), "us");
    pressToSound(server);
    leaveStage(stage);
}

void frameBench()
{
    if (const char* scenario = getenv(kWorkerVariable))
    {
        drawFramesForCallgrind(atoi(scenario));
        return;
    }
    if (benchShort)
        for (int32_t s = kPresetScreen; s <= kLoopsWaiting; ++s)
            drawFramesForCallgrind(s); // the callgrind run's frames, without valgrind
    else if (system("valgrind --version >/dev/null 2>&1") == 0)
        for (int32_t s = kPresetScreen; s <= kLoopsWaiting; ++s)
            report(std::string("instructions per frame, ") +
                       (s == kLoopsWaiting ? kLoopsWaitingName : kScreenNames[s]),
                   instructionsPerFrame(s), "");
    XServer server = startXvfb();
    inProcessUnderX(server);
    idleCpu(server);
    stopXvfb(server);
    enlargedFrames();
}

const bool registered = registerBench("frames", frameBench);
} // namespace
