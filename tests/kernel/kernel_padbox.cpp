// padbox as it runs, with the kernel test's preset loaded before its main loop: on a
// kernel under qemu the program is played over MIDI alone, with no pointer to tap Load.
#include "app/loop.h"
#include "app/shell.h"
#include "preset/keyboard.h"
#include "preset/presetscreen.h"
#include "tests/kernel/kernel.h"

#include <cstdio>

int main(int argc, char** argv)
{
    startUp(argc, argv);
    snprintf(nombre_archivo, sizeof nombre_archivo, "%s", kKernelPreset);
    loadPreset();
    loop_win = 0; // the load dialog, which a tap would close
    mainLoop();
    shutDown();
    return 0;
}
