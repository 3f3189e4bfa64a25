// The exit handler lives apart from the rest of the shell: each program built from
// it names its own menu folder and program at compile time.
#include "app/shell.h"

#include <SDL/SDL.h>
#include <unistd.h>

void Terminate()
{
    SDL_Quit();
    // Neither result matters: without a menu the process simply finishes its exit.
    [[maybe_unused]] const int moved = chdir(PADBOX_MENU_DIR);
    execl(PADBOX_MENU_PROGRAM, PADBOX_MENU_PROGRAM, static_cast<char*>(nullptr));
}
