#include "platform/Console.h"

#include <unistd.h>

namespace dosarium {

int standardOutputDescriptor()
{
    return STDOUT_FILENO;
}

bool standardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace dosarium
