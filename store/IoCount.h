// The bytes the engine reads from and writes to table files, so that a caller can tell what a
// statement or a refresh cost over a network folder.
#pragma once

#include <QtGlobal>

namespace dosarium {

struct IoCount {
    qint64 read = 0;
    qint64 written = 0;

    IoCount operator-(const IoCount &earlier) const
    {
        return {read - earlier.read, written - earlier.written};
    }
};

// Every byte this thread has read from or written to a table file since the program started.
IoCount tableIo();
void countTableRead(qint64 bytes);
void countTableWritten(qint64 bytes);

// The bytes moved from its creation on.
class IoMeter {
public:
    IoMeter() : m_start(tableIo()) {}
    IoCount sinceStart() const { return tableIo() - m_start; }

private:
    IoCount m_start;
};

} // namespace dosarium
