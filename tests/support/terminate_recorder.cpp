// In-process tests start the program's shell, which registers the exit handler; here
// the handler does nothing instead of replacing the test process.
#include "app/shell.h"

void Terminate() {}
