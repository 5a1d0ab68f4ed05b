// The share query helper: answers file queries for the program on its standard input and output,
// so that a share that stops answering leaves this process stuck, never the program.
#include "jobwatch/FreshSpawn.h"
#include "queryhelper/QueryProtocol.h"

#include <unistd.h>

int main()
{
    // Whatever the program left open must not stay open while a hung share keeps this one alive.
    FreshSpawn::closeInherited();
    return QueryProtocol::serve(STDIN_FILENO, STDOUT_FILENO);
}
