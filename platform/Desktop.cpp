#include "platform/Desktop.h"

namespace dosarium {

bool openWithAssociatedProgram(const QString &)
{
    return false;
}

void passForegroundToOtherCopy(const QString &) {}

} // namespace dosarium
