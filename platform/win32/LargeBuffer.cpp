#include "platform/LargeBuffer.h"

namespace dosarium {

void preferLargePages(void *, qsizetype)
{
    // Large pages on Windows need a privilege that office accounts do not hold.
}

} // namespace dosarium
