// Large in-memory copies of tables (tens of megabytes) are filled far faster when the system
// backs them with large memory pages; this asks for them where the system offers them.
#pragma once

#include <QtGlobal>

namespace dosarium {

// Call before the buffer is first written; a buffer smaller than a few megabytes is left alone.
void preferLargePages(void *data, qsizetype size);

} // namespace dosarium
