// In-process tests start the program's shell, which registers the exit handler; here
// the handler only counts its calls instead of replacing the test process.
#include "app/shell.h"
#include "tests/support/sdlenv.h"

int terminateCalls;

void Terminate()
{
    ++terminateCalls;
}
