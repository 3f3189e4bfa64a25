#include "tests/support/stage.h"
#include "app/layout.h"
#include "app/shell.h"
#include "bench/bench.h"

#include <SDL/SDL.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace
{
std::string home; // the folder the benchmark was started in
}

std::string enterStage(const char* videoDriver, const char* audioDriver)
{
    char cwd[4096];
    home = getcwd(cwd, sizeof cwd) ? cwd : ".";
    const std::string stage = makeStageCopy();
    if (chdir(stage.c_str()) != 0)
        abort();
    setenv("SDL_VIDEODRIVER", videoDriver, 1);
    setenv("SDL_AUDIODRIVER", audioDriver, 1);
    if (strcmp(audioDriver, "disk") == 0)
    {
        setenv("SDL_DISKAUDIOFILE", (stage + "/audio.raw").c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
    }
    startUp();
    return stage;
}

void pointAtFirstPad()
{
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = static_cast<Uint16>(midX(kPadBoxes[0]));
    motion.motion.y = static_cast<Uint16>(midY(kPadBoxes[0]));
    SDL_PushEvent(&motion);
}

void leaveStage(const std::string& stage)
{
    shutDown();
    if (chdir(home.c_str()) != 0)
        abort();
    removeTree(stage);
}
