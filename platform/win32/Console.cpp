#include "platform/Console.h"

#include <cstdio>
#include <io.h>

namespace dosarium {

int standardOutputDescriptor()
{
    return _fileno(stdout);
}

bool standardErrorIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace dosarium
